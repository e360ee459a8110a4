// Glowing lines and rectangles through the recorder: layers, their order and state, corner
// order under rotation, and the GL state each function leaves for the caller.
#include "engine/gl.h"
#include "engine/glrecorder.h"
#include "engine/lights.h"

#include <gtest/gtest.h>

class Lights : public ::testing::Test {
  protected:
    void SetUp() override {
        gl_use_recorder();
        gl_recorder_reset();
    }
    void TearDown() override { gl_use_null(); }
    const GlBatch& batch(size_t k) { return gl_recorder()->batches.at(k); }
};

static void expect_vertex(const GlBatch& b, int k, float x, float y, float z, float eps = 1e-5f) {
    EXPECT_NEAR(b.v[3 * k], x, eps) << "vertex " << k;
    EXPECT_NEAR(b.v[3 * k + 1], y, eps) << "vertex " << k;
    EXPECT_NEAR(b.v[3 * k + 2], z, eps) << "vertex " << k;
}

static void expect_colour(const float* c, float r, float g, float b, float a) {
    EXPECT_FLOAT_EQ(c[0], r);
    EXPECT_FLOAT_EQ(c[1], g);
    EXPECT_FLOAT_EQ(c[2], b);
    EXPECT_FLOAT_EQ(c[3], a);
}

static void expect_blend(const GlDrawState& s, GLenum src, GLenum dst) {
    EXPECT_EQ(s.blend_src, src);
    EXPECT_EQ(s.blend_dst, dst);
}

static void expect_same_vertices(const GlBatch& a, const GlBatch& b) {
    ASSERT_EQ(a.count(), b.count());
    for (size_t k = 0; k < a.v.size(); k++)
        EXPECT_EQ(a.v[k], b.v[k]);
}

