// The music player: the position it reports against the tempo and the jumps of modules written
// here, offline and without a device; the rows a reading lists; rewinding and resuming; the
// heard-row model of the live queue; one line for a bad file; a song shorter than the show. The
// samples it renders are checked end to end by render_cli.sh and determinism.sh.
#include "engine/sound.h"
#include "engine/sync.h"
#include "engine/gl.h"
#include "engine/timer.h"
#include "show/offline.h"
#include "show/show.h"
#include "tests/xmwrite.h"

#include <SDL.h>
#include <algorithm>
#include <array>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

typedef std::pair<unsigned, unsigned> OrderRow;

static OrderRow heard() {
    unsigned row = sound.getRow(); // the order the show reads them in
    return {sound.getOrder(), row};
}

// Each test plays from a fresh folder of its own, where it writes the music.xm it needs.
class Music : public ::testing::Test {
  protected:
    MusicFolder folder;
    void SetUp() override { kello = Timer(); }
    void TearDown() override {
        sound.release();
        sound.setLatency(0);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        unsetenv("SDL_AUDIODRIVER");
        kello = Timer();
    }
    static OrderRow offlineAt(double seconds) {
        sound.advanceTo(seconds, nullptr);
        return heard();
    }
};

// The rows heard in turn, from runs of (order, first row, last row).
static std::vector<OrderRow> span(std::initializer_list<std::array<unsigned, 3>> runs) {
    std::vector<OrderRow> rows;
    for (const auto& r : runs)
        for (unsigned row = r[1]; row <= r[2]; row++)
            rows.push_back({r[0], row});
    return rows;
}

// Modules whose rows all last `rowSeconds`, and the rows heard one after another: the order is
// the index in the order list (a second play of a pattern is another order), and after the
// song's end the last row holds.
struct Playing {
    std::vector<int> patternRows, orders;
    std::vector<std::array<int, 4>> effects; // pattern, row, channel, effect << 8 | param
    double rowSeconds;
    std::vector<OrderRow> rows;
    int speed = 6; // ticks per row

    XmSong song() const {
        XmSong s;
        s.speed = speed;
        for (int n : patternRows)
            s.addPattern(n);
        for (const auto& e : effects)
            s.effect(e[0], e[1], (uint8_t)(e[3] >> 8), (uint8_t)e[3], e[2]);
        s.orders = orders;
        return s;
    }
};

const Playing playings[] = {
    {{4, 8, 2}, {0, 1, 2, 1}, {}, 0.12, span({{0, 0, 3}, {1, 0, 7}, {2, 0, 1}, {3, 0, 7}})},
    // Speed 3 and 170 BPM over the header's 6 and 125: a tick of 648.5 frames, not whole.
    {{16}, {0}, {{0, 0, 1, 0xF03}, {0, 0, 0, 0xF00 | 170}}, 3 * 2.5 / 170, span({{0, 0, 15}})},
    // A pattern break to row 5, a position jump to order 2, a pattern loop played twice.
    {{8, 8}, {0, 1}, {{0, 3, 1, 0xD05}}, 0.12, span({{0, 0, 3}, {1, 5, 7}})},
    {{4, 4, 4}, {0, 1, 2}, {{0, 1, 1, 0xB02}}, 0.12, span({{0, 0, 1}, {2, 0, 3}})},
    {{4}, {0}, {{0, 1, 1, 0xE60}, {0, 2, 1, 0xE62}}, 0.12, span({{0, 0, 2}, {0, 1, 2}, {0, 1, 3}})},
    // A jump back to the start ends the song.
    {{4, 4}, {0, 1}, {{1, 3, 1, 0xB00}}, 0.12, span({{0, 0, 3}, {1, 0, 3}})},
};
const Playing& plain = playings[0];

TEST_F(Music, OfflinePositionFollowsTheTempoAndTheJumps) {
    for (const Playing& p : playings) {
        int i = (int)(&p - playings);
        ASSERT_TRUE(folder.write(p.song()));
        ASSERT_EQ(sound.openOffline(), 1) << "case " << i;
        for (size_t k = 0; k < p.rows.size(); k++)
            EXPECT_EQ(offlineAt((k + 0.5) * p.rowSeconds), p.rows[k])
                << "case " << i << " row " << k;
        EXPECT_EQ(offlineAt(60.0), p.rows.back()) << "case " << i << ": after the end";
        sound.release();
    }
}

