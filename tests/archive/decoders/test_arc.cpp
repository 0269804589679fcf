// The ARC decoders (unpack, squeeze, the hashed 12-bit LZW of methods 5-7,
// crunch 8, squash 9) against archives written by arc and by the fixture
// generator (checked with nomarch and arc), whole and one byte at a time,
// and their faults.
#include "archive/decoders/arc_crunch.h"
#include "archive/decoders/arc_lzw.h"
#include "archive/decoders/arc_squeeze.h"
#include "archive/decoders/arc_unpack.h"
#include "archive/decoders/stored.h"

#include "tests/archive/decoders/lzh_test_support.h"

#include <gtest/gtest.h>

namespace ov::test {
namespace {

struct ArcMember {
    std::string name;
    int method;
    Bytes packed;
    std::uint64_t size;
    std::uint16_t crc;
};

std::vector<ArcMember> arcMembers(const Bytes& archive)
{
    std::vector<ArcMember> members;
    std::size_t at = 0;
    while (at + 2 <= archive.size() && archive[at] == 0x1A && archive[at + 1] != 0) {
        ArcMember member;
        member.method = archive[at + 1];
        member.name.assign(reinterpret_cast<const char*>(&archive[at + 2]));
        const std::size_t packed = le32(archive, at + 15);
        member.crc = static_cast<std::uint16_t>(le16(archive, at + 23));
        const std::size_t data = at + (member.method == 1 ? 25 : 29);
        member.size = member.method == 1 ? packed : le32(archive, at + 25);
        member.packed.assign(archive.begin() + data, archive.begin() + data + packed);
        members.push_back(std::move(member));
        at = data + packed;
    }
    return members;
}

// Decodes with the decoder of `method`.
DecodeResult decodeArc(int method, const Bytes& packed, std::uint64_t size, std::size_t step)
{
    switch (method) {
    case 1:
    case 2: {
        StoredState state;
        state.reset(size);
        return runDecoder(storedDecode, state, packed, step, step);
    }
    case 3: {
        ArcUnpackState state;
        state.reset(size);
        return runDecoder(arcUnpackDecode, state, packed, step, step);
    }
    case 4: {
        ArcSqueezeState state;
        state.reset(size);
        return runDecoder(arcSqueezeDecode, state, packed, step, step);
    }
    case 5:
    case 6:
    case 7: {
        ArcLzwState state;
        state.reset(static_cast<ArcLzwMethod>(method - 5), size);
        return runDecoder(arcLzwDecode, state, packed, step, step);
    }
    default: {
        ArcCrunchState state;
        state.reset(method == 8 ? ArcCrunchMethod::Crunch8 : ArcCrunchMethod::Squash9, size);
        return runDecoder(arcCrunchDecode, state, packed, step, step);
    }
    }
}

TEST(ArcDecode, EveryMethodOfRealArchives)
{
    std::map<int, int> seen;
    for (const char* file : { "arc_best.arc", "arc_sq.arc", "arc_m1.arc", "arc_m3.arc", "arc_m5.arc",
             "arc_m6.arc", "arc_m7.arc" }) {
        const auto members = arcMembers(readFile(std::string(OV_DATA_DIR) + "/archive_decoders/" + file));
        ASSERT_GE(members.size(), 3u) << file;
        for (const ArcMember& member : members) {
            const std::string what = std::string(file) + " " + member.name;
            ++seen[member.method];
            const DecodeResult whole = decodeArc(member.method, member.packed, member.size, 0);
            ASSERT_TRUE(whole.status.isDone()) << what << " code " << whole.status.code();
            ASSERT_EQ(whole.output.size(), member.size) << what;
            EXPECT_EQ(crc16(whole.output), member.crc) << what;
            if (member.size > 40000)
                continue; // one byte at a time is slow under the sanitizers
            const DecodeResult bytewise = decodeArc(member.method, member.packed, member.size, 1);
            ASSERT_TRUE(bytewise.status.isDone()) << what << " one byte at a time";
            EXPECT_EQ(bytewise.output, whole.output) << what;
        }
    }
    for (int method : { 1, 2, 3, 4, 5, 6, 7, 8, 9 })
        EXPECT_GT(seen[method], 0) << "no member of method " << method;
}

TEST(ArcDecode, Faults)
{
    const auto lines = arcMembers(readFile(std::string(OV_DATA_DIR) + "/archive_decoders/arc_best.arc"));
    Bytes crunched;
    std::uint64_t crunchedSize = 0;
    for (const ArcMember& member : lines)
        if (member.method == 8 && member.size > 100000) {
            crunched = member.packed;
            crunchedSize = member.size;
        }
    ASSERT_FALSE(crunched.empty());
    const Bytes cut(crunched.begin(), crunched.begin() + crunched.size() / 2);
    Bytes wide = crunched;
    wide[0] = 13;
    struct Case {
        const char* name;
        int method;
        Bytes packed;
        std::uint64_t size;
        int code;
    } cases[] = {
        // 'a' then 0x90 0xFF, forty times: 10,200 bytes from 160.
        { "run-length bomb", 3,
            [] {
                Bytes b;
                for (int i = 0; i < 40; ++i)
                    b.insert(b.end(), { 'a', 0x90, 0xFF });
                return b;
            }(),
            100, msgBadBlock },
        { "fewer bytes than claimed", 3, { 'a', 'b' }, 3, msgErrorReading },
        { "squeeze tree of 300 nodes", 4, { 0x2C, 0x01 }, 10, msgInvalidDecodeTree },
        { "squeeze child outside the tree", 4, { 0x01, 0x00, 0x05, 0x00, 0xFE, 0xFF, 0x00 }, 10,
            msgInvalidDecodeTree },
        { "squeeze data without its end", 4, { 0x01, 0x00, 0xBE, 0xFF, 0xFE, 0xFF, 0x00 }, 10,
            msgErrorReading },
        { "crunch width byte 13", 8, wide, crunchedSize, msgIncorrectBits },
        { "crunch data cut in half", 8, cut, crunchedSize, msgErrorReading },
        { "crunch larger than claimed", 8, crunched, crunchedSize - 1, msgBadBlock },
        { "crunch code beyond the table", 8, { 12, 0x41, 0xFE, 0x03 }, 10, msgInvalidCode },
        { "LZW code of an empty slot first", 5, { 0x00, 0x10 }, 1, msgInvalidCode },
    };
    for (const Case& c : cases) {
        for (std::size_t step : { std::size_t(0), std::size_t(1) }) {
            const DecodeResult run = decodeArc(c.method, c.packed, c.size, step);
            EXPECT_EQ(run.status, Status::corrupt(c.code))
                << c.name << " step " << step << " got " << run.status.code();
            EXPECT_LE(run.output.size(), c.size) << c.name;
        }
    }
}

} // namespace
} // namespace ov::test
