// Vector, Matrix and the shared generator against the values they are specified by.
#include "engine/matrix.h"
#include "engine/random.h"
#include "engine/vector.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

static void expect_near(Vector v, float x, float y, float z, float eps = 1e-6f) {
    EXPECT_NEAR(v.x, x, eps);
    EXPECT_NEAR(v.y, y, eps);
    EXPECT_NEAR(v.z, z, eps);
}

TEST(Vector, LengthAndNormalize) {
    Vector v(3, 0, 4);
    EXPECT_EQ(v.length(), 5.0f);
    Vector r = v.normalize();
    expect_near(v, 0.6f, 0, 0.8f);
    EXPECT_TRUE(r == v);

    Vector zero;
    Vector rz = zero.normalize();
    EXPECT_TRUE(rz == Vector(0, 0, 0));
    EXPECT_TRUE(zero == Vector(0, 0, 0));

    // A tiny vector is still divided, not treated as zero.
    Vector tiny(1e-10f, 0, 0);
    tiny.normalize();
    EXPECT_NEAR(tiny.x, 1.0f, 1e-6f);
}

TEST(Vector, DivisionByZeroOrNegativeGivesZero) {
    Vector v(2, -4, 6);
    EXPECT_TRUE(v / 0 == Vector(0, 0, 0));
    EXPECT_TRUE(v / -2 == Vector(0, 0, 0));
    EXPECT_TRUE(v / 2 == Vector(1, -2, 3));
}

TEST(Vector, CrossProductKeepsOperandOrder) {
    EXPECT_TRUE(Vector(1, 0, 0).crossProduct(Vector(0, 1, 0)) == Vector(0, 0, 1));
    EXPECT_TRUE(Vector(0, 0, 1).crossProduct(Vector(1, 0, 0)) == Vector(0, 1, 0));
    EXPECT_TRUE(Vector(0, 1, 0).crossProduct(Vector(1, 0, 0)) == Vector(0, 0, -1));
    EXPECT_EQ(Vector(1, 2, 3).dotProduct(Vector(4, -5, 6)), 12.0f);
}

TEST(Vector, EqualityIsExact) {
    float a = 0.1f, b;
    unsigned int bits;
    memcpy(&bits, &a, 4);
    bits ^= 1;
    memcpy(&b, &bits, 4);
    EXPECT_FALSE(Vector(a, 0, 0) == Vector(b, 0, 0));
    EXPECT_TRUE(Vector(a, 0, 0) == Vector(a, 0, 0));
}

TEST(Vector, CompoundOperatorsUpdateInPlace) {
    Vector v(1, 2, 3);
    v += Vector(1, 1, 1);
    v -= Vector(0, 1, 0);
    v *= 2;
    EXPECT_TRUE(v == Vector(4, 4, 8));
}

TEST(Matrix, RotationAndScale) {
    Matrix m;
    EXPECT_TRUE(m.makeRotation(0, 0, 0) == Matrix().makeIdentity());
    expect_near(Vector(0, 1, 0) * Matrix().makeRotation((float)M_PI / 2, 0, 0), 0, 0, -1);
    EXPECT_TRUE(Vector(1, 1, 1) * Matrix().makeScale(2, 3, 4) == Vector(2, 3, 4));
}

TEST(Matrix, ProductKeepsLeftOperandOnTheLeft) {
    Matrix a(1, 2, 0, 0, 1, 0, 0, 0, 1), b(1, 0, 0, 3, 1, 0, 0, 0, 1);
    Matrix ab = a * b;
    Matrix c = a;
    c *= b;
    EXPECT_TRUE(c == ab);
    // Row 0 of A times column 0 of B: 1*1 + 2*3.
    EXPECT_EQ(ab.m[0], 7.0f);
    EXPECT_FALSE(ab == b * a);
}

TEST(Matrix, TransposeSwapsRowsAndColumns) {
    Matrix a(1, 2, 3, 4, 5, 6, 7, 8, 9);
    Matrix t = a.makeTranspose();
    EXPECT_TRUE(t == Matrix(1, 4, 7, 2, 5, 8, 3, 6, 9));
}

