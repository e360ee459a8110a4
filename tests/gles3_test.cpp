// The GLES 3 back end of the GL layer on an OpenGL ES context against the platform GL on a
// desktop one, both headless through EGL: each primitive kind, the show's frames at one time in
// each scene and a frame through the glow filter look the same both ways; the back end's
// power-of-two sides and scaling are GLU's; queries and reads are answered as GL would.
#include "engine/gl.h"
#include "engine/gles3.h"
#include "engine/glowfilter.h"
#include "show/offline.h"
#include "show/show.h"
#include "tools/egl.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

typedef std::vector<unsigned char> Frame; // RGBA, rows bottom to top as GL reads them

// Rasterisers differ at edges; what is drawn must not: the mean difference over every colour
// channel, and the worst mean over one 32x32 block, in levels of 255.
const double max_mean_difference = 3, max_block_difference = 16;
enum { BLOCK = 32 };

struct Difference {
    double mean, worst_block;
};

Difference compare(const Frame& a, const Frame& b, int w, int h) {
    double total = 0, worst = 0;
    for (int by = 0; by < h; by += BLOCK)
        for (int bx = 0; bx < w; bx += BLOCK) {
            double block = 0;
            int n = 0;
            for (int y = by; y < by + BLOCK && y < h; y++)
                for (int x = bx; x < bx + BLOCK && x < w; x++)
                    for (int k = 0; k < 3; k++, n++) {
                        size_t i = ((size_t)y * (size_t)w + (size_t)x) * 4 + (size_t)k;
                        block += std::abs(a[i] - b[i]);
                    }
            total += block;
            worst = std::max(worst, block / n);
        }
    return {total / (3.0 * w * h), worst};
}

// Whether more than 16 pixels differ from the first: something was drawn.
bool drawn(const Frame& f) {
    size_t differ = 0;
    for (size_t i = 0; i < f.size(); i += 4)
        differ += memcmp(&f[i], &f[0], 3) != 0;
    return differ > 16;
}

Frame read_frame(int w, int h) {
    Frame f((size_t)w * (size_t)h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, f.data());
    return f;
}

// A w x h context of the kind with its back end in force.
void open_context(bool es3, int w, int h) {
    std::string why;
    ASSERT_TRUE(es3 ? egl_open_es3(w, h, &why) : egl_open(w, h, &why)) << why;
    if (!es3) {
        gl_use_platform();
        return;
    }
    const char* es3_why = "";
    ASSERT_TRUE(gl_use_es3(&es3_why)) << es3_why;
    ASSERT_EQ(gl_backend(), GL_BACKEND_ES3);
}

void close_context() {
    gl_use_null();
    egl_close();
}

// What `draw` leaves on a w x h frame: through the platform GL, then through the GLES 3 back
// end with batching and without.
std::vector<Frame> draw_each_way(int w, int h, const std::function<void()>& draw) {
    std::vector<Frame> frames;
    for (int way = 0; way < 3; way++) {
        open_context(way > 0, w, h);
        if (way > 0)
            gles3_batching(way == 1);
        draw();
        frames.push_back(read_frame(w, h));
        close_context();
    }
    return frames;
}

// Pixel space of a small frame: glOrtho over it, blending on, white, both smoothings on.
const int small = 96;
void pixel_space() {
    glViewport(0, 0, small, small);
    glClearColor(0.2f, 0.3f, 0.4f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, small, 0, small, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_POINT_SMOOTH);
}

// Eight vertices round a circle, with colours going round too.
void ring(GLenum prim) {
    glBegin(prim);
    for (int i = 0; i < 8; i++) {
        float a = (float)i * 0.785398f;
        glColor4f(0.5f + 0.5f * cosf(a), 0.5f + 0.5f * sinf(a), 1 - 0.1f * (float)i, 0.8f);
        glVertex2f(48 + 37.3f * cosf(a), 48 + 33.7f * sinf(a));
    }
    glEnd();
}

