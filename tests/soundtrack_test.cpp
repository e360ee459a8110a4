// The generated soundtrack music.xm: two independent players read the same song and agree on
// its length and tempo, every cue row the scenes' tracks wait for carries a drum hit and a cue
// sound, the hook, the sections on the scene cuts, the variety of its harmony and arpeggios, the
// unchanged cue sheet, the generator writes the same bytes every run, and its command line.
#include "engine/gl.h"
#include "engine/sound.h"
#include "engine/sync.h"
#include "engine/timer.h"
#include "scenes/scenes.h"
#include "show/show.h"
#include "tools/cues.h"

#include <libopenmpt/libopenmpt.hpp>
#include <xmp.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

const std::string MUSIC = std::string(ORDUNE_BINARY_DIR) + "/music.xm";
const std::string GENERATOR = std::string(ORDUNE_BINARY_DIR) + "/ordune-xmgen";
const double ORDER_SECONDS = 64 * 3 * 2.5 / 170; // 64 rows of 3 ticks at 170 BPM
// As the show plays it: libopenmpt mixes a tick as 648 whole frames at 44.1 kHz.
const double PLAYED_ROW_SECONDS = 3 * 648.0 / SOUND_RATE;
const int ROWS = 64;

std::vector<char> read_bytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

int run(const std::string& args) {
    int r = std::system((GENERATOR + " " + args + " 2>/dev/null").c_str());
    return WIFEXITED(r) ? WEXITSTATUS(r) : -1;
}

// The module as libxmp parses it, released with the fixture.
class Soundtrack : public ::testing::Test {
  protected:
    void SetUp() override {
        bytes = read_bytes(MUSIC);
        ASSERT_FALSE(bytes.empty()) << MUSIC;
        ctx = xmp_create_context();
        ASSERT_EQ(xmp_load_module_from_memory(ctx, bytes.data(), long(bytes.size())), 0);
        xmp_get_module_info(ctx, &info);
        mod = info.mod;
    }
    void TearDown() override {
        xmp_release_module(ctx);
        xmp_free_context(ctx);
    }
    const xmp_event& event(int order, int row, int channel) const {
        const xmp_pattern* p = mod->xxp[mod->xxo[order]];
        return mod->xxt[p->index[channel]]->event[row];
    }
    bool note_on(const xmp_event& e) const { return e.note > 0 && e.note < XMP_KEY_OFF; }
    // A note of one of the named instruments at an audible volume (0 is the sample's own 64).
    bool plays(const xmp_event& e, const std::set<std::string>& names) const {
        return note_on(e) && e.ins > 0 && (e.vol == 0 || e.vol > 16) &&
               names.count(mod->xxi[e.ins - 1].name) > 0;
    }
    bool any_channel_plays(int order, int row, const std::set<std::string>& names) const {
        for (int ch = 0; ch < mod->chn; ch++)
            if (plays(event(order, row, ch), names))
                return true;
        return false;
    }
    // The notes of one instrument in an order, by row: (row, note); on one channel, or on all
    // when `channel` is -1.
    std::vector<std::pair<int, int>> notes_of(int order, const std::string& name,
                                              int channel = -1) const {
        std::vector<std::pair<int, int>> out;
        for (int row = 0; row < ROWS; row++)
            for (int ch = 0; ch < mod->chn; ch++)
                if ((channel < 0 || ch == channel) && plays(event(order, row, ch), {name}))
                    out.push_back({row, event(order, row, ch).note});
        return out;
    }
    // The instruments whose notes start in an order.
    std::set<int> instruments_in(int order) const {
        std::set<int> out;
        for (int row = 0; row < ROWS; row++)
            for (int ch = 0; ch < mod->chn; ch++)
                if (note_on(event(order, row, ch)))
                    out.insert(event(order, row, ch).ins);
        return out;
    }

    std::vector<char> bytes;
    xmp_context ctx = nullptr;
    xmp_module_info info;
    const xmp_module* mod = nullptr;
};

