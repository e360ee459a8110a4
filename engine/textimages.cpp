// The lettering pictures as textures: uploading the five blobs, choosing one by its text key,
// and drawing it as a screen overlay or as a quad in 3-D.
#include "engine/textimages.h"
#include "engine/gl.h"
#include "engine/projection.h"
#include "engine/texture.h"

#include <cstring>

FontTexture font_textures[FONT_TEXTURES_MAX];
int font_inc = 0;

// The keys of the first four records, in table order; every other text selects the last one.
static const char* const font_keys[] = {"mervane", "Ordune", "fluoxetine: tamsel",
                                        "fluvoxamine: vorn"};
enum { FONT_KEYS = sizeof font_keys / sizeof font_keys[0] };

// The overlay the flat lettering is laid out on, in pixels; font_fill widens the one it is drawn
// on, and the layout's left edge moves by overlay_left.
static const float layout_width = 640, overlay_height = 480;
static float overlay_width = layout_width, overlay_left = 0;

void font_texture(const unsigned char* pixels, unsigned int width, unsigned int height) {
    // A table overrun would write past the records; refuse it rather than corrupt memory.
    if (font_inc >= FONT_TEXTURES_MAX)
        return;
    GLuint name;
    glEnable(GL_TEXTURE_2D);
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 4, (GLint)width, (GLint)height, GL_RGBA, GL_UNSIGNED_BYTE,
                      pixels);
    font_textures[font_inc] = FontTexture{name, width, height};
    font_inc++;
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
}

void font_init() {
    // The table is rebuilt from the front, so a show built twice in one process (tests, the
    // offline tools) finds the same indices and never runs past the table.
    font_inc = 0;
    const uint32_t* const blobs[] = {mervane_image, ordune_image, tamsel_image, vorn_image,
                                     greetings_image};
    for (const uint32_t* b : blobs)
        font_texture((const unsigned char*)(b + BLOB_PIXELS), blob_word(b, BLOB_WIDTH),
                     blob_word(b, BLOB_HEIGHT));
}

void font_free() {}

int fonttext(const char* text) {
    for (int i = 0; i < FONT_KEYS; i++)
        if (strcmp(text, font_keys[i]) == 0)
            return i;
    return FONT_KEYS;
}

// The picture's quad, one unit a pixel, with its first pixel row at the top.
static void font_quad(const FontTexture& f) {
    float w = (float)f.width, h = (float)f.height;
    glBegin(GL_QUADS);
    glTexCoord2f(0, 1);
    glVertex3f(0, 0, 0);
    glTexCoord2f(0, 0);
    glVertex3f(0, h, 0);
    glTexCoord2f(1, 0);
    glVertex3f(w, h, 0);
    glTexCoord2f(1, 1);
    glVertex3f(w, 0, 0);
    glEnd();
}

void font_write(float x, float y, const char* text) {
    glPushMatrix();
    const FontTexture& f = font_textures[fonttext(text)];
    glEnable(GL_TEXTURE_2D);
    perspective2D(overlay_width, overlay_height);
    // x in double, y in single precision: the placement the scenes were laid out against.
    float px = (float)(320.0 - (x - 1.3) * 320.0) + overlay_left;
    float py = (y + 1.0f) * 240.0f;
    glTranslatef(px, py, 0);
    glBindTexture(GL_TEXTURE_2D, f.texture);
    font_quad(f);
    perspective3D();
    glDisable(GL_TEXTURE_2D);
    glPopMatrix();
}

void font_fill(float aspect) {
    overlay_width = overlay_height * aspect;
    overlay_left = (overlay_width - layout_width) / 2;
}

void font_write3d(const char* text) {
    glPushMatrix();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    const FontTexture& f = font_textures[fonttext(text)];
    glBindTexture(GL_TEXTURE_2D, f.texture);
    font_quad(f);
    glDisable(GL_TEXTURE_2D);
    glPopMatrix();
}
