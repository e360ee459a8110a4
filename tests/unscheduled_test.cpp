// The scenes no timeline window draws, through the recorder: rata's ladder strip and its riding
// camera, neuronit's seeded web and its build-up, kellu's stick cloud, its cues and the random
// draws it continues; and the tools that draw them alone, the glow filter around them.
#include "engine/colors.h"
#include "engine/gl.h"
#include "engine/glrecorder.h"
#include "engine/position.h"
#include "engine/random.h"
#include "show/show.h"
#include "engine/sync.h"
#include "engine/vector.h"
#include "scenes/scenes.h"
#include "tests/batches.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <utility>
#include <vector>

namespace {

// The modelview gluLookAt gives from identity, built on the recorder after the scene drew.
GlMat4 look_at(Vector eye, Vector centre, Vector up) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, up.x, up.y, up.z);
    return gl_recorder_matrix(GL_MODELVIEW);
}

void expect_same_matrix(const GlMat4& a, const GlMat4& b, float tolerance) {
    for (int i = 0; i < 16; i++) {
        EXPECT_FALSE(std::isnan(a.m[i])) << i;
        EXPECT_NEAR(a.m[i], b.m[i], tolerance) << i;
    }
}

void expect_colour(const GlBatch& b, int k, const Vector& rgb, float alpha) {
    EXPECT_EQ(b.c[k * 4], rgb.x) << k;
    EXPECT_EQ(b.c[k * 4 + 1], rgb.y) << k;
    EXPECT_EQ(b.c[k * 4 + 2], rgb.z) << k;
    EXPECT_FLOAT_EQ(b.c[k * 4 + 3], alpha) << k;
}

// What every one of these scenes sets before drawing: plain alpha blending over no depth test
// and no texture, whatever the scene before it left.
void spoil_state() {
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glTranslatef(5, 5, 5);
}

// A point of rata's track as its set-up places it: i hundredths of the way round.
Vector track_point(int i) {
    float a = (((float)i / 100) * 2) * 3.141592f;
    return Vector(2 * (float)cos((double)a), 1 + 0.4f * (float)sin((double)(4 * a)),
                  2 * (float)sin((double)a));
}

class UnscheduledScene : public ::testing::Test {
  protected:
    void SetUp() override {
        sound.pinPosition(3, 7); // no cue of any of these scenes sits there
        kello.time = 10.0f;
        gl_use_recorder();
        gl_recorder_reset();
    }
    void TearDown() override {
        sound.pinPosition(0, 0);
        gl_use_null();
    }
    void draw(void (*scene)(float), float pos) {
        gl_recorder_reset();
        spoil_state();
        scene(pos);
    }
};

} // namespace

class Rata : public UnscheduledScene {
  protected:
    static void SetUpTestSuite() { rata_init(); }
    static void TearDownTestSuite() { rata_free(); }
};

TEST_F(Rata, OneStripOf404VerticesRisingFromEachTrackPoint) {
    draw(rata, 0.5f);
    const std::vector<GlBatch>& b = gl_recorder()->batches;
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0].prim, (GLenum)GL_LINE_STRIP);
    ASSERT_EQ(b[0].count(), 404);
    // The first step: the track's first point, then up, sideways and back by 0.2 from it.
    const Vector p = track_point(0);
    const Vector expected[4] = {p, p + Vector(0, 0.2f, 0), p + Vector(0.2f, 0, 0),
                                p + Vector(0, 0, 0.2f)};
    for (int k = 0; k < 4; k++) {
        EXPECT_NEAR((vertex(b[0], k) - expected[k]).length(), 0, 1e-6f) << k;
    }
    // The last step is at s just below 1, next to the track's last point.
    EXPECT_NEAR((vertex(b[0], 400) - track_point(99)).length(), 0, 1e-3f);
    const GlDrawState& s = b[0].state;
    EXPECT_TRUE(s.blend);
    EXPECT_EQ(s.blend_src, (GLenum)GL_SRC_ALPHA);
    EXPECT_EQ(s.blend_dst, (GLenum)GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_FALSE(s.depth_test);
    EXPECT_FALSE(s.texture);
    expect_colour(b[0], 0, oranssi, 1.0f);
    expect_colour(b[0], 403, oranssi, 1.0f);
}