TEST_F(Soundtrack, BothPlayersReadTheSameSongOfTheShowsLength) {
    openmpt::module mpt(bytes);
    EXPECT_EQ(mpt.get_metadata("title"), "Ordune");
    EXPECT_STREQ(mod->name, "Ordune");
    EXPECT_EQ(mod->len, mpt.get_num_orders());
    EXPECT_EQ(mod->spd, 3);
    EXPECT_EQ(mod->bpm, 170);
    EXPECT_EQ(mpt.get_current_speed(), 3);
    EXPECT_EQ(mpt.get_current_tempo(), 170);
    for (int o = 0; o < mod->len; o++) {
        EXPECT_EQ(mpt.get_pattern_num_rows(mpt.get_order_pattern(o)), 64) << "order " << o;
        EXPECT_EQ(mod->xxp[mod->xxo[o]]->rows, 64) << "order " << o;
    }
    // libxmp times ticks exactly (2.5 / BPM s); libopenmpt estimates the duration at 48 kHz in
    // whole frames a tick, 705 instead of 705.88: up to one frame short per tick.
    xmp_start_player(ctx, 48000, 0);
    xmp_frame_info frame;
    xmp_get_frame_info(ctx, &frame);
    double seconds = frame.total_time / 1000.0;
    EXPECT_NEAR(seconds, mod->len * ORDER_SECONDS, 0.01);
    EXPECT_GT(seconds, 200.0);
    EXPECT_NEAR(mpt.get_duration_seconds(), seconds, mod->len * 64 * 3 / 48000.0);
}

// The rows the show's tracks fire on, read from the tracks themselves once the show is built:
// a note-on of a drum instrument on a drum channel, and a cue sound of its own on any channel.
TEST_F(Soundtrack, EveryCueRowHasADrumHitAndACueSound) {
    const std::set<std::string> drums = {"kick", "snare", "closed hat", "open hat", "tom", "crash"};
    const std::set<std::string> cueSounds = {"stab", "clap"};
    const int drumChannels = 4;
    gl_use_null();
    show_init();
    int cues = 0;
    for (const Sync* t : sync_tracks())
        for (int i = 0; i < std::min(t->count, t->capacity); i++, cues++) {
            int order = t->eventOrder[i], row = t->eventRow[i];
            ASSERT_LT(order, mod->len) << t->scene;
            bool hit = false;
            for (int ch = 0; ch < drumChannels; ch++)
                hit = hit || plays(event(order, row, ch), drums);
            EXPECT_TRUE(hit) << t->scene << ": order " << order << " row " << row;
            EXPECT_TRUE(any_channel_plays(order, row, cueSounds))
                << t->scene << ": no cue sound at order " << order << " row " << row;
        }
    show_free();
    EXPECT_GT(cues, 300); // seven scenes' tracks
}

// The theme (the lead's first notes at order 28) opens with a motif heard, complete, within
// the first 20 seconds.
TEST_F(Soundtrack, TheThemeGrowsFromAHookInTheFirstTwentySeconds) {
    const int themeOrder = 28, motifNotes = 4;
    int leadChannel = 0; // the one that starts the theme (its echo follows on another)
    while (leadChannel < mod->chn && !plays(event(themeOrder, 0, leadChannel), {"lead"}))
        leadChannel++;
    std::vector<std::pair<int, int>> theme = notes_of(themeOrder, "lead", leadChannel);
    ASSERT_GE(theme.size(), size_t(motifNotes));
    std::vector<int> intervals;
    for (int k = 1; k < motifNotes; k++)
        intervals.push_back(theme[k].second - theme[k - 1].second);
    double heardBy = -1.0;
    for (int ch = 0; ch < mod->chn && heardBy < 0.0; ch++) {
        std::vector<std::pair<int, int>> notes; // (song row, note)
        for (int pos = 0; pos * PLAYED_ROW_SECONDS < 20.0; pos++) {
            const xmp_event& e = event(pos / ROWS, pos % ROWS, ch);
            if (note_on(e))
                notes.push_back({pos, e.note});
        }
        for (size_t i = 0; i + motifNotes <= notes.size() && heardBy < 0.0; i++) {
            bool same = true;
            for (int k = 1; k < motifNotes; k++)
                same = same && notes[i + k].second - notes[i + k - 1].second == intervals[k - 1];
            if (same)
                heardBy = notes[i + motifNotes - 1].first * PLAYED_ROW_SECONDS;
        }
    }
    ASSERT_GE(heardBy, 0.0) << "no channel plays the theme's opening within 20 s";
    std::printf("the hook is heard by %.1f s\n", heardBy);
}

