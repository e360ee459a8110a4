// Serialises a module to the XM layout: header and order table, packed patterns, then each
// instrument with its sample header and delta-encoded 16-bit sample data.
#include "tools/xmwriter.h"

namespace {

const int HEADER_SIZE = 276; // counted from offset 60: 20 bytes of fields + 256 orders
const int INSTRUMENT_HEADER_SIZE = 263;
const int SAMPLE_HEADER_SIZE = 40;
const int ENVELOPE_POINTS = 12;

class Bytes {
  public:
    std::vector<uint8_t> out;
    void u8(int v) { out.push_back(uint8_t(v & 0xff)); }
    void u16(int v) {
        u8(v);
        u8(v >> 8);
    }
    void u32(uint32_t v) {
        u16(int(v & 0xffff));
        u16(int(v >> 16));
    }
    // A fixed-width text field padded with zero bytes.
    void text(const std::string& s, size_t width) {
        for (size_t i = 0; i < width; i++)
            u8(i < s.size() ? s[i] : 0);
    }
    void zeros(size_t n) { out.insert(out.end(), n, 0); }
};

// A packed cell: a flag byte naming the fields present, then those fields; 0x80 when empty.
void pack_cell(Bytes& b, const XmCell& c) {
    const uint8_t fields[5] = {c.note, c.instrument, c.volume, c.effect, c.param};
    int flags = 0x80;
    for (int i = 0; i < 5; i++)
        if (fields[i])
            flags |= 1 << i;
    b.u8(flags);
    for (int i = 0; i < 5; i++)
        if (fields[i])
            b.u8(fields[i]);
}

void write_pattern(Bytes& b, const XmPattern& p) {
    b.u32(9);
    b.u8(0);
    b.u16(p.rows);
    size_t sizeAt = b.out.size();
    b.u16(0);
    size_t start = b.out.size();
    for (const XmCell& c : p.cells)
        pack_cell(b, c);
    size_t packed = b.out.size() - start;
    b.out[sizeAt] = uint8_t(packed & 0xff);
    b.out[sizeAt + 1] = uint8_t(packed >> 8);
}

void write_envelope_points(Bytes& b, const XmEnvelope& e) {
    for (int i = 0; i < ENVELOPE_POINTS; i++) {
        bool used = i < int(e.points.size());
        b.u16(used ? e.points[i].first : 0);
        b.u16(used ? e.points[i].second : 0);
    }
}

void write_instrument(Bytes& b, const XmInstrument& ins) {
    const XmSample& s = ins.sample;
    const XmEnvelope& env = ins.volumeEnvelope;
    size_t start = b.out.size();
    b.u32(INSTRUMENT_HEADER_SIZE);
    b.text(ins.name, 22);
    b.u8(0);
    b.u16(1);
    b.u32(SAMPLE_HEADER_SIZE);
    b.zeros(96); // every note plays sample 0
    write_envelope_points(b, env);
    write_envelope_points(b, XmEnvelope());
    b.u8(int(env.points.size()));
    b.u8(0);
    b.u8(env.sustain < 0 ? 0 : env.sustain);
    b.u8(0);
    b.u8(0);
    b.zeros(3);
    int envType = 0;
    if (!env.points.empty())
        envType |= 1;
    if (env.sustain >= 0)
        envType |= 2;
    b.u8(envType);
    b.u8(0);
    b.u8(0); // sine vibrato
    b.u8(ins.vibratoSweep);
    b.u8(ins.vibratoDepth);
    b.u8(ins.vibratoRate);
    b.u16(ins.fadeout);
    b.zeros(INSTRUMENT_HEADER_SIZE - (b.out.size() - start));

    b.u32(uint32_t(s.data.size() * 2));
    b.u32(uint32_t(s.loop ? s.loopStart * 2 : 0));
    b.u32(uint32_t(s.loop ? s.loopLength * 2 : 0));
    b.u8(s.volume);
    b.u8(s.finetune);
    b.u8(0x10 | (s.loop ? 1 : 0));
    b.u8(s.panning);
    b.u8(s.relativeNote);
    b.u8(0);
    b.text(s.name, 22);

    int16_t previous = 0;
    for (int16_t v : s.data) {
        b.u16(uint16_t(v) - uint16_t(previous));
        previous = v;
    }
}

} // namespace

std::vector<uint8_t> xm_write(const XmModule& m) {
    Bytes b;
    b.text("Extended Module: ", 17);
    b.text(m.name, 20);
    b.u8(0x1a);
    b.text("ordune-xmgen", 20);
    b.u16(0x0104);
    b.u32(HEADER_SIZE);
    b.u16(int(m.orders.size()));
    b.u16(0);
    b.u16(m.channels);
    b.u16(int(m.patterns.size()));
    b.u16(int(m.instruments.size()));
    b.u16(1); // linear frequency table
    b.u16(m.speed);
    b.u16(m.bpm);
    for (int i = 0; i < 256; i++)
        b.u8(i < int(m.orders.size()) ? m.orders[i] : 0);
    for (const XmPattern& p : m.patterns)
        write_pattern(b, p);
    for (const XmInstrument& ins : m.instruments)
        write_instrument(b, ins);
    return b.out;
}
