// THttpClient against a scripted hostile server in this process. Every
// response case runs twice, delivered in one piece and one byte at a time,
// and must give the same events and the same body both ways.
#include "news/http_client.h"

#include "tests/news/servers.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <chrono>

namespace ov {
namespace {

using namespace ov::test;

struct Outcome {
    bool raised = false;
    int code = 0;
    int status = 0;
    std::string reason;
    std::string body;
    std::vector<std::string> events;
    bool lineTooLong = false;
};

// Runs one GET and records what the caller sees. Consecutive data blocks
// are recorded once: how the bytes were cut is not an event.
Outcome fetch(THttpClient& client)
{
    Outcome outcome;
    QBuffer stream;
    stream.open(QIODevice::WriteOnly);
    client.RcvdStream = &stream;
    auto log = [&outcome](const char* what) {
        if (outcome.events.empty() || outcome.events.back() != what || std::string(what) != "DocData")
            outcome.events.emplace_back(what);
    };
    client.OnHeaderData = [&](THttpClient* c) { log(("HeaderData " + c->RcvdHeader().back()).c_str()); };
    client.OnDocBegin = [&](THttpClient*) { log("DocBegin"); };
    client.OnDocData = [&](THttpClient*, const char*, int) { log("DocData"); };
    client.OnDocEnd = [&](THttpClient*) { log("DocEnd"); };
    client.OnLocationChange = [&](THttpClient* c) { log(("Location " + c->Location()).c_str()); };
    client.OnRequestDone = [&](THttpClient*, THttpRequest, uint16_t) { log("RequestDone"); };
    client.Socket().OnLineTooLong = [&](TCustomAsyncSocket*) { outcome.lineTooLong = true; };
    try {
        client.Get();
    } catch (const EHttpException& error) {
        outcome.raised = true;
        outcome.code = error.ErrorCode;
        EXPECT_EQ(error.what(), client.ReasonPhrase());
    }
    outcome.status = client.StatusCode();
    outcome.reason = client.ReasonPhrase();
    outcome.body = stream.data().toStdString();
    client.RcvdStream = nullptr;
    EXPECT_EQ(client.State(), THttpState::Ready);
    return outcome;
}

struct ResponseCase {
    const char* name;
    std::vector<Step> script;
    bool raised;
    int status;
    const char* reason;
    std::string body;
};

std::string manyHeaderLines()
{
    std::string text = "HTTP/1.0 200 OK\r\n";
    while (text.size() < 70 * 1024)
        text += "X-Filler: 0123456789012345678901234567890123456789\r\n";
    return text + "\r\nbody";
}

const std::vector<ResponseCase>& responseCases()
{
    static const std::vector<ResponseCase> cases = {
        { "length-delimited body", { bytes("HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhello") }, false, 200,
            "OK", "hello" },
        { "body ends at close", { bytes("HTTP/1.0 200 OK\r\n\r\nuntil the end"), closeConnection() }, false,
            200, "OK", "until the end" },
        { "bare LF line ends", { bytes("HTTP/1.1 200 Fine\nContent-Type: a/b\n\nxy") }, false, 200, "Fine",
            "xy" },
        { "status line without reason", { bytes("HTTP/1.0 200\r\n\r\nz") }, false, 200, "", "z" },
        { "bytes past Content-Length dropped",
            { bytes("HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\nabcdef") }, false, 200, "OK", "abc" },
        { "empty body by Content-Length 0",
            { bytes("HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n"), silence() }, false, 200, "OK", "" },
        { "204 needs no body", { bytes("HTTP/1.0 204 No Content\r\nContent-Length: 10\r\n\r\n"), silence() },
            false, 204, "No Content", "" },
        { "304 needs no body", { bytes("HTTP/1.0 304 Not Modified\r\nContent-Length: 10\r\n\r\n") }, false,
            304, "Not Modified", "" },
        { "server error with its reason", { bytes("HTTP/1.0 404 Not Found\r\nContent-Length: 3\r\n\r\nabc") },
            true, 404, "Not Found", "" },
        { "chunked body decoded",
            { bytes("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5;x=y\r\nhello\r\n6\r\n "
                    "world\r\n0\r\nT: v\r\n\r\n"),
                silence() },
            false, 200, "OK", "hello world" },
        { "chunks override Content-Length",
            { bytes("HTTP/1.1 200 OK\r\nContent-Length: 3\r\nTransfer-Encoding: "
                    "chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n") },
            false, 200, "OK", "hello" },
        { "chunk sizes with leading zeros",
            { bytes("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n0000000000000000005\r\nhello\r\n"
                    "0000000000000000000\r\n\r\n"),
                silence() },
            false, 200, "OK", "hello" },
        { "close where the CRLF after the last chunk belongs",
            { bytes("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n"),
                closeConnection() },
            false, 200, "OK", "hello" },
        { "close inside the trailer",
            { bytes("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nhi\r\n0\r\nX-Sum: 1"),
                closeConnection() },
            false, 200, "OK", "hi" },
        { "100 Continue before the answer",
            { bytes("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nbody") }, false,
            200, "OK", "body" },
        { "interim answers with fields",
            { bytes("HTTP/1.1 102 Processing\r\nX: 1\r\n\r\nHTTP/1.1 103 Hints\r\nLink: </a>\r\n\r\n"
                    "HTTP/1.1 404 Gone\r\n\r\n") },
            true, 404, "Gone", "" },
        { "chunked body corrupt", { bytes("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n") },
            true, 404, "Invalid chunked encoding", "" },
        { "chunked body cut short",
            { bytes("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhel") }, true, 404,
            "Incomplete document", "hel" },
        { "body shorter than Content-Length", { bytes("HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nhello") },
            true, 404, "Incomplete document", "hello" },
        { "closed before end of header", { bytes("HTTP/1.0 200 OK\r\nContent-Le") }, true, 404,
            "Connection closed before end of header", "" },
        { "closed before any byte", { closeConnection() }, true, 404,
            "Connection closed before end of header", "" },
        { "broken protocol name", { bytes("HTTX/1.0 200 OK\r\n\r\nbody") }, true, 404, "Invalid status line",
            "" },
        { "no space before the code", { bytes("HTTP/1.0200 OK\r\n\r\nbody") }, true, 404,
            "Invalid status line", "" },
        { "two-digit code", { bytes("HTTP/1.0 20 OK\r\n\r\nbody") }, true, 404, "Invalid status line", "" },
        { "HTTP/2 status line", { bytes("HTTP/2.0 200 OK\r\n\r\nbody") }, true, 404, "Invalid status line",
            "" },
        { "no status line at all", { bytes("<html>hello</html>\r\n") }, true, 404, "Invalid status line",
            "" },
        { "negative Content-Length", { bytes("HTTP/1.0 200 OK\r\nContent-Length: -5\r\n\r\nabc") }, true, 404,
            "Invalid Content-Length", "" },
        { "conflicting Content-Length",
            { bytes("HTTP/1.0 200 OK\r\nContent-Length: 3\r\nContent-Length: 4\r\n\r\nabcd") }, true, 404,
            "Invalid Content-Length", "" },
        { "huge header line",
            { bytes("HTTP/1.0 200 OK\r\nX-Long: " + std::string(9000, 'a') + "\r\n\r\nbody") }, true, 404,
            "Header line too long", "" },
        { "endless header", { bytes(manyHeaderLines()) }, true, 404, "Header too long", "" },
        { "Location on 300 ignored", { bytes("HTTP/1.0 300 Choices\r\nLocation: /elsewhere\r\n\r\nlist") },
            false, 300, "Choices", "list" },
        { "empty Location ignored", { bytes("HTTP/1.0 302 Found\r\nLocation:  \r\n\r\nstay") }, false, 302,
            "Found", "stay" },
        { "reset in the body", { bytes("HTTP/1.0 200 OK\r\n\r\npartial"), delay(50), resetConnection() },
            true, 404, "Connection reset by peer (Error #10054)", "partial" },
        { "reset before the header", { resetConnection() }, true, 404,
            "Connection reset by peer (Error #10054)", "" },
    };
    return cases;
}

class HttpClientResponses : public ::testing::Test {
protected:
    void SetUp() override { ensureApplication(); }
};

TEST_F(HttpClientResponses, SameOutcomeInOnePieceAndByteAtATime)
{
    for (const auto& row : responseCases()) {
        SCOPED_TRACE(row.name);
        Outcome outcomes[2];
        for (const Delivery delivery : { Delivery::OnePiece, Delivery::ByteAtATime }) {
            HostileServer server({ row.script }, delivery);
            THttpClient client;
            client.URL = "http://127.0.0.1:" + std::to_string(server.port()) + "/doc";
            Outcome& outcome = outcomes[delivery == Delivery::OnePiece ? 0 : 1];
            outcome = fetch(client);
            EXPECT_EQ(outcome.raised, row.raised);
            EXPECT_EQ(outcome.status, row.status);
            EXPECT_EQ(outcome.reason, row.reason);
            if (row.raised) {
                EXPECT_EQ(outcome.code, row.status);
            }
            if (row.reason == std::string("Invalid status line"))
                EXPECT_TRUE(outcome.body.empty());
            else
                EXPECT_EQ(outcome.body, row.body);
        }
        EXPECT_EQ(outcomes[0].events, outcomes[1].events);
        EXPECT_EQ(outcomes[0].lineTooLong, outcomes[1].lineTooLong);
    }
}

TEST_F(HttpClientResponses, HeaderFieldsAndEvents)
{
    HostileServer server({ { bytes("HTTP/1.0 200 OK\r\nContent-Type:\t text/plain  \r\nContent-Length: 2\r\n"
                                   "WWW-Authenticate: Basic realm=\"x\"\r\nno colon here\r\n\r\nab") } });
    THttpClient client;
    client.URL = "http://127.0.0.1:" + std::to_string(server.port()) + "/dir/file.exe?x";
    const Outcome outcome = fetch(client);
    EXPECT_FALSE(outcome.raised);
    EXPECT_EQ(client.ContentType(), "text/plain");
    EXPECT_EQ(client.ContentLength(), 2);
    EXPECT_EQ(client.RcvdCount(), 2);
    EXPECT_EQ(client.DocName(), "file.exe");
    ASSERT_EQ(client.WWWAuthenticate().size(), 1u);
    EXPECT_EQ(client.WWWAuthenticate()[0], "Basic realm=\"x\"");
    EXPECT_EQ(client.RcvdHeader().size(), 5u);
    const std::vector<std::string> expected = {
        "HeaderData HTTP/1.0 200 OK",
        "HeaderData Content-Type:\t text/plain  ",
        "HeaderData Content-Length: 2",
        "HeaderData WWW-Authenticate: Basic realm=\"x\"",
        "HeaderData no colon here",
        "DocBegin",
        "DocData",
        "DocEnd",
        "RequestDone",
    };
    EXPECT_EQ(outcome.events, expected);
}

TEST_F(HttpClientResponses, ExeServedAsHtmlIsNamedHtm)
{
    HostileServer server({ { bytes("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<p>") } });
    THttpClient client;
    client.URL = "http://127.0.0.1:" + std::to_string(server.port()) + "/setup.exe";
    fetch(client);
    EXPECT_EQ(client.DocName(), "setup.htm");
}

std::string origin(const HostileServer& server)
{
    return "127.0.0.1:" + std::to_string(server.port());
}

TEST_F(HttpClientResponses, RequestTextCarriesEveryField)
{
    HostileServer server({ { bytes("HTTP/1.0 200 OK\r\n\r\n") } });
    THttpClient client;
    client.URL = "http://ann:pw@" + origin(server) + "/a b";
    client.Sender = "me@example.org";
    client.Reference = "http://ref/";
    client.Agent = "Orvanta";
    client.NoCache = true;
    client.ModifiedSince = 36526.5; // 1 January 2000, noon
    client.Cookie = "k=v";
    std::vector<std::string> commands;
    client.OnCommand = [&](THttpClient*, const std::string& line) { commands.push_back(line); };
    fetch(client);
    const std::string expected = "GET /a%20b HTTP/1.0\r\nFrom: me@example.org\r\nReferer: http://ref/\r\n"
                                 "User-Agent: Orvanta\r\nHost: "
        + origin(server)
        + "\r\nPragma: no-cache\r\nIf-Modified-Since: Sat, 01 Jan 2000 12:00:00 GMT\r\n"
          "Authorization: Basic YW5uOnB3\r\nCookie: k=v\r\n\r\n";
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0], expected);
    EXPECT_EQ(commands.size(), 10u);
    EXPECT_EQ(client.Username, "ann");
}

