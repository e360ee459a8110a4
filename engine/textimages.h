// The lettering pictures as textures, chosen by a text key and drawn either as a flat overlay
// (font_write) or as a quad in the current 3-D space (font_write3d).
//
// Text keys, matched exactly (whole string, case-sensitive):
//   "mervane"             index 0, 116 x 36
//   "Ordune"              index 1, 61 x 22
//   "fluoxetine: tamsel"  index 2, 300 x 36
//   "fluvoxamine: vorn"   index 3, 261 x 36
//   anything else         index 4, 417 x 1080, the greetings; callers write "greetings"
//
// Neither drawing function sets a colour, blend function or depth state. The pictures are black
// with the lettering in alpha, so under GL_SRC_ALPHA / GL_ONE_MINUS_SRC_ALPHA the lettering
// darkens what lies behind it by the current alpha times the coverage.
#ifndef ORDUNE_ENGINE_TEXTIMAGES_H
#define ORDUNE_ENGINE_TEXTIMAGES_H

enum { FONT_TEXTURES_MAX = 10 };

struct FontTexture {
    unsigned int texture;       // the OpenGL texture name
    unsigned int width, height; // the picture's size in pixels
};

// Filled from the front by font_texture; 5 records after font_init, read-only from then on.
extern FontTexture font_textures[FONT_TEXTURES_MAX];
extern int font_inc; // records filled, and the index the next font_texture fills

// Makes a texture from width*height RGBA pixels (bytes as they lie), appends its record and
// leaves texturing disabled and no texture bound. Once the table is full it does nothing.
void font_texture(const unsigned char* pixels, unsigned int width, unsigned int height);
// Uploads the five pictures in index order, refilling the table from index 0; once a show,
// right after textures_init.
void font_init();
// Nothing to do: the textures live until the process ends.
void font_free();

// The table index of a text key (see above).
int fonttext(const char* text);

// Draws the picture at its own pixel size on a 640 x 480 overlay, origin lower left. Its
// lower-left corner lands at (320 - (x - 1.3) * 320, (y + 1) * 240): x = 1.3 puts the left edge
// at the centre and larger x moves it left; y = -1, 0, 1 put the bottom edge at the bottom,
// middle and top. The caller has the modelview matrix selected; both matrices are restored and
// texturing is left disabled.
void font_write(float x, float y, const char* text);
// For a frame filled at another aspect than 4:3 (the renderer's --fill): widens (or narrows) the
// overlay to `aspect` (width / height) at the same 480 units high, and centres the 640-unit
// layout in it, so the lettering keeps its proportions and its place beside the middle. The
// show never calls it: its picture is 4:3.
void font_fill(float aspect);
// Draws the picture in the current modelview space, one unit per pixel, lower-left corner at
// the origin, z = 0, first pixel row at the top (+y). Leaves texturing disabled and blending
// enabled; the modelview matrix is restored.
void font_write3d(const char* text);

#endif
