// The opening scenes alku, rakenne, viivatus and pyorre, drawn through the recorder: batch
// counts and sizes, fades, the lettering pulses, the cue-driven camera and spin, and the layouts
// their seeds fix.
#include "engine/colors.h"
#include "engine/curves.h"
#include "engine/gl.h"
#include "engine/glrecorder.h"
#include "engine/matrix.h"
#include "engine/random.h"
#include "show/show.h"
#include "engine/textimages.h"
#include "molecules/molecules.h"
#include "scenes/alku.h"
#include "scenes/scenes.h"
#include "tests/batches.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

// The viivatus scene's strokes and flash positions, read back to check its layout.
extern Line** viivat;
extern Vector* viivamolekyylit;

namespace {

// Every scene here draws molecules, and the sync tracks read the clock and the music position:
// the fixture gives each test fresh molecules, a zero clock and a position no cue uses.
class Scene : public ::testing::Test {
  protected:
    void SetUp() override {
        gl_use_recorder();
        font_init();
        molekyyli_init();
        kello.time = 0;
        sound.pinPosition(0, 0);
    }
    void TearDown() override {
        molekyyli_free();
        kello.time = 0;
        sound.pinPosition(0, 0);
        gl_use_null();
    }
    // Draws one frame of `scene` into an empty log.
    const std::vector<GlBatch>& frame(void (*scene)(float), float pos) {
        gl_recorder_reset();
        scene(pos);
        return gl_recorder()->batches;
    }
};

// The bond bodies of the molecules: the only 6-pixel line batches these scenes draw.
int molecule_bodies(const std::vector<GlBatch>& batches) {
    int n = 0;
    for (const GlBatch& b : batches)
        n += b.prim == GL_LINES && b.state.line_width == 6.0f;
    return n;
}
std::vector<const GlBatch*> of(const std::vector<GlBatch>& batches, GLenum prim, bool textured) {
    std::vector<const GlBatch*> out;
    for (const GlBatch& b : batches)
        if (b.prim == prim && b.state.texture == textured)
            out.push_back(&b);
    return out;
}
void expect_same_matrix(const GlMat4& a, const GlMat4& b, float tolerance) {
    for (int i = 0; i < 16; i++)
        EXPECT_NEAR(a.m[i], b.m[i], tolerance) << "element " << i;
}
// m * R, where R turns by `degrees` about `axis`, composed by the recorder as GL would.
GlMat4 rotated(const GlMat4& m, float degrees, float ax, float ay, float az) {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadMatrixf(m.m);
    glRotatef(degrees, ax, ay, az);
    GlMat4 r = gl_recorder_matrix(GL_MODELVIEW);
    glPopMatrix();
    return r;
}
Vector centroid(const GlBatch& b) {
    Vector c;
    for (int i = 0; i < b.count(); i++)
        c += vertex(b, i);
    return c / (float)b.count();
}
// Where a batch's vertex lands on the screen overlay (projection and modelview applied).
void overlay_of(const GlBatch& b, int i, float out[2]) {
    float eyep[4], clip[4];
    gl_mat4_apply(b.mv, b.v[i * 3], b.v[i * 3 + 1], b.v[i * 3 + 2], eyep);
    gl_mat4_apply(b.proj, eyep[0], eyep[1], eyep[2], clip);
    // glOrtho(0, 640, 0, 480): clip -1..1 back to overlay units.
    out[0] = (clip[0] + 1) * 320;
    out[1] = (clip[1] + 1) * 240;
}
// Fires the cue at (order, row) at clock millisecond ms in a frame of `scene` at pos.
const std::vector<GlBatch>& cue_frame(void (*scene)(float), float pos, int order, int row, int ms) {
    sound.pinPosition(order, row);
    kello.time = ms / 1000.0f;
    gl_recorder_reset();
    scene(pos);
    return gl_recorder()->batches;
}

} // namespace

// ---------------------------------------------------------------------------------------- alku

