// Hermite segments, paths, moving lines and the cursor list behind paths: the values at and
// beyond the ends, the cursor rules and who releases what.
#include "engine/curves.h"
#include "engine/gl.h"
#include "engine/glrecorder.h"
#include "engine/list.h"
#include "engine/path.h"

#include <cstring>
#include <gtest/gtest.h>
#include <malloc.h>
#include <new>
#ifdef __SANITIZE_ADDRESS__
// The sanitizer runtime's allocator statistics (GCC ships no header declaring it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

static void expect_vec(Vector v, float x, float y, float z, float eps = 1e-6f) {
    EXPECT_NEAR(v.x, x, eps);
    EXPECT_NEAR(v.y, y, eps);
    EXPECT_NEAR(v.z, z, eps);
}

// Bytes the process holds from the allocator, in the heap and in mapped blocks.
static size_t heap_in_use() {
#ifdef __SANITIZE_ADDRESS__
    // The sanitizer's allocator stands in for malloc's, whose statistics then read zero.
    return __sanitizer_get_current_allocated_bytes();
#else
    struct mallinfo2 mi = mallinfo2();
    return mi.uordblks + mi.hblkhd;
#endif
}

// Bytes given back since `before`; negative when more is held now.
static long long released_since(size_t before) {
    return (long long)before - (long long)heap_in_use();
}

static Path* straight_path() {
    Path* p = new Path();
    p->addpoint(Vector(0, 0, 0));
    p->addpoint(Vector(1, 0, 0));
    p->addpoint(Vector(2, 0, 0));
    return p;
}

TEST(Curves, LerpVectorInterpolatesAndExtrapolates) {
    Vector a(1, 2, 3), b(3, -2, 7);
    EXPECT_TRUE(lerpVector(a, b, 0) == a);
    EXPECT_TRUE(lerpVector(a, b, 1) == b);
    expect_vec(lerpVector(a, b, 0.5f), 2, 0, 5);
    expect_vec(lerpVector(a, b, 2), 5, -6, 11);
}

TEST(Curves, CatmullRomPassesThroughTheInnerPoints) {
    EXPECT_FLOAT_EQ(catmullromValue(0, 4, -1, 3, 9), -1);
    EXPECT_FLOAT_EQ(catmullromValue(1, 4, -1, 3, 9), 3);
    // Evenly spaced values lie on a line, so the spline is that line.
    EXPECT_FLOAT_EQ(catmullromValue(0.25f, 0, 1, 2, 3), 1.25f);
}

TEST(Curves, HermiteEndsTangentsAndDefault) {
    HermiteCurve zero;
    expect_vec(zero.getValue(0.3f), 0, 0, 0);
    expect_vec(zero.getValue(-4), 0, 0, 0);

    HermiteCurve c(Vector(1, 2, 3), Vector(1, 0, 0), Vector(0, 5, 0), Vector(4, -1, 2));
    EXPECT_TRUE(c.getValue(0) == Vector(1, 2, 3));
    EXPECT_TRUE(c.getValue(1) == Vector(4, -1, 2));
    // Argument order of value: start point, start tangent, end tangent, end point.
    EXPECT_FLOAT_EQ(c.value(0, 1, 0, 0, 0.5f), 0.125f);
    EXPECT_FLOAT_EQ(c.value(0, 0, 1, 0, 0.5f), -0.125f);
    // The derivative reproduces the tangents at the ends and the slope between.
    expect_vec(c.getDerivative(0), 1, 0, 0, 1e-5f);
    expect_vec(c.getDerivative(1), 0, 5, 0, 1e-5f);
    Vector ahead = c.getValue(0.401f), behind = c.getValue(0.399f);
    Vector slope = (ahead - behind) * (1.0f / 0.002f);
    expect_vec(c.getDerivative(0.4f), slope.x, slope.y, slope.z, 2e-2f);

    c.set(Vector(0, 0, 0), Vector(2, 0, 0), Vector(0, 0, 0), Vector(2, 0, 0));
    EXPECT_TRUE(c.start == Vector(0, 0, 0));
    EXPECT_TRUE(c.startTangent == Vector(2, 0, 0));
    EXPECT_TRUE(c.endTangent == Vector(0, 0, 0));
    EXPECT_TRUE(c.end == Vector(2, 0, 0));
}

