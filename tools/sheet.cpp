// Contact-sheet layout, scaling and lettering. The font holds only what time labels need, five
// by seven pixels a glyph, drawn at twice that size so that it reads at thumbnail scale.
#include "tools/sheet.h"

#include <cmath>
#include <cstring>

enum {
    SHEET_MARGIN = 8, // around the grid and between cells
    GLYPH_W = 5,
    GLYPH_H = 7,
    GLYPH_SCALE = 2,
    LABEL_GAP = 4, // between a thumbnail and its label
    LABEL_H = GLYPH_H * GLYPH_SCALE + LABEL_GAP,
};
static const unsigned char ground[3] = {24, 24, 28};
static const unsigned char ink[3] = {230, 230, 230};

// Rows top to bottom, the high bit of the low five the leftmost pixel.
struct Glyph {
    char c;
    unsigned char rows[GLYPH_H];
};
static const Glyph font[] = {
    {'0', {0x0e, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0e}},
    {'1', {0x04, 0x0c, 0x04, 0x04, 0x04, 0x04, 0x0e}},
    {'2', {0x0e, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1f}},
    {'3', {0x1f, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0e}},
    {'4', {0x02, 0x06, 0x0a, 0x12, 0x1f, 0x02, 0x02}},
    {'5', {0x1f, 0x10, 0x1e, 0x01, 0x01, 0x11, 0x0e}},
    {'6', {0x06, 0x08, 0x10, 0x1e, 0x11, 0x11, 0x0e}},
    {'7', {0x1f, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0e, 0x11, 0x11, 0x0e, 0x11, 0x11, 0x0e}},
    {'9', {0x0e, 0x11, 0x11, 0x0f, 0x01, 0x02, 0x0c}},
    {':', {0x00, 0x0c, 0x0c, 0x00, 0x0c, 0x0c, 0x00}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0c, 0x0c}},
};

static const Glyph* glyph(char c) {
    for (const Glyph& g : font)
        if (g.c == c)
            return &g;
    return nullptr;
}

static int cell_w(const ContactSheet* s) {
    return s->thumb_w + SHEET_MARGIN;
}
static int cell_h(const ContactSheet* s) {
    return s->thumb_h + LABEL_H + SHEET_MARGIN;
}

void sheet_init(ContactSheet* s, int count, int thumb_w, int thumb_h, int columns) {
    s->thumb_w = thumb_w;
    s->thumb_h = thumb_h;
    s->columns = count < columns ? (count > 0 ? count : 1) : columns;
    int rows = count > 0 ? (count + s->columns - 1) / s->columns : 1;
    s->w = SHEET_MARGIN + s->columns * cell_w(s);
    s->h = SHEET_MARGIN + rows * cell_h(s);
    s->rgb.resize((size_t)s->w * (size_t)s->h * 3);
    for (size_t i = 0; i < s->rgb.size(); i += 3)
        memcpy(&s->rgb[i], ground, 3);
}

static void put_text(ContactSheet* s, int x, int y, const std::string& text) {
    for (size_t n = 0; n < text.size(); n++) {
        const Glyph* g = glyph(text[n]);
        int gx = x + (int)n * (GLYPH_W + 1) * GLYPH_SCALE;
        for (int r = 0; g && r < GLYPH_H * GLYPH_SCALE; r++)
            for (int c = 0; c < GLYPH_W * GLYPH_SCALE; c++) {
                if (!(g->rows[r / GLYPH_SCALE] & (0x10 >> (c / GLYPH_SCALE))))
                    continue;
                int px = gx + c, py = y + r;
                if (px >= 0 && px < s->w && py >= 0 && py < s->h)
                    memcpy(&s->rgb[((size_t)py * (size_t)s->w + (size_t)px) * 3], ink, 3);
            }
    }
}

void sheet_place(ContactSheet* s, int i, const unsigned char* frame, int fw, int fh,
                 const std::string& label) {
    int x0 = SHEET_MARGIN + (i % s->columns) * cell_w(s);
    int y0 = SHEET_MARGIN + (i / s->columns) * cell_h(s);
    std::vector<unsigned char> thumb((size_t)s->thumb_w * (size_t)s->thumb_h * 3);
    image_downscale(frame, fw, fh, thumb.data(), s->thumb_w, s->thumb_h);
    for (int y = 0; y < s->thumb_h; y++)
        memcpy(&s->rgb[((size_t)(y0 + y) * (size_t)s->w + (size_t)x0) * 3],
               &thumb[(size_t)y * (size_t)s->thumb_w * 3], (size_t)s->thumb_w * 3);
    int text_w = (int)label.size() * (GLYPH_W + 1) * GLYPH_SCALE - GLYPH_SCALE;
    put_text(s, x0 + (s->thumb_w - text_w) / 2, y0 + s->thumb_h + LABEL_GAP, label);
}

std::string sheet_label(double seconds) {
    long tenths = lround(seconds * 10);
    long whole = tenths / 10;
    char buf[32];
    if (tenths % 10 == 0)
        snprintf(buf, sizeof buf, "%ld:%02ld", whole / 60, whole % 60);
    else
        snprintf(buf, sizeof buf, "%ld:%02ld.%ld", whole / 60, whole % 60, tenths % 10);
    return buf;
}

void image_downscale(const unsigned char* src, int sw, int sh, unsigned char* dst, int dw, int dh) {
    for (int y = 0; y < dh; y++) {
        // Source rows [y0, y1): at least one, so a reduction by a non-integer factor skips none.
        int y0 = (int)((long)y * sh / dh), y1 = (int)((long)(y + 1) * sh / dh);
        if (y1 <= y0)
            y1 = y0 + 1;
        for (int x = 0; x < dw; x++) {
            int x0 = (int)((long)x * sw / dw), x1 = (int)((long)(x + 1) * sw / dw);
            if (x1 <= x0)
                x1 = x0 + 1;
            unsigned long sum[3] = {0, 0, 0};
            for (int sy = y0; sy < y1; sy++)
                for (int sx = x0; sx < x1; sx++)
                    for (int ch = 0; ch < 3; ch++)
                        sum[ch] += src[((size_t)sy * (size_t)sw + (size_t)sx) * 3 + ch];
            unsigned long n = (unsigned long)(y1 - y0) * (unsigned long)(x1 - x0);
            for (int ch = 0; ch < 3; ch++)
                dst[((size_t)y * (size_t)dw + (size_t)x) * 3 + ch] =
                    (unsigned char)((sum[ch] + n / 2) / n);
        }
    }
}
