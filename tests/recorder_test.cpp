// The recorder back end: the matrix arithmetic and state model the scene tests rely on, and the
// null back end's harmless answers.
#include "engine/gl.h"
#include "engine/glrecorder.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

class Recorder : public ::testing::Test {
  protected:
    void SetUp() override {
        gl_use_recorder();
        gl_recorder_reset();
    }
    void TearDown() override { gl_use_null(); }
};

static void apply(GLenum mode, float x, float y, float z, float out[4]) {
    gl_mat4_apply(gl_recorder_matrix(mode), x, y, z, out);
}

TEST_F(Recorder, TranslateRotateScaleComposeLikeOpenGL) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    glRotatef(90, 0, 0, 1);
    glScalef(2, 2, 2);
    float p[4];
    apply(GL_MODELVIEW, 1, 0, 0, p);
    // Scale to (2,0,0), turn to (0,2,0), move to (1,4,3).
    EXPECT_NEAR(p[0], 1, 1e-6);
    EXPECT_NEAR(p[1], 4, 1e-6);
    EXPECT_NEAR(p[2], 3, 1e-6);
    EXPECT_EQ(p[3], 1.0f);
}

TEST_F(Recorder, ZeroAxisRotationLeavesTheMatrix) {
    glTranslatef(5, 0, 0);
    GlMat4 before = gl_recorder_matrix(GL_MODELVIEW);
    glRotatef(30, 0, 0, 0);
    const GlMat4& after = gl_recorder_matrix(GL_MODELVIEW);
    for (int i = 0; i < 16; i++) {
        EXPECT_EQ(after.m[i], before.m[i]);
        EXPECT_FALSE(std::isnan(after.m[i]));
    }
}

TEST_F(Recorder, StacksPushPopAndReportUnderflow) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glOrtho(0, 2, 0, 2, -1, 1);
    float p[4];
    apply(GL_PROJECTION, 2, 2, 0, p);
    EXPECT_FLOAT_EQ(p[0], 1);
    glPopMatrix();
    apply(GL_PROJECTION, 2, 2, 0, p);
    EXPECT_FLOAT_EQ(p[0], 2);
    EXPECT_EQ(gl_recorder()->errors, 0);
    glPopMatrix();
    EXPECT_EQ(gl_recorder()->errors, 1);
}

TEST_F(Recorder, LookAtPutsTheEyeAtTheOrigin) {
    gluLookAt(0, 0, 10, 0, 0, 0, 0, 1, 0);
    float p[4];
    apply(GL_MODELVIEW, 0, 0, 0, p);
    EXPECT_NEAR(p[2], -10, 1e-5);
    apply(GL_MODELVIEW, 1, 0, 10, p);
    EXPECT_NEAR(p[0], 1, 1e-5);
    EXPECT_NEAR(p[2], 0, 1e-5);
}

TEST_F(Recorder, BatchesCarryVerticesColoursAndState) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glLineWidth(3);
    glBegin(GL_LINES);
    glColor4f(1, 0, 0, 0.5f);
    glVertex3f(1, 2, 3);
    glColor3f(0, 1, 0);
    glTexCoord2f(0.25f, 0.75f);
    glVertex2f(4, 5);
    glEnd();
    const GlRecorder* r = gl_recorder();
    ASSERT_EQ(r->batches.size(), 1u);
    const GlBatch& b = r->batches[0];
    EXPECT_EQ(b.count(), 2);
    EXPECT_EQ(b.v[5], 0.0f); // glVertex2f sets z = 0
    EXPECT_EQ(b.c[3], 0.5f);
    EXPECT_EQ(b.c[7], 1.0f); // glColor3f sets alpha 1
    EXPECT_EQ(b.t[2], 0.25f);
    EXPECT_TRUE(b.state.blend);
    EXPECT_EQ(b.state.blend_dst, (GLenum)GL_ONE);
    EXPECT_EQ(b.state.line_width, 3.0f);
    EXPECT_EQ(gl_recorder_count("glBegin"), 1);
    EXPECT_STREQ(gl_prim_name(b.prim), "GL_LINES");
}

TEST_F(Recorder, QueriesReadTheModel) {
    glTranslatef(7, 8, 9);
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_EQ(m[12], 7.0f);
    EXPECT_EQ(m[14], 9.0f);
    glEnable(GL_DEPTH_TEST);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLuint names[2];
    glGenTextures(2, names);
    EXPECT_NE(names[0], names[1]);
    glBindTexture(GL_TEXTURE_2D, names[1]);
    glEnable(GL_TEXTURE_2D);
    glBegin(GL_POINTS);
    glVertex2f(0, 0);
    glEnd();
    EXPECT_EQ(gl_recorder()->batches[0].state.bound_texture, names[1]);
    EXPECT_TRUE(gl_recorder()->batches[0].state.texture);
}

TEST_F(Recorder, ResetForgetsTheLog) {
    glBegin(GL_POINTS);
    glVertex2f(0, 0);
    glEnd();
    gl_recorder_reset();
    EXPECT_TRUE(gl_recorder()->batches.empty());
    EXPECT_EQ(gl_recorder()->viewport[2], 1024);
}

TEST(NullBackend, AnswersQueriesHarmlessly) {
    gl_use_null();
    // Matrix queries read the identity, so code that derives axes from them stays finite.
    float m[16];
    for (float& f : m)
        f = 5;
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int i = 0; i < 16; i++)
        EXPECT_EQ(m[i], i % 5 == 0 ? 1.0f : 0.0f) << i;
    GLuint names[2] = {0, 0};
    glGenTextures(2, names);
    EXPECT_NE(names[0], 0u);
    glBegin(GL_POINTS);
    glVertex2f(1, 1);
    glEnd();
    EXPECT_EQ(gl_backend(), GL_BACKEND_NULL);
}