TEST_F(Music, SyncTrackFiresOnTheOfflineRow) {
    ASSERT_TRUE(folder.write(plain.song()));
    ASSERT_EQ(sound.openOffline(), 1);
    Sync s(1);
    s.add(1, 2, 1000); // order 1, row 2: the 7th row, from 0.72 s to 0.84 s
    int fired = -1;
    for (long k = 0; k < 120 && fired < 0; k++) {
        kello.time = (float)((double)k / 60.0);
        sound.advanceTo(kello.time, nullptr);
        s.getValue();
        if (s.getActivated())
            fired = (int)k;
    }
    EXPECT_EQ(fired, 44); // the first 60 fps frame inside the row: 0.7333 s
}

// What the tools may find in place of a module (the live show's cases are in faults_test.sh):
// a cause of one line naming it, nothing printed, and the position stays at order 0, row 0.
TEST_F(Music, BadFilesGiveOneLineAndNoPosition) {
    std::vector<uint8_t> good = xm_build(plain.song()), noise(3000);
    unsigned x = 12345;
    for (uint8_t& b : noise)
        b = (uint8_t)((x = x * 1103515245u + 12345u) >> 16);
    std::vector<uint8_t> signedNoise(good.begin(), good.begin() + 17);
    signedNoise.insert(signedNoise.end(), noise.begin(), noise.end());
    const std::pair<std::vector<uint8_t>, const char*> files[] = {
        {{}, "empty file"},
        {std::vector<uint8_t>(good.begin(), good.end() - 10), "truncated"},
        {noise, "not an XM module"},
        {signedNoise, ""}};
    for (int i = -2; i < (int)std::size(files); i++) { // -2: no file, -1: a folder
        std::filesystem::remove("music.xm");
        ASSERT_TRUE(i < 0 || xm_save("music.xm", files[i].first));
        ASSERT_TRUE(i != -1 || mkdir("music.xm", 0700) == 0);
        const char* cause = i == -2   ? "No such file"
                            : i == -1 ? "not a regular file"
                                      : files[i].second;
        testing::internal::CaptureStderr();
        std::string why;
        EXPECT_EQ(sound.openOffline(&why), 0);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "the caller words the message";
        EXPECT_EQ(std::count(why.begin(), why.end(), '\n'), 0) << why;
        EXPECT_EQ(why.find(std::string("music.xm: ") + cause), 0u) << why;
        sound.advanceTo(1.0, nullptr);
        EXPECT_EQ(heard(), OrderRow(0, 0)) << cause;
    }
}

TEST_F(Music, CheckFindsEveryCut) {
    std::vector<uint8_t> good = xm_build(plain.song());
    EXPECT_EQ(sound_check_xm(good.data(), good.size()), "");
    // The sample data ends the file, so every shorter prefix lacks something it declares.
    for (size_t n = 0; n < good.size(); n++)
        ASSERT_NE(sound_check_xm(good.data(), n), "") << n << " bytes";
}

// A reading lists the rows played since the one before, in playing order: through a position
// jump and a pattern loop; and in one that covers 320 rows of 0.02 s, the latest 256.
TEST_F(Music, AReadingListsTheRowsPlayedSinceTheOneBefore) {
    const Playing many = {
        {64}, {0, 0, 0, 0, 0}, {}, 0.02, span({{1, 0, 63}, {2, 0, 63}, {3, 0, 63}, {4, 0, 63}}), 1};
    struct Case {
        const Playing* playing; // its rows: those listed
        double rows;            // read this many rows of time in
    } cases[] = {{&playings[3], 5.5}, {&playings[4], 7.5}, {&many, 319.5}};
    for (const Case& c : cases) {
        ASSERT_TRUE(folder.write(c.playing->song()));
        ASSERT_EQ(sound.openOffline(), 1);
        unsigned long long before = sound.reading().serial;
        sound.advanceTo(c.rows * c.playing->rowSeconds, nullptr);
        const SoundReading& r = sound.reading();
        EXPECT_EQ(r.serial, before + 1);
        std::vector<OrderRow> played;
        for (int k = 0; k < r.count; k++)
            played.push_back({r.positions[k] >> 16, r.positions[k] & 0xffff});
        EXPECT_EQ(played, c.playing->rows) << "case " << &c - cases;
        sound.release();
    }
}

