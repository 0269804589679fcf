#include "news/http_client.h"

#include "news/async_socket.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QIODevice>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace ov {

namespace {

constexpr int kMaxRelocations = 20;
constexpr int kClientFailure = 404;
constexpr uint16_t kAbortError = 3;

// RFC 1123 date of a date-time value (days since 30 December 1899), written
// as stored: no time-zone conversion.
std::string httpDate(double value)
{
    static const char* const days[] = { "Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun" };
    static const char* const months[]
        = { "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec" };
    if (!std::isfinite(value) || value < -657434 || value > 2958466)
        value = 0;
    int64_t whole = static_cast<int64_t>(std::floor(value));
    int64_t seconds = std::llround((value - static_cast<double>(whole)) * 86400.0);
    if (seconds >= 86400) {
        ++whole;
        seconds -= 86400;
    }
    // Civil date from a day count (days from 1970-01-01), after H. Hinnant's
    // public-domain "days_from_civil" algorithms.
    const int64_t z = whole - 25569 + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t day = doy - (153 * mp + 2) / 5 + 1;
    const int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    // 30 December 1899 was a Saturday.
    const int64_t weekday = ((whole % 7) + 7 + 5) % 7;
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", days[weekday],
        static_cast<int>(day), months[month - 1], static_cast<int>(year), static_cast<int>(seconds / 3600),
        static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    return text;
}

} // namespace

THttpClient::THttpClient(std::unique_ptr<TCustomAsyncSocket> socket)
    : m_socket(socket ? std::move(socket) : std::make_unique<TAsyncSocket>())
    , m_context(std::make_unique<QObject>())
    , m_idleTimer(std::make_unique<QTimer>())
{
    m_idleTimer->setSingleShot(true);
    QObject::connect(m_idleTimer.get(), &QTimer::timeout, m_context.get(), [this] { idleTimeout(); });
    m_socket->OnDnsLookupDone = [this](TCustomAsyncSocket*, uint16_t error) { dnsLookupDone(error); };
    m_socket->OnSessionConnected = [this](TCustomAsyncSocket*, uint16_t error) { sessionConnected(error); };
    m_socket->OnDataAvailable = [this](TCustomAsyncSocket*, uint16_t) { dataAvailable(); };
    m_socket->OnDataSent = [this](TCustomAsyncSocket*, uint16_t) { dataSent(); };
    m_socket->OnSessionClosed = [this](TCustomAsyncSocket*, uint16_t error) { sessionClosed(error); };
}

THttpClient::~THttpClient()
{
    m_socket->CancelDnsLookup();
    m_closingSocket = true;
    m_socket->OnSessionClosed = nullptr;
    m_socket->Close();
}

std::string THttpClient::Location() const
{
    return "http://" + hostHeader(m_target) + m_target.path;
}

void THttpClient::Get()
{
    run(THttpRequest::Get);
}

void THttpClient::Post()
{
    run(THttpRequest::Post);
}

void THttpClient::Head()
{
    run(THttpRequest::Head);
}

void THttpClient::run(THttpRequest type)
{
    Start(type);
    // Pump this thread's events until the request is over and its
    // request-done notice has been delivered.
    while (m_state != THttpState::Ready || m_requestDonePending)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (Failed())
        throw EHttpException(m_reasonPhrase, static_cast<uint16_t>(m_statusCode));
}

void THttpClient::Start(THttpRequest type)
{
    if (m_state != THttpState::Ready || m_requestDonePending)
        throw EHttpException("HTTP component is busy", 1);
    if (type == THttpRequest::Post && !SendStream)
        throw EHttpException("HTTP component has nothing to post", 2);

    ++m_request;
    m_requestType = type;
    m_failed = false;
    m_doneError = 0;
    m_relocations = 0;
    m_dropCredentials = false;
    m_relocationPending = false;
    m_sentCount = 0;
    m_sendStart = SendStream ? SendStream->pos() : 0;
    m_docName.clear();
    resetResponse();
    setState(THttpState::Connecting);
    touch();

    // Every value that goes into the request is checked before connecting:
    // a line break would let it add lines of its own.
    for (const std::string* field : { &Proxy, &ProxyPort, &Sender, &Agent, &Reference, &Username, &Password,
             &ProxyUsername, &ProxyPassword, &Cookie, &ContentTypePost }) {
        if (hasLineBreak(*field))
            return fail("Invalid character in request", 0);
    }
    std::string user;
    std::string password;
    std::string error;
    if (!targetFromUrl(URL, m_target, user, password, error))
        return fail(error, 0);
    if (!user.empty()) {
        Username = user;
        Password = password;
    }
    m_viaProxy = !Proxy.empty();
    if (m_viaProxy) {
        // "user:password@host:port": the credentials are the proxy's own.
        const ParsedUrl proxy = ParseURL(Proxy);
        m_proxyHost = proxy.Host;
        if (!proxy.User.empty()) {
            ProxyUsername = proxy.User;
            ProxyPassword = proxy.Pass;
        }
        if (!parsePort(proxy.Port.empty() ? ProxyPort : proxy.Port, m_proxyPort, error))
            return fail(error, 0);
    }
    m_docName = docNameOf(m_target.path);
    startLookup();
}

