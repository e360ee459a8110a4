// Scene ruutu through the recorder: the stroke field and its colours, the frame squares, the
// rising molecules' windows and the camera's pull-back on a cue.
#include "engine/colors.h"
#include "engine/gl.h"
#include "engine/glrecorder.h"
#include "engine/position.h"
#include "show/show.h"
#include "engine/sync.h"
#include "molecules/molecules.h"
#include "scenes/ruutu.h"
#include "scenes/scenes.h"
#include "tests/batches.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {

void expect_colour(const GlBatch& b, int i, const Vector& rgb, float alpha) {
    EXPECT_EQ(b.c[i * 4], rgb.x) << "vertex " << i;
    EXPECT_EQ(b.c[i * 4 + 1], rgb.y) << "vertex " << i;
    EXPECT_EQ(b.c[i * 4 + 2], rgb.z) << "vertex " << i;
    EXPECT_EQ(b.c[i * 4 + 3], alpha) << "vertex " << i;
}

// The stroke field: the one line batch of 7200 points.
const GlBatch* field() {
    for (const GlBatch& b : gl_recorder()->batches)
        if (b.prim == GL_LINES && b.count() == 2 * RUUTU_STROKES)
            return &b;
    return nullptr;
}

// Each drawn molecule is scaled down once, and nothing else in the scene scales.
int molecules_drawn() {
    return gl_recorder_count("glScalef");
}

} // namespace

class Ruutu : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        molekyyli_init();
        ruutu_init();
    }
    static void TearDownTestSuite() {
        ruutu_free();
        molekyyli_free();
    }
    void SetUp() override {
        sound.pinPosition(0, 0); // no ruutu cue sits there
        kello.time = 90.0f;
        gl_use_recorder();
        gl_recorder_reset();
    }
    void TearDown() override { gl_use_null(); }
    void draw(float pos) {
        gl_recorder_reset();
        ruutu(pos);
    }
};

TEST_F(Ruutu, FieldIs7200VerticesOrangeAtTheFootBlueAtTheTip) {
    draw(0.5f);
    const GlBatch* f = field();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->state.line_width, 2.0f);
    EXPECT_TRUE(f->state.blend);
    EXPECT_FALSE(f->state.depth_test);
    EXPECT_FALSE(f->state.texture);
    // Fully faded in at the middle: the envelope is 1 and the field has grown.
    float alpha = 0.7f;
    for (int i = 0; i < RUUTU_STROKES; i++) {
        expect_colour(*f, 2 * i, oranssi, alpha);
        expect_colour(*f, 2 * i + 1, sininen, alpha);
        if (HasFailure())
            break;
    }
    // Feet on the ground from -1.25 to one step short of +1.25, row-major.
    Vector first = vertex(*f, 0), last = vertex(*f, 2 * (RUUTU_STROKES - 1));
    EXPECT_FLOAT_EQ(first.x, -1.25f);
    EXPECT_FLOAT_EQ(first.z, -1.25f);
    EXPECT_FLOAT_EQ(last.x, (59 / 60.0f - 0.5f) * 2.5f);
    EXPECT_FLOAT_EQ(last.z, (59 / 60.0f - 0.5f) * 2.5f);
    EXPECT_NEAR(vertex(*f, 2).x - first.x, 2.5f / 60, 1e-6f);
    EXPECT_NEAR(vertex(*f, 2 * RUUTU_SIDE).z - first.z, 2.5f / 60, 1e-6f);
    // Twisted tips keep their height and their distance from the vertical axis.
    for (int i = 0; i < RUUTU_STROKES; i += 97) {
        Vector foot = vertex(*f, 2 * i), tip = vertex(*f, 2 * i + 1);
        EXPECT_EQ(foot.y, 0.0f);
        EXPECT_NEAR(tip.y, 0.075f, 1e-6f);
        EXPECT_NEAR(std::hypot(tip.x, tip.z), std::hypot(foot.x, foot.z), 1e-5f);
    }
}

TEST_F(Ruutu, StrokesStandStraightBeforeTheTwistStarts) {
    for (float pos : {0.12f, 0.2f, 0.244f}) {
        draw(pos);
        const GlBatch* f = field();
        ASSERT_NE(f, nullptr);
        EXPECT_FLOAT_EQ(f->c[3], 0.7f) << pos;
        for (int i = 0; i < RUUTU_STROKES; i += 61) {
            Vector foot = vertex(*f, 2 * i), tip = vertex(*f, 2 * i + 1);
            EXPECT_EQ(tip.x, foot.x);
            EXPECT_EQ(tip.z, foot.z);
            EXPECT_EQ(tip.y, 0.15f * pos);
        }
    }
}

