// The grid mesh: plane and sphere building with wrapping face indices, normals, and release.
#include "engine/object.h"

#include "engine/matrix.h"
#include "engine/random.h"

// The float pi of the rest of the show.
static const float OBJECT_PI = 3.141592f;

Object::Object() : vertexCount(0), faceCount(0), vertices(nullptr), faces(nullptr) {}

Object::~Object() {
    destroy();
}

void Object::destroy() {
    delete[] vertices;
    delete[] faces;
    vertices = nullptr;
    faces = nullptr;
    vertexCount = 0;
    faceCount = 0;
}

// Fresh arrays of zero records for n vertices and m faces.
static void allocate(Object* o, int n, int m) {
    o->destroy();
    o->vertexCount = n;
    o->faceCount = m;
    o->vertices = new Vertex[n]();
    o->faces = new Face[m]();
}

// The faces of an xres x yres grid: two a grid point, joining it to its +i and +j neighbours,
// with the last column and row wrapping to the first.
static void grid_faces(Object* o, int xres, int yres) {
    for (int j = 0; j < yres; j++) {
        for (int i = 0; i < xres; i++) {
            int i1 = (i + 1) % xres, j1 = (j + 1) % yres;
            int a = j * xres + i, b = j * xres + i1, c = j1 * xres + i, d = j1 * xres + i1;
            Face* f = &o->faces[2 * a];
            f[0].va = a;
            f[0].vb = b;
            f[0].vc = d;
            f[1].va = a;
            f[1].vb = d;
            f[1].vc = c;
        }
    }
}

void Object::buildPlane(float size, int xres, int yres, Vector rot) {
    if (xres < 1 || yres < 1) {
        destroy();
        return;
    }
    allocate(this, xres * yres, 2 * xres * yres);
    Matrix m;
    m.makeRotation(rot.x, rot.y, rot.z);
    for (int j = 0; j < yres; j++) {
        for (int i = 0; i < xres; i++) {
            Vector p(((float)i / (float)xres - 0.5f) * size, 0,
                     ((float)j / (float)yres - 0.5f) * size);
            vertices[j * xres + i].position = p * m;
        }
    }
    grid_faces(this, xres, yres);
}

void Object::buildSphere(float radius, int xres, int yres, Vector rot) {
    if (xres < 1 || yres < 1) {
        destroy();
        return;
    }
    allocate(this, xres * yres, 2 * xres * yres);
    Matrix m;
    m.makeRotation(rot.x, rot.y, rot.z);
    for (int j = 0; j < yres; j++) {
        for (int i = 0; i < xres; i++) {
            float polar = (float)j / (float)yres * OBJECT_PI;
            float azimuth = (float)i / (float)xres * 2.0f * OBJECT_PI;
            vertices[j * xres + i].position = sphereCoord(radius, polar, azimuth) * m;
        }
    }
    grid_faces(this, xres, yres);
}

void Object::calculateNormals() {
    for (int k = 0; k < vertexCount; k++)
        vertices[k].normal = Vector(0, 0, 0);
    for (int k = 0; k < faceCount; k++) {
        Face* f = &faces[k];
        Vector a = vertices[f->va].position;
        Vector n = (vertices[f->vb].position - a).crossProduct(vertices[f->vc].position - a);
        n.normalize();
        f->normal = n;
        vertices[f->va].normal += n;
        vertices[f->vb].normal += n;
        vertices[f->vc].normal += n;
    }
    for (int k = 0; k < vertexCount; k++)
        vertices[k].normal.normalize();
}

void Object::emptyCopy(Object* src) {
    int n = src->vertexCount, m = src->faceCount;
    if (src == this) {
        // Keep the counts; only the contents go.
        for (int k = 0; k < n; k++)
            vertices[k] = Vertex();
        for (int k = 0; k < m; k++)
            faces[k] = Face();
        return;
    }
    allocate(this, n, m);
}