TEST(Paths, ValuesAlongThreeCollinearPoints) {
    Path* p = straight_path();
    EXPECT_EQ(p->count, 3);
    EXPECT_EQ(p->points->getNodeCount(), 3);
    expect_vec(p->getValue(0), 0, 0, 0);
    expect_vec(p->getValue(0.25f), 0.5f, 0, 0);
    expect_vec(p->getValue(0.5f), 1, 0, 0);
    // The last segment has a zero end tangent and eases in.
    expect_vec(p->getValue(0.75f), 1.625f, 0, 0);
    EXPECT_TRUE(p->getValue(1) == Vector(2, 0, 0));
    delete p;
}

TEST(Paths, BeyondTheLastPointHolds) {
    Path* p = straight_path();
    EXPECT_FLOAT_EQ(p->getValue(1.3f).x, 2);
    EXPECT_TRUE(p->getValue(1.5f) == Vector(2, 0, 0));
    EXPECT_TRUE(p->getValue(7) == Vector(2, 0, 0));
    // Far outside the range the walk stays on the list: the end points, not a crash.
    EXPECT_TRUE(p->getValue(1e12f) == Vector(2, 0, 0));
    EXPECT_TRUE(p->getValue(-1e12f) == Vector(0, 0, 0));
    // Evaluation leaves the cursor on a node of the list and the points untouched.
    EXPECT_TRUE(p->points->isAtEnd());
    EXPECT_TRUE(*(Vector*)p->points->getFirst() == Vector(0, 0, 0));
    delete p;
}

TEST(Paths, BeforeTheFirstPointEvaluatesTheFirstSegmentAtTheFraction) {
    Path p;
    for (int k = 0; k <= 10; k++)
        p.addpoint(Vector((float)k, (float)(k * k), 0));
    // s = -0.3, i = -1, so u = 0.7 of the segment from p0 to p1 with tangents (1,1) and (1,3).
    expect_vec(p.getValue(-0.03f), 0.7f, 0.406f, 0, 1e-5f);
    // The cursor went from the first node two steps on for the segment's far points.
    EXPECT_EQ(p.points->getCurrentNodeNumber(), 2);
    // Each segment takes an equal share: t = 0.5 is exactly point 5.
    EXPECT_TRUE(p.getValue(0.5f) == Vector(5, 25, 0));
}

TEST(Paths, TwoPointsOneEasingSegment) {
    Path p;
    p.addpoint(Vector(0, 0, 0));
    p.addpoint(Vector(2, 0, 0));
    // Start tangent 2, end tangent 0: 0.125 * 2 + 0.5 * 2.
    expect_vec(p.getValue(0.5f), 1.25f, 0, 0);
    EXPECT_TRUE(p.getValue(1) == Vector(2, 0, 0));
}

TEST(Paths, OnePointEverywhereAndEmptyAtTheOrigin) {
    Path one;
    one.addpoint(Vector(3, -1, 2));
    EXPECT_TRUE(one.getValue(0) == Vector(3, -1, 2));
    EXPECT_TRUE(one.getValue(0.6f) == Vector(3, -1, 2));
    EXPECT_TRUE(one.getValue(-2) == Vector(3, -1, 2));
    Path empty;
    EXPECT_TRUE(empty.getValue(0.5f) == Vector(0, 0, 0));
}

TEST(Paths, AddpointStoresACopy) {
    Path p;
    Vector v(1, 1, 1);
    p.addpoint(v);
    v.x = 9;
    EXPECT_TRUE(*(Vector*)p.points->getLast() == Vector(1, 1, 1));
}