class Alku : public Scene {
  protected:
    void SetUp() override {
        Scene::SetUp();
        alku_init();
    }
    void TearDown() override {
        alku_free();
        Scene::TearDown();
    }
    // The lettering drawn at pos: the textured quads, in drawing order.
    std::vector<const GlBatch*> lettering(float pos) {
        return of(frame(alku, pos), GL_QUADS, true);
    }
};

TEST_F(Alku, NothingShowsAtEitherEndAndNoChipIsDrawn) {
    for (float pos : {0.0f, 1.0f}) {
        const std::vector<GlBatch>& b = frame(alku, pos);
        EXPECT_EQ(max_alpha(b), 0.0f) << pos;
        EXPECT_EQ(of(b, GL_QUADS, false).size(), 0u) << pos;
        EXPECT_EQ(of(b, GL_QUADS, true).size(), 0u) << pos;
        // Only the four big molecules, drawn even though invisible.
        EXPECT_EQ(molecule_bodies(b), 4) << pos;
    }
}

TEST_F(Alku, FourLetteringPulsesInTurn) {
    struct Pulse {
        float peak;
        int width, height;
        float x, y; // lower-left corner on the 640 x 480 overlay
    };
    const Pulse pulses[4] = {{0.15f, 116, 36, 416, 240},
                             {0.4f, 61, 22, 368, 288},
                             {0.6f, 300, 36, 224, 168},
                             {0.8f, 261, 36, 256, 300}};
    for (int k = 0; k < 4; k++) {
        std::vector<const GlBatch*> l = lettering(pulses[k].peak);
        // Each earlier picture is still written with the invisible residue of its pulse.
        ASSERT_EQ((int)l.size(), k + 1) << "pulse " << k;
        const GlBatch& b = *l[k];
        ASSERT_EQ(b.count(), 4);
        EXPECT_NEAR(alpha(b, 0), 1.0f, 1e-5f) << "pulse " << k;
        EXPECT_EQ(b.state.blend_src, (GLenum)GL_SRC_ALPHA);
        EXPECT_EQ(b.state.blend_dst, (GLenum)GL_ONE_MINUS_SRC_ALPHA);
        EXPECT_FALSE(b.state.depth_test);
        float corner[2], opposite[2];
        overlay_of(b, 0, corner);
        overlay_of(b, 2, opposite);
        EXPECT_NEAR(corner[0], pulses[k].x, 1e-3f) << "pulse " << k;
        EXPECT_NEAR(corner[1], pulses[k].y, 1e-3f) << "pulse " << k;
        EXPECT_NEAR(opposite[0] - corner[0], pulses[k].width, 1e-3f);
        EXPECT_NEAR(opposite[1] - corner[1], pulses[k].height, 1e-3f);
        for (int j = 0; j < k; j++)
            EXPECT_LT(alpha(*l[j], 0), 1e-6f) << "residue of pulse " << j;
    }
}

TEST_F(Alku, LetteringComesAndGoes) {
    EXPECT_TRUE(lettering(0.1f).empty());
    // Rising, the makers' name is written in (s, s, s, s), the title in white with alpha s.
    std::vector<const GlBatch*> rising = lettering(0.12f);
    ASSERT_EQ(rising.size(), 1u);
    EXPECT_NEAR(alpha(*rising[0], 0), 0.5878f, 1e-4f);
    EXPECT_EQ(rising[0]->c[0], alpha(*rising[0], 0));
    rising = lettering(0.32f);
    ASSERT_EQ(rising.size(), 2u);
    EXPECT_NEAR(alpha(*rising[1], 0), 0.309f, 1e-3f);
    EXPECT_EQ(rising[1]->c[0], 1.0f);
    std::vector<const GlBatch*> l = lettering(0.25f);
    ASSERT_EQ(l.size(), 1u);
    EXPECT_LT(alpha(*l[0], 0), 1e-6f);
    // At pos 0.5 the title has gone and the fluoxetine credit has not begun.
    l = lettering(0.5f);
    ASSERT_EQ(l.size(), 2u);
    EXPECT_GT(alpha(*l[1], 0), 0.0f);
    EXPECT_NEAR(alpha(*l[1], 0), 6.3e-7f, 0.5e-7f);
}