TEST_F(HttpClientResponses, LineBreakInAFieldIsRefusedBeforeConnecting)
{
    HostileServer server({ { bytes("HTTP/1.0 200 OK\r\n\r\n") } });
    for (std::string THttpClient::*field : { &THttpClient::Agent, &THttpClient::Cookie, &THttpClient::Sender,
             &THttpClient::Username, &THttpClient::ProxyPassword }) {
        THttpClient client;
        client.URL = "http://" + origin(server) + "/";
        client.*field = "x\r\nInjected: 1";
        const Outcome outcome = fetch(client);
        EXPECT_TRUE(outcome.raised);
        EXPECT_EQ(outcome.reason, "Invalid character in request");
    }
    EXPECT_EQ(server.connections(), 0);
}

TEST_F(HttpClientResponses, PostSendsTheStreamAfterTheHeader)
{
    HostileServer server({ { bytes("HTTP/1.0 200 OK\r\n\r\ndone") } });
    THttpClient client;
    client.URL = "http://" + origin(server) + "/cgi";
    QBuffer data;
    data.setData(QByteArray(20000, 'p'));
    data.open(QIODevice::ReadOnly);
    client.SendStream = &data;
    int pieces = 0;
    bool ended = false;
    client.OnSendData = [&](THttpClient*, const char*, int length) {
        EXPECT_LE(length, 8192);
        ++pieces;
    };
    client.OnSendEnd = [&](THttpClient*) { ended = true; };
    client.Post();
    ASSERT_EQ(server.requests().size(), 1u);
    const std::string request = server.requests()[0];
    EXPECT_TRUE(
        request.starts_with("POST /cgi HTTP/1.0\r\nContent-Type: application/x-www-form-urlencoded\r\n"));
    EXPECT_NE(request.find("Content-Length: 20000\r\n"), std::string::npos);
    EXPECT_TRUE(request.ends_with("\r\n\r\n" + std::string(20000, 'p')));
    EXPECT_EQ(pieces, 3);
    EXPECT_TRUE(ended);
    EXPECT_EQ(client.SentCount(), 20000);

    THttpClient empty;
    empty.URL = client.URL;
    try {
        empty.Post();
        FAIL() << "no exception";
    } catch (const EHttpException& error) {
        EXPECT_STREQ(error.what(), "HTTP component has nothing to post");
        EXPECT_EQ(error.ErrorCode, 2);
    }
}

