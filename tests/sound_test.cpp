// The music player: the position the offline mode reports against the tempo arithmetic of
// modules written here, the heard-row model of the live queue, the silent paths for bad files
// and a missing device, and the real modules in the shared fixtures when they are there.
#include "show/show.h"
#include "engine/sound.h"
#include "engine/sync.h"
#include "tests/xmwrite.h"

#include <SDL.h>
#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

typedef std::pair<unsigned, unsigned> OrderRow;

// Each test runs in a fresh folder of its own, where it writes the music.xm it needs.
class Music : public ::testing::Test {
  protected:
    std::string home, dir;
    void SetUp() override {
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        home = cwd;
        char tmpl[] = "/tmp/ordune-music-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        ASSERT_EQ(chdir(dir.c_str()), 0);
        kello = Timer();
    }
    void TearDown() override {
        sound.release();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        unsetenv("SDL_AUDIODRIVER");
        kello = Timer();
        unlink("music.xm");
        rmdir("music.xm");
        EXPECT_EQ(chdir(home.c_str()), 0);
        rmdir(dir.c_str());
    }
    static void save(const XmSong& song) { ASSERT_TRUE(xm_save("music.xm", xm_build(song))); }
    static OrderRow offlineAt(double seconds) {
        sound.advanceTo(seconds, nullptr);
        unsigned row = sound.getRow();
        return {sound.getOrder(), row};
    }
};

// Plain playback: each row lasts speed * 2.5 / bpm seconds. The position at the middle of
// every row, walking the order list.
static std::vector<std::pair<double, OrderRow>> middles(const XmSong& song, double rowSeconds) {
    std::vector<std::pair<double, OrderRow>> out;
    int k = 0;
    for (size_t o = 0; o < song.orders.size(); o++)
        for (int r = 0; r < song.patterns[song.orders[o]].rows; r++, k++)
            out.push_back({(k + 0.5) * rowSeconds, {(unsigned)o, (unsigned)r}});
    return out;
}

// Three patterns of 4, 8 and 2 rows; the order list plays the second one twice. 0.12 s a row.
static XmSong plainSong() {
    XmSong s;
    s.speed = 6;
    s.bpm = 125;
    s.addPattern(4);
    s.addPattern(8);
    s.addPattern(2);
    s.orders = {0, 1, 2, 1};
    return s;
}

TEST_F(Music, OfflinePositionFollowsTheTempo) {
    XmSong s = plainSong();
    save(s);
    ASSERT_EQ(sound.openOffline(), 1);
    // The order is the index in the order list: the second play of pattern 1 is order 3.
    for (auto& m : middles(s, 6 * 2.5 / 125))
        EXPECT_EQ(offlineAt(m.first), m.second) << "at " << m.first << " s";
}

TEST_F(Music, SpeedChangeInTheSongIsFollowed) {
    XmSong s;
    s.speed = 3;
    s.bpm = 170; // a row of 44.12 ms, a tick of 648.5 frames: not a whole number
    s.addPattern(16);
    s.addPattern(16);
    s.cell(1, 0, 1).effect = 0x0F;
    s.cell(1, 0, 1).param = 6; // from order 1 on, six ticks a row: 88.24 ms
    s.orders = {0, 1};
    save(s);
    ASSERT_EQ(sound.openOffline(), 1);
    double fast = 3 * 2.5 / 170, slow = 6 * 2.5 / 170;
    for (int r = 0; r < 16; r++)
        EXPECT_EQ(offlineAt((r + 0.5) * fast), OrderRow(0, r));
    for (int r = 0; r < 16; r++)
        EXPECT_EQ(offlineAt(16 * fast + (r + 0.5) * slow), OrderRow(1, r));
}

TEST_F(Music, PatternBreakContinuesOnItsRow) {
    XmSong s = plainSong();
    s.patterns.clear();
    s.addPattern(8);
    s.addPattern(8);
    s.cell(0, 3, 1).effect = 0x0D;
    s.cell(0, 3, 1).param = 0x05; // after row 3: the next order, row 5
    s.orders = {0, 1};
    save(s);
    ASSERT_EQ(sound.openOffline(), 1);
    const OrderRow heard[] = {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 5}, {1, 6}, {1, 7}};
    for (int k = 0; k < 7; k++)
        EXPECT_EQ(offlineAt((k + 0.5) * 0.12), heard[k]) << "row " << k;
}

