// Shrink, reduce and implode against the public legacy ZIP files (made by
// PKZIP 1.x; see the fixtures' README for how each was checked): every
// member must decode to its stored size and CRC-32, whole and one byte at a
// time. Then the faults each decoder must report, and ZIP decryption against
// archives made by Info-ZIP's zip with -P.
#include "archive/decoders/implode.h"
#include "archive/decoders/inflate.h"
#include "archive/decoders/reduce.h"
#include "archive/decoders/shrink.h"
#include "archive/decoders/stored.h"
#include "archive/decoders/zip_crypto.h"
#include "tests/archive/decoders/decode_run.h"
#include "tests/support/public_archives.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace ov {
namespace {

using test::Bytes;

struct Member {
    std::string name;
    unsigned flags = 0;
    unsigned method = 0;
    unsigned time = 0;
    std::uint32_t crc = 0;
    Bytes packed;
    std::uint32_t size = 0;
};

unsigned le16(const Bytes& b, std::size_t at)
{
    return b[at] | (b[at + 1] << 8);
}
std::uint32_t le32(const Bytes& b, std::size_t at)
{
    return le16(b, at) | (std::uint32_t(le16(b, at + 2)) << 16);
}

// The members of a ZIP file, by walking its local headers.
std::vector<Member> readMembers(const Bytes& zip)
{
    std::vector<Member> members;
    std::size_t at = 0;
    while (at + 30 <= zip.size() && le32(zip, at) == 0x04034b50) {
        Member m;
        m.flags = le16(zip, at + 6);
        m.method = le16(zip, at + 8);
        m.time = le16(zip, at + 10);
        m.crc = le32(zip, at + 14);
        const std::uint32_t packedSize = le32(zip, at + 18);
        m.size = le32(zip, at + 22);
        const unsigned nameLength = le16(zip, at + 26), extraLength = le16(zip, at + 28);
        m.name.assign(
            zip.begin() + std::ptrdiff_t(at + 30), zip.begin() + std::ptrdiff_t(at + 30 + nameLength));
        const std::size_t data = at + 30 + nameLength + extraLength;
        if (data + std::uint64_t(packedSize) > zip.size()) {
            // Streamed (sizes in a data descriptor, or Zip64 markers).
            members.push_back(m);
            break;
        }
        m.packed.assign(zip.begin() + std::ptrdiff_t(data), zip.begin() + std::ptrdiff_t(data + packedSize));
        members.push_back(m);
        at = data + packedSize;
    }
    return members;
}

std::uint32_t crcOf(const Bytes& data)
{
    return std::uint32_t(crc32(0, data.data(), uInt(data.size())));
}

// Decodes a member with the decoder of its method.
test::DecodeResult decodeMember(const Member& m, const Bytes& packed, std::size_t step)
{
    switch (m.method) {
    case 0: {
        StoredState state;
        state.reset(m.size);
        return test::runDecoder(storedDecode, state, packed, step, step);
    }
    case 1: {
        auto state = std::make_unique<ShrinkState>();
        state->reset(m.size);
        return test::runDecoder(shrinkDecode, *state, packed, step, step);
    }
    case 2:
    case 3:
    case 4:
    case 5: {
        auto state = std::make_unique<ReduceState>();
        state->reset(m.size, m.method - 1);
        return test::runDecoder(reduceDecode, *state, packed, step, step);
    }
    case 8: {
        auto state = std::make_unique<InflateState>();
        state->reset(m.size);
        return test::runDecoder(inflateDecode, *state, packed, step, step);
    }
    case 6: {
        auto state = std::make_unique<ImplodeState>();
        state->reset(m.size, m.flags);
        return test::runDecoder(implodeDecode, *state, packed, step, step);
    }
    }
    ADD_FAILURE() << "method " << m.method;
    return {};
}

std::string fixture(const std::string& name)
{
    return (test::publicArchives() / name).string();
}

struct LegacyFile {
    const char* path;
    unsigned members;
    std::vector<unsigned> methods; // the compressed methods it must cover
};

TEST(ZipLegacy, EveryMemberDecodesToItsCrcWholeAndByteByByte)
{
    OV_NEED_PUBLIC_ARCHIVES();
    const LegacyFile files[] = {
        { "zip2/legacy/shrink.zip", 1, { 1 } },
        { "zip2/legacy/reduce.zip", 1, { 5 } },
        { "zip2/legacy/implode.zip", 1, { 6 } },
        { "sharpcompress/Zip.shrink.zip", 3, { 1 } },
        { "sharpcompress/Zip.reduce1.zip", 3, { 2 } },
        { "sharpcompress/Zip.reduce2.zip", 3, { 3 } },
        { "sharpcompress/Zip.reduce3.zip", 3, { 4 } },
        { "sharpcompress/Zip.reduce4.zip", 3, { 5 } },
        { "sharpcompress/Zip.implode.zip", 3, { 6 } },
        { "commons-compress/SHRUNK.ZIP", 2, { 1 } },
        { "commons-compress/imploding-4Kdict-2trees.zip", 1, { 6 } },
        { "commons-compress/imploding-8Kdict-3trees.zip", 1, { 6 } },
    };
    for (const LegacyFile& file : files) {
        SCOPED_TRACE(file.path);
        const Bytes zip = test::readFile(fixture(file.path));
        ASSERT_FALSE(zip.empty());
        const auto members = readMembers(zip);
        ASSERT_EQ(members.size(), file.members);
        for (unsigned method : file.methods)
            EXPECT_TRUE(std::any_of(
                members.begin(), members.end(), [&](const Member& m) { return m.method == method; }));
        for (const Member& m : members) {
            SCOPED_TRACE(m.name);
            for (std::size_t step : { std::size_t(0), std::size_t(1) }) {
                const auto result = decodeMember(m, m.packed, step);
                EXPECT_EQ(result.status, Status::done());
                EXPECT_EQ(result.output.size(), m.size);
                EXPECT_EQ(crcOf(result.output), m.crc);
            }
        }
    }
}

TEST(ZipLegacy, TheSameTextFromEveryMethod)
{
    OV_NEED_PUBLIC_ARCHIVES();
    // README: the one member of the zip2 files has CRC-32 22957a6e in all three.
    for (const char* name :
        { "zip2/legacy/shrink.zip", "zip2/legacy/reduce.zip", "zip2/legacy/implode.zip" }) {
        const auto members = readMembers(test::readFile(fixture(name)));
        ASSERT_EQ(members.size(), 1u);
        const auto result = decodeMember(members[0], members[0].packed, 0);
        EXPECT_EQ(crcOf(result.output), 0x22957a6eu) << name;
        EXPECT_EQ(result.output.size(), 1092u) << name;
    }
}

// Damaged members: cut short, claiming fewer bytes than they hold, and with
// bytes flipped. None may write past the size it was given or hang.
TEST(ZipLegacy, DamagedMembersEndWithAMessage)
{
    OV_NEED_PUBLIC_ARCHIVES();
    for (const char* name : { "sharpcompress/Zip.shrink.zip", "sharpcompress/Zip.reduce2.zip",
             "sharpcompress/Zip.implode.zip", "commons-compress/imploding-4Kdict-2trees.zip" }) {
        SCOPED_TRACE(name);
        for (Member m : readMembers(test::readFile(fixture(name)))) {
            if (m.method == 0)
                continue;
            SCOPED_TRACE(m.name);
            Bytes cut(m.packed.begin(), m.packed.begin() + std::ptrdiff_t(m.packed.size() / 2));
            for (std::size_t step : { std::size_t(0), std::size_t(1) }) {
                const auto truncated = decodeMember(m, cut, step);
                EXPECT_EQ(truncated.status, Status::corrupt(msgErrorReading));
                EXPECT_LT(truncated.output.size(), m.size);
            }

            Member smaller = m;
            smaller.size = m.size / 3;
            const auto small = decodeMember(smaller, m.packed, 0);
            EXPECT_LE(small.output.size(), smaller.size);

            for (std::size_t flip = 1; flip < 40; ++flip) {
                Bytes damaged = m.packed;
                damaged[(flip * 977) % damaged.size()] ^= std::uint8_t(flip * 37);
                const auto result = decodeMember(m, damaged, 0);
                EXPECT_TRUE(result.status.isDone() || result.status.isCorrupt());
                EXPECT_LE(result.output.size(), m.size);
            }
        }
    }
}

TEST(ZipLegacy, HandBuiltFaults)
{
    struct Row {
        const char* name;
        unsigned method;
        unsigned flags;
        Bytes packed;
        int code;
    };
    // Shrink codes are 9 bits, least significant first: pack them.
    auto codes9 = [](std::initializer_list<unsigned> values) {
        Bytes out;
        std::uint32_t buffer = 0;
        unsigned count = 0;
        for (unsigned v : values) {
            buffer |= v << count;
            for (count += 9; count >= 8; count -= 8, buffer >>= 8)
                out.push_back(std::uint8_t(buffer));
        }
        if (count)
            out.push_back(std::uint8_t(buffer));
        return out;
    };
    const Row rows[] = {
        { "shrinkFirstCodeNotALiteral", 1, 0, codes9({ 300, 65 }), msgInvalidCode },
        { "shrinkCodeAheadOfTheTable", 1, 0, codes9({ 65, 260, 65 }), msgInvalidCode },
        { "shrinkControlWithBadFollower", 1, 0, codes9({ 65, 256, 3, 65 }), msgBadBlock },
        { "shrinkWidthPastThirteenBits", 1, 0,
            [&] {
                // Widen 9 -> 13 with 9-bit codes, then once more (codes are
                // packed at the width in force; the widths only grow).
                Bytes out;
                std::uint64_t buffer = 0;
                unsigned count = 0, width = 9;
                auto put = [&](unsigned v) {
                    buffer |= std::uint64_t(v) << count;
                    for (count += width; count >= 8; count -= 8, buffer >>= 8)
                        out.push_back(std::uint8_t(buffer));
                };
                put(65);
                for (int i = 0; i < 5; ++i) {
                    put(256);
                    put(1);
                    ++width;
                }
                put(65);
                out.push_back(std::uint8_t(buffer));
                return out;
            }(),
            msgInvalidCode },
        // Reduce: follower set of byte 255 claims 33 members.
        { "reduceFollowerSetTooLong", 2, 0, Bytes { 33, 0, 0, 0 }, msgBadBlock },
        // Implode: a 64-value tree described by one run of 16 values.
        { "implodeTreeShort", 6, 0, Bytes { 0, 0xF5 }, msgBadBlock },
        // 64 values all one bit long: over-full code space.
        { "implodeTreeAmbiguous", 6, 0, Bytes { 3, 0xF0, 0xF0, 0xF0, 0xF0 }, msgAmbiguousTree },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Member m;
        m.method = row.method;
        m.flags = row.flags;
        m.size = 100;
        for (std::size_t step : { std::size_t(0), std::size_t(1) })
            EXPECT_EQ(decodeMember(m, row.packed, step).status, Status::corrupt(row.code));
    }
}

// ZIP decryption: archives written by 7-Zip (check byte = CRC high byte) and
// by Info-ZIP's zip -P, to a file and from a pipe (both with flag bit 3, the
// data descriptor: check byte = DOS time high byte).
class ZipCryptoTest : public testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/ov-zipcrypto-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        if (std::system("command -v zip >/dev/null 2>&1 && command -v 7zz >/dev/null 2>&1") != 0) {
            if (std::getenv("CI"))
                FAIL() << "zip or 7zz is missing (scripts/deps.d/zipdec.txt)";
            GTEST_SKIP() << "zip or 7zz is not installed";
        }
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::filesystem::path m_dir;
};

