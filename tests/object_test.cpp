// The grid mesh as the butterflies' ground uses it: vertex placement, the wrapping face layout,
// rotation, and rebuilding.
#include "engine/object.h"

#include <gtest/gtest.h>
#include <tuple>

static void expect_position(const Object& o, int k, float x, float y, float z) {
    EXPECT_NEAR(o.vertices[k].position.x, x, 1e-5f) << "vertex " << k;
    EXPECT_NEAR(o.vertices[k].position.y, y, 1e-5f) << "vertex " << k;
    EXPECT_NEAR(o.vertices[k].position.z, z, 1e-5f) << "vertex " << k;
}

// From the -0.5 edge to one cell short of the +0.5 edge; grid point k = 51 (i = 1, j = 1) owns
// faces 102 and 103, and the last point's faces wrap to the first row and column.
TEST(Mesh, PlaneGridAndItsWrappingFaces) {
    Object o;
    o.buildPlane(1, 3, 2, Vector(0, 0, 0));
    o.buildPlane(70, 50, 50, Vector(0, 0, 0)); // replaces the arrays (a leak shows under ASan)
    ASSERT_EQ(o.vertexCount, 2500);
    ASSERT_EQ(o.faceCount, 5000);
    expect_position(o, 0, -35, 0, -35);
    expect_position(o, 1, -33.6f, 0, -35);
    expect_position(o, 50, -35, 0, -33.6f);
    expect_position(o, 2499, 33.6f, 0, 33.6f);
    const int faces[][4] = {
        {102, 51, 52, 102}, {103, 51, 102, 101}, {4998, 2499, 2450, 0}, {4999, 2499, 0, 49}};
    for (const auto& f : faces)
        EXPECT_EQ(std::make_tuple(o.faces[f[0]].va, o.faces[f[0]].vb, o.faces[f[0]].vc),
                  std::make_tuple(f[1], f[2], f[3]))
            << "face " << f[0];
    o.buildPlane(1, 0, 5, Vector(0, 0, 0)); // a resolution below 1: empty, no division by zero
    EXPECT_EQ(o.vertexCount + o.faceCount, 0);
    EXPECT_EQ(o.faces, nullptr);
}

TEST(Mesh, QuarterTurnAboutXStandsThePlaneUp) {
    Object o;
    o.buildPlane(2, 4, 4, Vector(1.570796f, 0, 0));
    for (int k = 0; k < 16; k++)
        EXPECT_NEAR(o.vertices[k].position.z, 0, 1e-5f) << "vertex " << k;
    expect_position(o, 0, -1, -1, 0); // grid z becomes world y
    expect_position(o, 4 * 3 + 2, 0, 0.5f, 0);
}