// Rewound, the module plays again as if just loaded; resumed without a device, it follows the
// clock from where it stands.
TEST_F(Music, RewindAndResumePlayOnFromTheStart) {
    ASSERT_TRUE(folder.write(plain.song()));
    const double times[] = {0.3, 0.9, 1.3};
    std::vector<short> fresh, again;
    std::vector<OrderRow> freshRows, againRows;
    ASSERT_EQ(sound.openOffline(), 1);
    for (double t : times) {
        freshRows.push_back(offlineAt(t));
        sound.advanceTo(t + 0.05, &fresh);
    }
    sound.release();

    setenv("SDL_AUDIODRIVER", "dummy", 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(sound.init(), 1);
    testing::internal::GetCapturedStderr();
    sound.play();
    kello.time = 2.0f;
    EXPECT_EQ(heard(), plain.rows[16]);
    sound.rewind();
    for (double t : times) {
        againRows.push_back(offlineAt(t));
        sound.advanceTo(t + 0.05, &again);
    }
    EXPECT_EQ(againRows, freshRows);
    EXPECT_TRUE(again == fresh);

    kello.time = 1.35f;
    sound.resume();
    for (size_t k = 11; k < plain.rows.size(); k++) {
        kello.time = (float)((k + 0.5) * plain.rowSeconds);
        EXPECT_EQ(heard(), plain.rows[k]) << "row " << k;
    }
}

// Without a device the module follows the show clock: the same positions as offline.
TEST_F(Music, NoDeviceFollowsTheClock) {
    ASSERT_TRUE(folder.write(plain.song()));
    const std::vector<OrderRow>& rows = plain.rows;
    for (const char* driver : {"dummy", "no-such-driver"}) {
        setenv("SDL_AUDIODRIVER", driver, 1);
        testing::internal::CaptureStderr(); // its one line is checked live in faults_test.sh
        EXPECT_EQ(sound.init(), 1);
        sound.play();
        testing::internal::GetCapturedStderr();
        for (size_t k = 0; k < rows.size(); k++) {
            kello.time = (float)((k + 0.5) * 0.12);
            EXPECT_EQ(heard(), rows[k]) << driver << " row " << k;
        }
        kello.time = 100.0f;
        EXPECT_EQ(heard(), rows.back()) << driver;
        sound.release();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

// The live queue: buffers of 512 frames handed over every 11610 us, each joining the device's
// queue behind one period of 512 frames, then heard after the user's latency; rows of 5292
// frames. A query 5 ms into buffer k hears frame 512k + 220 - 512 - latency, and nothing before
// frame 0 (positions are kept per 64-frame slice: rows within 100 frames of a change are
// skipped).
TEST_F(Music, HeardRowIsTheBufferLeavingTheDevice) {
    ASSERT_TRUE(folder.write(plain.song()));
    const long long start = 5000000, period = 11610; // us
    short buffer[2 * 512];
    for (int latencyMs : {0, 30}) {
        ASSERT_EQ(sound.openOffline(), 1);
        sound.setLatency(latencyMs);
        const long long behind = 512 + latencyMs * 44100 / 1000;
        EXPECT_EQ(sound_heard_at(start), 0u);
        for (int k = 0; k < 200; k++) {
            sound_feed(buffer, 512, start + k * period);
            long long frame = 512LL * k + 220 - behind, row = frame / 5292, into = frame % 5292;
            OrderRow r = frame < 0 ? OrderRow(0, 0) : plain.rows[row];
            if (frame < 0 || (row < 22 && into > 100 && into < 5292 - 100)) {
                EXPECT_EQ(sound_heard_at(start + k * period + 5000), sound_pack(r.first, r.second))
                    << "buffer " << k << ", " << latencyMs << " ms";
            }
        }
        // A device that stops asking: the last buffer's end, however long the wait.
        OrderRow last = plain.rows[(512 * 200 - 1 - behind) / 5292];
        EXPECT_EQ(sound_heard_at(start + 199 * period + 3000000),
                  sound_pack(last.first, last.second));
        sound.release();
    }
}

// A soundtrack far shorter than the show (plain ends at 2.64 s): the whole show still plays on
// the virtual clock, and from the song's end on every frame reports its last row.
TEST_F(Music, AShortSongHoldsItsLastRowToTheShowsEnd) {
    ASSERT_TRUE(folder.write(plain.song()));
    const double fps = 10;
    gl_use_null();
    offline_begin();
    EXPECT_TRUE(offline_music());
    long frames = offline_frame_count(fps), held = 0;
    for (long k = 0; k < frames; k++) {
        offline_draw(k, fps, nullptr);
        held += kello.time >= 2.7f && heard() == plain.rows.back();
    }
    // The last frame lies past the show's last millisecond, as in a live run.
    EXPECT_GT(show_ms(kello.time), SHOW_LAST_MS);
    EXPECT_EQ(held, frames - 27);
    offline_end();
}
