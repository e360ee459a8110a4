// The batch forms of the curve tools against their one-at-a-time originals, bit for bit: the
// scenes swap one for the other, and their frames must not change by a single bit.
#include "engine/curves.h"
#include "engine/path.h"
#include "engine/position.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {

// Lines whose windows lie before, around and after the times probed, some of them empty
// (endTime == startTime) and some starting at 0 as the scenes' do; angles up to +-40 radians.
void fill_lines(Line* lines, int n) {
    unsigned seed = 4711;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return (float)((seed >> 8) & 0xffff) / 65536.0f;
    };
    for (int j = 0; j < n; j++) {
        Line& l = lines[j];
        l.rotStart = Vector(80 * next() - 40, 80 * next() - 40, 80 * next() - 40);
        l.rotEnd = Vector(80 * next() - 40, 80 * next() - 40, 80 * next() - 40);
        l.posStart = Vector(next() - 0.5f, next(), -next());
        l.posEnd = Vector(4 * next(), next() - 0.5f, next());
        l.startTime = j % 3 == 0 ? 0.0f : next() - 0.25f;
        l.endTime = j % 7 == 0 ? l.startTime : l.startTime + 0.5f * next();
        l.halfLength = 0.1f * next();
    }
}

bool same_bits(const Vector& a, const Vector& b) {
    return memcmp(&a, &b, sizeof(Vector)) == 0;
}

// The first point of n where got and want differ in a bit, if any.
::testing::AssertionResult same_points(const Vector* got, const Vector* want, int n) {
    for (int k = 0; k < n; k++)
        if (!same_bits(got[k], want[k]))
            return ::testing::AssertionFailure() << "point " << k;
    return ::testing::AssertionSuccess();
}

// Whether got holds the ends calcPos gives line by line at t, bit for bit.
::testing::AssertionResult ends_as_one_by_one(Line* lines, int n, float t, const Vector* got) {
    std::vector<Vector> one(2 * n);
    for (int j = 0; j < n; j++)
        lines[j].calcPos(t, &one[2 * j], &one[2 * j + 1]);
    return same_points(got, one.data(), 2 * n) << ", t " << t;
}

TEST(Lines, BatchGivesTheSameBitsAsOneByOne) {
    // More than two passes of the batch, and not a whole number of them.
    enum { N = 150 };
    static Line lines[N];
    fill_lines(lines, N);
    const float times[] = {-1.0f, 0.0f, 0.1f, 0.37f, 0.5f, 0.9f, 2.0f};
    for (float t : times) {
        Vector batch[2 * N];
        calcLinePositions(lines, N, t, batch);
        ASSERT_TRUE(ends_as_one_by_one(lines, N, t, batch));
    }
}

TEST(Curves, InlineLerpGivesTheSameBitsAsLerpVector) {
    // Ends of mixed sign and size, and t inside, at and beyond 0..1, where the two roundings of
    // each coordinate would show any change of operation or order.
    const Vector ends[] = {Vector(0.3f, -1.7f, 6.2831845f), Vector(-2.0f, 0.1f, 1e-3f),
                           Vector(1e5f, -3.3e-4f, 0.0f), Vector(-0.0f, 7.75f, -12.5f)};
    for (const Vector& a : ends)
        for (const Vector& b : ends)
            for (int k = -20; k <= 1020; k++) {
                float t = (float)k * 0.000977f;
                ASSERT_TRUE(same_bits(lerpVectorInline(a, b, t), lerpVector(a, b, t))) << "t " << t;
            }
}

TEST(Lines, BatchWritesOnlyTheEndsOfItsLines) {
    Line lines[3];
    fill_lines(lines, 3);
    Vector ends[8];
    const Vector marker(7, 8, 9);
    for (Vector& e : ends)
        e = marker;
    calcLinePositions(lines, 0, 0.5f, ends);
    for (const Vector& e : ends)
        EXPECT_TRUE(e == marker);
    calcLinePositions(lines, 3, 0.5f, ends);
    for (int k = 0; k < 6; k++)
        EXPECT_FALSE(ends[k] == marker) << k;
    EXPECT_TRUE(ends[6] == marker);
    EXPECT_TRUE(ends[7] == marker);
}