TEST(Paths, DeletingAPathReleasesItsPoints) {
    Path* p = new Path();
    for (int k = 0; k < 2000; k++)
        p->addpoint(Vector((float)k, 0, 0));
    size_t before = heap_in_use();
    delete p;
    // 2000 points and 2000 nodes at the very least.
    EXPECT_GE(released_since(before),
              (long long)(2000 * (sizeof(Vector) + sizeof(ListaKoskaEngineEiToiminSolmu))));
}

class PathDraw : public ::testing::Test {
  protected:
    void SetUp() override {
        gl_use_recorder();
        gl_recorder_reset();
    }
    void TearDown() override { gl_use_null(); }
};

TEST_F(PathDraw, OneWhiteStripWithoutTextureInsidePushedGroups) {
    Path* p = straight_path();
    glEnable(GL_TEXTURE_2D);
    p->draw();
    GlRecorder* r = gl_recorder();
    ASSERT_EQ(r->batches.size(), 1u);
    const GlBatch& b = r->batches[0];
    EXPECT_EQ(b.prim, (GLenum)GL_LINE_STRIP);
    EXPECT_FALSE(b.state.texture);
    // t runs 0, 0.005, ... while below 1: about 200 samples, never reaching t = 1.
    EXPECT_GE(b.count(), 200);
    EXPECT_LE(b.count(), 201);
    EXPECT_EQ(b.v[0], 0);
    EXPECT_LE(b.v[3 * (b.count() - 1)], 2);
    EXPECT_GT(b.v[3 * (b.count() - 1)], 1.99f);
    for (int k = 0; k < b.count(); k++)
        EXPECT_EQ(b.c[4 * k] + b.c[4 * k + 1] + b.c[4 * k + 2] + b.c[4 * k + 3], 4);
    // Enable group first, then current group, both popped: texturing is back on.
    std::vector<double> masks;
    for (const GlCall& c : r->calls)
        if (std::string(c.name) == "glPushAttrib")
            masks.push_back(c.a[0]);
    ASSERT_EQ(masks.size(), 2u);
    EXPECT_EQ(masks[0], (double)GL_ENABLE_BIT);
    EXPECT_EQ(masks[1], (double)GL_CURRENT_BIT);
    EXPECT_EQ(gl_recorder_count("glPopAttrib"), 2);
    EXPECT_TRUE(r->draw.texture);
    EXPECT_TRUE(r->attrib_stack.empty());
    EXPECT_EQ(r->errors, 0);
    delete p;
}

TEST(Lines, HeldAtTheStartBeforeTheWindow) {
    Line l;
    l.rotStart = Vector(0, 0, 0);
    l.rotEnd = Vector(0, 0, 1.570796f);
    l.posStart = Vector(1, 2, 3);
    l.posEnd = Vector(11, 2, 3);
    l.startTime = 10;
    l.endTime = 20;
    l.halfLength = 0.5f;
    Vector a, b;
    l.calcPos(5, &a, &b);
    EXPECT_TRUE(a == Vector(1.5f, 2, 3));
    EXPECT_TRUE(b == Vector(0.5f, 2, 3));
    l.calcPos(10, &a, &b);
    EXPECT_TRUE(a == Vector(1.5f, 2, 3));

    // After the window: the end values; a quarter turn about z takes +x to -y.
    l.calcPos(25, &a, &b);
    expect_vec(a, 11, 1.5f, 3);
    expect_vec(b, 11, 2.5f, 3);

    // Halfway: the centre halfway, an eighth turn.
    l.calcPos(15, &a, &b);
    Vector mid = (a + b) * 0.5f;
    expect_vec(mid, 6, 2, 3);
    expect_vec(a - mid, 0.5f * 0.7071068f, -0.5f * 0.7071068f, 0);
}

