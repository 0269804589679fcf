// THttpClient: an HTTP/1.0 client on TAsyncSocket, one request at a time.
//
// A small state machine driven by the socket's events: name lookup, connect,
// the request, the response header line by line, the body. Get, Post and
// Head start a request and pump the calling thread's event loop until the
// client is Ready again; only they raise EHttpException, after the loop has
// returned. Everything that goes wrong inside event handling ends the request
// in Ready with StatusCode and ReasonPhrase set (404 and a text of ours for
// failures seen by the client itself).
//
// The response head goes through HttpResponseHead, which checks it as it
// arrives (status line, line and head limits, Content-Length) and skips
// interim 1xx answers; the client raises its events from the parser's result
// and acts on nothing else. A body shorter than its Content-Length fails, a
// chunked body is decoded. Relocations (301, 302, 303, 307, 308) are followed
// up to 20 times.
//
// Three clocks end a request with 10060 ("Connection timed out"): a
// connection silent for IdleTimeout; a head not complete HeadTimeout after
// the request went out; a body that brings fewer than kBodyMinBytes within
// any BodyWindow. A server trickling a byte now and then cannot hold the
// request forever.
//
// Not here: keep-alive, HTTPS, the trace event.
#pragma once

#include "news/chunked_decoder.h"
#include "news/custom_async_socket.h"
#include "news/http_response_head.h"
#include "news/http_url.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class QIODevice;
class QObject;
class QTimer;

namespace ov {

enum class THttpState {
    Ready = 0,
    Connecting = 1,
    DnsLookup = 2,
    WaitingHeader = 3,
    WaitingBody = 4,
    Aborting = 5
};
enum class THttpRequest { None = 0, Get = 1, Post = 2, Head = 3 };

class EHttpException : public std::runtime_error {
public:
    EHttpException(const std::string& message, uint16_t code)
        : std::runtime_error(message)
        , ErrorCode(code)
    {
    }
    uint16_t ErrorCode;
};

class THttpClient {
public:
    // The client takes a socket of its own unless one is given (a fake in
    // the fuzz target).
    explicit THttpClient(std::unique_ptr<TCustomAsyncSocket> socket = nullptr);
    ~THttpClient();
    THttpClient(const THttpClient&) = delete;
    THttpClient& operator=(const THttpClient&) = delete;

    std::string URL;
    std::string Proxy;
    std::string ProxyPort = "80";
    std::string Sender;
    std::string Agent;
    std::string Reference;
    std::string Username;
    std::string Password;
    std::string ProxyUsername;
    std::string ProxyPassword;
    bool NoCache = false;
    double ModifiedSince = 0; // days since 30 December 1899, 0 = not sent
    std::string Cookie;
    std::string ContentTypePost = "application/x-www-form-urlencoded";
    bool MultiThreaded = false;

    // Optional streams, owned by the caller: the body is written to
    // RcvdStream; SendStream is the data of a POST.
    QIODevice* RcvdStream = nullptr;
    QIODevice* SendStream = nullptr;

    // Milliseconds a connection may stay silent; 60 seconds by default.
    int IdleTimeout = 60000;
    // Milliseconds from the request's last byte sent to the head's end.
    int HeadTimeout = 60000;
    // A body must bring kBodyMinBytes within every BodyWindow milliseconds.
    int BodyWindow = 60000;
    static constexpr int64_t kBodyMinBytes = 64;

    using TNotifyEvent = std::function<void(THttpClient* sender)>;
    TNotifyEvent OnHeaderData;
    TNotifyEvent OnHeaderBegin;
    TNotifyEvent OnHeaderEnd;
    TNotifyEvent OnDocBegin;
    TNotifyEvent OnDocEnd;
    TNotifyEvent OnSendBegin;
    TNotifyEvent OnSendEnd;
    TNotifyEvent OnStateChange;
    TNotifyEvent OnLocationChange;
    std::function<void(THttpClient* sender, const std::string& S)> OnCommand;
    std::function<void(THttpClient* sender, const char* Buffer, int Len)> OnDocData;
    std::function<void(THttpClient* sender, const char* Buffer, int Len)> OnSendData;
    std::function<void(THttpClient* sender, THttpRequest RqType, uint16_t Error)> OnRequestDone;

