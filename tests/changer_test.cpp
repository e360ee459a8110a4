// The state changer: which state a position falls in, its progress through that state's fade
// window, the catch-all last state, and indices outside the changer.
#include "engine/changer.h"

#include <gtest/gtest.h>

namespace {

// Three states: a quick fade at the start, one at the middle, a slow one at the end.
void three_states(Changer* c) {
    c->setState(0, 0.0f, 0.1f);
    c->setState(1, 0.5f, 0.6f);
    c->setState(2, 0.8f, 1.0f);
}

} // namespace

TEST(Changer, ValuesRunThroughEachStatesWindow) {
    Changer c(3);
    three_states(&c);
    EXPECT_NEAR(c.getValue(0.05f), 0.5f, 1e-6f);
    EXPECT_EQ(c.getStateNumber(0.05f), 0);
    // Past its window a state holds at 1 until the next one begins.
    EXPECT_FLOAT_EQ(c.getValue(0.3f), 1.0f);
    EXPECT_EQ(c.getStateNumber(0.3f), 0);
    EXPECT_NEAR(c.getValue(0.55f), 0.5f, 1e-6f);
    EXPECT_EQ(c.getStateNumber(0.55f), 1);
    EXPECT_NEAR(c.getValue(0.9f), 0.5f, 1e-6f);
    EXPECT_EQ(c.getStateNumber(0.9f), 2);
}

TEST(Changer, StatesBeginAtTheirStartInclusive) {
    Changer c(3);
    three_states(&c);
    EXPECT_EQ(c.getStateNumber(0.5f), 1);
    EXPECT_EQ(c.getValue(0.5f), 0.0f);
    EXPECT_EQ(c.getStateNumber(0.8f), 2);
    EXPECT_EQ(c.getValue(0.8f), 0.0f);
    EXPECT_EQ(c.getStateNumber(0.0f), 0);
    EXPECT_EQ(c.getStateNumber(1.0f), 2);
    EXPECT_EQ(c.getValue(1.0f), 1.0f);
}

TEST(Changer, PositionsOutsideTheRangeAreClampedForTheStateNumberOnly) {
    Changer c(3);
    three_states(&c);
    EXPECT_EQ(c.getStateNumber(1.5f), 2);
    EXPECT_EQ(c.getStateNumber(-0.5f), 0);
    // getValue does not clamp: below every start the last state catches the position, and its
    // window lies above it.
    EXPECT_EQ(c.getValue(-0.5f), 0.0f);
    EXPECT_EQ(c.getValue(1.5f), 1.0f);
}

TEST(Changer, TheLastStateCatchesPositionsBeforeTheFirstStart) {
    Changer c(2);
    c.setState(0, 0.2f, 0.4f);
    c.setState(1, 0.6f, 0.8f);
    EXPECT_EQ(c.getStateNumber(0.1f), 1);
    EXPECT_EQ(c.getValue(0.1f), 0.0f);
    EXPECT_NEAR(c.getValue(0.3f), 0.5f, 1e-6f);
}

TEST(Changer, AFreshChangerHasEveryStateAtZero) {
    Changer c(3);
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(c.starts[i], 0.0f);
        EXPECT_EQ(c.ends[i], 0.0f);
    }
    EXPECT_EQ(c.getStateNumber(0.5f), 2);
    EXPECT_EQ(c.getValue(0.5f), 1.0f);
}

TEST(Changer, IndicesOutsideTheChangerChangeNothing) {
    Changer c(3);
    three_states(&c);
    c.setState(3, 0.7f, 0.75f);
    c.setState(-1, 0.7f, 0.75f);
    const float starts[3] = {0.0f, 0.5f, 0.8f}, ends[3] = {0.1f, 0.6f, 1.0f};
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(c.starts[i], starts[i]) << i;
        EXPECT_EQ(c.ends[i], ends[i]) << i;
    }
    EXPECT_NEAR(c.getValue(0.9f), 0.5f, 1e-6f);
}

TEST(Changer, WithoutStatesThePositionPassesThrough) {
    Changer none(0);
    EXPECT_EQ(none.getValue(0.37f), 0.37f);
    EXPECT_EQ(none.getStateNumber(0.37f), -1);
    Changer negative(-4);
    EXPECT_EQ(negative.count, 0);
    EXPECT_EQ(negative.getValue(0.25f), 0.25f);
    negative.setState(0, 0.1f, 0.2f);
    EXPECT_EQ(negative.getValue(0.25f), 0.25f);
}
