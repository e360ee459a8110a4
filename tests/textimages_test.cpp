// The text images: the key lookup, the five uploads, and what font_write and font_write3d draw
// and leave behind, checked through the recorder.
#include "engine/gl.h"
#include "engine/glrecorder.h"
#include "engine/textimages.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

class TextImages : public ::testing::Test {
  protected:
    void SetUp() override {
        gl_use_recorder();
        gl_recorder_reset();
        font_init();
        gl_recorder_reset();
    }
    void TearDown() override { gl_use_null(); }
};

// Uploads checked from an empty recorder log; each case builds the table itself.
class FontInit : public ::testing::Test {
  protected:
    void SetUp() override {
        gl_use_recorder();
        gl_recorder_reset();
    }
    void TearDown() override { gl_use_null(); }
};

static std::vector<GlCall> calls_named(const char* name) {
    std::vector<GlCall> out;
    for (const GlCall& c : gl_recorder()->calls)
        if (strcmp(c.name, name) == 0)
            out.push_back(c);
    return out;
}

static bool same(const GlMat4& a, const GlMat4& b) {
    return memcmp(a.m, b.m, sizeof a.m) == 0;
}

// A batch vertex in 640 x 480 overlay pixels, through the matrices the batch was drawn with.
static void overlay_point(const GlBatch& b, int vertex, float out[2]) {
    float eye[4], clip[4];
    gl_mat4_apply(b.mv, b.v[3 * vertex], b.v[3 * vertex + 1], b.v[3 * vertex + 2], eye);
    gl_mat4_apply(b.proj, eye[0] / eye[3], eye[1] / eye[3], eye[2] / eye[3], clip);
    out[0] = (clip[0] / clip[3] + 1) * 320;
    out[1] = (clip[1] / clip[3] + 1) * 240;
}

TEST(FontText, OnlyExactKeysSelectTheFirstFour) {
    EXPECT_EQ(fonttext("mervane"), 0);
    EXPECT_EQ(fonttext("Ordune"), 1);
    EXPECT_EQ(fonttext("fluoxetine: tamsel"), 2);
    EXPECT_EQ(fonttext("fluvoxamine: vorn"), 3);
    EXPECT_EQ(fonttext("greetings"), 4);
    EXPECT_EQ(fonttext(""), 4);
    EXPECT_EQ(fonttext("mervanex"), 4);
    EXPECT_EQ(fonttext("mervan"), 4);
    EXPECT_EQ(fonttext("ordune"), 4);
    EXPECT_EQ(fonttext("Mervane"), 4);
}

TEST_F(FontInit, UploadsTheFivePicturesInTableOrder) {
    font_init();
    EXPECT_EQ(font_inc, 5);
    const unsigned sizes[5][2] = {{116, 36}, {61, 22}, {300, 36}, {261, 36}, {417, 1080}};
    std::vector<GlCall> mip = calls_named("gluBuild2DMipmaps");
    ASSERT_EQ(mip.size(), 5u);
    for (int i = 0; i < 5; i++) {
        SCOPED_TRACE(i);
        EXPECT_EQ(font_textures[i].width, sizes[i][0]);
        EXPECT_EQ(font_textures[i].height, sizes[i][1]);
        EXPECT_EQ(font_textures[i].texture, (unsigned)i + 1); // the recorder's names, in order
        EXPECT_EQ(mip[i].a[0], 4);
        EXPECT_EQ(mip[i].a[1], sizes[i][0]);
        EXPECT_EQ(mip[i].a[2], sizes[i][1]);
    }
    // Each upload leaves texturing off and nothing bound.
    EXPECT_FALSE(gl_recorder()->draw.texture);
    EXPECT_EQ(gl_recorder()->draw.bound_texture, 0u);
}

TEST_F(FontInit, SetsLinearFiltersThenRepeatWrapping) {
    font_texture((const unsigned char*)"\0\0\0\xff", 1, 1);
    std::vector<GlCall> p = calls_named("glTexParameteri");
    ASSERT_EQ(p.size(), 4u);
    const double expect[4][2] = {{GL_TEXTURE_MAG_FILTER, GL_LINEAR},
                                 {GL_TEXTURE_MIN_FILTER, GL_LINEAR},
                                 {GL_TEXTURE_WRAP_S, GL_REPEAT},
                                 {GL_TEXTURE_WRAP_T, GL_REPEAT}};
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(p[i].a[1], expect[i][0]);
        EXPECT_EQ(p[i].a[2], expect[i][1]);
    }
    EXPECT_EQ(gl_recorder_count("glTexParameterf"), 0);
}

TEST_F(FontInit, ABuildTwiceRefillsTheTableAndAFullTableIsLeftAlone) {
    font_init();
    font_init();
    EXPECT_EQ(font_inc, 5);
    EXPECT_EQ(font_textures[1].width, 61u);
    for (int i = 0; i < 10; i++)
        font_texture((const unsigned char*)"\0\0\0\xff", 1, 1);
    EXPECT_EQ(font_inc, FONT_TEXTURES_MAX);
    EXPECT_EQ(font_textures[FONT_TEXTURES_MAX - 1].width, 1u);
    font_init();
    EXPECT_EQ(font_inc, 5);
}