TEST_F(Rata, InvisibleAtBothEndsAndFadingBetween) {
    for (float pos : {0.0f, 1.0f}) {
        draw(rata, pos);
        const GlBatch& b = gl_recorder()->batches.at(0);
        EXPECT_EQ(b.count(), 404) << pos;
        EXPECT_EQ(b.c[3], 0.0f) << pos;
    }
    draw(rata, 0.02f);
    EXPECT_FLOAT_EQ(gl_recorder()->batches.at(0).c[3], calcSaturate(0.02f, 0, 1, 6));
    EXPECT_LT(gl_recorder()->batches.at(0).c[3], 1.0f);
}

TEST_F(Rata, AtPos04TheCameraIsBackAtTheFirstPointLookingAtTheLast) {
    // 2.5 laps: at pos 0.4 the first full lap ends and the camera stands where it started.
    draw(rata, 0.4f);
    GlMat4 at04 = gl_recorder()->batches.at(0).mv;
    draw(rata, 0.0f);
    GlMat4 at0 = gl_recorder()->batches.at(0).mv;
    const Vector lift(0, 1.2f, 0);
    GlMat4 expected = look_at(track_point(0) + lift, track_point(99) + lift, Vector(0, 1, 0));
    expect_same_matrix(at04, expected, 1e-5f);
    expect_same_matrix(at0, expected, 1e-5f);
    // Half way round the lap the camera is elsewhere.
    draw(rata, 0.2f);
    GlMat4 at02 = gl_recorder()->batches.at(0).mv;
    EXPECT_GT(std::fabs(at02.m[12] - expected.m[12]) + std::fabs(at02.m[14] - expected.m[14]),
              0.5f);
}

class Neuronit : public UnscheduledScene {
  protected:
    static void SetUpTestSuite() { neuronit_init(); }
    static void TearDownTestSuite() { neuronit_free(); }
};

// Every neuron's point and its link batches, grouped: each point batch opens a group.
struct Group {
    const GlBatch* point;
    std::vector<const GlBatch*> triangles, loops;
};

std::vector<Group> groups() {
    std::vector<Group> out;
    for (const GlBatch& b : gl_recorder()->batches) {
        if (b.prim == GL_POINTS)
            out.push_back({&b, {}, {}});
        else if (!out.empty() && b.prim == GL_TRIANGLES)
            out.back().triangles.push_back(&b);
        else if (!out.empty() && b.prim == GL_LINE_LOOP)
            out.back().loops.push_back(&b);
        else
            ADD_FAILURE() << "a batch outside any neuron: " << gl_prim_name(b.prim);
    }
    return out;
}

TEST_F(Neuronit, SixtyNeuronsWithNinetyOneLinksToEachOther) {
    draw(neuronit, 0.5f);
    std::vector<Group> g = groups();
    ASSERT_EQ(g.size(), 60u);
    EXPECT_EQ(batches_of(GL_TRIANGLES).size(), 91u);
    EXPECT_EQ(batches_of(GL_LINE_LOOP).size(), 91u);
    std::vector<Vector> positions;
    for (const Group& n : g) {
        ASSERT_EQ(n.point->count(), 1);
        Vector p = vertex(*n.point, 0);
        EXPECT_LE(std::fabs(p.x), 1.25f);
        EXPECT_LE(std::fabs(p.y), 0.8f);
        EXPECT_LE(std::fabs(p.z), 0.8f);
        positions.push_back(p);
    }
    for (const Group& n : g) {
        ASSERT_GE(n.triangles.size(), 1u);
        ASSERT_LE(n.triangles.size(), 2u);
        ASSERT_EQ(n.loops.size(), n.triangles.size());
        for (size_t j = 0; j < n.triangles.size(); j++) {
            const GlBatch& t = *n.triangles[j];
            ASSERT_EQ(t.count(), 3);
            Vector a = vertex(t, 0), b = vertex(t, 1), c = vertex(t, 2);
            EXPECT_TRUE(a == vertex(*n.point, 0));
            // The far end is one of the sixty neurons.
            bool known = false;
            for (const Vector& p : positions)
                known |= p == b;
            EXPECT_TRUE(known);
            // The third corner bulges 0.05 to 0.25 out from the middle of the link.
            float bulge = (c - (a + b) * 0.5f).length();
            EXPECT_GE(bulge, 0.05f - 1e-5f);
            EXPECT_LE(bulge, 0.25f + 1e-5f);
            for (int k = 0; k < 3; k++)
                EXPECT_TRUE(vertex(*n.loops[j], k) == vertex(t, k)) << k;
        }
    }
}