TEST_F(Alku, FiveHundredChipsEveryTwentyThirdAMolecule) {
    const std::vector<GlBatch>& b = frame(alku, 0.5f);
    EXPECT_EQ(of(b, GL_QUADS, false).size(), 478u);
    // Four big molecules and 22 small ones (i = 0, 23, ..., 483).
    EXPECT_EQ(molecule_bodies(b), 26);
    // The small molecules are whole until pos 0.6 and gone by 0.8.
    int whole = 0;
    for (const GlBatch& m : frame(alku, 0.55f))
        whole +=
            m.prim == GL_LINES && m.state.line_width == 6.0f && m.count() == serotoniini->verteksit;
    EXPECT_EQ(whole, 22); // the big serotonin's pulse is long over
    int empty = 0;
    for (const GlBatch& m : frame(alku, 0.85f))
        empty += m.prim == GL_LINES && m.state.line_width == 6.0f && m.count() == 0;
    EXPECT_EQ(empty, 22 + 3); // the big serotonin, citalopram, fluoxetine are unbuilt too
}

TEST_F(Alku, ChipsFlyOnceAcrossAndWrap) {
    for (int i = 0; i < alkupalacount; i++) {
        const AlkuPala& c = alkupalaset[i];
        EXPECT_EQ(c.from.x, 2.0f);
        EXPECT_EQ(c.to.x, -1.0f);
        EXPECT_EQ(c.from.y, c.to.y);
        EXPECT_EQ(c.from.z, c.to.z);
        EXPECT_LE(std::fabs(c.from.y), 0.5f);
        EXPECT_LE(std::fabs(c.from.z), 0.5f);
        EXPECT_EQ(c.speed, 1.0f);
        const Vector colours[3] = {punainen, sininen, oranssi};
        EXPECT_TRUE(c.colour == colours[i % 3]) << i;
    }
    // Chip 1 is a square; give it phase 0.75 and find its quad by its centre.
    AlkuPala& c = alkupalaset[1];
    c.phase = 0.75f;
    auto drawn_at = [&](float pos, float t) {
        Vector p = lerpVector(c.from, c.to, t);
        for (const GlBatch* q : of(frame(alku, pos), GL_QUADS, false)) {
            Vector d = centroid(*q) - p;
            if (d.length() < 1e-5f)
                return true;
        }
        return false;
    };
    EXPECT_TRUE(drawn_at(0.5f, 0.25f));
    EXPECT_TRUE(drawn_at(0.2499f, 0.9999f));
    EXPECT_TRUE(drawn_at(0.2501f, 0.0001f));
}

TEST_F(Alku, TheSeedFixesTheChips) {
    std::vector<AlkuPala> first(alkupalaset, alkupalaset + alkupalacount);
    setSeed(7);
    randFloat();
    alku_free();
    alku_init();
    for (int i = 0; i < alkupalacount; i++) {
        EXPECT_TRUE(first[i].from == alkupalaset[i].from) << i;
        EXPECT_TRUE(first[i].spin0 == alkupalaset[i].spin0) << i;
        EXPECT_TRUE(first[i].spin1 == alkupalaset[i].spin1) << i;
        EXPECT_EQ(first[i].phase, alkupalaset[i].phase) << i;
    }
}

// ------------------------------------------------------------------------------------- rakenne

class Rakenne : public Scene {
  protected:
    void SetUp() override {
        Scene::SetUp();
        rakenne_init();
    }
    void TearDown() override {
        rakenne_free();
        Scene::TearDown();
    }
};

// The batches of a frame: 15 rings twice, the structure four times, the glow twice.
enum { RINGS = 30, STRUCTURE = 30, GLOW = 34, BATCHES = 36 };

