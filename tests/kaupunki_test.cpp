// The closing city through the recorder: a building's two wire frames and hiding body, a road's
// rungs and advancing highlight, and the scene's road, building and chip windows.
#include "engine/colors.h"
#include "engine/curves.h"
#include "engine/gl.h"
#include "engine/glrecorder.h"
#include "engine/path.h"
#include "engine/position.h"
#include "engine/random.h"
#include "show/show.h"
#include "molecules/molecules.h"
#include "scenes/kaupunki.h"
#include "scenes/scenes.h"
#include "tests/batches.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace {

class Recorded : public ::testing::Test {
  protected:
    void SetUp() override { gl_use_recorder(); }
    void TearDown() override { gl_use_null(); }
};

// A lone building: 0.2 wide and 2 tall at (1, 0, -2), rising over pos 0.4..0.6.
Talo building() {
    Talo t;
    t.position = Vector(1, 0, -2);
    t.colour = sininen;
    t.height = 2;
    t.halfwidth = 0.1f;
    t.start = 0.4f;
    t.end = 0.6f;
    return t;
}

using Building = Recorded;

TEST_F(Building, ColouredFrameThenWhiteFrameInSixBatches) {
    Talo t = building();
    t.drawLines(0.5f, 0.8f);
    const std::vector<GlBatch>& b = gl_recorder()->batches;
    ASSERT_EQ(b.size(), 6u);
    const GLenum prims[3] = {GL_LINE_LOOP, GL_LINE_LOOP, GL_LINES};
    for (int i = 0; i < 6; i++) {
        EXPECT_EQ(b[i].prim, prims[i % 3]);
        EXPECT_EQ(b[i].count(), i % 3 == 2 ? 8 : 4);
        // The frame is drawn in the building's own frame, moved to its position.
        EXPECT_FLOAT_EQ(b[i].mv.m[12], 1);
        EXPECT_FLOAT_EQ(b[i].mv.m[14], -2);
    }
    for (int i = 0; i < 3; i++) {
        EXPECT_FLOAT_EQ(b[i].state.line_width, 4);
        EXPECT_TRUE(b[i].state.depth_test);
        EXPECT_TRUE(b[i].state.depth_mask);
        EXPECT_EQ(b[i].state.blend_dst, (GLenum)GL_ONE_MINUS_SRC_ALPHA);
        EXPECT_FLOAT_EQ(b[i].c[0], sininen.x);
        EXPECT_FLOAT_EQ(alpha(b[i], 0), 0.8f);
        EXPECT_FLOAT_EQ(b[i + 3].state.line_width, 1);
        EXPECT_FALSE(b[i + 3].state.depth_test);
        EXPECT_EQ(b[i + 3].state.blend_dst, (GLenum)GL_ONE);
        EXPECT_FLOAT_EQ(b[i + 3].c[0], 1);
        // Halfway through its window: g = 0.5.
        EXPECT_NEAR(alpha(b[i + 3], 0), 0.5f * 0.8f, 1e-6);
    }
    // Top corners t0..t3, then the bottom ones.
    expect_near(vertex(b[0], 0), Vector(-0.1f, 2, -0.1f), 0, "t0");
    expect_near(vertex(b[0], 2), Vector(0.1f, 2, 0.1f), 0, "t2");
    expect_near(vertex(b[1], 1), Vector(0.1f, 0, -0.1f), 0, "b1");
    expect_near(vertex(b[2], 6), Vector(-0.1f, 2, 0.1f), 0, "t3 of the last edge");
    expect_near(vertex(b[2], 7), Vector(-0.1f, 0, 0.1f), 0, "b3 of the last edge");
    // The white top is scaled by g about the base's centre; the base stays.
    expect_near(vertex(b[3], 1), Vector(0.05f, 1, -0.05f), 1e-6f, "white t1 at g 0.5");
    expect_near(vertex(b[4], 3), Vector(-0.1f, 0, 0.1f), 0, "white b3");
    expect_near(vertex(b[5], 1), Vector(-0.1f, 0, -0.1f), 0, "white edge foot");
}

