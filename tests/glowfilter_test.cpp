// The glow filter through the recorder: its copies, passes and final quad in order, each in its
// viewport, and the state it leaves.
#include "engine/colors.h"
#include "engine/gl.h"
#include "engine/glowfilter.h"
#include "engine/glrecorder.h"
#include "engine/texture.h"
#include "engine/window.h"
#include "show/show.h"
#include "tests/batches.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// A stand-in scene: one point, so its batch can be told from the filter's quads.
void one_point(float) {
    glBegin(GL_POINTS);
    glVertex3f(0, 0, -1);
    glEnd();
}

const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};

// The frame's steps in call order, replayed from the log: clears (to black or not), the scene,
// copies of the square into render512_0 (colour only) and quads, each in the viewport it ran in.
std::vector<std::string> steps() {
    std::vector<std::string> out;
    std::string where;
    double bound = 0;
    bool black = false;
    for (const GlCall& c : gl_recorder()->calls) {
        std::string name = c.name;
        if (name == "glViewport")
            where = c.a[2] == GLOW_SIZE && c.a[3] == GLOW_SIZE       ? "square"
                    : c.a[2] == OPENGL_XRES && c.a[3] == OPENGL_YRES ? "full"
                                                                     : "other";
        else if (name == "glBindTexture")
            bound = c.a[1];
        else if (name == "glClearColor")
            black = c.a[0] == 0 && c.a[1] == 0 && c.a[2] == 0;
        else if (name == "glClear")
            out.push_back(black ? "clear to black" : "clear");
        else if (name == "glCopyTexImage2D")
            out.push_back(c.a[0] == GL_RGB && c.a[3] == GLOW_SIZE && bound == render512_0->id
                              ? "copy in " + where
                              : "wrong copy");
        else if (name == "glBegin")
            out.push_back(
                std::string(gl_recorder()->batches[c.batch].prim == GL_QUADS ? "quad" : "scene") +
                " in " + where);
    }
    return out;
}

} // namespace

// One frame through the filter, in a renderer's frame of another size than the show's, so that
// going back to a fixed 1024x768 would show; the show's clear colour, to tell the filter's apart.
class GlowFilter : public ::testing::Test {
  protected:
    void SetUp() override {
        OPENGL_XRES = 800;
        OPENGL_YRES = 600;
        saved = clearcolor;
        clearcolor = harmaa;
        gl_use_recorder();
        textures_init();
        gl_recorder_reset();
        show_frame_setup();
        projection = gl_recorder_matrix(GL_PROJECTION);
        glowfilter_around(one_point, 0.5f);
    }
    void TearDown() override {
        OPENGL_XRES = 1024;
        OPENGL_YRES = 768;
        clearcolor = saved;
        textures_free();
        gl_use_null();
    }
    Vector saved;
    GlMat4 projection;
};

TEST_F(GlowFilter, SmearsTheSquareThroughFivePassesAndStretchesItOverTheFrame) {
    std::vector<std::string> want = {"clear", "scene in square", "copy in square",
                                     "clear to black"};
    for (int i = 0; i < 5; i++) {
        want.push_back("quad in square");
        want.push_back("copy in square");
    }
    want.push_back("quad in full");
    EXPECT_EQ(steps(), want);
    // The texture is replaced by copies, never rebuilt.
    EXPECT_EQ(gl_recorder_count("gluBuild2DMipmaps") + gl_recorder_count("glGenTextures"), 0);
}

TEST_F(GlowFilter, PassesAddShiftedCopiesAtThirtyPercentAndTheLastQuadReplaces) {
    std::vector<const GlBatch*> q = batches_of(GL_QUADS);
    ASSERT_EQ(q.size(), 6u);
    for (int i = 0; i < 6; i++) {
        const GlBatch& b = *q[i];
        bool pass = i < 5;
        ASSERT_EQ(b.count(), 4) << i;
        // Passes additive, the last quad unblended; all textured, none writing depth.
        EXPECT_EQ(b.state.blend, pass) << i;
        EXPECT_TRUE(!pass || (b.state.blend_src == GL_SRC_ALPHA && b.state.blend_dst == GL_ONE));
        EXPECT_TRUE(b.state.bound_texture == render512_0->id && !b.state.depth_mask) << i;
        // Round the circle from straight up, 0.01 of the square; the last quad unshifted.
        float angle = ((float)i / 5) * 6.283058f;
        float dx = pass ? (float)sin((double)angle) * 0.01f : 0;
        float dy = pass ? (float)cos((double)angle) * 0.01f : 0;
        for (int k = 0; k < 4; k++) {
            EXPECT_EQ(b.t[k * 2], corners[k][0]) << i;
            EXPECT_EQ(b.t[k * 2 + 1], corners[k][1]) << i;
            EXPECT_FLOAT_EQ(b.v[k * 3], corners[k][0] + dx) << i << " " << k;
            EXPECT_FLOAT_EQ(b.v[k * 3 + 1], corners[k][1] + dy) << i << " " << k;
            const float colour[4] = {1, 1, 1, pass ? 0.3f : 1.0f};
            EXPECT_EQ(memcmp(&b.c[k * 4], colour, sizeof colour), 0) << i;
        }
        // On the unit overlay: (1, 1) is the viewport's corner.
        float p[4];
        gl_mat4_apply(b.proj, 1, 1, 0, p);
        EXPECT_TRUE(p[0] == 1 && p[1] == 1) << i;
    }
}

TEST_F(GlowFilter, LeavesTheFullViewportAndTheStateItDocuments) {
    const GlRecorder* r = gl_recorder();
    const int full[4] = {0, 0, 800, 600};
    EXPECT_EQ(memcmp(r->viewport, full, sizeof full), 0);
    EXPECT_TRUE(!r->draw.blend && r->draw.depth_mask && r->draw.texture);
    EXPECT_EQ(r->draw.bound_texture, render512_0->id);
    EXPECT_EQ(r->matrix_mode, (GLenum)GL_MODELVIEW);
    for (int e = 0; e < 16; e++)
        EXPECT_EQ(gl_recorder_matrix(GL_MODELVIEW).m[e], e % 5 == 0 ? 1.0f : 0.0f) << e;
    EXPECT_EQ(memcmp(gl_recorder_matrix(GL_PROJECTION).m, projection.m, sizeof projection.m), 0);
    EXPECT_EQ(r->modelview.size() + r->projection.size(), 2u); // every push popped
    EXPECT_EQ(r->errors, 0);
    const float grey[4] = {harmaa.x, harmaa.y, harmaa.z, 1}, white[4] = {1, 1, 1, 1};
    EXPECT_EQ(memcmp(r->clear_color, grey, sizeof grey), 0);
    EXPECT_EQ(memcmp(r->color, white, sizeof white), 0);
}
