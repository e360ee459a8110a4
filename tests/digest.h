// A 64-bit digest of recorded GL batches, for tests that compare what frames draw: equal
// digests mean the same primitives, vertices, colours, texture coordinates, draw state and
// matrices, bit for bit.
#ifndef ORDUNE_TESTS_DIGEST_H
#define ORDUNE_TESTS_DIGEST_H

#include "engine/glrecorder.h"

#include <cstdint>
#include <cstring>
#include <vector>

// 64-bit FNV-1a over the bytes fed to it.
struct Digest {
    uint64_t h = 1469598103934665603ull;
    void u32(uint32_t v) {
        const unsigned char* b = (const unsigned char*)&v;
        for (size_t i = 0; i < sizeof v; i++)
            h = (h ^ b[i]) * 1099511628211ull;
    }
    // Floats by their bits: the digest is to tell any change, -0 from 0 included.
    void floats(const float* f, size_t n) {
        for (size_t i = 0; i < n; i++) {
            uint32_t bits;
            memcpy(&bits, &f[i], sizeof bits);
            u32(bits);
        }
    }
};

// Field by field, so that padding in the structures never reaches the digest.
inline void digest_batch(Digest& d, const GlBatch& b) {
    d.u32(b.prim);
    d.u32((uint32_t)b.count());
    d.floats(b.v.data(), b.v.size());
    d.floats(b.c.data(), b.c.size());
    d.floats(b.t.data(), b.t.size());
    const GlDrawState& s = b.state;
    for (bool f : {s.blend, s.depth_test, s.depth_mask, s.texture, s.line_smooth, s.point_smooth})
        d.u32(f);
    for (uint32_t v : {s.blend_src, s.blend_dst, s.depth_func, s.bound_texture})
        d.u32(v);
    d.floats(&s.line_width, 1);
    d.floats(&s.point_size, 1);
    d.floats(b.mv.m, 16);
    d.floats(b.proj.m, 16);
}

inline uint64_t digest_batches(const std::vector<GlBatch>& batches) {
    Digest d;
    for (const GlBatch& b : batches)
        digest_batch(d, b);
    return d.h;
}

#endif
