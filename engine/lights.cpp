// Glowing lines and rectangles: a coloured body with ordinary blending, then a thin core with
// additive blending over the same vertices. Everything lives on the stack; scenes call these
// several times a frame.
#include "engine/lights.h"

#include "engine/gl.h"
#include "engine/matrix.h"

// Widths of the outline layers of lightquad2 and of every core layer.
static const float LIGHT_OUTLINE_WIDTH = 4.0f;
static const float LIGHT_CORE_WIDTH = 1.0f;

// The four corners in drawing order: (-w, -h), (w, -h), (w, h), (-w, h), turned and moved.
static void quad_corners(Vector centre, const Matrix& m, float w, float h, Vector corner[4]) {
    corner[0] = centre + Vector(-w, -h, 0) * m;
    corner[1] = centre + Vector(w, -h, 0) * m;
    corner[2] = centre + Vector(w, h, 0) * m;
    corner[3] = centre + Vector(-w, h, 0) * m;
}

static void quad_batch(GLenum prim, const Vector corner[4]) {
    glBegin(prim);
    for (int k = 0; k < 4; k++)
        glVertex3fv(&corner[k].x);
    glEnd();
}

// The coloured fill shared by both rectangles, with ordinary alpha blending.
static void quad_fill(const Vector corner[4], Vector colour, float alpha) {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(colour.x, colour.y, colour.z, alpha);
    quad_batch(GL_QUADS, corner);
}

static void line_batch(Vector a, Vector b) {
    glBegin(GL_LINES);
    glVertex3fv(&a.x);
    glVertex3fv(&b.x);
    glEnd();
}

void lightline(Vector a, Vector b, Vector colour, float width, float bodyAlpha, float coreAlpha) {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glLineWidth(width);
    glColor4f(colour.x, colour.y, colour.z, bodyAlpha);
    line_batch(a, b);
    glColor4f(1, 1, 1, coreAlpha);
    glLineWidth(LIGHT_CORE_WIDTH);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    line_batch(a, b);
}

void lightquad(Vector centre, Vector rot, float halfWidth, float halfHeight, Vector colour,
               float fillAlpha, float outlineAlpha) {
    Matrix turn;
    turn.makeRotation(rot.x, rot.y, rot.z);
    lightquad_turned(centre, turn, halfWidth, halfHeight, colour, fillAlpha, outlineAlpha);
}

void lightquad_turned(Vector centre, const Matrix& turn, float halfWidth, float halfHeight,
                      Vector colour, float fillAlpha, float outlineAlpha) {
    Vector corner[4];
    quad_corners(centre, turn, halfWidth, halfHeight, corner);
    quad_fill(corner, colour, fillAlpha);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(colour.x, colour.y, colour.z, outlineAlpha);
    quad_batch(GL_LINE_LOOP, corner);
}

void lightquad2(Vector centre, Vector rot, float halfWidth, float halfHeight, Vector colour,
                float fillAlpha, float outlineAlpha, float coreAlpha) {
    Matrix turn;
    turn.makeRotation(rot.x, rot.y, rot.z);
    lightquad2_turned(centre, turn, halfWidth, halfHeight, colour, fillAlpha, outlineAlpha,
                      coreAlpha);
}

void lightquad2_turned(Vector centre, const Matrix& turn, float halfWidth, float halfHeight,
                       Vector colour, float fillAlpha, float outlineAlpha, float coreAlpha) {
    Vector corner[4];
    quad_corners(centre, turn, halfWidth, halfHeight, corner);
    quad_fill(corner, colour, fillAlpha);
    // The wide outline must not write depth, or it would cut into the fills drawn after it.
    glLineWidth(LIGHT_OUTLINE_WIDTH);
    glDepthMask(GL_FALSE);
    glColor4f(colour.x, colour.y, colour.z, outlineAlpha);
    quad_batch(GL_LINE_LOOP, corner);
    glDepthMask(GL_TRUE);
    glLineWidth(LIGHT_CORE_WIDTH);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(1, 1, 1, coreAlpha);
    quad_batch(GL_LINE_LOOP, corner);
}