TEST(List, FreshAndAddedListsHaveNoCursor) {
    ListaKoskaEngineEiToimi l;
    EXPECT_EQ(l.count, 0);
    EXPECT_EQ(l.first, nullptr);
    EXPECT_EQ(l.current, nullptr);
    EXPECT_EQ(l.last, nullptr);
    EXPECT_EQ(l.remove(), 0);
    EXPECT_EQ(l.removeLast(), 0);
    EXPECT_EQ(l.goToStart(), 0);
    // A refused insert takes no ownership: the pointer stays the caller's to free.
    int* refused = new int(1);
    EXPECT_EQ(l.insert(refused), 0);
    EXPECT_EQ(l.count, 0);
    delete refused;
    l.destroy();
    EXPECT_EQ(l.count, 0);

    int* a = new int(1);
    int* b = new int(2);
    EXPECT_EQ(l.add(a), 1);
    EXPECT_EQ(l.first, l.last);
    EXPECT_EQ(l.first->prev, nullptr);
    EXPECT_EQ(l.first->next, nullptr);
    EXPECT_EQ(l.add(b), 1);
    EXPECT_EQ(l.current, nullptr);
    EXPECT_EQ(l.getFirst(), a);
    EXPECT_EQ(l.getLast(), b);
    EXPECT_EQ(l.first->next, l.last);
    EXPECT_EQ(l.last->prev, l.first);
    EXPECT_EQ(l.goToStart(), 1);
    EXPECT_EQ(l.getCurrentNodeNumber(), 0);
    l.destroy();
}

static void fill(ListaKoskaEngineEiToimi* l, int n) {
    for (int k = 0; k < n; k++)
        l->add(new int(k));
}

static int at_cursor(ListaKoskaEngineEiToimi* l) {
    return *(int*)l->getCurrent();
}

TEST(List, WalksStopAtTheEnds) {
    ListaKoskaEngineEiToimi l;
    fill(&l, 4);
    EXPECT_EQ(l.goToNode(0), 0);
    EXPECT_TRUE(l.isAtStart());
    EXPECT_EQ(l.goToNode(-3), 0);
    EXPECT_TRUE(l.isAtStart());
    EXPECT_EQ(l.goToNode(2), 1);
    EXPECT_EQ(at_cursor(&l), 2);
    EXPECT_EQ(l.getCurrentNodeNumber(), 2);
    EXPECT_EQ(l.goToNode(9), 0);
    EXPECT_TRUE(l.isAtEnd());
    EXPECT_EQ(l.getCurrentNodeNumber(), 3);
    EXPECT_EQ(l.goForward(), 0);
    EXPECT_EQ(at_cursor(&l), 3);
    EXPECT_EQ(l.goBackwards(), 1);
    EXPECT_EQ(at_cursor(&l), 2);
    l.goToStart();
    EXPECT_EQ(l.goBackwards(), 0);
    EXPECT_EQ(at_cursor(&l), 0);
    EXPECT_EQ(l.goToEnd(), 1);
    EXPECT_EQ(at_cursor(&l), 3);
    l.destroy();
}

TEST(List, InsertGoesAfterTheCursor) {
    ListaKoskaEngineEiToimi l;
    fill(&l, 3);
    l.goToNode(1);
    EXPECT_EQ(l.insert(new int(10)), 1);
    EXPECT_EQ(l.count, 4);
    EXPECT_EQ(at_cursor(&l), 1);
    l.goForward();
    EXPECT_EQ(at_cursor(&l), 10);
    EXPECT_EQ(l.current->prev->next, l.current);
    EXPECT_EQ(l.current->next->prev, l.current);
    // At the last node insert appends and the cursor stays.
    l.goToEnd();
    EXPECT_EQ(l.insert(new int(20)), 1);
    EXPECT_EQ(*(int*)l.getLast(), 20);
    EXPECT_EQ(at_cursor(&l), 2);
    EXPECT_EQ(l.last->next, nullptr);
    int walk[5], n = 0;
    for (ListaKoskaEngineEiToiminSolmu* s = l.first; s; s = s->next)
        walk[n++] = *(int*)s->data;
    ASSERT_EQ(n, 5);
    EXPECT_EQ(walk[0], 0);
    EXPECT_EQ(walk[1], 1);
    EXPECT_EQ(walk[2], 10);
    EXPECT_EQ(walk[3], 2);
    EXPECT_EQ(walk[4], 20);
    l.destroy();
}