// A square with red corners on one diagonal and black on the other: its colour across the
// middle shows which diagonal the quad was split along.
void split_square(GLenum prim) {
    const float corners[4][2] = {{10, 10}, {80, 12}, {84, 86}, {8, 80}};
    const int order[2][4] = {{0, 1, 2, 3}, {0, 1, 3, 2}}; // round it; as a strip's two sides
    glBegin(prim);
    for (int k = 0; k < 4; k++) {
        int i = order[prim == GL_QUAD_STRIP][k];
        glColor3f(i % 2 ? 0.0f : 1.0f, 0, 0);
        glVertex2f(corners[i][0], corners[i][1]);
    }
    glEnd();
}

// An RGBA picture of w x h with a pattern in every channel.
std::vector<unsigned char> pattern(int w, int h) {
    std::vector<unsigned char> p((size_t)w * (size_t)h * 4);
    for (size_t i = 0; i < p.size(); i++)
        p[i] = (unsigned char)((i * 2654435761u) >> 13);
    return p;
}

void textured_quad(bool mipmaps) {
    std::vector<unsigned char> p = pattern(61, 22);
    GLuint t;
    glGenTextures(1, &t);
    glBindTexture(GL_TEXTURE_2D, t);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    if (mipmaps)
        gluBuild2DMipmaps(GL_TEXTURE_2D, 4, 61, 22, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
    else // alpha only: the colour comes from glColor
        glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA8, 61, 22, 0, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
    glEnable(GL_TEXTURE_2D);
    glColor4f(1, 0.8f, 0.6f, 1);
    glBegin(GL_QUADS);
    const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (const auto& c : corners) {
        glTexCoord2f(c[0], c[1]);
        glVertex2f(10 + 70 * c[0] + 5 * c[1], 15 + 60 * c[1]);
    }
    glEnd();
    glDisable(GL_TEXTURE_2D);
}

const struct {
    const char* name;
    void (*draw)();
} drawings[] = {
    {"points of 4", [] { glPointSize(4), ring(GL_POINTS); }},
    {"points of 1", [] { ring(GL_POINTS); }},
    {"aliased points of 3", [] { glDisable(GL_POINT_SMOOTH), glPointSize(3), ring(GL_POINTS); }},
    {"lines", [] { glLineWidth(3), ring(GL_LINES); }},
    {"line strip", [] { glLineWidth(1), ring(GL_LINE_STRIP); }},
    {"line loop of 6", [] { glLineWidth(6), ring(GL_LINE_LOOP); }},
    {"triangles", [] { ring(GL_TRIANGLES); }},
    {"triangle strip", [] { ring(GL_TRIANGLE_STRIP); }},
    {"triangle fan", [] { ring(GL_TRIANGLE_FAN); }},
    {"quads", [] { ring(GL_QUADS); }},
    {"quad strip", [] { ring(GL_QUAD_STRIP); }},
    {"polygon", [] { ring(GL_POLYGON); }},
    {"quad's diagonal", [] { split_square(GL_QUADS); }},
    {"quad strip's diagonal", [] { split_square(GL_QUAD_STRIP); }},
    {"additive lines over a fill",
     [] {
         ring(GL_POLYGON);
         glBlendFunc(GL_SRC_ALPHA, GL_ONE);
         glLineWidth(4);
         ring(GL_LINE_LOOP);
     }},
    {"depth test",
     [] {
         glEnable(GL_DEPTH_TEST);
         glTranslatef(0, 0, 0.5f);
         ring(GL_POLYGON);
         glTranslatef(10, 10, -0.7f);
         ring(GL_QUADS);
         glTranslatef(-20, -5, 0.4f);
         glDepthMask(GL_FALSE);
         ring(GL_TRIANGLES);
         glDepthMask(GL_TRUE);
     }},
    {"attribute stack",
     [] {
         glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_COLOR_BUFFER_BIT);
         glDisable(GL_BLEND);
         glLineWidth(8);
         ring(GL_LINE_STRIP);
         glPopAttrib();
         glBlendFunc(GL_SRC_ALPHA, GL_ONE);
         ring(GL_LINE_LOOP); // blended, one pixel wide again
     }},
    {"mipmapped texture", [] { textured_quad(true); }},
    {"alpha texture", [] { textured_quad(false); }},
};