void THttpClient::resetResponse()
{
    m_statusCode = 0;
    m_reasonPhrase.clear();
    m_contentLength = -1;
    m_contentType.clear();
    m_rcvdCount = 0;
    m_rcvdHeader.clear();
    m_wwwAuthenticate.clear();
    m_location.clear();
    m_head.reset();
    m_linesReported = 0;
    m_requestSent = false;
    m_arrivals.fill({});
    m_arrivalNext = 0;
    m_headerBegun = false;
    m_docBegun = false;
    m_chunked = false;
    m_chunks.reset();
    m_sendingBody = false;
}

void THttpClient::setState(THttpState state)
{
    if (m_state == state)
        return;
    m_state = state;
    if (OnStateChange)
        OnStateChange(this);
}

void THttpClient::touch()
{
    // Only the time is noted here, once per block: re-arming a timer for
    // every 8 KiB would cost more than the block itself. The timer, armed
    // once, looks at this time when it fires.
    m_lastActivity = std::chrono::steady_clock::now();
    if (IdleTimeout > 0 && !m_idleTimer->isActive())
        m_idleTimer->start(IdleTimeout);
}

void THttpClient::startLookup()
{
    setState(THttpState::DnsLookup);
    touch();
    m_socket->DnsLookup(m_viaProxy ? m_proxyHost : m_target.host);
}

void THttpClient::fail(const std::string& reason, int error, int code)
{
    m_statusCode = code;
    m_reasonPhrase = reason;
    m_failed = true;
    m_doneError = static_cast<uint16_t>(error != 0 ? error : code);
    setReady();
}

void THttpClient::closeSocket()
{
    m_closingSocket = true;
    m_socket->Close();
    m_closingSocket = false;
}

void THttpClient::setReady()
{
    if (m_state == THttpState::Ready)
        return;
    m_idleTimer->stop();
    m_socket->CancelDnsLookup();
    m_relocationPending = false;
    closeSocket();
    m_requestDonePending = true;
    setState(THttpState::Ready);
    const uint64_t request = m_request;
    QMetaObject::invokeMethod(
        m_context.get(),
        [this, request] {
            if (request != m_request || !m_requestDonePending)
                return;
            m_requestDonePending = false;
            if (OnRequestDone)
                OnRequestDone(this, m_requestType, m_doneError);
        },
        Qt::QueuedConnection);
}

void THttpClient::Abort()
{
    if (m_state == THttpState::Ready) {
        closeSocket();
        return;
    }
    if (m_state == THttpState::Aborting)
        return;
    setState(THttpState::Aborting);
    m_statusCode = kClientFailure;
    m_reasonPhrase = "Connection aborted on request";
    m_failed = true;
    m_doneError = kAbortError;
    // The lookup (if any) is cancelled and the socket closed: the request
    // ends here whatever it was waiting for.
    setReady();
}

void THttpClient::dnsLookupDone(uint16_t error)
{
    if (m_state != THttpState::DnsLookup)
        return;
    if (error != 0)
        return fail("can't resolve hostname to IP address", error);
    setState(THttpState::Connecting);
    touch();
    try {
        m_socket->SetAddr(m_socket->DnsResult());
        m_socket->SetPort(std::to_string(m_viaProxy ? m_proxyPort : m_target.port));
        m_socket->SetProto("tcp");
        m_socket->Connect();
    } catch (const ESocketException&) {
        // Seen below through the socket's state and LastError.
    }
    if (m_state != THttpState::Connecting)
        return;
    if (m_socket->State() != TSocketState::wsConnecting && m_socket->State() != TSocketState::wsConnected) {
        const int code = m_socket->LastError();
        fail("can't connect: " + socketErrorDesc(code) + " (Error #" + std::to_string(code) + ")", code);
    }
}

void THttpClient::sessionConnected(uint16_t error)
{
    if (m_state != THttpState::Connecting)
        return;
    if (error != 0)
        return fail(socketErrorDesc(error) + " (Error #" + std::to_string(error) + ")", error);
    setState(THttpState::WaitingHeader);
    touch();
    sendRequest();
}

