// Seeking: the frames drawn after replay_to(k) are those of a show that drew every frame before
// k, and a restarted show draws what the first lap drew. Through the recorder, with the music
// (build/music.xm) rendered offline so that the scenes' cues fire.
#include "engine/gl.h"
#include "engine/glrecorder.h"
#include "engine/sound.h"
#include "show/offline.h"
#include "show/replay.h"
#include "show/show.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <vector>

namespace {

// Half the live rate keeps the run short; every row of the music still meets a frame.
const double fps = 30;
const long recorded = 3; // frames recorded from each k on

// The first frame whose millisecond reaches ms.
long first_frame_from(int ms) {
    long k = 0;
    while (show_ms(offline_time(k, fps)) < ms)
        k++;
    return k;
}

// Each scheduled scene's first frame and the one before its last (the longest replay into it),
// the frame after the first of the two scenes that draw from the generators, and the last k whose
// frames the show draws. Each replay renders the music from 0, the bulk of the test's time.
std::vector<long> replayed_frames() {
    std::vector<long> ks = {offline_frame_count(fps) - recorded};
    for (int i = 0; i < TIMELINE_SCENES; i++) {
        long first = first_frame_from(scenes[i].window[0]);
        ks.push_back(first);
        ks.push_back(first_frame_from(scenes[i].window[1] + 1) - 2);
        if (strcmp(scenes[i].name, "pyorre") == 0 || strcmp(scenes[i].name, "perhonen") == 0)
            ks.push_back(first + 1);
    }
    std::sort(ks.begin(), ks.end());
    ks.erase(std::unique(ks.begin(), ks.end()), ks.end());
    return ks;
}

// Frame k drawn through the recorder from a fresh context's state: the frames before it went
// through the null back end, which models no state, so either way starts alike.
uint64_t record(long k) {
    gl_use_recorder();
    gl_recorder_reset();
    offline_draw(k, fps, nullptr);
    uint64_t d = gl_recorder_digest();
    gl_use_null();
    return d;
}

// The music back at 0, as a seek leaves it before replaying.
void rewind_music() {
    ASSERT_EQ(sound.openOffline(), 1);
}

// Every frame [0, last] in order, with the digests of those `wanted`.
std::map<long, uint64_t> lap(const std::vector<long>& wanted) {
    std::map<long, uint64_t> out;
    long next = 0;
    for (long k : wanted)
        for (long j = std::max(k, next); j < k + recorded; j++) {
            offline_skip(next, j, fps);
            out[j] = record(j);
            next = j + 1;
        }
    return out;
}

} // namespace

// The first lap is drawn once, from show_init, for both cases.
class Replay : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        home = std::filesystem::current_path();
        std::filesystem::current_path(ORDUNE_BINARY_DIR);
        gl_use_null();
        offline_begin();
        frames = replayed_frames();
        first_lap = lap(frames);
    }
    static void TearDownTestSuite() {
        offline_end();
        std::filesystem::current_path(home);
    }
    void SetUp() override { ASSERT_TRUE(offline_music()) << "no music.xm in " ORDUNE_BINARY_DIR; }

    static std::filesystem::path home;
    static std::vector<long> frames;
    static std::map<long, uint64_t> first_lap;
};
std::filesystem::path Replay::home;
std::vector<long> Replay::frames;
std::map<long, uint64_t> Replay::first_lap;

TEST_F(Replay, DrawsFromItsTargetOnWhatTheFirstLapDrew) {
    for (long k : frames) {
        rewind_music();
        replay_to(k, fps);
        for (long j = k; j < k + recorded; j++)
            EXPECT_EQ(record(j), first_lap[j]) << "frame " << j << " after replay_to(" << k << ")";
    }
}

TEST_F(Replay, StartsAtTheEarliestWindowOfTheScenesDrawn) {
    const struct {
        int ms;   // a frame's millisecond
        int from; // the window start its replay draws from
    } cases[] = {{0, 0},         {21000, 0},      {39800, 20000},   {59500, 39500},
                 {79000, 59000}, {101500, 79000}, {123000, 101000}, {199990, 178800}};
    for (const auto& c : cases) {
        long k = first_frame_from(c.ms);
        EXPECT_EQ(replay_first(k, fps), first_frame_from(c.from)) << c.ms;
    }
}

TEST_F(Replay, ASecondLapDrawsWhatTheFirstDid) {
    rewind_music();
    show_restart();
    std::map<long, uint64_t> second = lap(frames);
    for (const auto& f : first_lap)
        EXPECT_EQ(second[f.first], f.second) << "frame " << f.first;
}