TEST_F(Building, WhiteFrameCollapsesBeforeItsWindowAndMatchesAfter) {
    Talo t = building();
    t.drawLines(0.4f, 1);
    std::vector<GlBatch> before = gl_recorder()->batches;
    for (int i = 0; i < 4; i++)
        expect_near(vertex(before[3], i), Vector(0, 0, 0), 0, "top corner at g 0");
    for (int i = 0; i < 8; i += 2)
        expect_near(vertex(before[5], i), Vector(0, 0, 0), 0, "edge top at g 0");
    EXPECT_EQ(alpha(before[3], 0), 0);
    // The coloured frame does not wait for the window.
    EXPECT_EQ(alpha(before[0], 0), 1);
    expect_near(vertex(before[0], 0), Vector(-0.1f, 2, -0.1f), 0, "coloured top at g 0");

    gl_recorder_reset();
    t.drawLines(0.7f, 1);
    const std::vector<GlBatch>& after = gl_recorder()->batches;
    for (int k = 0; k < 3; k++)
        EXPECT_EQ(after[k].v, after[k + 3].v) << "white primitive " << k;
    EXPECT_EQ(alpha(after[3], 0), 1);
    // Left for the next building: no depth test, thin lines, the matrix restored.
    EXPECT_FALSE(gl_recorder()->draw.depth_test);
    EXPECT_FLOAT_EQ(gl_recorder()->draw.line_width, 1);
    EXPECT_EQ(gl_recorder()->modelview.size(), 1u);
}

TEST_F(Building, BodyIsSixGreyFacesAndLeavesDepthTestingOn) {
    Talo t = building();
    glDisable(GL_DEPTH_TEST);
    t.drawPolys(0.0f, 0.6f);
    const std::vector<GlBatch>& b = gl_recorder()->batches;
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0].prim, (GLenum)GL_QUADS);
    ASSERT_EQ(b[0].count(), 24);
    EXPECT_TRUE(b[0].state.depth_test);
    EXPECT_TRUE(b[0].state.depth_mask);
    EXPECT_FLOAT_EQ(b[0].c[0], harmaa.x);
    EXPECT_FLOAT_EQ(b[0].c[2], harmaa.z);
    EXPECT_FLOAT_EQ(alpha(b[0], 0), 0.6f);
    // Top, bottom, then the sides t0 t1 b1 b0, t1 t2 b2 b1, t3 t0 b0 b3, t2 t3 b3 b2.
    const float w = 0.1f, h = 2;
    const Vector expected[24] = {{-w, h, -w}, {w, h, -w},  {w, h, w},   {-w, h, w},  {-w, 0, -w},
                                 {w, 0, -w},  {w, 0, w},   {-w, 0, w},  {-w, h, -w}, {w, h, -w},
                                 {w, 0, -w},  {-w, 0, -w}, {w, h, -w},  {w, h, w},   {w, 0, w},
                                 {w, 0, -w},  {-w, h, w},  {-w, h, -w}, {-w, 0, -w}, {-w, 0, w},
                                 {w, h, w},   {-w, h, w},  {-w, 0, w},  {w, 0, w}};
    for (int i = 0; i < 24; i++)
        expect_near(vertex(b[0], i), expected[i], 0, "body corner");
    EXPECT_TRUE(gl_recorder()->draw.depth_test);
    // The same body whatever pos.
    std::vector<float> first = b[0].v;
    gl_recorder_reset();
    t.drawPolys(0.9f, 0.6f);
    EXPECT_EQ(gl_recorder()->batches[0].v, first);
}

using Road = Recorded;

TEST_F(Road, TwoHundredRungsCentredOnTheLineFadingInwards) {
    setSeed(5);
    Vector colour = violetti, from(10, 0, 0), to(0, 0, 0);
    Polku road(0.2f, 0.6f, colour, from, to);
    // Seven draws a rung.
    setSeed(5);
    for (int i = 0; i < 1400; i++)
        randFloat();
    unsigned int after = SEED;
    randFloat();
    setSeed(5);
    Polku again(0.2f, 0.6f, colour, from, to);
    EXPECT_EQ(SEED, after);

    ASSERT_EQ(road.count, 200);
    EXPECT_EQ(road.start, 0.2f);
    EXPECT_EQ(road.end, 0.6f);
    EXPECT_EQ(road.colour, violetti);
    for (int i = 0; i < road.count; i++) {
        float s = i / 200.0f;
        EXPECT_FLOAT_EQ(road.fadeleft[i], s * s);
        EXPECT_EQ(road.fadeleft[i], road.faderight[i]);
        // 0.6 long and centred on the line, give or take the jitter of the ends (under 0.071).
        Vector mid = (road.left[i] + road.right[i]) * 0.5f;
        expect_near(mid, lerpVector(from, to, s), 0.071f, "rung centre");
        EXPECT_NEAR((road.left[i] - road.right[i]).length(), 0.6f, 0.142f);
        EXPECT_EQ(road.left[i].y, 0);
        EXPECT_EQ(road.left[i], again.left[i]);
    }
    EXPECT_EQ(road.fadeleft[0], 0);
}

