#include "platform/extended.h"

#include <cstring>

namespace zem {

void PackExtended(Extended x, unsigned char out[kExtendedSize]) {
    unsigned char raw[sizeof(Extended)] = {};
    std::memcpy(raw, &x, sizeof(Extended));
    std::memcpy(out, raw, kExtendedSize);
}

Extended UnpackExtended(const unsigned char in[kExtendedSize]) {
    unsigned char raw[sizeof(Extended)] = {};
    std::memcpy(raw, in, kExtendedSize);
    Extended x;
    std::memcpy(&x, raw, sizeof(Extended));
    return x;
}

void WriteExtended(std::ostream& out, Extended x) {
    unsigned char rec[kExtendedSize];
    PackExtended(x, rec);
    out.write(reinterpret_cast<const char*>(rec), kExtendedSize);
}

bool ReadExtended(std::istream& in, Extended& x) {
    unsigned char rec[kExtendedSize];
    if (!in.read(reinterpret_cast<char*>(rec), kExtendedSize)) return false;
    x = UnpackExtended(rec);
    return true;
}

}  // namespace zem