TEST_F(Music, PositionJumpNamesTheOrderJumpedTo) {
    XmSong s = plainSong();
    s.patterns.clear();
    s.addPattern(4);
    s.addPattern(4);
    s.addPattern(4);
    s.cell(0, 1, 1).effect = 0x0B;
    s.cell(0, 1, 1).param = 2; // after row 1 of order 0: order 2, skipping order 1
    s.orders = {0, 1, 2};
    save(s);
    ASSERT_EQ(sound.openOffline(), 1);
    const OrderRow heard[] = {{0, 0}, {0, 1}, {2, 0}, {2, 1}, {2, 2}, {2, 3}};
    for (int k = 0; k < 6; k++)
        EXPECT_EQ(offlineAt((k + 0.5) * 0.12), heard[k]) << "row " << k;
    // The song ends after order 2 without ever playing order 1.
    EXPECT_EQ(offlineAt(5.0), OrderRow(2, 3));
}

TEST_F(Music, PatternLoopRepeatsItsRows) {
    XmSong s = plainSong();
    s.patterns.clear();
    s.addPattern(4);
    s.cell(0, 1, 1).effect = 0x0E;
    s.cell(0, 1, 1).param = 0x60; // loop start
    s.cell(0, 2, 1).effect = 0x0E;
    s.cell(0, 2, 1).param = 0x62; // back to it twice
    s.orders = {0};
    save(s);
    ASSERT_EQ(sound.openOffline(), 1);
    const unsigned rows[] = {0, 1, 2, 1, 2, 1, 2, 3};
    for (int k = 0; k < 8; k++)
        EXPECT_EQ(offlineAt((k + 0.5) * 0.12), OrderRow(0, rows[k])) << "row " << k;
}

TEST_F(Music, PlaysOnceAndHoldsTheLastRow) {
    save(plainSong());
    ASSERT_EQ(sound.openOffline(), 1);
    std::vector<short> pcm;
    sound.advanceTo(2.64, &pcm); // 22 rows of 0.12 s: the whole song
    EXPECT_EQ(OrderRow(sound.getOrder(), sound.getRow()), OrderRow(3, 7));
    sound.advanceTo(6.0, &pcm);
    EXPECT_EQ(OrderRow(sound.getOrder(), sound.getRow()), OrderRow(3, 7));
    sound.advanceTo(60.0, nullptr);
    EXPECT_EQ(OrderRow(sound.getOrder(), sound.getRow()), OrderRow(3, 7));
    ASSERT_EQ(pcm.size(), (size_t)2 * 6 * SOUND_RATE);
    // Sound in the song, silence after it, from 2.64 s plus a little for the ramp-down.
    bool loud = false, quiet = true;
    for (size_t i = 0; i < (size_t)2 * 264 * SOUND_RATE / 100; i++)
        loud = loud || pcm[i] != 0;
    for (size_t i = (size_t)2 * 27 * SOUND_RATE / 10; i < pcm.size(); i++)
        quiet = quiet && pcm[i] == 0;
    EXPECT_TRUE(loud);
    EXPECT_TRUE(quiet);
}

TEST_F(Music, JumpBackToTheStartEndsTheSong) {
    XmSong s = plainSong();
    s.patterns.clear();
    s.addPattern(4);
    s.addPattern(4);
    s.cell(1, 3, 1).effect = 0x0B; // the last row jumps back to order 0: a loop
    s.orders = {0, 1};
    save(s);
    ASSERT_EQ(sound.openOffline(), 1);
    EXPECT_EQ(offlineAt(0.9), OrderRow(1, 3));
    EXPECT_EQ(offlineAt(1.5), OrderRow(1, 3));
    EXPECT_EQ(offlineAt(30.0), OrderRow(1, 3));
}

TEST_F(Music, RenderingIsDeterministicInAnySteps) {
    save(plainSong());
    ASSERT_EQ(sound.openOffline(), 1);
    std::vector<short> whole;
    sound.advanceTo(2.0, &whole);
    sound.release();
    ASSERT_EQ(sound.openOffline(), 1);
    // The frame times of a 60 fps run, as float seconds, the way the offline driver feeds them.
    std::vector<short> stepped;
    for (long k = 0; k <= 120; k++)
        sound.advanceTo((float)((double)k / 60.0), &stepped);
    ASSERT_EQ(whole.size(), (size_t)2 * 2 * SOUND_RATE);
    EXPECT_EQ(whole, stepped);
    // Going back renders nothing and keeps the position.
    sound.advanceTo(1.0, &stepped);
    EXPECT_EQ(stepped.size(), whole.size());
}

