// URL parsing, request targets and relocation: tables of named rows.
#include "news/http_url.h"

#include <gtest/gtest.h>

namespace ov {
namespace {

struct ParseRow {
    const char* name;
    const char* url;
    ParsedUrl expected;
};

TEST(HttpUrl, ParseURLSplitsEveryForm)
{
    const ParseRow rows[] = {
        { "plain", "http://host/a/b", { "http", "", "", "host", "", "/a/b" } },
        { "port", "http://host:8080/x", { "http", "", "", "host", "8080", "/x" } },
        { "user and password", "http://ann:se:cret@host:81/",
            { "http", "ann", "se:cret", "host", "81", "/" } },
        { "user only", "http://ann@host", { "http", "ann", "", "host", "", "" } },
        { "last at sign decides", "http://a@b@host/p", { "http", "a@b", "", "host", "", "/p" } },
        { "colon before at is no port", "http://ann:pw@host/p", { "http", "ann", "pw", "host", "", "/p" } },
        { "path only", "/news.txt", { "http", "", "", "", "", "/news.txt" } },
        { "http colon without slashes", "HTTP:/x/y", { "http", "", "", "", "", "/x/y" } },
        { "no protocol", "host:8080", { "http", "", "", "host", "8080", "" } },
        { "query without path", "http://host?q=1", { "http", "", "", "host", "", "?q=1" } },
        { "protocol lower-cased", "FTP://host/f", { "ftp", "", "", "host", "", "/f" } },
        { "mailto", "mailto:ann@host", { "mailto", "ann", "", "host", "", "" } },
        { "scheme-like text in query", "host/p?u=http://x", { "http", "", "", "host", "", "/p?u=http://x" } },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const ParsedUrl got = ParseURL(row.url);
        EXPECT_EQ(got.Proto, row.expected.Proto);
        EXPECT_EQ(got.User, row.expected.User);
        EXPECT_EQ(got.Pass, row.expected.Pass);
        EXPECT_EQ(got.Host, row.expected.Host);
        EXPECT_EQ(got.Port, row.expected.Port);
        EXPECT_EQ(got.Path, row.expected.Path);
    }
}

struct TargetRow {
    const char* name;
    const char* url;
    bool ok;
    const char* originForm; // or the error text
    const char* proxyForm;
    const char* host;
};

TEST(HttpUrl, TargetsAndTheirRefusals)
{
    const TargetRow rows[] = {
        { "no path asks for /", "http://host", true, "/", "http://host/", "host" },
        { "port kept in host and proxy form", "http://h:8080/a", true, "/a", "http://h:8080/a", "h:8080" },
        { "port 80 is not written", "http://h:80/a", true, "/a", "http://h/a", "h" },
        { "credentials never in the proxy form", "http://ann:pw@h/a", true, "/a", "http://h/a", "h" },
        { "spaces and controls encoded", "http://h/a b\t\x7f\xc3\xa9", true, "/a%20b%09%7F%C3%A9",
            "http://h/a%20b%09%7F%C3%A9", "h" },
        { "fragment dropped", "http://h/p?q#frag", true, "/p?q", "http://h/p?q", "h" },
        { "query without path", "http://h?x", true, "/?x", "http://h/?x", "h" },
        { "https refused", "https://h/", false, "Unsupported protocol", "", "" },
        { "ftp refused", "ftp://h/", false, "Unsupported protocol", "", "" },
        { "mailto refused", "mailto:ann@h", false, "Unsupported protocol", "", "" },
        { "CR refused", "http://h/a\rX: y", false, "Invalid character in request", "", "" },
        { "LF refused", "http://h/a\nb", false, "Invalid character in request", "", "" },
        { "port 0 refused", "http://h:0/", false, "SetPort: Cannot convert port '0'", "", "" },
        { "port 65536 refused", "http://h:65536/", false, "SetPort: Cannot convert port '65536'", "", "" },
        { "huge port refused", "http://h:99999999999999999999/", false,
            "SetPort: Cannot convert port '99999999999999999999'", "", "" },
        { "space in the host refused", "hbhhost:u 40t\x1bt:", false, "can't resolve hostname to IP address",
            "", "" },
        { "control in the host refused", "http://h\x01x/", false, "can't resolve hostname to IP address", "",
            "" },
        { "junk port refused", "http://h:8o/", false, "SetPort: Cannot convert port '8o'", "", "" },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        HttpTarget target;
        std::string user, password, error;
        const bool ok = targetFromUrl(row.url, target, user, password, error);
        ASSERT_EQ(ok, row.ok) << error;
        if (!ok) {
            EXPECT_EQ(error, row.originForm);
            continue;
        }
        EXPECT_EQ(requestTarget(target, false), row.originForm);
        EXPECT_EQ(requestTarget(target, true), row.proxyForm);
        EXPECT_EQ(hostHeader(target), row.host);
    }
}

TEST(HttpUrl, UserAndPasswordComeBackApart)
{
    HttpTarget target;
    std::string user, password, error;
    ASSERT_TRUE(targetFromUrl("http://ann:pw@h:81/x", target, user, password, error));
    EXPECT_EQ(user, "ann");
    EXPECT_EQ(password, "pw");
    EXPECT_EQ(target.port, 81);
}

struct LocationRow {
    const char* name;
    const char* location;
    bool ok;
    const char* result; // host:port + path, or the error text
};

TEST(HttpUrl, LocationsResolveAgainstTheCurrentTarget)
{
    const HttpTarget current { "origin", 8080, "/dir/page.htm?x=1" };
    const LocationRow rows[] = {
        { "path keeps host and port", "/new", true, "origin:8080/new" },
        { "absolute without port means 80", "http://other/x", true, "other:80/x" },
        { "absolute with port", "http://other:81/x", true, "other:81/x" },
        { "network path", "//other/y", true, "other:80/y" },
        { "bare relative merges with the folder", "next.htm", true, "origin:8080/dir/next.htm" },
        { "dot segments removed", "../up/./a", true, "origin:8080/up/a" },
        { "query only", "?y=2", true, "origin:8080/dir/page.htm?y=2" },
        { "http: without slashes is relative", "http:other.htm", true, "origin:8080/dir/other.htm" },
        { "spaces encoded", "/a b", true, "origin:8080/a%20b" },
        { "upper-case scheme", "HTTP://Other/z", true, "Other:80/z" },
        { "https refused", "https://other/", false, "Unsupported protocol" },
        { "ftp refused", "ftp://other/", false, "Unsupported protocol" },
        { "line break refused", "/a\rSet-Cookie: x", false, "Invalid character in request" },
        { "bad port refused", "http://other:0/", false, "SetPort: Cannot convert port '0'" },
        { "no host refused", "http:///x", false, "can't resolve hostname to IP address" },
        { "space in the host refused", "http://a b/x", false, "can't resolve hostname to IP address" },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        HttpTarget next;
        std::string error;
        const bool ok = resolveLocation(current, row.location, next, error);
        ASSERT_EQ(ok, row.ok) << error;
        if (ok)
            EXPECT_EQ(next.host + ":" + std::to_string(next.port) + next.path, row.result);
        else
            EXPECT_EQ(error, row.result);
    }
}

TEST(HttpUrl, DocNamesAndBase64)
{
    const std::pair<const char*, const char*> names[] = {
        { "/", "document.htm" },
        { "/ov/news.txt", "news.txt" },
        { "/dir/", "dir" },
        { "/a/b.zip?x=/c", "b.zip" },
        { "/?q", "document.htm" },
        { "", "document.htm" },
    };
    for (const auto& [path, name] : names)
        EXPECT_EQ(docNameOf(path), name) << path;

    // RFC 4648, section 10.
    const std::pair<const char*, const char*> vectors[] = {
        { "", "" },
        { "f", "Zg==" },
        { "fo", "Zm8=" },
        { "foo", "Zm9v" },
        { "foob", "Zm9vYg==" },
        { "fooba", "Zm9vYmE=" },
        { "foobar", "Zm9vYmFy" },
        { "Aladdin:open sesame", "QWxhZGRpbjpvcGVuIHNlc2FtZQ==" },
    };
    for (const auto& [plain, encoded] : vectors)
        EXPECT_EQ(base64Encode(plain), encoded) << plain;
}

TEST(HttpUrl, PortsByNumberOrServiceName)
{
    uint16_t port = 0;
    std::string error;
    EXPECT_TRUE(parsePort("1", port, error));
    EXPECT_EQ(port, 1);
    EXPECT_TRUE(parsePort("65535", port, error));
    EXPECT_EQ(port, 65535);
    EXPECT_FALSE(parsePort("", port, error));
    EXPECT_EQ(error, "SetPort: Cannot convert port ''");
    EXPECT_FALSE(parsePort("no-such-service-here", port, error));
}

} // namespace
} // namespace ov