TEST_F(Ruutu, UntwistedTipsAreTheRaisedFeetBitForBit) {
    // Every stroke, the centre row and column (where a coordinate is zero) included, compared as
    // bits: a twist of zero, of either sign, leaves the tip exactly where the rise puts it.
    for (float pos : {0.0f, 0.1f, 0.2f, 0.244f}) {
        draw(pos);
        const GlBatch* f = field();
        ASSERT_NE(f, nullptr);
        int wrong = 0;
        for (int i = 0; i < RUUTU_STROKES; i++) {
            Vector foot = vertex(*f, 2 * i), tip = vertex(*f, 2 * i + 1);
            Vector want = foot + Vector(0, 0.15f * pos, 0);
            if (memcmp(&tip, &want, sizeof tip) != 0 && wrong++ < 3)
                ADD_FAILURE() << "pos " << pos << " stroke " << i;
        }
        EXPECT_EQ(wrong, 0) << pos;
    }
}

TEST_F(Ruutu, NothingIsVisibleAtTheStart) {
    draw(0);
    const GlBatch* f = field();
    ASSERT_NE(f, nullptr);
    for (int i = 0; i < 2 * RUUTU_STROKES; i++)
        ASSERT_EQ(f->c[i * 4 + 3], 0.0f);
    for (const GlBatch* q : batches_of(GL_QUADS))
        EXPECT_EQ(q->c[3], 0.0f);
    EXPECT_EQ(molecules_drawn(), 0);
}

TEST_F(Ruutu, FrameSquaresRiseFromBelowAndSpread) {
    // At the start all three sit at -0.6; from pos 0.03 on they stand at -0.1, -0.2, -0.25.
    const float heights[2][3] = {{-0.6f, -0.6f, -0.6f}, {-0.1f, -0.2f, -0.25f}};
    const float halves[3] = {1.25f, 1.075f, 0.90000004f};
    const float fills[3] = {0.05f, 0.05f, 0.02f};
    const float at[2] = {0, 0.5f};
    for (int s = 0; s < 2; s++) {
        draw(at[s]);
        std::vector<const GlBatch*> quads = batches_of(GL_QUADS);
        std::vector<const GlBatch*> loops = batches_of(GL_LINE_LOOP);
        ASSERT_EQ(quads.size(), 3u);
        ASSERT_GE(loops.size(), 3u);
        float env = calcSaturate(at[s], 0, 1, 6);
        for (int q = 0; q < 3; q++) {
            const GlBatch& b = *quads[q];
            ASSERT_EQ(b.count(), 4);
            for (int i = 0; i < 4; i++) {
                Vector c = vertex(b, i);
                EXPECT_NEAR(c.y, heights[s][q], 1e-5f) << "square " << q;
                EXPECT_NEAR(std::fabs(c.x), halves[q], 1e-6f) << "square " << q;
                EXPECT_NEAR(std::fabs(c.z), halves[q], 1e-5f) << "square " << q;
                expect_colour(b, i, oranssi, env * fills[q]);
            }
            // The outline follows its fill, additive, 3 pixels wide.
            const GlBatch& o = *loops[q];
            EXPECT_EQ(o.state.line_width, 3.0f);
            EXPECT_EQ(o.state.blend_dst, (GLenum)GL_ONE);
            EXPECT_EQ(o.c[3], env * 0.45f);
            EXPECT_NEAR(vertex(o, 0).y, heights[s][q], 1e-5f);
        }
    }
}

TEST_F(Ruutu, LateItemsNeverStartWithinTheScene) {
    for (int k = 525; k < RUUTU_ITEMS; k++)
        ASSERT_GE(ruutuitems[k].startTime, 1.0f) << k;
    EXPECT_LT(ruutuitems[524].startTime, 1.0f);
    EXPECT_FLOAT_EQ(ruutuitems[0].startTime, 0.25f);
    // At the very end every molecule drawn is an early item still on its way.
    int expected = 0;
    for (int k = 0; k < RUUTU_ITEMS; k++) {
        float p = calcPosFloat(1.0f, ruutuitems[k].startTime, ruutuitems[k].endTime);
        if (p >= 0.001f && p <= 0.999f) {
            EXPECT_LT(k, 525);
            expected++;
        }
    }
    EXPECT_GT(expected, 0);
    draw(1.0f);
    EXPECT_EQ(molecules_drawn(), expected);
}

