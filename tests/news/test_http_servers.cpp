// THttpClient against real servers nobody here wrote, started on loopback
// on free ports: busybox httpd, nginx, python3's http.server and tinyproxy.
#include "news/http_client.h"
#include "news/replacing_file.h"

#include "tests/news/servers.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

namespace ov {
namespace {

using namespace ov::test;

struct Result {
    bool ok = true;
    int status = 0;
    std::string reason;
    std::string body;
};

Result get(const std::string& url, const std::string& proxy = {}, const std::string& user = {})
{
    THttpClient client;
    client.URL = url;
    client.IdleTimeout = 20000;
    if (!proxy.empty())
        client.Proxy = proxy;
    if (!user.empty()) {
        client.Username = user.substr(0, user.find(':'));
        client.Password = user.substr(user.find(':') + 1);
    }
    QBuffer stream;
    stream.open(QIODevice::WriteOnly);
    client.RcvdStream = &stream;
    Result result;
    try {
        client.Get();
    } catch (const EHttpException&) {
        result.ok = false;
    }
    result.status = client.StatusCode();
    result.reason = client.ReasonPhrase();
    result.body = stream.data().toStdString();
    return result;
}

std::string local(uint16_t port, const std::string& path)
{
    return "http://127.0.0.1:" + std::to_string(port) + path;
}

// A body that shows any lost, repeated or reordered byte.
std::string pattern(size_t size)
{
    std::string text(size, '\0');
    uint32_t state = 12345;
    for (char& c : text) {
        state = state * 1103515245 + 12345;
        c = static_cast<char>(state >> 16);
    }
    return text;
}

class RealServers : public ::testing::Test {
protected:
    void SetUp() override { ensureApplication(); }
    TempDir dir;
};

TEST_F(RealServers, BusyboxHttpd)
{
    OV_REQUIRE_PROGRAM(busybox, "busybox");
    ::mkdir((dir.path() + "/www").c_str(), 0755);
    ::mkdir((dir.path() + "/www/dir").c_str(), 0755);
    ::mkdir((dir.path() + "/www/secret").c_str(), 0755);
    ::mkdir((dir.path() + "/www/cgi-bin").c_str(), 0755);
    dir.file("www/news.txt", "line one\r\nline two");
    dir.file("www/dir/index.html", "inside");
    dir.file("www/secret/index.html", "hidden");
    const std::string cgi = dir.file("www/cgi-bin/echo",
        "#!/bin/sh\necho \"Content-Type: text/plain\"\necho\n"
        "head -c \"$CONTENT_LENGTH\"\n");
    ::chmod(cgi.c_str(), 0755);
    const std::string conf = dir.file("httpd.conf", "/secret:ann:pw\n");
    const uint16_t port = freePort();
    ServerProcess server({ busybox, "httpd", "-f", "-p", "127.0.0.1:" + std::to_string(port), "-h",
                             dir.path() + "/www", "-c", conf },
        port);
    ASSERT_TRUE(server.ready());

    const Result news = get(local(port, "/news.txt"));
    EXPECT_TRUE(news.ok) << news.reason;
    EXPECT_EQ(news.body, "line one\r\nline two");

    const Result missing = get(local(port, "/nothing.txt"));
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.status, 404);

    const Result folder = get(local(port, "/dir"));
    EXPECT_TRUE(folder.ok) << folder.reason;
    EXPECT_EQ(folder.body, "inside");

    EXPECT_EQ(get(local(port, "/secret/")).status, 401);
    EXPECT_EQ(get(local(port, "/secret/"), {}, "ann:wrong").status, 401);
    EXPECT_EQ(get(local(port, "/secret/"), {}, "ann:pw").body, "hidden");
    EXPECT_EQ(get("http://ann:pw@127.0.0.1:" + std::to_string(port) + "/secret/").body, "hidden");

