// The batch forms of the curve tools against their one-at-a-time originals, bit for bit: the
// scenes swap one for the other, and their frames must not change by a single bit.
#include "engine/curves.h"
#include "engine/position.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

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
    Vector table[2 * N], one[2 * N];
    calcFinishedLinePositions(lines, N, table);
    for (int j = 0; j < N; j++) {
        // Past every window, calcPos gives the finished ends.
        lines[j].calcPos(5.0f, &one[2 * j], &one[2 * j + 1]);
        ASSERT_TRUE(same_bits(table[2 * j], one[2 * j])) << j;
        ASSERT_TRUE(same_bits(table[2 * j + 1], one[2 * j + 1])) << j;
    }
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
        for (int k = 0; k < 2 * N; k++)
            ASSERT_TRUE(same_bits(cached[k], full[k])) << "t " << t << " point " << k;
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

} // namespace