TEST_F(Lights, LineBodyThenWhiteCore) {
    glDisable(GL_BLEND);
    lightline(Vector(1, 2, 3), Vector(-4, 5, 6), Vector(0.2f, 0.4f, 0.6f), 5.0f, 0.7f, 0.3f);
    GlRecorder* r = gl_recorder();
    ASSERT_EQ(r->batches.size(), 2u);
    const GlBatch& body = batch(0);
    EXPECT_EQ(body.prim, (GLenum)GL_LINES);
    ASSERT_EQ(body.count(), 2);
    expect_vertex(body, 0, 1, 2, 3, 0);
    expect_vertex(body, 1, -4, 5, 6, 0);
    EXPECT_TRUE(body.state.blend);
    expect_blend(body.state, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(body.state.line_width, 5.0f);
    expect_colour(&body.c[0], 0.2f, 0.4f, 0.6f, 0.7f);

    const GlBatch& core = batch(1);
    EXPECT_EQ(core.prim, (GLenum)GL_LINES);
    expect_same_vertices(body, core);
    expect_blend(core.state, GL_SRC_ALPHA, GL_ONE);
    EXPECT_EQ(core.state.line_width, 1.0f);
    expect_colour(&core.c[4], 1, 1, 1, 0.3f);

    // Left behind for the caller.
    EXPECT_TRUE(r->draw.blend);
    expect_blend(r->draw, GL_SRC_ALPHA, GL_ONE);
    EXPECT_EQ(r->draw.line_width, 1.0f);
    expect_colour(r->color, 1, 1, 1, 0.3f);
    EXPECT_FALSE(r->draw.texture);
    EXPECT_EQ(r->errors, 0);
}

TEST_F(Lights, DegenerateLineStillLeavesTheState) {
    glLineWidth(7);
    lightline(Vector(1, 1, 1), Vector(1, 1, 1), Vector(1, 0, 0), 5.0f, 0, 0);
    GlRecorder* r = gl_recorder();
    ASSERT_EQ(r->batches.size(), 2u);
    EXPECT_TRUE(r->draw.blend);
    expect_blend(r->draw, GL_SRC_ALPHA, GL_ONE);
    EXPECT_EQ(r->draw.line_width, 1.0f);
    expect_colour(r->color, 1, 1, 1, 0);
}

TEST_F(Lights, QuadUnrotatedSpansTheRectangle) {
    glEnable(GL_BLEND);
    glLineWidth(3);
    lightquad(Vector(1, 2, -5), Vector(0, 0, 0), 2, 0.5f, Vector(1, 0.5f, 0), 0.25f, 0.75f);
    GlRecorder* r = gl_recorder();
    ASSERT_EQ(r->batches.size(), 2u);
    const GlBatch& fill = batch(0);
    EXPECT_EQ(fill.prim, (GLenum)GL_QUADS);
    ASSERT_EQ(fill.count(), 4);
    expect_vertex(fill, 0, -1, 1.5f, -5);
    expect_vertex(fill, 1, 3, 1.5f, -5);
    expect_vertex(fill, 2, 3, 2.5f, -5);
    expect_vertex(fill, 3, -1, 2.5f, -5);
    expect_blend(fill.state, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    expect_colour(&fill.c[0], 1, 0.5f, 0, 0.25f);

    const GlBatch& outline = batch(1);
    EXPECT_EQ(outline.prim, (GLenum)GL_LINE_LOOP);
    expect_same_vertices(fill, outline);
    expect_blend(outline.state, GL_SRC_ALPHA, GL_ONE);
    EXPECT_EQ(outline.state.line_width, 3.0f);
    expect_colour(&outline.c[0], 1, 0.5f, 0, 0.75f);

    expect_blend(r->draw, GL_SRC_ALPHA, GL_ONE);
    EXPECT_EQ(r->draw.line_width, 3.0f);
    expect_colour(r->color, 1, 0.5f, 0, 0.75f);
}

TEST_F(Lights, QuadTouchesNeitherBlendingNorDepthMaskNorWidth) {
    glDisable(GL_BLEND);
    glDepthMask(GL_FALSE);
    glLineWidth(2.5f);
    lightquad(Vector(0, 0, 0), Vector(0.3f, 0.2f, 0.1f), 1, 1, Vector(1, 1, 1), 0, 0);
    GlRecorder* r = gl_recorder();
    EXPECT_FALSE(r->draw.blend);
    EXPECT_FALSE(r->draw.depth_mask);
    EXPECT_EQ(r->draw.line_width, 2.5f);
    expect_blend(r->draw, GL_SRC_ALPHA, GL_ONE);
    EXPECT_EQ(gl_recorder_count("glEnable"), 0);
    EXPECT_EQ(gl_recorder_count("glLineWidth"), 1);
    EXPECT_EQ(gl_recorder_count("glDepthMask"), 1);
}

TEST_F(Lights, FlatRotationLaysTheRectangleInXzInCornerOrder) {
    Vector centre(4, -1, 2);
    float w = 3, h = 1.5f;
    lightquad(centre, Vector(1.570796f, 0, 0), w, h, Vector(0, 0, 1), 1, 1);
    lightquad2(centre, Vector(1.570796f, 0, 0), w, h, Vector(0, 0, 1), 1, 1, 1);
    ASSERT_EQ(gl_recorder()->batches.size(), 5u);
    for (size_t k = 0; k < 5; k++) {
        const GlBatch& b = batch(k);
        ASSERT_EQ(b.count(), 4);
        expect_vertex(b, 0, 4 - w, -1, 2 + h);
        expect_vertex(b, 1, 4 + w, -1, 2 + h);
        expect_vertex(b, 2, 4 + w, -1, 2 - h);
        expect_vertex(b, 3, 4 - w, -1, 2 - h);
    }
}

TEST_F(Lights, Quad2FillWideOutlineWithoutDepthThenWhiteCore) {
    glEnable(GL_BLEND);
    glLineWidth(6);
    lightquad2(Vector(0, 0, 1), Vector(0, 0, 0), 1, 2, Vector(0.1f, 0.2f, 0.3f), 0.4f, 0.5f, 0.6f);
    GlRecorder* r = gl_recorder();
    ASSERT_EQ(r->batches.size(), 3u);
    const GlBatch& fill = batch(0);
    EXPECT_EQ(fill.prim, (GLenum)GL_QUADS);
    expect_vertex(fill, 0, -1, -2, 1);
    expect_vertex(fill, 2, 1, 2, 1);
    expect_blend(fill.state, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_TRUE(fill.state.depth_mask);
    EXPECT_EQ(fill.state.line_width, 6.0f);
    expect_colour(&fill.c[0], 0.1f, 0.2f, 0.3f, 0.4f);

    const GlBatch& outline = batch(1);
    EXPECT_EQ(outline.prim, (GLenum)GL_LINE_LOOP);
    expect_same_vertices(fill, outline);
    expect_blend(outline.state, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_FALSE(outline.state.depth_mask);
    EXPECT_EQ(outline.state.line_width, 4.0f);
    expect_colour(&outline.c[0], 0.1f, 0.2f, 0.3f, 0.5f);

    const GlBatch& core = batch(2);
    EXPECT_EQ(core.prim, (GLenum)GL_LINE_LOOP);
    expect_same_vertices(fill, core);
    expect_blend(core.state, GL_SRC_ALPHA, GL_ONE);
    EXPECT_TRUE(core.state.depth_mask);
    EXPECT_EQ(core.state.line_width, 1.0f);
    expect_colour(&core.c[0], 1, 1, 1, 0.6f);

    expect_blend(r->draw, GL_SRC_ALPHA, GL_ONE);
    EXPECT_EQ(r->draw.line_width, 1.0f);
    EXPECT_TRUE(r->draw.depth_mask);
    expect_colour(r->color, 1, 1, 1, 0.6f);
}

TEST_F(Lights, Quad2WithZeroAlphasStillChangesStateButNeverEnablesBlending) {
    glDisable(GL_BLEND);
    glDepthMask(GL_FALSE);
    glLineWidth(9);
    lightquad2(Vector(0, 0, 0), Vector(0, 0, 0), 1, 1, Vector(1, 0, 0), 0, 0, 0);
    GlRecorder* r = gl_recorder();
    EXPECT_EQ(r->batches.size(), 3u);
    EXPECT_FALSE(r->draw.blend);
    EXPECT_TRUE(r->draw.depth_mask);
    EXPECT_EQ(r->draw.line_width, 1.0f);
    expect_blend(r->draw, GL_SRC_ALPHA, GL_ONE);
    expect_colour(r->color, 1, 1, 1, 0);
    EXPECT_EQ(gl_recorder_count("glEnable"), 0);
    EXPECT_EQ(gl_recorder_count("glBindTexture"), 0);
}

TEST_F(Lights, Quad2TurnedByTheMatrixDrawsWhatQuad2Draws) {
    const Vector rots[] = {Vector(0.3f, -1.2f, 2.5f), Vector(5.9f, 0.01f, -3.7f),
                           Vector(1.570796f, 0, 0)};
    for (const Vector& rot : rots) {
        gl_recorder_reset();
        Vector centre(0.5f, -0.25f, 1.75f), colour(0.9f, 0.3f, 0.1f);
        lightquad2(centre, rot, 0.03f, 0.05f, colour, 0.2f, 0.4f, 0.7f);
        Matrix turn;
        turn.makeRotation(rot.x, rot.y, rot.z);
        lightquad2_turned(centre, turn, 0.03f, 0.05f, colour, 0.2f, 0.4f, 0.7f);
        ASSERT_EQ(gl_recorder()->batches.size(), 6u);
        for (size_t k = 0; k < 3; k++) {
            const GlBatch& a = batch(k);
            const GlBatch& b = batch(k + 3);
            EXPECT_EQ(a.prim, b.prim);
            expect_same_vertices(a, b);
            ASSERT_EQ(a.c.size(), b.c.size());
            for (size_t j = 0; j < a.c.size(); j++)
                EXPECT_EQ(a.c[j], b.c[j]);
            EXPECT_EQ(a.state.line_width, b.state.line_width);
            EXPECT_EQ(a.state.depth_mask, b.state.depth_mask);
            expect_blend(b.state, a.state.blend_src, a.state.blend_dst);
        }
        // A turned rectangle still spans its own size: the first edge is 2 * halfWidth long.
        const GlBatch& fill = batch(3);
        Vector e(fill.v[3] - fill.v[0], fill.v[4] - fill.v[1], fill.v[5] - fill.v[2]);
        EXPECT_NEAR(e.length(), 0.06f, 1e-6f);
    }
}
