// The driver's timeline and envelopes, the frame set-up and the backdrops, observed through the
// recorder back end.
#include "engine/backdrop.h"
#include "engine/gl.h"
#include "engine/glrecorder.h"
#include "engine/position.h"
#include "engine/sync.h"
#include "engine/window.h"
#include "show/show.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

TEST(Position, WindowsAreInclusive) {
    const int w[2] = {5, 10};
    const int ms[] = {4, 5, 7, 10, 11};
    const float pos[] = {0, 0, 0.4f, 1, 1};
    for (int i = 0; i < 5; i++) {
        EXPECT_EQ(testaaPos(ms[i], w), i > 0 && i < 4) << ms[i];
        EXPECT_FLOAT_EQ(laskePos(ms[i], w), pos[i]) << ms[i];
        EXPECT_FLOAT_EQ(calcPosInt(ms[i], 5, 10), pos[i]) << ms[i];
        EXPECT_FLOAT_EQ(calcPosFloat(ms[i], 5, 10), pos[i]) << ms[i];
    }
}

TEST(Position, SaturateRisesHoldsAndFalls) {
    const float a = 35000, b = 124000, k = 12; // the first backdrop's envelope
    EXPECT_EQ(calcSaturate(a, a, b, k), 0.0f);
    EXPECT_EQ(calcSaturate(b, a, b, k), 0.0f);
    EXPECT_NEAR(calcSaturate(36000, a, b, k), 0.4235f, 1e-4f);
    // The plateau spans about 37364..121636 ms.
    EXPECT_LT(calcSaturate(37300, a, b, k), 1.0f);
    EXPECT_EQ(calcSaturate(37420, a, b, k), 1.0f);
    EXPECT_EQ(calcSaturate(121580, a, b, k), 1.0f);
    EXPECT_LT(calcSaturate(121700, a, b, k), 1.0f);
    EXPECT_NEAR(calcSaturate(15, 10, 20, 0.5f), 0.5f, 1e-6f); // with k below 1 the centre is k
}

// The scenes a frame draws, in order, with their pos.
static std::string drawn_at(int ms) {
    ScenePos s[TIMELINE_SCENES];
    int n = show_scenes_at(ms, s);
    std::string out;
    for (int i = 0; i < n; i++)
        out += (i ? " " : "") + std::string(s[i].scene->name) + "@" + std::to_string(s[i].pos);
    return out;
}

TEST(Timeline, OverlapsAndBoundaries) {
    const std::pair<int, const char*> frames[] = {{0, "alku@0.000000"},
                                                  {21000, "alku@0.893617 rakenne@0.050000"},
                                                  {79000, "pyorre@1.000000 ruutu@0.000000"},
                                                  {79001, "ruutu@0.000043"},
                                                  {124000, "kasvu@1.000000 aukko@0.000000"},
                                                  {200000, "kaupunki@1.000000"},
                                                  {200001, ""}};
    for (const auto& f : frames)
        EXPECT_EQ(drawn_at(f.first), f.second) << f.first;
    for (int ms = 0; ms <= 200000; ms += 250)
        EXPECT_NE(drawn_at(ms), "") << "nothing drawn at " << ms;
}

TEST(Timeline, FrameMillisecondTruncates) {
    const std::pair<float, int> times[] = {
        {0.0f, 0}, {1.9999f, 1999}, {36.0f, 36000}, {200.0005f, 200000}};
    for (const auto& t : times)
        EXPECT_EQ(show_ms(t.first), t.second) << t.first;
}

// The cue sheet and the tests find a track's scene by the name it was made with: a track that
// names no scene of the table would never fire on the sheet.
TEST(Timeline, EveryTrackTheShowBuildsNamesItsScene) {
    gl_use_null();
    size_t before = sync_tracks().size();
    show_init();
    std::string owners;
    for (size_t i = before; i < sync_tracks().size(); i++) {
        const char* scene = sync_tracks()[i]->scene;
        EXPECT_NE(scene_find(scene), nullptr) << "a track names \"" << scene << "\"";
        if (owners.find(scene) == std::string::npos)
            owners += std::string(owners.empty() ? "" : " ") + scene;
    }
    // In the build order: kasvu first, kellu last.
    EXPECT_EQ(owners, "kasvu pyorre viivatus ruutu perhonen virta kellu");
    show_free();
    EXPECT_EQ(sync_tracks().size(), before);
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
    EXPECT_TRUE(r->draw.depth_mask && r->draw.line_smooth && r->draw.point_smooth);
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

TEST_F(Recorded, BandsDrawNothingAtZeroAndRestoreTheMatricesOtherwise) {
    size_t calls = gl_recorder()->calls.size();
    taustasky(0.4f, 0);
    taustaground(0.4f, -1);
    EXPECT_EQ(gl_recorder()->calls.size(), calls);
    GlMat4 before = gl_recorder_matrix(GL_PROJECTION);
    taustasky(0.4f, 1);
    EXPECT_EQ(gl_recorder()->batches.size(), 1u);
    EXPECT_TRUE(gl_recorder()->draw.depth_mask);
    EXPECT_EQ(memcmp(gl_recorder_matrix(GL_PROJECTION).m, before.m, sizeof before.m), 0);
    EXPECT_EQ(gl_recorder_matrix(GL_MODELVIEW).m[12], 0.0f);
    EXPECT_EQ(gl_recorder()->errors, 0);
}

// The bands come first in a frame, each a black quad on the unit overlay with depth writes off,
// fading from its edge. At 1 s every envelope is still zero. At 150 s the first sky band has
// faded (it ends at 124 s); the ground (to 182 s) is at full strength and the third envelope
// (140..160 s) half way.
TEST_F(Recorded, BackdropEnvelopesOverTheShow) {
    auto is_band = [](const GlBatch& b) {
        float corner[4];
        gl_mat4_apply(b.proj, 1, 1, 0, corner);
        return b.prim == GL_QUADS && b.count() == 4 && !b.state.depth_mask && b.c[0] == 0 &&
               b.c[1] == 0 && b.c[2] == 0 && corner[0] == 1 && corner[1] == 1 && b.state.blend &&
               b.state.blend_dst == GL_ONE_MINUS_SRC_ALPHA;
    };
    show_init();
    show_frame(1000);
    for (const GlBatch& b : gl_recorder()->batches)
        EXPECT_FALSE(is_band(b)) << "a band at 1 s";
    gl_recorder_reset();
    show_frame(150000);
    const std::vector<GlBatch>& b = gl_recorder()->batches;
    ASSERT_GE(b.size(), 2u);
    const float ys[2][4] = {{1, 1, 0.6f, 0.6f}, {0, 0, 0.5f, 0.5f}}; // ground, then sky
    const float alphas[2][4] = {{1, 1, 0, 0}, {0.5f, 0.5f, 0, 0}};
    for (int band = 0; band < 2; band++) {
        EXPECT_TRUE(is_band(b[band])) << band;
        for (int i = 0; i < 4; i++) {
            EXPECT_FLOAT_EQ(b[band].v[i * 3 + 1], ys[band][i]) << band << " " << i;
            EXPECT_FLOAT_EQ(b[band].c[i * 4 + 3], alphas[band][i]) << band << " " << i;
        }
    }
    show_free();
}
