// Scene behaviour the digests, drawn at five fixed positions, cannot see: every frame at any
// position balanced and finite, the music cues that change a frame and what they leave for later
// frames, and the shared generator's order between the scenes' set-ups.
#include "engine/colors.h"
#include "engine/gl.h"
#include "engine/glrecorder.h"
#include "engine/random.h"
#include "engine/sound.h"
#include "engine/sync.h"
#include "engine/textimages.h"
#include "engine/timer.h"
#include "molecules/molecules.h"
#include "scenes/perhonen.h"
#include "scenes/scenes.h"
#include "tests/batches.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {

// A music position at which no track of any scene has an event.
const unsigned int quiet_order = 250, quiet_row = 63;

typedef std::vector<GlBatch> Frame;

// Same primitives, vertices, colours and matrices, bit for bit.
bool same_frame(const Frame& a, const Frame& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); i++)
        if (a[i].prim != b[i].prim || a[i].v != b[i].v || a[i].c != b[i].c ||
            memcmp(a[i].mv.m, b[i].mv.m, sizeof a[i].mv.m) != 0)
            return false;
    return true;
}

bool finite(const std::vector<float>& v) {
    return std::all_of(v.begin(), v.end(), [](float x) { return std::isfinite(x); });
}

void expect_same_matrix(const GlMat4& a, const GlMat4& b, float tolerance) {
    for (int i = 0; i < 16; i++)
        EXPECT_NEAR(a.m[i], b.m[i], tolerance) << "element " << i;
}

// The fixture builds the scenes a case names and releases them after it, with the molecules and
// lettering every scene may draw, the music at a quiet position and a clock that each frame
// moves on by more than any cue's pulse lasts.
class Scenes : public ::testing::Test {
  protected:
    void SetUp() override {
        gl_use_recorder();
        font_init();
        molekyyli_init();
        sound.pinPosition(quiet_order, quiet_row);
    }
    void TearDown() override {
        for (const SceneEntry* s : built)
            s->release();
        molekyyli_free();
        font_free();
        sound.pinPosition(quiet_order, quiet_row);
        gl_use_null();
    }
    // Builds the scene and returns it; `tracks` are then the Sync tracks its set-up made.
    const SceneEntry* build(const char* name) {
        const SceneEntry* s = scene_find(name);
        EXPECT_NE(s, nullptr) << name;
        std::vector<const Sync*> before = sync_tracks();
        s->init();
        built.push_back(s);
        tracks.clear();
        for (const Sync* t : sync_tracks())
            if (std::find(before.begin(), before.end(), t) == before.end())
                tracks.push_back(t);
        return s;
    }
    // One frame two seconds after the last, at the quiet position or on event e of track t. The
    // generator is set alike for every frame, so that pyorre's jets, which take a number from it
    // each frame, repeat.
    Frame frame(const SceneEntry* s, float pos, const Sync* t = nullptr, int e = 0) {
        clock += 2;
        kello.time = clock;
        setSeed(1);
        if (t)
            sound.pinPosition(t->eventOrder[e], t->eventRow[e]);
        gl_recorder_reset();
        s->draw(pos);
        sound.pinPosition(quiet_order, quiet_row);
        return gl_recorder()->batches;
    }
    std::vector<const SceneEntry*> built;
    std::vector<const Sync*> tracks;
    float clock = 10;
};

} // namespace

TEST_F(Scenes, EveryFrameClosesItsBatchesBalancesItsStacksAndStaysFinite) {
    // Off the digests' positions too: a frame at any position may come up in the show.
    for (const SceneEntry& entry : scenes) {
        const SceneEntry* s = build(entry.name);
        for (int i = 0; i <= 40; i++) {
            float pos = i < 40 ? i / 40.0f + 0.0037f : 1.0f;
            Frame f = frame(s, pos);
            const GlRecorder* r = gl_recorder();
            ASSERT_EQ(r->errors, 0) << s->name << " at " << pos;
            ASSERT_FALSE(r->in_batch) << s->name << " at " << pos;
            ASSERT_EQ(r->modelview.size(), 1u) << s->name << " at " << pos;
            ASSERT_EQ(r->projection.size(), 1u) << s->name << " at " << pos;
            ASSERT_TRUE(r->attrib_stack.empty()) << s->name << " at " << pos;
            for (const GlBatch& b : f) {
                ASSERT_TRUE(finite(b.v) && finite(b.c)) << s->name << " at " << pos;
                ASSERT_TRUE(finite(std::vector<float>(b.mv.m, b.mv.m + 16)))
                    << s->name << " at " << pos;
            }
        }
    }
}

