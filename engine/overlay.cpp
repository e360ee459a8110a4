// The developers' overlay: the glyph sheet's texture, made on first use, and the panel of text
// drawn over a finished frame in window pixels.
#include "engine/overlay.h"
#include "engine/gl.h"
#include "engine/texture.h"

#include <algorithm>
#include <cstring>

// Opacity of the panel's black behind the text.
static const float panel_alpha = 0.6f;

static GLuint glyph_texture = 0; // 0 until the first panel is drawn

static int sheet_width() {
    return (int)blob_word(overlay_glyphs, BLOB_WIDTH);
}
int overlay_cell_width() {
    return sheet_width() / (int)strlen(overlay_glyphs_chars);
}
int overlay_cell_height() {
    return (int)blob_word(overlay_glyphs, BLOB_HEIGHT);
}

void overlay_panel_size(const char* const* lines, int count, int* width, int* height) {
    if (count <= 0) {
        *width = *height = 0;
        return;
    }
    size_t longest = 0;
    for (int i = 0; i < count; i++)
        longest = std::max(longest, strlen(lines[i]));
    *width = (int)longest * overlay_cell_width() + 2 * OVERLAY_PADDING;
    *height = count * overlay_cell_height() + 2 * OVERLAY_PADDING;
}

// The sheet's coverage becomes an alpha-only texture, so that the current colour (white) comes
// through and the coverage sets the opacity. Cells are drawn texel for texel: nearest filtering.
static void upload_glyphs() {
    glGenTextures(1, &glyph_texture);
    glBindTexture(GL_TEXTURE_2D, glyph_texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA8, sheet_width(), overlay_cell_height(), 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, overlay_glyphs + BLOB_PIXELS);
}

// The cell of a character in the sheet, or -1 for a space and for one the sheet lacks.
static int cell_of(char c) {
    const char* at = c == ' ' ? nullptr : strchr(overlay_glyphs_chars, c);
    return at ? (int)(at - overlay_glyphs_chars) : -1;
}

int overlay_coverage(char c, int x, int y) {
    int cell = cell_of(c);
    if (cell < 0)
        return 0;
    // The blob's pixel words hold R, G, B, A bytes in memory order; the coverage is A.
    const unsigned char* rgba = (const unsigned char*)(overlay_glyphs + BLOB_PIXELS);
    size_t column = (size_t)(cell * overlay_cell_width() + x);
    return rgba[((size_t)y * (size_t)sheet_width() + column) * 4 + 3];
}

// The corners of the rectangle (x0, y0)..(x1, y1), window pixels, y down, going round from the
// top-left; with texture coordinates, the sheet columns s0..s1, its first row at the top.
static void corners(int x0, int y0, int x1, int y1) {
    glVertex2f((float)x0, (float)y0);
    glVertex2f((float)x0, (float)y1);
    glVertex2f((float)x1, (float)y1);
    glVertex2f((float)x1, (float)y0);
}
static void textured_corners(int x0, int y0, int x1, int y1, float s0, float s1) {
    glTexCoord2f(s0, 0);
    glVertex2f((float)x0, (float)y0);
    glTexCoord2f(s0, 1);
    glVertex2f((float)x0, (float)y1);
    glTexCoord2f(s1, 1);
    glVertex2f((float)x1, (float)y1);
    glTexCoord2f(s1, 0);
    glVertex2f((float)x1, (float)y0);
}

void overlay_panel(int window_width, int window_height, int x, int y, const char* const* lines,
                   int count) {
    if (count <= 0)
        return;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    if (!glyph_texture)
        upload_glyphs();
    glViewport(0, 0, window_width, window_height);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, window_width, window_height, 0, -1, 1); // window pixels, origin top-left
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    int w, h;
    overlay_panel_size(lines, count, &w, &h);
    glDisable(GL_TEXTURE_2D);
    glColor4f(0, 0, 0, panel_alpha);
    glBegin(GL_QUADS);
    corners(x, y, x + w, y + h);
    glEnd();

    const int cw = overlay_cell_width(), ch = overlay_cell_height();
    const float sheet = (float)sheet_width();
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, glyph_texture);
    glColor4f(1, 1, 1, 1);
    glBegin(GL_QUADS);
    for (int i = 0; i < count; i++) {
        int top = y + OVERLAY_PADDING + i * ch;
        for (int k = 0; lines[i][k]; k++) {
            int cell = cell_of(lines[i][k]);
            if (cell < 0)
                continue;
            int left = x + OVERLAY_PADDING + k * cw;
            textured_corners(left, top, left + cw, top + ch, (float)(cell * cw) / sheet,
                             (float)((cell + 1) * cw) / sheet);
        }
    }
    glEnd();

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
}

void overlay_free() {
    if (glyph_texture)
        glDeleteTextures(1, &glyph_texture);
    glyph_texture = 0;
}
