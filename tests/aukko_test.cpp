// Scene aukko through the recorder: the funnel's rings and the stalks as they grow, the white
// highlights' windows and the camera at the end of the window.
#include "engine/colors.h"
#include "engine/gl.h"
#include "engine/glrecorder.h"
#include "engine/path.h"
#include "engine/position.h"
#include "molecules/molecules.h"
#include "scenes/aukko.h"
#include "scenes/scenes.h"
#include "tests/batches.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {

// The funnel's edge lines: additive 3-pixel strips (nothing else in the scene draws strips).
std::vector<const GlBatch*> edges() {
    return batches_of(GL_LINE_STRIP);
}

// Stalks are the 3-pixel independent lines; the molecules draw theirs at 6 and 1 pixels.
std::vector<const GlBatch*> stalks() {
    std::vector<const GlBatch*> out;
    for (const GlBatch* b : batches_of(GL_LINES))
        if (b->state.line_width == 3.0f)
            out.push_back(b);
    return out;
}

// Highlights: 1-pixel lines drawn with the depth test off (the molecules keep it on).
std::vector<const GlBatch*> highlights() {
    std::vector<const GlBatch*> out;
    for (const GlBatch* b : batches_of(GL_LINES))
        if (b->state.line_width == 1.0f && !b->state.depth_test)
            out.push_back(b);
    return out;
}

// The arguments of every call of that name, in order.
std::vector<std::vector<double>> calls_of(const char* name) {
    std::vector<std::vector<double>> out;
    for (const GlCall& c : gl_recorder()->calls)
        if (strcmp(c.name, name) == 0)
            out.push_back(std::vector<double>(c.a, c.a + 4));
    return out;
}

} // namespace

class Aukko : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        molekyyli_init();
        aukko_init();
    }
    static void TearDownTestSuite() {
        aukko_free();
        molekyyli_free();
    }
    void SetUp() override {
        gl_use_recorder();
        gl_recorder_reset();
    }
    void TearDown() override { gl_use_null(); }
    void draw(float p) {
        gl_recorder_reset();
        aukko(p);
    }
};

TEST_F(Aukko, AtTheStartNoRingsAndTwelvePointStalksAtTheOrigin) {
    draw(0);
    std::vector<const GlBatch*> strips = batches_of(GL_TRIANGLE_STRIP);
    ASSERT_EQ(strips.size(), 16u);
    for (const GlBatch* s : strips)
        EXPECT_EQ(s->count(), 0);
    ASSERT_EQ(edges().size(), 16u);
    for (const GlBatch* e : edges())
        EXPECT_EQ(e->count(), 0);
    std::vector<const GlBatch*> st = stalks();
    ASSERT_EQ(st.size(), 9u);
    for (const GlBatch* s : st) {
        EXPECT_EQ(s->count(), 12);
        EXPECT_EQ(s->c[3], 0.0f); // the envelope is 0
    }
    EXPECT_TRUE(highlights().empty());
    // Point 49 is not grown yet, so every molecule waits at the origin.
    std::vector<std::vector<double>> moves = calls_of("glTranslatef");
    ASSERT_EQ(moves.size(), 9u);
    for (const auto& m : moves) {
        EXPECT_EQ(m[0], 0.0);
        EXPECT_EQ(m[1], 0.0);
        EXPECT_EQ(m[2], 0.0);
    }
}

TEST_F(Aukko, RingsAndStalksGrowToTheirFullCounts) {
    struct {
        float p;
        int rings, stalk;
    } cases[] = {{0.01f, 50, 25}, {0.02f, 100, 37}, {0.03f, 100, 50}, {0.5f, 100, 50}};
    for (auto c : cases) {
        draw(c.p);
        std::vector<const GlBatch*> strips = batches_of(GL_TRIANGLE_STRIP);
        ASSERT_EQ(strips.size(), 16u);
        for (const GlBatch* s : strips)
            EXPECT_EQ(s->count(), 2 * c.rings) << "p " << c.p;
        for (const GlBatch* e : edges())
            EXPECT_EQ(e->count(), c.rings) << "p " << c.p;
        std::vector<const GlBatch*> st = stalks();
        ASSERT_EQ(st.size(), 9u);
        for (const GlBatch* s : st)
            EXPECT_EQ(s->count(), c.stalk) << "p " << c.p;
    }
    // Fully grown, each molecule sits on the tip of its stalk.
    draw(0.5f);
    std::vector<const GlBatch*> st = stalks();
    std::vector<std::vector<double>> moves = calls_of("glTranslatef");
    ASSERT_EQ(moves.size(), 9u);
    for (int m = 0; m < 9; m++) {
        Vector tip = vertex(*st[m], 49);
        EXPECT_EQ(moves[m][0], tip.x);
        EXPECT_EQ(moves[m][1], tip.y);
        EXPECT_EQ(moves[m][2], tip.z);
    }
}