TEST_F(Neuronit, NeuronsAppearOverTheFirstFifth) {
    draw(neuronit, 0.0f);
    EXPECT_TRUE(gl_recorder()->batches.empty());

    // At pos 0.1 thirty neurons: the thirtieth has just appeared, its point at full fade and its
    // links not yet visible.
    draw(neuronit, 0.1f);
    std::vector<Group> g = groups();
    ASSERT_EQ(g.size(), 30u);
    float fade = calcSaturate(0.1f, 0, 1, 6) * (0.2f * (float)cos(3.2) + 0.9f);
    for (size_t i = 0; i < g.size(); i++) {
        expect_colour(*g[i].point, 0, sininen, fade);
        float a = i + 1 == g.size() ? 0.0f : fade;
        for (const GlBatch* t : g[i].triangles)
            expect_colour(*t, 0, oranssi, 0.25f * a);
        for (const GlBatch* l : g[i].loops)
            expect_colour(*l, 0, oranssi, 0.4f * a);
    }

    // Half way to the next neuron the newest one's links are at half strength.
    draw(neuronit, 0.105f);
    g = groups();
    ASSERT_EQ(g.size(), 31u);
    float f = 60 * calcPosFloat(0.105f, 0, 0.2f);
    float frac = f - (float)(int)f;
    EXPECT_NEAR(frac, 0.5f, 1e-4f);
    fade = calcSaturate(0.105f, 0, 1, 6) * (0.2f * (float)cos(32 * 0.105f) + 0.9f);
    expect_colour(*g.back().point, 0, sininen, fade);
    expect_colour(*g.back().triangles[0], 0, oranssi, 0.25f * fade * frac);

    draw(neuronit, 0.2f);
    EXPECT_EQ(groups().size(), 60u);
}

TEST_F(Neuronit, PointsOverFilledTrianglesWithAdditiveOutlines) {
    draw(neuronit, 0.5f);
    for (const GlBatch& b : gl_recorder()->batches) {
        EXPECT_TRUE(b.state.blend);
        EXPECT_FALSE(b.state.depth_test);
        EXPECT_FALSE(b.state.texture);
        EXPECT_EQ(b.state.blend_src, (GLenum)GL_SRC_ALPHA);
        EXPECT_EQ(b.state.blend_dst,
                  b.prim == GL_LINE_LOOP ? (GLenum)GL_ONE : (GLenum)GL_ONE_MINUS_SRC_ALPHA);
        if (b.prim == GL_POINTS) {
            EXPECT_EQ(b.state.point_size, 5.0f);
        }
    }
    // The envelope is full at 0.5 and flickers by the cosine.
    float fade = 0.2f * (float)cos(16.0) + 0.9f;
    expect_colour(*batches_of(GL_POINTS)[0], 0, sininen, fade);
    // The web turns about (0.1, 1, -0.3) while the camera slides.
    GlMat4 mv = batches_of(GL_POINTS)[0]->mv;
    look_at(Vector(0, 0, -3), Vector(0, 0, 0), Vector(0, 1, 0));
    glRotatef(35, 0.1f, 1, -0.3f);
    expect_same_matrix(mv, gl_recorder_matrix(GL_MODELVIEW), 1e-6f);
}

