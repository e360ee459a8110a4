// The butterfly scene through the recorder: the grid, the greetings, the rays that only the
// ray cues bring, the nine butterflies' tracing windows, anchor slots, colours and wing fold.
#include "engine/colors.h"
#include "engine/gl.h"
#include "engine/glrecorder.h"
#include "engine/object.h"
#include "engine/position.h"
#include "show/show.h"
#include "engine/sync.h"
#include "engine/textimages.h"
#include "scenes/perhonen.h"
#include "scenes/scenes.h"
#include "tests/batches.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace {

// The anchor slots as the scene places them, to compare the butterflies' matrices against.
Vector anchor(int k, float p) {
    const Vector slots[15] = {{0, 0, 18 * p - 3},
                              {p + 3, 2, 13 * p},
                              {-3, 1.5f, 15 * p + 2},
                              {0.1f * p + 0.6f, 2, 15 * p + 15},
                              {0.7f * p - 4, 0.5f, 23 * p + 6},
                              {4.2f - 1.3f * p, 1, 10 * p + 19},
                              {0.1f * p + 0.2f, 1, 11 * p + 8},
                              {-6, 4, 12 * p - 3},
                              {6, 4, 12 * p - 3},
                              {4.2f - 1.3f * p, -2.1f, 12 * p + 7},
                              {3 - p, 5, 11 * p},
                              {0.7f * p - 8, 1.3f, 23 * p + 3},
                              {-3, -1.5f, 18 * p + 3},
                              {4.2f - 1.3f * p, -2.1f, 12 * p + 7},
                              {6, -3, (12 * p + 4) - 3}};
    return slots[k];
}

const Vector kOffsets[5] = {
    {-1, 0, -2}, {1.5f, 1, -1}, {1.7f, 3, -0.2f}, {-2.3f, 4, -0.6f}, {0.9f, 2.1f, -1.5f}};

// One frame split into its layers: grid, greetings, rays (when drawn) and butterfly strips.
struct Frame {
    const GlBatch* grid = nullptr;
    const GlBatch* text = nullptr;
    std::vector<const GlBatch*> rays;  // wide, then core
    std::vector<const GlBatch*> wings; // two strips a butterfly, wide first
    size_t batches = 0;
};

Frame split(const std::vector<GlBatch>& batches) {
    Frame f;
    f.batches = batches.size();
    for (const GlBatch& b : batches) {
        if (b.prim == GL_LINES && !f.grid)
            f.grid = &b;
        else if (b.prim == GL_QUADS && b.state.texture)
            f.text = &b;
        else if (b.prim == GL_LINES)
            f.rays.push_back(&b);
        else if (b.prim == GL_LINE_STRIP)
            f.wings.push_back(&b);
    }
    return f;
}

class Perhonen : public ::testing::Test {
  protected:
    void SetUp() override {
        gl_use_recorder();
        font_init();
        // No cue sits here, and neither do the tracks' unfilled slots (order 0, row 0).
        sound.pinPosition(40, 1);
        kello.time = 145;
        perhonen_init();
    }
    void TearDown() override {
        perhonen_free();
        sound.pinPosition(0, 0);
        kello.time = 0;
        gl_use_null();
    }
    const std::vector<GlBatch>& frame(float pos) {
        gl_recorder_reset();
        perhonen(pos);
        return gl_recorder()->batches;
    }
    // The slot butterfly 0 sits in: the counters live on across scenes, so tests read it.
    int slot_of_first(const Frame& f, float p) {
        for (int k = 0; k < 15; k++)
            if (butterfly_at(f, 0, k, p))
                return k;
        return -1;
    }
    bool butterfly_at(const Frame& f, int i, int k, float p) {
        float at[4];
        gl_mat4_apply(f.grid->mv, anchor(k, p).x, anchor(k, p).y, anchor(k, p).z, at);
        const GlMat4& m = f.wings[2 * i]->mv;
        return fabsf(m.m[12] - at[0]) < 1e-4f && fabsf(m.m[13] - at[1]) < 1e-4f &&
               fabsf(m.m[14] - at[2]) < 1e-4f;
    }
};

TEST_F(Perhonen, NoRaysBeforeTheFirstRayCue) {
    for (float p : {0.0f, 0.2f, 0.5f, 0.95f}) {
        Frame f = split(frame(p));
        EXPECT_EQ(f.batches, 1u + 1u + 18u) << "at " << p;
        EXPECT_TRUE(f.rays.empty());
        ASSERT_NE(f.text, nullptr);
        EXPECT_EQ(f.wings.size(), 18u);
    }
    // A camera cue alone brings no rays either.
    sound.pinPosition(56, 0);
    EXPECT_TRUE(split(frame(0.6f)).rays.empty());
}

