// The molecule tables and figures: table sizes and shapes, the build-up, the atom markers and
// the GL state the figures leave, observed through the recorder back end.
#include "engine/colors.h"
#include "engine/gl.h"
#include "engine/glrecorder.h"
#include "molecules/molecules.h"
#include "molecules/tables.h"
#include "tests/batches.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

struct Table {
    const char* name;
    const Vector* data;
    int count;
    int bonds;
    Vector first, last;
};

const Table tables[] = {
    {"fluvoxamine", fluvoksamiinindata, fluvoksamiininverteksit, 24, Vector(0, 0, 0),
     Vector(3, -3.5f, 0)},
    {"fluoxetine", fluoksetiinindata, fluoksetiininverteksit, 27, Vector(0, 0, 0),
     Vector(0, 4.5f, 0)},
    {"citalopram", sitalopraamindata, sitalopraaminverteksit, 34, Vector(0, 0, 0),
     Vector(4.2f, -0.9f, 0)},
    {"serotonin", serotoniinindata, serotoniininverteksit, 18, Vector(0, 1, 0), Vector(0, 4, 0)},
};

void expect_vector(const Vector& v, float x, float y, float z, const char* what) {
    EXPECT_EQ(v.x, x) << what;
    EXPECT_EQ(v.y, y) << what;
    EXPECT_EQ(v.z, z) << what;
}

float alpha_at(const GlBatch& b, int i) {
    return b.c[i * 4 + 3];
}

} // namespace

TEST(MoleculeTables, CountsArePointsTwiceTheBonds) {
    for (const Table& t : tables) {
        EXPECT_EQ(t.count, 2 * t.bonds) << t.name;
        EXPECT_EQ(t.count % 2, 0) << t.name;
    }
    EXPECT_EQ(fluvoksamiininverteksit, 48);
    EXPECT_EQ(fluoksetiininverteksit, 54);
    EXPECT_EQ(sitalopraaminverteksit, 68);
    EXPECT_EQ(serotoniininverteksit, 36);
}

TEST(MoleculeTables, FirstAndLastPointsAndFlatness) {
    for (const Table& t : tables) {
        expect_vector(t.data[0], t.first.x, t.first.y, 0, t.name);
        expect_vector(t.data[t.count - 1], t.last.x, t.last.y, 0, t.name);
        for (int i = 0; i < t.count; i++)
            EXPECT_EQ(t.data[i].z, 0.0f) << t.name << " point " << i;
    }
    // Second points of the first bonds, to catch a table shifted by one.
    expect_vector(fluvoksamiinindata[1], 0, 1, 0, "fluvoxamine");
    expect_vector(fluoksetiinindata[1], 1, 0.5f, 0, "fluoxetine");
    expect_vector(sitalopraamindata[3], 0, -1, 0, "citalopram");
    expect_vector(serotoniinindata[1], 1, 1.5f, 0, "serotonin");
}

TEST(MoleculeTables, SharedRingIsIdenticalAndSerotoninMirrorsItsInnerBonds) {
    // Fluvoxamine's ring is bonds 1..9 (six edges, three inner), citalopram's bonds 2..10.
    for (int i = 0; i < 18; i++) {
        const Vector& a = fluvoksamiinindata[2 + i];
        const Vector& b = sitalopraamindata[4 + i];
        EXPECT_TRUE(a == b) << "ring point " << i;
    }
    // Serotonin's ring is its bonds 0..8: the same edges, the inner bonds mirrored in x.
    for (int i = 0; i < 12; i++)
        EXPECT_TRUE(serotoniinindata[i] == fluvoksamiinindata[2 + i]) << "edge point " << i;
    for (int i = 12; i < 18; i++) {
        const Vector& s = serotoniinindata[i];
        const Vector& f = fluvoksamiinindata[2 + i];
        EXPECT_EQ(s.x, -f.x) << "inner point " << i;
        EXPECT_EQ(s.y, f.y) << "inner point " << i;
    }
}

TEST(MoleculeTables, SerotoninKeepsItsNegativeZero) {
    const Vector& p = serotoniinindata[26];
    EXPECT_EQ(p.x, -1.35f);
    EXPECT_EQ(p.y, 0.0f);
    EXPECT_TRUE(std::signbit(p.y));
}

