#include "platform/listing_ahead.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using namespace ov;

namespace {

std::vector<std::string> namesOf(const std::vector<HostEntry>& entries)
{
    std::vector<std::string> names;
    for (const HostEntry& entry : entries)
        names.push_back(entry.name);
    return names;
}

} // namespace

// Whatever was asked for ahead, take() gives the listing of the folder it
// names, as it stands when the request was made or later; a request for a
// folder that is never taken is simply dropped.
TEST(ListingAhead, TakeAlwaysGivesTheFolderItNames)
{
    test::TempFolder root;
    root.folder("a");
    root.write("a/one", "1");
    root.folder("b");
    root.write("b/two", "22");
    root.write("b/three", "333");
    const std::string a = root / "a";
    const std::string b = root / "b";
    const std::string missing = root / "missing";

    struct Row {
        const char* what;
        std::vector<std::string> requests; // made before the take
        std::string taken;
        bool listed;
        std::vector<std::string> names;
    } rows[] = {
        { "nothing asked ahead", {}, a, true, { "one" } },
        { "the folder asked ahead", { b }, b, true, { "three", "two" } },
        { "another folder asked ahead", { a }, b, true, { "three", "two" } },
        { "a later request replaces one never taken", { a, b }, b, true, { "three", "two" } },
        { "a missing folder asked ahead", { missing }, missing, false, {} },
        { "a missing folder taken", { a }, missing, false, {} },
    };
    for (const Row& row : rows) {
        ListingAhead ahead;
        for (const std::string& folder : row.requests)
            ahead.request(folder);
        std::vector<HostEntry> entries;
        EXPECT_EQ(ahead.take(row.taken, entries), row.listed) << row.what;
        EXPECT_EQ(namesOf(entries), row.names) << row.what;
        // The next take of the same folder reads it again.
        EXPECT_EQ(ahead.take(row.taken, entries), row.listed) << row.what;
        EXPECT_EQ(namesOf(entries), row.names) << row.what;
    }
    // A request left pending when the reader goes is finished or dropped,
    // never left running.
    {
        ListingAhead ahead(ListFacts::Basic);
        ahead.request(a);
    }
}
