// Scene kasvu through the recorder: the growths' visibility windows, the zero rotation axis
// before the first cue, and the bars that flash violet and swap to red on a cue.
#include "engine/colors.h"
#include "engine/gl.h"
#include "engine/glrecorder.h"
#include "engine/position.h"
#include "engine/random.h"
#include "show/show.h"
#include "engine/sync.h"
#include "scenes/kasvu.h"
#include "scenes/scenes.h"
#include "tests/batches.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace {

// The growths drawn, by their fans: one fan a growth and nothing else draws fans.
int growths_drawn() {
    return (int)batches_of(GL_TRIANGLE_FAN).size();
}

// The first bar: its first body line (5 pixels) and the core line after it.
const GlBatch* first_bar_body() {
    for (const GlBatch& b : gl_recorder()->batches)
        if (b.prim == GL_LINES && b.state.line_width == 5.0f)
            return &b;
    return nullptr;
}

int bar_lines() {
    int n = 0;
    for (const GlBatch* b : batches_of(GL_LINES))
        n += b->state.line_width == 5.0f;
    return n;
}

void expect_rgb(const GlBatch& b, const Vector& rgb) {
    EXPECT_EQ(b.c[0], rgb.x);
    EXPECT_EQ(b.c[1], rgb.y);
    EXPECT_EQ(b.c[2], rgb.z);
}

// The modelview a growth is drawn with, built on the recorder from the given turns.
GlMat4 growth_matrix(float pos, float accum, Vector axis, Vector origin) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    float e = (float)sin(calcPosFloat(pos, 0, 0.1f) * 0.5f * 3.141592f);
    glTranslatef(2 * pos - 1, 0, -((1 - e) * 3 + 7));
    glRotatef(pos * 360, 0, 1, 0.2f);
    if (accum != 0)
        glRotatef(accum, axis.x, axis.y, axis.z);
    glTranslatef(origin.x, origin.y, origin.z);
    return gl_recorder_matrix(GL_MODELVIEW);
}

void expect_same_matrix(const GlMat4& a, const GlMat4& b) {
    for (int i = 0; i < 16; i++) {
        EXPECT_FALSE(std::isnan(a.m[i])) << i;
        EXPECT_NEAR(a.m[i], b.m[i], 1e-5f) << i;
    }
}

} // namespace

class Kasvu : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { kasvu_init(); }
    static void TearDownTestSuite() { kasvu_free(); }
    void SetUp() override {
        sound.pinPosition(0, 0); // no kasvu cue sits there
        kello.time = 105.0f;
        gl_use_recorder();
        gl_recorder_reset();
    }
    void TearDown() override {
        sound.pinPosition(0, 0);
        gl_use_null();
    }
    void draw(float pos) {
        gl_recorder_reset();
        kasvu(pos);
    }
};

TEST_F(Kasvu, ColourSchemeLeavesTheSeededStreamAlone) {
    // Rebuilding from the seed gives the same shapes whatever the C library's stream did.
    std::vector<Vector> before;
    for (int i = 0; i < KASVU_ITEMS; i++)
        before.push_back(kasvut[i].points[kasvut[i].pointcount - 1]);
    unsigned int after_first_build = SEED;
    kasvu_free();
    kasvu_init();
    EXPECT_EQ(SEED, after_first_build);
    for (int i = 0; i < KASVU_ITEMS; i++)
        EXPECT_TRUE(kasvut[i].points[kasvut[i].pointcount - 1] == before[i]) << i;
}

TEST_F(Kasvu, EachGrowthIsVisibleOnlyWithinItsWindow) {
    // About four at once: growth i from i/20 to i/20 + 0.2, exclusive of both ends.
    struct {
        float pos;
        int drawn;
    } cases[] = {{0, 0}, {0.01f, 1}, {0.5f, 3}, {0.51f, 4}, {0.96f, 4}, {1, 3}};
    for (auto c : cases) {
        draw(c.pos);
        EXPECT_EQ(growths_drawn(), c.drawn) << "pos " << c.pos;
        EXPECT_EQ((int)batches_of(GL_LINE_STRIP).size(), c.drawn) << "pos " << c.pos;
    }
    // The last growth is a quarter grown at the end, and invisible with the envelope.
    draw(1);
    std::vector<const GlBatch*> fans = batches_of(GL_TRIANGLE_FAN);
    ASSERT_EQ(fans.size(), 3u);
    EXPECT_EQ(fans[2]->count(), (int)(kasvut[19].pointcount * 0.25f));
    for (const GlBatch* f : fans)
        EXPECT_EQ(f->c[3], 0.0f);
}