TEST_F(HttpClientResponses, ProxyGetsTheAbsoluteFormWithoutCredentials)
{
    HostileServer proxy({ { bytes("HTTP/1.0 200 OK\r\n\r\nvia proxy") } });
    THttpClient client;
    client.URL = "http://ann:pw@origin.invalid:8081/p?q";
    client.Proxy = "127.0.0.1";
    client.ProxyPort = std::to_string(proxy.port());
    client.ProxyUsername = "pu";
    client.ProxyPassword = "pp";
    const Outcome outcome = fetch(client);
    EXPECT_EQ(outcome.body, "via proxy");
    ASSERT_EQ(proxy.requests().size(), 1u);
    const std::string request = proxy.requests()[0];
    EXPECT_TRUE(request.starts_with("GET http://origin.invalid:8081/p?q HTTP/1.0\r\n")) << request;
    EXPECT_NE(request.find("Host: origin.invalid:8081\r\n"), std::string::npos);
    EXPECT_NE(request.find("Proxy-Authorization: Basic cHU6cHA=\r\n"), std::string::npos);

    // A proxy text with its own port wins over ProxyPort.
    THttpClient second;
    second.URL = "http://origin.invalid/";
    second.Proxy = "127.0.0.1:" + std::to_string(proxy.port());
    second.ProxyPort = "1";
    EXPECT_EQ(fetch(second).body, "via proxy");
}