TEST_F(Neuronit, TheSameSeedGivesTheSameWeb) {
    draw(neuronit, 0.5f);
    std::vector<float> first;
    for (const GlBatch& b : gl_recorder()->batches)
        first.insert(first.end(), b.v.begin(), b.v.end());
    unsigned int after = SEED;
    // Whatever the generator held before, the set-up reseeds it.
    setSeed(4242);
    neuronit_free();
    neuronit_init();
    EXPECT_EQ(SEED, after);
    draw(neuronit, 0.5f);
    std::vector<float> second;
    for (const GlBatch& b : gl_recorder()->batches)
        second.insert(second.end(), b.v.begin(), b.v.end());
    EXPECT_EQ(first, second);
}

class Kellu : public UnscheduledScene {
  protected:
    // A fresh track for each case: an event fires once per run.
    void SetUp() override {
        UnscheduledScene::SetUp();
        kellu_init();
    }
    void TearDown() override {
        kellu_free();
        UnscheduledScene::TearDown();
    }
    // The alpha of the sticks and of the cores in the frame just drawn.
    std::pair<float, float> levels() {
        const std::vector<GlBatch>& b = gl_recorder()->batches;
        EXPECT_EQ(b.size(), 2u);
        if (b.size() != 2)
            return {-1, -1};
        return {b[0].c[3], b[1].c[3]};
    }
};

TEST_F(Kellu, FiveThousandSticksTwiceMakeTwentyThousandVertices) {
    draw(kellu, 0.5f);
    const std::vector<GlBatch>& b = gl_recorder()->batches;
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b[0].prim, (GLenum)GL_LINES);
    EXPECT_EQ(b[1].prim, (GLenum)GL_LINES);
    EXPECT_EQ(b[0].count() + b[1].count(), 20000);
    ASSERT_EQ(b[0].count(), 10000);
    EXPECT_EQ(b[0].v, b[1].v); // the cores lie on the sticks
    EXPECT_EQ(b[0].state.line_width, 3.0f);
    EXPECT_EQ(b[0].state.blend_dst, (GLenum)GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(b[1].state.line_width, 1.0f);
    EXPECT_EQ(b[1].state.blend_dst, (GLenum)GL_ONE);
    for (const GlBatch& x : b) {
        EXPECT_TRUE(x.state.blend);
        EXPECT_FALSE(x.state.depth_test);
        EXPECT_FALSE(x.state.texture);
    }
    const Vector* colours[3] = {&punainen, &sininen, &violetti};
    for (int i = 0; i < 5000; i++) {
        Vector a = vertex(b[0], 2 * i), e = vertex(b[0], 2 * i + 1);
        Vector centre = (a + e) * 0.5f;
        ASSERT_LE(std::fabs(centre.x), 10.0f + 1e-4f) << i;
        ASSERT_LE(std::fabs(centre.y), 1.0f + 1e-4f) << i;
        ASSERT_LE(std::fabs(centre.z), 1.0f + 1e-4f) << i;
        float half = (e - a).length() * 0.5f;
        ASSERT_GE(half, 0.01f - 1e-5f) << i;
        ASSERT_LE(half, 0.03f + 1e-5f) << i;
        ASSERT_EQ(b[0].c[2 * i * 4], colours[i % 3]->x) << i;
        ASSERT_EQ(b[0].c[2 * i * 4 + 2], colours[i % 3]->z) << i;
        ASSERT_EQ(b[1].c[2 * i * 4], 1.0f) << i;
    }
}

