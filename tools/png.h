// PNG files of rendered frames, through libpng: 8-bit RGB, no time stamp or other varying
// chunk, so two writes of the same pixels give byte-identical files.
#ifndef ORDUNE_TOOLS_PNG_H
#define ORDUNE_TOOLS_PNG_H

#include <string>

// Writes w x h pixels, 3 bytes each (R, G, B), rows top to bottom, to path (whole or not at
// all, tools/output.h). On failure returns false and sets why to one line.
bool png_write(const std::string& path, const unsigned char* rgb, int w, int h, std::string* why);

#endif