TEST(Gles3, EachKindOfDrawingLooksAsOnThePlatformGl) {
    for (const auto& d : drawings) {
        std::vector<Frame> f = draw_each_way(small, small, [&] {
            pixel_space();
            d.draw();
        });
        EXPECT_TRUE(drawn(f[0])) << d.name;
        for (int way = 1; way < 3; way++) {
            Difference diff = compare(f[0], f[(size_t)way], small, small);
            EXPECT_LE(diff.mean, max_mean_difference) << d.name << (way == 1 ? ", batched" : "");
            EXPECT_LE(diff.worst_block, max_block_difference)
                << d.name << (way == 1 ? ", batched" : "");
        }
    }
}

// The show at 1024x768, as the renderer draws it, at the middle of each timeline scene's window
// (frames drawn from the show's start; those between played through the null back end), then
// the middle scene alone through the glow filter.
const int show_w = 1024, show_h = 768;
const double show_fps = 60;
const char* const glow_scene = "perhonen";

enum Drawing { PLATFORM, ES3_BATCHED, ES3_ONE_BY_ONE };

std::vector<Frame> show_frames(Drawing drawing, const std::vector<double>& times) {
    std::vector<Frame> frames;
    open_context(drawing != PLATFORM, show_w, show_h);
    if (drawing != PLATFORM)
        gles3_batching(drawing == ES3_BATCHED);
    OPENGL_XRES = show_w;
    OPENGL_YRES = show_h;
    offline_begin();
    long next = 0;
    for (double t : times) {
        long k = offline_frame_at(t, show_fps);
        offline_skip(next, k, show_fps);
        offline_draw(k, show_fps, nullptr);
        frames.push_back(read_frame(show_w, show_h));
        next = k + 1;
    }
    const SceneEntry* scene = scene_find(glow_scene);
    scene_build(scene);
    show_frame_setup();
    glowfilter_around(scene->draw, 0.5f);
    scene_release(scene);
    frames.push_back(read_frame(show_w, show_h));
    offline_end();
    close_context();
    return frames;
}

// One time in the middle of each timeline scene's window.
std::vector<double> scene_times() {
    std::vector<double> times;
    for (int i = 0; i < TIMELINE_SCENES; i++)
        times.push_back((scenes[i].window[0] + scenes[i].window[1]) / 2000.0);
    return times;
}

std::string frame_name(const std::vector<double>& times, size_t i) {
    return i < times.size() ? std::string(scenes[i].name) + " at " + std::to_string(times[i]) + " s"
                            : std::string(glow_scene) + " through the glow filter";
}

TEST(Gles3, TheShowLooksAsOnThePlatformGlInEveryScene) {
    std::vector<double> times = scene_times();
    std::vector<Frame> platform = show_frames(PLATFORM, times);
    std::vector<Frame> es3 = show_frames(ES3_BATCHED, times);
    ASSERT_EQ(platform.size(), times.size() + 1);
    ASSERT_EQ(es3.size(), platform.size());
    for (size_t i = 0; i < platform.size(); i++) {
        EXPECT_TRUE(drawn(platform[i])) << frame_name(times, i);
        Difference d = compare(platform[i], es3[i], show_w, show_h);
        EXPECT_LE(d.mean, max_mean_difference) << frame_name(times, i);
        EXPECT_LE(d.worst_block, max_block_difference) << frame_name(times, i);
    }
}

// Batches drawn together and one by one differ by rounding alone: a run that mixes blend
// functions is blended premultiplied, which rounds the colour once more before it is blended, by
// up to a level for each layer drawn over a pixel.
const int max_rounding = 8;
const double max_rounding_mean = 0.25, max_rounding_block = 1;

TEST(Gles3, BatchingDrawsAsOneByOne) {
    std::vector<double> times = scene_times();
    std::vector<Frame> batched = show_frames(ES3_BATCHED, times);
    std::vector<Frame> one_by_one = show_frames(ES3_ONE_BY_ONE, times);
    ASSERT_EQ(batched.size(), one_by_one.size());
    for (size_t i = 0; i < batched.size(); i++) {
        EXPECT_TRUE(drawn(one_by_one[i])) << frame_name(times, i);
        int worst = 0;
        for (size_t j = 0; j < batched[i].size(); j++)
            if (j % 4 != 3) // colour only: the destination alpha is meant to differ
                worst = std::max(worst, std::abs(batched[i][j] - one_by_one[i][j]));
        EXPECT_LE(worst, max_rounding) << frame_name(times, i);
        Difference d = compare(batched[i], one_by_one[i], show_w, show_h);
        EXPECT_LE(d.mean, max_rounding_mean) << frame_name(times, i);
        EXPECT_LE(d.worst_block, max_rounding_block) << frame_name(times, i);
    }
}

