#include "kernel/crc32.h"

#include <array>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define TOLVI_CRC32_CLMUL 1
#include <immintrin.h>
#endif

namespace tolvi::kernel {

namespace {

// Eight tables, so the portable loop takes eight bytes per step.
using Tables = std::array<std::array<uint32_t, 256>, 8>;

constexpr Tables MakeTables() {
    Tables t{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[0][i] = c;
    }
    for (uint32_t i = 0; i < 256; ++i)
        for (size_t s = 1; s < 8; ++s) t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
    return t;
}

constexpr Tables kTables = MakeTables();

// `c` is the running register (already inverted).
uint32_t TableCrc(const uint8_t* p, size_t n, uint32_t c) {
    while (n >= 8) {
        uint32_t lo, hi;
        std::memcpy(&lo, p, 4);
        std::memcpy(&hi, p + 4, 4);
        lo ^= c;
        c = kTables[7][lo & 0xFF] ^ kTables[6][(lo >> 8) & 0xFF] ^ kTables[5][(lo >> 16) & 0xFF] ^
            kTables[4][lo >> 24] ^ kTables[3][hi & 0xFF] ^ kTables[2][(hi >> 8) & 0xFF] ^
            kTables[1][(hi >> 16) & 0xFF] ^ kTables[0][hi >> 24];
        p += 8;
        n -= 8;
    }
    while (n--) c = kTables[0][(c ^ *p++) & 0xFF] ^ (c >> 8);
    return c;
}

#ifdef TOLVI_CRC32_CLMUL

[[gnu::target("pclmul,sse4.1")]] inline __m128i Load(const uint8_t* q) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
}

// x * k (both halves) + next.
[[gnu::target("pclmul,sse4.1")]] inline __m128i Fold(__m128i x, __m128i k, __m128i next) {
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11)),
                         next);
}

// Carry-less multiplication folding of the same (bit-reflected) polynomial, four 16-byte lanes
// at a time, then a Barrett reduction: several times the speed of the tables, and the large
// saves and loads spend a good part of their time checksumming. `n` is a multiple of 16, at
// least 64; `c` is the running register (already inverted).
[[gnu::target("pclmul,sse4.1")]] uint32_t ClmulCrc(const uint8_t* p, size_t n, uint32_t c) {
    // x^(k) mod P constants for the fold distances 512+64/512, 128+64/128, 64, and P / mu.
    const __m128i k1k2 = _mm_set_epi64x(0x01c6e41596, 0x0154442bd4);
    const __m128i k3k4 = _mm_set_epi64x(0x00ccaa009e, 0x01751997d0);
    const __m128i k5 = _mm_set_epi64x(0, 0x0163cd6124);
    const __m128i poly = _mm_set_epi64x(0x01f7011641, 0x01db710641);
    __m128i x1 = _mm_xor_si128(Load(p), _mm_cvtsi32_si128(int(c)));
    __m128i x2 = Load(p + 16), x3 = Load(p + 32), x4 = Load(p + 48);
    p += 64;
    n -= 64;
    while (n >= 64) {
        x1 = Fold(x1, k1k2, Load(p));
        x2 = Fold(x2, k1k2, Load(p + 16));
        x3 = Fold(x3, k1k2, Load(p + 32));
        x4 = Fold(x4, k1k2, Load(p + 48));
        p += 64;
        n -= 64;
    }
    x1 = Fold(x1, k3k4, x2);
    x1 = Fold(x1, k3k4, x3);
    x1 = Fold(x1, k3k4, x4);
    while (n >= 16) {
        x1 = Fold(x1, k3k4, Load(p));
        p += 16;
        n -= 16;
    }

    // 128 -> 64 bits.
    const __m128i low32 = _mm_setr_epi32(~0, 0, ~0, 0);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), _mm_clmulepi64_si128(x1, k3k4, 0x10));
    x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, low32), k5, 0x00), _mm_srli_si128(x1, 4));
    // Barrett reduction to 32 bits.
    __m128i t = _mm_clmulepi64_si128(_mm_and_si128(x1, low32), poly, 0x10);
    t = _mm_clmulepi64_si128(_mm_and_si128(t, low32), poly, 0x00);
    return uint32_t(_mm_extract_epi32(_mm_xor_si128(x1, t), 1));
}

bool HaveClmul() {
    static const bool have = [] {
        __builtin_cpu_init();  // may run before the feature probe's own constructor
        return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    }();
    return have;
}

#endif

}  // namespace

uint32_t Crc32(const void* data, size_t n, uint32_t crc) {
    const auto* p = static_cast<const uint8_t*>(data);
    uint32_t c = ~crc;
#ifdef TOLVI_CRC32_CLMUL
    if (n >= 64 && HaveClmul()) {
        const size_t bulk = n & ~size_t(15);
        c = ClmulCrc(p, bulk, c);
        p += bulk;
        n -= bulk;
    }
#endif
    return ~TableCrc(p, n, c);
}

}  // namespace tolvi::kernel
