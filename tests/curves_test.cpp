// Hermite segments, paths, moving lines and the cursor list behind paths: the values at and
// beyond the ends, the cursor rules and who releases what.
#include "engine/curves.h"
#include "engine/list.h"
#include "engine/path.h"
#include "tests/batches.h"

#include <gtest/gtest.h>
#include <malloc.h>
#include <new>
#include <vector>
#ifdef __SANITIZE_ADDRESS__
// The sanitizer runtime's allocator statistics (GCC ships no header declaring it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

// Bytes the process holds from the allocator, in the heap and in mapped blocks.
size_t heap_in_use() {
#ifdef __SANITIZE_ADDRESS__
    // The sanitizer's allocator stands in for malloc's, whose statistics then read zero.
    return __sanitizer_get_current_allocated_bytes();
#else
    struct mallinfo2 mi = mallinfo2();
    return mi.uordblks + mi.hblkhd;
#endif
}

// Bytes given back since `before`; negative when more is held now.
long long released_since(size_t before) {
    return (long long)before - (long long)heap_in_use();
}

} // namespace

TEST(Curves, HermiteAndCatmullRomMeetTheirEnds) {
    HermiteCurve zero;
    expect_near(zero.getValue(0.3f), Vector(0, 0, 0), 0, "default curve");
    HermiteCurve c(Vector(1, 2, 3), Vector(1, 0, 0), Vector(0, 5, 0), Vector(4, -1, 2));
    EXPECT_TRUE(c.getValue(0) == Vector(1, 2, 3));
    EXPECT_TRUE(c.getValue(1) == Vector(4, -1, 2));
    // Argument order of value: start point, start tangent, end tangent, end point.
    EXPECT_FLOAT_EQ(c.value(0, 1, 0, 0, 0.5f), 0.125f);
    EXPECT_FLOAT_EQ(c.value(0, 0, 1, 0, 0.5f), -0.125f);
    expect_near(c.getDerivative(0), Vector(1, 0, 0), 1e-5f, "start tangent");
    expect_near(c.getDerivative(1), Vector(0, 5, 0), 1e-5f, "end tangent");
    EXPECT_FLOAT_EQ(catmullromValue(0, 4, -1, 3, 9), -1);
    EXPECT_FLOAT_EQ(catmullromValue(1, 4, -1, 3, 9), 3);
}

TEST(Paths, ValuesWithinBeyondAndBeforeTheirPoints) {
    const std::vector<Vector> line = {Vector(0, 0, 0), Vector(1, 0, 0), Vector(2, 0, 0)};
    std::vector<Vector> parabola;
    for (int k = 0; k <= 10; k++)
        parabola.push_back(Vector((float)k, (float)(k * k), 0));
    const struct {
        std::vector<Vector> points;
        float t;
        Vector value;
    } cases[] = {
        // Equal shares of t per segment; the last segment's end tangent is zero.
        {line, 0, line[0]},
        {line, 0.25f, Vector(0.5f, 0, 0)},
        {line, 0.5f, line[1]},
        {line, 0.75f, Vector(1.625f, 0, 0)},
        {line, 1, line[2]},
        {parabola, 0.5f, parabola[5]},
        // Beyond the last point it holds, however far; far before the first, the first.
        {line, 1.3f, line[2]},
        {line, 1e12f, line[2]},
        {line, -1e12f, line[0]},
        // Just before the first point: the first segment at the fraction, s = -0.3 -> u = 0.7.
        {parabola, -0.03f, Vector(0.7f, 0.406f, 0)},
        {{Vector(0, 0, 0), Vector(2, 0, 0)}, 0.5f, Vector(1.25f, 0, 0)},
        {{Vector(3, -1, 2)}, 0.6f, Vector(3, -1, 2)},
        {{Vector(3, -1, 2)}, -2, Vector(3, -1, 2)},
        {{}, 0.5f, Vector(0, 0, 0)},
    };
    for (const auto& c : cases) {
        Path p;
        for (const Vector& v : c.points)
            p.addpoint(v);
        expect_near(p.getValue(c.t), c.value, 1e-5f, "path value");
        EXPECT_EQ(p.count, (int)c.points.size());
    }
    // The path keeps a copy of each point.
    Path p;
    Vector v(1, 1, 1);
    p.addpoint(v);
    v.x = 9;
    EXPECT_TRUE(p.getValue(0) == Vector(1, 1, 1));
}

TEST(Lines, HeldBeforeTheirWindowAndAtTheEndAfterIt) {
    Line l;
    l.rotStart = Vector(0, 0, 0);
    l.rotEnd = Vector(0, 0, 1.570796f);
    l.posStart = Vector(1, 2, 3);
    l.posEnd = Vector(11, 2, 3);
    l.startTime = 10;
    l.endTime = 20;
    l.halfLength = 0.5f;
    // A quarter turn about z takes +x to -y; halfway, an eighth turn about the middle centre.
    const struct {
        float t;
        Vector a, b;
    } cases[] = {{5, Vector(1.5f, 2, 3), Vector(0.5f, 2, 3)},
                 {10, Vector(1.5f, 2, 3), Vector(0.5f, 2, 3)},
                 {15, Vector(6 + 0.35355339f, 2 - 0.35355339f, 3),
                  Vector(6 - 0.35355339f, 2 + 0.35355339f, 3)},
                 {20, Vector(11, 1.5f, 3), Vector(11, 2.5f, 3)},
                 {25, Vector(11, 1.5f, 3), Vector(11, 2.5f, 3)}};
    for (const auto& c : cases) {
        Vector a, b;
        l.calcPos(c.t, &a, &b);
        expect_near(a, c.a, 1e-5f, "first end");
        expect_near(b, c.b, 1e-5f, "second end");
    }
}