TEST_F(Ruutu, AnItemIsDrawnOnlyWithinItsBounds) {
    std::vector<RuutuItem> saved(ruutuitems, ruutuitems + RUUTU_ITEMS);
    for (int k = 0; k < RUUTU_ITEMS; k++)
        ruutuitems[k].startTime = ruutuitems[k].endTime = 5; // never active
    ruutuitems[0].startTime = 0;
    ruutuitems[0].endTime = 1; // p equals pos
    struct {
        float pos;
        int drawn;
    } cases[] = {{0.0009f, 0}, {0.001f, 1}, {0.5f, 1}, {0.999f, 1}, {0.9991f, 0}};
    for (auto c : cases) {
        draw(c.pos);
        EXPECT_EQ(molecules_drawn(), c.drawn) << "pos " << c.pos;
    }
    std::copy(saved.begin(), saved.end(), ruutuitems);
}

TEST_F(Ruutu, CameraPullsBackByAQuarterOnACue) {
    // The eye is the orbit around (0, base height, 2.3 pos - 1); the lift is nil at pos 0.3.
    draw(0.3f);
    ASSERT_EQ(gl_recorder_count("gluLookAt"), 1);
    double calm[3];
    for (const GlCall& c : gl_recorder()->calls)
        if (std::string(c.name) == "gluLookAt")
            std::copy(c.a, c.a + 3, calm);
    sound.pinPosition(30, 44);
    draw(0.3f);
    sound.pinPosition(0, 0);
    double cue[3];
    for (const GlCall& c : gl_recorder()->calls)
        if (std::string(c.name) == "gluLookAt")
            std::copy(c.a, c.a + 3, cue);
    float basez = 2.3f * 0.3f - 1;
    EXPECT_NEAR(cue[0] / calm[0], 1.25, 1e-5);
    EXPECT_NEAR((cue[2] - basez) / (calm[2] - basez), 1.25, 1e-5);
    EXPECT_FLOAT_EQ((float)cue[1], (float)calm[1]);
}

// The plasma's cells at t that differ from its four sines straight from the C library, summed
// in double and rounded once; compared as bits, so that a zero's sign counts too. The first few
// are reported, to be added up over calls in wrong.
static void check_plasma(float t, float amplitude, int* wrong) {
    ruutuplasma(t, amplitude);
    for (int i = 0; i < RUUTU_SIDE; i++) {
        float u = i / 60.0f;
        for (int j = 0; j < RUUTU_SIDE; j++) {
            float v = j / 60.0f;
            double value = sin(16 * v + 5 * t) + cos(11 * u + 6 * t) + sin(5 * u + 11 * v + 2 * t) +
                           cos(7 * u * v + 4 * t);
            float want = (float)value * amplitude;
            float got = ruudukkorot[i * RUUTU_SIDE + j];
            if (memcmp(&want, &got, sizeof want) != 0 && (*wrong)++ < 5)
                ADD_FAILURE() << "t " << t << " cell " << i << ", " << j << ": " << got
                              << " instead of " << want;
        }
    }
}

TEST_F(Ruutu, PlasmaRoundsLikeTheLibrarySum) {
    // Over the whole scene's times (t = 2 pos) and a little beyond.
    int wrong = 0;
    for (int step = 0; step <= 600; step++) {
        float amplitude = step % 3 == 0 ? 0.0f : 0.2f * (float)(step % 7) / 7.0f + 0.01f;
        check_plasma(step * 0.004f, amplitude, &wrong);
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(Ruutu, PlasmaRoundsLikeTheLibrarySumAtAnyTime) {
    // Times the scene never reaches, on either side of the ones the quick sum is vouched for,
    // and the edges of those.
    int wrong = 0;
    for (float t : {-3.0f, -0.004f, -0.0f, 1e-30f, 3.996f, 4.0f, 4.004f, 7.5f, 100.0f, 1e6f})
        check_plasma(t, 0.13f, &wrong);
    EXPECT_EQ(wrong, 0);
}
