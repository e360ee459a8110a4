// The state changer: which state a position falls in, its progress through that state's fade
// window, the catch-all last state, and indices outside the changer.
#include "engine/changer.h"

#include <gtest/gtest.h>

TEST(Changer, StatesAndTheirFadeWindows) {
    Changer c(3); // a quick fade at the start, one at the middle, a slow one at the end
    c.setState(0, 0.0f, 0.1f);
    c.setState(1, 0.5f, 0.6f);
    c.setState(2, 0.8f, 1.0f);
    c.setState(3, 0.7f, 0.75f); // outside the changer: nothing changes
    c.setState(-1, 0.7f, 0.75f);
    // Past its window a state holds at 1 until the next begins; getValue does not clamp, so
    // below every start the last state catches the position, its window above it.
    const struct {
        float t;
        int state;
        float value;
    } at[] = {{0.0f, 0, 0}, {0.05f, 0, 0.5f}, {0.3f, 0, 1}, {0.5f, 1, 0}, {0.55f, 1, 0.5f},
              {0.8f, 2, 0}, {0.9f, 2, 0.5f},  {1.0f, 2, 1}, {1.5f, 2, 1}, {-0.5f, 0, 0}};
    for (const auto& a : at) {
        EXPECT_EQ(c.getStateNumber(a.t), a.state) << a.t;
        EXPECT_NEAR(c.getValue(a.t), a.value, 1e-6f) << a.t;
    }
}

TEST(Changer, FreshStatesStartAtZeroAndNoStatesPassThrough) {
    Changer fresh(3);
    EXPECT_EQ(fresh.getStateNumber(0.5f), 2);
    EXPECT_EQ(fresh.getValue(0.5f), 1.0f);
    Changer none(0), negative(-4);
    EXPECT_EQ(none.getValue(0.37f), 0.37f);
    EXPECT_EQ(none.getStateNumber(0.37f), -1);
    EXPECT_EQ(negative.count, 0);
    negative.setState(0, 0.1f, 0.2f);
    EXPECT_EQ(negative.getValue(0.25f), 0.25f);
}