TEST_F(Rakenne, AboutFortySixThousandVerticesInThirtySixBatches) {
    const std::vector<GlBatch>& b = frame(rakenne, 0.5f);
    ASSERT_EQ((int)b.size(), BATCHES);
    EXPECT_EQ(total_vertices(b), 1920 + 40000 + 4000);
    for (int i = 0; i < RINGS; i++)
        EXPECT_EQ(b[i].count(), 64);
    for (int i = STRUCTURE; i < GLOW; i++)
        EXPECT_EQ(b[i].count(), 10000);
    for (int i = GLOW; i < BATCHES; i++)
        EXPECT_EQ(b[i].count(), 2000);
    for (const GlBatch& x : b) {
        EXPECT_EQ(x.prim, (GLenum)GL_LINES);
        EXPECT_FALSE(x.state.depth_test);
    }
}

TEST_F(Rakenne, FadesInOverTheFirstTenth) {
    EXPECT_EQ(max_alpha(frame(rakenne, 0.0f)), 0.0f);
    const std::vector<GlBatch>& b = frame(rakenne, 0.05f);
    EXPECT_NEAR(alpha(b[0], 0), 0.7f * 0.5f, 1e-6f); // ring body, 0.7 m
    EXPECT_NEAR(alpha(b[1], 0), 0.5f, 1e-6f);        // ring core, m
    EXPECT_NEAR(alpha(b[STRUCTURE], 0), 0.5f, 1e-6f);
}

TEST_F(Rakenne, WhiteOverlayLightsUpAfterAQuarter) {
    const std::vector<GlBatch>& before = frame(rakenne, 0.26f);
    for (int i = STRUCTURE; i < STRUCTURE + 2; i++)
        EXPECT_EQ(before[i].state.line_width, 1.0f);
    for (int i = STRUCTURE + 2; i < GLOW; i++)
        EXPECT_EQ(alpha(before[i], 0), 0.0f);
    const std::vector<GlBatch>& after = frame(rakenne, 0.3f);
    for (int i = STRUCTURE; i < STRUCTURE + 2; i++) {
        EXPECT_EQ(after[i].state.line_width, 4.0f);
        EXPECT_EQ(after[i].state.blend_dst, (GLenum)GL_ONE_MINUS_SRC_ALPHA);
    }
    for (int i = STRUCTURE + 2; i < GLOW; i++) {
        EXPECT_EQ(alpha(after[i], 0), 1.0f);
        EXPECT_EQ(after[i].c[0], 1.0f);
        EXPECT_EQ(after[i].state.line_width, 1.0f);
        EXPECT_EQ(after[i].state.blend_dst, (GLenum)GL_ONE);
    }
}

TEST_F(Rakenne, OnlyTheStructureRolls) {
    const std::vector<GlBatch>& b = frame(rakenne, 0.5f);
    expect_same_matrix(b[STRUCTURE].mv, rotated(b[0].mv, 65, 1, 0, 0), 1e-5f);
    expect_same_matrix(b[GLOW].mv, b[STRUCTURE].mv, 0);
}

TEST_F(Rakenne, SegmentsAreShortAndAxisAligned) {
    const std::vector<GlBatch>& b = frame(rakenne, 0.5f);
    for (int k = STRUCTURE; k < STRUCTURE + 2; k++) {
        for (int i = 0; i < b[k].count(); i += 2) {
            Vector d = vertex(b[k], i + 1) - vertex(b[k], i);
            int axes = (d.x != 0) + (d.y != 0) + (d.z != 0);
            EXPECT_LE(axes, 1);
            EXPECT_LE(std::fabs(d.x), 0.15f);
            EXPECT_LE(std::fabs(d.y), 0.1f);
            EXPECT_LE(std::fabs(d.z), 0.1f);
            Vector a = vertex(b[k], i);
            EXPECT_LE(std::fabs(a.x), 5.0f);
            EXPECT_LE(std::fabs(a.y), 0.5f);
        }
    }
    // The same cloud after a rebuild.
    std::vector<float> first = b[STRUCTURE].v;
    rakenne_free();
    setSeed(3);
    rakenne_init();
    EXPECT_EQ(frame(rakenne, 0.5f)[STRUCTURE].v, first);
}

