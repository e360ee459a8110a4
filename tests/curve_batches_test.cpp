// The line batch and the path's node index against their plain forms, bit for bit: the scenes
// swap one for the other, and their frames must not change by a single bit.
#include "engine/curves.h"
#include "engine/path.h"

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

TEST(PathIndex, ValuesAndCursorAsTheListWalk) {
    // The segment as a HermiteCurve through the points the list's walk reaches, also once the
    // list has lost its last node behind the path's back, where the index no longer holds.
    std::vector<float> t = {-0.0f, 1.0000001f, -1e12f, 1e12f, INFINITY, NAN};
    for (int k = -300; k <= 1300; k += 7)
        t.push_back(k / 1000.0f);
    for (int n : {1, 2, 3, 6, 200}) {
        Path p;
        for (int k = 0; k < n; k++)
            p.addpoint(Vector(0.37f * (float)(k * k) - 3, 1.5f * (float)(k % 3), 7 - 0.9f * k));
        ListaKoskaEngineEiToimi* list = p.points;
        for (bool changed : {false, true}) {
            if (changed && n > 1)
                list->removeLast();
            for (float u : t) {
                float s = u * (float)(p.count - 1), i = std::floor(s);
                list->goToNode(i >= 1.0f ? (i < (float)(p.count - 1) ? (int)i : p.count - 1) : 0);
                Vector a = *(Vector*)list->getCurrent(), b, c;
                list->goForward();
                b = *(Vector*)list->getCurrent();
                list->goForward();
                c = *(Vector*)list->getCurrent();
                int cursor = list->getCurrentNodeNumber();
                list->goToStart();
                Vector want = HermiteCurve(a, b - a, c - b, b).getValue(s - i);
                ASSERT_TRUE(same_bits(p.getValue(u), want) &&
                            list->getCurrentNodeNumber() == cursor)
                    << n << " points, t " << u;
            }
        }
    }
}
