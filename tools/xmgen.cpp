// ordune-xmgen: composes the soundtrack and writes it as an XM module, or renders it through
// libopenmpt to a 16-bit stereo WAV file for listening, at the rate and settings the show uses.
#include "engine/sound.h"
#include "tools/xmsong.h"
#include "tools/xmwriter.h"

#include <libopenmpt/libopenmpt.hpp>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The show's rate: at 48 kHz the whole-frame ticks would run the song 0.043 % fast.
const int WAV_RATE = SOUND_RATE;

void usage() {
    std::fprintf(stderr, "usage: ordune-xmgen OUT.xm\n"
                         "       ordune-xmgen --wav OUT.wav [FIRST_ORDER [LAST_ORDER]]\n");
}

bool write_file(const char* path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path, "wb");
    if (!f) {
        std::fprintf(stderr, "ordune-xmgen: cannot write %s: %s\n", path, std::strerror(errno));
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok)
        std::fprintf(stderr, "ordune-xmgen: cannot write %s\n", path);
    return ok;
}

void put(std::vector<uint8_t>& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; i++)
        out.push_back(uint8_t(v >> (8 * i)));
}

// Renders orders first..last (inclusive) of the module to a canonical 44-byte-header WAV.
std::vector<uint8_t> render_wav(const std::vector<uint8_t>& xm, int first, int last) {
    openmpt::module player(xm);
    player.set_render_param(openmpt::module::RENDER_STEREOSEPARATION_PERCENT,
                            SOUND_STEREO_SEPARATION);
    player.set_render_param(openmpt::module::RENDER_INTERPOLATIONFILTER_LENGTH, SOUND_FILTER_TAPS);
    player.set_render_param(openmpt::module::RENDER_VOLUMERAMPING_STRENGTH, SOUND_VOLUME_RAMPING);
    player.set_position_order_row(first, 0);
    std::vector<int16_t> pcm;
    std::vector<int16_t> block(2 * 1024);
    while (player.get_current_order() <= last) {
        size_t got = player.read_interleaved_stereo(WAV_RATE, 1024, block.data());
        if (got == 0)
            break;
        pcm.insert(pcm.end(), block.begin(), block.begin() + 2 * got);
    }
    uint32_t dataBytes = uint32_t(pcm.size() * 2);
    std::vector<uint8_t> out;
    const char* riff = "RIFF";
    out.insert(out.end(), riff, riff + 4);
    put(out, 36 + dataBytes, 4);
    const char* wave = "WAVEfmt ";
    out.insert(out.end(), wave, wave + 8);
    put(out, 16, 4);           // fmt chunk size
    put(out, 1, 2);            // PCM
    put(out, 2, 2);            // stereo
    put(out, WAV_RATE, 4);     // frames per second
    put(out, WAV_RATE * 4, 4); // bytes per second
    put(out, 4, 2);            // bytes per frame
    put(out, 16, 2);           // bits per sample
    const char* data = "data";
    out.insert(out.end(), data, data + 4);
    put(out, dataBytes, 4);
    for (int16_t v : pcm)
        put(out, uint16_t(v), 2);
    return out;
}

bool parse_order(const char* text, int* out) {
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (*text == 0 || *end != 0 || v < 0 || v >= SONG_ORDERS) {
        std::fprintf(stderr, "ordune-xmgen: order must be 0..%d: %s\n", SONG_ORDERS - 1, text);
        return false;
    }
    *out = int(v);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && argv[1][0] != '-') {
        std::vector<uint8_t> xm = xm_write(song_compose());
        return write_file(argv[1], xm) ? 0 : 1;
    }
    if (argc >= 3 && argc <= 5 && std::strcmp(argv[1], "--wav") == 0) {
        int first = 0, last = SONG_ORDERS - 1;
        if (argc >= 4 && !parse_order(argv[3], &first))
            return 2;
        if (argc == 5 && !parse_order(argv[4], &last))
            return 2;
        if (last < first) {
            std::fprintf(stderr, "ordune-xmgen: last order %d comes before first %d\n", last,
                         first);
            return 2;
        }
        std::vector<uint8_t> xm = xm_write(song_compose());
        return write_file(argv[2], render_wav(xm, first, last)) ? 0 : 1;
    }
    usage();
    return 2;
}
