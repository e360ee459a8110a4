// The generated soundtrack music.xm: read by two independent players, its cue rows, its
// repeatability, its levels section by section and its samples' loops and endings.
#include <libopenmpt/libopenmpt.hpp>
#include <xmp.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

const std::string MUSIC = std::string(ORDUNE_BINARY_DIR) + "/music.xm";
const std::string GENERATOR = std::string(ORDUNE_BINARY_DIR) + "/ordune-xmgen";
const double ORDER_SECONDS = 64 * 3 * 2.5 / 170; // 64 rows of 3 ticks at 170 BPM
const int DRUM_CHANNELS = 4;

std::vector<char> read_bytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

struct Cue {
    int order, row;
};

// The scenes' sync events, (order, row), written out from their own tables.
std::vector<Cue> scene_cues() {
    std::vector<Cue> cues;
    auto add = [&](int first, int last, std::vector<int> rows) {
        for (int o = first; o <= last; o++)
            for (int r : rows)
                cues.push_back({o, r});
    };
    const std::vector<int> six = {0, 12, 20, 44, 48, 52}, four = {0, 26, 48, 52};
    // kellu
    add(4, 16, {0, 12, 44});
    add(17, 17, {0, 12, 44, 54});
    add(18, 18, {0, 12, 44});
    add(19, 19, {12, 44});
    // viivatus
    add(14, 16, {0, 12, 44});
    add(17, 17, {0, 12, 44, 54});
    add(18, 18, {0, 12, 44});
    add(19, 19, {32, 44});
    add(20, 21, {0, 32, 40});
    // pyorre
    add(22, 23, {0, 32, 40});
    add(24, 24, {40});
    add(25, 25, {0, 8, 20, 32, 40});
    add(27, 27, {44, 50, 56});
    // ruutu
    add(28, 28, six);
    add(29, 29, four);
    add(30, 32, six);
    add(33, 33, four);
    add(34, 34, six);
    add(35, 35, {0, 12, 20, 44, 48, 52, 56, 60});
    // kasvu
    add(36, 36, six);
    add(37, 37, four);
    add(38, 40, six);
    add(41, 41, four);
    add(42, 43, six);
    // perhonen, the butterflies' track: a roll in order 52
    add(50, 50, {0, 8, 20, 36, 48, 60});
    add(51, 51, {0, 6, 12, 22, 28, 32, 44});
    for (int r = 0; r <= 32; r += 2)
        add(52, 52, {r});
    for (int r = 33; r <= 46; r++)
        add(52, 52, {r});
    add(53, 53, six);
    add(54, 54, four);
    add(55, 55, six);
    // perhonen, the camera's track
    add(50, 50, {0, 8, 20, 36, 48, 60});
    add(51, 51, {0, 6, 12, 22, 28, 32, 44});
    add(53, 53, six);
    add(54, 54, four);
    add(55, 57, six);
    // virta
    add(54, 54, four);
    add(55, 57, six);
    add(58, 58, four);
    add(59, 59, six);
    add(60, 60, {0, 12, 20, 44, 48, 52, 56, 60});
    add(61, 61, six);
    add(62, 62, four);
    add(63, 63, six);
    return cues;
}

const std::set<std::string> DRUMS = {"kick", "snare", "closed hat", "open hat", "tom", "crash"};

// The module as libxmp parses it, released with the fixture.
class XmpModule : public ::testing::Test {
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
        if (ctx) {
            xmp_release_module(ctx);
            xmp_free_context(ctx);
        }
    }
    const xmp_event& event(int order, int row, int channel) const {
        const xmp_pattern* p = mod->xxp[mod->xxo[order]];
        return mod->xxt[p->index[channel]]->event[row];
    }
    std::string instrument_name(int ins) const { return mod->xxi[ins - 1].name; }

    std::vector<char> bytes;
    xmp_context ctx = nullptr;
    xmp_module_info info;
    const xmp_module* mod = nullptr;
};