TEST(Random, SeedOneSequence) {
    setSeed(1);
    const float values[] = {0.36988306f, 0.12437994f, 0.82412142f, 0.68936163f};
    const unsigned int states[] = {1588635695u, 534207764u, 3539574622u, 2960785581u};
    for (int i = 0; i < 4; i++) {
        EXPECT_NEAR(randFloat(), values[i], 1e-7f) << "value " << i;
        EXPECT_EQ(SEED, states[i]) << "state " << i;
    }
}

TEST(Random, InitialStateAndOtherSeeds) {
    unsigned int saved = SEED;
    SEED = 93186752u;
    EXPECT_NEAR(randFloat(), 0.09763933f, 1e-7f);
    EXPECT_EQ(SEED, 419357728u);
    setSeed(1234);
    EXPECT_NEAR(randFloat(), 0.43571082f, 1e-7f);
    EXPECT_NEAR(randFloat(), 0.57412070f, 1e-7f);
    setSeed(0);
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(randFloat(), 0.0f);
    SEED = saved;
}

// The batch gives each matrix bit for bit as makeRotation does, across a pass boundary.
TEST(Matrix, RotationsInBulkMatchOneAtATime) {
    const int n = 150;
    Vector angles[n];
    Matrix bulk[n];
    for (int i = 0; i < n; i++)
        angles[i] = Vector(0.37f * i - 20, 5 - 0.11f * i, i * 17.3f);
    makeRotations(angles, bulk, n);
    for (int i = 0; i < n; i++) {
        Matrix one;
        one.makeRotation(angles[i].x, angles[i].y, angles[i].z);
        EXPECT_EQ(memcmp(one.m, bulk[i].m, sizeof one.m), 0) << i;
    }
}

// The turned x axes are the matrices' first columns, bit for bit, and scaled by h they give the
// ends of a stick along x exactly as the full product does wherever no coordinate is zero.
TEST(Matrix, TurnedXAxesAreTheFirstColumns) {
    const int n = 150;
    Vector angles[n], axes[n];
    for (int i = 0; i < n; i++)
        angles[i] = Vector(0.37f * i - 20, 5 - 0.11f * i, i * 17.3f);
    angles[7] = Vector(0, 0, 0); // the identity: two zeros in the column
    for (int i = 0; i < n; i++) {
        const Vector& a = angles[i];
        float sa = (float)sin((double)a.x), ca = (float)cos((double)a.x);
        float sb = (float)sin((double)a.y), cb = (float)cos((double)a.y);
        float sc = (float)sin((double)a.z), cc = (float)cos((double)a.z);
        axes[i] = xAxisFrom(sa, ca, sb, cb, sc, cc);
    }
    int checked = 0;
    for (int i = 0; i < n; i++) {
        Matrix one;
        one.makeRotation(angles[i].x, angles[i].y, angles[i].z);
        const Vector column(one.m[0], one.m[3], one.m[6]);
        EXPECT_EQ(memcmp(&column, &axes[i], sizeof column), 0) << i;
        for (float h : {0.013f, -2.5f}) {
            Vector quick = axes[i] * h, full = Vector(h, 0, 0) * one;
            if (quick.x == 0 || quick.y == 0 || quick.z == 0)
                continue;
            EXPECT_EQ(memcmp(&quick, &full, sizeof quick), 0) << i << " " << h;
            checked++;
        }
    }
    EXPECT_GT(checked, 2 * n - 10);
    EXPECT_EQ(axes[7].y, 0.0f);
}

TEST(Random, RandIntSharesTheState) {
    setSeed(7);
    int a = randInt();
    EXPECT_EQ((unsigned int)a, SEED);
    setSeed(7);
    EXPECT_EQ(randInt(), a);
}

TEST(Random, SphereAndPolarCoordinates) {
    for (float b : {0.0f, 1.0f, 2.5f})
        expect_near(sphereCoord(1, 0, b), 0, 0, 1);
    expect_near(sphereCoord(2, (float)M_PI / 2, 0), 2, 0, 0, 1e-5f);
    EXPECT_TRUE(polarCoord(1, 0) == Vector(1, 0, 0));
    // Random points on a sphere of radius 3 have that length.
    setSeed(5);
    for (int i = 0; i < 20; i++)
        EXPECT_NEAR(randomSphereVector(3).length(), 3.0f, 1e-4f);
}
