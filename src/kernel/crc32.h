// CRC-32 (IEEE 802.3, the zlib polynomial), used by the kernel's file formats.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tolvi::kernel {

// `crc` continues an earlier value; start with 0.
uint32_t Crc32(const void* data, size_t n, uint32_t crc = 0);

// Whether a stored checksum matches the bytes. A fuzzing build reads past the checksums so the
// fuzzer reaches the parsers behind them; every other build refuses a mismatch.
inline bool ChecksumMatches(uint32_t stored, const void* data, size_t n) {
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    (void)stored, (void)data, (void)n;
    return true;
#else
    return stored == Crc32(data, n);
#endif
}
// The same, for a checksum taken as the bytes went past.
inline bool ChecksumMatches(uint32_t stored, uint32_t computed) {
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    (void)stored, (void)computed;
    return true;
#else
    return stored == computed;
#endif
}

}  // namespace tolvi::kernel