TEST_F(Road, HighlightIsEmptyBeforeItsWindowAndWholeAfter) {
    setSeed(7);
    Vector colour = oranssi, from(0, 0, 14.5f), to(0, 0, 0.2f);
    Polku road(0.0f, 0.35f, colour, from, to);

    road.draw(0.0f, 1);
    std::vector<GlBatch> b = gl_recorder()->batches;
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b[0].prim, (GLenum)GL_LINES);
    EXPECT_EQ(b[0].count(), 400);
    EXPECT_FLOAT_EQ(b[0].state.line_width, 4);
    EXPECT_FALSE(b[0].state.depth_test);
    EXPECT_FALSE(b[0].state.depth_mask);
    EXPECT_FLOAT_EQ(b[0].c[0], oranssi.x);
    // Every rung in colour regardless of the highlight, invisible at the outer end.
    EXPECT_EQ(alpha(b[0], 0), 0);
    EXPECT_EQ(alpha(b[0], 1), 0);
    EXPECT_FLOAT_EQ(alpha(b[0], 398), road.fadeleft[199] * 0.7f);
    EXPECT_EQ(b[1].prim, (GLenum)GL_LINES);
    EXPECT_EQ(b[1].count(), 0);
    EXPECT_TRUE(gl_recorder()->draw.depth_mask);

    gl_recorder_reset();
    road.draw(0.35f, 0.5f);
    b = gl_recorder()->batches;
    ASSERT_EQ(b[1].count(), 400);
    EXPECT_FLOAT_EQ(b[1].state.line_width, 1);
    EXPECT_EQ(b[1].state.blend_dst, (GLenum)GL_ONE);
    EXPECT_FALSE(b[1].state.depth_mask);
    // x = 200 exactly: the last rung is the fractional one, at 0.
    EXPECT_EQ(alpha(b[1], 398), 0);
    EXPECT_EQ(alpha(b[1], 399), 0);
    EXPECT_FLOAT_EQ(alpha(b[1], 396), 0.5f * road.fadeleft[198] * 1.2f);
    EXPECT_FLOAT_EQ(alpha(b[1], 397), 0.5f * road.faderight[198] * 1.2f);
    expect_near(vertex(b[1], 20), road.left[10], 0, "rung 10 left");
    expect_near(vertex(b[1], 21), road.right[10], 0, "rung 10 right");
}

TEST_F(Road, FrontRungFadesInWithTheFraction) {
    setSeed(9);
    Vector colour = sininen, from(0, 0, 14.5f), to(0, 0, 0.2f);
    Polku road(0.0f, 1.0f, colour, from, to);
    // g = 0.5025: x = 100.5, rungs 0..100 drawn, rung 100 at half of 1.2.
    float pos = 0.5025f;
    road.draw(pos, 1);
    const GlBatch& h = gl_recorder()->batches[1];
    float x = 200 * pos;
    int n = (int)x;
    ASSERT_EQ(h.count(), 2 * n);
    EXPECT_EQ(n, 100);
    EXPECT_FLOAT_EQ(alpha(h, 2 * (n - 1)), pos * road.fadeleft[n - 1] * (x - n) * 1.2f);
    EXPECT_FLOAT_EQ(alpha(h, 2 * (n - 2)), pos * road.fadeleft[n - 2] * 1.2f);
}

