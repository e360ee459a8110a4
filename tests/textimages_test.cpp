// The text images: the key lookup, the five uploads, and what font_write and font_write3d draw
// and leave behind, through the recorder.
#include "engine/gl.h"
#include "engine/glrecorder.h"
#include "engine/textimages.h"
#include "tests/batches.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

class TextImages : public ::testing::Test {
  protected:
    void SetUp() override {
        gl_use_recorder();
        gl_recorder_reset();
    }
    void TearDown() override { gl_use_null(); }
};

static bool same(const GlMat4& a, const GlMat4& b) {
    return memcmp(a.m, b.m, sizeof a.m) == 0;
}

// A batch vertex in 640 x 480 overlay pixels, through the matrices the batch was drawn with.
static std::pair<float, float> overlay_point(const GlBatch& b, int vertex) {
    float eye[4], clip[4];
    gl_mat4_apply(b.mv, b.v[3 * vertex], b.v[3 * vertex + 1], b.v[3 * vertex + 2], eye);
    gl_mat4_apply(b.proj, eye[0] / eye[3], eye[1] / eye[3], eye[2] / eye[3], clip);
    return {(clip[0] / clip[3] + 1) * 320, (clip[1] / clip[3] + 1) * 240};
}

TEST(FontText, OnlyExactKeysSelectTheFirstFour) {
    const std::pair<const char*, int> keys[] = {
        {"mervane", 0},   {"Ordune", 1}, {"fluoxetine: tamsel", 2}, {"fluvoxamine: vorn", 3},
        {"greetings", 4}, {"", 4},       {"mervanex", 4},           {"mervan", 4},
        {"ordune", 4},    {"Mervane", 4}};
    for (const auto& k : keys)
        EXPECT_EQ(fonttext(k.first), k.second) << k.first;
}

TEST_F(TextImages, UploadsTheFivePicturesInTableOrder) {
    font_init();
    EXPECT_EQ(font_inc, 5);
    const unsigned sizes[5][2] = {{116, 36}, {61, 22}, {300, 36}, {261, 36}, {417, 1080}};
    std::vector<GlCall> mip = calls_named("gluBuild2DMipmaps");
    ASSERT_EQ(mip.size(), 5u);
    for (int i = 0; i < 5; i++) {
        EXPECT_EQ(font_textures[i].width, sizes[i][0]) << i;
        EXPECT_EQ(font_textures[i].height, sizes[i][1]) << i;
        EXPECT_EQ(font_textures[i].texture, (unsigned)i + 1) << i; // the recorder's names
        EXPECT_EQ(mip[i].a[1], sizes[i][0]) << i;
        EXPECT_EQ(mip[i].a[2], sizes[i][1]) << i;
    }
    // Linear filters, then repeat wrapping, for each; texturing off and nothing bound after.
    std::vector<GlCall> p = calls_named("glTexParameteri");
    ASSERT_EQ(p.size(), 20u);
    const double want[4][2] = {{GL_TEXTURE_MAG_FILTER, GL_LINEAR},
                               {GL_TEXTURE_MIN_FILTER, GL_LINEAR},
                               {GL_TEXTURE_WRAP_S, GL_REPEAT},
                               {GL_TEXTURE_WRAP_T, GL_REPEAT}};
    for (int i = 0; i < 20; i++)
        EXPECT_TRUE(p[i].a[1] == want[i % 4][0] && p[i].a[2] == want[i % 4][1]) << i;
    EXPECT_FALSE(gl_recorder()->draw.texture);
    EXPECT_EQ(gl_recorder()->draw.bound_texture, 0u);
    // A second build refills the table from the front; a full table takes no more.
    for (int i = 0; i < 10; i++)
        font_texture((const unsigned char*)"\0\0\0\xff", 1, 1);
    EXPECT_EQ(font_inc, FONT_TEXTURES_MAX);
    font_init();
    EXPECT_EQ(font_inc, 5);
    EXPECT_EQ(font_textures[1].width, 61u);
}