namespace {

void fill(ListaKoskaEngineEiToimi* l, int n) {
    for (int k = 0; k < n; k++)
        l->add(new int(k));
}

int at_cursor(ListaKoskaEngineEiToimi* l) {
    return *(int*)l->getCurrent();
}

// The list's values from first to last, checking the back links on the way.
std::vector<int> walk(const ListaKoskaEngineEiToimi& l) {
    std::vector<int> out;
    for (ListaKoskaEngineEiToiminSolmu* s = l.first; s; s = s->next) {
        EXPECT_EQ(s->prev ? s->prev->next : l.first, s);
        out.push_back(*(int*)s->data);
    }
    EXPECT_EQ(l.count, (int)out.size());
    return out;
}

} // namespace

TEST(List, EmptyAndFreshListsHaveNoCursorAndRefuseWhatNeedsOne) {
    ListaKoskaEngineEiToimi l;
    EXPECT_EQ(l.remove(), 0);
    EXPECT_EQ(l.removeLast(), 0);
    EXPECT_EQ(l.goToStart(), 0);
    // A refused insert takes no ownership: the pointer stays the caller's to free.
    int* refused = new int(1);
    EXPECT_EQ(l.insert(refused), 0);
    delete refused;
    fill(&l, 2);
    EXPECT_EQ(l.current, nullptr); // adding does not move the cursor
    EXPECT_EQ(walk(l), std::vector<int>({0, 1}));
    l.destroy();
}

TEST(List, WalksStopAtTheEnds) {
    ListaKoskaEngineEiToimi l;
    fill(&l, 4);
    EXPECT_EQ(l.goToNode(-3), 0);
    EXPECT_TRUE(l.isAtStart());
    EXPECT_EQ(l.goToNode(2), 1);
    EXPECT_EQ(at_cursor(&l), 2);
    EXPECT_EQ(l.goToNode(9), 0);
    EXPECT_EQ(l.getCurrentNodeNumber(), 3);
    EXPECT_EQ(l.goForward(), 0);
    EXPECT_EQ(at_cursor(&l), 3);
    l.goToStart();
    EXPECT_EQ(l.goBackwards(), 0);
    EXPECT_EQ(at_cursor(&l), 0);
    l.destroy();
}

TEST(List, InsertGoesAfterTheCursorAndRemoveMovesItOn) {
    ListaKoskaEngineEiToimi l;
    fill(&l, 3);
    l.goToNode(1);
    EXPECT_EQ(l.insert(new int(10)), 1);
    EXPECT_EQ(at_cursor(&l), 1);
    l.goToEnd();
    EXPECT_EQ(l.insert(new int(20)), 1); // at the last node: appended, the cursor stays
    EXPECT_EQ(at_cursor(&l), 2);
    EXPECT_EQ(walk(l), std::vector<int>({0, 1, 10, 2, 20}));
    // Removing moves the cursor to the following node, or to the new last from the last.
    l.goToNode(2);
    EXPECT_EQ(l.remove(), 1);
    EXPECT_EQ(at_cursor(&l), 2);
    l.goToStart();
    EXPECT_EQ(l.remove(), 1);
    EXPECT_TRUE(l.isAtStart());
    l.goToEnd();
    EXPECT_EQ(l.remove(), 1);
    EXPECT_TRUE(l.isAtEnd());
    EXPECT_EQ(walk(l), std::vector<int>({1, 2}));
    l.goToStart();
    EXPECT_EQ(l.removeLast(), 1); // the cursor elsewhere stays
    EXPECT_EQ(at_cursor(&l), 1);
    EXPECT_EQ(l.remove(), 1);
    EXPECT_EQ(l.first, nullptr);
    EXPECT_EQ(l.current, nullptr);
    EXPECT_EQ(l.last, nullptr);
    fill(&l, 1); // usable again
    EXPECT_EQ(walk(l), std::vector<int>({0}));
    l.destroy();
    EXPECT_EQ(l.count, 0);
}

// Large enough that its release shows in the allocator's figures beyond any noise.
static const size_t BIG_BLOCK = 1 << 20;

TEST(List, RemovedAndReplacedDataIsReleasedAndAPathsPointsWithIt) {
    ListaKoskaEngineEiToimi l;
    fill(&l, 2);
    l.add(::operator new(BIG_BLOCK));
    fill(&l, 2);
    l.goToNode(2);
    size_t before = heap_in_use();
    EXPECT_EQ(l.remove(), 1);
    EXPECT_GE(released_since(before), (long long)BIG_BLOCK);
    l.setCurrent(::operator new(BIG_BLOCK));
    int* seven = new int(7); // allocated before the reading, which counts bytes exactly
    before = heap_in_use();
    l.setCurrent(seven);
    EXPECT_GE(released_since(before), (long long)BIG_BLOCK);
    l.goToEnd();
    l.setCurrent(::operator new(BIG_BLOCK));
    before = heap_in_use();
    EXPECT_EQ(l.removeLast(), 1);
    EXPECT_GE(released_since(before), (long long)BIG_BLOCK);
    l.destroy();

    Path* p = new Path();
    for (int k = 0; k < 2000; k++)
        p->addpoint(Vector((float)k, 0, 0));
    before = heap_in_use();
    delete p;
    EXPECT_GE(released_since(before),
              (long long)(2000 * (sizeof(Vector) + sizeof(ListaKoskaEngineEiToiminSolmu))));
}