// ------------------------------------------------------------------------------------ viivatus

class Viivatus : public Scene {
  protected:
    void SetUp() override {
        Scene::SetUp();
        // The strokes continue the generator from where the vortex left it.
        pyorre_init();
        viivatus_init();
    }
    void TearDown() override {
        viivatus_free();
        pyorre_free();
        Scene::TearDown();
    }
    std::vector<const GlBatch*> strips(float pos) {
        return of(frame(viivatus, pos), GL_LINE_STRIP, false);
    }
};

TEST_F(Viivatus, RibbonsGrowFromTheirCountsAtPosZero) {
    const int counts[20] = {0,   0,   0,   0,   0,   0,   0,   34,  69,  104,
                            139, 175, 210, 244, 279, 315, 350, 385, 419, 454};
    std::vector<const GlBatch*> s = strips(0);
    ASSERT_EQ(s.size(), 40u);
    for (int i = 0; i < 20; i++) {
        EXPECT_EQ(s[2 * i]->count(), 2 * counts[i]) << "ribbon " << i;
        EXPECT_EQ(s[2 * i + 1]->v, s[2 * i]->v) << "ribbon " << i;
    }
    // Invisible all the same.
    EXPECT_EQ(max_alpha(frame(viivatus, 0)), 0.0f);
    s = strips(1);
    for (const GlBatch* b : s)
        EXPECT_EQ(b->count(), 1400);
    EXPECT_EQ(max_alpha(frame(viivatus, 1)), 0.0f);
}

TEST_F(Viivatus, StrokesTurnFromStartToEnd) {
    // Ribbon 19's first strokes at pos 0 sit at their start angles, at pos 1 at their end ones.
    for (float pos : {0.0f, 1.0f}) {
        const GlBatch& b = *strips(pos)[38];
        for (int j = 0; j < 50; j++) {
            const Line& l = viivat[19][j];
            Matrix m;
            m.makeRotation(pos == 0 ? l.rotStart.x : l.rotEnd.x,
                           pos == 0 ? l.rotStart.y : l.rotEnd.y,
                           pos == 0 ? l.rotStart.z : l.rotEnd.z);
            Vector along = Vector(l.halfLength, 0, 0) * m;
            expect_near(vertex(b, 2 * j), l.posStart + along, 1e-6f, "first end");
            expect_near(vertex(b, 2 * j + 1), l.posStart - along, 1e-6f, "second end");
        }
    }
}

TEST_F(Viivatus, EveryCueSpinsTheWorldAndFlashesTheMolecules) {
    const float pos = 0.4f;
    const std::vector<GlBatch>& quiet = frame(viivatus, pos);
    EXPECT_EQ(molecule_bodies(quiet), 10);
    GlMat4 start = of(quiet, GL_LINE_STRIP, false)[0]->mv;

    // The first cue: the world jumps back 34 degrees and fifty molecules flash at full env.
    const std::vector<GlBatch>& fired = cue_frame(viivatus, pos, 14, 0, 40000);
    EXPECT_EQ(molecule_bodies(fired), 60);
    expect_same_matrix(of(fired, GL_LINE_STRIP, false)[0]->mv, rotated(start, -34, 1, 0, 0), 1e-5f);
    // Still on the same row a frame later: no second firing, no second jump.
    const std::vector<GlBatch>& again = cue_frame(viivatus, pos, 14, 0, 40100);
    EXPECT_EQ(molecule_bodies(again), 60); // the pulse is half way down
    expect_same_matrix(of(again, GL_LINE_STRIP, false)[0]->mv, rotated(start, -34, 1, 0, 0), 1e-5f);
    // After the 200 ms pulse the flashes are not drawn at all.
    const std::vector<GlBatch>& after = cue_frame(viivatus, pos, 14, 1, 40200);
    EXPECT_EQ(molecule_bodies(after), 10);

    const int cues[23][2] = {{14, 12}, {14, 44}, {15, 0},  {15, 12}, {15, 44}, {16, 0},
                             {16, 12}, {16, 44}, {17, 0},  {17, 12}, {17, 44}, {17, 54},
                             {18, 0},  {18, 12}, {18, 44}, {19, 32}, {19, 44}, {20, 0},
                             {20, 32}, {20, 40}, {21, 0},  {21, 32}, {21, 40}};
    int ms = 41000;
    for (const int* c : cues)
        cue_frame(viivatus, pos, c[0], c[1], ms += 1000);
    // All 24 cues: -816 degrees in all.
    const std::vector<GlBatch>& end = cue_frame(viivatus, pos, 30, 0, ms + 1000);
    expect_same_matrix(of(end, GL_LINE_STRIP, false)[0]->mv, rotated(start, -816, 1, 0, 0), 1e-4f);
}