TEST_F(Music, SyncTrackFiresOnTheOfflineRow) {
    save(plainSong());
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
    // The first 60 fps frame inside the row: 0.7333 s.
    EXPECT_EQ(fired, 44);
}

// The files a show may find in place of a module, each with its one line.
TEST_F(Music, BadFilesRunSilentWithOneLine) {
    std::vector<uint8_t> good = xm_build(plainSong());
    std::vector<uint8_t> garbage(3000);
    unsigned x = 12345;
    for (uint8_t& b : garbage)
        b = (uint8_t)((x = x * 1103515245u + 12345u) >> 16);
    std::vector<uint8_t> signedGarbage(good.begin(), good.begin() + 17);
    signedGarbage.insert(signedGarbage.end(), garbage.begin(), garbage.end());
    struct Case {
        const char* name;
        int kind; // 0 bytes, 1 no file, 2 a folder
        std::vector<uint8_t> bytes;
        const char* cause;
    };
    const Case cases[] = {
        {"missing", 1, {}, "No such file"},
        {"folder", 2, {}, "not a regular file"},
        {"empty", 0, {}, "empty file"},
        {"header cut", 0, std::vector<uint8_t>(good.begin(), good.begin() + 50), "truncated"},
        {"samples cut", 0, std::vector<uint8_t>(good.begin(), good.end() - 10), "truncated"},
        {"garbage", 0, garbage, "not an XM module"},
        {"garbage after the signature", 0, signedGarbage, ""},
    };
    for (const Case& c : cases) {
        unlink("music.xm");
        rmdir("music.xm");
        if (c.kind == 0) {
            ASSERT_TRUE(xm_save("music.xm", c.bytes));
        }
        if (c.kind == 2) {
            ASSERT_EQ(mkdir("music.xm", 0700), 0);
        }
        for (int live = 0; live < 2; live++) {
            testing::internal::CaptureStderr();
            if (live) {
                EXPECT_EQ(sound.init(), 1);
                sound.play();
            } else {
                EXPECT_EQ(sound.openOffline(), 0);
            }
            std::string err = testing::internal::GetCapturedStderr();
            EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << c.name << ": " << err;
            EXPECT_NE(err.find("music.xm"), std::string::npos) << c.name << ": " << err;
            EXPECT_NE(err.find(c.cause), std::string::npos) << c.name << ": " << err;
            kello.time = 1.0f;
            sound.advanceTo(1.0, nullptr);
            EXPECT_EQ(sound.getRow(), 0u) << c.name;
            EXPECT_EQ(sound.getOrder(), 0u) << c.name;
            sound.release();
        }
    }
}

