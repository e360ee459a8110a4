// The glow filter: through the recorder, the six copies of the 512 square into the first render
// texture, the five shifted additive passes, the final stretched quad and the state it leaves;
// through a headless OpenGL frame, what it does to black, to an even grey and to one pixel.
#include "engine/colors.h"
#include "engine/gl.h"
#include "engine/glowfilter.h"
#include "engine/glrecorder.h"
#include "engine/projection.h"
#include "show/show.h"
#include "engine/texture.h"
#include "tools/egl.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// A stand-in scene: one point, so its batch can be told from the filter's quads.
void one_point(float pos) {
    glBegin(GL_POINTS);
    glVertex3f(pos, 0, -1);
    glEnd();
}

const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};

// The viewport in force when call `upto` was made, replayed from the log; the frame set-up
// sets one before anything else is drawn.
std::vector<double> viewport_at(size_t upto) {
    std::vector<double> v;
    const std::vector<GlCall>& calls = gl_recorder()->calls;
    for (size_t i = 0; i < upto && i < calls.size(); i++)
        if (strcmp(calls[i].name, "glViewport") == 0)
            v.assign(calls[i].a, calls[i].a + 4);
    return v;
}

// The texture bound when call `upto` was made.
double bound_at(size_t upto) {
    double t = -1;
    const std::vector<GlCall>& calls = gl_recorder()->calls;
    for (size_t i = 0; i < upto && i < calls.size(); i++)
        if (strcmp(calls[i].name, "glBindTexture") == 0 && calls[i].a[0] == GL_TEXTURE_2D)
            t = calls[i].a[1];
    return t;
}

std::vector<size_t> calls_named(const char* name) {
    std::vector<size_t> at;
    const std::vector<GlCall>& calls = gl_recorder()->calls;
    for (size_t i = 0; i < calls.size(); i++)
        if (strcmp(calls[i].name, name) == 0)
            at.push_back(i);
    return at;
}

std::vector<const GlBatch*> quads() {
    std::vector<const GlBatch*> out;
    for (const GlBatch& b : gl_recorder()->batches)
        if (b.prim == GL_QUADS)
            out.push_back(&b);
    return out;
}

std::vector<double> square() {
    return {0, 0, GLOW_SIZE, GLOW_SIZE};
}

} // namespace

class GlowFilter : public ::testing::Test {
  protected:
    void SetUp() override {
        saved = clearcolor;
        clearcolor = harmaa;
        gl_use_recorder();
        textures_init();
        gl_recorder_reset();
        show_frame_setup();
    }
    void TearDown() override {
        OPENGL_XRES = 1024;
        OPENGL_YRES = 768;
        clearcolor = saved;
        textures_free();
        gl_use_null();
    }
    Vector saved;
};

TEST_F(GlowFilter, SetupNarrowsTheViewportToTheSquare) {
    glowfilter_setup();
    const int* v = gl_recorder()->viewport;
    EXPECT_EQ(v[0], 0);
    EXPECT_EQ(v[1], 0);
    EXPECT_EQ(v[2], 512);
    EXPECT_EQ(v[3], 512);
    // The scene then draws into the square.
    one_point(0.5f);
    std::vector<size_t> begins = calls_named("glBegin");
    ASSERT_EQ(begins.size(), 1u);
    EXPECT_EQ(viewport_at(begins[0]), square());
}

TEST_F(GlowFilter, SixCopiesOfTheSquareIntoTheFirstRenderTexture) {
    glowfilter_around(one_point, 0.5f);
    std::vector<size_t> copies = calls_named("glCopyTexImage2D");
    ASSERT_EQ(copies.size(), 6u);
    for (size_t k = 0; k < copies.size(); k++) {
        const GlCall& c = gl_recorder()->calls[copies[k]];
        EXPECT_EQ(c.a[0], GL_RGB) << k; // colour only
        EXPECT_EQ(c.a[1], 0) << k;
        EXPECT_EQ(c.a[2], 0) << k;
        EXPECT_EQ(c.a[3], 512) << k;
        EXPECT_EQ(bound_at(copies[k]), render512_0->id) << k;
        EXPECT_EQ(viewport_at(copies[k]), square()) << k;
    }
    // The texture is replaced by copies, never rebuilt.
    EXPECT_EQ(gl_recorder_count("glTexImage2D"), 0);
    EXPECT_EQ(gl_recorder_count("gluBuild2DMipmaps"), 0);
    EXPECT_EQ(gl_recorder_count("glGenTextures"), 0);
}

