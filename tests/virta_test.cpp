// The stream scene through the recorder: the neuron strands and their cue pulses, the 4900
// hairs, the three particle streams with their molecule breaks every 32 particles, and the
// camera's lift at the end.
#include "engine/colors.h"
#include "engine/curves.h"
#include "engine/gl.h"
#include "engine/glrecorder.h"
#include "engine/path.h"
#include "engine/matrix.h"
#include "engine/position.h"
#include "engine/random.h"
#include "show/show.h"
#include "engine/sync.h"
#include "molecules/molecules.h"
#include "scenes/scenes.h"
#include "scenes/virta.h"
#include "tests/batches.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {

// The scene's layers as the recorder logs them, told apart by primitive, size and width.
struct Layers {
    std::vector<const GlBatch*> strands; // both passes, dark first
    const GlBatch* darkhairs = nullptr;
    const GlBatch* lighthairs = nullptr;
    const GlBatch* particles = nullptr;       // the coloured pass
    std::vector<const GlBatch*> cores;        // white particle cores, in order
    std::vector<const GlBatch*> moleculebody; // 6-pixel bond bodies, one per molecule
};

Layers split(const std::vector<GlBatch>& batches) {
    Layers l;
    for (const GlBatch& b : batches) {
        if (b.prim == GL_LINE_STRIP)
            l.strands.push_back(&b);
        else if (b.prim == GL_LINES && b.count() == 2 * VIRTA_HAIRS)
            (l.darkhairs ? l.lighthairs : l.darkhairs) = &b;
        else if (b.prim == GL_LINES && b.count() == 6 * VIRTA_PARTICLES)
            l.particles = &b;
        else if (b.prim == GL_LINES && b.state.line_width == 6.0f)
            l.moleculebody.push_back(&b);
        else if (b.prim == GL_LINES && l.particles && b.state.line_width == 1.0f &&
                 b.state.blend_dst == GL_ONE && b.count() % 6 == 0 && !b.state.depth_test)
            l.cores.push_back(&b);
    }
    return l;
}

int strand_count() {
    int n = 0;
    for (int i = 0; i < vneuroncount; i++)
        n += vneurons[i].linkcount;
    return n;
}

class Virta : public ::testing::Test {
  protected:
    void SetUp() override {
        gl_use_recorder();
        molekyyli_init();
        // No cue sits here, and neither do the track's unfilled slots (order 0, row 0).
        sound.pinPosition(40, 1);
        kello.time = 165;
        virta_init();
    }
    void TearDown() override {
        virta_free();
        molekyyli_free();
        sound.pinPosition(0, 0);
        kello.time = 0;
        gl_use_null();
    }
    const std::vector<GlBatch>& frame(float pos) {
        gl_recorder_reset();
        virta(pos);
        return gl_recorder()->batches;
    }
};

