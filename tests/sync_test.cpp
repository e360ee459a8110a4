// Sync tracks: firing on the exact order and row, once; pulses decaying by the clock in whole
// milliseconds; saturation; the slots that were never filled and the adds past capacity; the
// rows a slow frame passes over, played offline.
#include "engine/sound.h"
#include "engine/sync.h"
#include "engine/timer.h"
#include "tests/xmwrite.h"

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

// Tracks read at a slow frame rate while a module of short rows plays offline.
class SlowFrames : public ::testing::Test {
  protected:
    MusicFolder folder;
    void TearDown() override {
        sound.release();
        kello = Timer();
    }
    // Reads the track at every frame k in [0, frames) that `read` admits; returns, per read
    // frame, whether the track fired, and checks that every pulse fired there is 1.
    static std::vector<int> play(Sync& s, double fps, long frames, bool (*read)(long)) {
        std::vector<int> fired(frames, 0);
        for (long k = 0; k < frames; k++) {
            kello.time = (float)((double)k / fps);
            sound.advanceTo(kello.time, nullptr);
            if (!read(k))
                continue;
            float value = s.getValue();
            fired[k] = s.getActivated();
            EXPECT_TRUE(!fired[k] || value == 1.0f) << "frame " << k;
        }
        return fired;
    }
};

// Rows of 0.04 s: 1764 frames, speed 2 at 125 BPM.
static XmSong fast_song(std::vector<int> patternRows, std::vector<int> orders) {
    XmSong song;
    song.speed = 2;
    for (int n : patternRows)
        song.addPattern(n);
    song.orders = orders;
    return song;
}

// At 15 fps a frame (2940 frames of sound) passes over a row now and then; row r begins at frame
// 1764 r, so it is first played by the read at the first k with 2940 k > 1764 r, and fires
// there, its pulse starting at that read's millisecond. Rows played while the track is not read,
// or before a read that follows a gap, are missed; that read fires its current row only.
TEST_F(SlowFrames, EveryRowPlayedBetweenReadsFires) {
    ASSERT_TRUE(folder.write(fast_song({16, 16}, {0, 1})));
    struct Case {
        bool (*read)(long frame);
        int firstMissed, lastMissed; // rows
    };
    const Case cases[] = {{[](long) { return true; }, -1, -1},
                          // Not read at frames 4 to 9: rows 5 to 15 begin then or just
                          // before frame 10, which finds row 16.
                          {[](long k) { return k < 4 || k >= 10; }, 5, 15}};
    for (const Case& c : cases) {
        ASSERT_EQ(sound.openOffline(), 1);
        Sync s(31);
        for (int r = 1; r < 32; r++)
            s.add(r / 16, r % 16, 100);
        std::vector<int> fired = play(s, 15, 21, c.read), want(21, 0);
        for (int r = 1; r < 32; r++) {
            long k = 1764 * r / 2940 + 1;
            bool missed = r >= c.firstMissed && r <= c.lastMissed;
            EXPECT_EQ(s.eventFired[r - 1], !missed) << "row " << r;
            if (!missed) {
                EXPECT_EQ(s.eventStart[r - 1], (int)((float)(k / 15.0) * 1000.0f)) << "row " << r;
                want[k] = 1;
            }
        }
        EXPECT_EQ(fired, want) << "missed " << c.firstMissed << ".." << c.lastMissed;
        sound.release();
    }
}

// A position jump from order 0, row 1 to order 2, read at 5 fps (five rows a frame): the rows
// played fire in their frame, those jumped over never.
TEST_F(SlowFrames, AJumpIsFollowed) {
    XmSong song = fast_song({4, 4, 4}, {0, 1, 2});
    song.effect(0, 1, 0x0B, 0x02);
    ASSERT_TRUE(folder.write(song));
    ASSERT_EQ(sound.openOffline(), 1);
    Sync s(4);
    const int events[4][2] = {{0, 1}, {1, 0}, {2, 0}, {2, 3}};
    for (const auto& e : events)
        s.add(e[0], e[1], 1000);
    // Row 5 of the play, (2, 3), begins at 0.2 s, just after the second read's sound.
    EXPECT_EQ(play(s, 5, 3, [](long) { return true; }), std::vector<int>({0, 1, 1}));
    EXPECT_EQ(std::vector<int>(s.eventStart, s.eventStart + 4),
              std::vector<int>({200, 0, 200, 400}));
    EXPECT_EQ(std::vector<int>(s.eventFired, s.eventFired + 4), std::vector<int>({1, 0, 1, 1}));
}