TEST_F(Scenes, ACueChangesTheFrameAndOnlySwitchesOutliveItsPulse) {
    // Each scene's tracks fire their first event at pos; `lasting` scenes keep a switch (a turn,
    // a camera cut, a colour swap, a hop) after the pulse has died, the others come back.
    const struct {
        const char* scene;
        float pos;
        bool lasting;
    } cases[] = {{"viivatus", 0.4f, true}, {"pyorre", 0.5f, true},   {"ruutu", 0.3f, false},
                 {"kasvu", 0.4f, true},    {"perhonen", 0.5f, true}, {"virta", 0.5f, false},
                 {"kellu", 0.5f, false}};
    for (const auto& c : cases) {
        const SceneEntry* s = build(c.scene);
        ASSERT_FALSE(tracks.empty()) << c.scene;
        Frame before = frame(s, c.pos);
        Frame cue = frame(s, c.pos, tracks[0], 0);
        EXPECT_FALSE(same_frame(before, cue)) << c.scene << ": the cue changed nothing";
        Frame after = frame(s, c.pos);
        EXPECT_EQ(same_frame(before, after), !c.lasting) << c.scene;
        // An event fires once: back on its row the frame is as it was after the pulse.
        EXPECT_TRUE(same_frame(after, frame(s, c.pos, tracks[0], 0))) << c.scene;
    }
}

TEST_F(Scenes, KasvuBarsSwapColourOnEveryCue) {
    const SceneEntry* s = build("kasvu");
    // The bars' 5-pixel body lines; the switch lives on from earlier runs of the scene.
    auto bar_red = [](const Frame& f) {
        for (const GlBatch& b : f)
            if (b.prim == GL_LINES && b.state.line_width == 5.0f)
                return b.c[0] == punainen.x;
        ADD_FAILURE() << "no bar drawn";
        return false;
    };
    bool red = bar_red(frame(s, 0.4f));
    for (int e = 0; e < 3; e++) {
        red = !red;
        EXPECT_EQ(bar_red(frame(s, 0.4f, tracks[0], e)), red) << "cue " << e;
        EXPECT_EQ(bar_red(frame(s, 0.4f)), red) << "after cue " << e;
    }
}

TEST_F(Scenes, PyorreCutsThroughSevenViewpointsFromTheFrameAfterEachCue) {
    const SceneEntry* s = build("pyorre");
    // At pos 0 the scene is unturned and undrifted: its first matrix is the camera.
    auto eye = [&](const Sync* t, int e) { return eye_of(frame(s, 0, t, e).at(0).mv); };
    std::vector<Vector> seen = {eye(nullptr, 0)};
    for (int e = 0; e < 7; e++) {
        expect_near(eye(tracks[0], e), seen.back(), 0, "the cue's own frame");
        seen.push_back(eye(nullptr, 0));
    }
    for (int i = 0; i < 7; i++)
        for (int j = 0; j < i; j++)
            EXPECT_GT((seen[i] - seen[j]).length(), 0.1f) << "viewpoints " << j << " and " << i;
    expect_near(seen[7], seen[0], 0, "seven cuts come round to the first viewpoint");
}

TEST_F(Scenes, ViivatusTurnsTheWorld34DegreesBackOnEveryCue) {
    const SceneEntry* s = build("viivatus");
    // The world's matrix: the ribbons' strips are drawn in it.
    auto world = [&](const Sync* t, int e) {
        Frame f = frame(s, 0.4f, t, e);
        return batches_in(f, GL_LINE_STRIP).at(0)->mv;
    };
    GlMat4 m = world(nullptr, 0);
    for (int e = 0; e < 2; e++) {
        glMatrixMode(GL_MODELVIEW);
        glLoadMatrixf(m.m);
        glRotatef(-34, 1, 0, 0);
        GlMat4 turned = gl_recorder_matrix(GL_MODELVIEW);
        m = world(tracks[0], e);
        expect_same_matrix(m, turned, 1e-5f);
    }
}