TEST_F(XmpModule, BothPlayersReadTheSameSong) {
    openmpt::module mpt(bytes);
    EXPECT_EQ(mpt.get_metadata("title"), "Ordune");
    EXPECT_STREQ(mod->name, "Ordune");
    EXPECT_GE(mpt.get_num_orders(), 72);
    EXPECT_EQ(mod->len, mpt.get_num_orders());
    EXPECT_EQ(mod->spd, 3);
    EXPECT_EQ(mod->bpm, 170);
    EXPECT_EQ(mpt.get_current_speed(), 3);
    EXPECT_EQ(mpt.get_current_tempo(), 170);
    for (int o = 0; o < mod->len; o++) {
        EXPECT_EQ(mpt.get_pattern_num_rows(mpt.get_order_pattern(o)), 64) << "order " << o;
        EXPECT_EQ(mod->xxp[mod->xxo[o]]->rows, 64) << "order " << o;
    }
}

// libxmp times ticks exactly (2.5 / BPM s). libopenmpt, like the tracker the format comes from,
// makes every tick a whole number of output frames, and estimates the duration at 48 kHz,
// where 170 BPM gives 705 frames instead of 705.88: up to one frame short per tick. Played at
// 47600 Hz a tick is exactly 700 frames, and there the two players must agree closely.
TEST_F(XmpModule, DurationsAgreeAndOutlastTheShow) {
    xmp_start_player(ctx, 48000, 0);
    xmp_frame_info frame;
    xmp_get_frame_info(ctx, &frame);
    double xmpSeconds = frame.total_time / 1000.0;
    EXPECT_NEAR(xmpSeconds, mod->len * ORDER_SECONDS, 0.01);
    EXPECT_GT(xmpSeconds, 200.0);

    openmpt::module mpt(bytes);
    const int ticks = mod->len * 64 * 3;
    EXPECT_GT(mpt.get_duration_seconds(), 200.0);
    EXPECT_NEAR(mpt.get_duration_seconds(), xmpSeconds, ticks / 48000.0);

    // Render tick by tick and note when the last row begins; the song ends a row later.
    const int rate = 47600, tick = 700;
    std::vector<float> buffer(2 * tick);
    long frames = 0, lastRowStart = -1;
    while (mpt.read_interleaved_stereo(rate, tick, buffer.data()) == size_t(tick)) {
        frames += tick;
        if (lastRowStart < 0 && mpt.get_current_order() == mod->len - 1 &&
            mpt.get_current_row() == 63)
            lastRowStart = frames;
        if (frames > 210L * rate)
            break;
    }
    ASSERT_GT(lastRowStart, 0);
    double mptSeconds = double(lastRowStart + 3 * tick) / rate;
    EXPECT_NEAR(mptSeconds, xmpSeconds, 0.1);
}

TEST_F(XmpModule, EveryCueRowHasADrumHit) {
    std::vector<Cue> cues = scene_cues();
    // kellu, viivatus, pyorre, ruutu, kasvu, both perhonen tracks, virta
    ASSERT_EQ(cues.size(), 48u + 24u + 15u + 46u + 44u + 60u + 41u + 56u);
    for (const Cue& c : cues) {
        ASSERT_LT(c.order, mod->len);
        bool hit = false;
        for (int ch = 0; ch < DRUM_CHANNELS; ch++) {
            const xmp_event& e = event(c.order, c.row, ch);
            // A note-on with a drum instrument at an audible volume (0 = the sample's 64).
            if (e.note > 0 && e.note < XMP_KEY_OFF && e.ins > 0 && (e.vol == 0 || e.vol > 16))
                hit = hit || DRUMS.count(instrument_name(e.ins)) > 0;
        }
        EXPECT_TRUE(hit) << "order " << c.order << " row " << c.row;
    }
}

TEST_F(XmpModule, DrumChannelsCarryOnlyDrums) {
    int drumNotes = 0;
    for (int o = 0; o < mod->len; o++)
        for (int r = 0; r < 64; r++)
            for (int ch = 0; ch < mod->chn; ch++) {
                const xmp_event& e = event(o, r, ch);
                if (e.ins == 0)
                    continue;
                bool drum = DRUMS.count(instrument_name(e.ins)) > 0;
                EXPECT_EQ(drum, ch < DRUM_CHANNELS) << "order " << o << " row " << r;
                drumNotes += drum;
            }
    EXPECT_GT(drumNotes, 1000);
}

// The funnel's breakdown (orders 44..49) has no drums at all.
TEST_F(XmpModule, TheBreakdownHasNoDrums) {
    for (int o = 44; o <= 49; o++)
        for (int r = 0; r < 64; r++)
            for (int ch = 0; ch < DRUM_CHANNELS; ch++)
                EXPECT_EQ(event(o, r, ch).note, 0) << "order " << o << " row " << r;
}