// At the order nearest each scene's start (within 1.5 s) a section begins: the instruments that
// play there differ from those of the order before (an entrance or a drop). The city's cut falls
// mid-order: a crash marks its row.
TEST_F(Soundtrack, SectionsStartOnTheSceneCuts) {
    const int expected[TIMELINE_SCENES] = {0, 7, 14, 21, 28, 36, 44, 50, 56, 63};
    const double orderSeconds = ROWS * PLAYED_ROW_SECONDS;
    for (int i = 0; i < TIMELINE_SCENES; i++) {
        double start = scenes[i].window[0] / 1000.0;
        int order = int(std::lround(start / orderSeconds));
        EXPECT_EQ(order, expected[i]) << scenes[i].name;
        EXPECT_LE(std::fabs(order * orderSeconds - start), 1.5) << scenes[i].name;
        if (order > 0) {
            EXPECT_NE(instruments_in(order), instruments_in(order - 1))
                << scenes[i].name << ": nothing enters or drops out at order " << order;
        }
    }
    long cityRow = std::lround(scenes[TIMELINE_SCENES - 1].window[0] / 1000.0 / PLAYED_ROW_SECONDS);
    EXPECT_TRUE(any_channel_plays(int(cityRow / ROWS), int(cityRow % ROWS), {"crash"}));
}

TEST_F(Soundtrack, NoChordLoopOrArpeggioFigureRunsOverEightOrders) {
    const int longest = 8;
    // The arpeggio's figure in an order: each note's row and its rank among the order's pitches.
    std::vector<std::vector<std::pair<int, int>>> figures;
    std::vector<std::set<int>> chords;
    std::map<int, int> held; // pad channel -> note
    for (int order = 0; order < mod->len; order++) {
        std::vector<std::pair<int, int>> arp = notes_of(order, "pluck");
        std::set<int> pitches;
        for (const auto& n : arp)
            pitches.insert(n.second);
        for (auto& n : arp)
            n.second = int(std::distance(pitches.begin(), pitches.find(n.second)));
        figures.push_back(arp);
        for (int ch = 0; ch < mod->chn; ch++)
            if (plays(event(order, 0, ch), {"pad"}))
                held[ch] = event(order, 0, ch).note;
        std::set<int> chord;
        for (const auto& h : held)
            chord.insert(h.second % 12);
        chords.push_back(chord);
        for (int row = 1; row < ROWS; row++)
            for (int ch = 0; ch < mod->chn; ch++)
                if (plays(event(order, row, ch), {"pad"}))
                    held[ch] = event(order, row, ch).note;
    }
    int figureRun = 1, loopRun = 0;
    for (int order = 1; order < mod->len; order++) {
        bool sameFigure = !figures[order].empty() && figures[order] == figures[order - 1];
        figureRun = sameFigure ? figureRun + 1 : 1;
        EXPECT_LE(figureRun, longest) << "the arpeggio's figure unchanged up to order " << order;
        loopRun = order >= 4 && chords[order] == chords[order - 4] ? loopRun + 1 : 0;
        EXPECT_LE(loopRun + 4, longest) << "a four-chord loop unchanged up to order " << order;
    }
    // The progressions the sections after the first open with.
    std::set<std::vector<std::set<int>>> progressions;
    for (int order : {7, 14, 21, 28, 36, 44, 50, 56, 63})
        progressions.insert(
            std::vector<std::set<int>>(chords.begin() + order, chords.begin() + order + 4));
    EXPECT_GE(progressions.size(), 3u);
}