TEST_F(ZipCryptoTest, BothCheckByteFormsAndWrongPasswords)
{
    const Bytes text = test::sampleData(5000, 5);
    {
        std::FILE* out = std::fopen((m_dir / "plain.txt").c_str(), "wb");
        ASSERT_NE(out, nullptr);
        std::fwrite(text.data(), 1, text.size(), out);
        std::fclose(out);
    }
    const std::string dir = m_dir.string();
    ASSERT_EQ(std::system(("cd " + dir
                  + " && zip -q -P secret file.zip plain.txt && cat plain.txt | zip -q -P secret pipe.zip - "
                    "&& 7zz a -tzip -psecret -mem=ZipCrypto crc.zip plain.txt >/dev/null && "
                    "7zz a -tzip -psecret -mem=ZipCrypto -mx0 stored.zip plain.txt >/dev/null")
                              .c_str()),
        0);
    struct Row {
        const char* file;
        bool descriptor;
    };
    for (const Row row : { Row { "crc.zip", false }, Row { "stored.zip", false }, Row { "file.zip", true },
             Row { "pipe.zip", true } }) {
        SCOPED_TRACE(row.file);
        const auto members = readMembers(test::readFile(dir + "/" + row.file));
        ASSERT_EQ(members.size(), 1u);
        Member m = members[0];
        ASSERT_TRUE(m.flags & 1);
        EXPECT_EQ(bool(m.flags & 8), row.descriptor);
        if (row.descriptor && m.packed.empty()) {
            // Sizes and CRC follow the data; take them from what we know.
            m.size = std::uint32_t(text.size());
            m.crc = crcOf(text);
            // The local header's packed size is 0 under flag bit 3: the data
            // runs to the descriptor, found by its signature.
            const Bytes zip = test::readFile(dir + "/" + row.file);
            std::size_t start = 30 + le16(zip, 26) + le16(zip, 28), end = start;
            while (end + 4 <= zip.size() && le32(zip, end) != 0x08074b50)
                ++end;
            m.packed.assign(zip.begin() + std::ptrdiff_t(start), zip.begin() + std::ptrdiff_t(end));
        }
        const std::uint8_t check = row.descriptor ? std::uint8_t(m.time >> 8) : std::uint8_t(m.crc >> 24);
        std::span<const std::uint8_t, ZipCrypto::HeaderSize> header(m.packed.data(), ZipCrypto::HeaderSize);

        // zip draws the encryption header at random, so one wrong password in
        // 256 passes the check byte by chance; it must still never give the
        // text back.
        int passed = 0;
        for (const char* wrong : { "", "Secret", "secret1", "SECRET", "secre", "x" }) {
            ZipCrypto crypto;
            crypto.setPassword(wrong);
            if (!crypto.acceptHeader(header, check))
                continue;
            ++passed;
            Bytes garbled(m.packed.begin() + ZipCrypto::HeaderSize, m.packed.end());
            crypto.decrypt(garbled);
            EXPECT_FALSE(decodeMember(m, garbled, 0).output == text) << wrong;
        }
        EXPECT_LE(passed, 2);
        ZipCrypto crypto;
        crypto.setPassword("secret");
        ASSERT_TRUE(crypto.acceptHeader(header, check));
        Bytes data(m.packed.begin() + ZipCrypto::HeaderSize, m.packed.end());
        crypto.decrypt(data);
        const auto result = decodeMember(m, data, 0);
        EXPECT_EQ(result.status, Status::done());
        EXPECT_TRUE(result.output == text);
    }
}

} // namespace
} // namespace ov