TEST_F(Scenes, PerhonenRayCuesHopTheButterfliesCameraCuesMoveTheEyeAndColours) {
    const SceneEntry* s = build("perhonen");
    ASSERT_EQ(tracks.size(), 2u); // made in this order
    const Sync* rays = tracks[0];
    const Sync* camera = tracks[1];
    // An event of `t` at a position where `other` has none.
    auto alone = [](const Sync* t, const Sync* other) {
        for (int e = 0; e < std::min(t->count, t->capacity); e++) {
            bool shared = false;
            for (int o = 0; o < std::min(other->count, other->capacity); o++)
                shared |= other->eventOrder[o] == t->eventOrder[e] &&
                          other->eventRow[o] == t->eventRow[e];
            if (!shared)
                return e;
        }
        return -1;
    };
    int ray = alone(rays, camera), cam = alone(camera, rays);
    ASSERT_GE(ray, 0);
    ASSERT_GE(cam, 0);
    // Late enough for every butterfly to have points: the grid is the first batch, each
    // butterfly two strips, and the rays, when drawn, two line batches more.
    const float p = 0.95f;
    Frame quiet = frame(s, p);
    std::vector<int> markers(syncdata, syncdata + syncpositions);
    Frame hop = frame(s, p, rays, ray);
    std::vector<const GlBatch*> wings_before = batches_in(quiet, GL_LINE_STRIP);
    std::vector<const GlBatch*> wings = batches_in(hop, GL_LINE_STRIP);
    ASSERT_EQ(wings.size(), 18u);
    EXPECT_EQ(batches_in(hop, GL_LINES).size(), batches_in(quiet, GL_LINES).size() + 2);
    expect_same_matrix(hop[0].mv, quiet[0].mv, 0); // the camera stays
    for (int i = 0; i < 18; i += 2)
        EXPECT_NE(memcmp(wings[i]->mv.m, wings_before[i]->mv.m, sizeof(GlMat4)), 0) << i / 2;
    // The markers are drawn anew from the C library's generator, never reseeded.
    EXPECT_NE(std::vector<int>(syncdata, syncdata + syncpositions), markers);

    Frame moved = frame(s, p, camera, cam);
    EXPECT_EQ(batches_in(moved, GL_LINES).size(), batches_in(quiet, GL_LINES).size());
    EXPECT_GT((eye_of(moved[0].mv) - eye_of(hop[0].mv)).length(), 0.5f);
    // The colours turn by one: butterfly i takes the colour butterfly i + 1 had.
    std::vector<const GlBatch*> turned = batches_in(moved, GL_LINE_STRIP);
    for (int i = 0; i < 8; i++)
        EXPECT_EQ(std::vector<float>(turned[2 * i]->c.begin(), turned[2 * i]->c.begin() + 3),
                  std::vector<float>(wings[2 * i + 2]->c.begin(), wings[2 * i + 2]->c.begin() + 3))
            << "butterfly " << i;
    // Five camera cues bring the eye back where it was.
    Vector start = eye_of(moved[0].mv);
    for (int e = cam + 1; e <= cam + 5; e++)
        frame(s, p, camera, e);
    expect_near(eye_of(frame(s, p)[0].mv), start, 1e-5f, "after five camera cues");
}

TEST_F(Scenes, SetUpsThatReseedIgnoreTheGeneratorAndTheOthersContinueIt) {
    // viivatus and kellu draw their layouts from where the scenes built before them left the
    // shared generator; the others reseed. Vertices only: kasvu also takes its colours from the
    // C library's generator, which nobody reseeds.
    const struct {
        const char* scene;
        bool reseeds;
    } cases[] = {{"alku", true},      {"rakenne", true},  {"pyorre", true}, {"ruutu", true},
                 {"kasvu", true},     {"kaupunki", true}, {"virta", true},  {"neuronit", true},
                 {"viivatus", false}, {"kellu", false}};
    for (const auto& c : cases) {
        unsigned int after[2];
        std::vector<float> layout[2];
        for (int k = 0; k < 2; k++) {
            setSeed(1000 + k);
            const SceneEntry* s = build(c.scene);
            after[k] = SEED;
            for (const GlBatch& b : frame(s, 0.5f))
                layout[k].insert(layout[k].end(), b.v.begin(), b.v.end());
            s->release();
            built.pop_back();
        }
        EXPECT_EQ(after[0] == after[1], c.reseeds) << c.scene;
        EXPECT_EQ(layout[0] == layout[1], c.reseeds) << c.scene;
    }
}
