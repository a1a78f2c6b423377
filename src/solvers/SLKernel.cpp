// The row operation of the eliminations in doubles.
#include "solvers/SLInternal.h"

#include <cstring>

namespace zem::sl {

#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
__attribute__((target_clones("avx2", "default")))
#endif
void SubtractScaledDouble(double* dst, const double* src, double t, std::size_t len) {
    typedef double V4 __attribute__((vector_size(32)));
    const V4 tv = {t, t, t, t};
    std::size_t j = 0;
    for (; j + 4 <= len; j += 4) {
        V4 d, s;
        std::memcpy(&d, dst + j, sizeof d);  // rows need not be 32-byte aligned
        std::memcpy(&s, src + j, sizeof s);
        d -= tv * s;  // no fused multiply-add: every processor gives the same rounding
        std::memcpy(dst + j, &d, sizeof d);
    }
    for (; j < len; ++j) dst[j] -= t * src[j];
}

}  // namespace zem::sl