// GLU's own sides and scaling, read back from the platform GL.
TEST(Gles3, PowerOfTwoSidesAreGlus) {
    open_context(false, 16, 16);
    for (int n : {1, 2, 3, 5, 6, 7, 9, 12, 22, 36, 48, 61, 96, 116, 300, 417, 512, 1080}) {
        std::vector<unsigned char> p = pattern(n, 1);
        GLuint t;
        glGenTextures(1, &t);
        glBindTexture(GL_TEXTURE_2D, t);
        gluBuild2DMipmaps(GL_TEXTURE_2D, 4, n, 1, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
        GLint side = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &side);
        EXPECT_EQ(gles3_mipmap_side(n), side) << n;
        glDeleteTextures(1, &t);
    }
    close_context();
}

TEST(Gles3, ScalingIsGluScaleImages) {
    open_context(false, 16, 16);
    const int sizes[][4] = {
        {61, 22, 64, 16}, {3, 5, 4, 4}, {6, 7, 8, 8}, {300, 36, 256, 32}, {417, 1080, 512, 1024}};
    for (const auto& s : sizes) {
        std::vector<unsigned char> p = pattern(s[0], s[1]);
        std::vector<unsigned char> glu((size_t)s[2] * (size_t)s[3] * 4), ours(glu.size());
        gluScaleImage(GL_RGBA, s[0], s[1], GL_UNSIGNED_BYTE, p.data(), s[2], s[3], GL_UNSIGNED_BYTE,
                      glu.data());
        gles3_scale_rgba(p.data(), s[0], s[1], ours.data(), s[2], s[3]);
        int worst = 0;
        for (size_t i = 0; i < glu.size(); i++)
            worst = std::max(worst, std::abs(glu[i] - ours[i]));
        EXPECT_LE(worst, 1) << s[0] << "x" << s[1] << " to " << s[2] << "x" << s[3];
    }
    close_context();
}

TEST(Gles3, AnswersQueriesFromItsModelAndTheContext) {
    open_context(true, 40, 30);
    GLint v[4];
    glGetIntegerv(GL_VIEWPORT, v);
    EXPECT_EQ(std::vector<GLint>(v, v + 4), (std::vector<GLint>{0, 0, 40, 30}));
    glGetIntegerv(GL_ALPHA_BITS, v);
    EXPECT_EQ(v[0], 8);
    glGetIntegerv(GL_DEPTH_BITS, v);
    EXPECT_GE(v[0], 24);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(1, 2, 3);
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_EQ(m[12] * 100 + m[13] * 10 + m[14], 123);
    glPushAttrib(GL_ENABLE_BIT);
    glEnable(GL_BLEND);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    glPopAttrib();
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    close_context();
}

// RGB reads come from the RGBA ones, rows padded to the pack alignment.
TEST(Gles3, ReadsRgbRowsAtThePackAlignment) {
    open_context(true, 8, 8);
    glClearColor(1, 0.5f, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    std::vector<unsigned char> rgb(2 * 12, 7); // 3 pixels of 3 bytes, rows of 12 at alignment 4
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(2, 2, 3, 2, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    for (int row = 0; row < 2; row++) {
        for (int x = 0; x < 3; x++) {
            EXPECT_EQ(rgb[row * 12 + x * 3], 255);
            EXPECT_NEAR(rgb[row * 12 + x * 3 + 1], 128, 1);
            EXPECT_EQ(rgb[row * 12 + x * 3 + 2], 0);
        }
        for (int pad = 9; pad < 12; pad++)
            EXPECT_EQ(rgb[row * 12 + pad], 7) << "padding written";
    }
    close_context();
}

} // namespace
