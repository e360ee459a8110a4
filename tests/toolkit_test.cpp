// The drawing toolkit through the recorder: the layers each function draws with the GL state in
// force, the state it leaves to the scene after it, and the molecules' build-up at its edges.
#include "engine/colors.h"
#include "engine/gl.h"
#include "engine/glrecorder.h"
#include "engine/lights.h"
#include "engine/path.h"
#include "molecules/molecules.h"
#include "scenes/kaupunki_talot.h"
#include "tests/batches.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace {

// The state of one batch, or the state left after a call:
// {prim, blend, blend_dst, line_width, depth_test, depth_mask, texture}.
struct State {
    GLenum prim;      // ignored for the state left
    bool blend;       // checked only for the state left: no batch depends on it
    GLenum blend_dst; // the source factor is GL_SRC_ALPHA throughout
    float line_width;
    bool depth_test, depth_mask, texture;
};

const GLenum OMSA = GL_ONE_MINUS_SRC_ALPHA;

// A lone building rising over pos 0.4..0.6.
Talo building() {
    Talo t;
    t.position = Vector(1, 0, -2);
    t.colour = sininen;
    t.height = 2;
    t.halfwidth = 0.1f;
    t.start = 0.4f;
    t.end = 0.6f;
    return t;
}

struct StateCase {
    const char* name;
    void (*draw)();
    std::vector<State> layers; // with `markers`, the last two repeat for every atom marker
    bool markers;
    State left;
};

// A molecule: bonds' body and core, then an outline and a core for each atom marker.
const std::vector<State> figure_layers = {{GL_LINES, 0, OMSA, 6, 1, 0, 1},
                                          {GL_LINES, 0, GL_ONE, 1, 1, 1, 1},
                                          {GL_LINE_LOOP, 0, OMSA, 4, 1, 0, 1},
                                          {GL_LINE_LOOP, 0, GL_ONE, 1, 1, 1, 1}};
const State figure_left = {0, 0, GL_ONE, 1, 1, 1, 1};

// The caller's state before each call is the opposite of what the functions set: blending off
// with (ONE, ZERO), no depth test or writes, 7-pixel lines, texturing on.
const StateCase state_cases[] = {
    {"lightline",
     [] { lightline(Vector(1, 2, 3), Vector(-4, 5, 6), oranssi, 5, 0.7f, 0.3f); },
     {{GL_LINES, 0, OMSA, 5, 0, 0, 1}, {GL_LINES, 0, GL_ONE, 1, 0, 0, 1}},
     false,
     {0, 1, GL_ONE, 1, 0, 0, 1}},
    {"lightquad",
     [] { lightquad(Vector(1, 2, -5), Vector(0, 0, 0), 2, 0.5f, oranssi, 0.25f, 0.75f); },
     {{GL_QUADS, 0, OMSA, 7, 0, 0, 1}, {GL_LINE_LOOP, 0, GL_ONE, 7, 0, 0, 1}},
     false,
     {0, 0, GL_ONE, 7, 0, 0, 1}},
    {"lightquad2",
     [] { lightquad2(Vector(0, 0, 1), Vector(0, 0, 0), 1, 2, oranssi, 0.4f, 0.5f, 0.6f); },
     {{GL_QUADS, 0, OMSA, 7, 0, 0, 1},
      {GL_LINE_LOOP, 0, OMSA, 4, 0, 0, 1},
      {GL_LINE_LOOP, 0, GL_ONE, 1, 0, 1, 1}},
     false,
     {0, 0, GL_ONE, 1, 0, 1, 1}},
    {"atom marker",
     [] { square(Vector(2, 3, 0), 0.5f); },
     {{GL_LINE_LOOP, 0, OMSA, 4, 0, 0, 1}, {GL_LINE_LOOP, 0, GL_ONE, 1, 1, 1, 1}},
     false,
     {0, 0, GL_ONE, 1, 1, 1, 1}},
    {"fluvoxamine", [] { fluvoxamine(0.8f, 0.5f); }, figure_layers, true, figure_left},
    {"fluoxetine", [] { fluoxetine(0.8f, 0.5f); }, figure_layers, true, figure_left},
    {"citalopram", [] { citalopram(0.8f, 0.5f); }, figure_layers, true, figure_left},
    {"serotonin", [] { serotonin(0.8f, 0.5f); }, figure_layers, true, figure_left},
    {"path",
     [] {
         Path p;
         p.addpoint(Vector(0, 0, 0));
         p.addpoint(Vector(1, 0, 0));
         p.draw();
     },
     {{GL_LINE_STRIP, 0, GL_ZERO, 7, 0, 0, 0}},
     false,
     {0, 0, GL_ZERO, 7, 0, 0, 1}},
    {"building frame",
     [] { building().drawLines(0.5f, 0.8f); },
     {{GL_LINE_LOOP, 0, OMSA, 4, 1, 1, 1},
      {GL_LINE_LOOP, 0, OMSA, 4, 1, 1, 1},
      {GL_LINES, 0, OMSA, 4, 1, 1, 1},
      {GL_LINE_LOOP, 0, GL_ONE, 1, 0, 1, 1},
      {GL_LINE_LOOP, 0, GL_ONE, 1, 0, 1, 1},
      {GL_LINES, 0, GL_ONE, 1, 0, 1, 1}},
     false,
     {0, 0, GL_ONE, 1, 0, 1, 1}},
    {"building body",
     [] { building().drawPolys(0.5f, 0.6f); },
     {{GL_QUADS, 0, OMSA, 7, 1, 1, 1}},
     false,
     {0, 0, OMSA, 7, 1, 1, 1}},
    {"road",
     [] {
         Vector colour = violetti, from(10, 0, 0), to(0, 0, 0);
         Polku road(0.2f, 0.6f, colour, from, to);
         road.draw(0.4f, 1);
     },
     {{GL_LINES, 0, OMSA, 4, 0, 0, 1}, {GL_LINES, 0, GL_ONE, 1, 0, 0, 1}},
     false,
     {0, 1, GL_ONE, 1, 0, 1, 1}},
};

