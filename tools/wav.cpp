// The WAV writer. The header's numbers are written byte by byte, little-endian, so the file is
// the same on any host.
#include "tools/wav.h"
#include "tools/output.h"

#include <cstdint>

static void put16(FILE* f, uint32_t v) {
    fputc((int)(v & 0xff), f);
    fputc((int)((v >> 8) & 0xff), f);
}

static void put32(FILE* f, uint32_t v) {
    put16(f, v & 0xffff);
    put16(f, v >> 16);
}

bool wav_write(const std::string& path, const std::vector<short>& pcm, std::string* why) {
    FILE* f = output_open(path, why);
    if (!f)
        return false;
    const uint32_t bytes_per_sample = 2;
    uint32_t data_bytes = (uint32_t)(pcm.size() * bytes_per_sample);
    fwrite("RIFF", 1, 4, f);
    put32(f, 36 + data_bytes);
    fwrite("WAVEfmt ", 1, 8, f);
    put32(f, 16); // size of the format chunk
    put16(f, 1);  // integer PCM
    put16(f, WAV_CHANNELS);
    put32(f, WAV_RATE);
    put32(f, WAV_RATE * WAV_CHANNELS * bytes_per_sample);
    put16(f, WAV_CHANNELS * bytes_per_sample);
    put16(f, 8 * bytes_per_sample);
    fwrite("data", 1, 4, f);
    put32(f, data_bytes);
    for (short s : pcm)
        put16(f, (uint16_t)s);
    return output_commit(path, f, why);
}
