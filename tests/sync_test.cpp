// Sync tracks: firing on the exact order and row, pulses decaying by the clock in whole
// milliseconds, saturation, and the slots that were never filled.
#include "show/show.h"
#include "engine/sync.h"

#include <gtest/gtest.h>

class SyncTest : public ::testing::Test {
  protected:
    void TearDown() override {
        sound.release(); // drops the pinned position
        kello = Timer();
    }
    // The clock and the music at (order, row); seconds chosen exact in binary so that the
    // track's millisecond is the intended one.
    static void at(float seconds, unsigned order, unsigned row) {
        kello.time = seconds;
        sound.pinPosition(order, row);
    }
};

TEST_F(SyncTest, UnfilledSlotsFireAtTheStart) {
    Sync s(3);
    s.add(2, 5, 100);
    at(1.0f, 0, 0);
    // Slots 1 and 2 are the event (0, 0, 0): a pulse of 1 on the firing millisecond only.
    EXPECT_EQ(s.getValue(), 1.0f);
    EXPECT_EQ(s.getActivated(), 1);
    EXPECT_EQ(s.eventFired[0], 0);
    EXPECT_EQ(s.eventFired[1], 1);
    EXPECT_EQ(s.eventFired[2], 1);
    EXPECT_EQ(s.eventStart[1], 1000);
    EXPECT_EQ(s.eventEnd[1], 1000);
    at(1.0625f, 0, 0);
    EXPECT_EQ(s.getValue(), 0.0f);
    EXPECT_EQ(s.getActivated(), 0);
}

TEST_F(SyncTest, SecondReadInAFrameIsNotActivated) {
    Sync s(1);
    s.add(1, 4, 1000);
    at(2.0f, 1, 4);
    EXPECT_EQ(s.getValue(), 1.0f);
    EXPECT_EQ(s.getActivated(), 1);
    EXPECT_EQ(s.getValue(), 1.0f);
    EXPECT_EQ(s.getActivated(), 0);
}

TEST_F(SyncTest, PulseFallsLinearlyOverItsDuration) {
    Sync s(1);
    s.add(3, 16, 500);
    at(9.5f, 3, 15);
    EXPECT_EQ(s.getValue(), 0.0f);
    EXPECT_EQ(s.getActivated(), 0);
    at(10.0f, 3, 16);
    EXPECT_EQ(s.getValue(), 1.0f);
    EXPECT_EQ(s.getActivated(), 1);
    EXPECT_EQ(s.eventStart[0], 10000);
    EXPECT_EQ(s.eventEnd[0], 10500);
    // The decay follows the clock, wherever the music has gone.
    at(10.25f, 3, 17);
    EXPECT_FLOAT_EQ(s.getValue(), 0.5f);
    at(10.5f, 4, 0);
    EXPECT_EQ(s.getValue(), 0.0f);
    at(20.0f, 5, 0);
    EXPECT_EQ(s.getValue(), 0.0f);
}

TEST_F(SyncTest, OverlappingPulsesAddAndSaturate) {
    Sync s(2);
    s.add(1, 0, 1000);
    s.add(1, 0, 2000);
    at(10.0f, 1, 0);
    EXPECT_EQ(s.getValue(), 1.0f);
    at(10.5f, 1, 8);
    EXPECT_EQ(s.getValue(), 1.0f); // 0.5 + 0.75, capped
    at(11.0f, 1, 16);
    EXPECT_FLOAT_EQ(s.getValue(), 0.5f);
    at(11.5f, 1, 24);
    EXPECT_FLOAT_EQ(s.getValue(), 0.25f);
    at(12.0f, 1, 32);
    EXPECT_EQ(s.getValue(), 0.0f);
}

TEST_F(SyncTest, EachEventFiresOnceAndOnlyOnItsExactPosition) {
    Sync s(2);
    s.add(2, 8, 250);
    s.add(3, 8, 250);
    at(1.0f, 3, 2); // same row elsewhere, different order: nothing
    EXPECT_EQ(s.getValue(), 0.0f);
    at(1.5f, 2, 9); // same order, next row: the event's row was passed between reads
    EXPECT_EQ(s.getValue(), 0.0f);
    at(2.0f, 3, 8);
    EXPECT_EQ(s.getValue(), 1.0f);
    EXPECT_EQ(s.eventFired[0], 0);
    EXPECT_EQ(s.eventFired[1], 1);
    // Back on the same position later (a module that loops): no second pulse.
    at(5.0f, 3, 8);
    EXPECT_EQ(s.getValue(), 0.0f);
    EXPECT_EQ(s.getActivated(), 0);
    EXPECT_EQ(s.eventStart[1], 2000);
}

TEST_F(SyncTest, AddsPastCapacityAreDroppedButCounted) {
    Sync s(2);
    s.add(1, 1, 100);
    s.add(1, 2, 100);
    s.add(1, 3, 100);
    EXPECT_EQ(s.count, 3);
    EXPECT_EQ(s.capacity, 2);
    EXPECT_EQ(s.eventRow[1], 2);
    at(1.0f, 1, 3);
    EXPECT_EQ(s.getValue(), 0.0f);
    EXPECT_EQ(s.getActivated(), 0);
}

TEST_F(SyncTest, ClockIsTruncatedToWholeMilliseconds) {
    Sync s(1);
    s.add(0, 1, 2);
    at(1.0009765625f, 0, 1); // 1000.98 ms
    EXPECT_EQ(s.getValue(), 1.0f);
    EXPECT_EQ(s.eventStart[0], 1000);
    at(1.0019531f, 0, 2); // 1001.95 ms: half way
    EXPECT_FLOAT_EQ(s.getValue(), 0.5f);
}

TEST_F(SyncTest, TracksWithoutSlotsAreAlwaysZero) {
    Sync empty(0);
    Sync negative(-4);
    EXPECT_EQ(negative.capacity, 0);
    empty.add(0, 0, 100);
    at(1.0f, 0, 0);
    EXPECT_EQ(empty.getValue(), 0.0f);
    EXPECT_EQ(negative.getValue(), 0.0f);
    EXPECT_EQ(empty.count, 1);
}
