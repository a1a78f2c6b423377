// Counts the heap in use through the global allocation operators, so a
// benchmark can report its peak, and reads the peak resident size of the
// process. Include in exactly one file of a program.
#pragma once

#include <atomic>
#include <cstdlib>
#include <malloc.h>
#include <new>
#include <sys/resource.h>

namespace {
std::atomic<long long> gHeapNow{0}, gHeapPeak{0};

void* CountedAlloc(std::size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    const long long now = gHeapNow += static_cast<long long>(malloc_usable_size(p));
    long long peak = gHeapPeak.load();
    while (now > peak && !gHeapPeak.compare_exchange_weak(peak, now)) {
    }
    return p;
}

void CountedFree(void* p) noexcept {
    if (!p) return;
    gHeapNow -= static_cast<long long>(malloc_usable_size(p));
    std::free(p);
}

// The peak resident size of the process so far, in MB.
double MaxRssMB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024.0;
}
}  // namespace

void* operator new(std::size_t size) { return CountedAlloc(size); }
void* operator new[](std::size_t size) { return CountedAlloc(size); }
void operator delete(void* p) noexcept { CountedFree(p); }
void operator delete[](void* p) noexcept { CountedFree(p); }
void operator delete(void* p, std::size_t) noexcept { CountedFree(p); }
void operator delete[](void* p, std::size_t) noexcept { CountedFree(p); }
