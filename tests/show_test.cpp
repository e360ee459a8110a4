// The driver's timeline and envelopes, the frame set-up and the backdrops, observed through the
// recorder back end.
#include "engine/backdrop.h"
#include "engine/gl.h"
#include "engine/glrecorder.h"
#include "engine/position.h"
#include "engine/random.h"
#include "show/show.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

TEST(Position, WindowsAreInclusive) {
    const int w[2] = {5, 10};
    EXPECT_EQ(testaaPos(4, w), 0);
    EXPECT_EQ(testaaPos(5, w), 1);
    EXPECT_EQ(testaaPos(10, w), 1);
    EXPECT_EQ(testaaPos(11, w), 0);
    EXPECT_EQ(laskePos(5, w), 0.0f);
    EXPECT_EQ(laskePos(10, w), 1.0f);
    EXPECT_EQ(calcPosFloat(5, 5, 10), 0.0f);
    EXPECT_EQ(calcPosFloat(10, 5, 10), 1.0f);
    EXPECT_EQ(calcPosFloat(2, 5, 10), 0.0f);
    EXPECT_EQ(calcPosFloat(12, 5, 10), 1.0f);
    EXPECT_FLOAT_EQ(calcPosInt(7, 5, 10), 0.4f);
}

TEST(Position, SaturateRisesHoldsAndFalls) {
    EXPECT_EQ(calcSaturate(35000, 35000, 124000, 12), 0.0f);
    EXPECT_EQ(calcSaturate(124000, 35000, 124000, 12), 0.0f);
    EXPECT_NEAR(calcSaturate(36000, 35000, 124000, 12), 0.4235f, 1e-4f);
    EXPECT_EQ(calcSaturate(79500, 35000, 124000, 12), 1.0f);
    // The plateau spans about 37364..121636 ms.
    EXPECT_LT(calcSaturate(37300, 35000, 124000, 12), 1.0f);
    EXPECT_EQ(calcSaturate(37420, 35000, 124000, 12), 1.0f);
    EXPECT_EQ(calcSaturate(121580, 35000, 124000, 12), 1.0f);
    EXPECT_LT(calcSaturate(121700, 35000, 124000, 12), 1.0f);
    // With k below 1 the centre is k itself.
    EXPECT_NEAR(calcSaturate(15, 10, 20, 0.5f), 0.5f, 1e-6f);
    EXPECT_EQ(calcSaturate(9, 10, 20, 0.5f), 0.0f);
}

// The plateau is recognised without a sine, and the bulk form takes its sines a vector at a time;
// the values must still be those of the plain envelope, clamp and all, for every gain, to the last
// bit and right up to the plateau's edges.
TEST(Position, SaturateShortcutKeepsEveryValue) {
    auto plain = [](float t, float a, float b, float k) {
        if (t <= a || t >= b)
            return 0.0f;
        float s = (float)sin(((t - a) / (b - a)) * 3.141592f) * k;
        return s < 0.0f ? 0.0f : s > 1.0f ? 1.0f : s;
    };
    const int n = 200021;
    std::vector<float> unit(n), window(n), bulk(n);
    for (int i = 0; i < n; i++) {
        unit[i] = (i - 10) / 200000.0f;
        window[i] = 35000 + (i - 10) * 0.445f;
    }
    int mismatches = 0;
    auto differ = [](float a, float b) { return memcmp(&a, &b, sizeof a) != 0; };
    for (float k : {-1e7f, -3.0f, 0.0f, 0.5f, 1.0f, 1.0001f, 1.2f, 2.0f, 5.0f, 6.0f, 12.0f, 1e7f}) {
        calcSaturates(unit.data(), 0, 1, k, bulk.data(), n);
        for (int i = 0; i < n; i++) {
            float want = plain(unit[i], 0, 1, k);
            mismatches += differ(calcSaturate(unit[i], 0, 1, k), want) + differ(bulk[i], want);
        }
        calcSaturates(window.data(), 35000, 124000, k, bulk.data(), n);
        for (int i = 0; i < n; i++) {
            float want = plain(window[i], 35000, 124000, k);
            mismatches +=
                differ(calcSaturate(window[i], 35000, 124000, k), want) + differ(bulk[i], want);
        }
    }
    EXPECT_EQ(mismatches, 0);
}

static std::string drawn_at(int ms) {
    ScenePos s[TIMELINE_SCENES];
    int n = show_scenes_at(ms, s);
    std::string names;
    for (int i = 0; i < n; i++)
        names += (i ? " " : "") + std::string(s[i].scene->name);
    return names;
}

