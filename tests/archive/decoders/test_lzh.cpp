// The LZH family decoder (ARJ methods 1-3, LHA -lh4- to -lh7-) against real
// archives from many LHA tools and from arj, against the stored CRCs, and
// against a slow bit-at-a-time decoder kept here as the oracle.
#include "archive/decoders/lzh.h"

#include "tests/archive/decoders/lzh_test_support.h"
#include "tests/support/public_archives.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <random>

namespace ov::test {
namespace {

// The slow decoder: reads one bit at a time, walks canonical codes by
// length (no tables), decodes the whole member in one go. nullopt for any
// fault, short data included.
class SlowLzh {
public:
    SlowLzh(
        const Bytes& packed, unsigned positionSymbols, unsigned countBits, std::size_t history, bool spaces)
        : m_in(packed)
        , m_positionSymbols(positionSymbols)
        , m_countBits(countBits)
        , m_history(history)
        , m_spaces(spaces)
    {
    }

    std::optional<Bytes> decode(std::uint64_t size)
    {
        Bytes out;
        unsigned blockLeft = 0;
        while (out.size() < size) {
            if (blockLeft == 0) {
                blockLeft = bits(16);
                if (!blockLeft)
                    blockLeft = 0x10000;
                if (!shortLengths(m_lengthCode, 19, 5, 3) || !literalLengths()
                    || !shortLengths(m_positionCode, m_positionSymbols, m_countBits, 0))
                    return std::nullopt;
            }
            const int symbol = m_literalCode.decode(*this);
            if (symbol < 0)
                return std::nullopt;
            --blockLeft;
            if (symbol < 256) {
                out.push_back(static_cast<std::uint8_t>(symbol));
                continue;
            }
            int place = m_positionCode.decode(*this);
            if (place < 0)
                return std::nullopt;
            std::size_t distance = place;
            if (place > 1)
                distance = (std::size_t(1) << (place - 1)) + bits(place - 1);
            ++distance;
            const std::size_t length = symbol - 253;
            const std::size_t reach = out.size() + (m_spaces ? m_history : 0);
            if (distance > m_history || distance > reach || out.size() + length > size)
                return std::nullopt;
            for (std::size_t i = 0; i < length; ++i)
                out.push_back(distance > out.size() ? ' ' : out[out.size() - distance]);
        }
        if (m_short)
            return std::nullopt;
        return out;
    }

private:
    struct Code {
        std::vector<std::uint8_t> lengths;
        int single = -1;

        std::vector<int> byLength[17]; // symbols of each length, in order

        void sort()
        {
            for (std::size_t s = 0; s < lengths.size(); ++s)
                if (lengths[s] && lengths[s] <= 16)
                    byLength[lengths[s]].push_back(static_cast<int>(s));
        }
        // Canonical codes: each length's codes follow the shorter ones.
        int decode(SlowLzh& in) const
        {
            if (single >= 0)
                return single;
            int code = 0;
            int first = 0;
            for (int length = 1; length <= 16; ++length) {
                code = code << 1 | static_cast<int>(in.bits(1));
                const int count = static_cast<int>(byLength[length].size());
                if (code - first < count)
                    return byLength[length][code - first];
                first = (first + count) << 1;
            }
            return -1;
        }
        bool valid() const
        {
            std::uint64_t space = 0;
            for (auto length : lengths) {
                if (length > 16)
                    return false;
                if (length)
                    space += std::uint64_t(1) << (16 - length);
            }
            return space <= 0x10000;
        }
    };

    unsigned bits(unsigned count)
    {
        unsigned value = 0;
        for (unsigned i = 0; i < count; ++i, ++m_bit) {
            int bit = 0;
            if (m_bit / 8 < m_in.size())
                bit = m_in[m_bit / 8] >> (7 - m_bit % 8) & 1;
            else
                m_short = true;
            value = value << 1 | bit;
        }
        return value;
    }

    bool shortLengths(Code& code, unsigned symbols, unsigned countBits, unsigned skipAfter)
    {
        code = Code();
        const unsigned count = bits(countBits);
        if (count == 0) {
            code.single = static_cast<int>(bits(countBits));
            return code.single < static_cast<int>(symbols);
        }
        if (count > symbols)
            return false;
        code.lengths.assign(symbols, 0);
        for (unsigned i = 0; i < count;) {
            unsigned length = bits(3);
            if (length == 7)
                while (bits(1))
                    ++length;
            code.lengths[i++] = static_cast<std::uint8_t>(std::min(length, 99u));
            if (i == skipAfter) {
                i += bits(2);
                if (i > symbols)
                    return false;
            }
        }
        code.sort();
        return code.valid();
    }

