// The module as plain data and its serialisation to the XM byte layout (version 0x0104,
// little-endian, linear frequency table, one 16-bit sample per instrument).
#ifndef ORDUNE_TOOLS_XMWRITER_H
#define ORDUNE_TOOLS_XMWRITER_H

#include <cstdint>
#include <string>
#include <vector>

// Cell field values as stored: note 1..96 (49 = C-4), XM_KEY_OFF, or 0 for none; instrument
// 1-based (0 = none); volume column 0x10..0x50 for volume 0..64 (0 = nothing).
const int XM_KEY_OFF = 97;
const int XM_EFFECT_PANNING = 0x08;       // parameter 0 left .. 255 right
const int XM_EFFECT_GLOBAL_VOLUME = 0x10; // parameter 0..64

struct XmCell {
    uint8_t note = 0, instrument = 0, volume = 0, effect = 0, param = 0;
};

struct XmPattern {
    int rows = 64;
    std::vector<XmCell> cells; // rows * channels, row-major
};

// Envelope points are (tick, value 0..64); -1 marks an unused sustain or loop point.
struct XmEnvelope {
    std::vector<std::pair<int, int>> points;
    int sustain = -1;
};

// Lengths and loop points in sample frames (the writer doubles them into bytes).
struct XmSample {
    std::string name;
    std::vector<int16_t> data;
    bool loop = false;
    int loopStart = 0, loopLength = 0;
    int volume = 64;      // 0..64
    int finetune = 0;     // 1/128 semitone, -128..127
    int relativeNote = 0; // semitones added to the pattern note
    int panning = 128;    // 0 left .. 255 right
};

struct XmInstrument {
    std::string name;
    XmSample sample;
    XmEnvelope volumeEnvelope; // off when it has no points
    int fadeout = 0;           // volume lost per tick after key-off, in 1/65536 of full
    int vibratoDepth = 0, vibratoRate = 0, vibratoSweep = 0;
};

struct XmModule {
    std::string name;
    int channels = 2;
    int speed = 6, bpm = 125;
    std::vector<int> orders; // pattern index per song position
    std::vector<XmPattern> patterns;
    std::vector<XmInstrument> instruments;
};

// The module as the bytes of an .xm file. Names longer than their fields are cut.
std::vector<uint8_t> xm_write(const XmModule& module);

#endif