void THttpClient::sendRequest()
{
    const char* method = m_requestType == THttpRequest::Post ? "POST"
        : m_requestType == THttpRequest::Head                ? "HEAD"
                                                             : "GET";
    const bool post = m_requestType == THttpRequest::Post;
    std::vector<std::string> lines;
    lines.push_back(std::string(method) + " " + requestTarget(m_target, m_viaProxy) + " HTTP/1.0");
    if (!Sender.empty())
        lines.push_back("From: " + Sender);
    if (!Reference.empty())
        lines.push_back("Referer: " + Reference);
    if (post)
        lines.push_back("Content-Type: " + ContentTypePost);
    if (!Agent.empty())
        lines.push_back("User-Agent: " + Agent);
    lines.push_back("Host: " + hostHeader(m_target));
    if (NoCache)
        lines.push_back("Pragma: no-cache");
    if (post)
        lines.push_back("Content-Length: " + std::to_string(SendStream->size() - SendStream->pos()));
    if (ModifiedSince != 0)
        lines.push_back("If-Modified-Since: " + httpDate(ModifiedSince));
    // Credentials meant for one server never follow a relocation to another.
    if (!Username.empty() && !m_dropCredentials)
        lines.push_back("Authorization: Basic " + base64Encode(Username + ":" + Password));
    if (m_viaProxy && !ProxyUsername.empty())
        lines.push_back("Proxy-Authorization: Basic " + base64Encode(ProxyUsername + ":" + ProxyPassword));
    if (!Cookie.empty() && !m_dropCredentials)
        lines.push_back("Cookie: " + Cookie);
    lines.emplace_back();

    if (OnHeaderBegin)
        OnHeaderBegin(this);
    std::string text;
    for (const std::string& line : lines) {
        if (OnCommand)
            OnCommand(this, line);
        text += line;
        text += "\r\n";
    }
    if (OnHeaderEnd)
        OnHeaderEnd(this);
    if (m_socket->SendStr(text) < 0 && m_state == THttpState::WaitingHeader) {
        const int code = m_socket->LastError();
        return fail(socketErrorDesc(code) + " (Error #" + std::to_string(code) + ")", code);
    }
    if (post) {
        m_sendingBody = true;
        if (OnSendBegin)
            OnSendBegin(this);
        return;
    }
    requestSent();
}

void THttpClient::requestSent()
{
    m_requestSent = true;
    m_requestSentAt = std::chrono::steady_clock::now();
    armTimer();
}

void THttpClient::dataSent()
{
    touch();
    if (m_sendingBody && (m_state == THttpState::WaitingHeader || m_state == THttpState::WaitingBody))
        sendBodyPiece();
}

void THttpClient::sendBodyPiece()
{
    char piece[8192];
    const qint64 count = SendStream->read(piece, sizeof piece);
    if (count <= 0) {
        m_sendingBody = false;
        if (OnSendEnd)
            OnSendEnd(this);
        if (m_state == THttpState::WaitingHeader)
            requestSent();
        return;
    }
    m_sentCount += count;
    if (OnSendData)
        OnSendData(this, piece, static_cast<int>(count));
    m_socket->Send(piece, static_cast<int>(count));
}

void THttpClient::dataAvailable()
{
    if (m_state != THttpState::WaitingHeader && m_state != THttpState::WaitingBody) {
        char discard[1024];
        m_socket->Receive(discard, sizeof discard);
        return;
    }
    const int count = m_socket->Receive(m_buffer.data(), static_cast<int>(m_buffer.size()));
    if (count <= 0)
        return;
    touch();
    if (m_state == THttpState::WaitingBody) {
        bodyArrived(static_cast<size_t>(count));
        deliverBody(m_buffer.data(), static_cast<size_t>(count));
        return;
    }

    const uint64_t request = m_request;
    size_t consumed = 0;
    const auto status = m_head.feed(std::string_view(m_buffer.data(), static_cast<size_t>(count)), consumed);
    if (!reportHeadLines(request))
        return;
    if (status == HttpResponseHead::Status::Error) {
        if (m_head.tooLong())
            return headerTooLong(m_head.error());
        return fail(m_head.error(), 0);
    }
    if (status == HttpResponseHead::Status::Incomplete)
        return;
    headerEnd();
    // What followed the head in this read is the body's first data.
    const size_t rest = static_cast<size_t>(count) - consumed;
    if (request != m_request || m_state != THttpState::WaitingBody || rest == 0)
        return;
    std::memmove(m_buffer.data(), m_buffer.data() + consumed, rest);
    bodyArrived(rest);
    deliverBody(m_buffer.data(), rest);
}

