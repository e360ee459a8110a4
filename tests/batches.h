// Readers of the recorder's batches shared by the drawing tests: a vertex, its alpha, and the
// camera a modelview matrix stands for.
#ifndef ORDUNE_TESTS_BATCHES_H
#define ORDUNE_TESTS_BATCHES_H

#include "engine/glrecorder.h"
#include "engine/vector.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

inline Vector vertex(const GlBatch& b, int i) {
    return Vector(b.v[i * 3], b.v[i * 3 + 1], b.v[i * 3 + 2]);
}
// The recorded batches of one primitive, in drawing order.
inline std::vector<const GlBatch*> batches_of(GLenum prim) {
    std::vector<const GlBatch*> out;
    for (const GlBatch& b : gl_recorder()->batches)
        if (b.prim == prim)
            out.push_back(&b);
    return out;
}
inline float alpha(const GlBatch& b, int i) {
    return b.c[i * 4 + 3];
}
inline float max_alpha(const std::vector<GlBatch>& batches) {
    float a = 0;
    for (const GlBatch& b : batches)
        for (int i = 0; i < b.count(); i++)
            a = std::max(a, alpha(b, i));
    return a;
}
inline int total_vertices(const std::vector<GlBatch>& batches) {
    int n = 0;
    for (const GlBatch& b : batches)
        n += b.count();
    return n;
}
inline void expect_near(const Vector& v, const Vector& w, float tolerance, const char* what) {
    EXPECT_NEAR(v.x, w.x, tolerance) << what;
    EXPECT_NEAR(v.y, w.y, tolerance) << what;
    EXPECT_NEAR(v.z, w.z, tolerance) << what;
}
// The eye of a rigid camera matrix: the point it maps to the origin, -R^T t with R the upper
// 3x3 (column-major) and t the translation column.
inline Vector eye_of(const GlMat4& m) {
    const float* e = m.m;
    return Vector(-(e[0] * e[12] + e[1] * e[13] + e[2] * e[14]),
                  -(e[4] * e[12] + e[5] * e[13] + e[6] * e[14]),
                  -(e[8] * e[12] + e[9] * e[13] + e[10] * e[14]));
}
// The viewing direction of a camera matrix in its object space: minus the third row.
inline Vector forward_of(const GlMat4& m) {
    return Vector(-m.m[2], -m.m[6], -m.m[10]);
}

// The batches of one primitive in a frame the caller keeps, in drawing order.
inline std::vector<const GlBatch*> batches_in(const std::vector<GlBatch>& frame, GLenum prim) {
    std::vector<const GlBatch*> out;
    for (const GlBatch& b : frame)
        if (b.prim == prim)
            out.push_back(&b);
    return out;
}

// The logged calls of one name, in call order.
inline std::vector<GlCall> calls_named(const char* name) {
    std::vector<GlCall> out;
    for (const GlCall& c : gl_recorder()->calls)
        if (strcmp(c.name, name) == 0)
            out.push_back(c);
    return out;
}

#endif
