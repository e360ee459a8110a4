// A minimal indexed triangle mesh: vertex and face arrays that scenes read directly, built as
// a regular grid (flat or on a sphere). The mesh draws nothing itself.
#ifndef ORDUNE_ENGINE_OBJECT_H
#define ORDUNE_ENGINE_OBJECT_H

#include "engine/vector.h"

struct Vertex {
    Vector position;
    Vector normal; // zero until calculateNormals
};

struct Face {
    int va, vb, vc; // indices into Object::vertices
    Vector normal;  // zero until calculateNormals
};

// Created with new in a scene's _init, built once, deleted in its _free; the destructor
// releases the arrays. Building again releases the old arrays first.
class Object {
  public:
    int vertexCount;
    int faceCount;
    Vertex* vertices; // owned, vertexCount records
    Face* faces;      // owned, faceCount records

    Object(); // empty: counts 0, no arrays
    ~Object();

    // Releases both arrays; the object is empty afterwards.
    void destroy();
    // An xres x yres grid of the given size in the xz plane (y = 0), then turned by rot
    // (radians, Matrix::makeRotation). Vertex j * xres + i sits at
    // ((i / xres - 0.5) * size, 0, (j / yres - 0.5) * size): the grid starts at the -0.5 edge
    // and stops one cell short of the +0.5 edge. Every grid point k gets faces 2k = (A, B, D)
    // and 2k + 1 = (A, D, C) of the cell to its +x, +z side, and the indices wrap, so the last
    // column and row join back to the first: 2 * xres * yres faces. Resolutions below 1 leave
    // the object empty.
    void buildPlane(float size, int xres, int yres, Vector rot);
    // The same grid and faces with vertex (i, j) on the sphere of that radius: polar angle
    // j / yres * pi from +z, azimuth i / xres * 2 pi, then turned by rot.
    void buildSphere(float radius, int xres, int yres, Vector rot);
    // Face normals (vb - va) x (vc - va), normalised; vertex normals the normalised sum of the
    // normals of the faces using them. Degenerate faces keep a zero normal.
    void calculateNormals();
    // src's counts with arrays of zero records; nothing of src's contents is copied.
    void emptyCopy(Object* src);
};

#endif