void THttpClient::headerTooLong(const char* reason)
{
    if (m_socket->OnLineTooLong)
        m_socket->OnLineTooLong(m_socket.get());
    fail(reason, 0);
}

// Raises the events of the head's lines the parser has completed since the
// last call. False once the request has ended or moved on (an event handler
// aborted it, or the server's status is an error: that ends the request at
// once, after its status line).
bool THttpClient::reportHeadLines(uint64_t request)
{
    while (m_linesReported < m_head.lines().size()) {
        if (!m_headerBegun) {
            m_headerBegun = true;
            if (OnHeaderBegin)
                OnHeaderBegin(this);
            if (request != m_request || m_state != THttpState::WaitingHeader)
                return false;
        }
        m_rcvdHeader.push_back(m_head.lines()[m_linesReported]);
        if (++m_linesReported == 1) {
            m_statusCode = m_head.statusCode();
            m_reasonPhrase = m_head.reason();
        }
        if (OnHeaderData)
            OnHeaderData(this);
        if (request != m_request || m_state != THttpState::WaitingHeader)
            return false;
        if (m_statusCode >= 400) {
            setReady(); // the server's error ends the request with its code
            return false;
        }
    }
    return true;
}

void THttpClient::headerEnd()
{
    const int status = m_statusCode;
    m_contentLength = m_head.contentLength();
    m_contentType = m_head.contentType();
    m_location = m_head.location();
    m_wwwAuthenticate = m_head.wwwAuthenticate();
    m_chunked = m_head.chunked();
    const bool relocates = status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
    if (relocates && !m_location.empty()) {
        std::string error;
        if (!resolveLocation(m_target, m_location, m_nextTarget, error))
            return fail(error, 0);
        if (++m_relocations > kMaxRelocations)
            return fail("Too many relocations", 0, status);
        if (m_nextTarget.host != m_target.host || m_nextTarget.port != m_target.port)
            m_dropCredentials = true;
        if (status == 303 && m_requestType == THttpRequest::Post)
            m_requestType = THttpRequest::Get; // "see other" is fetched, never posted again
        m_relocationPending = true;
        closeSocket();
        const uint64_t request = m_request;
        QMetaObject::invokeMethod(
            m_context.get(), [this, request] { restartAfterRelocation(request); }, Qt::QueuedConnection);
        return;
    }
    if (m_docName.ends_with(".exe") && m_contentType == "text/html")
        m_docName = m_docName.substr(0, m_docName.size() - 3) + "htm";
    if (m_chunked) {
        // The chunks frame the body; a Content-Length beside them means
        // nothing (RFC 9112, section 6.3).
        m_chunks = std::make_unique<ChunkedDecoder>();
        m_contentLength = -1;
    }
    m_bodySince = std::chrono::steady_clock::now();
    setState(THttpState::WaitingBody);
    if (OnHeaderEnd)
        OnHeaderEnd(this);
    if (m_state != THttpState::WaitingBody)
        return;
    if (noBodyExpected() || (!m_chunked && m_contentLength == 0))
        return completeDocument();
    armTimer();
}

bool THttpClient::noBodyExpected() const
{
    return m_requestType == THttpRequest::Head || m_statusCode == 204 || m_statusCode == 304
        || (m_statusCode >= 100 && m_statusCode < 200);
}

void THttpClient::restartAfterRelocation(uint64_t request)
{
    if (request != m_request || !m_relocationPending || m_state == THttpState::Ready
        || m_state == THttpState::Aborting)
        return;
    m_relocationPending = false;
    m_target = m_nextTarget;
    resetResponse();
    if (m_requestType == THttpRequest::Post && SendStream) {
        // A relocation that keeps the method sends the same data again.
        if (!SendStream->isSequential())
            SendStream->seek(m_sendStart);
        m_sentCount = 0;
    }
    if (OnLocationChange)
        OnLocationChange(this);
    if (m_state == THttpState::WaitingHeader)
        startLookup();
}

void THttpClient::deliverBody(const char* data, size_t length)
{
    if (m_chunks) {
        size_t consumed = 0;
        const auto status = m_chunks->feed(
            data, length, consumed, [this](const char* piece, size_t size) { bodyChunk(piece, size); });
        if (m_state != THttpState::WaitingBody)
            return;
        if (status == ChunkedDecoder::Status::Corrupt)
            return fail("Invalid chunked encoding", 0);
        if (status == ChunkedDecoder::Status::Done)
            completeDocument();
        return;
    }
    if (m_contentLength >= 0)
        length = static_cast<size_t>(
            std::min<int64_t>(static_cast<int64_t>(length), m_contentLength - m_rcvdCount));
    bodyChunk(data, length);
    if (m_state == THttpState::WaitingBody && m_contentLength >= 0 && m_rcvdCount >= m_contentLength)
        completeDocument();
}