TEST_F(Kellu, SticksRiseFromThirtyToSeventyPercentOnACueAndDecayIn400ms) {
    draw(kellu, 0.5f);
    EXPECT_FLOAT_EQ(levels().first, 0.3f);
    EXPECT_EQ(levels().second, 0.0f);

    kello.time = 20.0f;
    sound.pinPosition(4, 0);
    draw(kellu, 0.5f);
    EXPECT_FLOAT_EQ(levels().first, 0.7f);
    EXPECT_FLOAT_EQ(levels().second, 1.0f);

    kello.time = 20.2f;
    sound.pinPosition(4, 1);
    draw(kellu, 0.5f);
    EXPECT_NEAR(levels().first, 0.5f, 1e-3f);
    EXPECT_NEAR(levels().second, 0.5f, 1e-3f);

    kello.time = 20.4f;
    draw(kellu, 0.5f);
    EXPECT_FLOAT_EQ(levels().first, 0.3f);
    EXPECT_EQ(levels().second, 0.0f);

    // A cue fires once: back on its row it stays quiet.
    kello.time = 30.0f;
    sound.pinPosition(4, 0);
    draw(kellu, 0.5f);
    EXPECT_FLOAT_EQ(levels().first, 0.3f);

    // Both levels are shares of the scene's envelope.
    kello.time = 40.0f;
    sound.pinPosition(19, 44);
    draw(kellu, 0.02f);
    float fade = calcSaturate(0.02f, 0, 1, 6);
    EXPECT_LT(fade, 1.0f);
    EXPECT_FLOAT_EQ(levels().first, fade * 0.7f);
    EXPECT_FLOAT_EQ(levels().second, fade);
}

TEST_F(Kellu, FortyEightCuesOf400ms) {
    const Sync* track = nullptr;
    for (const Sync* s : sync_tracks())
        if (strcmp(s->scene, "kellu") == 0)
            track = s;
    ASSERT_NE(track, nullptr);
    EXPECT_EQ(track->capacity, 50);
    EXPECT_EQ(track->count, 48);
    std::vector<std::pair<int, int>> expected;
    for (int order = 4; order <= 16; order++)
        for (int row : {0, 12, 44})
            expected.push_back({order, row});
    for (int row : {0, 12, 44, 54})
        expected.push_back({17, row});
    for (int row : {0, 12, 44})
        expected.push_back({18, row});
    for (int row : {12, 44})
        expected.push_back({19, row});
    ASSERT_EQ(expected.size(), 48u);
    for (int i = 0; i < 48; i++) {
        EXPECT_EQ(track->eventOrder[i], expected[i].first) << i;
        EXPECT_EQ(track->eventRow[i], expected[i].second) << i;
        EXPECT_EQ(track->eventDuration[i], 400) << i;
    }
    for (int i = 48; i < 50; i++)
        EXPECT_EQ(track->eventDuration[i], 0) << i;
}

TEST_F(Kellu, TheCameraTravelsAlongTheBox) {
    draw(kellu, 0.25f);
    GlMat4 mv = gl_recorder()->batches.at(0).mv;
    float sway = 0.1f * (float)cos(11 * 0.25);
    GlMat4 expected = look_at(Vector(1.5f, 0, 2.5f + 0.5f * (float)sin(7 * 0.25)),
                              Vector(1.5f, 0, 0), Vector(sway, 1 - sway, 0));
    expect_same_matrix(mv, expected, 1e-6f);
}

TEST_F(Kellu, ContinuesTheSharedGeneratorWithoutReseeding) {
    // Three draws for each spin, three for the place and one for the size, for every stick.
    kellu_free();
    setSeed(777);
    kellu_init();
    unsigned int after = SEED;
    setSeed(777);
    for (int i = 0; i < 5000 * 10; i++)
        randFloat();
    EXPECT_EQ(after, SEED);

    draw(kellu, 0.5f);
    std::vector<float> from777 = gl_recorder()->batches.at(0).v;
    kellu_free();
    setSeed(778);
    kellu_init();
    draw(kellu, 0.5f);
    EXPECT_NE(gl_recorder()->batches.at(0).v, from777);
    kellu_free();
    setSeed(777);
    kellu_init();
    draw(kellu, 0.5f);
    EXPECT_EQ(gl_recorder()->batches.at(0).v, from777);
}

namespace {

int kellu_tracks() {
    int n = 0;
    for (const Sync* s : sync_tracks())
        n += strcmp(s->scene, "kellu") == 0;
    return n;
}

// The trace tool's summary lines for the arguments, and its exit status.
std::vector<std::string> trace(const std::string& args, int* status) {
    std::string command =
        std::string(ORDUNE_BINARY_DIR) + "/ordune-trace " + args + " --summary 2>/dev/null";
    std::vector<std::string> lines;
    FILE* p = popen(command.c_str(), "r");
    if (!p) {
        *status = -1;
        return lines;
    }
    char buf[512];
    while (fgets(buf, sizeof buf, p))
        lines.push_back(buf);
    int s = pclose(p);
    *status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
    return lines;
}

} // namespace