TEST_F(GlowFilter, ThePassesStartFromAClearedFrameAndEachSmearsTheCopyBeforeIt) {
    glowfilter_around(one_point, 0.5f);
    // In call order: the scene's point, the first copy, the clear, then quad and copy five
    // times, then the final quad.
    std::vector<std::string> order;
    for (const GlCall& c : gl_recorder()->calls) {
        if (strcmp(c.name, "glCopyTexImage2D") == 0)
            order.push_back("copy");
        else if (strcmp(c.name, "glClear") == 0)
            order.push_back(c.a[0] == (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT) ? "clear"
                                                                                  : "clear?");
        else if (strcmp(c.name, "glBegin") == 0)
            order.push_back(gl_recorder()->batches[c.batch].prim == GL_QUADS ? "quad" : "scene");
    }
    // The frame set-up's own clear comes first.
    std::vector<std::string> expected = {"clear", "scene", "copy", "clear"};
    for (int i = 0; i < 5; i++) {
        expected.push_back("quad");
        expected.push_back("copy");
    }
    expected.push_back("quad");
    EXPECT_EQ(order, expected);

    // The filter's clear is to black, whatever the show clears its frames to; the show's
    // colour is back afterwards.
    std::vector<size_t> clears = calls_named("glClear");
    ASSERT_EQ(clears.size(), 2u);
    const GlCall& before = gl_recorder()->calls.at(clears[1] - 1);
    EXPECT_STREQ(before.name, "glClearColor");
    for (int c = 0; c < 4; c++)
        EXPECT_EQ(before.a[c], 0.0) << c;
    const float* now = gl_recorder()->clear_color;
    EXPECT_EQ(now[0], harmaa.x);
    EXPECT_EQ(now[1], harmaa.y);
    EXPECT_EQ(now[2], harmaa.z);
    EXPECT_EQ(now[3], 1.0f);
}

TEST_F(GlowFilter, FivePassesShiftedRoundTheCircleAtThirtyPercentAdditive) {
    glowfilter_around(one_point, 0.5f);
    std::vector<const GlBatch*> q = quads();
    ASSERT_EQ(q.size(), 6u);
    for (int i = 0; i < 5; i++) {
        const GlBatch& b = *q[i];
        ASSERT_EQ(b.count(), 4) << i;
        EXPECT_TRUE(b.state.blend) << i;
        EXPECT_EQ(b.state.blend_src, (GLenum)GL_SRC_ALPHA) << i;
        EXPECT_EQ(b.state.blend_dst, (GLenum)GL_ONE) << i;
        EXPECT_FALSE(b.state.depth_mask) << i;
        EXPECT_TRUE(b.state.texture) << i;
        EXPECT_EQ(b.state.bound_texture, render512_0->id) << i;
        float angle = ((float)i / 5) * 6.283058f;
        float dx = (float)sin((double)angle) * 0.01f, dy = (float)cos((double)angle) * 0.01f;
        for (int k = 0; k < 4; k++) {
            EXPECT_EQ(b.t[k * 2], corners[k][0]) << i << " " << k;
            EXPECT_EQ(b.t[k * 2 + 1], corners[k][1]) << i << " " << k;
            EXPECT_FLOAT_EQ(b.v[k * 3], corners[k][0] + dx) << i << " " << k;
            EXPECT_FLOAT_EQ(b.v[k * 3 + 1], corners[k][1] + dy) << i << " " << k;
            const float white30[4] = {1, 1, 1, 0.3f};
            for (int c = 0; c < 4; c++)
                EXPECT_EQ(b.c[k * 4 + c], white30[c]) << i << " " << k;
        }
        // Unit overlay: the square's corners map to the corners of the viewport.
        float p[4];
        gl_mat4_apply(b.proj, 1, 1, 0, p);
        EXPECT_FLOAT_EQ(p[0], 1);
        EXPECT_FLOAT_EQ(p[1], 1);
        gl_mat4_apply(b.proj, 0, 0, 0, p);
        EXPECT_FLOAT_EQ(p[0], -1);
        EXPECT_FLOAT_EQ(p[1], -1);
        for (int e = 0; e < 16; e++)
            EXPECT_EQ(b.mv.m[e], e % 5 == 0 ? 1.0f : 0.0f) << i;
    }
    // The first pass shifts straight up, the second a fifth of a turn clockwise from there.
    EXPECT_EQ(q[0]->v[0], 0.0f);
    EXPECT_EQ(q[0]->v[1], 0.01f);
    EXPECT_GT(q[1]->v[0], 0.009f);
    EXPECT_GT(q[1]->v[1], 0.003f);
}