// Looped samples must join without a step: the loop starts near a zero crossing and the jump
// from its last frame back to its first is no larger than the largest step inside the loop.
// One-shot samples end at silence.
TEST_F(XmpModule, SamplesLoopAndEndWithoutClicks) {
    int loops = 0;
    for (int i = 0; i < mod->smp; i++) {
        const xmp_sample& s = mod->xxs[i];
        ASSERT_TRUE(s.flg & XMP_SAMPLE_16BIT) << s.name;
        const int16_t* d = reinterpret_cast<const int16_t*>(s.data);
        ASSERT_GT(s.len, 0);
        if (s.flg & XMP_SAMPLE_LOOP) {
            loops++;
            ASSERT_LE(s.lpe, s.len);
            EXPECT_LE(std::abs(d[s.lps]), 328) << s.name; // 1 % of full scale
            int largest = 0;
            for (int k = s.lps + 1; k < s.lpe; k++)
                largest = std::max(largest, std::abs(d[k] - d[k - 1]));
            EXPECT_LE(std::abs(d[s.lps] - d[s.lpe - 1]), largest) << s.name;
        } else {
            EXPECT_LE(std::abs(d[s.len - 1]), 33) << s.name; // 0.1 % of full scale
        }
    }
    EXPECT_GE(loops, 3); // bass, pad and lead sustain
}

TEST(Soundtrack, TwoRunsWriteIdenticalBytes) {
    const std::string dir = ::testing::TempDir();
    const std::string a = dir + "/ordune_music_a.xm", b = dir + "/ordune_music_b.xm";
    ASSERT_EQ(std::system((GENERATOR + " " + a).c_str()), 0);
    ASSERT_EQ(std::system((GENERATOR + " " + b).c_str()), 0);
    std::vector<char> first = read_bytes(a), second = read_bytes(b);
    ASSERT_GT(first.size(), 1000u);
    EXPECT_TRUE(first == second);
    EXPECT_TRUE(first == read_bytes(MUSIC));
    std::remove(a.c_str());
    std::remove(b.c_str());
}

// --wav renders the orders asked for: a 48 kHz 16-bit stereo PCM file about two orders long.
TEST(Soundtrack, GeneratorRendersAWavOfTheOrdersAsked) {
    const std::string wav = ::testing::TempDir() + "/ordune_orders.wav";
    ASSERT_EQ(std::system((GENERATOR + " --wav " + wav + " 30 31").c_str()), 0);
    std::vector<char> b = read_bytes(wav);
    std::remove(wav.c_str());
    ASSERT_GT(b.size(), 44u);
    auto u32 = [&](size_t at) {
        return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 |
               uint32_t(uint8_t(b[at + 2])) << 16 | uint32_t(uint8_t(b[at + 3])) << 24;
    };
    EXPECT_EQ(std::string(b.data(), 4), "RIFF");
    EXPECT_EQ(std::string(b.data() + 8, 8), "WAVEfmt ");
    EXPECT_EQ(u32(20) & 0xffff, 1u);    // PCM
    EXPECT_EQ(u32(20) >> 16, 2u);       // stereo
    EXPECT_EQ(u32(24), 48000u);         // frames per second
    EXPECT_EQ(u32(32) >> 16, 16u);      // bits per sample
    EXPECT_EQ(u32(40), b.size() - 44u); // the data chunk fills the file
    double seconds = (b.size() - 44) / 4.0 / 48000.0;
    EXPECT_NEAR(seconds, 2 * ORDER_SECONDS, 0.05);
}

// Exit statuses: 2 for a usage fault, 1 for a file that cannot be written, stderr naming it.
TEST(Soundtrack, GeneratorRefusesBadArguments) {
    auto status = [](const std::string& args) {
        int r = std::system((GENERATOR + " " + args + " 2>/dev/null").c_str());
        return WIFEXITED(r) ? WEXITSTATUS(r) : -1;
    };
    EXPECT_EQ(status(""), 2);
    EXPECT_EQ(status("--wav"), 2);
    EXPECT_EQ(status("--wav /dev/null 72"), 2);
    EXPECT_EQ(status("--wav /dev/null 5 4"), 2);
    EXPECT_EQ(status("--wav /dev/null x"), 2);
    EXPECT_EQ(status("/nonexistent-dir/music.xm"), 1);
}

struct Level {
    double rms, peak;
};

