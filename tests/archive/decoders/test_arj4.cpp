// ARJ method 4 against members packed by arj (empty, one byte, text, block
// boundaries, far matches, a long file) and their stored CRC-32s, whole and
// one byte at a time, and its faults.
#include "archive/decoders/arj4.h"

#include "tests/archive/decoders/lzh_test_support.h"

#include <gtest/gtest.h>

namespace ov::test {
namespace {

DecodeResult decodeArj4(
    const Bytes& packed, std::uint64_t size, std::size_t inputStep, std::size_t outputStep)
{
    Arj4State state;
    state.reset(size);
    return runDecoder(arj4Decode, state, packed, inputStep, outputStep);
}

TEST(Arj4Decode, MembersPackedByArj)
{
    const auto members = arjMembers(readFile(std::string(OV_DATA_DIR) + "/archive_decoders/arj_m4.arj"));
    ASSERT_EQ(members.size(), 7u);
    int packed = 0;
    for (std::size_t i = 0; i < members.size(); ++i) {
        const PackedMember& member = members[i];
        if (member.method != "arj4")
            continue;
        ++packed;
        const DecodeResult whole = decodeArj4(member.packed, member.unpackedSize, 0, 0);
        ASSERT_TRUE(whole.status.isDone()) << "member " << i << " code " << whole.status.code();
        ASSERT_EQ(whole.output.size(), member.unpackedSize) << i;
        EXPECT_EQ(crc32(whole.output), member.crc) << i;
        const DecodeResult bytewise = decodeArj4(member.packed, member.unpackedSize, 1, 1);
        ASSERT_TRUE(bytewise.status.isDone()) << i << " one byte at a time";
        EXPECT_EQ(bytewise.output, whole.output) << i;
    }
    EXPECT_GE(packed, 5);
}

TEST(Arj4Decode, Faults)
{
    const auto members = arjMembers(readFile(std::string(OV_DATA_DIR) + "/archive_decoders/arj_m4.arj"));
    ASSERT_GE(members.size(), 3u);
    const Bytes text = members[2].packed;
    const Bytes half(text.begin(), text.begin() + text.size() / 2);
    // Length prefix "10" + 1 value bit 0: a 3-byte match; distance prefix
    // "0" + 9 zero bits: distance 1.
    const Bytes matchFirst = { 0x80, 0x00, 0x00 };
    // Literal 'a' (prefix "0" + 8 bits), then that match: "aaaa".
    const Bytes literalThenMatch = { 0x30, 0xC0, 0x00, 0x00 };
    struct Case {
        const char* name;
        Bytes packed;
        std::uint64_t size;
        int code;
        const char* output;
    } cases[] = {
        { "data cut in half", half, members[2].unpackedSize, msgErrorReading, nullptr },
        { "match before any data", matchFirst, 3, msgBadBlock, nullptr },
        { "match past the unpacked size", literalThenMatch, 3, msgBadBlock, nullptr },
        { "literal and match", literalThenMatch, 4, 0, "aaaa" },
        { "empty member", {}, 0, 0, "" },
    };
    for (const Case& c : cases) {
        for (std::size_t step : { std::size_t(0), std::size_t(1) }) {
            const DecodeResult run = decodeArj4(c.packed, c.size, step, step);
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

} // namespace
} // namespace ov::test
