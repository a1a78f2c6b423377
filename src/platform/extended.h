// 80-bit extended reals and their 10-byte records in binary files.
#pragma once

#include <cstdint>
#include <istream>
#include <limits>
#include <ostream>

namespace zem {

using Extended = long double;

static_assert(std::numeric_limits<Extended>::digits == 64 &&
                  std::numeric_limits<Extended>::max_exponent == 16384,
              "long double must be the x87 80-bit extended format");

constexpr std::size_t kExtendedSize = 10;

// Copies the 10 significant bytes of X (little-endian: 8 bytes of mantissa,
// then sign and exponent) to Out.
void PackExtended(Extended x, unsigned char out[kExtendedSize]);
Extended UnpackExtended(const unsigned char in[kExtendedSize]);

// Record I/O; a failed or short read or write sets the stream's fail state.
void WriteExtended(std::ostream& out, Extended x);
bool ReadExtended(std::istream& in, Extended& x);

}  // namespace zem
