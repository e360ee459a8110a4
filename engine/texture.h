// Textures, the image blob every compiled-in picture is stored in, and the two 512x512 render
// textures of the glow filter.
#ifndef ORDUNE_ENGINE_TEXTURE_H
#define ORDUNE_ENGINE_TEXTURE_H

#include <cstdint>

// Image blob: a constant array of 32-bit words whose bytes lie big-endian in memory.
//   word 0      width in pixels
//   word 1      height in pixels
//   word 2      bytes per pixel, always 4
//   word 3 ...  width*height pixels, top row first, each row left to right; a pixel's four
//               bytes in memory are R, G, B, A and go to OpenGL (GL_RGBA, GL_UNSIGNED_BYTE) as
//               they lie
//   last        one 0 word after the pixels
// The lettering pictures are black (R = G = B = 0) with the coverage 0..255 in A, so read as a
// big-endian number each of their pixels is its coverage.
enum { BLOB_WIDTH = 0, BLOB_HEIGHT = 1, BLOB_BPP = 2, BLOB_PIXELS = 3 };

// Word i of a blob as a number, whatever the host's byte order.
uint32_t blob_word(const uint32_t* blob, int i);

// Words in a blob of w x h pixels: three header words, the pixels and the closing 0.
constexpr int blob_words(int w, int h) {
    return BLOB_PIXELS + w * h + 1;
}

// The five lettering pictures, generated at build time from data/lettering.txt. The bounds
// pin their sizes: a generated picture with more pixels does not compile.
extern const uint32_t ordune_image[blob_words(61, 22)];       // "Ordune"
extern const uint32_t mervane_image[blob_words(116, 36)];     // "Mervane"
extern const uint32_t tamsel_image[blob_words(300, 36)];      // "fluoxetine: tamsel"
extern const uint32_t vorn_image[blob_words(261, 36)];        // "fluvoxamine: vorn"
extern const uint32_t greetings_image[blob_words(417, 1080)]; // the greetings column

// A picture in the blob's pixel layout and the OpenGL texture made from it. Created with new
// in an _init, deleted in the matching _free; the GL texture name is never deleted.
class Texture {
  public:
    int width, height; // pixels
    unsigned int id;   // the OpenGL texture name; set by upload()
    uint32_t* data;    // width*height pixels, owned (array new)

    // Every pixel the bytes R 255, G 0, B 0, A 0 (0xFF000000 read big-endian); only matters
    // until the screen is copied in.
    Texture(int w, int h);
    // Copies w*h pixel words, e.g. from a blob at BLOB_PIXELS.
    Texture(int w, int h, const uint32_t* pixels);
    ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    // Makes the GL texture and builds its mipmaps from data. 512, 256, 128 and 64 square keep
    // the default wrap and plain linear filtering; every other size gets repeat wrapping and
    // trilinear minification. Leaves texturing enabled and the new texture bound.
    void upload();
};

// The glow filter's render textures; null until textures_init and after textures_free.
extern Texture* render512_0;
extern Texture* render512_1;

// Creates and uploads render512_0, then render512_1; first of the start-up calls.
void textures_init();
// Deletes whichever of them exist.
void textures_free();

#endif