TEST(List, RemovingMovesTheCursorOn) {
    ListaKoskaEngineEiToimi l;
    fill(&l, 5);
    // Middle: the cursor goes to the following node.
    l.goToNode(2);
    EXPECT_EQ(l.remove(), 1);
    EXPECT_EQ(l.count, 4);
    EXPECT_EQ(at_cursor(&l), 3);
    EXPECT_EQ(l.current->prev->next, l.current);
    EXPECT_EQ(*(int*)l.current->prev->data, 1);
    // First: the second node becomes first.
    l.goToStart();
    EXPECT_EQ(l.remove(), 1);
    EXPECT_EQ(at_cursor(&l), 1);
    EXPECT_TRUE(l.isAtStart());
    EXPECT_EQ(l.first->prev, nullptr);
    // Last while it is the cursor: the cursor moves to the new last.
    l.goToEnd();
    EXPECT_EQ(l.remove(), 1);
    EXPECT_TRUE(l.isAtEnd());
    EXPECT_EQ(at_cursor(&l), 3);
    EXPECT_EQ(l.last->next, nullptr);
    // removeLast with the cursor elsewhere leaves the cursor.
    l.goToStart();
    EXPECT_EQ(l.removeLast(), 1);
    EXPECT_EQ(at_cursor(&l), 1);
    EXPECT_EQ(l.count, 1);
    EXPECT_EQ(l.first, l.last);
    EXPECT_EQ(l.remove(), 1);
    EXPECT_EQ(l.count, 0);
    EXPECT_EQ(l.first, nullptr);
    EXPECT_EQ(l.current, nullptr);
    EXPECT_EQ(l.last, nullptr);
}

TEST(List, DestroyEmptiesEverything) {
    ListaKoskaEngineEiToimi l;
    fill(&l, 6);
    l.goToNode(3);
    l.destroy();
    EXPECT_EQ(l.count, 0);
    EXPECT_EQ(l.first, nullptr);
    EXPECT_EQ(l.current, nullptr);
    EXPECT_EQ(l.last, nullptr);
    // Usable again afterwards.
    fill(&l, 1);
    EXPECT_EQ(l.count, 1);
    l.destroy();
}

// Large enough that its release shows in the allocator's figures beyond any noise.
static const size_t BIG_BLOCK = 1 << 20;

TEST(List, RemovingANodeReleasesItsObject) {
    ListaKoskaEngineEiToimi l;
    fill(&l, 2);
    l.add(::operator new(BIG_BLOCK));
    fill(&l, 2);
    l.goToNode(2);
    size_t before = heap_in_use();
    EXPECT_EQ(l.remove(), 1);
    EXPECT_GE(released_since(before), (long long)BIG_BLOCK);

    // setCurrent frees the old data too; node's set does not.
    l.setCurrent(::operator new(BIG_BLOCK));
    int* seven = new int(7); // allocated before the reading, which counts bytes exactly
    before = heap_in_use();
    l.setCurrent(seven);
    EXPECT_GE(released_since(before), (long long)BIG_BLOCK);
    EXPECT_EQ(at_cursor(&l), 7);

    l.goToEnd();
    void* big = ::operator new(BIG_BLOCK);
    l.setCurrent(big);
    before = heap_in_use();
    EXPECT_EQ(l.removeLast(), 1);
    EXPECT_GE(released_since(before), (long long)BIG_BLOCK);

    ListaKoskaEngineEiToiminSolmu node(nullptr);
    int keep = 5;
    node.set(&keep);
    EXPECT_EQ(node.data, &keep);
    l.destroy();
}