// The picture's lower-left corner lands where its x and y say, its upper-right its pixel size
// further; the first picture row is at the top.
TEST_F(TextImages, WritePlacesThePictureAtItsPixelSizeOnTheOverlay) {
    font_init();
    const struct {
        float x, y, left, bottom;
    } places[] = {
        {1.3f, 0, 320, 240}, {2.3f, -1, 0, 0}, {0.3f, 1, 640, 480}, {1.8f, -0.5f, 160, 120}};
    for (const auto& p : places) {
        gl_recorder_reset();
        font_write(p.x, p.y, "Ordune");
        ASSERT_EQ(gl_recorder()->batches.size(), 1u);
        const GlBatch& b = gl_recorder()->batches[0];
        EXPECT_EQ(b.prim, (GLenum)GL_QUADS);
        EXPECT_EQ(b.state.bound_texture, font_textures[1].texture);
        const float corner[4][2] = {{0, 0}, {0, 22}, {61, 22}, {61, 0}},
                    tex[4][2] = {{0, 1}, {0, 0}, {1, 0}, {1, 1}};
        for (int i = 0; i < 4; i++) {
            std::pair<float, float> at = overlay_point(b, i);
            EXPECT_NEAR(at.first, p.left + corner[i][0], 1e-3) << p.x << " " << i;
            EXPECT_NEAR(at.second, p.bottom + corner[i][1], 1e-3) << p.y << " " << i;
            EXPECT_EQ(b.t[2 * i], tex[i][0]);
            EXPECT_EQ(b.t[2 * i + 1], tex[i][1]);
        }
    }
}

// Whatever camera the caller has, the overlay ignores it and both matrices come back; no colour,
// blend function or depth state is set: the caller's alpha reaches the lettering.
TEST_F(TextImages, WriteRestoresTheMatricesAndSetsNoColourOrBlending) {
    font_init();
    glMatrixMode(GL_PROJECTION);
    gluPerspective(45, 4.0 / 3.0, 0.1, 100);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(1, 2, -3);
    glRotatef(30, 0, 1, 0);
    glColor4f(0.2f, 0.4f, 0.6f, 0.5f);
    glEnable(GL_DEPTH_TEST);
    GlMat4 proj = gl_recorder_matrix(GL_PROJECTION), mv = gl_recorder_matrix(GL_MODELVIEW);
    gl_recorder()->calls.clear();
    font_write(1.3f, 0, "fluvoxamine: vorn");
    const GlRecorder* r = gl_recorder();
    EXPECT_TRUE(same(gl_recorder_matrix(GL_PROJECTION), proj));
    EXPECT_TRUE(same(gl_recorder_matrix(GL_MODELVIEW), mv));
    EXPECT_EQ(r->modelview.size() + r->projection.size(), 2u);
    EXPECT_EQ(r->matrix_mode, (GLenum)GL_MODELVIEW);
    EXPECT_FALSE(r->draw.texture);
    EXPECT_TRUE(r->draw.depth_test);
    EXPECT_EQ(r->errors, 0);
    EXPECT_NEAR(overlay_point(r->batches.at(0), 0).first, 320, 1e-3);
    EXPECT_NEAR(overlay_point(r->batches.at(0), 0).second, 240, 1e-3);
    EXPECT_EQ(r->batches.at(0).c[3], 0.5f);
    EXPECT_EQ(gl_recorder_count("glBlendFunc") + gl_recorder_count("glDepthMask") +
                  gl_recorder_count("glDepthFunc") + gl_recorder_count("glColor4f"),
              0);
}

TEST_F(TextImages, Write3dDrawsInModelUnitsAndLeavesBlendingOn) {
    font_init();
    glScalef(0.03f, 0.03f, 0.03f);
    GlMat4 mv = gl_recorder_matrix(GL_MODELVIEW);
    font_write3d("greetings");
    ASSERT_EQ(gl_recorder()->batches.size(), 1u);
    const GlBatch& b = gl_recorder()->batches[0];
    EXPECT_TRUE(b.state.texture && b.state.blend);
    EXPECT_EQ(b.state.bound_texture, font_textures[4].texture);
    EXPECT_TRUE(same(b.mv, mv)); // drawn in the caller's space, a unit a pixel
    EXPECT_EQ(b.v[6], 417.0f);
    EXPECT_EQ(b.v[7], 1080.0f);
    EXPECT_FALSE(gl_recorder()->draw.texture);
    EXPECT_TRUE(gl_recorder()->draw.blend);
    EXPECT_TRUE(same(gl_recorder_matrix(GL_MODELVIEW), mv));
    EXPECT_EQ(gl_recorder()->errors, 0);
}