TEST_F(Aukko, FunnelRunsFromAClearRimToAnOpaqueThroat) {
    draw(0.5f);
    std::vector<const GlBatch*> strips = batches_of(GL_TRIANGLE_STRIP);
    std::vector<const GlBatch*> lines = edges();
    ASSERT_EQ(strips.size(), 16u);
    for (int k = 0; k < 16; k++) {
        const GlBatch& s = *strips[k];
        const Vector& colour = k % 2 ? sininen : oranssi;
        EXPECT_EQ(s.c[0], colour.x) << k;
        EXPECT_EQ(s.c[2], colour.z) << k;
        // The rim: radius 13 at y = 0, fully transparent; the last ring at y = -19.8.
        Vector rim = vertex(s, 0);
        EXPECT_EQ(rim.y, 0.0f);
        EXPECT_NEAR(std::hypot(rim.x, rim.z), 13.0f, 1e-5f);
        EXPECT_EQ(s.c[3], 0.0f);
        Vector throat = vertex(s, 198);
        EXPECT_NEAR(throat.y, -19.8f, 1e-5f);
        EXPECT_NEAR(std::hypot(throat.x, throat.z), 0.1f, 1e-3f);
        EXPECT_GT(s.c[198 * 4 + 3], 0.99f);
        EXPECT_EQ(s.state.blend_dst, (GLenum)GL_ONE_MINUS_SRC_ALPHA);
        EXPECT_TRUE(s.state.depth_test);
        EXPECT_TRUE(s.state.depth_mask);
        // The edge follows the first vertex of each ring, 0.05 higher, at twice its alpha.
        const GlBatch& e = *lines[k];
        EXPECT_EQ(e.state.line_width, 3.0f);
        EXPECT_EQ(e.state.blend_dst, (GLenum)GL_ONE);
        for (int j = 0; j < 100; j += 11) {
            EXPECT_EQ(e.v[j * 3], s.v[j * 6]);
            EXPECT_FLOAT_EQ(e.v[j * 3 + 1], s.v[j * 6 + 1] + 0.05f);
            EXPECT_EQ(e.c[j * 4], oranssi.x);
            EXPECT_FLOAT_EQ(e.c[j * 4 + 3], 2 * s.c[j * 8 + 3]);
        }
    }
}

TEST_F(Aukko, HighlightsRunFromTheirOwnStartToFullStrength) {
    // Stalk m lights from p = 0.45 + 0.01 m and is at full strength from 0.6 + 0.01 m.
    struct {
        float p;
        int lit;
    } cases[] = {{0.3f, 0}, {0.45f, 0}, {0.455f, 1}, {0.5f, 5}, {0.535f, 9}, {0.9f, 9}};
    for (auto c : cases) {
        draw(c.p);
        std::vector<const GlBatch*> h = highlights();
        ASSERT_EQ((int)h.size(), c.lit) << "p " << c.p;
        float S = calcSaturate(c.p, 0, 1, 6);
        for (int m = 0; m < c.lit; m++) {
            float expect = S * calcPosFloat(c.p, 0.01f * m + 0.45f, 0.01f * m + 0.6f);
            EXPECT_FLOAT_EQ(h[m]->c[3], expect) << "p " << c.p << " stalk " << m;
            EXPECT_EQ(h[m]->c[0], 1.0f);
            EXPECT_EQ(h[m]->count(), 16);
            EXPECT_EQ(h[m]->state.blend_dst, (GLenum)GL_ONE);
        }
    }
    // Full strength: at 0.6 for the first stalk, at 0.68 for the last.
    draw(0.6f);
    EXPECT_FLOAT_EQ(highlights()[0]->c[3], calcSaturate(0.6f, 0, 1, 6));
    EXPECT_LT(highlights()[1]->c[3], calcSaturate(0.6f, 0, 1, 6));
    draw(0.68f);
    EXPECT_FLOAT_EQ(highlights()[8]->c[3], calcSaturate(0.68f, 0, 1, 6));
    // A highlight runs down the upper end of its stalk, from the tip.
    draw(0.7f);
    const GlBatch& stalk = *stalks()[2];
    const GlBatch& lit = *highlights()[2];
    for (int i = 0; i < 16; i++) {
        EXPECT_EQ(lit.v[i * 3], stalk.v[(49 - i) * 3]);
        EXPECT_EQ(lit.v[i * 3 + 1], stalk.v[(49 - i) * 3 + 1]);
    }
}

TEST_F(Aukko, CameraEndsInTheLastSegmentTurnedSharplyAway) {
    draw(1);
    std::vector<std::vector<double>> look = calls_of("gluLookAt");
    ASSERT_EQ(look.size(), 1u);
    // 0.97 along eight points is 0.79 into the last segment, (3, 3, 20) to (-5, 4, 24), whose
    // start tangent is their difference and whose end tangent is zero.
    float u = 0.97f * 7 - 6;
    float h00 = 2 * u * u * u - 3 * u * u + 1, h10 = u * u * u - 2 * u * u + u;
    float h01 = -2 * u * u * u + 3 * u * u;
    Vector a(3, 3, 20), b(-5, 4, 24);
    Vector eye = a * h00 + (b - a) * h10 + b * h01;
    EXPECT_NEAR(look[0][0], eye.x, 1e-4);
    EXPECT_NEAR(look[0][1], eye.y, 1e-4);
    EXPECT_NEAR(look[0][2], eye.z, 1e-4);
    EXPECT_GT((Vector((float)look[0][0], (float)look[0][1], (float)look[0][2]) - b).length(), 0.1f);

    // The whole view: the target at (150, -105 + 0.3, 0), up (-0.2, 1, 0), turned 140 degrees.
    GlMat4 seen = batches_of(GL_TRIANGLE_STRIP)[0]->mv;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(look[0][0], look[0][1], look[0][2], 150, -105 + 0.3f * (float)sin(3.141592f * 0.5f),
              0, -0.2f, 1, 0);
    glRotatef(140, 0, 1, 0);
    const GlMat4& expect = gl_recorder_matrix(GL_MODELVIEW);
    for (int i = 0; i < 16; i++)
        EXPECT_NEAR(seen.m[i], expect.m[i], 1e-5f) << i;
}