TEST_F(HttpClientResponses, RelocationsFollowedAndReset)
{
    HostileServer other({ { bytes("HTTP/1.0 200 OK\r\n\r\nother") } });
    HostileServer server({
        { bytes(
            "HTTP/1.0 301 Moved\r\nContent-Type: text/old\r\nContent-Length: 99\r\nLocation: /new\r\n\r\n") },
        { bytes("HTTP/1.0 302 Found\r\nLocation: next\r\n\r\n") },
        { bytes("HTTP/1.0 307 Temporary\r\nLocation: http://127.0.0.1:" + std::to_string(other.port())
            + "/x\r\n\r\n") },
    });
    THttpClient client;
    client.URL = "http://ann:pw@" + origin(server) + "/dir/old";
    client.Cookie = "c=1";
    const Outcome outcome = fetch(client);
    EXPECT_FALSE(outcome.raised) << outcome.reason;
    EXPECT_EQ(outcome.body, "other");
    EXPECT_EQ(client.ContentType(), "");
    EXPECT_EQ(client.ContentLength(), -1);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_TRUE(requests[1].starts_with("GET /new HTTP/1.0\r\n"));
    EXPECT_TRUE(requests[2].starts_with("GET /next HTTP/1.0\r\n"));
    EXPECT_NE(requests[2].find("Authorization: Basic"), std::string::npos);
    // Another port: the credentials stay behind.
    ASSERT_EQ(other.requests().size(), 1u);
    EXPECT_EQ(other.requests()[0].find("Authorization"), std::string::npos);
    EXPECT_EQ(other.requests()[0].find("Cookie"), std::string::npos);
    EXPECT_EQ(std::count(
                  outcome.events.begin(), outcome.events.end(), "Location http://" + origin(server) + "/new"),
        1);
}