TEST_F(GlowFilter, TheResultIsStretchedOverTheFullViewportWithoutBlending) {
    // A renderer frame of another size: the filter goes back to the show's viewport, whatever
    // it is, not to a fixed 1024x768.
    OPENGL_XRES = 800;
    OPENGL_YRES = 600;
    show_frame_setup();
    glowfilter_around(one_point, 0.5f);
    std::vector<const GlBatch*> q = quads();
    ASSERT_EQ(q.size(), 6u);
    const GlBatch& b = *q[5];
    EXPECT_FALSE(b.state.blend);
    EXPECT_TRUE(b.state.texture);
    EXPECT_EQ(b.state.bound_texture, render512_0->id);
    for (int k = 0; k < 4; k++) {
        EXPECT_EQ(b.v[k * 3], corners[k][0]) << k;
        EXPECT_EQ(b.v[k * 3 + 1], corners[k][1]) << k;
        EXPECT_EQ(b.t[k * 2], corners[k][0]) << k;
        EXPECT_EQ(b.t[k * 2 + 1], corners[k][1]) << k;
        for (int c = 0; c < 4; c++)
            EXPECT_EQ(b.c[k * 4 + c], 1.0f) << k;
    }
    std::vector<size_t> begins = calls_named("glBegin");
    std::vector<double> full = {0, 0, 800, 600};
    EXPECT_EQ(viewport_at(begins.back()), full);
    // The passes before it were all drawn in the square.
    for (size_t k = 1; k + 1 < begins.size(); k++)
        EXPECT_EQ(viewport_at(begins[k]), square()) << k;
}

TEST_F(GlowFilter, LeavesTheFullViewportAndTheStateItDocuments) {
    GlMat4 projection = gl_recorder_matrix(GL_PROJECTION);
    glowfilter_around(one_point, 0.5f);
    const GlRecorder* r = gl_recorder();
    EXPECT_EQ(r->viewport[0], 0);
    EXPECT_EQ(r->viewport[1], 0);
    EXPECT_EQ(r->viewport[2], 1024);
    EXPECT_EQ(r->viewport[3], 768);
    EXPECT_FALSE(r->draw.blend);
    EXPECT_TRUE(r->draw.depth_mask);
    EXPECT_TRUE(r->draw.texture);
    EXPECT_EQ(r->draw.bound_texture, render512_0->id);
    EXPECT_EQ(r->matrix_mode, (GLenum)GL_MODELVIEW);
    const GlMat4& mv = gl_recorder_matrix(GL_MODELVIEW);
    for (int e = 0; e < 16; e++) {
        EXPECT_EQ(mv.m[e], e % 5 == 0 ? 1.0f : 0.0f) << e;
        EXPECT_EQ(gl_recorder_matrix(GL_PROJECTION).m[e], projection.m[e]) << e;
    }
    // Every push was popped.
    EXPECT_EQ(r->modelview.size(), 1u);
    EXPECT_EQ(r->projection.size(), 1u);
    EXPECT_EQ(r->errors, 0);
    for (int c = 0; c < 4; c++)
        EXPECT_EQ(r->color[c], 1.0f);

    // Whatever draws next lands on the whole screen, through the 3-D projection.
    one_point(0.25f);
    std::vector<size_t> begins = calls_named("glBegin");
    std::vector<double> full = {0, 0, 1024, 768};
    EXPECT_EQ(viewport_at(begins.back()), full);
    for (int e = 0; e < 16; e++)
        EXPECT_EQ(r->batches.back().proj.m[e], projection.m[e]) << e;
}