TEST_F(Kasvu, GrowthLengthAndFadeFollowItsProgress) {
    KasvuItem& it = kasvut[7];
    float t = 0.3f;
    gl_recorder_reset();
    it.draw(1.0f, it.start + t * 0.2f);
    std::vector<const GlBatch*> fans = batches_of(GL_TRIANGLE_FAN);
    std::vector<const GlBatch*> strips = batches_of(GL_LINE_STRIP);
    ASSERT_EQ(fans.size(), 1u);
    ASSERT_EQ(strips.size(), 1u);
    float tt = calcPosFloat(it.start + t * 0.2f, it.start, it.end);
    int n = (int)(it.pointcount * tt);
    float f = (float)sin(tt * 3.141592f);
    EXPECT_EQ(fans[0]->count(), n);
    EXPECT_EQ(strips[0]->count(), n);
    EXPECT_EQ(fans[0]->c[3], 0.25f * f);
    EXPECT_EQ(strips[0]->c[3], 0.5f * f);
    EXPECT_EQ(fans[0]->state.blend_dst, (GLenum)GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(strips[0]->state.blend_dst, (GLenum)GL_ONE);
    // The walk is drawn relative to its origin.
    EXPECT_EQ(fans[0]->v[0], it.points[0].x);
    EXPECT_EQ(fans[0]->mv.m[12], it.origin.x);
}

TEST_F(Kasvu, GrowthOutsideItsOpenWindowIssuesNoCalls) {
    KasvuItem& it = kasvut[3];
    for (float t : {0.0f, 0.00005f, 0.99995f, 1.0f}) {
        gl_recorder_reset();
        it.draw(1.0f, it.start + t * (it.end - it.start));
        EXPECT_TRUE(gl_recorder()->calls.empty()) << "t " << t;
        EXPECT_TRUE(gl_recorder()->batches.empty()) << "t " << t;
    }
    // Just inside, with too few points grown: an empty fan and an empty strip.
    gl_recorder_reset();
    it.draw(1.0f, it.start + 0.001f * 0.2f);
    ASSERT_EQ(growths_drawn(), 1);
    EXPECT_EQ(batches_of(GL_TRIANGLE_FAN)[0]->count(), 0);
    ASSERT_EQ(batches_of(GL_LINE_STRIP).size(), 1u);
    EXPECT_EQ(batches_of(GL_LINE_STRIP)[0]->count(), 0);
}

// The cue state lives in the scene's statics, so the cases run in order in one test.
TEST_F(Kasvu, VioletBarsUntilTheFirstCueThenASwapOnEachCue) {
    // Before any cue: violet, invisible between cues, and the cluster not turned by cues.
    float pos = 0.3f;
    draw(pos);
    EXPECT_EQ(bar_lines(), 25 * 8);
    const GlBatch* bar = first_bar_body();
    ASSERT_NE(bar, nullptr);
    expect_rgb(*bar, violetti);
    EXPECT_EQ(bar->c[3], 0.0f);
    EXPECT_EQ(bar->v[0], -7.0f);
    EXPECT_EQ(bar->v[3], -6.75f);
    EXPECT_EQ(bar->v[1], 1.0f);
    std::vector<const GlBatch*> fans = batches_of(GL_TRIANGLE_FAN);
    ASSERT_FALSE(fans.empty());
    GlMat4 seen = fans[0]->mv;
    Vector origin = kasvut[3].origin; // growths 3 to 6 are out at pos 0.3
    GlMat4 unturned = growth_matrix(pos, 0, Vector(0, 0, 0), origin);
    expect_same_matrix(seen, unturned);

    // A cue: the bars turn red, widened, at half the pulse; the cluster turns 25 degrees.
    kello.time = 110.0f;
    sound.pinPosition(36, 0);
    pos = 0.4f;
    draw(pos);
    bar = first_bar_body();
    ASSERT_NE(bar, nullptr);
    expect_rgb(*bar, punainen);
    EXPECT_FLOAT_EQ(bar->c[3], 0.25f); // sat 1 * 0.5 * s, s = 0.5 at the cue
    EXPECT_FLOAT_EQ(bar->v[0], -7.09f);
    EXPECT_FLOAT_EQ(bar->v[2], 2.0f);
    const GlBatch* core = bar + 1;
    EXPECT_FLOAT_EQ(core->c[3], 0.5f);
    Vector axis((float)sin(pos * 187), (float)sin(pos * 114), (float)sin(pos * 81));
    fans = batches_of(GL_TRIANGLE_FAN);
    ASSERT_FALSE(fans.empty());
    seen = fans[0]->mv;
    expect_same_matrix(seen, growth_matrix(pos, 25, axis, kasvut[5].origin));

    // The same row a frame later: still red, no second turn, the pulse decaying.
    kello.time = 110.1f;
    draw(0.405f);
    bar = first_bar_body();
    expect_rgb(*bar, punainen);
    EXPECT_NEAR(bar->c[3], 0.5f * 0.5f * (1 - 100 / 300.0f), 1e-3f);
    seen = batches_of(GL_TRIANGLE_FAN)[0]->mv;
    expect_same_matrix(seen, growth_matrix(0.405f, 25, axis, kasvut[5].origin));

    // The next cue swaps back to violet and turns another 25 degrees about a new axis.
    kello.time = 111.0f;
    sound.pinPosition(36, 12);
    pos = 0.45f;
    draw(pos);
    bar = first_bar_body();
    expect_rgb(*bar, violetti);
    EXPECT_FLOAT_EQ(bar->c[3], 0.3f); // sat 1 * 0.6 * s
    EXPECT_EQ(bar->v[0], -7.0f);
    axis = Vector((float)sin(pos * 187), (float)sin(pos * 114), (float)sin(pos * 81));
    seen = batches_of(GL_TRIANGLE_FAN)[0]->mv;
    expect_same_matrix(seen, growth_matrix(pos, 50, axis, kasvut[6].origin));
}
