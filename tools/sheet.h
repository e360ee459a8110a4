// The contact sheet: the show at a glance as a grid of thumbnails, each with a label of up to two
// lines under it (the renderer writes the time and the scenes drawn). Pixels are RGB bytes, rows
// top to bottom.
#ifndef ORDUNE_TOOLS_SHEET_H
#define ORDUNE_TOOLS_SHEET_H

#include <string>
#include <vector>

// Lines of label under each thumbnail.
enum { SHEET_LABEL_LINES = 2 };

struct ContactSheet {
    int thumb_w, thumb_h; // pixels of one thumbnail
    int columns;
    int w, h;                       // pixels of the whole sheet
    std::vector<unsigned char> rgb; // w * h * 3
};

// A sheet with room for count thumbnails in rows of columns, on a dark ground.
void sheet_init(ContactSheet* s, int count, int thumb_w, int thumb_h, int columns);
// Scales the frame (fw x fh) down into cell i, left to right then top to bottom, and writes
// label under it: up to SHEET_LABEL_LINES lines split at '\n', each centred and cut at the
// thumbnail's edges.
void sheet_place(ContactSheet* s, int i, const unsigned char* frame, int fw, int fh,
                 const std::string& label);

// A time as the sheet labels it: "2:05" for whole seconds, "2:05.5" otherwise (tenths).
std::string sheet_label(double seconds);
// Box-filter reduction of src (sw x sh) to dst (dw x dh, each at most the source's): every
// destination pixel is the mean of the source pixels whose centres it covers, rounded.
void image_downscale(const unsigned char* src, int sw, int sh, unsigned char* dst, int dw, int dh);

#endif
