// Sync tracks: firing on the exact order and row, once; pulses decaying by the clock in whole
// milliseconds; saturation; the slots that were never filled and the adds past capacity.
#include "engine/sound.h"
#include "engine/sync.h"
#include "engine/timer.h"

#include <array>
#include <gtest/gtest.h>
#include <vector>

namespace {

// One read of the track with the clock and the music at (order, row); seconds chosen exact in
// binary so that the track's millisecond is the intended one.
struct Read {
    float seconds;
    unsigned order, row;
    float value;
    int activated;
};

struct Track {
    int capacity;
    std::vector<std::array<int, 3>> events; // order, row, duration in ms
    std::vector<Read> reads;
};

const Track tracks[] = {
    // 0: unfilled slots are the event (0, 0, 0): a pulse on the firing millisecond only.
    {3, {{2, 5, 100}}, {{1.0f, 0, 0, 1, 1}, {1.0625f, 0, 0, 0, 0}}},
    // 1: a second read in the same frame is not activated.
    {1, {{1, 4, 1000}}, {{2.0f, 1, 4, 1, 1}, {2.0f, 1, 4, 1, 0}}},
    // 2: the pulse falls linearly by the clock, wherever the music has gone.
    {1,
     {{3, 16, 500}},
     {{9.5f, 3, 15, 0, 0}, {10, 3, 16, 1, 1}, {10.25f, 3, 17, 0.5f, 0}, {10.5f, 4, 0, 0, 0}}},
    // 3: overlapping pulses add up and saturate at 1 (0.5 + 0.75 at 10.5 s).
    {2,
     {{1, 0, 1000}, {1, 0, 2000}},
     {{10, 1, 0, 1, 1}, {10.5f, 1, 8, 1, 0}, {11, 1, 16, 0.5f, 0}, {11.5f, 1, 24, 0.25f, 0}}},
    // 4: only the exact order and row fire, once: a row passed between reads gives nothing, nor
    // the same row reached again later.
    {2,
     {{2, 8, 250}, {3, 8, 250}},
     {{1.0f, 3, 2, 0, 0}, {1.5f, 2, 9, 0, 0}, {2.0f, 3, 8, 1, 1}, {5.0f, 3, 8, 0, 0}}},
    // 5: an add past capacity is dropped.
    {2, {{1, 1, 100}, {1, 2, 100}, {1, 3, 100}}, {{1.0f, 1, 3, 0, 0}}},
    // 6: the clock is truncated to whole milliseconds: fired at 1000.98, half way at 1001.95.
    {1, {{0, 1, 2}}, {{1.0009765625f, 0, 1, 1, 1}, {1.0019531f, 0, 2, 0.5f, 0}}},
    // 7, 8: no slots, or a negative capacity: always zero.
    {0, {{0, 0, 100}}, {{1.0f, 0, 0, 0, 0}}},
    {-4, {}, {{1.0f, 0, 0, 0, 0}}}};

} // namespace

TEST(SyncTrack, FiresDecaysAndSaturates) {
    for (const Track& t : tracks) {
        int i = (int)(&t - tracks);
        Sync s(t.capacity);
        for (const auto& e : t.events)
            s.add(e[0], e[1], e[2]);
        EXPECT_EQ(s.count, (int)t.events.size()) << "track " << i;
        for (const Read& r : t.reads) {
            kello.time = r.seconds;
            sound.pinPosition(r.order, r.row);
            EXPECT_FLOAT_EQ(s.getValue(), r.value) << "track " << i << " at " << r.seconds;
            EXPECT_EQ(s.getActivated(), r.activated) << "track " << i << " at " << r.seconds;
        }
    }
    sound.release(); // drops the pinned position
    kello = Timer();
}