TEST_F(Virta, FortyNineHundredHairsDarkThenLight) {
    float pos = 0.7f;
    Layers l = split(frame(pos));
    ASSERT_NE(l.darkhairs, nullptr);
    ASSERT_NE(l.lighthairs, nullptr);
    EXPECT_FLOAT_EQ(l.darkhairs->state.line_width, 4);
    EXPECT_EQ(l.darkhairs->state.blend_dst, (GLenum)GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_FLOAT_EQ(l.lighthairs->state.line_width, 1);
    EXPECT_EQ(l.lighthairs->state.blend_dst, (GLenum)GL_ONE);
    EXPECT_FALSE(l.darkhairs->state.depth_test);
    EXPECT_TRUE(l.darkhairs->state.blend);
    EXPECT_EQ(l.darkhairs->v, l.lighthairs->v);

    float sat = calcSaturate(pos, 0, 1, 6);
    for (int n : {0, 1, 69, 70, 2450, 4899}) {
        int i = n / 70, j = n % 70;
        Vector foot(0.13f + (j - 35) / 70.0f * 1.2f, -0.2f, -6 + (i - 35) / 70.0f * 1.2f);
        expect_near(vertex(*l.darkhairs, 2 * n), foot, 1e-6f, "hair foot");
        Vector tip = vertex(*l.darkhairs, 2 * n + 1) - foot;
        EXPECT_NEAR(Vector(tip.x, 0, tip.z).length(), 0.03f, 1e-6f);
        EXPECT_NEAR(tip.y, virtaheights[n] * 0.05f, 1e-6f);
        // After 0.22 the dark hairs are at full strength, each by its height.
        EXPECT_FLOAT_EQ(alpha(*l.darkhairs, 2 * n), sat * 0.5f * virtaheights[n]);
        EXPECT_EQ(alpha(*l.darkhairs, 2 * n), alpha(*l.darkhairs, 2 * n + 1));
        EXPECT_FLOAT_EQ(alpha(*l.lighthairs, 2 * n), sat * 0.25f);
    }
    // The hairs turn with the rest of the scene by pos * 10 degrees about the view axis.
    const GlMat4& cam = l.strands[0]->mv;
    const GlMat4& turned = l.darkhairs->mv;
    float a = (float)(7 * 3.14159265358979 / 180);
    for (int r = 0; r < 3; r++) {
        EXPECT_NEAR(turned.m[0 * 4 + r], cam.m[0 * 4 + r] * cosf(a) + cam.m[1 * 4 + r] * sinf(a),
                    1e-5);
    }
}

TEST_F(Virta, TheLightOverlayWaitsForSixtyOneAndAHalfHundredths) {
    Layers before = split(frame(0.6f));
    EXPECT_EQ(alpha(*before.lighthairs, 0), 0);
    // Dark hairs at half strength before 0.2.
    Layers early = split(frame(0.1f));
    EXPECT_FLOAT_EQ(alpha(*early.darkhairs, 0),
                    calcSaturate(0.1f, 0, 1, 6) * 0.5f * 0.5f * virtaheights[0]);
}

TEST_F(Virta, PlasmaFieldsStayWithinZeroAndOne) {
    float field[VIRTA_HAIRS];
    virtaplasma(field, 0);
    // Row and column waves both start at sin 0 + cos 0.
    EXPECT_FLOAT_EQ(field[0], 0.75f);
    virtaplasma2(field, 0);
    EXPECT_FLOAT_EQ(field[0], 0.75f);
    for (float t : {0.0f, 0.37f, 1.0f}) {
        virtaplasma(field, t);
        for (float v : field) {
            ASSERT_GE(v, 0);
            ASSERT_LE(v, 1);
        }
        // Row i = 1 at column 2: the row wave once, the column wave per cell.
        float r = ((float)sin(t * 17 + 0.2f) + (float)cos(0.4f + t * 11)) * 0.25f + 0.5f;
        float c = ((float)sin(t * 19 + 2 * 0.23f) + (float)cos(2 * 0.5f + t * 8.5f)) * 0.25f + 0.5f;
        EXPECT_NEAR(field[72], (c + r) * 0.5f, 1e-6);
    }
}

TEST_F(Virta, ParticleCoresBreakEveryThirtyTwoParticles) {
    // Before the molecules: the batch is still closed and reopened at 0, 32, ..., 1472.
    Layers l = split(frame(0.5f));
    ASSERT_NE(l.particles, nullptr);
    ASSERT_EQ(l.cores.size(), 48u);
    EXPECT_EQ(l.cores[0]->count(), 0);
    for (int k = 1; k < 47; k++)
        EXPECT_EQ(l.cores[k]->count(), 32 * 6) << "core batch " << k;
    EXPECT_EQ(l.cores[47]->count(), 28 * 6);
    EXPECT_TRUE(l.moleculebody.empty());

    // With the molecules: three at every break, and the batches just the same.
    Layers m = split(frame(0.7f));
    ASSERT_EQ(m.cores.size(), 48u);
    EXPECT_EQ(m.moleculebody.size(), 47u * 3);
    for (int k = 1; k < 48; k++) {
        EXPECT_EQ(m.cores[k]->count(), k < 47 ? 192 : 168);
        EXPECT_EQ(m.cores[k]->state.blend_dst, (GLenum)GL_ONE);
        EXPECT_FALSE(m.cores[k]->state.depth_test) << "core batch " << k;
    }
    // The core segments are the coloured ones, in the same order.
    std::vector<float> cores;
    for (const GlBatch* b : m.cores)
        cores.insert(cores.end(), b->v.begin(), b->v.end());
    EXPECT_EQ(cores, m.particles->v);
}

TEST_F(Virta, ThreeStreamsInOrangeVioletAndBlue) {
    float pos = 0.5f;
    Layers l = split(frame(pos));
    const GlBatch& p = *l.particles;
    EXPECT_FLOAT_EQ(p.state.line_width, 4);
    const Vector colours[3] = {oranssi, violetti, sininen};
    float sat = calcSaturate(pos, 0, 1, 6);
    for (int u : {0, 1, 777, 1499}) {
        const VirtaLine& L = lines[u];
        float cycle = pos * 4 + L.phase;
        EXPECT_FLOAT_EQ(L.t, cycle - (float)(int)cycle);
        for (int s = 0; s < 3; s++) {
            int v = u * 6 + s * 2;
            EXPECT_FLOAT_EQ(p.c[v * 4], colours[s].x);
            EXPECT_FLOAT_EQ(p.c[v * 4 + 2], colours[s].z);
            EXPECT_FLOAT_EQ(alpha(p, v), sat * 0.9f * L.alpha);
            // Each segment is the particle's length, centred on its stream point.
            Vector a = vertex(p, v), b = vertex(p, v + 1);
            EXPECT_NEAR((a - b).length(), L.length, 1e-5f);
        }
        // Stream 1 rides on the first path, wobbled by at most 0.4 and drifted by at most 0.25
        // on each axis.
        Vector centre = (vertex(p, u * 6) + vertex(p, u * 6 + 1)) * 0.5f;
        Vector off = centre - virtapath->getValue(L.t);
        EXPECT_LE(off.length(), 0.4f + 0.25f * 1.7321f + 1e-4f);
    }
}

TEST_F(Virta, StreamsFadeInAfterElevenAndAHalfHundredths) {
    Layers l = split(frame(0.1f));
    float top = 0;
    for (int i = 0; i < l.particles->count(); i++)
        top = std::max(top, alpha(*l.particles, i));
    EXPECT_EQ(top, 0);
    Layers m = split(frame(0.3f));
    for (int i = 0; i < m.particles->count(); i++)
        top = std::max(top, alpha(*m.particles, i));
    EXPECT_GT(top, 0.7f);
}

TEST_F(Virta, StrandsDarkAtTheEndsAndPulsingOnTheCues) {
    float pos = 0.5f;
    Layers l = split(frame(pos));
    int strands = strand_count();
    ASSERT_EQ((int)l.strands.size(), 2 * strands);
    float nf = calcSaturate(pos, 0.05f, 0.95f, 15);
    float sat = calcSaturate(pos, 0, 1, 6);
    for (int s = 0; s < strands; s++) {
        const GlBatch& dark = *l.strands[s];
        const GlBatch& light = *l.strands[strands + s];
        ASSERT_EQ(dark.count(), 20);
        EXPECT_FLOAT_EQ(dark.state.line_width, 4);
        EXPECT_FLOAT_EQ(light.state.line_width, 1);
        EXPECT_EQ(light.state.blend_dst, (GLenum)GL_ONE);
        EXPECT_EQ(dark.v, light.v);
        EXPECT_FLOAT_EQ(alpha(dark, 0), sat * 0.2f * nf);
        EXPECT_NEAR(alpha(dark, 10), 0, 1e-9);
        // Between cues the pulses are dark.
        for (int m = 0; m < 20; m++)
            EXPECT_EQ(alpha(light, m), 0);
    }

    // A cue fires: the pulses light up along the strands.
    sound.pinPosition(60, 56);
    Layers cue = split(frame(pos));
    float top = 0;
    for (int s = strands; s < 2 * strands; s++)
        for (int m = 0; m < 20; m++)
            top = std::max(top, alpha(*cue.strands[s], m));
    EXPECT_GT(top, 0.1f);
    EXPECT_LE(top, 0.7f);
    // At the far end (m = 0) the strand is at full strength and the pulse is at its phase.
    float pulse = 0.5f + 0.5f * (float)sin(pos * 147);
    EXPECT_NEAR(alpha(*cue.strands[strands], 0), sat * 0.7f * pulse * nf, 1e-6);
    // 700 ms later it has died away.
    kello.time += 0.7f;
    Layers later = split(frame(pos));
    for (int m = 0; m < 20; m++)
        EXPECT_EQ(alpha(*later.strands[strands], m), 0);
}

TEST_F(Virta, FiftyFiveNeuronsJoinedByJitteredStrands) {
    ASSERT_EQ(vneuroncount, 55);
    for (int i = 0; i < vneuroncount; i++) {
        const VirtaNeuron& n = vneurons[i];
        EXPECT_GE(n.position.x, 0);
        EXPECT_LE(n.position.x, 16);
        EXPECT_GE(n.position.y, -2.5f);
        EXPECT_LE(n.position.y, 6.5f);
        EXPECT_GE(n.position.z, 4.5f);
        EXPECT_LE(n.position.z, 11.5f);
        EXPECT_GE(n.linkcount, 2);
        EXPECT_LE(n.linkcount, 6);
        for (int k = 0; k < n.linkcount; k++) {
            ASSERT_EQ(n.linkpointcounts[k], 20);
            // The strand ends at this neuron and starts at another one.
            EXPECT_LE((n.links[k][19] - n.position).length(), 0.1001f);
            bool far = false;
            for (int j = 0; j < vneuroncount; j++)
                far |= j != i && (n.links[k][0] - vneurons[j].position).length() <= 0.1001f;
            EXPECT_TRUE(far) << "neuron " << i << " strand " << k;
        }
    }
    EXPECT_EQ(virtasync->capacity, 400);
    EXPECT_EQ(virtasync->count, 56);
    for (int e = 0; e < 56; e++)
        EXPECT_EQ(virtasync->eventDuration[e], 700);
    EXPECT_EQ(virtasync->eventOrder[0], 54);
    EXPECT_EQ(virtasync->eventOrder[55], 63);
    EXPECT_EQ(virtasync->eventRow[55], 52);
}

TEST_F(Virta, CameraLiftsAndPullsBackAtTheEnd) {
    const std::vector<GlBatch>& start = frame(0.0f);
    expect_near(eye_of(start[0].mv), Vector(0, 0, -7), 1e-4f, "eye at pos 0");
    const std::vector<GlBatch>& end = frame(1.0f);
    const GlMat4& cam = end[0].mv;
    expect_near(eye_of(cam), Vector(-0.2f, 30, -47), 1e-3f, "eye at pos 1");
    Vector look = Vector(1.5f, 30, -40) - Vector(-0.2f, 30, -47);
    expect_near(forward_of(cam), look.normalize(), 1e-5f, "looking at (1.5, 30, -40)");
    // Nothing is visible at either end.
    for (const std::vector<GlBatch>* f : {&start, &end})
        for (const GlBatch& b : *f)
            for (int i = 0; i < b.count(); i++)
                ASSERT_EQ(alpha(b, i), 0);
    // Until about 0.9 the lift is negligible.
    expect_near(eye_of(frame(0.9f)[0].mv), Vector(-0.18f, 0.15f, -7.2f), 0.01f, "eye at 0.9");
}

} // namespace

TEST_F(Virta, ParticleTumbleAndWobbleMatchTheLibraryBitForBit) {
    // The frame takes its sines in batches and from near values; the floats must be those of
    // the plain library formulas, here over a sweep of the whole scene.
    int wrong = 0;
    for (int step = 0; step <= 200; step++) {
        float pos = step * 0.005f;
        frame(pos);
        for (int i = 0; i < VIRTA_PARTICLES; i++) {
            const VirtaLine& l = lines[i];
            Vector offset = sphereCoord((float)sin(pos * l.wobblespeed + l.wobblephase) * 0.4f,
                                        l.thetaspeed * pos + l.theta0, l.phispeed * pos + l.phi0);
            Vector rot = lerpVector(l.rotstart, l.rotend, l.t);
            Matrix r = Matrix().makeRotation(rot.x, rot.y, rot.z);
            Vector end1 = Vector(0, l.length * 0.5f, 0) * r;
            Vector got[2] = {l.offset, l.end1}, want[2] = {offset, end1};
            if (memcmp(got, want, sizeof got) != 0 && wrong++ < 5)
                ADD_FAILURE() << "pos " << pos << " particle " << i;
        }
    }
    EXPECT_EQ(wrong, 0);
}