// The filter's pixels, drawn by the platform's OpenGL in a headless 512x512 frame.
class GlowPixels : public ::testing::Test {
  protected:
    static bool open;
    static std::string why;
    static void SetUpTestSuite() { open = egl_open(GLOW_SIZE, GLOW_SIZE, &why); }
    static void TearDownTestSuite() {
        if (open)
            egl_close();
    }
    void SetUp() override {
        if (!open)
            GTEST_SKIP() << "no headless OpenGL: " << why;
        saved = clearcolor;
        OPENGL_XRES = OPENGL_YRES = GLOW_SIZE;
        gl_use_platform();
        textures_init();
    }
    void TearDown() override {
        if (!open)
            return;
        textures_free();
        gl_use_null();
        clearcolor = saved;
        OPENGL_XRES = 1024;
        OPENGL_YRES = 768;
    }
    // The frame after the filter ran over `scene`, on a frame cleared to `background`; RGB,
    // bottom row first.
    std::vector<unsigned char> filtered(Vector background, void (*scene)(float)) {
        clearcolor = background;
        show_frame_setup();
        glowfilter_around(scene, 0.5f);
        std::vector<unsigned char> px(GLOW_SIZE * GLOW_SIZE * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, GLOW_SIZE, GLOW_SIZE, GL_RGB, GL_UNSIGNED_BYTE, px.data());
        return px;
    }
    static int at(const std::vector<unsigned char>& px, int x, int y, int c = 0) {
        return px[(y * GLOW_SIZE + x) * 3 + c];
    }
    Vector saved;
};
bool GlowPixels::open = false;
std::string GlowPixels::why;

namespace {

void nothing(float) {}

// One white pixel at the middle of the square, blending and smoothing aside.
void centre_pixel(float) {
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    perspective2D(GLOW_SIZE, GLOW_SIZE);
    glColor4f(1, 1, 1, 1);
    glBegin(GL_QUADS);
    glVertex3f(256, 256, 0);
    glVertex3f(257, 256, 0);
    glVertex3f(257, 257, 0);
    glVertex3f(256, 257, 0);
    glEnd();
    perspective3D();
}

} // namespace

TEST_F(GlowPixels, ABlackFrameStaysBlack) {
    std::vector<unsigned char> px = filtered(Vector(0, 0, 0), nothing);
    int lit = 0;
    for (unsigned char v : px)
        lit += v != 0;
    EXPECT_EQ(lit, 0);
}

TEST_F(GlowPixels, AnEvenFrameComesBackAtTheCopiesSummedWeight) {
    // Sixteen copies weighing 0.3 * 1.3^4 (about 0.86) in all; each pass rounds to 8 bits.
    std::vector<unsigned char> px = filtered(harmaa, nothing);
    const float rgb[3] = {harmaa.x, harmaa.y, harmaa.z};
    for (int c = 0; c < 3; c++)
        EXPECT_NEAR(at(px, 256, 256, c), rgb[c] * 255 * 0.3f * 1.3f * 1.3f * 1.3f * 1.3f, 6) << c;
    // Not the grey washed out to white by passes over a grey clear.
    EXPECT_LT(at(px, 256, 256), 200);
}

TEST_F(GlowPixels, ABrightPixelBecomesASmallClusterOfFallingWeights) {
    std::vector<unsigned char> px = filtered(Vector(0, 0, 0), centre_pixel);
    int brightest = 0, bx = 0, by = 0, far = 0;
    long sum = 0;
    for (int y = 0; y < GLOW_SIZE; y++)
        for (int x = 0; x < GLOW_SIZE; x++) {
            int v = at(px, x, y);
            sum += v;
            if (v > brightest) {
                brightest = v;
                bx = x;
                by = y;
            }
            // Four shifts of 0.01 of the square (about 5 pixels) reach at most 21 pixels out.
            if ((x - 256) * (x - 256) + (y - 256) * (y - 256) > 25 * 25)
                far += v != 0;
        }
    EXPECT_EQ(far, 0);
    // The heaviest copy is the first one's, 30 % of the pixel about 5 pixels above it.
    EXPECT_EQ(bx, 256);
    EXPECT_GE(by, 260);
    EXPECT_LE(by, 262);
    EXPECT_GT(brightest, 40);
    EXPECT_LE(brightest, 80);
    // The original place gets only the faint copy shifted by all five directions.
    EXPECT_LT(at(px, 256, 256), 10);
    // Together the copies hold about 0.86 of the pixel, less what 8-bit rounding drops.
    EXPECT_GT(sum, 140);
    EXPECT_LT(sum, 240);
}
