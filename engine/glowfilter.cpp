// The glow filter: render-to-texture by copying the frame buffer, additive smearing in five
// shifted passes, and one stretched quad back over the screen.
#include "engine/glowfilter.h"
#include "engine/gl.h"
#include "engine/projection.h"
#include "engine/colors.h"
#include "engine/window.h"
#include "engine/texture.h"

#include <cmath>

enum { GLOW_PASSES = 5 };
// A full turn as the filter has always used it: a little short of 2 * 3.141592, which moves
// every direction but the first by a few millionths of a turn.
static const float glowturn = 6.283058f;
// Each pass shifts its copy this far, in units of the square.
static const float glowshift = 0.01f;
static const float glowstrength = 0.3f;

// The frame's lower-left square, colour only, becomes level 0 of the bound texture.
static void copy_square() {
    glBindTexture(GL_TEXTURE_2D, render512_0->id);
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, GLOW_SIZE, GLOW_SIZE, 0);
}

// The whole texture on the unit square, moved by (dx, dy).
static void unit_quad(float dx, float dy, float alpha) {
    glBindTexture(GL_TEXTURE_2D, render512_0->id);
    glBegin(GL_QUADS);
    glColor4f(1, 1, 1, alpha);
    glTexCoord2f(0, 0);
    glVertex3f(dx, dy, 0);
    glTexCoord2f(1, 0);
    glVertex3f(1 + dx, dy, 0);
    glTexCoord2f(1, 1);
    glVertex3f(1 + dx, 1 + dy, 0);
    glTexCoord2f(0, 1);
    glVertex3f(dx, 1 + dy, 0);
    glEnd();
}

void glowfilter_setup() {
    glViewport(0, 0, GLOW_SIZE, GLOW_SIZE);
}

void glowfilter_draw() {
    glEnable(GL_TEXTURE_2D);
    copy_square();

    // The passes start from a black square, so the first one holds the picture alone: cleared
    // to the show's grey instead, the five additions would wash every frame out to white. The
    // show's clear colour is put back for whatever clears after the filter.
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(clearcolor.x, clearcolor.y, clearcolor.z, 1.0);
    glDepthMask(GL_FALSE);
    perspective2D(1, 1);
    glLoadIdentity();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);

    // Copying after every pass makes the next one smear the sum so far, not the bare picture.
    for (int i = 0; i < GLOW_PASSES; i++) {
        float angle = ((float)i / GLOW_PASSES) * glowturn;
        float dx = (float)sin((double)angle) * glowshift;
        float dy = (float)cos((double)angle) * glowshift;
        unit_quad(dx, dy, glowstrength);
        copy_square();
    }

    glViewport(0, 0, OPENGL_XRES, OPENGL_YRES);
    glDisable(GL_BLEND);
    glColor3f(1, 1, 1);
    unit_quad(0, 0, 1);

    glDepthMask(GL_TRUE);
    perspective3D();
    glLoadIdentity();
}

void glowfilter_around(void (*draw)(float pos), float pos) {
    glowfilter_setup();
    draw(pos);
    glowfilter_draw();
}
