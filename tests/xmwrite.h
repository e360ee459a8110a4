// A minimal XM module writer for the music tests: a few patterns of chosen length, speed and
// BPM, one looping square-wave instrument, and the cells the test asks for.
#ifndef ORDUNE_TESTS_XMWRITE_H
#define ORDUNE_TESTS_XMWRITE_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// One cell; zero fields are empty. note 1..96 (49 = C-4), effect and param as in FT2 (0x0B
// position jump, 0x0D pattern break, 0x0F speed/BPM).
struct XmCell {
    uint8_t note = 0, instrument = 0, volume = 0, effect = 0, param = 0;
};

struct XmPattern {
    int rows = 64;
    std::vector<XmCell> cells; // rows * channels, row-major; empty = every cell empty
};

struct XmSong {
    int channels = 2;
    int speed = 6; // ticks per row
    int bpm = 125; // a tick lasts 2.5 / bpm seconds
    std::vector<int> orders;
    std::vector<XmPattern> patterns;

    // Adds a pattern of `rows` empty rows with a note on channel 0 at row 0; returns its index.
    int addPattern(int rows) {
        XmPattern p;
        p.rows = rows;
        p.cells.resize((size_t)rows * channels);
        p.cells[0].note = 49;
        p.cells[0].instrument = 1;
        patterns.push_back(p);
        return (int)patterns.size() - 1;
    }
    XmCell& cell(int pattern, int row, int channel) {
        return patterns[pattern].cells[(size_t)row * channels + channel];
    }
};

inline void xm_put16(std::vector<uint8_t>& b, int v) {
    b.push_back((uint8_t)(v & 0xff));
    b.push_back((uint8_t)((v >> 8) & 0xff));
}
inline void xm_put32(std::vector<uint8_t>& b, uint32_t v) {
    xm_put16(b, (int)(v & 0xffff));
    xm_put16(b, (int)(v >> 16));
}
inline void xm_puttext(std::vector<uint8_t>& b, const char* s, size_t width) {
    std::string t(s);
    t.resize(width, '\0');
    b.insert(b.end(), t.begin(), t.end());
}

inline std::vector<uint8_t> xm_build(const XmSong& song) {
    std::vector<uint8_t> b;
    xm_puttext(b, "Extended Module: ", 17);
    xm_puttext(b, "test", 20);
    b.push_back(0x1a);
    xm_puttext(b, "xmwrite", 20);
    xm_put16(b, 0x0104);
    xm_put32(b, 276);
    xm_put16(b, (int)song.orders.size());
    xm_put16(b, 0); // restart position
    xm_put16(b, song.channels);
    xm_put16(b, (int)song.patterns.size());
    xm_put16(b, 1); // instruments
    xm_put16(b, 1); // linear frequency table
    xm_put16(b, song.speed);
    xm_put16(b, song.bpm);
    for (int i = 0; i < 256; i++)
        b.push_back((uint8_t)(i < (int)song.orders.size() ? song.orders[i] : 0));

    for (const XmPattern& p : song.patterns) {
        std::vector<uint8_t> data;
        for (int i = 0; i < p.rows * song.channels; i++) {
            XmCell c = p.cells.empty() ? XmCell() : p.cells[i];
            data.insert(data.end(), {(uint8_t)(0x80 | 0x1f), c.note, c.instrument, c.volume,
                                     c.effect, c.param});
        }
        xm_put32(b, 9);
        b.push_back(0);
        xm_put16(b, p.rows);
        xm_put16(b, (int)data.size());
        b.insert(b.end(), data.begin(), data.end());
    }

    // One instrument, one 8-bit forward-looping square wave of 32 samples.
    const int length = 32;
    std::vector<uint8_t> ins;
    xm_put32(ins, 263);
    xm_puttext(ins, "square", 22);
    ins.push_back(0);
    xm_put16(ins, 1);
    xm_put32(ins, 40);
    ins.resize(263, 0); // note map all sample 0, envelopes off, no vibrato, no fadeout
    b.insert(b.end(), ins.begin(), ins.end());
    xm_put32(b, length);
    xm_put32(b, 0);
    xm_put32(b, length);
    b.push_back(48);  // volume
    b.push_back(0);   // finetune
    b.push_back(1);   // forward loop, 8-bit
    b.push_back(128); // centre
    b.push_back(0);   // relative note
    b.push_back(0);
    xm_puttext(b, "", 22);
    int previous = 0;
    for (int i = 0; i < length; i++) {
        int value = i < length / 2 ? 64 : -64;
        b.push_back((uint8_t)(value - previous));
        previous = value;
    }
    return b;
}

// Writes bytes to path; false when the file cannot be written.
inline bool xm_save(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    // An empty vector's data() may be null, which fwrite must not be given even for 0 bytes.
    bool ok = bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

#endif