    int StatusCode() const { return m_statusCode; }
    const std::string& ReasonPhrase() const { return m_reasonPhrase; }
    // -1 while the response has not given one.
    int64_t ContentLength() const { return m_contentLength; }
    const std::string& ContentType() const { return m_contentType; }
    int64_t RcvdCount() const { return m_rcvdCount; }
    int64_t SentCount() const { return m_sentCount; }
    const std::string& DocName() const { return m_docName; }
    const std::vector<std::string>& RcvdHeader() const { return m_rcvdHeader; }
    const std::vector<std::string>& WWWAuthenticate() const { return m_wwwAuthenticate; }
    THttpState State() const { return m_state; }
    THttpRequest RequestType() const { return m_requestType; }
    // The location the last relocation went to, as a URL.
    std::string Location() const;
    TCustomAsyncSocket& Socket() { return *m_socket; }

    // Each runs one request and returns when it is over. EHttpException:
    // "HTTP component is busy" (1) when a request is running, "HTTP component
    // has nothing to post" (2), or the failure's ReasonPhrase and StatusCode.
    void Get();
    void Post();
    void Head();
    // Ends the running request ("Connection aborted on request", 404); in
    // Ready it only closes an open socket.
    void Abort();

    // Starts a request without waiting; the end is seen as OnRequestDone.
    void Start(THttpRequest type);
    // True once the running request failed (client failure, HTTP error, abort).
    bool Failed() const { return m_failed || m_statusCode >= 400; }

private:
    void run(THttpRequest type);
    void setState(THttpState state);
    void startLookup();
    void fail(const std::string& reason, int error, int code = 404);
    void setReady();
    void closeSocket();
    void resetResponse();

    void dnsLookupDone(uint16_t error);
    void sessionConnected(uint16_t error);
    void dataAvailable();
    void dataSent();
    void sessionClosed(uint16_t error);
    void idleTimeout();
    void restartAfterRelocation(uint64_t request);

    void sendRequest();
    void sendBodyPiece();
    void requestSent();
    bool reportHeadLines(uint64_t request);
    void headerEnd();
    void headerTooLong(const char* reason);
    void bodyArrived(size_t length);
    std::chrono::steady_clock::time_point deadline() const;
    void armTimer();
    void deliverBody(const char* data, size_t length);
    void bodyChunk(const char* data, size_t length);
    void completeDocument();
    bool noBodyExpected() const;
    void touch();

    std::unique_ptr<TCustomAsyncSocket> m_socket;
    std::unique_ptr<QObject> m_context;
    std::unique_ptr<QTimer> m_idleTimer;
    std::chrono::steady_clock::time_point m_lastActivity;

    THttpState m_state = THttpState::Ready;
    THttpRequest m_requestType = THttpRequest::None;
    uint64_t m_request = 0;
    bool m_requestDonePending = false;
    bool m_closingSocket = false;
    bool m_failed = false;
    uint16_t m_doneError = 0;

    HttpTarget m_target;
    HttpTarget m_nextTarget;
    bool m_viaProxy = false;
    std::string m_proxyHost;
    uint16_t m_proxyPort = 80;
    bool m_dropCredentials = false;
    int m_relocations = 0;
    bool m_relocationPending = false;
    std::string m_location;

    int m_statusCode = 0;
    std::string m_reasonPhrase;
    int64_t m_contentLength = -1;
    std::string m_contentType;
    int64_t m_rcvdCount = 0;
    int64_t m_sentCount = 0;
    std::string m_docName;
    std::vector<std::string> m_rcvdHeader;
    std::vector<std::string> m_wwwAuthenticate;

    // When the request had gone out (the head's clock runs from there), when
    // the body began and when its last blocks arrived (the newest
    // kBodyMinBytes blocks hold at least kBodyMinBytes bytes).
    struct Arrival {
        std::chrono::steady_clock::time_point time;
        size_t bytes = 0;
    };
    bool m_requestSent = false;
    std::chrono::steady_clock::time_point m_requestSentAt;
    std::chrono::steady_clock::time_point m_bodySince;
    std::array<Arrival, kBodyMinBytes> m_arrivals {};
    size_t m_arrivalNext = 0;

    std::array<char, 8192> m_buffer {};
    HttpResponseHead m_head;
    size_t m_linesReported = 0;
    bool m_headerBegun = false;
    bool m_docBegun = false;
    bool m_chunked = false;
    std::unique_ptr<ChunkedDecoder> m_chunks;
    bool m_sendingBody = false;
    int64_t m_sendStart = 0; // where SendStream stood when the request began
};

} // namespace ov
