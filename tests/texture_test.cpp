// Textures and the image blobs: the header and pixels of every compiled-in lettering picture,
// the upload conventions by size, and the render textures' lifecycle, through the recorder.
#include "engine/gl.h"
#include "engine/glrecorder.h"
#include "engine/texture.h"
#include "tests/batches.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

TEST(Blobs, EveryPictureHasItsHeaderBlackPixelsWithCoverageAndAClosingZero) {
    const struct {
        const uint32_t* words;
        int width, height;
    } blobs[] = {{ordune_image, 61, 22},
                 {mervane_image, 116, 36},
                 {tamsel_image, 300, 36},
                 {vorn_image, 261, 36},
                 {greetings_image, 417, 1080}};
    // The header lies big-endian in memory: the title's width 61 is the bytes 0, 0, 0, 61.
    EXPECT_EQ(memcmp(ordune_image, "\0\0\0\x3d\0\0\0\x16\0\0\0\x04", 12), 0);
    for (const auto& b : blobs) {
        SCOPED_TRACE(b.width);
        EXPECT_EQ(blob_word(b.words, BLOB_WIDTH), (uint32_t)b.width);
        EXPECT_EQ(blob_word(b.words, BLOB_HEIGHT), (uint32_t)b.height);
        EXPECT_EQ(blob_word(b.words, BLOB_BPP), 4u);
        int pixels = b.width * b.height, coloured = 0, full = 0, partial = 0;
        EXPECT_EQ(b.words[BLOB_PIXELS + pixels], 0u);
        // Bytes R, G, B, A: black, the coverage in A, so read as a number a pixel is its alpha.
        const unsigned char* px = (const unsigned char*)(b.words + BLOB_PIXELS);
        for (int i = 0; i < pixels; i++) {
            coloured += px[4 * i] != 0 || px[4 * i + 1] != 0 || px[4 * i + 2] != 0;
            full += px[4 * i + 3] == 255;
            partial += px[4 * i + 3] > 0 && px[4 * i + 3] < 255;
            ASSERT_EQ(blob_word(b.words, BLOB_PIXELS + i), (uint32_t)px[4 * i + 3]);
        }
        EXPECT_EQ(coloured, 0);
        EXPECT_GT(full, 0);    // solid strokes
        EXPECT_GT(partial, 0); // anti-aliased edges
    }
}

TEST(TextureData, BlankIsRedWithNoAlphaAndGivenPixelsAreCopied) {
    Texture blank(3, 2);
    for (int i = 0; i < 6; i++)
        EXPECT_EQ(memcmp(&blank.data[i], "\xff\0\0\0", 4), 0) << i;
    Texture title(61, 22, ordune_image + BLOB_PIXELS);
    EXPECT_NE(title.data, ordune_image + BLOB_PIXELS);
    EXPECT_EQ(memcmp(title.data, ordune_image + BLOB_PIXELS, 61 * 22 * 4), 0);
}

class Textures : public ::testing::Test {
  protected:
    void SetUp() override {
        gl_use_recorder();
        gl_recorder_reset();
    }
    void TearDown() override {
        textures_free();
        gl_use_null();
    }
};

// The parameters set, in order, whether as glTexParameteri or glTexParameterf.
static std::vector<std::pair<double, double>> parameters() {
    std::vector<std::pair<double, double>> out;
    for (const GlCall& c : gl_recorder()->calls)
        if (strncmp(c.name, "glTexParameter", 14) == 0)
            out.push_back({c.a[1], c.a[2]});
    return out;
}

TEST_F(Textures, FourSquareSizesFilterLinearlyAndTheRestRepeatAndMinifyTrilinearly) {
    const std::vector<std::pair<double, double>> linear = {{GL_TEXTURE_MIN_FILTER, GL_LINEAR},
                                                           {GL_TEXTURE_MAG_FILTER, GL_LINEAR}};
    std::vector<std::pair<double, double>> trilinear = linear;
    trilinear.insert(trilinear.end(), {{GL_TEXTURE_WRAP_S, GL_REPEAT},
                                       {GL_TEXTURE_WRAP_T, GL_REPEAT},
                                       {GL_TEXTURE_MAG_FILTER, GL_LINEAR},
                                       {GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR}});
    const int sizes[][2] = {{512, 512}, {256, 256}, {128, 128}, {64, 64},
                            {64, 32},   {61, 22},   {32, 32},   {1024, 1024}};
    for (const auto& s : sizes) {
        SCOPED_TRACE(s[0] * 10000 + s[1]);
        gl_recorder_reset();
        Texture t(s[0], s[1]);
        t.upload();
        bool square = s[0] == s[1] && s[0] >= 64 && s[0] <= 512;
        EXPECT_EQ(parameters(), square ? linear : trilinear);
        std::vector<GlCall> mip = calls_named("gluBuild2DMipmaps");
        ASSERT_EQ(mip.size(), 1u);
        EXPECT_EQ(mip[0].a[1], s[0]);
        EXPECT_EQ(mip[0].a[2], s[1]);
        // Bound before its parameters are set, and left bound with texturing on.
        const std::vector<GlCall>& calls = gl_recorder()->calls;
        auto first = [&](const char* prefix) {
            return std::find_if(calls.begin(), calls.end(), [&](const GlCall& c) {
                return strncmp(c.name, prefix, strlen(prefix)) == 0;
            });
        };
        EXPECT_LT(first("glBindTexture"), first("glTexParameter"));
        EXPECT_NE(t.id, 0u);
        EXPECT_EQ(gl_recorder()->draw.bound_texture, t.id);
        EXPECT_TRUE(gl_recorder()->draw.texture);
    }
}

TEST_F(Textures, RenderTexturesAreMadeInOrderAndReleased) {
    EXPECT_EQ(render512_0, nullptr);
    textures_init();
    ASSERT_NE(render512_0, nullptr);
    ASSERT_NE(render512_1, nullptr);
    EXPECT_EQ(render512_0->width * render512_1->height, 512 * 512);
    EXPECT_LT(render512_0->id, render512_1->id);
    EXPECT_EQ(gl_recorder_count("gluBuild2DMipmaps"), 2);
    EXPECT_EQ(gl_recorder()->draw.bound_texture, render512_1->id);
    textures_free();
    EXPECT_EQ(render512_0, nullptr);
    EXPECT_EQ(render512_1, nullptr);
    textures_free(); // a second release finds nothing to delete
}