TEST_F(Music, UnreadableFileRunsSilent) {
    if (geteuid() == 0)
        GTEST_SKIP() << "running as root, which reads any file";
    save(plainSong());
    ASSERT_EQ(chmod("music.xm", 0), 0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(sound.openOffline(), 0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("music.xm: Permission denied"), std::string::npos) << err;
}

TEST_F(Music, CheckFindsEveryCut) {
    std::vector<uint8_t> good = xm_build(plainSong());
    EXPECT_EQ(sound_check_xm(good.data(), good.size()), "");
    // The sample data ends the file, so every shorter prefix lacks something it declares.
    for (size_t n = 0; n < good.size(); n++)
        ASSERT_NE(sound_check_xm(good.data(), n), "") << n << " bytes";
}

// Without a device the module follows the show clock: the same positions as offline.
TEST_F(Music, NoDeviceFollowsTheClock) {
    XmSong s = plainSong();
    save(s);
    const char* drivers[] = {"dummy", "no-such-driver"};
    for (const char* driver : drivers) {
        setenv("SDL_AUDIODRIVER", driver, 1);
        testing::internal::CaptureStderr();
        EXPECT_EQ(sound.init(), 1);
        sound.play();
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_NE(err.find("the show runs without sound"), std::string::npos) << err;
        for (auto& m : middles(s, 0.12)) {
            kello.time = (float)m.first;
            unsigned row = sound.getRow();
            EXPECT_EQ(OrderRow(sound.getOrder(), row), m.second) << driver << " " << m.first;
        }
        kello.time = 100.0f;
        EXPECT_EQ(OrderRow(sound.getOrder(), sound.getRow()), OrderRow(3, 7));
        sound.release();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

// The live queue: buffers of 512 frames handed over every 11610 us; rows of 5292 frames.
TEST_F(Music, HeardRowIsTheBufferLeavingTheDevice) {
    save(plainSong());
    ASSERT_EQ(sound.openOffline(), 1);
    const long long start = 5000000, period = 11610; // us
    EXPECT_EQ(sound_heard_at(start), 0u);
    short buffer[2 * 512];
    for (int k = 0; k <= 10; k++)
        sound_feed(buffer, 512, start + k * period);
    // The decoder has reached frame 5632, in row 1; the speaker starts buffer 10 at frame 5120,
    // still row 0, and reaches row 1 (frame 5292) about 3.9 ms later; positions are
    // kept per 64-frame slice, so the change may show up to 1.45 ms early.
    long long handed = start + 10 * period;
    EXPECT_EQ(sound_heard_at(handed), sound_pack(0, 0));
    EXPECT_EQ(sound_heard_at(handed + 2000), sound_pack(0, 0));
    EXPECT_EQ(sound_heard_at(handed + 6000), sound_pack(0, 1));
    // Through the song: each query 5 ms into a buffer hears frame 512k + 220.
    for (int k = 11; k < 200; k++) {
        sound_feed(buffer, 512, start + k * period);
        long long frame = 512LL * k + 220;
        long long into = frame % 5292;
        if (into < 100 || into > 5292 - 100)
            continue;
        long long row = frame / 5292; // 0..21 over orders of 4, 8, 2, 8 rows
        unsigned order = row < 4 ? 0 : row < 12 ? 1 : row < 14 ? 2 : 3;
        unsigned first = order == 0 ? 0 : order == 1 ? 4 : order == 2 ? 12 : 14;
        if (row >= 22)
            break;
        EXPECT_EQ(sound_heard_at(start + k * period + 5000), sound_pack(order, row - first))
            << "buffer " << k;
    }
    // A device that stops asking: the last buffer's end, however long the wait.
    sound_feed(buffer, 512, start + 200 * period);
    // Frame 102400 + 511 is in the 20th row: order 3, row 5.
    EXPECT_EQ(sound_heard_at(start + 200 * period + 3000000), sound_pack(3, 5));
}

// Real modules written elsewhere, read in place when the shared fixtures are there.
static const char* const FIXTURES = ORDUNE_SOURCE_DIR "/../shared/fixtures/modules/";
static const char* const FIXTURE_NAMES[] = {"rhino-sting.xm", "pattern-jump-break.xm",
                                            "pattern-loop-jumps.xm"};

static bool read_fixture(const char* name, std::vector<uint8_t>* bytes) {
    FILE* f = fopen((std::string(FIXTURES) + name).c_str(), "rb");
    if (!f)
        return false;
    int c;
    while ((c = fgetc(f)) != EOF)
        bytes->push_back((uint8_t)c);
    fclose(f);
    return true;
}

TEST_F(Music, FixturesPassTheCheckAndPlayOnce) {
    for (const char* name : FIXTURE_NAMES) {
        std::vector<uint8_t> bytes;
        if (!read_fixture(name, &bytes))
            GTEST_SKIP() << "no fixture modules in " << FIXTURES;
        EXPECT_EQ(sound_check_xm(bytes.data(), bytes.size()), "") << name;
        for (size_t n = 0; n < bytes.size(); n += 7)
            ASSERT_NE(sound_check_xm(bytes.data(), n), "") << name << " cut at " << n;

        ASSERT_TRUE(xm_save("music.xm", bytes));
        std::vector<short> first, second;
        ASSERT_EQ(sound.openOffline(), 1) << name;
        sound.advanceTo(3.0, &first);
        sound.release();
        ASSERT_EQ(sound.openOffline(), 1) << name;
        sound.advanceTo(3.0, &second);
        EXPECT_EQ(first, second) << name;
        // Well past the end: the position holds, and is not the start again.
        OrderRow end = offlineAt(190.0);
        EXPECT_NE(end, OrderRow(0, 0)) << name;
        EXPECT_EQ(offlineAt(200.0), end) << name;
        sound.release();
    }
}
