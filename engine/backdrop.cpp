// Sky and ground bands. Both draw one smooth-shaded quad on a unit overlay; the edge pair of
// vertices carries the strength, the inner pair alpha 0. The depth mask is off while they draw
// so that scene geometry is never hidden behind a band.
#include "engine/backdrop.h"
#include "engine/gl.h"
#include "engine/projection.h"

// edge and inner are the band's two y values on the unit overlay.
static void band(float edge, float inner, float strength) {
    glDepthMask(GL_FALSE);
    perspective2D(1, 1);
    glLoadIdentity();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBegin(GL_QUADS);
    glColor4f(0, 0, 0, strength);
    glVertex2f(0, edge);
    glVertex2f(1, edge);
    glColor4f(0, 0, 0, 0);
    glVertex2f(1, inner);
    glVertex2f(0, inner);
    glEnd();
    perspective3D();
    glLoadIdentity();
    glDepthMask(GL_TRUE);
}

void taustasky(float height, float strength) {
    if (strength <= 0.0f)
        return;
    band(0, height, strength);
}

void taustaground(float height, float strength) {
    if (strength <= 0.0f)
        return;
    band(1, 1 - height, strength);
}

void taustahori(float height, float strength) {
    taustasky(height, strength);
    taustaground(height, strength);
}