class City : public Recorded {
  protected:
    void SetUp() override {
        Recorded::SetUp();
        molekyyli_init();
        kaupunki_init();
    }
    void TearDown() override {
        kaupunki_free();
        molekyyli_free();
        Recorded::TearDown();
    }
    const std::vector<GlBatch>& frame(float pos) {
        gl_recorder_reset();
        kaupunki(pos);
        return gl_recorder()->batches;
    }
};

// Roads (2 batches each), building frames (6 each) and bodies (1 each).
const int kCityBatches = 15 * 2 + 150 * 6 + 150;

TEST_F(City, InvisibleAtItsStartAndNoChipBeforeThirtySixHundredths) {
    const std::vector<GlBatch>& start = frame(0.0f);
    EXPECT_EQ((int)start.size(), kCityBatches);
    EXPECT_EQ(max_alpha(start), 0);
    EXPECT_EQ((int)frame(0.3f).size(), kCityBatches);
    EXPECT_EQ((int)frame(0.36f).size(), kCityBatches);
    EXPECT_GT(max_alpha(frame(0.3f)), 0.5f);
}

TEST_F(City, FourHundredSeventyChipsAndThirtyMoleculesRiseFromTheCentre) {
    const std::vector<GlBatch>& b = frame(0.5f);
    int fills = 0, bodies = 0;
    for (size_t i = kCityBatches; i < b.size(); i++) {
        fills += b[i].prim == GL_QUADS;
        bodies += b[i].prim == GL_LINES && b[i].state.line_width == 6.0f;
    }
    EXPECT_EQ(fills, 470);
    EXPECT_EQ(bodies, 30);
    // The first chip that is not a molecule, u = 1: its fill is centred where it has risen to.
    const GlBatch* fill = nullptr;
    for (size_t i = kCityBatches; i < b.size() && !fill; i++)
        if (b[i].prim == GL_QUADS)
            fill = &b[i];
    ASSERT_NE(fill, nullptr);
    const AlkuPala& c = kaupunkipalaset[1];
    float cycle = c.speed * 0.5f + c.phase;
    float f = cycle - (float)(int)cycle;
    Vector centre;
    for (int k = 0; k < 4; k++)
        centre += vertex(*fill, k);
    expect_near(centre * 0.25f, lerpVector(c.from, c.to, f), 1e-4f, "chip 1");
    EXPECT_FLOAT_EQ(fill->c[0], violetti.x); // u mod 4 = 1
    EXPECT_TRUE(fill->state.depth_test);
}

TEST_F(City, ChipsFadeInBetweenThirtySixAndFortyOneHundredths) {
    // The fills carry half of a chip's alpha A, which is at most m = calcPosFloat(pos, 0.36, 0.41).
    auto brightest_fill = [&](float pos) {
        const std::vector<GlBatch>& b = frame(pos);
        float a = 0;
        for (size_t i = kCityBatches; i < b.size(); i++)
            if (b[i].prim == GL_QUADS)
                a = std::max(a, alpha(b[i], 0));
        return a;
    };
    float early = brightest_fill(0.37f), full = brightest_fill(0.45f);
    EXPECT_GT(early, 0.05f);
    EXPECT_LE(early, 0.5f * calcPosFloat(0.37f, 0.36f, 0.41f));
    EXPECT_GT(full, 0.4f);
}

TEST_F(City, RoadHighlightsRunInwardsOverTheFirstThirtyFiveHundredths) {
    for (float pos : {0.1f, 0.175f, 0.35f, 0.8f}) {
        const std::vector<GlBatch>& b = frame(pos);
        int n = (int)(200 * calcPosFloat(pos, 0, 0.35f));
        for (int r = 0; r < 15; r++) {
            EXPECT_EQ(b[2 * r].count(), 400);
            EXPECT_EQ(b[2 * r + 1].count(), 2 * n) << "road " << r << " at " << pos;
        }
    }
}