static float pos_of(int ms, const char* name) {
    ScenePos s[TIMELINE_SCENES];
    int n = show_scenes_at(ms, s);
    for (int i = 0; i < n; i++)
        if (strcmp(s[i].scene->name, name) == 0)
            return s[i].pos;
    return -1;
}

TEST(Timeline, OverlapsAndBoundaries) {
    EXPECT_EQ(drawn_at(0), "alku");
    EXPECT_EQ(pos_of(0, "alku"), 0.0f);
    EXPECT_EQ(drawn_at(21000), "alku rakenne");
    EXPECT_NEAR(pos_of(21000, "alku"), 0.8936f, 1e-4f);
    EXPECT_FLOAT_EQ(pos_of(21000, "rakenne"), 0.05f);
    EXPECT_EQ(drawn_at(79000), "pyorre ruutu");
    EXPECT_EQ(pos_of(79000, "pyorre"), 1.0f);
    EXPECT_EQ(pos_of(79000, "ruutu"), 0.0f);
    EXPECT_EQ(drawn_at(79001), "ruutu");
    EXPECT_EQ(drawn_at(124000), "kasvu aukko");
    EXPECT_EQ(pos_of(124000, "kasvu"), 1.0f);
    EXPECT_EQ(pos_of(124000, "aukko"), 0.0f);
    EXPECT_EQ(drawn_at(200000), "kaupunki");
    EXPECT_EQ(pos_of(200000, "kaupunki"), 1.0f);
    EXPECT_EQ(drawn_at(200001), "");
    EXPECT_EQ(drawn_at(250000), "");
}

TEST(Timeline, EveryMomentOfTheShowDrawsAScene) {
    for (int ms = 0; ms <= 200000; ms += 250)
        EXPECT_NE(drawn_at(ms), "") << ms;
}

TEST(Timeline, SceneLookup) {
    ASSERT_NE(scene_find("kellu"), nullptr);
    EXPECT_EQ(scene_find("kellu")->window[0], -1);
    EXPECT_EQ(scene_find("virta")->window[1], 180000);
    EXPECT_EQ(scene_find("nothing"), nullptr);
    for (const SceneEntry& s : scenes)
        EXPECT_NE(strstr(scene_names(), s.name), nullptr) << s.name;
}

TEST(Timeline, FrameMillisecondTruncates) {
    EXPECT_EQ(show_ms(0.0f), 0);
    EXPECT_EQ(show_ms(1.9999f), 1999);
    EXPECT_EQ(show_ms(36.0f), 36000);
    EXPECT_EQ(show_ms(200.0005f), 200000);
}

class Recorded : public ::testing::Test {
  protected:
    void SetUp() override {
        gl_use_recorder();
        gl_recorder_reset();
    }
    void TearDown() override { gl_use_null(); }
};

TEST_F(Recorded, FrameSetupResetsStateAndProjection) {
    glLineWidth(4);
    glDepthMask(GL_FALSE);
    show_frame_setup();
    GlRecorder* r = gl_recorder();
    EXPECT_EQ(r->draw.line_width, 1.0f);
    EXPECT_TRUE(r->draw.depth_mask);
    EXPECT_TRUE(r->draw.line_smooth);
    EXPECT_TRUE(r->draw.point_smooth);
    EXPECT_EQ(r->matrix_mode, (GLenum)GL_MODELVIEW);
    EXPECT_EQ(gl_recorder_count("glClear"), 1);
    EXPECT_EQ(r->viewport[2], OPENGL_XRES);
    EXPECT_EQ(r->viewport[3], OPENGL_YRES);
    // 45 degrees of field: the projection's y scale is cot(22.5 deg); x is that over 4/3.
    const GlMat4& p = gl_recorder_matrix(GL_PROJECTION);
    EXPECT_NEAR(p.m[5], 1.0f / tanf(22.5f * 3.14159265f / 180), 1e-5f);
    EXPECT_NEAR(p.m[0], p.m[5] * 0.75f, 1e-5f);
    EXPECT_EQ(p.m[11], -1.0f);
}

TEST_F(Recorded, ZeroStrengthBandDrawsNothing) {
    glDisable(GL_BLEND);
    size_t calls = gl_recorder()->calls.size();
    taustasky(0.4f, 0);
    taustaground(0.4f, -1);
    EXPECT_TRUE(gl_recorder()->batches.empty());
    EXPECT_EQ(gl_recorder()->calls.size(), calls);
    EXPECT_FALSE(gl_recorder()->draw.blend);
}