// Timing: nothing in the patterns changes the tempo or the order of rows, and nothing fades the
// song: speed, tempo, jumps, breaks, pattern loops and delays, global volume.
TEST_F(Soundtrack, NoEffectMovesTheTimingOrFadesTheSong) {
    const std::set<int> forbidden = {0x0b, 0x0d, 0x0f, 0x10, 0x11};
    for (int order = 0; order < mod->len; order++)
        for (int row = 0; row < ROWS; row++)
            for (int ch = 0; ch < mod->chn; ch++) {
                const xmp_event& e = event(order, row, ch);
                for (auto fx : {std::make_pair(e.fxt, e.fxp), std::make_pair(e.f2t, e.f2p)}) {
                    bool loopOrDelay =
                        fx.first == 0x0e && (fx.second >> 4 == 6 || fx.second >> 4 == 14);
                    EXPECT_FALSE(forbidden.count(fx.first) || loopOrDelay)
                        << "effect " << int(fx.first) << " at order " << order << " row " << row;
                }
            }
}

// The cue sheet the show fires with this music: 267 of the scheduled scenes' events.
TEST(SoundtrackCueSheet, TheScheduledScenesFireTheirCues) {
    std::filesystem::path home = std::filesystem::current_path();
    std::filesystem::current_path(ORDUNE_BINARY_DIR);
    gl_use_null();
    show_init();
    MusicTrace trace;
    kello = Timer();
    ASSERT_EQ(sound.openOffline(), 1);
    cues_trace_music(&trace, 200000);
    sound.release();
    std::vector<Cue> cues = cues_collect(trace);
    show_free();
    std::filesystem::current_path(home);
    EXPECT_EQ(std::count_if(cues.begin(), cues.end(), [](const Cue& c) { return c.fires; }), 267);
}

TEST(SoundtrackGenerator, TwoRunsWriteTheBuildsBytes) {
    const std::string a = ::testing::TempDir() + "/ordune_music_a.xm";
    const std::string b = ::testing::TempDir() + "/ordune_music_b.xm";
    ASSERT_EQ(run(a), 0);
    ASSERT_EQ(run(b), 0);
    std::vector<char> first = read_bytes(a);
    ASSERT_GT(first.size(), 1000u);
    EXPECT_TRUE(first == read_bytes(b));
    EXPECT_TRUE(first == read_bytes(MUSIC));
    std::remove(a.c_str());
    std::remove(b.c_str());
}

// --wav renders at the show's rate: order 0 alone is its 124416 frames (192 ticks of 648), and
// the reading stops within the 1024-frame block that crosses into order 1.
TEST(SoundtrackGenerator, WavRendersAtTheShowsRate) {
    const std::string wav = ::testing::TempDir() + "/ordune_order0.wav";
    ASSERT_EQ(run("--wav " + wav + " 0 0"), 0);
    std::vector<char> bytes = read_bytes(wav);
    std::remove(wav.c_str());
    ASSERT_GT(bytes.size(), 44u);
    auto u32 = [&](size_t at) {
        uint32_t v = 0;
        for (int i = 3; i >= 0; i--)
            v = v << 8 | uint8_t(bytes[at + size_t(i)]);
        return v;
    };
    EXPECT_EQ(u32(24), uint32_t(SOUND_RATE));
    uint32_t frames = u32(40) / 4;
    EXPECT_GE(frames, 124416u);
    EXPECT_LT(frames, 124416u + 1024u);
}

// 2 for a usage fault, 1 for a file that cannot be written.
TEST(SoundtrackGenerator, RefusesBadArguments) {
    for (const char* args :
         {"", "--wav", "--wav /dev/null 72", "--wav /dev/null 5 4", "--wav /dev/null x"})
        EXPECT_EQ(run(args), 2) << args;
    EXPECT_EQ(run("/nonexistent-dir/music.xm"), 1);
}

} // namespace