TEST(LineTables, AFinishedLineNoLongerMoves) {
    enum { N = 200 };
    static Line lines[N];
    fill_lines(lines, N);
    int finished = 0, running = 0;
    for (float t : {-1.0f, 0.0f, 0.1f, 0.37f, 0.5f, 0.9f, 2.0f}) {
        for (int j = 0; j < N; j++) {
            Line& l = lines[j];
            if (!lineFinished(l, t)) {
                // Still before or inside the window.
                EXPECT_TRUE(t <= l.startTime || t < l.endTime) << "t " << t << " line " << j;
                running++;
                continue;
            }
            finished++;
            EXPECT_EQ(calcPosFloat(t, l.startTime, l.endTime), 1.0f);
            Vector a, b, later_a, later_b;
            l.calcPos(t, &a, &b);
            l.calcPos(t + 10, &later_a, &later_b);
            EXPECT_TRUE(same_bits(a, later_a) && same_bits(b, later_b))
                << "t " << t << " line " << j;
        }
    }
    EXPECT_GT(finished, 100);
    EXPECT_GT(running, 100);
    // At its own end time a line with a window has finished; no line finishes at NaN.
    EXPECT_TRUE(lineFinished(lines[1], lines[1].endTime));
    EXPECT_FALSE(lineFinished(lines[1], NAN));
    // An empty window at 0 is over for any later t but not at 0 itself, where calcPos holds
    // the start.
    EXPECT_FALSE(lineFinished(lines[0], 0.0f));
    EXPECT_TRUE(lineFinished(lines[0], 1e-6f));
}

TEST(LineTables, FinishedTableIsTheEndsAfterTheWindow) {
    enum { N = 150 };
    static Line lines[N];
    fill_lines(lines, N);
    Vector table[2 * N];
    calcFinishedLinePositions(lines, N, table);
    // Past every window, calcPos gives the finished ends.
    EXPECT_TRUE(ends_as_one_by_one(lines, N, 5.0f, table));
}

TEST(LineTables, PositionsFromTheTableMatchTheFullBatch) {
    // More than two passes of the batch, and not a whole number of them.
    enum { N = 333 };
    static Line lines[N];
    fill_lines(lines, N);
    static Vector table[2 * N];
    calcFinishedLinePositions(lines, N, table);
    const float times[] = {-1.0f, 0.0f, 0.1f, 0.37f, 0.5f, 0.9f, 2.0f, lines[5].endTime};
    for (float t : times) {
        static Vector cached[2 * N], full[2 * N];
        calcLinePositionsFrom(lines, N, t, table, cached);
        calcLinePositions(lines, N, t, full);
        ASSERT_TRUE(same_points(cached, full, 2 * N)) << "t " << t;
    }
}

TEST(LineTables, ZeroLengthsKeepTheSignsOfTheFullProducts) {
    // With no length the ends are the centre plus signed zeros, which a centre of -0 shows.
    enum { N = 80 };
    static Line lines[N];
    fill_lines(lines, N);
    for (int j = 0; j < N; j++) {
        lines[j].halfLength = j % 2 ? 0.0f : -0.0f;
        lines[j].posStart = Vector(-0.0f, -0.0f, -0.0f);
        lines[j].posEnd = Vector(-0.0f, -0.0f, -0.0f);
    }
    Vector batch[2 * N];
    for (float t : {0.0f, 0.3f, 2.0f}) {
        calcLinePositions(lines, N, t, batch);
        ASSERT_TRUE(ends_as_one_by_one(lines, N, t, batch));
        int positive = 0;
        for (int k = 0; k < 2 * N; k++)
            positive += !std::signbit(batch[k].x);
        // Both signs occur, so the case is really probed.
        EXPECT_GT(positive, 0);
        EXPECT_LT(positive, 2 * N);
    }
}

TEST(LineTables, PositionsFromTheTableMatchOneByOne) {
    // Against calcPos itself, also at the windows' own ends where the fraction switches.
    enum { N = 150 };
    static Line lines[N];
    fill_lines(lines, N);
    static Vector table[2 * N];
    calcFinishedLinePositions(lines, N, table);
    for (float t : {-0.2f, 0.05f, 0.45f, 1.5f, lines[2].startTime, lines[2].endTime}) {
        static Vector cached[2 * N];
        calcLinePositionsFrom(lines, N, t, table, cached);
        ASSERT_TRUE(ends_as_one_by_one(lines, N, t, cached));
    }
}

