// The developers' overlay: lines of text in a dark translucent panel, drawn in window pixels
// from the compiled-in glyph sheet, over a finished frame (the live driver's --dev mode, tools).
#ifndef ORDUNE_ENGINE_OVERLAY_H
#define ORDUNE_ENGINE_OVERLAY_H

#include <cstdint>

// The glyph sheet, generated at build time from data/lettering.txt: an image blob
// (engine/texture.h) of one row of equal cells, black with the coverage in alpha, every glyph on
// the same baseline. Cell k holds overlay_glyphs_chars[k], a zero-terminated string of distinct
// printable ASCII characters, so a cell is the blob's width / strlen(overlay_glyphs_chars)
// pixels wide and the blob's height high.
extern const uint32_t overlay_glyphs[];
extern const char overlay_glyphs_chars[];

// The sheet read on the CPU, for lettering drawn into pictures (the contact sheet): a cell's
// size in pixels, and the coverage (0 to 255) of character c's cell at pixel (x, y) counted
// from the cell's top-left, x < overlay_cell_width(), y < overlay_cell_height(); 0 for a space
// and for a character the sheet lacks.
int overlay_cell_width();
int overlay_cell_height();
int overlay_coverage(char c, int x, int y);

// Pixels of panel round the text on every side.
enum { OVERLAY_PADDING = 4 };

// The size in pixels of the panel overlay_panel draws for these lines: the longest line's
// length in cells by count lines of one cell each, plus OVERLAY_PADDING on every side.
// lines holds count zero-terminated strings; count <= 0 gives 0 x 0.
void overlay_panel_size(const char* const* lines, int count, int* width, int* height);

// Draws count lines top-down in white on a dark translucent panel, one texel a pixel, the
// panel's top-left corner at window pixel (x, y) counted from the window's top-left corner.
// The window is window_width x window_height pixels; the viewport is set to all of it for the
// call. Every byte is one cell wide; a space or a character the sheet lacks leaves its cell
// blank. Nothing is drawn for count <= 0.
//
// Call it outside glBegin/glEnd, after the frame is drawn: it turns off depth testing,
// culling and lighting and blends over whatever is there. Every GL state it touches (enables,
// blend function, bound texture, colour, viewport, matrix mode, both matrices) is as it found it
// on return, so the next frame draws exactly as it would have. The first call uploads the
// glyph sheet as a texture in the current context (with the default pixel unpacking); until
// then the overlay makes no GL call at all.
void overlay_panel(int window_width, int window_height, int x, int y, const char* const* lines,
                   int count);

// Deletes the glyph texture, if it was made; the next overlay_panel makes it again. Call it
// while the context it was made in is current.
void overlay_free();

#endif
