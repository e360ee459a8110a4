// The grid mesh: vertex placement, the wrapping face layout, rotation, normals and release.
#include "engine/object.h"

#include <cmath>
#include <gtest/gtest.h>

static void expect_position(const Object& o, int k, float x, float y, float z, float eps = 1e-6f) {
    EXPECT_NEAR(o.vertices[k].position.x, x, eps) << "vertex " << k;
    EXPECT_NEAR(o.vertices[k].position.y, y, eps) << "vertex " << k;
    EXPECT_NEAR(o.vertices[k].position.z, z, eps) << "vertex " << k;
}

static void expect_face(const Object& o, int k, int a, int b, int c) {
    EXPECT_EQ(o.faces[k].va, a) << "face " << k;
    EXPECT_EQ(o.faces[k].vb, b) << "face " << k;
    EXPECT_EQ(o.faces[k].vc, c) << "face " << k;
}

TEST(Mesh, TwoByTwoPlaneWrapsItsFaces) {
    Object o;
    o.buildPlane(1, 2, 2, Vector(0, 0, 0));
    ASSERT_EQ(o.vertexCount, 4);
    ASSERT_EQ(o.faceCount, 8);
    expect_position(o, 0, -0.5f, 0, -0.5f);
    expect_position(o, 1, 0, 0, -0.5f);
    expect_position(o, 2, -0.5f, 0, 0);
    expect_position(o, 3, 0, 0, 0);
    const int want[8][3] = {{0, 1, 3}, {0, 3, 2}, {1, 0, 2}, {1, 2, 3},
                            {2, 3, 1}, {2, 1, 0}, {3, 2, 0}, {3, 0, 1}};
    for (int k = 0; k < 8; k++)
        expect_face(o, k, want[k][0], want[k][1], want[k][2]);
    for (int k = 0; k < 4; k++)
        EXPECT_TRUE(o.vertices[k].normal == Vector(0, 0, 0));
    for (int k = 0; k < 8; k++)
        EXPECT_TRUE(o.faces[k].normal == Vector(0, 0, 0));
}

TEST(Mesh, OneByOnePlaneIsOnePointAndTwoDegenerateFaces) {
    Object o;
    o.buildPlane(4, 1, 1, Vector(0, 0, 0));
    ASSERT_EQ(o.vertexCount, 1);
    ASSERT_EQ(o.faceCount, 2);
    expect_position(o, 0, -2, 0, -2);
    expect_face(o, 0, 0, 0, 0);
    expect_face(o, 1, 0, 0, 0);
    o.calculateNormals();
    EXPECT_TRUE(o.faces[0].normal == Vector(0, 0, 0));
    EXPECT_TRUE(o.vertices[0].normal == Vector(0, 0, 0));
}

TEST(Mesh, TheButterflyGrid) {
    Object* o = new Object();
    o->buildPlane(70, 50, 50, Vector(0, 0, 0));
    ASSERT_EQ(o->vertexCount, 2500);
    ASSERT_EQ(o->faceCount, 5000);
    expect_position(*o, 0, -35, 0, -35);
    expect_position(*o, 1, -33.6f, 0, -35, 1e-5f);
    expect_position(*o, 50, -35, 0, -33.6f, 1e-5f);
    expect_position(*o, 2499, 33.6f, 0, 33.6f, 1e-5f);
    // Grid point k = 51 (i = 1, j = 1): faces 102 and 103.
    expect_face(*o, 102, 51, 52, 102);
    expect_face(*o, 103, 51, 102, 101);
    // The last point wraps to the first row and column.
    expect_face(*o, 4998, 2499, 2450, 0);
    expect_face(*o, 4999, 2499, 0, 49);
    for (int k = 0; k < o->faceCount; k++) {
        ASSERT_GE(o->faces[k].va, 0);
        ASSERT_LT(o->faces[k].vc, o->vertexCount);
    }
    delete o;
}

TEST(Mesh, QuarterTurnAboutXStandsThePlaneUp) {
    Object o;
    o.buildPlane(2, 4, 4, Vector(1.570796f, 0, 0));
    ASSERT_EQ(o.vertexCount, 16);
    for (int k = 0; k < 16; k++)
        EXPECT_NEAR(o.vertices[k].position.z, 0, 1e-5f) << "vertex " << k;
    // Grid z becomes world y.
    expect_position(o, 0, -1, -1, 0, 1e-5f);
    expect_position(o, 4 * 3 + 2, 0, 0.5f, 0, 1e-5f);
}

TEST(Mesh, NormalsOfAFlatPlane) {
    Object o;
    o.buildPlane(1, 3, 3, Vector(0, 0, 0));
    o.calculateNormals();
    // (B - A) x (D - A) for a cell on the +x, +z side points down.
    EXPECT_NEAR(o.faces[0].normal.y, -1, 1e-6f);
    EXPECT_NEAR(o.faces[1].normal.y, -1, 1e-6f);
    for (int k = 0; k < o.vertexCount; k++) {
        float len = o.vertices[k].normal.length();
        EXPECT_TRUE(len == 0 || std::fabs(len - 1) < 1e-5f) << "vertex " << k;
        EXPECT_NEAR(o.vertices[k].normal.x, 0, 1e-6f);
        EXPECT_NEAR(o.vertices[k].normal.z, 0, 1e-6f);
    }
}

TEST(Mesh, SphereSharesTheLayoutOnTheRadius) {
    Object o;
    o.buildSphere(2, 8, 6, Vector(0, 0, 0));
    ASSERT_EQ(o.vertexCount, 48);
    ASSERT_EQ(o.faceCount, 96);
    expect_position(o, 0, 0, 0, 2);
    for (int k = 0; k < o.vertexCount; k++)
        EXPECT_NEAR(o.vertices[k].position.length(), 2, 1e-5f);
    expect_face(o, 2 * 9, 9, 10, 18);
}

TEST(Mesh, DestroyAndRebuild) {
    Object o;
    o.destroy();
    EXPECT_EQ(o.vertexCount, 0);
    EXPECT_EQ(o.vertices, nullptr);
    o.buildPlane(1, 3, 2, Vector(0, 0, 0));
    EXPECT_EQ(o.vertexCount, 6);
    EXPECT_EQ(o.faceCount, 12);
    // Building again replaces the arrays instead of leaking them.
    o.buildPlane(1, 2, 2, Vector(0, 0, 0));
    EXPECT_EQ(o.vertexCount, 4);
    expect_face(o, 7, 3, 0, 1);
    o.destroy();
    EXPECT_EQ(o.vertexCount, 0);
    EXPECT_EQ(o.faceCount, 0);
    EXPECT_EQ(o.vertices, nullptr);
    EXPECT_EQ(o.faces, nullptr);
    // A resolution below 1 leaves the object empty rather than dividing by zero.
    o.buildPlane(1, 0, 5, Vector(0, 0, 0));
    EXPECT_EQ(o.vertexCount, 0);
    EXPECT_EQ(o.faces, nullptr);
}

TEST(Mesh, EmptyCopyTakesOnlyTheSizes) {
    Object src, dst;
    src.buildPlane(1, 3, 3, Vector(0, 0, 0));
    dst.emptyCopy(&src);
    ASSERT_EQ(dst.vertexCount, 9);
    ASSERT_EQ(dst.faceCount, 18);
    EXPECT_NE(dst.vertices, src.vertices);
    for (int k = 0; k < 9; k++)
        EXPECT_TRUE(dst.vertices[k].position == Vector(0, 0, 0));
    for (int k = 0; k < 18; k++)
        expect_face(dst, k, 0, 0, 0);
}
