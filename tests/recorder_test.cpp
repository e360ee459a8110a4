// The recorder back end: the matrix arithmetic and state model the scene tests rely on, and the
// null back end's harmless answers.
#include "engine/gl.h"
#include "engine/glrecorder.h"
#include "engine/pixelscale.h"
#include "engine/window.h"

#include <algorithm>
#include <gtest/gtest.h>

class Recorder : public ::testing::Test {
  protected:
    void SetUp() override {
        gl_use_recorder();
        gl_recorder_reset();
    }
    void TearDown() override { gl_use_null(); }
    static void expect_maps(GLenum mode, float x, float y, float z, float wx, float wy, float wz) {
        float p[4];
        gl_mat4_apply(gl_recorder_matrix(mode), x, y, z, p);
        EXPECT_NEAR(p[0], wx, 1e-5);
        EXPECT_NEAR(p[1], wy, 1e-5);
        EXPECT_NEAR(p[2], wz, 1e-5);
    }
};

TEST_F(Recorder, MatricesComposeAndStackLikeOpenGL) {
    glTranslatef(1, 2, 3);
    glRotatef(90, 0, 0, 1);
    glScalef(2, 2, 2);
    expect_maps(GL_MODELVIEW, 1, 0, 0, 1, 4, 3); // scaled to (2,0,0), turned to (0,2,0), moved
    glRotatef(30, 0, 0, 0);                      // no axis: no change, and no NaN
    expect_maps(GL_MODELVIEW, 1, 0, 0, 1, 4, 3);
    glLoadIdentity();
    gluLookAt(0, 0, 10, 0, 0, 0, 0, 1, 0);
    expect_maps(GL_MODELVIEW, 1, 0, 10, 1, 0, 0); // the eye at the origin
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glOrtho(0, 2, 0, 2, -1, 1);
    expect_maps(GL_PROJECTION, 2, 2, 0, 1, 1, 0);
    glPopMatrix();
    expect_maps(GL_PROJECTION, 2, 2, 0, 2, 2, 0);
    EXPECT_EQ(gl_recorder()->errors, 0);
    glPopMatrix();
    EXPECT_EQ(gl_recorder()->errors, 1); // underflow
}

TEST_F(Recorder, BatchesCarryVerticesColoursAndState) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glLineWidth(3);
    GLuint names[2];
    glGenTextures(2, names);
    glBindTexture(GL_TEXTURE_2D, names[1]);
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
    EXPECT_TRUE(b.state.blend && b.state.blend_dst == GL_ONE && b.state.line_width == 3.0f);
    EXPECT_EQ(b.state.bound_texture, names[1]);
    EXPECT_NE(names[0], names[1]);
    EXPECT_STREQ(gl_prim_name(b.prim), "GL_LINES");
    float m[16]; // queries read the model
    glTranslatef(7, 8, 9);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_EQ(m[14], 9.0f);
}

TEST(NullBackend, AnswersQueriesHarmlessly) {
    gl_use_null();
    // Matrix queries read the identity, so code that derives axes from them stays finite.
    float m[16];
    std::fill_n(m, 16, 5.0f);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int i = 0; i < 16; i++)
        EXPECT_EQ(m[i], i % 5 == 0 ? 1.0f : 0.0f) << i;
    GLuint name = 0;
    glGenTextures(1, &name);
    EXPECT_NE(name, 0u);
}

// Supersampling's widths: n times the width and size asked for while the viewport is the whole
// frame, the width itself in the glow filter's square, each re-applied when the viewport changes.
TEST_F(Recorder, ScaledPixelsFollowTheViewport) {
    OPENGL_XRES = 3072;
    OPENGL_YRES = 2304;
    gl_scale_pixels(3);
    struct Step {
        int viewport;      // 0: leave it, 1: the whole frame, 2: the glow square
        float line, point; // asked for; 0 leaves it
        float want_line, want_point;
    } steps[] = {
        {1, 2, 4, 6, 12}, // whole frame: 3 times
        {2, 0, 0, 2, 4},  // into the square: the widths asked for
        {0, 1.5f, 0, 1.5f, 4},
        {1, 0, 0, 4.5f, 12}, // back: 3 times the last asked for
    };
    for (const Step& s : steps) {
        if (s.viewport)
            glViewport(0, 0, s.viewport == 1 ? OPENGL_XRES : 512,
                       s.viewport == 1 ? OPENGL_YRES : 512);
        if (s.line)
            glLineWidth(s.line);
        if (s.point)
            glPointSize(s.point);
        EXPECT_EQ(gl_recorder()->draw.line_width, s.want_line) << s.line;
        EXPECT_EQ(gl_recorder()->draw.point_size, s.want_point) << s.point;
    }
    OPENGL_XRES = 1024;
    OPENGL_YRES = 768;
}