TEST_F(Recorded, SkyBandFadesFromTheBottomEdge) {
    GlMat4 before = gl_recorder_matrix(GL_PROJECTION);
    taustasky(0.4f, 1);
    const GlRecorder* r = gl_recorder();
    ASSERT_EQ(r->batches.size(), 1u);
    const GlBatch& b = r->batches[0];
    EXPECT_EQ(b.prim, (GLenum)GL_QUADS);
    ASSERT_EQ(b.count(), 4);
    const float ys[4] = {0, 0, 0.4f, 0.4f}, alphas[4] = {1, 1, 0, 0};
    for (int i = 0; i < 4; i++) {
        EXPECT_FLOAT_EQ(b.v[i * 3 + 1], ys[i]) << i;
        EXPECT_EQ(b.c[i * 4 + 3], alphas[i]) << i;
        EXPECT_EQ(b.c[i * 4], 0.0f);
    }
    EXPECT_FALSE(b.state.depth_mask);
    EXPECT_TRUE(b.state.blend);
    EXPECT_EQ(b.state.blend_dst, (GLenum)GL_ONE_MINUS_SRC_ALPHA);
    // The unit overlay maps (0,0)..(1,1) to clip space -1..1.
    float out[4];
    gl_mat4_apply(b.proj, 1, 1, 0, out);
    EXPECT_FLOAT_EQ(out[0], 1);
    EXPECT_FLOAT_EQ(out[1], 1);
    // After the band: depth mask back on, projection restored, identity modelview.
    EXPECT_TRUE(r->draw.depth_mask);
    EXPECT_EQ(memcmp(gl_recorder_matrix(GL_PROJECTION).m, before.m, sizeof before.m), 0);
    EXPECT_EQ(gl_recorder_matrix(GL_MODELVIEW).m[12], 0.0f);
    EXPECT_EQ(r->color[3], 0.0f);
    EXPECT_EQ(r->errors, 0);
}

TEST_F(Recorded, GroundBandHangsFromTheTopEdge) {
    taustaground(0.5f, 0.7f);
    const GlBatch& b = gl_recorder()->batches.at(0);
    const float ys[4] = {1, 1, 0.5f, 0.5f};
    for (int i = 0; i < 4; i++)
        EXPECT_FLOAT_EQ(b.v[i * 3 + 1], ys[i]) << i;
    EXPECT_FLOAT_EQ(b.c[3], 0.7f);
    EXPECT_FALSE(gl_recorder()->draw.texture);
}

// A backdrop band: one black quad on the unit overlay with depth writes off.
static bool is_band(const GlBatch& b) {
    float corner[4];
    gl_mat4_apply(b.proj, 1, 1, 0, corner);
    bool black = true;
    for (size_t i = 0; i < b.c.size(); i += 4)
        black &= b.c[i] == 0 && b.c[i + 1] == 0 && b.c[i + 2] == 0;
    return b.prim == GL_QUADS && b.count() == 4 && black && !b.state.depth_mask &&
           corner[0] == 1.0f && corner[1] == 1.0f;
}

TEST_F(Recorded, BackdropEnvelopesOverTheShow) {
    // The bands come first in a frame, before any scene. At 1 s every envelope is still zero.
    // At 150 s the first sky band has faded (it ends at 124 s); the ground (to 182 s) is at full
    // strength and the third envelope (140..160 s) half way. The scenes drawn after the bands
    // need the show's resources.
    show_init();
    show_frame(1000);
    for (const GlBatch& b : gl_recorder()->batches)
        EXPECT_FALSE(is_band(b)) << "a band was drawn at 1 s";

    gl_recorder_reset();
    show_frame(150000);
    const std::vector<GlBatch>& b = gl_recorder()->batches;
    ASSERT_GE(b.size(), 2u);
    EXPECT_TRUE(is_band(b[0]));
    EXPECT_TRUE(is_band(b[1]));
    EXPECT_EQ(b[0].v[1], 1.0f); // ground: top edge
    EXPECT_EQ(b[0].c[3], 1.0f);
    EXPECT_EQ(b[1].v[1], 0.0f); // sky: bottom edge
    EXPECT_FLOAT_EQ(b[1].c[3], 0.5f);
    EXPECT_FLOAT_EQ(b[1].v[7], 0.5f);
    show_free();
}
