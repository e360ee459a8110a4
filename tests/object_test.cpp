// The grid mesh: vertex placement, the wrapping face layout, rotation, normals and release.
#include "engine/object.h"

#include <cmath>
#include <gtest/gtest.h>
#include <tuple>

static void expect_position(const Object& o, int k, float x, float y, float z) {
    EXPECT_NEAR(o.vertices[k].position.x, x, 1e-5f) << "vertex " << k;
    EXPECT_NEAR(o.vertices[k].position.y, y, 1e-5f) << "vertex " << k;
    EXPECT_NEAR(o.vertices[k].position.z, z, 1e-5f) << "vertex " << k;
}

static void expect_face(const Object& o, int k, int a, int b, int c) {
    EXPECT_EQ(std::make_tuple(o.faces[k].va, o.faces[k].vb, o.faces[k].vc),
              std::make_tuple(a, b, c))
        << "face " << k;
}

// The butterflies' grid: from the -0.5 edge to one cell short of the +0.5 edge; grid point
// k = 51 (i = 1, j = 1) owns faces 102 and 103, and the last point's faces wrap to the first
// row and column.
TEST(Mesh, PlaneGridAndItsWrappingFaces) {
    Object o;
    o.buildPlane(70, 50, 50, Vector(0, 0, 0));
    ASSERT_EQ(o.vertexCount, 2500);
    ASSERT_EQ(o.faceCount, 5000);
    expect_position(o, 0, -35, 0, -35);
    expect_position(o, 1, -33.6f, 0, -35);
    expect_position(o, 50, -35, 0, -33.6f);
    expect_position(o, 2499, 33.6f, 0, 33.6f);
    expect_face(o, 102, 51, 52, 102);
    expect_face(o, 103, 51, 102, 101);
    expect_face(o, 4998, 2499, 2450, 0);
    expect_face(o, 4999, 2499, 0, 49);
    EXPECT_TRUE(o.vertices[7].normal == Vector(0, 0, 0));
    // One point: two degenerate faces, whose normals stay zero.
    o.buildPlane(4, 1, 1, Vector(0, 0, 0));
    ASSERT_EQ(o.faceCount, 2);
    expect_face(o, 1, 0, 0, 0);
    o.calculateNormals();
    EXPECT_TRUE(o.faces[0].normal == Vector(0, 0, 0));
    EXPECT_TRUE(o.vertices[0].normal == Vector(0, 0, 0));
}

TEST(Mesh, QuarterTurnAboutXStandsThePlaneUp) {
    Object o;
    o.buildPlane(2, 4, 4, Vector(1.570796f, 0, 0));
    for (int k = 0; k < 16; k++)
        EXPECT_NEAR(o.vertices[k].position.z, 0, 1e-5f) << "vertex " << k;
    expect_position(o, 0, -1, -1, 0); // grid z becomes world y
    expect_position(o, 4 * 3 + 2, 0, 0.5f, 0);
}

TEST(Mesh, NormalsOfAFlatPlaneAreVerticalUnits) {
    Object o;
    o.buildPlane(1, 3, 3, Vector(0, 0, 0));
    o.calculateNormals();
    // (B - A) x (D - A) for a cell on the +x, +z side.
    EXPECT_NEAR(o.faces[0].normal.y, -1, 1e-6f);
    EXPECT_NEAR(o.faces[1].normal.y, -1, 1e-6f);
    for (int k = 0; k < o.vertexCount; k++) {
        float len = o.vertices[k].normal.length();
        EXPECT_TRUE(len == 0 || std::fabs(std::fabs(o.vertices[k].normal.y) - 1) < 1e-5f)
            << "vertex " << k;
    }
}

TEST(Mesh, SphereSharesTheLayoutOnTheRadius) {
    Object o;
    o.buildSphere(2, 8, 6, Vector(0, 0, 0));
    ASSERT_EQ(o.vertexCount, 48);
    expect_position(o, 0, 0, 0, 2);
    for (int k = 0; k < o.vertexCount; k++)
        EXPECT_NEAR(o.vertices[k].position.length(), 2, 1e-5f);
    expect_face(o, 2 * 9, 9, 10, 18);
}

TEST(Mesh, RebuildDestroyAndEmptyCopy) {
    Object o, copy;
    o.buildPlane(1, 3, 2, Vector(0, 0, 0));
    o.buildPlane(1, 3, 3, Vector(0, 0, 0)); // replaces the arrays (a leak shows under ASan)
    copy.emptyCopy(&o);
    ASSERT_EQ(copy.faceCount, 18);
    EXPECT_NE(copy.vertices, o.vertices);
    EXPECT_TRUE(copy.vertices[8].position == Vector(0, 0, 0));
    expect_face(copy, 17, 0, 0, 0);
    o.destroy();
    EXPECT_EQ(o.vertexCount + o.faceCount, 0);
    EXPECT_EQ(o.vertices, nullptr);
    EXPECT_EQ(o.faces, nullptr);
    o.buildPlane(1, 0, 5, Vector(0, 0, 0)); // a resolution below 1: empty, no division by zero
    EXPECT_EQ(o.vertexCount, 0);
    EXPECT_EQ(o.faces, nullptr);
}
