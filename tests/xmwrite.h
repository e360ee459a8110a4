// The music tests' modules: a minimal XM writer (patterns of chosen length, tempo and effects,
// one looping square-wave instrument) and a scratch working folder to play them from.
#ifndef ORDUNE_TESTS_XMWRITE_H
#define ORDUNE_TESTS_XMWRITE_H

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// One cell; zero fields are empty. note 1..96 (49 = C-4); effect and param as in FT2 (0x0B
// position jump, 0x0D pattern break, 0x0E6x pattern loop, 0x0F speed below 0x20, else BPM).
struct XmCell {
    uint8_t note = 0, instrument = 0, volume = 0, effect = 0, param = 0;
};

struct XmSong {
    int channels = 2;
    int speed = 6; // ticks per row
    int bpm = 125; // a tick lasts 2.5 / bpm seconds: 0.12 s a row at these defaults
    std::vector<int> orders;
    std::vector<int> rows;                     // per pattern
    std::vector<std::vector<XmCell>> patterns; // rows * channels cells each, row-major

    // Adds a pattern of `n` rows, a note on channel 0 at row 0; returns its index.
    int addPattern(int n) {
        rows.push_back(n);
        patterns.emplace_back((size_t)n * channels);
        patterns.back()[0] = {49, 1, 0, 0, 0};
        return (int)patterns.size() - 1;
    }
    // Puts an effect on a pattern's row, on channel 1 unless told otherwise.
    void effect(int pattern, int row, uint8_t effect, uint8_t param, int channel = 1) {
        XmCell& c = patterns[pattern][(size_t)row * channels + channel];
        c.effect = effect;
        c.param = param;
    }
};

inline void xm_put(std::vector<uint8_t>& b, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; i++)
        b.push_back((uint8_t)(v >> (8 * i)));
}
inline void xm_text(std::vector<uint8_t>& b, std::string s, size_t width) {
    s.resize(width, '\0');
    b.insert(b.end(), s.begin(), s.end());
}

inline std::vector<uint8_t> xm_build(const XmSong& song) {
    std::vector<uint8_t> b;
    xm_text(b, "Extended Module: test", 37);
    b.push_back(0x1a);
    xm_text(b, "xmwrite", 20);
    xm_put(b, 0x0104, 2);
    xm_put(b, 276, 4); // header size
    // Song length, restart position, channels, patterns, instruments, linear frequencies.
    for (size_t v : {song.orders.size(), (size_t)0, (size_t)song.channels, song.patterns.size(),
                     (size_t)1, (size_t)1, (size_t)song.speed, (size_t)song.bpm})
        xm_put(b, (uint32_t)v, 2);
    for (size_t i = 0; i < 256; i++)
        b.push_back((uint8_t)(i < song.orders.size() ? song.orders[i] : 0));
    for (size_t p = 0; p < song.patterns.size(); p++) {
        xm_put(b, 9, 4);
        b.push_back(0);
        xm_put(b, (uint32_t)song.rows[p], 2);
        xm_put(b, (uint32_t)song.patterns[p].size() * 6, 2);
        for (const XmCell& c : song.patterns[p])
            b.insert(b.end(), {0x9f, c.note, c.instrument, c.volume, c.effect, c.param});
    }
    // One instrument, one 8-bit forward-looping square wave of 32 samples, volume 48.
    xm_put(b, 263, 4);
    xm_text(b, "square", 23);
    xm_put(b, 1, 2);
    xm_put(b, 40, 4);
    b.resize(b.size() + 263 - 33, 0); // note map all sample 0, envelopes off, no fadeout
    for (uint32_t v : {32u, 0u, 32u}) // length, loop start, loop length
        xm_put(b, v, 4);
    b.insert(b.end(), {48, 0, 1, 128, 0, 0});
    xm_text(b, "", 22);
    for (int i = 0; i < 32; i++) // delta-coded: +64 at the start, a step of -128 half way
        b.push_back((uint8_t)(i == 0 ? 64 : i == 16 ? -128 : 0));
    return b;
}

// Writes bytes to path; false when the file cannot be written.
inline bool xm_save(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write((const char*)bytes.data(), (std::streamsize)bytes.size());
    f.close();
    return !f.fail();
}

// For its lifetime the working directory is a fresh folder under /tmp, where the music.xm the
// player opens by name is written; the folder and all in it go at the end.
class MusicFolder {
  public:
    MusicFolder() : home(std::filesystem::current_path()) {
        char tmpl[] = "/tmp/ordune-music-XXXXXX";
        if (!mkdtemp(tmpl))
            abort();
        dir = tmpl;
        std::filesystem::current_path(dir);
    }
    ~MusicFolder() {
        std::filesystem::current_path(home);
        std::filesystem::remove_all(dir);
    }
    bool write(const XmSong& song) const { return xm_save("music.xm", xm_build(song)); }

  private:
    std::filesystem::path home, dir;
};

#endif