TEST_F(Perhonen, GridOfRowAndColumnEdgesShiftedDownTheScene) {
    float p = 0.5f;
    Frame f = split(frame(p));
    ASSERT_EQ(f.grid->count(), 10000);
    float S = calcSaturate(p, 0, 1, 6);
    EXPECT_FLOAT_EQ(alpha(*f.grid, 0), 0.2f * S);
    EXPECT_FLOAT_EQ(f.grid->c[0], sininen.x);
    EXPECT_FALSE(f.grid->state.depth_test);
    EXPECT_TRUE(f.grid->state.blend);
    EXPECT_FALSE(f.grid->state.texture);
    // Grid point 0 to its +x neighbour, then that one to its +z neighbour.
    expect_near(vertex(*f.grid, 0), Vector(-35, 0, -18), 1e-4f, "corner");
    expect_near(vertex(*f.grid, 1), Vector(-33.6f, 0, -18), 1e-4f, "+x");
    expect_near(vertex(*f.grid, 2), Vector(-33.6f, 0, -18), 1e-4f, "+x again");
    expect_near(vertex(*f.grid, 3), Vector(-33.6f, 0, -16.6f), 1e-4f, "+x +z");
    float zmin = 1e9f, zmax = -1e9f;
    for (int i = 0; i < f.grid->count(); i++) {
        zmin = std::min(zmin, vertex(*f.grid, i).z);
        zmax = std::max(zmax, vertex(*f.grid, i).z);
    }
    EXPECT_NEAR(zmin, -18, 1e-4);
    EXPECT_NEAR(zmax, 50.6f, 1e-4);
    // The greetings darken with S * p.
    EXPECT_FLOAT_EQ(f.text->c[3], S * p);
}

