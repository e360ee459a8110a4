// Textures and the image blobs: the layout of every compiled-in lettering picture, the upload
// conventions by size, and the render textures' lifecycle, checked through the recorder.
#include "engine/gl.h"
#include "engine/glrecorder.h"
#include "engine/texture.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

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

// The logged calls of one name, in order.
static std::vector<GlCall> calls_named(const char* name) {
    std::vector<GlCall> out;
    for (const GlCall& c : gl_recorder()->calls)
        if (strcmp(c.name, name) == 0)
            out.push_back(c);
    return out;
}

struct Blob {
    const char* name;
    const uint32_t* words;
    size_t count; // words in the array
    int width, height;
};

#define BLOB(sym, w, h)                                                                            \
    { #sym, sym, sizeof sym / sizeof sym[0], w, h }
static const Blob blobs[] = {
    BLOB(ordune_image, 61, 22), BLOB(mervane_image, 116, 36),     BLOB(tamsel_image, 300, 36),
    BLOB(vorn_image, 261, 36),  BLOB(greetings_image, 417, 1080),
};
#undef BLOB

TEST(Blobs, TitleHas1342PixelWordsThenTheClosingZero) {
    EXPECT_EQ(blob_word(ordune_image, BLOB_WIDTH), 61u);
    EXPECT_EQ(blob_word(ordune_image, BLOB_HEIGHT), 22u);
    EXPECT_EQ(sizeof ordune_image / sizeof ordune_image[0], 3u + 1342u + 1u);
    EXPECT_EQ(ordune_image[3 + 1342], 0u);
}

TEST(Blobs, EveryPictureHasItsSizeWordsPixelCountAndClosingWord) {
    for (const Blob& b : blobs) {
        SCOPED_TRACE(b.name);
        EXPECT_EQ(blob_word(b.words, BLOB_WIDTH), (uint32_t)b.width);
        EXPECT_EQ(blob_word(b.words, BLOB_HEIGHT), (uint32_t)b.height);
        EXPECT_EQ(blob_word(b.words, BLOB_BPP), 4u);
        ASSERT_EQ(b.count, (size_t)(BLOB_PIXELS + b.width * b.height + 1));
        EXPECT_EQ(b.words[b.count - 1], 0u);
    }
}

TEST(Blobs, SizeWordsAreStoredBigEndian) {
    const unsigned char* bytes = (const unsigned char*)ordune_image;
    const unsigned char width[4] = {0, 0, 0, 61}, height[4] = {0, 0, 0, 22};
    const unsigned char bpp[4] = {0, 0, 0, 4};
    EXPECT_EQ(memcmp(bytes, width, 4), 0);
    EXPECT_EQ(memcmp(bytes + 4, height, 4), 0);
    EXPECT_EQ(memcmp(bytes + 8, bpp, 4), 0);
}

TEST(Blobs, PixelsAreBlackWithTheCoverageInAlpha) {
    for (const Blob& b : blobs) {
        SCOPED_TRACE(b.name);
        const unsigned char* px = (const unsigned char*)(b.words + BLOB_PIXELS);
        int pixels = b.width * b.height, rgb = 0, full = 0, partial = 0;
        for (int i = 0; i < pixels; i++) {
            rgb += px[4 * i] != 0 || px[4 * i + 1] != 0 || px[4 * i + 2] != 0;
            full += px[4 * i + 3] == 255;
            partial += px[4 * i + 3] > 0 && px[4 * i + 3] < 255;
            // Read as a big-endian number the pixel is its coverage.
            ASSERT_EQ(blob_word(b.words, BLOB_PIXELS + i), (uint32_t)px[4 * i + 3]);
        }
        EXPECT_EQ(rgb, 0);
        EXPECT_GT(full, 0);    // solid strokes
        EXPECT_GT(partial, 0); // anti-aliased edges
    }
}

// The lettering is not clipped (the outermost rows and columns are empty) and is set as large as
// the picture allows (its ink spans nearly the whole width or height).
TEST(Blobs, LetteringFillsItsPictureWithoutTouchingTheEdge) {
    for (const Blob& b : blobs) {
        SCOPED_TRACE(b.name);
        int x0 = b.width, y0 = b.height, x1 = -1, y1 = -1;
        for (int y = 0; y < b.height; y++)
            for (int x = 0; x < b.width; x++)
                if (blob_word(b.words, BLOB_PIXELS + y * b.width + x)) {
                    x0 = std::min(x0, x), x1 = std::max(x1, x);
                    y0 = std::min(y0, y), y1 = std::max(y1, y);
                }
        ASSERT_GE(x1, 0);
        EXPECT_GT(x0, 0);
        EXPECT_GT(y0, 0);
        EXPECT_LT(x1, b.width - 1);
        EXPECT_LT(y1, b.height - 1);
        float wide = (float)(x1 - x0 + 1) / b.width, tall = (float)(y1 - y0 + 1) / b.height;
        EXPECT_GT(std::max(wide, tall), 0.9f);
        // Centred to within a pixel on the axis it fills.
        if (wide > tall)
            EXPECT_LE(std::abs(x0 - (b.width - 1 - x1)), 1);
        else
            EXPECT_LE(std::abs(y0 - (b.height - 1 - y1)), 1);
    }
}

TEST(TextureData, BlankTextureIsRedWithNoAlphaByteForByte) {
    Texture t(3, 2);
    ASSERT_NE(t.data, nullptr);
    const unsigned char* p = (const unsigned char*)t.data;
    for (int i = 0; i < 6; i++) {
        EXPECT_EQ(p[4 * i], 255);
        EXPECT_EQ(p[4 * i + 1], 0);
        EXPECT_EQ(p[4 * i + 2], 0);
        EXPECT_EQ(p[4 * i + 3], 0);
    }
    EXPECT_EQ(blob_word(t.data, 5), 0xFF000000u);
}

TEST(TextureData, CopiesThePixelsItIsGiven) {
    Texture t(61, 22, ordune_image + BLOB_PIXELS);
    EXPECT_EQ(t.width, 61);
    EXPECT_EQ(t.height, 22);
    EXPECT_NE(t.data, ordune_image + BLOB_PIXELS);
    EXPECT_EQ(memcmp(t.data, ordune_image + BLOB_PIXELS, 61 * 22 * 4), 0);
}

TEST_F(Textures, SquarePowerOfTwoKeepsDefaultWrapAndLinearFilters) {
    for (int size : {512, 256, 128, 64}) {
        SCOPED_TRACE(size);
        gl_recorder_reset();
        Texture t(size, size);
        t.upload();
        EXPECT_EQ(gl_recorder_count("glTexParameterf"), 0);
        std::vector<GlCall> ti = calls_named("glTexParameteri");
        ASSERT_EQ(ti.size(), 2u);
        EXPECT_EQ(ti[0].a[1], GL_TEXTURE_MIN_FILTER);
        EXPECT_EQ(ti[0].a[2], GL_LINEAR);
        EXPECT_EQ(ti[1].a[1], GL_TEXTURE_MAG_FILTER);
        EXPECT_EQ(ti[1].a[2], GL_LINEAR);
        std::vector<GlCall> mip = calls_named("gluBuild2DMipmaps");
        ASSERT_EQ(mip.size(), 1u);
        EXPECT_EQ(mip[0].a[0], 4);
        EXPECT_EQ(mip[0].a[1], size);
        EXPECT_EQ(mip[0].a[2], size);
    }
}

TEST_F(Textures, OtherSizesRepeatAndMinifyTrilinearly) {
    const int sizes[][2] = {{64, 32}, {61, 22}, {32, 32}, {1024, 1024}};
    for (const auto& s : sizes) {
        SCOPED_TRACE(s[0] * 10000 + s[1]);
        gl_recorder_reset();
        Texture t(s[0], s[1]);
        t.upload();
        std::vector<GlCall> tf = calls_named("glTexParameterf");
        ASSERT_EQ(tf.size(), 4u);
        EXPECT_EQ(tf[0].a[1], GL_TEXTURE_WRAP_S);
        EXPECT_EQ(tf[0].a[2], GL_REPEAT);
        EXPECT_EQ(tf[1].a[1], GL_TEXTURE_WRAP_T);
        EXPECT_EQ(tf[1].a[2], GL_REPEAT);
        EXPECT_EQ(tf[2].a[1], GL_TEXTURE_MAG_FILTER);
        EXPECT_EQ(tf[2].a[2], GL_LINEAR);
        EXPECT_EQ(tf[3].a[1], GL_TEXTURE_MIN_FILTER);
        EXPECT_EQ(tf[3].a[2], GL_LINEAR_MIPMAP_LINEAR);
        std::vector<GlCall> mip = calls_named("gluBuild2DMipmaps");
        ASSERT_EQ(mip.size(), 1u);
        EXPECT_EQ(mip[0].a[1], s[0]);
        EXPECT_EQ(mip[0].a[2], s[1]);
    }
}

TEST_F(Textures, UploadLeavesTexturingOnAndTheNewTextureBound) {
    Texture a(64, 64), b(61, 22);
    a.upload();
    b.upload();
    EXPECT_NE(a.id, 0u);
    EXPECT_NE(b.id, a.id);
    EXPECT_TRUE(gl_recorder()->draw.texture);
    EXPECT_EQ(gl_recorder()->draw.bound_texture, b.id);
    // The texture is bound before its parameters are set.
    const std::vector<GlCall>& calls = gl_recorder()->calls;
    size_t bind = 0, param = 0;
    for (size_t i = 0; i < calls.size(); i++) {
        if (!bind && strcmp(calls[i].name, "glBindTexture") == 0)
            bind = i + 1;
        if (!param && strncmp(calls[i].name, "glTexParameter", 14) == 0)
            param = i + 1;
    }
    EXPECT_LT(bind, param);
    EXPECT_EQ(gl_recorder()->errors, 0);
}

TEST_F(Textures, RenderTexturesAreMadeInOrderAndReleased) {
    EXPECT_EQ(render512_0, nullptr);
    textures_init();
    ASSERT_NE(render512_0, nullptr);
    ASSERT_NE(render512_1, nullptr);
    EXPECT_EQ(render512_0->width, 512);
    EXPECT_EQ(render512_1->height, 512);
    EXPECT_LT(render512_0->id, render512_1->id);
    EXPECT_EQ(gl_recorder_count("gluBuild2DMipmaps"), 2);
    EXPECT_EQ(gl_recorder_count("glTexParameterf"), 0);
    EXPECT_EQ(gl_recorder()->draw.bound_texture, render512_1->id);
    textures_free();
    EXPECT_EQ(render512_0, nullptr);
    EXPECT_EQ(render512_1, nullptr);
    textures_free(); // a second release finds nothing to delete
}