TEST_F(HttpClientResponses, PathOnlyLocationThroughAProxyKeepsThePort)
{
    HostileServer proxy(
        { { bytes("HTTP/1.0 302 Found\r\nLocation: /b\r\n\r\n") }, { bytes("HTTP/1.0 200 OK\r\n\r\nb") } });
    THttpClient client;
    client.URL = "http://origin.invalid:8081/a";
    client.Proxy = "127.0.0.1:" + std::to_string(proxy.port());
    EXPECT_EQ(fetch(client).body, "b");
    ASSERT_EQ(proxy.requests().size(), 2u);
    EXPECT_TRUE(proxy.requests()[1].starts_with("GET http://origin.invalid:8081/b HTTP/1.0\r\n"));
}

TEST_F(HttpClientResponses, RelocationLoopStopsAfterTwenty)
{
    HostileServer server({ { bytes("HTTP/1.0 302 Found\r\nLocation: /again\r\n\r\n") } });
    THttpClient client;
    client.URL = "http://" + origin(server) + "/";
    const Outcome outcome = fetch(client);
    EXPECT_TRUE(outcome.raised);
    EXPECT_EQ(outcome.reason, "Too many relocations");
    EXPECT_EQ(outcome.code, 302);
    EXPECT_EQ(server.connections(), 21);
}

TEST_F(HttpClientResponses, HostileLocationsAreRefused)
{
    const std::pair<const char*, const char*> rows[] = {
        { "https://127.0.0.1/", "Unsupported protocol" },
        { "ftp://127.0.0.1/", "Unsupported protocol" },
        { "/a\rInjected: 1", "Invalid character in request" },
        { "http://127.0.0.1:0/", "SetPort: Cannot convert port '0'" },
    };
    for (const auto& [location, reason] : rows) {
        HostileServer server(
            { { bytes(std::string("HTTP/1.0 302 Found\r\nLocation: ") + location + "\r\n\r\n") } });
        THttpClient client;
        client.URL = "http://" + origin(server) + "/";
        const Outcome outcome = fetch(client);
        EXPECT_TRUE(outcome.raised);
        EXPECT_EQ(outcome.reason, reason);
        EXPECT_EQ(server.connections(), 1);
    }
}

