// CRC-32 (IEEE 802.3, the zlib polynomial), used by the kernel's file formats.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tolvi::kernel {

// `crc` continues an earlier value; start with 0.
uint32_t Crc32(const void* data, size_t n, uint32_t crc = 0);

}  // namespace tolvi::kernel