    THttpClient poster;
    poster.URL = local(port, "/cgi-bin/echo");
    QBuffer data;
    data.setData(QByteArray::fromStdString(pattern(30000)));
    data.open(QIODevice::ReadOnly);
    QBuffer reply;
    reply.open(QIODevice::WriteOnly);
    poster.SendStream = &data;
    poster.RcvdStream = &reply;
    poster.Post();
    EXPECT_EQ(reply.data().toStdString(), pattern(30000));
}

TEST_F(RealServers, Nginx)
{
    OV_REQUIRE_PROGRAM(nginx, "nginx");
    const std::string d = dir.path();
    ::mkdir((d + "/www").c_str(), 0755);
    ::mkdir((d + "/www/private").c_str(), 0755);
    ::mkdir((d + "/www2").c_str(), 0755);
    ::mkdir((d + "/tmp").c_str(), 0755);
    const std::string big = pattern(24 * 1024 * 1024 + 17);
    dir.file("www/big.bin", big);
    dir.file("www/target.txt", "target");
    dir.file("www/private/p.txt", "private");
    dir.file("www2/other.txt", "other port");
    dir.file("htpasswd", "ann:{PLAIN}pw\n");
    const uint16_t port = freePort();
    const uint16_t port2 = freePort();
    const std::string p = std::to_string(port);
    const std::string p2 = std::to_string(port2);
    const std::string conf = dir.file("nginx.conf",
        "daemon off; master_process off; worker_processes 1;\n"
        "error_log "
            + d + "/error.log; pid " + d
            + "/nginx.pid;\n"
              "events { worker_connections 64; }\n"
              "http { access_log off; sendfile on; default_type application/octet-stream;\n"
              "  client_body_temp_path "
            + d + "/tmp; proxy_temp_path " + d + "/tmp; fastcgi_temp_path " + d
            + "/tmp;\n"
              "  uwsgi_temp_path "
            + d + "/tmp; scgi_temp_path " + d
            + "/tmp;\n"
              "  server { listen 127.0.0.1:"
            + p + "; root " + d
            + "/www;\n"
              "    location = /moved { return 301 /target.txt; }\n"
              "    location = /found { absolute_redirect off; return 302 target.txt; }\n"
              "    location = /away { return 302 http://127.0.0.1:"
            + p2
            + "/other.txt; }\n"
              "    location = /loop { return 302 /loop; }\n"
              "    location /private/ { auth_basic \"area\"; auth_basic_user_file "
            + d
            + "/htpasswd; }\n"
              "  }\n"
              "  server { listen 127.0.0.1:"
            + p2 + "; root " + d
            + "/www2; }\n"
              "}\n");
    ServerProcess server({ nginx, "-p", d, "-c", conf }, port);
    ASSERT_TRUE(server.ready());

    EXPECT_EQ(get(local(port, "/moved")).body, "target");
    EXPECT_EQ(get(local(port, "/found")).body, "target");
    EXPECT_EQ(get(local(port, "/away")).body, "other port");
    const Result loop = get(local(port, "/loop"));
    EXPECT_FALSE(loop.ok);
    EXPECT_EQ(loop.reason, "Too many relocations");
    EXPECT_EQ(loop.status, 302);
    EXPECT_EQ(get(local(port, "/private/p.txt")).status, 401);
    EXPECT_EQ(get(local(port, "/private/p.txt"), {}, "ann:pw").body, "private");

    // A large sendfile reply, through the file that replaces its target.
    const std::string target = dir.file("download.bin", "the user's old file");
    {
        THttpClient client;
        client.URL = local(port, "/big.bin");
        ReplacingFile file(target);
        ASSERT_TRUE(file.create());
        client.RcvdStream = &file;
        client.Get();
        EXPECT_EQ(client.RcvdCount(), static_cast<int64_t>(big.size()));
        ASSERT_TRUE(file.commit());
    }
    std::ifstream in(target, std::ios::binary);
    const std::string got((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(got == big);

    // A failed download leaves the old file and no temporary beside it.
    {
        THttpClient client;
        client.URL = local(port, "/missing.bin");
        ReplacingFile file(target);
        ASSERT_TRUE(file.create());
        client.RcvdStream = &file;
        EXPECT_THROW(client.Get(), EHttpException);
    }
    std::ifstream again(target, std::ios::binary);
    const std::string kept((std::istreambuf_iterator<char>(again)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(kept == big);
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(d))
        entries += entry.path().filename().string().starts_with("download.bin")
            || entry.path().filename().string().starts_with(".ov-");
    EXPECT_EQ(entries, 1);
}

TEST_F(RealServers, PythonHttpServer)
{
    OV_REQUIRE_PROGRAM(python, "python3");
    dir.file("news.txt", "from python");
    const uint16_t port = freePort();
    ServerProcess server({ python, "-m", "http.server", "--bind", "127.0.0.1", std::to_string(port),
                             "--directory", dir.path() },
        port);
    ASSERT_TRUE(server.ready());
    const Result news = get(local(port, "/news.txt"));
    EXPECT_TRUE(news.ok);
    EXPECT_EQ(news.body, "from python");
    const Result missing = get(local(port, "/none.txt"));
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.status, 404);
    EXPECT_EQ(missing.reason, "File not found");
}

TEST_F(RealServers, Tinyproxy)
{
    OV_REQUIRE_PROGRAM(tinyproxy, "tinyproxy");
    OV_REQUIRE_PROGRAM(python, "python3");
    dir.file("news.txt", "through the proxy");
    const uint16_t origin = freePort();
    ServerProcess server({ python, "-m", "http.server", "--bind", "127.0.0.1", std::to_string(origin),
                             "--directory", dir.path() },
        origin);
    ASSERT_TRUE(server.ready());

    const uint16_t open = freePort();
    const uint16_t guarded = freePort();
    const std::string common
        = "Listen 127.0.0.1\nTimeout 30\nAllow 127.0.0.1\nMaxClients 20\nLogLevel Critical\n";
    const std::string openConf = dir.file("open.conf", "Port " + std::to_string(open) + "\n" + common);
    const std::string guardedConf
        = dir.file("guarded.conf", "Port " + std::to_string(guarded) + "\n" + common + "BasicAuth pu pp\n");
    ServerProcess proxy({ tinyproxy, "-d", "-c", openConf }, open);
    ServerProcess authProxy({ tinyproxy, "-d", "-c", guardedConf }, guarded);
    ASSERT_TRUE(proxy.ready());
    ASSERT_TRUE(authProxy.ready());

    const std::string proxyText = "127.0.0.1:" + std::to_string(open);
    EXPECT_EQ(get(local(origin, "/news.txt"), proxyText).body, "through the proxy");
    const Result missing = get(local(origin, "/none.txt"), proxyText);
    EXPECT_EQ(missing.status, 404);

    const Result refused = get(local(freePort(), "/"), proxyText);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.status, 500);
    EXPECT_EQ(refused.reason, "Unable to connect");

    const std::string guardedText = "127.0.0.1:" + std::to_string(guarded);
    EXPECT_EQ(get(local(origin, "/news.txt"), guardedText).status, 407);
    // Credentials written into the proxy text, as the proxy field takes them.
    EXPECT_EQ(get(local(origin, "/news.txt"), "pu:pp@" + guardedText).body, "through the proxy");
    EXPECT_FALSE(get(local(origin, "/news.txt"), "pu:wrong@" + guardedText).ok);
    THttpClient client;
    client.URL = local(origin, "/news.txt");
    client.Proxy = guardedText;
    client.ProxyUsername = "pu";
    client.ProxyPassword = "pp";
    QBuffer stream;
    stream.open(QIODevice::WriteOnly);
    client.RcvdStream = &stream;
    client.Get();
    EXPECT_EQ(stream.data().toStdString(), "through the proxy");
}

} // namespace
} // namespace ov