TEST(LineTables, PositionsFromTheTableWriteOnlyTheirLines) {
    Line lines[70];
    fill_lines(lines, 70);
    Vector table[140];
    calcFinishedLinePositions(lines, 70, table);
    Vector ends[142];
    const Vector marker(7, 8, 9);
    for (Vector& e : ends)
        e = marker;
    calcLinePositionsFrom(lines, 0, 0.5f, table, ends);
    for (const Vector& e : ends)
        EXPECT_TRUE(e == marker);
    calcLinePositionsFrom(lines, 70, 0.5f, table, ends);
    for (int k = 0; k < 140; k++)
        EXPECT_FALSE(ends[k] == marker) << k;
    EXPECT_TRUE(ends[140] == marker);
    EXPECT_TRUE(ends[141] == marker);
}

// A path of n points wandering in all three coordinates.
void fill_path(Path* p, int n) {
    for (int k = 0; k < n; k++)
        p->addpoint(Vector(0.37f * (float)(k * k) - 3, 1.5f * (float)(k % 3), 7 - 0.9f * (float)k));
}

// Parameters across, before and beyond the path, on the segment joins, and the odd ones.
std::vector<float> path_parameters() {
    std::vector<float> t;
    unsigned seed = 99;
    for (int k = 0; k < 300; k++) {
        seed = seed * 1103515245u + 12345u;
        t.push_back((float)((seed >> 8) & 0xffff) / 65536.0f * 1.6f - 0.3f);
    }
    for (float j : {0.0f, 0.2f, 0.25f, 1.0f / 3, 0.5f, 0.6f, 2.0f / 3, 0.75f, 0.8f, 1.0f})
        t.push_back(j);
    for (float odd : {-1e12f, 1e12f, -INFINITY, INFINITY, NAN, -0.0f, 1.0000001f, 0.9999999f})
        t.push_back(odd);
    return t;
}

TEST(PathBatches, ValuesAndCursorAsOneByOne) {
    // From one point to past the longest path the batch tables (which goes point by point).
    for (int n : {1, 2, 3, 4, 6, 16, 17, 40}) {
        Path batch, one;
        fill_path(&batch, n);
        fill_path(&one, n);
        std::vector<float> t = path_parameters();
        // More than one run of the batch, and not a whole number of them.
        std::vector<Vector> got(t.size());
        batch.getValues(t.data(), got.data(), (int)t.size());
        for (size_t k = 0; k < t.size(); k++) {
            Vector want = one.getValue(t[k]);
            ASSERT_TRUE(same_bits(got[k], want)) << n << " points, t " << t[k];
        }
        EXPECT_EQ(batch.points->getCurrentNodeNumber(), one.points->getCurrentNodeNumber()) << n;
        // The cursor as the last single call leaves it, also for runs ending elsewhere.
        for (int m : {1, 63, 64, 65}) {
            batch.getValues(t.data() + 5, got.data(), m);
            one.getValue(t[5 + m - 1]);
            EXPECT_EQ(batch.points->getCurrentNodeNumber(), one.points->getCurrentNodeNumber())
                << n << " points, run " << m;
        }
    }
}

TEST(PathBatches, AChangedListIsWalked) {
    // Removing the last point leaves the index stale; the batch must follow the list.
    Path batch, one;
    fill_path(&batch, 6);
    fill_path(&one, 6);
    for (Path* p : {&batch, &one})
        p->points->removeLast();
    std::vector<float> t = path_parameters();
    std::vector<Vector> got(t.size());
    batch.getValues(t.data(), got.data(), (int)t.size());
    for (size_t k = 0; k < t.size(); k++)
        ASSERT_TRUE(same_bits(got[k], one.getValue(t[k]))) << "t " << t[k];
    // Nothing to do for an empty run.
    batch.getValues(t.data(), got.data(), 0);
}

TEST(PathBatches, AnEmptyPathGivesZeros) {
    Path p;
    float t[3] = {0, 0.5f, 1};
    Vector got[3] = {Vector(1, 1, 1), Vector(1, 1, 1), Vector(1, 1, 1)};
    p.getValues(t, got, 3);
    for (const Vector& v : got)
        EXPECT_TRUE(v == Vector(0, 0, 0));
}

} // namespace
