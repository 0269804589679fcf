// Table-driven CRCs by slicing-by-16: sixteen tables let the loop fold
// sixteen input bytes per step with independent look-ups. CRC-32 over 64
// bytes or more folds with carry-less multiplication where the processor
// has it, which is what keeps extraction at zlib's speed.
#include "archive/crc.h"

#include <array>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace ov {

namespace {

// Table k advances a byte that sits k positions before the end of a group;
// a loop over groups of `Slices` bytes does independent look-ups for each.
template <std::size_t Slices> using CrcTables = std::array<std::array<uint32_t, 256>, Slices>;

template <std::size_t Slices> constexpr CrcTables<Slices> makeTables(uint32_t polynomial)
{
    CrcTables<Slices> tables {};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t crc = i;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ polynomial : crc >> 1;
        tables[0][i] = crc;
    }
    for (uint32_t i = 0; i < 256; ++i)
        for (std::size_t k = 1; k < Slices; ++k)
            tables[k][i] = (tables[k - 1][i] >> 8) ^ tables[0][tables[k - 1][i] & 0xFF];
    return tables;
}

// Both CRCs are reflected, so CRC-16 runs the same loop on its 16-bit
// register held in 32 bits.
constexpr CrcTables<16> crc32Tables = makeTables<16>(0xEDB88320u);
constexpr CrcTables<16> crc16Tables = makeTables<16>(0xA001u);

inline uint32_t loadLittle32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline uint32_t fold4(const CrcTables<16>& t, std::size_t top, uint32_t word)
{
    return t[top][word & 0xFF] ^ t[top - 1][(word >> 8) & 0xFF] ^ t[top - 2][(word >> 16) & 0xFF]
        ^ t[top - 3][word >> 24];
}

uint32_t sliced(const CrcTables<16>& t, uint32_t crc, const uint8_t* p, std::size_t length)
{
    while (length >= 16) {
        crc = fold4(t, 15, loadLittle32(p) ^ crc) ^ fold4(t, 11, loadLittle32(p + 4))
            ^ fold4(t, 7, loadLittle32(p + 8)) ^ fold4(t, 3, loadLittle32(p + 12));
        p += 16;
        length -= 16;
    }
    while (length--)
        crc = (crc >> 8) ^ t[0][(crc ^ *p++) & 0xFF];
    return crc;
}

#if defined(__x86_64__)
// CRC-32 by carry-less multiplication, on processors that have it. The
// message polynomial is folded forward: a 128-bit block A followed by s more
// bits is replaced by A * x^s mod P, split into its two 64-bit halves, each
// multiplied by a 32-bit constant and XORed onto the block s bits later.
// Four blocks are folded 512 bits at a time, then into one, then 128 bits
// at a time; the last block and the tail go through the tables, which also
// do the final reduction. Registers hold the blocks as loaded (bit i of the
// 128-bit value is the coefficient of x^(127 - i)); a constant for a shift
// of s bits is x^(s + 63) mod P for the first half and x^(s - 1) mod P for
// the second, with the coefficient of x^d at bit 63 - d (the -1 absorbs the
// one-bit offset of a product of two reflected operands).
__attribute__((target("pclmul,sse2"))) inline __m128i foldBlock(__m128i x, __m128i constants)
{
    return _mm_xor_si128(_mm_clmulepi64_si128(x, constants, 0x00), _mm_clmulepi64_si128(x, constants, 0x11));
}

__attribute__((target("pclmul,sse2"))) uint32_t crc32Folded(
    uint32_t crc, const uint8_t* p, std::size_t length)
{
    const auto load = [](const uint8_t* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); };
    const __m128i by512 = _mm_set_epi64x(
        static_cast<long long>(0xCAD38E8F00000000ull), static_cast<long long>(0x653D982200000000ull));
    const __m128i by128 = _mm_set_epi64x(
        static_cast<long long>(0x9BA54C6F00000000ull), static_cast<long long>(0x65673B4600000000ull));
    __m128i x0 = _mm_xor_si128(load(p), _mm_cvtsi32_si128(static_cast<int>(crc)));
    __m128i x1 = load(p + 16);
    __m128i x2 = load(p + 32);
    __m128i x3 = load(p + 48);
    p += 64;
    length -= 64;
    while (length >= 64) {
        x0 = _mm_xor_si128(foldBlock(x0, by512), load(p));
        x1 = _mm_xor_si128(foldBlock(x1, by512), load(p + 16));
        x2 = _mm_xor_si128(foldBlock(x2, by512), load(p + 32));
        x3 = _mm_xor_si128(foldBlock(x3, by512), load(p + 48));
        p += 64;
        length -= 64;
    }
    x1 = _mm_xor_si128(x1, foldBlock(x0, by128));
    x2 = _mm_xor_si128(x2, foldBlock(x1, by128));
    x3 = _mm_xor_si128(x3, foldBlock(x2, by128));
    while (length >= 16) {
        x3 = _mm_xor_si128(foldBlock(x3, by128), load(p));
        p += 16;
        length -= 16;
    }
    alignas(16) uint8_t last[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(last), x3);
    return sliced(crc32Tables, sliced(crc32Tables, 0, last, 16), p, length);
}

const bool haveCarryless = __builtin_cpu_supports("pclmul");
#endif

} // namespace

uint32_t crc32Update(uint32_t crc, const void* data, std::size_t length)
{
    const auto* p = static_cast<const uint8_t*>(data);
#if defined(__x86_64__)
    if (length >= 64 && haveCarryless)
        return crc32Folded(crc, p, length);
#endif
    return sliced(crc32Tables, crc, p, length);
}

uint16_t crc16Update(uint16_t crc, const void* data, std::size_t length)
{
    return static_cast<uint16_t>(sliced(crc16Tables, crc, static_cast<const uint8_t*>(data), length));
}

} // namespace ov
