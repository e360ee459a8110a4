// Textures, the image blobs and the text images: the header and pixels of every compiled-in
// lettering picture, the uploads of the render textures and the text images through the
// recorder, and the text keys. What the scenes draw with them is in their digests.
#include "engine/gl.h"
#include "engine/glrecorder.h"
#include "engine/textimages.h"
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

// The parameters set while texture `id` was bound, in order, as glTexParameteri or f alike.
static std::vector<std::pair<double, double>> parameters(GLuint id) {
    std::vector<std::pair<double, double>> out;
    double bound = 0;
    for (const GlCall& c : gl_recorder()->calls)
        if (strcmp(c.name, "glBindTexture") == 0)
            bound = c.a[1];
        else if (strncmp(c.name, "glTexParameter", 14) == 0 && bound == id)
            out.push_back({c.a[1], c.a[2]});
    return out;
}

// The glow filter's two render textures, the only ones the show makes: linear filtering and the
// default wrap, mipmaps built at 512x512, and both released.
TEST(Textures, RenderTexturesFilterLinearlyAndAreReleased) {
    gl_use_recorder();
    gl_recorder_reset();
    textures_init();
    ASSERT_NE(render512_1, nullptr);
    EXPECT_LT(render512_0->id, render512_1->id);
    const std::vector<std::pair<double, double>> linear = {{GL_TEXTURE_MIN_FILTER, GL_LINEAR},
                                                           {GL_TEXTURE_MAG_FILTER, GL_LINEAR}};
    EXPECT_EQ(parameters(render512_0->id), linear);
    EXPECT_EQ(parameters(render512_1->id), linear);
    for (const GlCall& c : calls_named("gluBuild2DMipmaps"))
        EXPECT_EQ(c.a[1] * c.a[2], 512 * 512);
    EXPECT_EQ(calls_named("gluBuild2DMipmaps").size(), 2u);
    textures_free();
    EXPECT_EQ(render512_0, nullptr);
    EXPECT_EQ(render512_1, nullptr);
    textures_free(); // a second release finds nothing to delete
    gl_use_null();
}

TEST(FontText, OnlyExactKeysSelectTheFirstFour) {
    const std::pair<const char*, int> keys[] = {
        {"mervane", 0},   {"Ordune", 1}, {"fluoxetine: tamsel", 2}, {"fluvoxamine: vorn", 3},
        {"greetings", 4}, {"", 4},       {"mervanex", 4},           {"mervan", 4},
        {"ordune", 4},    {"Mervane", 4}};
    for (const auto& k : keys)
        EXPECT_EQ(fonttext(k.first), k.second) << k.first;
}

// In table order, each with linear filters and repeat wrapping, leaving texturing off and nothing
// bound; a second build refills the table from the front, and a full one takes no more.
TEST(FontTextures, UploadsTheFivePicturesInTableOrder) {
    gl_use_recorder();
    gl_recorder_reset();
    font_init();
    EXPECT_EQ(font_inc, 5);
    const unsigned sizes[5][2] = {{116, 36}, {61, 22}, {300, 36}, {261, 36}, {417, 1080}};
    const std::vector<std::pair<double, double>> want = {{GL_TEXTURE_MAG_FILTER, GL_LINEAR},
                                                         {GL_TEXTURE_MIN_FILTER, GL_LINEAR},
                                                         {GL_TEXTURE_WRAP_S, GL_REPEAT},
                                                         {GL_TEXTURE_WRAP_T, GL_REPEAT}};
    std::vector<GlCall> mip = calls_named("gluBuild2DMipmaps");
    ASSERT_EQ(mip.size(), 5u);
    for (int i = 0; i < 5; i++) {
        std::pair<double, double> size(sizes[i][0], sizes[i][1]);
        EXPECT_EQ(std::make_pair((double)font_textures[i].width, (double)font_textures[i].height),
                  size);
        EXPECT_EQ(std::make_pair(mip[i].a[1], mip[i].a[2]), size);
        EXPECT_EQ(parameters(font_textures[i].texture), want) << i;
    }
    EXPECT_FALSE(gl_recorder()->draw.texture);
    EXPECT_EQ(gl_recorder()->draw.bound_texture, 0u);
    for (int i = 0; i < 10; i++)
        font_texture((const unsigned char*)"\0\0\0\xff", 1, 1);
    EXPECT_EQ(font_inc, FONT_TEXTURES_MAX);
    font_init();
    EXPECT_EQ(font_inc, 5);
    EXPECT_EQ(font_textures[1].width, 61u);
    gl_use_null();
}

// A frame filled at 16:9 (the renderer's --fill) keeps the flat lettering in proportion and
// centred: "Ordune" (61 x 22) spans 61 / 22 as many pixels across as down, and its middle lies
// as far from the frame's middle, in frame heights, as in the 4:3 picture.
TEST(FontTextures, FilledFramesKeepTheLetteringInProportion) {
    gl_use_recorder();
    gl_recorder_reset();
    font_init();
    // The drawn quad's width over its height, and its middle's distance from the frame's middle
    // in frame heights, in a frame of the given aspect.
    auto measure = [](float aspect, double* shape, double* offset) {
        gl_recorder_clear_log();
        font_write(1.3f, 0, "Ordune");
        const GlBatch& b = gl_recorder()->batches.back();
        float lo[4], hi[4], plo[4], phi[4]; // the first and third corners
        gl_mat4_apply(b.mv, b.v[0], b.v[1], b.v[2], lo);
        gl_mat4_apply(b.mv, b.v[6], b.v[7], b.v[8], hi);
        gl_mat4_apply(b.proj, lo[0], lo[1], lo[2], plo);
        gl_mat4_apply(b.proj, hi[0], hi[1], hi[2], phi);
        // Normalised device units: 2 across the frame's width, 2 down its height.
        double w = (phi[0] - plo[0]) / 2 * aspect, h = (phi[1] - plo[1]) / 2;
        *shape = w / h;
        *offset = (phi[0] + plo[0]) / 4 * aspect;
    };
    double shape43, offset43, shape169, offset169;
    measure(4.0f / 3, &shape43, &offset43);
    font_fill(16.0f / 9);
    measure(16.0f / 9, &shape169, &offset169);
    font_fill(4.0f / 3); // back to the show's own layout, exactly
    double shape, offset;
    measure(4.0f / 3, &shape, &offset);
    EXPECT_EQ(offset, offset43);
    EXPECT_NEAR(shape43, 61.0 / 22, 1e-4);
    EXPECT_NEAR(shape169, 61.0 / 22, 1e-4);
    EXPECT_NEAR(offset169, offset43, 1e-4);
    gl_use_null();
}