class Standalone : public UnscheduledScene {};

TEST_F(Standalone, ToolsBuildTheUnscheduledScenesTheShowLeavesAlone) {
    const SceneEntry* r = scene_find("rata");
    ASSERT_NE(r, nullptr);
    scene_build(r);
    draw(r->draw, 0.4f);
    ASSERT_EQ(gl_recorder()->batches.size(), 1u);
    EXPECT_EQ(gl_recorder()->batches[0].count(), 404);
    scene_release(r);

    // The show builds kellu itself: building it again would leak a second track.
    kellu_init();
    int tracks = kellu_tracks();
    scene_build(scene_find("kellu"));
    EXPECT_EQ(kellu_tracks(), tracks);
    kellu_free();
    EXPECT_EQ(kellu_tracks(), tracks - 1);
}

TEST(TraceTool, DrawsEachUnscheduledSceneAloneAndThroughTheGlowFilter) {
    int status;
    std::vector<std::string> rata_lines = trace("--scene rata --pos 0.4", &status);
    EXPECT_EQ(status, 0);
    ASSERT_EQ(rata_lines.size(), 1u);
    EXPECT_NE(rata_lines[0].find("GL_LINE_STRIP  n=404 "), std::string::npos) << rata_lines[0];

    // 60 points, 91 triangles and their 91 outlines.
    EXPECT_EQ(trace("--scene neuronit --pos 0.5", &status).size(), 242u);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(trace("--scene runko --pos 0.5", &status).empty());
    EXPECT_EQ(status, 0);

    std::vector<std::string> glow = trace("--scene kellu --pos 0.5 --glow", &status);
    EXPECT_EQ(status, 0);
    ASSERT_EQ(glow.size(), 8u);
    for (int i = 0; i < 2; i++)
        EXPECT_NE(glow[i].find("GL_LINES "), std::string::npos) << glow[i];
    for (int i = 2; i < 8; i++)
        EXPECT_NE(glow[i].find("GL_QUADS "), std::string::npos) << glow[i];
    EXPECT_NE(glow[7].find("blend=off"), std::string::npos) << glow[7];

    // The filter wraps a named scene; a whole frame of the show has no place for it.
    EXPECT_TRUE(trace("--at 3 --glow", &status).empty());
    EXPECT_EQ(status, 2);
}

namespace {

// The renderer's exit status for the arguments, its output thrown away.
int render_status(const std::string& args) {
    std::string command =
        std::string(ORDUNE_BINARY_DIR) + "/ordune-render " + args + " >/dev/null 2>&1";
    int s = system(command.c_str());
    return WIFEXITED(s) ? WEXITSTATUS(s) : -1;
}

} // namespace

TEST(RenderTool, DrawsOneNamedSceneThroughTheGlowFilter) {
    std::string png = testing::TempDir() + "ordune-unscheduled-scene.png";
    remove(png.c_str());
    for (const char* bad :
         {"--scene kellu -o x.png", "--scene nowhere --pos 0.5 -o x.png", "--glow --at 3 -o x.png",
          "--pos 0.5 -o x.png", "--scene kellu --pos 0.5 --at 3 -o x.png",
          "--scene kellu --pos 0.5 --glow --size 160x120 -o x.png"})
        EXPECT_EQ(render_status(bad), 2) << bad;
    int status = render_status("--scene neuronit --pos 0.5 --glow --size 512x512 -o " + png);
    if (status == 1)
        GTEST_SKIP() << "no headless OpenGL for the renderer";
    EXPECT_EQ(status, 0);
    FILE* f = fopen(png.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    unsigned char sig[8] = {0};
    EXPECT_EQ(fread(sig, 1, 8, f), 8u);
    fclose(f);
    EXPECT_EQ(sig[1], 'P');
    EXPECT_EQ(sig[2], 'N');
    EXPECT_EQ(sig[3], 'G');
    remove(png.c_str());
}