TEST_F(HttpClientResponses, SilentServerTimesOut)
{
    HostileServer server({ { bytes("HTTP/1.0 200 OK\r\n"), silence() } });
    THttpClient client;
    client.IdleTimeout = 300;
    client.URL = "http://" + origin(server) + "/";
    const Outcome outcome = fetch(client);
    EXPECT_TRUE(outcome.raised);
    EXPECT_EQ(outcome.reason, "Connection timed out (Error #10060)");
}

TEST_F(HttpClientResponses, ConnectionRefused)
{
    THttpClient client;
    client.URL = "http://127.0.0.1:" + std::to_string(freePort()) + "/";
    const Outcome outcome = fetch(client);
    EXPECT_TRUE(outcome.raised);
    EXPECT_EQ(outcome.code, 404);
    EXPECT_EQ(outcome.reason, "Connection refused (Error #10061)");
}

TEST_F(HttpClientResponses, AbortDuringTheLookupSendsNothing)
{
    HostileServer server({ { bytes("HTTP/1.0 200 OK\r\n\r\n") } });
    THttpClient client;
    client.URL = "http://localhost:" + std::to_string(server.port()) + "/";
    uint16_t doneError = 0;
    client.OnRequestDone = [&](THttpClient*, THttpRequest, uint16_t error) { doneError = error; };
    client.Start(THttpRequest::Get);
    EXPECT_EQ(client.State(), THttpState::DnsLookup);
    try {
        client.Get();
        FAIL() << "a running client took a second request";
    } catch (const EHttpException& error) {
        EXPECT_STREQ(error.what(), "HTTP component is busy");
        EXPECT_EQ(error.ErrorCode, 1);
    }
    client.Abort();
    EXPECT_EQ(client.State(), THttpState::Ready);
    EXPECT_EQ(client.ReasonPhrase(), "Connection aborted on request");
    EXPECT_EQ(client.StatusCode(), 404);
    // The late lookup result and the done notice arrive; nothing connects.
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(doneError, 3);
    EXPECT_EQ(server.connections(), 0);
}

TEST_F(HttpClientResponses, AbortWhileWaitingForTheBody)
{
    HostileServer server({ { bytes("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nsome"), silence() } });
    THttpClient client;
    client.URL = "http://" + origin(server) + "/";
    client.OnDocData = [&](THttpClient* c, const char*, int) { c->Abort(); };
    try {
        client.Get();
        FAIL() << "no exception";
    } catch (const EHttpException& error) {
        EXPECT_STREQ(error.what(), "Connection aborted on request");
        EXPECT_EQ(error.ErrorCode, 404);
    }
}

TEST_F(HttpClientResponses, PermanentAndTemporaryRelocationsKeepThePost)
{
    // 307 and 308 keep the method and send the same data again.
    HostileServer server({
        { bytes("HTTP/1.1 308 Permanent Redirect\r\nLocation: /second\r\nContent-Length: 0\r\n\r\n") },
        { bytes("HTTP/1.1 307 Temporary Redirect\r\nLocation: /third\r\n\r\n") },
        { bytes("HTTP/1.0 200 OK\r\n\r\nposted") },
    });
    THttpClient client;
    client.URL = "http://" + origin(server) + "/first";
    QBuffer data;
    data.setData(QByteArray("name=value"));
    data.open(QIODevice::ReadOnly);
    client.SendStream = &data;
    QBuffer reply;
    reply.open(QIODevice::WriteOnly);
    client.RcvdStream = &reply;
    client.Post();
    EXPECT_EQ(reply.data().toStdString(), "posted");
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    for (size_t i = 0; i < requests.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(requests[i].starts_with(std::string("POST /")
            + (i == 0        ? "first"
                    : i == 1 ? "second"
                             : "third")))
            << requests[i];
        EXPECT_TRUE(requests[i].ends_with("Content-Length: 10\r\n\r\nname=value")) << requests[i];
    }
}

