// Textures and the image blobs: the header and pixels of every compiled-in lettering picture,
// the upload conventions by size, and the render textures' lifecycle, through the recorder.
#include "engine/gl.h"
#include "engine/glrecorder.h"
#include "engine/texture.h"
#include "tests/batches.h"

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
        int pixels = b.width * b.height, full = 0, partial = 0;
        EXPECT_EQ(b.words[BLOB_PIXELS + pixels], 0u);
        // Bytes R, G, B, A: black, the coverage in A, so read as a number a pixel is its alpha.
        const unsigned char* px = (const unsigned char*)(b.words + BLOB_PIXELS);
        for (int i = 0; i < pixels; i++) {
            full += px[4 * i + 3] == 255;
            partial += px[4 * i + 3] > 0 && px[4 * i + 3] < 255;
            ASSERT_EQ(blob_word(b.words, BLOB_PIXELS + i), (uint32_t)px[4 * i + 3]);
        }
        EXPECT_GT(full, 0);    // solid strokes
        EXPECT_GT(partial, 0); // anti-aliased edges
    }
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

// The parameters set, in order, as glTexParameteri or glTexParameterf alike; one set while
// another texture than `id` was bound shows as (0, 0).
static std::vector<std::pair<double, double>> parameters(GLuint id) {
    std::vector<std::pair<double, double>> out;
    double bound = 0;
    for (const GlCall& c : gl_recorder()->calls)
        if (strcmp(c.name, "glBindTexture") == 0)
            bound = c.a[1];
        else if (strncmp(c.name, "glTexParameter", 14) == 0)
            out.push_back(bound == id ? std::make_pair(c.a[1], c.a[2]) : std::make_pair(0.0, 0.0));
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
    const int sizes[][2] = {{512, 512}, {64, 64}, {64, 32}, {61, 22}, {32, 32}, {1024, 1024}};
    for (const auto& s : sizes) {
        SCOPED_TRACE(s[0] * 10000 + s[1]);
        gl_recorder_reset();
        Texture t(s[0], s[1]);
        t.upload();
        bool square = s[0] == s[1] && s[0] >= 64 && s[0] <= 512;
        EXPECT_EQ(parameters(t.id), square ? linear : trilinear);
        std::vector<GlCall> mip = calls_named("gluBuild2DMipmaps");
        ASSERT_EQ(mip.size(), 1u);
        EXPECT_EQ(mip[0].a[1], s[0]);
        EXPECT_EQ(mip[0].a[2], s[1]);
        EXPECT_NE(t.id, 0u); // left bound, with texturing on
        EXPECT_EQ(gl_recorder()->draw.bound_texture, t.id);
        EXPECT_TRUE(gl_recorder()->draw.texture);
    }
}

TEST_F(Textures, RenderTexturesAreMadeAndReleased) {
    textures_init();
    ASSERT_NE(render512_1, nullptr);
    EXPECT_EQ(render512_0->width * render512_0->height, 512 * 512);
    EXPECT_LT(render512_0->id, render512_1->id);
    textures_free();
    EXPECT_EQ(render512_0, nullptr);
    EXPECT_EQ(render512_1, nullptr);
    textures_free(); // a second release finds nothing to delete
}
