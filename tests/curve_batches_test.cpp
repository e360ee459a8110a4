// The line batch against the lines one at a time, bit for bit: the scenes swap one for the
// other, and their frames must not change by a single bit.
#include "engine/curves.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <vector>

static bool same_bits(const Vector& a, const Vector& b) {
    return memcmp(&a, &b, sizeof a) == 0;
}

TEST(LineBatch, EndsAsOneLineAtATime) {
    // Over two passes of the batch. Windows before, around and after the times probed, empty
    // and reversed ones; turns up to +-40 radians or none; lengths of zero of either sign.
    enum { N = 150 };
    std::mt19937 gen(4711);
    std::uniform_real_distribution<float> unit(0, 1), angle(-40, 40);
    std::vector<Line> lines(N);
    for (int j = 0; j < N; j++) {
        Line& l = lines[j];
        l.rotStart = j % 11 ? Vector(angle(gen), angle(gen), angle(gen)) : Vector(0, -0.0f, 0);
        l.rotEnd = Vector(angle(gen), angle(gen), angle(gen));
        l.posStart = Vector(unit(gen) - 0.5f, unit(gen), -unit(gen));
        l.posEnd = Vector(4 * unit(gen), unit(gen) - 0.5f, unit(gen));
        l.startTime = j % 3 ? unit(gen) - 0.25f : 0.0f;
        l.endTime = j % 7 ? unit(gen) : l.startTime;
        l.halfLength = j % 13 ? 0.1f * unit(gen) : j % 2 ? 0.0f : -0.0f;
    }
    // The ends once every window is over, for the batch that copies them.
    std::vector<Vector> finished(2 * N);
    for (int j = 0; j < N; j++)
        lines[j].calcPos(2, &finished[2 * j], &finished[2 * j + 1]);
    for (float t : {-1.0f, -0.0f, 0.1f, 0.37f, 0.5f, 0.9f, 1.0f, 2.0f, NAN}) {
        std::vector<Vector> batch(2 * N), copied(2 * N), one(2 * N);
        calcLinePositions(lines.data(), N, t, batch.data());
        calcLinePositions(lines.data(), N, t, copied.data(), finished.data());
        for (int j = 0; j < N; j++)
            lines[j].calcPos(t, &one[2 * j], &one[2 * j + 1]);
        for (int k = 0; k < 2 * N; k++)
            ASSERT_TRUE(same_bits(batch[k], one[k]) && same_bits(copied[k], one[k]))
                << "t " << t << ", end " << k;
    }
}