// Renders the whole song once through libopenmpt (float output, so overshoot is visible
// rather than clipped) and measures the given order ranges plus the tail after 200 s.
class SoundtrackLevels : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        std::vector<char> bytes = read_bytes(MUSIC);
        openmpt::module mpt(bytes);
        const int rate = 48000, block = 480;
        std::vector<float> left(block), right(block);
        sums.assign(80, 0.0);
        peaks.assign(80, 0.0);
        counts.assign(80, 0);
        left2 = right2 = mid2 = side2 = 0.0;
        long frames = 0;
        for (;;) {
            int order = mpt.get_current_order();
            size_t got = mpt.read(rate, block, left.data(), right.data());
            if (got == 0)
                break;
            for (size_t i = 0; i < got; i++, frames++) {
                int slot = frames >= 200L * rate ? 79 : order; // 79: after the show
                left2 += double(left[i]) * left[i];
                right2 += double(right[i]) * right[i];
                side2 += 0.25 * (double(left[i]) - right[i]) * (double(left[i]) - right[i]);
                mid2 += 0.25 * (double(left[i]) + right[i]) * (double(left[i]) + right[i]);
                for (float v : {left[i], right[i]}) {
                    sums[slot] += double(v) * v;
                    peaks[slot] = std::max(peaks[slot], double(std::fabs(v)));
                    counts[slot]++;
                }
            }
        }
    }
    static Level level(int first, int last) {
        double sum = 0.0, peak = 0.0;
        long n = 0;
        for (int o = first; o <= last; o++) {
            sum += sums[o];
            n += counts[o];
            peak = std::max(peak, peaks[o]);
        }
        return {n ? std::sqrt(sum / n) : 0.0, peak};
    }
    static std::vector<double> sums, peaks;
    static std::vector<long> counts;
    static double left2, right2, mid2, side2; // energies of the whole song
};
std::vector<double> SoundtrackLevels::sums, SoundtrackLevels::peaks;
std::vector<long> SoundtrackLevels::counts;
double SoundtrackLevels::left2, SoundtrackLevels::right2, SoundtrackLevels::mid2,
    SoundtrackLevels::side2;

// Bounds: a peak below 0.9 leaves 1 dB of headroom in float output (nothing clips when it is
// converted to 16 bits, and a louder player still has margin); an RMS above 0.01 (-40 dBFS)
// is clearly audible at ordinary listening levels, so a section that passes is not silent.
TEST_F(SoundtrackLevels, EverySectionIsAudibleAndUnclipped) {
    const struct {
        const char* name;
        int first, last;
    } sections[] = {{"intro", 0, 3},    {"rise", 4, 13},    {"ribbons", 14, 21},
                    {"vortex", 22, 27}, {"plasma", 28, 35}, {"growths", 36, 43},
                    {"funnel", 44, 49}, {"build", 50, 52},  {"butterflies", 53, 57},
                    {"stream", 58, 63}, {"city", 64, 69}};
    for (const auto& s : sections) {
        Level l = level(s.first, s.last);
        EXPECT_GT(l.rms, 0.01) << s.name;
        EXPECT_LT(l.peak, 0.9) << s.name;
    }
}

TEST_F(SoundtrackLevels, TheFormBuildsBreaksAndFades) {
    double intro = level(0, 3).rms, groove = level(14, 21).rms;
    EXPECT_LT(intro, 0.5 * groove);                        // the opening is quiet
    EXPECT_LT(level(0, 1).rms, level(2, 3).rms);           // and swells
    EXPECT_LT(level(44, 49).rms, level(53, 57).rms);       // the breakdown drops back
    EXPECT_LT(level(70, 70).rms, 0.2 * level(64, 67).rms); // the city fades out
    EXPECT_LT(level(79, 79).peak, 0.001);                  // and is silent after 200 s
}

// Panning spreads the parts without leaning: both sides within 5 % of each other in level,
// and a side signal (L - R) between 5 % and 50 % of the mid (L + R), neither mono nor hollow.
TEST_F(SoundtrackLevels, TheMixIsBalancedAndWide) {
    double l = std::sqrt(left2), r = std::sqrt(right2);
    EXPECT_LT(std::fabs(l - r) / (l + r), 0.05);
    double width = std::sqrt(side2 / mid2);
    EXPECT_GT(width, 0.05);
    EXPECT_LT(width, 0.5);
}

} // namespace
