// Textures: reading blob words, making GL textures from pixel words, and the glow filter's two
// render textures.
#include "engine/texture.h"
#include "engine/gl.h"

#include <cstring>

Texture* render512_0 = nullptr;
Texture* render512_1 = nullptr;

enum { RENDER_TEXTURE_SIZE = 512 };

uint32_t blob_word(const uint32_t* blob, int i) {
    const unsigned char* b = (const unsigned char*)(blob + i);
    return (uint32_t)b[0] << 24 | (uint32_t)b[1] << 16 | (uint32_t)b[2] << 8 | (uint32_t)b[3];
}

Texture::Texture(int w, int h) : width(w), height(h), id(0), data(new uint32_t[(size_t)w * h]) {
    // Red with no alpha, byte for byte; a render texture is overwritten by its first screen
    // copy, so this only shows if a texture is drawn before it.
    const unsigned char blank[4] = {0xFF, 0, 0, 0};
    for (size_t i = 0; i < (size_t)w * h; i++)
        memcpy(&data[i], blank, sizeof blank);
}

Texture::Texture(int w, int h, const uint32_t* pixels)
    : width(w), height(h), id(0), data(new uint32_t[(size_t)w * h]) {
    memcpy(data, pixels, (size_t)w * h * sizeof(uint32_t));
}

Texture::~Texture() {
    delete[] data;
}

// The square sizes a texture is used at without minification; everything else is drawn scaled
// and wants the mipmaps.
static bool plain_size(int w, int h) {
    return w == h && (w == 512 || w == 256 || w == 128 || w == 64);
}

void Texture::upload() {
    glEnable(GL_TEXTURE_2D);
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    if (!plain_size(width, height)) {
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    }
    gluBuild2DMipmaps(GL_TEXTURE_2D, 4, width, height, GL_RGBA, GL_UNSIGNED_BYTE, data);
}

void textures_init() {
    render512_0 = new Texture(RENDER_TEXTURE_SIZE, RENDER_TEXTURE_SIZE);
    render512_1 = new Texture(RENDER_TEXTURE_SIZE, RENDER_TEXTURE_SIZE);
    render512_0->upload();
    render512_1->upload();
}

void textures_free() {
    delete render512_0;
    render512_0 = nullptr;
    delete render512_1;
    render512_1 = nullptr;
}