TEST_F(Perhonen, RayCueDrawsFreshMarkersAsRaysOfNineTenths) {
    float p = 0.3f;
    sound.pinPosition(50, 0);
    Frame f = split(frame(p));
    ASSERT_EQ(f.rays.size(), 2u);
    for (int i = 0; i < syncpositions; i++) {
        ASSERT_GE(syncdata[i], 0);
        ASSERT_LT(syncdata[i], 2500);
        ASSERT_LT(suunnat[i], 255);
    }
    // Two vertices for each of bits 2, 4, 8 and 16 set in the first 500 markers.
    int rays = 0;
    for (int i = 0; i < syncobjects; i++)
        for (int bit : {2, 4, 8, 16})
            rays += (suunnat[i] & bit) != 0;
    const GlBatch& wide = *f.rays[0];
    const GlBatch& core = *f.rays[1];
    ASSERT_EQ(wide.count(), 2 * rays);
    ASSERT_EQ(core.v, wide.v);
    EXPECT_FLOAT_EQ(wide.state.line_width, 4);
    EXPECT_EQ(wide.state.blend_dst, (GLenum)GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_FLOAT_EQ(core.state.line_width, 1);
    EXPECT_EQ(core.state.blend_dst, (GLenum)GL_ONE);
    float S = calcSaturate(p, 0, 1, 6);
    // The first marker's rays, in bit order, from its unshifted grid point.
    Vector base = perhosmaasto->vertices[syncdata[0]].position;
    const Vector dirs[4] = {{1, 0, 0}, {0, 0, 1}, {-1, 0, 0}, {0, 0, -1}};
    const Vector colour = syncdata[0] % 2 == 1 ? oranssi : sininen;
    int v = 0;
    for (int d = 0; d < 4; d++) {
        if (!(suunnat[0] & (2 << d)))
            continue;
        expect_near(vertex(wide, v), base, 0, "ray base");
        expect_near(vertex(wide, v + 1), base + dirs[d] * 0.9f, 1e-5f, "ray tip");
        EXPECT_FLOAT_EQ(wide.c[v * 4], colour.x);
        EXPECT_FLOAT_EQ(alpha(wide, v), 0.7f * S);
        EXPECT_EQ(alpha(wide, v + 1), 0);
        EXPECT_FLOAT_EQ(core.c[v * 4], 1);
        EXPECT_FLOAT_EQ(alpha(core, v), S);
        v += 2;
    }
    // Every ray is 0.9 long on the frame its cue fires.
    for (int i = 0; i < wide.count(); i += 2)
        ASSERT_NEAR((vertex(wide, i + 1) - vertex(wide, i)).length(), 0.9f, 1e-4f);

    // Half the pulse later the rays are half as long; the markers stay.
    std::vector<int> first(syncdata, syncdata + syncpositions);
    kello.time += 0.2f;
    Frame later = split(frame(p));
    ASSERT_EQ(later.rays.size(), 2u);
    EXPECT_NEAR((vertex(*later.rays[0], 1) - vertex(*later.rays[0], 0)).length(), 0.45f, 1e-3f);
    EXPECT_EQ(std::vector<int>(syncdata, syncdata + syncpositions), first);
    // The next ray cue draws new markers: rand() is never reseeded.
    sound.pinPosition(50, 8);
    frame(p);
    EXPECT_NE(std::vector<int>(syncdata, syncdata + syncpositions), first);
    // Past the pulse, no rays.
    kello.time += 0.5f;
    sound.pinPosition(40, 1);
    EXPECT_TRUE(split(frame(p)).rays.empty());
}

TEST_F(Perhonen, ButterfliesTraceOutOneAfterAnother) {
    // Butterfly i over p = 0.1 (i + 1) .. 0.1 i + 0.35: strips 2i (wide) and 2i + 1 (core).
    auto points = [](int i, float p) {
        return (int)(2000 * calcPosFloat(p, 0.1f * i + 0.1f, 0.1f * i + 0.35f));
    };
    Frame a = split(frame(0.1f));
    EXPECT_EQ(a.wings[0]->count(), 0);
    EXPECT_EQ(a.wings[1]->count(), 0);
    Frame b = split(frame(0.35f));
    EXPECT_EQ(b.wings[0]->count(), 2000);
    EXPECT_EQ(b.wings[1]->count(), 2000);
    EXPECT_EQ(b.wings[2]->count(), points(1, 0.35f));
    EXPECT_EQ(b.wings[2]->count(), 1200);
    EXPECT_EQ(b.wings[6]->count(), 0);
    for (float p : {0.5f, 0.77f, 1.0f}) {
        Frame f = split(frame(p));
        for (int i = 0; i < 9; i++)
            EXPECT_EQ(f.wings[2 * i]->count(), points(i, p)) << "butterfly " << i << " at " << p;
    }
    // The last ones are still incomplete when the scene ends.
    Frame end = split(frame(1.0f));
    EXPECT_EQ(end.wings[12]->count(), 2000);
    EXPECT_EQ(end.wings[14]->count(), 1600);
    EXPECT_LT(end.wings[16]->count(), 801);

    float p = 0.3f, S = calcSaturate(p, 0, 1, 6);
    Frame f = split(frame(p));
    float progress = calcPosFloat(p, 0.1f, 0.35f);
    EXPECT_FLOAT_EQ(f.wings[0]->c[3], S * progress * 0.7f);
    EXPECT_FLOAT_EQ(f.wings[0]->state.line_width, 4);
    EXPECT_FLOAT_EQ(f.wings[1]->c[0], 1);
    EXPECT_FLOAT_EQ(f.wings[1]->c[3], S * progress * 0.4f);
    EXPECT_FLOAT_EQ(f.wings[1]->state.line_width, 1);
    EXPECT_EQ(f.wings[1]->state.blend_dst, (GLenum)GL_ONE);
    EXPECT_EQ(f.wings[0]->v, f.wings[1]->v);
}

TEST_F(Perhonen, WingsFoldAboutTheBody) {
    float p = 0.4f;
    Frame f = split(frame(p));
    // The last butterfly drawn leaves its fold in the outline; butterfly 1 (0.2..0.45) is
    // partly traced, its strip the outline folded by its own phase 0.7.
    const GlBatch& w = *f.wings[2];
    float fold = 0.4f * (0.5f * (float)sin((p + 0.7f) * 300) + 0.5f);
    ASSERT_GT(w.count(), 100);
    for (int i = 0; i < w.count(); i += 37) {
        Vector v = vertex(w, i);
        EXPECT_FLOAT_EQ(v.y, fabsf(v.z) * fold);
        EXPECT_EQ(v.x, perhovertices[i].x);
    }
    // The outline's first point: e^1 - 2 on the body axis.
    EXPECT_NEAR(perhovertices[0].x, (float)(exp(1.0) - 2), 1e-6);
    EXPECT_EQ(perhovertices[0].z, 0);
}

TEST_F(Perhonen, ButterfliesHopOneSlotOnEveryRayCue) {
    float p = 0.5f;
    Frame f = split(frame(p));
    int k = slot_of_first(f, p);
    ASSERT_GE(k, 0);
    for (int i = 0; i < 9; i++)
        EXPECT_TRUE(butterfly_at(f, i, (i + k) % 15, p)) << "butterfly " << i;

    // A ray cue with no camera cue (order 52 rolls alone): every butterfly moves on a slot,
    // slot 14 wrapping to 0.
    sound.pinPosition(52, 33);
    Frame g = split(frame(p));
    for (int i = 0; i < 9; i++)
        EXPECT_TRUE(butterfly_at(g, i, (i + k + 1) % 15, p)) << "butterfly " << i;
    // The camera did not jump.
    expect_near(eye_of(g.grid->mv), eye_of(f.grid->mv), 1e-4f, "eye");
}

TEST_F(Perhonen, CameraCueJumpsTheEyeAndTurnsTheColours) {
    // Late enough for every butterfly to have points, and so a colour, in the log.
    float p = 0.95f;
    const Vector colours[3] = {punainen, oranssi, sininen};
    auto colour_index = [&](const Frame& f, int i) {
        for (int c = 0; c < 3; c++)
            if (f.wings[2 * i]->c[0] == colours[c].x)
                return c;
        return -1;
    };
    auto offset_index = [&](const Frame& f) {
        Vector base(2 * (float)sin(4.4f * p), p + 7, 14 * p - 7 + 2 * (float)cos(4.4f * p));
        Vector off = eye_of(f.grid->mv) - base;
        for (int o = 0; o < 5; o++)
            if ((off - kOffsets[o]).length() < 1e-3f)
                return o;
        return -1;
    };
    Frame f = split(frame(p));
    int c = colour_index(f, 0), o = offset_index(f);
    ASSERT_GE(c, 0);
    ASSERT_GE(o, 0);
    for (int i = 0; i < 9; i++)
        EXPECT_EQ(colour_index(f, i), (c + i) % 3);
    int k = slot_of_first(f, p);

    sound.pinPosition(57, 44); // a camera cue only
    Frame g = split(frame(p));
    EXPECT_EQ(offset_index(g), (o + 1) % 5);
    for (int i = 0; i < 9; i++)
        EXPECT_EQ(colour_index(g, i), (c + i + 1) % 3);
    EXPECT_EQ(slot_of_first(g, p), k);
    EXPECT_TRUE(g.rays.empty());
}

TEST_F(Perhonen, GridTextAndButterfliesFadeOutByNinetyHundredths) {
    sound.pinPosition(53, 0);
    const std::vector<GlBatch>& b = frame(0.9f);
    Frame f = split(b);
    for (const GlBatch* w : f.wings)
        for (int i = 0; i < w->count(); i++)
            ASSERT_EQ(alpha(*w, i), 0);
    for (int i = 0; i < f.grid->count(); i++)
        ASSERT_EQ(alpha(*f.grid, i), 0);
    EXPECT_EQ(f.text->c[3], 0);
    // The rays follow the envelope S and the pulse alone, not the fade-out: a cue this late
    // still flashes (the music has none after about 0.81).
    ASSERT_EQ(f.rays.size(), 2u);
    EXPECT_FLOAT_EQ(alpha(*f.rays[0], 0), 0.7f * calcSaturate(0.9f, 0, 1, 6));
    EXPECT_GT(split(frame(0.85f)).wings[0]->c[3], 0);
}

TEST_F(Perhonen, CueTracksHoldSixtyAndFortyOneEvents) {
    EXPECT_EQ(perhossync->capacity, 200);
    EXPECT_EQ(perhoskamerasync->capacity, 200);
    EXPECT_EQ(perhossync->count, 60);
    EXPECT_EQ(perhoskamerasync->count, 41);
    for (int e = 0; e < 60; e++)
        EXPECT_EQ(perhossync->eventDuration[e], 400);
    // Order 52: rows 0, 2, ..., 32, then 33 .. 46.
    EXPECT_EQ(perhossync->eventOrder[13], 52);
    EXPECT_EQ(perhossync->eventRow[13], 0);
    EXPECT_EQ(perhossync->eventRow[29], 32);
    EXPECT_EQ(perhossync->eventRow[30], 33);
    EXPECT_EQ(perhossync->eventRow[43], 46);
    EXPECT_EQ(perhossync->eventOrder[59], 55);
    EXPECT_EQ(perhoskamerasync->eventOrder[40], 57);
    EXPECT_EQ(perhoskamerasync->eventRow[40], 52);
}

} // namespace