    bool literalLengths()
    {
        m_literalCode = Code();
        const unsigned count = bits(9);
        if (count == 0) {
            m_literalCode.single = static_cast<int>(bits(9));
            return m_literalCode.single < 510;
        }
        if (count > 510)
            return false;
        m_literalCode.lengths.assign(510, 0);
        for (unsigned i = 0; i < count;) {
            const int c = m_lengthCode.decode(*this);
            if (c < 0)
                return false;
            if (c > 2) {
                m_literalCode.lengths[i++] = static_cast<std::uint8_t>(c - 2);
                continue;
            }
            i += c == 0 ? 1 : c == 1 ? bits(4) + 3 : bits(9) + 20;
            if (i > 510)
                return false;
        }
        m_literalCode.sort();
        return m_literalCode.valid();
    }

    const Bytes& m_in;
    std::size_t m_bit = 0;
    bool m_short = false;
    unsigned m_positionSymbols;
    unsigned m_countBits;
    std::size_t m_history;
    bool m_spaces;
    Code m_lengthCode, m_literalCode, m_positionCode;
};

struct MethodFacts {
    LzhMethod method;
    unsigned positionSymbols;
    unsigned countBits;
    std::size_t history;
    bool spaces;
};

const std::map<std::string, MethodFacts> Methods = {
    { "-lh4-", { LzhMethod::Lh4, 13, 4, 4096, true } },
    { "-lh5-", { LzhMethod::Lh5, 14, 4, 8192, true } },
    { "-lh6-", { LzhMethod::Lh6, 16, 5, 32768, true } },
    { "-lh7-", { LzhMethod::Lh7, 17, 5, 65536, true } },
    { "arj1", { LzhMethod::Arj1, 17, 5, 26624, false } },
    { "arj2", { LzhMethod::Arj2, 17, 5, 26624, false } },
    { "arj3", { LzhMethod::Arj3, 17, 5, 26624, false } },
};

std::optional<Bytes> slowDecode(const MethodFacts& facts, const Bytes& packed, std::uint64_t size)
{
    return SlowLzh(packed, facts.positionSymbols, facts.countBits, facts.history, facts.spaces).decode(size);
}

DecodeResult fastDecode(
    LzhMethod method, const Bytes& packed, std::uint64_t size, std::size_t inputStep, std::size_t outputStep)
{
    LzhState state;
    state.reset(method, size);
    return runDecoder(lzhDecode, state, packed, inputStep, outputStep);
}

// Whole, one byte in and out at a time, and in odd chunks: the same bytes.
void expectDecodes(const PackedMember& member, const std::string& what)
{
    const MethodFacts& facts = Methods.at(member.method);
    const DecodeResult whole = fastDecode(facts.method, member.packed, member.unpackedSize, 1 << 30, 1 << 20);
    ASSERT_TRUE(whole.status.isDone()) << what << " code " << whole.status.code();
    ASSERT_EQ(whole.output.size(), member.unpackedSize) << what;
    const std::uint32_t crc = member.method[0] == '-' ? crc16(whole.output) : crc32(whole.output);
    EXPECT_EQ(crc, member.crc) << what;
    EXPECT_EQ(slowDecode(facts, member.packed, member.unpackedSize), whole.output) << what;

    const DecodeResult bytewise = fastDecode(facts.method, member.packed, member.unpackedSize, 1, 1);
    ASSERT_TRUE(bytewise.status.isDone()) << what << " one byte at a time, code " << bytewise.status.code();
    EXPECT_EQ(bytewise.output, whole.output) << what << " one byte at a time";
    const DecodeResult chunks = fastDecode(facts.method, member.packed, member.unpackedSize, 777, 4099);
    EXPECT_EQ(chunks.output, whole.output) << what << " in chunks";
}

TEST(LzhDecode, LhaArchivesOfManyTools)
{
    OV_NEED_PUBLIC_ARCHIVES();
    const std::string base = (publicArchives() / "lhasa").string() + "/";
    const char* files[] = {
        "lha_amiga_122/lh4.lzh",
        "lha_amiga_122/lh5.lzh",
        "lha213/lh5.lzh",
        "lha_unix114i/h0_lh5.lzh",
        "lha_unix114i/h2_lh5.lzh",
        "lha_x68k_213/h2_lh5.lzh",
        "lha_osk_201/h2_lh5.lzh",
        "maclha_224/l0_lh5.lzh",
        "explzh_723/h2_lh5.lzh",
        "lhmelt_16536/h2_lh5.lzh",
        "morphos_lha_2717/h2_lh5.lzh",
        "lh2_222/eas.lzh",
        "explzh_723/h2_lh6.lzh",
        "lha_amiga_212/lh6.lzh",
        "lha_unix114i/h1_lh6.lzh",
        "lhmelt_16536/h0_lh6.lzh",
        "lha_unix114i/h2_lh7.lzh",
        "lha213/sfx.exe",
    };
    for (const char* file : files) {
        const Bytes archive = readFile(base + file);
        ASSERT_FALSE(archive.empty()) << file;
        const auto member = firstLhaMember(archive);
        ASSERT_TRUE(member) << file;
        expectDecodes(*member, file);
    }
}

// LHARK labels its own incompatible method -lh7-: decoding it must end in a
// clean failure or bytes whose CRC is wrong.
TEST(LzhDecode, LharkDataUnderAnLh7LabelFailsCleanly)
{
    OV_NEED_PUBLIC_ARCHIVES();
    const auto member = firstLhaMember(readFile((publicArchives() / "lhasa/lhark04d/lh7.lzh").string()));
    ASSERT_TRUE(member);
    const DecodeResult run = fastDecode(LzhMethod::Lh7, member->packed, member->unpackedSize, 0, 0);
    EXPECT_LE(run.output.size(), member->unpackedSize);
    if (run.status.isDone())
        EXPECT_NE(crc16(run.output), member->crc);
    else
        EXPECT_TRUE(run.status.isCorrupt());
}

TEST(LzhDecode, ArjMethodsOneToThree)
{
    for (const char* file : { "arj_m1.arj", "arj_m2.arj", "arj_m3.arj" }) {
        const Bytes archive = readFile(std::string(OV_DATA_DIR) + "/archive_decoders/" + file);
        const auto members = arjMembers(archive);
        ASSERT_EQ(members.size(), 7u) << file;
        int compressed = 0;
        for (std::size_t i = 0; i < members.size(); ++i) {
            if (members[i].method == "arj0") // arj stores what does not shrink
                continue;
            ++compressed;
            expectDecodes(members[i], std::string(file) + " member " + std::to_string(i));
        }
        EXPECT_GE(compressed, 5) << file;
    }
}

// Writes fields most significant bit first, as the format stores them.
class BitWriter {
public:
    BitWriter& put(std::uint32_t value, unsigned count)
    {
        for (unsigned i = count; i-- > 0;) {
            if (m_bit % 8 == 0)
                m_bytes.push_back(0);
            m_bytes.back() |= static_cast<std::uint8_t>((value >> i & 1) << (7 - m_bit % 8));
            ++m_bit;
        }
        return *this;
    }
    Bytes bytes() const { return m_bytes; }

private:
    Bytes m_bytes;
    std::size_t m_bit = 0;
};

// A block of `symbols` copies of one literal/length symbol and one position
// symbol, each code a single symbol (no bits per symbol).
Bytes singleSymbolBlock(unsigned symbols, unsigned literal, unsigned position, unsigned countBits)
{
    return BitWriter()
        .put(symbols, 16)
        .put(0, 5)
        .put(0, 5) // code-length code: one symbol
        .put(0, 9)
        .put(literal, 9)
        .put(0, countBits)
        .put(position, countBits)
        .bytes();
}

TEST(LzhDecode, FaultsAndLimits)
{
    struct Case {
        const char* name;
        LzhMethod method;
        Bytes packed;
        std::uint64_t size;
        int code; // 0: decodes
        const char* output; // when it decodes
    };
    const Bytes text = [] {
        const auto members = arjMembers(readFile(std::string(OV_DATA_DIR) + "/archive_decoders/arj_m1.arj"));
        return members.at(2).packed;
    }();
    const Bytes half(text.begin(), text.begin() + text.size() / 2);
    const Case cases[] = {
        { "literals", LzhMethod::Lh5, singleSymbolBlock(4, 'x', 0, 4), 4, 0, "xxxx" },
        { "match into the spaces of an LHA window", LzhMethod::Lh5, singleSymbolBlock(1, 256, 0, 4), 3, 0,
            "   " },
        { "match before the start of ARJ data", LzhMethod::Arj1, singleSymbolBlock(1, 256, 0, 5), 3,
            msgBadBlock, nullptr },
        { "match past the unpacked size", LzhMethod::Lh5, singleSymbolBlock(1, 257, 0, 4), 3, msgBadBlock,
            nullptr },
        { "distance beyond the -lh4- window", LzhMethod::Lh4, singleSymbolBlock(1, 256, 13, 4), 3,
            msgBadHuffmanCode, nullptr },
        { "distance beyond the ARJ window", LzhMethod::Arj1,
            BitWriter().put(1, 16).put(0, 10).put(0, 9).put(256, 9).put(0, 5).put(16, 5).put(0, 15).bytes(),
            3, msgBadBlock, nullptr },
        { "literal code of 511 symbols", LzhMethod::Lh5,
            BitWriter().put(1, 16).put(0, 10).put(511, 9).bytes(), 1, msgBadHuffmanCode, nullptr },
        { "oversubscribed code-length code", LzhMethod::Lh5,
            BitWriter().put(1, 16).put(3, 5).put(1, 3).put(1, 3).put(1, 3).put(0, 2).put(0, 16).bytes(), 1,
            msgBadHuffmanCode, nullptr },
        { "data cut in half", LzhMethod::Arj1, half, 20000, msgErrorReading, nullptr },
        { "no data at all", LzhMethod::Lh6, {}, 10, msgErrorReading, nullptr },
        { "nothing to decode", LzhMethod::Lh6, {}, 0, 0, "" },
        { "more blocks than the size needs", LzhMethod::Lh5, singleSymbolBlock(9, 'y', 0, 4), 2, 0, "yy" },
    };
    for (const Case& c : cases) {
        for (std::size_t step : { std::size_t(1) << 20, std::size_t(1) }) {
            const DecodeResult run = fastDecode(c.method, c.packed, c.size, step, step);
            if (c.code) {
                EXPECT_EQ(run.status, Status::corrupt(c.code)) << c.name << " step " << step;
                EXPECT_LE(run.output.size(), c.size) << c.name;
            } else {
                ASSERT_TRUE(run.status.isDone()) << c.name << " code " << run.status.code();
                EXPECT_EQ(std::string(run.output.begin(), run.output.end()), c.output) << c.name;
            }
        }
    }
}

// Damaged members: the fast decoder agrees with the oracle on whether the
// member decodes and on every byte when it does, and never writes past the
// size.
TEST(LzhDecode, DamagedDataAgreesWithTheOracle)
{
    OV_NEED_PUBLIC_ARCHIVES();
    const Bytes archive = readFile((publicArchives() / "lhasa/lha_unix114i/h1_lh6.lzh").string());
    const auto member = firstLhaMember(archive);
    ASSERT_TRUE(member);
    std::mt19937 random(6);
    for (int round = 0; round < 200; ++round) {
        Bytes packed = member->packed;
        const int flips = 1 + round % 4;
        for (int i = 0; i < flips; ++i)
            packed[random() % std::min<std::size_t>(packed.size(), round < 100 ? 64 : packed.size())]
                ^= static_cast<std::uint8_t>(1 << (random() % 8));
        for (LzhMethod method : { LzhMethod::Lh6, LzhMethod::Arj1 }) {
            const MethodFacts& facts = Methods.at(method == LzhMethod::Lh6 ? "-lh6-" : "arj1");
            const auto slow = slowDecode(facts, packed, member->unpackedSize);
            const DecodeResult fast = fastDecode(method, packed, member->unpackedSize, 1 << 20, 1 << 20);
            ASSERT_EQ(fast.status.isDone(), slow.has_value())
                << "round " << round << " code " << fast.status.code();
            if (slow)
                ASSERT_EQ(fast.output, *slow) << "round " << round;
            else
                ASSERT_LE(fast.output.size(), member->unpackedSize);
        }
    }
}

} // namespace
} // namespace ov::test
