// The generated soundtrack music.xm: two independent players read the same song and agree on
// its length, every cue row the scenes' tracks wait for carries a drum hit, the generator writes
// the same bytes every run, and its command line.
#include "engine/gl.h"
#include "engine/sync.h"
#include "show/show.h"

#include <libopenmpt/libopenmpt.hpp>
#include <xmp.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <set>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

const std::string MUSIC = std::string(ORDUNE_BINARY_DIR) + "/music.xm";
const std::string GENERATOR = std::string(ORDUNE_BINARY_DIR) + "/ordune-xmgen";
const double ORDER_SECONDS = 64 * 3 * 2.5 / 170; // 64 rows of 3 ticks at 170 BPM

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

// The rows the show's tracks fire on, read from the tracks themselves once the show is built: a
// note-on of a drum instrument at an audible volume (0 is the sample's own 64) on a drum channel.
TEST_F(Soundtrack, EveryCueRowHasADrumHit) {
    const std::set<std::string> drums = {"kick", "snare", "closed hat", "open hat", "tom", "crash"};
    const int drumChannels = 4;
    gl_use_null();
    show_init();
    int cues = 0;
    for (const Sync* t : sync_tracks())
        for (int i = 0; i < std::min(t->count, t->capacity); i++, cues++) {
            int order = t->eventOrder[i], row = t->eventRow[i];
            ASSERT_LT(order, mod->len) << t->scene;
            bool hit = false;
            for (int ch = 0; ch < drumChannels; ch++) {
                const xmp_event& e = event(order, row, ch);
                if (e.note > 0 && e.note < XMP_KEY_OFF && e.ins > 0 && (e.vol == 0 || e.vol > 16))
                    hit = hit || drums.count(mod->xxi[e.ins - 1].name) > 0;
            }
            EXPECT_TRUE(hit) << t->scene << ": order " << order << " row " << row;
        }
    show_free();
    EXPECT_GT(cues, 300); // seven scenes' tracks
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

// 2 for a usage fault, 1 for a file that cannot be written.
TEST(SoundtrackGenerator, RefusesBadArguments) {
    for (const char* args :
         {"", "--wav", "--wav /dev/null 72", "--wav /dev/null 5 4", "--wav /dev/null x"})
        EXPECT_EQ(run(args), 2) << args;
    EXPECT_EQ(run("/nonexistent-dir/music.xm"), 1);
}

} // namespace
