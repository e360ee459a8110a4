// Scene runko: the skeleton a new scene starts from. It sets up its camera and the GL state a
// scene relies on, and draws nothing. No window schedules it.
#include "engine/gl.h"
#include "scenes/scenes.h"

void runko_init() {}

void runko(float) {
    glLoadIdentity();
    gluLookAt(0, 0, -5, 0, 0, 0, 0, 1, 0);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glDisable(GL_TEXTURE_2D);
    glLineWidth(1.0f);
    glPointSize(1.0f);
    glColor4f(1, 1, 1, 1);
}

void runko_free() {}