TEST(MoleculeTables, NitrileIsThreeParallelSegments) {
    // Citalopram bonds 21..23 run from y -4 to -5 at x 0, 0.1 and -0.1.
    const float xs[3] = {0, 0.1f, -0.1f};
    for (int k = 0; k < 3; k++) {
        expect_vector(sitalopraamindata[42 + 2 * k], xs[k], -4, 0, "nitrile start");
        expect_vector(sitalopraamindata[43 + 2 * k], xs[k], -5, 0, "nitrile end");
    }
}

class Molecules : public ::testing::Test {
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
    const std::vector<GlBatch>& batches() { return gl_recorder()->batches; }
};

TEST_F(Molecules, InitCopiesEachTableIntoItsOwnArray) {
    Aine* aines[4] = {fluvoksamiini, fluoksetiini, sitalopraami, serotoniini};
    for (int k = 0; k < 4; k++) {
        ASSERT_NE(aines[k], nullptr);
        EXPECT_EQ(aines[k]->verteksit, tables[k].count) << tables[k].name;
        EXPECT_NE(aines[k]->data, tables[k].data) << tables[k].name;
        for (int i = 0; i < tables[k].count; i++)
            EXPECT_TRUE(aines[k]->data[i] == tables[k].data[i]) << tables[k].name << " " << i;
    }
}

TEST_F(Molecules, FreeClearsTheGlobalsAndCanRepeat) {
    molekyyli_free();
    EXPECT_EQ(fluvoksamiini, nullptr);
    EXPECT_EQ(fluoksetiini, nullptr);
    EXPECT_EQ(sitalopraami, nullptr);
    EXPECT_EQ(serotoniini, nullptr);
    molekyyli_free(); // TearDown frees a third time
}

