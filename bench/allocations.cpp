// The counting hook behind allocations_count: every replaceable form of the global operator new
// counts one allocation and takes its memory from malloc, and every operator delete frees it.
#include "bench/allocations.h"

#include <atomic>
#include <cstdlib>
#include <new>

// Relaxed: only the total matters, and the threads of the sound library may allocate too.
static std::atomic<long> allocations{0};

long allocations_count() {
    return allocations.load(std::memory_order_relaxed);
}

static void* counted(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    // malloc(0) may return null; operator new must not.
    return std::malloc(size ? size : 1);
}

static void* counted_aligned(std::size_t size, std::align_val_t align) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    std::size_t a = (std::size_t)align;
    // aligned_alloc wants a size that is a multiple of the alignment.
    return std::aligned_alloc(a, (size + a - 1) / a * a + (size ? 0 : a));
}

void* operator new(std::size_t size) {
    void* p = counted(size);
    if (!p)
        throw std::bad_alloc();
    return p;
}

void* operator new[](std::size_t size) {
    return operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return counted(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return counted(size);
}

void* operator new(std::size_t size, std::align_val_t align) {
    void* p = counted_aligned(size, align);
    if (!p)
        throw std::bad_alloc();
    return p;
}

void* operator new[](std::size_t size, std::align_val_t align) {
    return operator new(size, align);
}

void* operator new(std::size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
    return counted_aligned(size, align);
}

void* operator new[](std::size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
    return counted_aligned(size, align);
}

void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    std::free(p);
}