TEST_F(City, BuildingsRiseOneAfterAnotherFromTwentySevenHundredths) {
    for (int i : {0, 1, 75, 149}) {
        EXPECT_FLOAT_EQ(talot[i].start, i / 150.0f * 0.4f + 0.27f);
        EXPECT_FLOAT_EQ(talot[i].end, talot[i].start + 0.029333334f);
    }
    // Building i's white top square at g: its first corner (-w g, h g, -w g).
    auto white_top = [&](const std::vector<GlBatch>& b, int i) {
        return vertex(b[30 + 6 * i + 3], 0);
    };
    const std::vector<GlBatch>& early = frame(0.27f);
    expect_near(white_top(early, 0), Vector(0, 0, 0), 0, "building 0 before it rises");
    expect_near(white_top(early, 149), Vector(0, 0, 0), 0, "building 149 before it rises");
    float mid = (talot[75].start + talot[75].end) * 0.5f;
    const std::vector<GlBatch>& b = frame(mid);
    float g = calcPosFloat(mid, talot[75].start, talot[75].end);
    expect_near(white_top(b, 75),
                Vector(-talot[75].halfwidth * g, talot[75].height * g, -talot[75].halfwidth * g),
                1e-6f, "building 75 halfway");
    expect_near(white_top(b, 0), vertex(b[30], 0), 0, "building 0 risen");
    const std::vector<GlBatch>& late = frame(0.7f);
    for (int i = 0; i < 150; i++)
        ASSERT_EQ(late[30 + 6 * i + 3].v, late[30 + 6 * i].v) << "building " << i;
}

TEST_F(City, TheSeedFixesACityWithinItsDisc) {
    for (int i = 0; i < 150; i++) {
        const Talo& t = talot[i];
        EXPECT_EQ(t.position.y, 0);
        float r = t.position.length();
        EXPECT_GE(r, 0.029f);
        EXPECT_LE(r, 2.531f);
        EXPECT_GE(t.halfwidth, 0.1f);
        EXPECT_LE(t.halfwidth, 0.2f);
        // Only the widest are also half as tall again.
        EXPECT_LE(t.height, t.halfwidth > 0.18f ? 4.95f : 3.3f);
        EXPECT_GE(t.height, t.halfwidth > 0.18f ? 0.75f : 0.5f);
        const Vector colours[3] = {oranssi, sininen, violetti};
        EXPECT_EQ(t.colour, colours[i % 3]);
    }
    for (int i = 0; i < 15; i++) {
        const Polku& p = *polut[i];
        float a = i / 15.0f * 2 * 3.141592f;
        Vector dir((float)sin(a), 0, (float)cos(a));
        // The first rung sits at the outer end, the last nearly at the inner one.
        expect_near((p.left[0] + p.right[0]) * 0.5f, dir * 14.5f, 0.071f, "outer end");
        expect_near((p.left[199] + p.right[199]) * 0.5f,
                    lerpVector(dir * 14.5f, dir * 0.2f, 0.995f), 0.071f, "inner end");
        EXPECT_EQ(p.start, 0.0f);
        EXPECT_EQ(p.end, 0.35f);
    }
    for (int u = 0; u < 500; u++) {
        const AlkuPala& c = kaupunkipalaset[u];
        EXPECT_EQ(c.from.y, 0);
        EXPECT_LE(c.from.length(), 1.0001f);
        EXPECT_FLOAT_EQ(c.to.y, 15);
        EXPECT_NEAR(Vector(c.to.x, 0, c.to.z).length(), c.from.length() * 6.5f, 1e-4f);
        EXPECT_GE(c.speed, 3);
        EXPECT_LE(c.speed, 4);
    }
    // Ten draws a chip after the buildings' five and the roads' 1400 each.
    Vector first = talot[0].position;
    kaupunki_free();
    setSeed(1);
    kaupunki_init();
    EXPECT_EQ(talot[0].position, first);
}

TEST_F(City, CameraFliesAlongItsTwoPaths) {
    const std::vector<GlBatch>& b = frame(0.0f);
    expect_near(eye_of(b[0].mv), Vector(0, 2, -5), 1e-4f, "eye at the start");
    Vector towards = Vector(0, 4, 0) - Vector(0, 2, -5);
    expect_near(forward_of(b[0].mv), towards.normalize(), 1e-5f, "looking at (0, 4, 0)");
    const std::vector<GlBatch>& end = frame(1.0f);
    expect_near(eye_of(end[0].mv), Vector(9, 7, 13), 1e-4f, "eye at the end");
    const std::vector<GlBatch>& mid = frame(3 / 7.0f);
    expect_near(eye_of(mid[0].mv), Vector(-2, 7, -1), 1e-3f, "fourth point at three sevenths");
}

} // namespace
