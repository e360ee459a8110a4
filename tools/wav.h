// WAV files of the soundtrack: 44100 Hz, 16-bit signed little-endian, two channels
// interleaved, the canonical 44-byte header.
#ifndef ORDUNE_TOOLS_WAV_H
#define ORDUNE_TOOLS_WAV_H

#include <string>
#include <vector>

enum { WAV_RATE = 44100, WAV_CHANNELS = 2 };

// Writes pcm (left, right, left, ...) to path, whole or not at all. Sets why on failure.
bool wav_write(const std::string& path, const std::vector<short>& pcm, std::string* why);

#endif
