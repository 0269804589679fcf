// LHA -lh1- (LZHUF) against real archives of several LHA tools and their
// stored CRC-16s, whole and one byte at a time, and its faults.
#include "archive/decoders/lh1.h"

#include "tests/archive/decoders/lzh_test_support.h"
#include "tests/support/public_archives.h"

#include <gtest/gtest.h>

namespace ov::test {
namespace {

DecodeResult decodeLh1(const Bytes& packed, std::uint64_t size, std::size_t inputStep, std::size_t outputStep)
{
    Lh1State state;
    state.reset(size);
    return runDecoder(lh1Decode, state, packed, inputStep, outputStep);
}

TEST(Lh1Decode, ArchivesOfSeveralTools)
{
    OV_NEED_PUBLIC_ARCHIVES();
    const char* files[] = {
        "lharc113/lh1.lzh",
        "lha_amiga_122/lh1.lzh",
        "lha_os9_211c/h2_lh1.lzh",
        "lhmelt_16536/h1_lh1.lzh",
        "lengths/lh1-0.lzh",
        "lengths/lh1-64k.lzh",
        "lharc113/sfx.com",
    };
    for (const char* file : files) {
        const auto member = firstLhaMember(readFile((publicArchives() / "lhasa" / file).string()));
        ASSERT_TRUE(member) << file;
        ASSERT_EQ(member->method, "-lh1-") << file;
        const DecodeResult whole = decodeLh1(member->packed, member->unpackedSize, 0, 0);
        ASSERT_TRUE(whole.status.isDone()) << file << " code " << whole.status.code();
        ASSERT_EQ(whole.output.size(), member->unpackedSize) << file;
        EXPECT_EQ(crc16(whole.output), member->crc) << file;
        const DecodeResult bytewise = decodeLh1(member->packed, member->unpackedSize, 1, 1);
        ASSERT_TRUE(bytewise.status.isDone()) << file << " one byte at a time";
        EXPECT_EQ(bytewise.output, whole.output) << file;
    }
}

TEST(Lh1Decode, Faults)
{
    OV_NEED_PUBLIC_ARCHIVES();
    const auto member = firstLhaMember(readFile((publicArchives() / "lhasa/lharc113/lh1.lzh").string()));
    ASSERT_TRUE(member);
    const Bytes half(member->packed.begin(), member->packed.begin() + member->packed.size() / 2);
    // Symbol 313 (a 60-byte match) in the fresh tree is 11000101; then the
    // distance code 000 and six 0 bits: distance 1.
    const Bytes match = { 0xC5, 0x00, 0x00 };
    struct Case {
        const char* name;
        Bytes packed;
        std::uint64_t size;
        int code;
    } cases[] = {
        { "data cut in half", half, member->unpackedSize, msgErrorReading },
        { "claims more than it holds", member->packed, member->unpackedSize + 1000, msgErrorReading },
        { "match past the unpacked size", match, 10, msgBadBlock },
        { "no data", {}, 5, msgErrorReading },
    };
    for (const Case& c : cases) {
        for (std::size_t step : { std::size_t(0), std::size_t(1) }) {
            const DecodeResult run = decodeLh1(c.packed, c.size, step, step);
            EXPECT_EQ(run.status, Status::corrupt(c.code)) << c.name << " step " << step;
            EXPECT_LE(run.output.size(), c.size) << c.name;
        }
    }
    // The window starts as spaces: the same match within 60 bytes decodes.
    const DecodeResult spaces = decodeLh1(match, 60, 0, 0);
    ASSERT_TRUE(spaces.status.isDone());
    EXPECT_EQ(spaces.output, Bytes(60, ' '));
}

} // namespace
} // namespace ov::test