TEST_F(Molecules, CompleteFigureDrawsEveryBondAtTheBodyAlpha) {
    glEnable(GL_BLEND);
    fluvoxamine(1.0f, 1.0f);
    // Body, core, then two loops for each of the nine markers.
    ASSERT_EQ(batches().size(), 2u + 2 * 9);
    const GlBatch& body = batches()[0];
    EXPECT_EQ(body.prim, (GLenum)GL_LINES);
    ASSERT_EQ(body.count(), 48);
    for (int i = 0; i < 48; i++) {
        EXPECT_TRUE(vertex(body, i) == fluvoksamiinindata[i]) << i;
        EXPECT_EQ(body.c[i * 4 + 0], sininen.x);
        EXPECT_EQ(body.c[i * 4 + 1], sininen.y);
        EXPECT_EQ(body.c[i * 4 + 2], sininen.z);
        // The last point too: the boost is exactly 1 once complete.
        EXPECT_FLOAT_EQ(alpha_at(body, i), 0.6f) << i;
    }
    EXPECT_FALSE(body.state.depth_mask);
    EXPECT_TRUE(body.state.depth_test);
    EXPECT_EQ(body.state.blend_src, (GLenum)GL_SRC_ALPHA);
    EXPECT_EQ(body.state.blend_dst, (GLenum)GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(body.state.line_width, 6.0f);

    const GlBatch& core = batches()[1];
    EXPECT_EQ(core.prim, (GLenum)GL_LINES);
    ASSERT_EQ(core.count(), 48);
    for (int i = 0; i < 48; i++) {
        EXPECT_TRUE(vertex(core, i) == fluvoksamiinindata[i]) << i;
        EXPECT_EQ(core.c[i * 4 + 0], 1.0f);
        EXPECT_EQ(core.c[i * 4 + 1], 1.0f);
        EXPECT_EQ(core.c[i * 4 + 2], 1.0f);
        EXPECT_FLOAT_EQ(alpha_at(core, i), 1.8f);
    }
    EXPECT_TRUE(core.state.depth_mask);
    EXPECT_TRUE(core.state.depth_test);
    EXPECT_EQ(core.state.blend_src, (GLenum)GL_SRC_ALPHA);
    EXPECT_EQ(core.state.blend_dst, (GLenum)GL_ONE);
    EXPECT_EQ(core.state.line_width, 1.0f);
}

TEST_F(Molecules, HalfBuiltFluvoxamineShowsThirteenBondsWithABrighterTip) {
    fluvoxamine(1.0f, 0.5f);
    const GlBatch& body = batches()[0];
    // amount 0.55: trunc(0.55 * 48) = 26 points, 13 bonds.
    ASSERT_EQ(body.count(), 26);
    for (int i = 0; i < 25; i++)
        EXPECT_FLOAT_EQ(alpha_at(body, i), 0.6f) << i;
    // Boost 0.55 * 48 - 25 = 1.4.
    EXPECT_NEAR(alpha_at(body, 25), 0.6f * 1.4f, 1e-5f);
    EXPECT_TRUE(vertex(body, 25) == fluvoksamiinindata[25]);
    EXPECT_EQ(batches()[1].count(), 26);
    // Markers are all there, at half strength.
    ASSERT_EQ(batches().size(), 2u + 2 * 9);
    for (size_t m = 2; m < batches().size(); m += 2) {
        EXPECT_FLOAT_EQ(alpha_at(batches()[m], 0), 0.5f);
        EXPECT_FLOAT_EQ(alpha_at(batches()[m + 1], 0), 0.5f * 0.6f);
    }
}

TEST_F(Molecules, ProgressZeroDrawsNoBondsButEveryMarkerInvisible) {
    serotonin(1.0f, 0.0f);
    ASSERT_EQ(batches().size(), 2u + 2 * 3);
    EXPECT_EQ(batches()[0].count(), 0);
    EXPECT_EQ(batches()[1].count(), 0);
    for (size_t m = 2; m < batches().size(); m++) {
        EXPECT_EQ(batches()[m].count(), 4);
        EXPECT_EQ(alpha_at(batches()[m], 0), 0.0f);
    }
}

TEST_F(Molecules, AlphaScalesEveryLayer) {
    fluoxetine(0.5f, 1.0f);
    ASSERT_EQ(batches().size(), 2u + 2 * 6);
    EXPECT_EQ(batches()[0].count(), 54);
    EXPECT_FLOAT_EQ(alpha_at(batches()[0], 53), 0.3f);
    EXPECT_FLOAT_EQ(alpha_at(batches()[1], 0), 0.9f);
    for (size_t m = 2; m < batches().size(); m += 2) {
        EXPECT_FLOAT_EQ(alpha_at(batches()[m], 0), 0.5f);
        EXPECT_FLOAT_EQ(alpha_at(batches()[m + 1], 0), 0.3f);
    }
}

TEST_F(Molecules, BondsCompleteFromAboutNineTenths) {
    citalopram(1.0f, 0.91f);
    EXPECT_EQ(batches()[0].count(), 68);
    gl_recorder_reset();
    citalopram(1.0f, 0.9f);
    EXPECT_EQ(batches()[0].count(), 67); // trunc(0.99 * 68)
}

TEST_F(Molecules, OddCountAddsOnlyALonePoint) {
    // 25 points: the 12 bonds of the 24-point build plus one point with no partner.
    fluvoksamiini->draw(sininen, 25.5f / 48, 1.0f);
    const GlBatch odd = batches()[0];
    gl_recorder_reset();
    fluvoksamiini->draw(sininen, 24.5f / 48, 1.0f);
    const GlBatch even = batches()[0];
    ASSERT_EQ(odd.count(), 25);
    ASSERT_EQ(even.count(), 24);
    for (int i = 0; i < 24; i++)
        EXPECT_TRUE(vertex(odd, i) == vertex(even, i)) << i;
}

TEST_F(Molecules, NegativeOrNanAmountDrawsNothingAndLeavesTheState) {
    const float amounts[] = {-0.5f, -1e30f, std::numeric_limits<float>::quiet_NaN()};
    for (float a : amounts) {
        gl_recorder_reset();
        serotoniini->draw(punainen, a, 1.0f);
        ASSERT_EQ(batches().size(), 2u);
        EXPECT_EQ(batches()[0].count(), 0);
        EXPECT_EQ(batches()[1].count(), 0);
        EXPECT_TRUE(gl_recorder()->draw.depth_mask);
        EXPECT_EQ(gl_recorder()->draw.line_width, 1.0f);
    }
}

TEST_F(Molecules, MarkerIsASquareOutlineWithAWhiteCore) {
    glColor4f(0.1f, 0.2f, 0.3f, 0.7f);
    square(Vector(2, 3, 0), 0.5f);
    ASSERT_EQ(batches().size(), 2u);
    const float corners[4][2] = {{1.85f, 2.85f}, {2.15f, 2.85f}, {2.15f, 3.15f}, {1.85f, 3.15f}};
    for (int layer = 0; layer < 2; layer++) {
        const GlBatch& b = batches()[layer];
        EXPECT_EQ(b.prim, (GLenum)GL_LINE_LOOP);
        ASSERT_EQ(b.count(), 4);
        for (int i = 0; i < 4; i++) {
            EXPECT_FLOAT_EQ(b.v[i * 3], corners[i][0]) << i;
            EXPECT_FLOAT_EQ(b.v[i * 3 + 1], corners[i][1]) << i;
            EXPECT_EQ(b.v[i * 3 + 2], 0.0f);
        }
    }
    const GlBatch& outline = batches()[0];
    // The outline takes the colour current on entry.
    EXPECT_EQ(outline.c[0], 0.1f);
    EXPECT_EQ(outline.c[3], 0.7f);
    EXPECT_EQ(outline.state.line_width, 4.0f);
    EXPECT_FALSE(outline.state.depth_mask);
    EXPECT_EQ(outline.state.blend_dst, (GLenum)GL_ONE_MINUS_SRC_ALPHA);
    const GlBatch& core = batches()[1];
    EXPECT_EQ(core.c[0], 1.0f);
    EXPECT_FLOAT_EQ(core.c[3], 0.3f);
    EXPECT_EQ(core.state.line_width, 1.0f);
    EXPECT_TRUE(core.state.depth_mask);
    EXPECT_TRUE(core.state.depth_test);
    EXPECT_EQ(core.state.blend_dst, (GLenum)GL_ONE);
}

namespace {

struct ExpectedMarker {
    float r, g, b, x, y;
};
const ExpectedMarker N = {0.1f, 0.1f, 0.8f, 0, 0};
const ExpectedMarker O = {0.8f, 0.1f, 0.1f, 0, 0};
const ExpectedMarker F = {0.5f, 0.3f, 0.65f, 0, 0};
const ExpectedMarker H = {0.2f, 0.6f, 0.2f, 0, 0};
const ExpectedMarker C = {0.2f, 0.2f, 0.2f, 0, 0};

ExpectedMarker at(ExpectedMarker e, float x, float y) {
    e.x = x;
    e.y = y;
    return e;
}

// Checks the marker loops after the two bond batches: element colour, centre, order.
void expect_markers(const std::vector<GlBatch>& bs, const std::vector<ExpectedMarker>& want) {
    ASSERT_EQ(bs.size(), 2 + 2 * want.size());
    for (size_t k = 0; k < want.size(); k++) {
        const GlBatch& b = bs[2 + 2 * k];
        ASSERT_EQ(b.count(), 4);
        float cx = (b.v[0] + b.v[6]) / 2, cy = (b.v[1] + b.v[7]) / 2;
        EXPECT_NEAR(cx, want[k].x, 1e-6f) << "marker " << k;
        EXPECT_NEAR(cy, want[k].y, 1e-6f) << "marker " << k;
        EXPECT_EQ(b.c[0], want[k].r) << "marker " << k;
        EXPECT_EQ(b.c[1], want[k].g) << "marker " << k;
        EXPECT_EQ(b.c[2], want[k].b) << "marker " << k;
    }
}

} // namespace

TEST_F(Molecules, EachFigurePlacesItsMarkersInOrder) {
    fluvoxamine(1, 1);
    expect_markers(batches(),
                   {at(N, 3, -3.5f), at(N, 1, -0.5f), at(O, 1, -1.5f), at(O, -3, -3.5f),
                    at(F, 0, 5), at(F, -1, 4), at(F, 1, 4), at(H, 3.3f, -3.2f), at(H, 3, -3.89f)});
    gl_recorder_reset();
    fluoxetine(1, 1);
    expect_markers(batches(), {at(O, -1, 0.5f), at(N, 3, 0.5f), at(F, -1, 5.5f), at(F, -2, 4.5f),
                               at(F, 0, 4.5f), at(H, 3.3f, 0.2f)});
    gl_recorder_reset();
    citalopram(1, 1);
    expect_markers(batches(),
                   {at(C, 0, -4), at(N, 0, -5), at(O, -1, 0.2f), at(F, 0, 4), at(N, 4, 0)});
    gl_recorder_reset();
    serotonin(1, 1);
    expect_markers(batches(), {at(O, 0, 4), at(N, -4.9f, 1.5f), at(N, -0.5f, -0.3f)});
}

TEST_F(Molecules, FiguresUseTheirColoursAndTables) {
    void (*figures[4])(float, float) = {fluvoxamine, fluoxetine, citalopram, serotonin};
    const Vector* colours[4] = {&sininen, &oranssi, &violetti, &punainen};
    for (int k = 0; k < 4; k++) {
        gl_recorder_reset();
        figures[k](1, 1);
        const GlBatch& body = batches()[0];
        ASSERT_EQ(body.count(), tables[k].count) << tables[k].name;
        EXPECT_EQ(body.c[0], colours[k]->x) << tables[k].name;
        EXPECT_EQ(body.c[1], colours[k]->y) << tables[k].name;
        EXPECT_EQ(body.c[2], colours[k]->z) << tables[k].name;
        EXPECT_TRUE(vertex(body, tables[k].count - 1) == tables[k].last) << tables[k].name;
    }
}

TEST_F(Molecules, EveryFigureLeavesTheSameState) {
    void (*figures[4])(float, float) = {fluvoxamine, fluoxetine, citalopram, serotonin};
    for (auto figure : figures) {
        for (bool blend : {false, true}) {
            gl_recorder_reset();
            // The opposite of what the figures leave.
            glDisable(GL_DEPTH_TEST);
            glDepthMask(GL_FALSE);
            glLineWidth(7.0f);
            glBlendFunc(GL_ONE, GL_ZERO);
            if (blend)
                glEnable(GL_BLEND);
            figure(0.8f, 0.5f);
            const GlDrawState& s = gl_recorder()->draw;
            EXPECT_TRUE(s.depth_test);
            EXPECT_TRUE(s.depth_mask);
            EXPECT_EQ(s.line_width, 1.0f);
            EXPECT_EQ(s.blend_src, (GLenum)GL_SRC_ALPHA);
            EXPECT_EQ(s.blend_dst, (GLenum)GL_ONE);
            // Blending is the caller's: neither switched on nor off.
            EXPECT_EQ(s.blend, blend);
            // White at the last marker's core alpha: 0.8 * 0.5 * 0.6.
            EXPECT_EQ(gl_recorder()->color[0], 1.0f);
            EXPECT_EQ(gl_recorder()->color[1], 1.0f);
            EXPECT_EQ(gl_recorder()->color[2], 1.0f);
            EXPECT_FLOAT_EQ(gl_recorder()->color[3], 0.8f * 0.5f * 0.6f);
            EXPECT_EQ(gl_recorder()->errors, 0);
        }
    }
}

TEST_F(Molecules, DrawnAtTheCurrentOriginAndNothingCachedBetweenCalls) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    glScalef(0.03f, 0.03f, 0.03f);
    GlMat4 mv = gl_recorder_matrix(GL_MODELVIEW);
    serotonin(1, 0.7f);
    size_t once = batches().size();
    serotonin(1, 0.7f);
    ASSERT_EQ(batches().size(), 2 * once);
    for (size_t i = 0; i < once; i++) {
        const GlBatch& a = batches()[i];
        const GlBatch& b = batches()[once + i];
        EXPECT_EQ(a.v, b.v) << i;
        EXPECT_EQ(a.c, b.c) << i;
        for (int j = 0; j < 16; j++)
            EXPECT_EQ(a.mv.m[j], mv.m[j]);
    }
    // The figures do not move the matrix themselves.
    for (int j = 0; j < 16; j++)
        EXPECT_EQ(gl_recorder_matrix(GL_MODELVIEW).m[j], mv.m[j]);
}
