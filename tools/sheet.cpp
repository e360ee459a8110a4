// Contact-sheet layout, scaling and lettering. The labels are set in the overlay's monospace
// glyph sheet (engine/overlay.h), its coverage blended over the sheet's ground.
#include "tools/sheet.h"
#include "engine/overlay.h"

#include <cmath>
#include <cstring>

enum {
    SHEET_MARGIN = 8, // around the grid and between cells
    LABEL_GAP = 4,    // between a thumbnail and its label
};

static const unsigned char ground[3] = {24, 24, 28};
static const unsigned char ink[3] = {230, 230, 230};

static int label_h() {
    return LABEL_GAP + SHEET_LABEL_LINES * overlay_cell_height();
}

static int cell_w(const ContactSheet* s) {
    return s->thumb_w + SHEET_MARGIN;
}
static int cell_h(const ContactSheet* s) {
    return s->thumb_h + label_h() + SHEET_MARGIN;
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

// One line of text with its top-left corner at (x, y), drawn only within columns [left, right).
static void put_line(ContactSheet* s, int x, int y, int left, int right, const std::string& text) {
    int cw = overlay_cell_width(), ch = overlay_cell_height();
    for (size_t n = 0; n < text.size(); n++)
        for (int r = 0; r < ch; r++)
            for (int c = 0; c < cw; c++) {
                int a = overlay_coverage(text[n], c, r);
                int px = x + (int)n * cw + c, py = y + r;
                if (a == 0 || px < left || px >= right || py < 0 || py >= s->h)
                    continue;
                unsigned char* p = &s->rgb[((size_t)py * (size_t)s->w + (size_t)px) * 3];
                for (int k = 0; k < 3; k++)
                    p[k] = (unsigned char)((p[k] * (255 - a) + ink[k] * a + 127) / 255);
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
    // Each line centred under the thumbnail, cut at its edges.
    size_t start = 0;
    for (int line = 0; line < SHEET_LABEL_LINES && start <= label.size(); line++) {
        size_t end = label.find('\n', start);
        std::string text = label.substr(start, end == std::string::npos ? end : end - start);
        int text_w = (int)text.size() * overlay_cell_width();
        put_line(s, x0 + (s->thumb_w - text_w) / 2,
                 y0 + s->thumb_h + LABEL_GAP + line * overlay_cell_height(), x0, x0 + s->thumb_w,
                 text);
        start = end == std::string::npos ? label.size() + 1 : end + 1;
    }
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