struct SlowCase {
    const char* name;
    std::vector<Step> script;
    bool timesOut;
    std::string body;
};

// A server that keeps sending, but too slowly, is cut off by the head's or
// the body's clock; one that keeps its pace is not. The clocks are scaled
// down from a minute to 0.8 s; the idle timer stays at its minute.
TEST_F(HttpClientResponses, TricklingServersTimeOut)
{
    const std::string slowHead = "X-Slow: " + std::string(60, 'a') + "\r\n\r\n";
    const std::vector<SlowCase> rows = {
        { "head one byte per 50 ms", { bytes("HTTP/1.0 200 OK\r\n"), trickle(slowHead, 50) }, true, "" },
        { "status line one byte per 50 ms", { trickle("HTTP/1.0 200 OK\r\n\r\nbody", 50) }, true, "" },
        { "body one byte per 50 ms",
            { bytes("HTTP/1.0 200 OK\r\nContent-Length: 60\r\n\r\n"), trickle(std::string(60, 'b'), 50) },
            true, "" },
        { "chunked body one byte per 50 ms",
            { bytes("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"),
                trickle("3c\r\n" + std::string(60, 'b') + "\r\n0\r\n\r\n", 50) },
            true, "" },
        { "body in time after a slow start",
            { bytes("HTTP/1.0 200 OK\r\nContent-Length: 800\r\n\r\n"), delay(300),
                bytes(std::string(100, 'c')), delay(100), bytes(std::string(100, 'c')), delay(100),
                bytes(std::string(100, 'c')), delay(100), bytes(std::string(100, 'c')), delay(100),
                bytes(std::string(400, 'c')) },
            false, std::string(800, 'c') },
        { "head in time", { trickle("HTTP/1.0 200 OK\r\n", 20), bytes("\r\nquick") }, false, "quick" },
    };
    for (const SlowCase& row : rows) {
        SCOPED_TRACE(row.name);
        HostileServer server({ row.script });
        THttpClient client;
        client.URL = "http://" + origin(server) + "/";
        client.HeadTimeout = 800;
        client.BodyWindow = 800;
        const auto start = std::chrono::steady_clock::now();
        const Outcome outcome = fetch(client);
        const auto took
            = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
                  .count();
        if (row.timesOut) {
            EXPECT_TRUE(outcome.raised);
            EXPECT_EQ(outcome.reason, "Connection timed out (Error #10060)");
            EXPECT_GE(took, 750);
            EXPECT_LT(took, 2500);
        } else {
            EXPECT_FALSE(outcome.raised) << outcome.reason;
            EXPECT_EQ(outcome.body, row.body);
        }
    }
}

TEST_F(HttpClientResponses, CredentialsInTheProxyText)
{
    HostileServer proxy({ { bytes("HTTP/1.0 200 OK\r\n\r\nvia proxy") } });
    THttpClient client;
    client.URL = "http://origin.invalid/p";
    client.Proxy = "pu:pp@127.0.0.1:" + std::to_string(proxy.port());
    EXPECT_EQ(fetch(client).body, "via proxy");
    ASSERT_EQ(proxy.requests().size(), 1u);
    const std::string request = proxy.requests()[0];
    EXPECT_TRUE(request.starts_with("GET http://origin.invalid/p HTTP/1.0\r\n")) << request;
    EXPECT_NE(request.find("Proxy-Authorization: Basic cHU6cHA=\r\n"), std::string::npos) << request;
    EXPECT_EQ(request.find("pu:pp"), std::string::npos) << request;
}

TEST_F(HttpClientResponses, SixtyFourBitCounts)
{
    // A length past 4 GiB is kept whole; the short body is reported as such.
    HostileServer server({ { bytes("HTTP/1.0 200 OK\r\nContent-Length: 5000000000\r\n\r\nabc") } });
    THttpClient client;
    client.URL = "http://" + origin(server) + "/";
    const Outcome outcome = fetch(client);
    EXPECT_EQ(client.ContentLength(), 5000000000LL);
    EXPECT_EQ(outcome.reason, "Incomplete document");
}

} // namespace
} // namespace ov