void expect_state(const GlDrawState& s, const State& want, const std::string& what) {
    EXPECT_EQ(s.blend_dst, want.blend_dst) << what;
    EXPECT_EQ(s.line_width, want.line_width) << what;
    EXPECT_EQ(s.depth_test, want.depth_test) << what;
    EXPECT_EQ(s.depth_mask, want.depth_mask) << what;
    EXPECT_EQ(s.texture, want.texture) << what;
}

class Toolkit : public ::testing::Test {
  protected:
    void SetUp() override {
        molekyyli_init();
        gl_use_recorder();
        gl_recorder_reset();
    }
    void TearDown() override {
        gl_use_null();
        molekyyli_free();
    }
};

} // namespace

TEST_F(Toolkit, EachFunctionDrawsItsLayersInTheirStateAndLeavesItsOwn) {
    for (const StateCase& c : state_cases) {
        gl_recorder_reset();
        glDisable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ZERO);
        glDisable(GL_DEPTH_TEST);
        glDepthMask(GL_FALSE);
        glLineWidth(7);
        glEnable(GL_TEXTURE_2D);
        c.draw();
        const GlRecorder* r = gl_recorder();
        const std::vector<GlBatch>& b = r->batches;
        if (c.markers)
            ASSERT_EQ((b.size() - c.layers.size()) % 2, 0u) << c.name;
        else
            ASSERT_EQ(b.size(), c.layers.size()) << c.name;
        for (size_t i = 0; i < b.size(); i++) {
            size_t k = i < c.layers.size() ? i : c.layers.size() - 2 + (i - c.layers.size()) % 2;
            std::string what = std::string(c.name) + " layer " + std::to_string(i);
            EXPECT_EQ(b[i].prim, c.layers[k].prim) << what;
            expect_state(b[i].state, c.layers[k], what);
        }
        expect_state(r->draw, c.left, std::string(c.name) + " leaves");
        EXPECT_EQ(r->draw.blend, c.left.blend) << c.name;
        EXPECT_EQ(r->errors, 0) << c.name;
        EXPECT_EQ(r->modelview.size(), 1u) << c.name;
        EXPECT_TRUE(r->attrib_stack.empty()) << c.name;
    }
}

TEST_F(Toolkit, LightQuadCornersGoRoundTheRectangleUnderATurn) {
    // Half-sizes 2 by 0.5 about (1, 2, -5); a quarter turn about x lays the rectangle in x-z.
    const struct {
        Vector rot;
        Vector corners[4];
    } cases[] = {
        {Vector(0, 0, 0), {{-1, 1.5f, -5}, {3, 1.5f, -5}, {3, 2.5f, -5}, {-1, 2.5f, -5}}},
        {Vector(1.570796f, 0, 0), {{-1, 2, -4.5f}, {3, 2, -4.5f}, {3, 2, -5.5f}, {-1, 2, -5.5f}}}};
    for (const auto& c : cases) {
        gl_recorder_reset();
        lightquad2(Vector(1, 2, -5), c.rot, 2, 0.5f, oranssi, 1, 1, 1);
        for (const GlBatch& b : gl_recorder()->batches) {
            ASSERT_EQ(b.count(), 4);
            for (int i = 0; i < 4; i++)
                expect_near(vertex(b, i), c.corners[i], 1e-5f, "corner");
        }
    }
}

TEST_F(Toolkit, MoleculeBuildUpDrawsWholePointsWithTheNewestBrighter) {
    // Fluvoxamine's 48 points at alpha 1: amount * 48 points, whole ones only, the last at
    // 0.6 times what is left over past the point before it; nothing below 0 or for NaN.
    const struct {
        float amount;
        int points;
        float tip_alpha;
    } cases[] = {{1, 48, 0.6f},
                 {2, 48, 0.6f},
                 {0.55f, 26, 0.6f * 1.4f},
                 {25.5f / 48, 25, 0.6f * 1.5f},
                 {0, 0, 0},
                 {-0.5f, 0, 0},
                 {-1e30f, 0, 0},
                 {std::numeric_limits<float>::quiet_NaN(), 0, 0}};
    for (const auto& c : cases) {
        gl_recorder_reset();
        fluvoksamiini->draw(sininen, c.amount, 1);
        const std::vector<GlBatch>& b = gl_recorder()->batches;
        ASSERT_EQ(b.size(), 2u) << c.amount;
        ASSERT_EQ(b[0].count(), c.points) << c.amount;
        ASSERT_EQ(b[1].count(), c.points) << c.amount;
        if (c.points == 0)
            continue;
        EXPECT_NEAR(alpha(b[0], c.points - 1), c.tip_alpha, 1e-5f) << c.amount;
        EXPECT_FLOAT_EQ(alpha(b[0], 0), 0.6f) << c.amount;
        expect_near(vertex(b[0], c.points - 1), fluvoksamiini->data[c.points - 1], 0, "tip");
    }
    // The figures overshoot their progress by a tenth: whole from about 0.91.
    gl_recorder_reset();
    citalopram(1, 0.91f);
    EXPECT_EQ(gl_recorder()->batches[0].count(), sitalopraami->verteksit);
}

TEST_F(Toolkit, MoleculesFreeOnceAndThenNothing) {
    molekyyli_free();
    EXPECT_EQ(fluvoksamiini, nullptr);
    EXPECT_EQ(serotoniini, nullptr);
    molekyyli_free(); // and TearDown a third time
}