void THttpClient::bodyChunk(const char* data, size_t length)
{
    if (length == 0 || m_state != THttpState::WaitingBody)
        return;
    if (!m_docBegun) {
        m_docBegun = true;
        if (OnDocBegin)
            OnDocBegin(this);
    }
    m_rcvdCount += static_cast<int64_t>(length);
    if (OnDocData)
        OnDocData(this, data, static_cast<int>(length));
    if (RcvdStream && m_state == THttpState::WaitingBody
        && RcvdStream->write(data, static_cast<qint64>(length)) != static_cast<qint64>(length))
        fail("Can't write the received data", 0);
}

void THttpClient::completeDocument()
{
    if (m_docBegun && OnDocEnd)
        OnDocEnd(this);
    setReady();
}

void THttpClient::sessionClosed(uint16_t error)
{
    if (m_closingSocket || m_state == THttpState::Ready || m_relocationPending)
        return;
    if (m_state == THttpState::Aborting)
        return setReady();
    if (m_state == THttpState::Connecting)
        return fail(socketErrorDesc(error) + " (Error #" + std::to_string(error) + ")", error);
    if (m_state == THttpState::WaitingHeader) {
        if (error != 0)
            return fail(socketErrorDesc(error) + " (Error #" + std::to_string(error) + ")", error);
        return fail("Connection closed before end of header", 0);
    }
    if (m_state != THttpState::WaitingBody)
        return;
    const bool shortBody = m_chunks ? m_chunks->finish() != ChunkedDecoder::Status::Done
                                    : m_contentLength >= 0 && m_rcvdCount < m_contentLength;
    if (shortBody && !noBodyExpected())
        return fail("Incomplete document", error);
    if (error != 0 && m_contentLength < 0 && !m_chunks)
        return fail(socketErrorDesc(error) + " (Error #" + std::to_string(error) + ")", error);
    completeDocument();
}

void THttpClient::bodyArrived(size_t length)
{
    m_arrivals[m_arrivalNext] = { m_lastActivity, length };
    m_arrivalNext = (m_arrivalNext + 1) % m_arrivals.size();
}

// The earliest moment at which the running request times out, as things
// stand now; later data can only move it later.
std::chrono::steady_clock::time_point THttpClient::deadline() const
{
    using std::chrono::milliseconds;
    auto result = std::chrono::steady_clock::time_point::max();
    if (IdleTimeout > 0)
        result = m_lastActivity + milliseconds(IdleTimeout);
    if (m_state == THttpState::WaitingHeader && m_requestSent && HeadTimeout > 0)
        result = std::min(result, m_requestSentAt + milliseconds(HeadTimeout));
    if (m_state == THttpState::WaitingBody && BodyWindow > 0) {
        // The window that ends the body is the one starting when the newest
        // kBodyMinBytes bytes began to arrive (or when the body began, while
        // fewer have come): past it, the last window brought too little.
        auto since = m_bodySince;
        int64_t bytes = 0;
        for (size_t i = 1; i <= m_arrivals.size(); ++i) {
            const Arrival& arrival = m_arrivals[(m_arrivalNext + m_arrivals.size() - i) % m_arrivals.size()];
            if (arrival.bytes == 0)
                break;
            bytes += static_cast<int64_t>(arrival.bytes);
            if (bytes >= kBodyMinBytes) {
                since = arrival.time;
                break;
            }
        }
        result = std::min(result, since + milliseconds(BodyWindow));
    }
    return result;
}

void THttpClient::armTimer()
{
    if (m_state == THttpState::Ready)
        return;
    const auto when = deadline();
    if (when == std::chrono::steady_clock::time_point::max())
        return;
    const auto left
        = std::chrono::ceil<std::chrono::milliseconds>(when - std::chrono::steady_clock::now()).count();
    m_idleTimer->start(static_cast<int>(std::clamp<int64_t>(left, 1, 24 * 3600 * 1000)));
}

void THttpClient::idleTimeout()
{
    if (m_state == THttpState::Ready)
        return;
    if (m_relocationPending || std::chrono::steady_clock::now() < deadline())
        return armTimer();
    constexpr int kTimedOut = 10060;
    fail(socketErrorDesc(kTimedOut) + " (Error #" + std::to_string(kTimedOut) + ")", kTimedOut);
}

} // namespace ov