TEST_F(TextImages, TitleAtTheCentreSpansItsOwnPixelSize) {
    font_write(1.3f, 0, "Ordune");
    ASSERT_EQ(gl_recorder()->batches.size(), 1u);
    const GlBatch& b = gl_recorder()->batches[0];
    EXPECT_EQ(b.prim, (GLenum)GL_QUADS);
    ASSERT_EQ(b.count(), 4);
    float lower_left[2], upper_right[2];
    overlay_point(b, 0, lower_left);
    overlay_point(b, 2, upper_right);
    EXPECT_NEAR(lower_left[0], 320, 1e-3);
    EXPECT_NEAR(lower_left[1], 240, 1e-3);
    EXPECT_NEAR(upper_right[0], 381, 1e-3);
    EXPECT_NEAR(upper_right[1], 262, 1e-3);
    EXPECT_TRUE(b.state.texture);
    EXPECT_EQ(b.state.bound_texture, font_textures[1].texture);
}

TEST_F(TextImages, QuadCornersCarryTheFirstRowAtTheTop) {
    font_write(1.3f, 0, "mervane");
    const GlBatch& b = gl_recorder()->batches.at(0);
    const float v[4][2] = {{0, 0}, {0, 36}, {116, 36}, {116, 0}};
    const float t[4][2] = {{0, 1}, {0, 0}, {1, 0}, {1, 1}};
    for (int i = 0; i < 4; i++) {
        SCOPED_TRACE(i);
        EXPECT_EQ(b.v[3 * i], v[i][0]);
        EXPECT_EQ(b.v[3 * i + 1], v[i][1]);
        EXPECT_EQ(b.v[3 * i + 2], 0.0f);
        EXPECT_EQ(b.t[2 * i], t[i][0]);
        EXPECT_EQ(b.t[2 * i + 1], t[i][1]);
    }
}

TEST_F(TextImages, OverlayPlacementAlongBothAxes) {
    // x: 2.3 at the left edge, 0.3 at the right; y: -1 bottom, 1 top.
    const float cases[][4] = {{2.3f, -1, 0, 0}, {0.3f, 1, 640, 480}, {1.8f, -0.5f, 160, 120}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0]);
        gl_recorder_reset();
        font_write(c[0], c[1], "fluoxetine: tamsel");
        float p[2];
        overlay_point(gl_recorder()->batches.at(0), 0, p);
        EXPECT_NEAR(p[0], c[2], 1e-3);
        EXPECT_NEAR(p[1], c[3], 1e-3);
    }
}

TEST_F(TextImages, WriteRestoresBothMatricesAndLeavesTexturingOff) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45, 4.0 / 3.0, 0.1, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, -3);
    glRotatef(30, 0, 1, 0);
    GlMat4 proj = gl_recorder_matrix(GL_PROJECTION), mv = gl_recorder_matrix(GL_MODELVIEW);
    size_t mv_depth = gl_recorder()->modelview.size(),
           proj_depth = gl_recorder()->projection.size();

    font_write(1.3f, 0, "fluvoxamine: vorn");
    EXPECT_TRUE(same(gl_recorder_matrix(GL_PROJECTION), proj));
    EXPECT_TRUE(same(gl_recorder_matrix(GL_MODELVIEW), mv));
    EXPECT_EQ(gl_recorder()->modelview.size(), mv_depth);
    EXPECT_EQ(gl_recorder()->projection.size(), proj_depth);
    EXPECT_EQ(gl_recorder()->matrix_mode, (GLenum)GL_MODELVIEW);
    EXPECT_FALSE(gl_recorder()->draw.texture);
    EXPECT_EQ(gl_recorder()->errors, 0);
    // The overlay ignores the caller's camera.
    float p[2];
    overlay_point(gl_recorder()->batches.at(0), 0, p);
    EXPECT_NEAR(p[0], 320, 1e-3);
    EXPECT_NEAR(p[1], 240, 1e-3);
}

TEST_F(TextImages, DrawingSetsNoColourBlendFunctionOrDepthState) {
    glColor4f(0.2f, 0.4f, 0.6f, 0.5f);
    glEnable(GL_DEPTH_TEST);
    gl_recorder()->calls.clear();
    font_write(1.3f, 0, "Ordune");
    font_write3d("greetings");
    EXPECT_EQ(gl_recorder_count("glBlendFunc"), 0);
    EXPECT_EQ(gl_recorder_count("glDepthMask"), 0);
    EXPECT_EQ(gl_recorder_count("glDepthFunc"), 0);
    const GlBatch& b = gl_recorder()->batches.at(1);
    EXPECT_EQ(b.c[3], 0.5f); // the caller's alpha reaches the lettering
    EXPECT_EQ(b.c[0], 0.2f);
    EXPECT_TRUE(gl_recorder()->draw.depth_test);
}

TEST_F(TextImages, Write3dDrawsInModelUnitsAndLeavesBlendingOn) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glScalef(0.03f, 0.03f, 0.03f);
    GlMat4 mv = gl_recorder_matrix(GL_MODELVIEW);
    font_write3d("greetings");
    ASSERT_EQ(gl_recorder()->batches.size(), 1u);
    const GlBatch& b = gl_recorder()->batches[0];
    EXPECT_EQ(b.prim, (GLenum)GL_QUADS);
    EXPECT_TRUE(b.state.texture);
    EXPECT_TRUE(b.state.blend);
    EXPECT_EQ(b.state.bound_texture, font_textures[4].texture);
    EXPECT_TRUE(same(b.mv, mv)); // drawn in the caller's space
    EXPECT_EQ(b.v[6], 417.0f);
    EXPECT_EQ(b.v[7], 1080.0f);
    EXPECT_EQ(b.t[2], 0.0f);
    EXPECT_EQ(b.t[3], 0.0f);
    EXPECT_FALSE(gl_recorder()->draw.texture);
    EXPECT_TRUE(gl_recorder()->draw.blend);
    EXPECT_TRUE(same(gl_recorder_matrix(GL_MODELVIEW), mv));
    EXPECT_EQ(gl_recorder()->errors, 0);
}
