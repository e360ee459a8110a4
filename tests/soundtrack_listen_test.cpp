// The soundtrack as a listener hears it: music.xm rendered as the show plays it (libopenmpt at
// 44.1 kHz with the pinned settings) and measured with libebur128 and an FFT of its octave bands.
#include "engine/sound.h"

#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <ebur128.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const std::string MUSIC = std::string(ORDUNE_BINARY_DIR) + "/music.xm";
// A tick is the whole number of frames libopenmpt mixes at 44.1 kHz (648 at 170 BPM).
const double ORDER_SECONDS = 64 * 3 * 648.0 / SOUND_RATE;
const double SHOW_END_SECONDS = 200.0;

double order_start(int order) {
    return order * ORDER_SECONDS;
}

// The whole module, interleaved stereo in -1..1, and how many samples hit the 16-bit limits.
struct Render {
    std::vector<float> pcm;
    long clipped = 0;
};

const Render& song() {
    static Render r;
    if (!r.pcm.empty())
        return r;
    std::string cause;
    openmpt_module* mod = sound_open_module(MUSIC.c_str(), &cause);
    if (!mod) {
        ADD_FAILURE() << MUSIC << ": " << cause;
        return r;
    }
    std::vector<int16_t> block(2 * 1024);
    size_t got;
    while ((got = openmpt_module_read_interleaved_stereo(mod, SOUND_RATE, 1024, block.data())))
        for (size_t i = 0; i < 2 * got; i++) {
            r.clipped += block[i] == 32767 || block[i] == -32768;
            r.pcm.push_back(block[i] / 32768.0f);
        }
    openmpt_module_destroy(mod);
    return r;
}

struct Loudness {
    double integrated; // LUFS
    double range;      // LU
    double truePeak;   // dBTP, the louder channel
    double shortTerm;  // LUFS, the 3-second window that ends at the range's end
};

// The EBU R 128 figures of the song between two times in seconds.
Loudness loudness(double from, double to) {
    const std::vector<float>& pcm = song().pcm;
    size_t first = std::min(pcm.size() / 2, size_t(from * SOUND_RATE));
    size_t last = std::min(pcm.size() / 2, size_t(to * SOUND_RATE));
    ebur128_state* st =
        ebur128_init(2, SOUND_RATE, EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_TRUE_PEAK);
    ebur128_add_frames_float(st, pcm.data() + 2 * first, last - first);
    Loudness l;
    ebur128_loudness_global(st, &l.integrated);
    ebur128_loudness_range(st, &l.range);
    ebur128_loudness_shortterm(st, &l.shortTerm);
    double peak = 0.0, p;
    for (unsigned ch = 0; ch < 2; ch++) {
        ebur128_true_peak(st, ch, &p);
        peak = std::max(peak, p);
    }
    l.truePeak = 20.0 * std::log10(peak);
    ebur128_destroy(&st);
    return l;
}

double orders_loudness(int first, int last) {
    return loudness(order_start(first), order_start(last + 1)).integrated;
}

// In-place radix-2 FFT; the size is a power of two.
void fft(std::vector<std::complex<double>>& a) {
    size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; i++) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        std::complex<double> step = std::polar(1.0, -2.0 * M_PI / double(len));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> w = 1.0;
            for (size_t k = 0; k < len / 2; k++, w *= step) {
                std::complex<double> u = a[i + k], v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
}

// Power of the mid (L + R) signal in [lowHz, highHz), summed over Hann-windowed frames of the
// given orders.
struct Spectrum {
    std::vector<double> power; // per FFT bin
    double hzPerBin;
    double band(double lowHz, double highHz) const {
        double sum = 0.0;
        for (size_t k = 0; k < power.size(); k++)
            if (k * hzPerBin >= lowHz && k * hzPerBin < highHz)
                sum += power[k];
        return sum;
    }
};

Spectrum spectrum(const std::vector<std::pair<int, int>>& orderRanges) {
    const size_t N = 4096;
    Spectrum s{std::vector<double>(N / 2, 0.0), double(SOUND_RATE) / N};
    const std::vector<float>& pcm = song().pcm;
    std::vector<std::complex<double>> frame(N);
    for (const auto& range : orderRanges) {
        size_t first = size_t(order_start(range.first) * SOUND_RATE);
        size_t last = std::min(pcm.size() / 2, size_t(order_start(range.second + 1) * SOUND_RATE));
        for (size_t at = first; at + N <= last; at += N) {
            for (size_t i = 0; i < N; i++) {
                double hann = 0.5 - 0.5 * std::cos(2.0 * M_PI * double(i) / double(N));
                frame[i] = hann * (pcm[2 * (at + i)] + pcm[2 * (at + i) + 1]);
            }
            fft(frame);
            for (size_t k = 0; k < N / 2; k++)
                s.power[k] += std::norm(frame[k]);
        }
    }
    return s;
}

double decibels(double ratio) {
    return 10.0 * std::log10(ratio);
}

TEST(SoundtrackLevel, WholeSongIsLoudEnoughWithHeadroomAndRange) {
    Loudness l = loudness(0.0, SHOW_END_SECONDS);
    std::printf("integrated %.1f LUFS, range %.1f LU, true peak %.1f dBTP\n", l.integrated, l.range,
                l.truePeak);
    EXPECT_NEAR(l.integrated, -14.0, 1.0);
    EXPECT_LE(l.truePeak, -1.0);
    EXPECT_GE(l.range, 8.0);
    EXPECT_EQ(song().clipped, 0);
}

// Orders of the sections the shape is measured over: the growths' groove, the drumless
// breakdown under aukko, the first theme, and what follows the snare roll of order 52.
struct SectionCase {
    const char* what;
    int quietFirst, quietLast, loudFirst, loudLast;
    double atLeast; // LU by which the loud orders outdo the quiet ones
};

TEST(SoundtrackLevel, SectionsShapeTheSong) {
    const SectionCase cases[] = {
        {"breakdown below the growths before it", 44, 49, 36, 43, 6.0},
        {"breakdown below the peak after the roll", 44, 49, 53, 55, 6.0},
        {"after the roll above the first theme", 28, 35, 53, 55, 2.0},
    };
    for (const SectionCase& c : cases) {
        double quiet = orders_loudness(c.quietFirst, c.quietLast);
        double loud = orders_loudness(c.loudFirst, c.loudLast);
        std::printf("%s: %.1f against %.1f LUFS\n", c.what, quiet, loud);
        EXPECT_GE(loud - quiet, c.atLeast) << c.what;
    }
}

// Over the grooves the 2-6 kHz band is within 12 dB of the loudest octave band.
TEST(SoundtrackLevel, GroovesHavePresence) {
    Spectrum s = spectrum({{14, 20}, {28, 43}, {53, 62}});
    double loudest = 0.0;
    for (double centre = 31.25; centre < 16000.0; centre *= 2.0)
        loudest = std::max(loudest, s.band(centre / M_SQRT2, centre * M_SQRT2));
    double presence = decibels(s.band(2000.0, 6000.0) / loudest);
    std::printf("presence band %.1f dB against the loudest octave\n", presence);
    EXPECT_GE(presence, -12.0);
}

// A final chord rings into the show's last frame instead of fading out before it.
TEST(SoundtrackLevel, EndingRingsIntoTheLastFrame) {
    double whole = loudness(0.0, SHOW_END_SECONDS).integrated;
    Loudness last = loudness(SHOW_END_SECONDS - 3.0, SHOW_END_SECONDS);
    std::printf("the last 3 s: %.1f LUFS\n", last.shortTerm);
    EXPECT_GE(last.shortTerm, whole - 10.0);
}

} // namespace