TEST_F(Viivatus, LayoutFollowsTheVortexSeed) {
    Vector first = viivat[3][100].rotStart;
    Vector flash = viivamolekyylit[7];
    viivatus_free();
    pyorre_free();
    setSeed(99);
    pyorre_init();
    viivatus_init();
    EXPECT_TRUE(viivat[3][100].rotStart == first);
    EXPECT_TRUE(viivamolekyylit[7] == flash);
    for (int k = 0; k < 50; k++) {
        EXPECT_LE(std::fabs(viivamolekyylit[k].x), 100.0f);
        EXPECT_LE(std::fabs(viivamolekyylit[k].y), 15.0f);
    }
    // Without the vortex before it the layout changes.
    viivatus_free();
    setSeed(99);
    viivatus_init();
    EXPECT_FALSE(viivat[3][100].rotStart == first);
}

// -------------------------------------------------------------------------------------- pyorre

// The seven camera viewpoints, in the order the cues cycle through them.
const Vector viewpoints[7] = {Vector(0, 2, -7),   Vector(1, 3, -5),    Vector(-2, 2.3f, -8),
                              Vector(-3, -4, 5),  Vector(3, -2.3f, 7), Vector(2, 1.3f, 5),
                              Vector(1, -4.3f, 5)};

class Pyorre : public Scene {
  protected:
    void SetUp() override {
        Scene::SetUp();
        pyorre_init();
    }
    void TearDown() override {
        pyorre_free();
        Scene::TearDown();
    }
};

TEST_F(Pyorre, VortexFillsInBetweenTwoAndSevenHundredths) {
    const std::vector<GlBatch>& early = frame(pyorre, 0.019f);
    ASSERT_EQ(early.size(), 2u);
    EXPECT_EQ(total_vertices(early), 0);
    const std::vector<GlBatch>& half = frame(pyorre, 0.045f);
    EXPECT_EQ(half[0].count(), 5000);
    const std::vector<GlBatch>& full = frame(pyorre, 0.07f);
    ASSERT_EQ(full.size(), 2u); // before pos 0.15 no jets and no trails
    EXPECT_EQ(full[0].count(), 10000);
    EXPECT_EQ(full[1].v, full[0].v);
    EXPECT_EQ(full[0].prim, (GLenum)GL_POINTS);
    EXPECT_EQ(full[0].state.point_size, 4.0f);
    EXPECT_FALSE(full[0].state.depth_mask);
    EXPECT_EQ(full[1].state.point_size, 1.0f);
    EXPECT_TRUE(full[1].state.depth_mask);
    EXPECT_EQ(full[1].state.blend_dst, (GLenum)GL_ONE);
    // Every seventh point is orange, the rest blue; all within the arms' radii.
    for (int i = 0; i < 10000; i++) {
        EXPECT_EQ(full[0].c[i * 4], i % 7 ? sininen.x : oranssi.x);
        Vector p = vertex(full[0], i);
        EXPECT_EQ(p.y, 0.0f);
        EXPECT_LE(p.length(), 5.0f + 1e-5f);
        EXPECT_GE(p.length(), 0.05f - 1e-5f);
    }
}

