// The text images through the recorder: the key lookup and the five uploads. What the scenes
// draw with them, and the state that leaves, is in their digests.
#include "engine/gl.h"
#include "engine/glrecorder.h"
#include "engine/textimages.h"
#include "tests/batches.h"

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