TEST_F(Pyorre, JetsAndTrailsAfterTheFirstSixth) {
    const std::vector<GlBatch>& b = frame(pyorre, 0.5f);
    // Vortex twice, jets twice, 401 steps of four trail squares (a quad and a loop each).
    ASSERT_EQ(b.size(), 2u + 2u + 401u * 8u);
    EXPECT_EQ(b[2].count(), 2500);
    EXPECT_EQ(b[3].count(), 2500);
    EXPECT_LT(vertex(b[2], 2499).y, 0.0f);
    EXPECT_GT(vertex(b[3], 2499).y, 0.0f);
    EXPECT_EQ(of(b, GL_QUADS, false).size(), 1604u);
    EXPECT_EQ(of(b, GL_LINE_LOOP, false).size(), 1604u);
    for (size_t i = 4; i < b.size(); i++)
        EXPECT_FALSE(b[i].state.depth_test);
}

TEST_F(Pyorre, OneRandomNumberEveryFrame) {
    for (float pos : {0.0f, 0.5f}) {
        setSeed(5);
        randFloat();
        unsigned int expected = SEED;
        setSeed(5);
        frame(pyorre, pos);
        EXPECT_EQ(SEED, expected) << pos;
    }
}

TEST_F(Pyorre, CameraCutsOnEveryCue) {
    // At pos 0 the scene is not yet turned and the drift is nil: the matrix is the camera. The
    // viewpoint index lives for the whole run, so earlier shows in this process may have moved
    // it; with no cue yet it is 0.
    Vector eye = eye_of(frame(pyorre, 0)[0].mv);
    int first = 0;
    while (first < 7 && (eye - viewpoints[first]).length() > 1e-4f)
        first++;
    ASSERT_LT(first, 7) << "the camera is at none of the viewpoints";
    const int cues[15][2] = {{22, 0},  {22, 32}, {22, 40}, {23, 0},  {23, 32},
                             {23, 40}, {24, 40}, {25, 0},  {25, 8},  {25, 20},
                             {25, 32}, {25, 40}, {27, 44}, {27, 50}, {27, 56}};
    int ms = 60000;
    for (int k = 0; k < 15; k++) {
        // The cut shows from the frame after the cue.
        const std::vector<GlBatch>& fired = cue_frame(pyorre, 0, cues[k][0], cues[k][1], ms);
        expect_near(eye_of(fired[0].mv), viewpoints[(first + k) % 7], 1e-4f, "on the cue");
        const std::vector<GlBatch>& next = cue_frame(pyorre, 0, 30, 0, ms += 800);
        expect_near(eye_of(next[0].mv), viewpoints[(first + k + 1) % 7], 1e-4f, "after it");
    }
    // Fifteen cues are two full rounds and one step.
    expect_near(eye_of(frame(pyorre, 0)[0].mv), viewpoints[(first + 1) % 7], 1e-4f, "after 15");
}

TEST_F(Pyorre, PullsAwayAtTheEnd) {
    const std::vector<GlBatch>& b = frame(pyorre, 1);
    // Undo the scene's 70-degree turn to get the camera alone.
    GlMat4 camera = rotated(b[0].mv, -70, 0, 1, 0);
    Vector drift(-2.12f, 4.71f, -2.36f);
    Vector eye = eye_of(camera);
    Vector start = eye - drift;
    bool at_a_viewpoint = false;
    for (const Vector& v : viewpoints)
        at_a_viewpoint |= (start - v).length() < 0.02f;
    EXPECT_TRUE(at_a_viewpoint);
    // The centre moved by the same drift: the camera looks at (0, 1, 0) + drift.
    Vector look = Vector(0, 1, 0) + drift - eye;
    look.normalize();
    expect_near(forward_of(camera), look, 2e-3f, "looking at the shifted centre");
}
