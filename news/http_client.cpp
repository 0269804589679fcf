#include "news/http_client.h"

#include "news/async_socket.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QIODevice>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace ov {

namespace {

constexpr size_t kMaxHeaderBytes = 64 * 1024;
constexpr int kMaxRelocations = 20;
constexpr int kClientFailure = 404;
constexpr uint16_t kAbortError = 3;

std::string lowerCase(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// "HTTP/1.x" + space + three digits, then the end or a space.
bool isStatusLine(std::string_view line)
{
    return line.size() >= 12 && line.starts_with("HTTP/1.") && isDigit(line[7]) && line[8] == ' ' &&
           isDigit(line[9]) && isDigit(line[10]) && isDigit(line[11]) && (line.size() == 12 || line[12] == ' ');
}

// A Content-Length value: digits only, at most 18 of them (no overflow).
bool parseLength(std::string_view text, int64_t& length)
{
    if (text.empty() || text.size() > 18)
        return false;
    int64_t value = 0;
    for (char c : text) {
        if (!isDigit(c))
            return false;
        value = value * 10 + (c - '0');
    }
    length = value;
    return true;
}

// RFC 1123 date of a date-time value (days since 30 December 1899), written
// as stored: no time-zone conversion.
std::string httpDate(double value)
{
    static const char* const days[] = { "Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun" };
    static const char* const months[] = { "Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec" };
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
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", days[weekday], static_cast<int>(day),
                  months[month - 1], static_cast<int>(year), static_cast<int>(seconds / 3600),
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
        const ParsedUrl proxy = ParseURL(Proxy);
        m_proxyHost = proxy.Host;
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
    m_bufferLength = 0;
    m_headerBytes = 0;
    m_headerBegun = false;
    m_statusLineSeen = false;
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
    const char* method = m_requestType == THttpRequest::Post   ? "POST"
                         : m_requestType == THttpRequest::Head ? "HEAD"
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
    }
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
    if (m_state == THttpState::WaitingBody) {
        const int count = m_socket->Receive(m_buffer.data(), static_cast<int>(m_buffer.size()));
        if (count > 0) {
            touch();
            deliverBody(m_buffer.data(), static_cast<size_t>(count));
        }
        return;
    }

    const int count = m_socket->Receive(m_buffer.data() + m_bufferLength,
                                        static_cast<int>(m_buffer.size() - m_bufferLength));
    if (count <= 0)
        return;
    touch();
    m_bufferLength += static_cast<size_t>(count);
    const uint64_t request = m_request;

    // Hand over every complete line; what follows the header stays in the
    // buffer as the first body data.
    size_t start = 0;
    while (m_state == THttpState::WaitingHeader && !m_relocationPending && request == m_request) {
        const char* begin = m_buffer.data() + start;
        const void* found = std::memchr(begin, '\n', m_bufferLength - start);
        if (!found)
            break;
        const size_t length = static_cast<size_t>(static_cast<const char*>(found) - begin);
        std::string_view line(begin, length);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        start += length + 1;
        m_headerBytes += length + 1;
        if (m_headerBytes > kMaxHeaderBytes)
            return headerTooLong("Header too long");
        headerLine(line);
    }
    if (request != m_request)
        return;
    if (m_state == THttpState::WaitingBody) {
        const size_t rest = m_bufferLength - start;
        m_bufferLength = 0;
        if (rest > 0) {
            // Moved to the front first: delivering may reuse the buffer.
            std::memmove(m_buffer.data(), m_buffer.data() + start, rest);
            deliverBody(m_buffer.data(), rest);
        }
        return;
    }
    if (m_state != THttpState::WaitingHeader || m_relocationPending)
        return;
    std::memmove(m_buffer.data(), m_buffer.data() + start, m_bufferLength - start);
    m_bufferLength -= start;
    if (m_bufferLength == m_buffer.size())
        headerTooLong("Header line too long");
}

void THttpClient::headerTooLong(const char* reason)
{
    if (m_socket->OnLineTooLong)
        m_socket->OnLineTooLong(m_socket.get());
    fail(reason, 0);
}

void THttpClient::headerLine(std::string_view line)
{
    if (!m_headerBegun) {
        m_headerBegun = true;
        if (OnHeaderBegin)
            OnHeaderBegin(this);
    }
    if (line.empty())
        return headerEnd();
    m_rcvdHeader.emplace_back(line);
    if (!m_statusLineSeen) {
        m_statusLineSeen = true;
        if (!isStatusLine(line))
            return fail("Invalid status line", 0);
        m_statusCode = (line[9] - '0') * 100 + (line[10] - '0') * 10 + (line[11] - '0');
        m_reasonPhrase = line.size() > 13 ? std::string(line.substr(13)) : std::string();
    } else if (const auto colon = line.find(':'); colon != std::string_view::npos) {
        const std::string name = lowerCase(trimmed(line.substr(0, colon)));
        const std::string_view value = trimmed(line.substr(colon + 1));
        if (name == "location") {
            m_location = std::string(value);
        } else if (name == "content-length") {
            int64_t length = 0;
            if (!parseLength(value, length) || (m_contentLength >= 0 && m_contentLength != length))
                return fail("Invalid Content-Length", 0);
            m_contentLength = length;
        } else if (name == "content-type") {
            m_contentType = std::string(value);
        } else if (name == "www-authenticate") {
            m_wwwAuthenticate.emplace_back(value);
        } else if (name == "transfer-encoding") {
            m_chunked = lowerCase(value).ends_with("chunked");
        }
    }
    if (OnHeaderData)
        OnHeaderData(this);
    if (m_state == THttpState::WaitingHeader && m_statusCode >= 400)
        setReady(); // the server's error ends the request with its code
}

void THttpClient::headerEnd()
{
    const int status = m_statusCode;
    const bool relocates = status == 301 || status == 302 || status == 303 || status == 307;
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
    setState(THttpState::WaitingBody);
    if (OnHeaderEnd)
        OnHeaderEnd(this);
    if (m_state == THttpState::WaitingBody && (noBodyExpected() || (!m_chunked && m_contentLength == 0)))
        completeDocument();
}

bool THttpClient::noBodyExpected() const
{
    return m_requestType == THttpRequest::Head || m_statusCode == 204 || m_statusCode == 304 ||
           (m_statusCode >= 100 && m_statusCode < 200);
}

void THttpClient::restartAfterRelocation(uint64_t request)
{
    if (request != m_request || !m_relocationPending || m_state == THttpState::Ready ||
        m_state == THttpState::Aborting)
        return;
    m_relocationPending = false;
    m_target = m_nextTarget;
    resetResponse();
    if (OnLocationChange)
        OnLocationChange(this);
    if (m_state == THttpState::WaitingHeader)
        startLookup();
}

void THttpClient::deliverBody(const char* data, size_t length)
{
    if (m_chunks) {
        size_t consumed = 0;
        const auto status =
            m_chunks->feed(data, length, consumed, [this](const char* piece, size_t size) { bodyChunk(piece, size); });
        if (m_state != THttpState::WaitingBody)
            return;
        if (status == ChunkedDecoder::Status::Corrupt)
            return fail("Invalid chunked encoding", 0);
        if (status == ChunkedDecoder::Status::Done)
            completeDocument();
        return;
    }
    if (m_contentLength >= 0)
        length = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(length), m_contentLength - m_rcvdCount));
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
    if (RcvdStream && m_state == THttpState::WaitingBody &&
        RcvdStream->write(data, static_cast<qint64>(length)) != static_cast<qint64>(length))
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
    const bool shortBody = m_chunks ? m_chunks->status() != ChunkedDecoder::Status::Done
                                    : m_contentLength >= 0 && m_rcvdCount < m_contentLength;
    if (shortBody && !noBodyExpected())
        return fail("Incomplete document", error);
    if (error != 0 && m_contentLength < 0 && !m_chunks)
        return fail(socketErrorDesc(error) + " (Error #" + std::to_string(error) + ")", error);
    completeDocument();
}

void THttpClient::idleTimeout()
{
    if (m_state == THttpState::Ready)
        return;
    const auto silent = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                                m_lastActivity);
    if (m_relocationPending || silent.count() < IdleTimeout) {
        m_idleTimer->start(std::max<int>(1, IdleTimeout - static_cast<int>(silent.count())));
        return;
    }
    constexpr int kTimedOut = 10060;
    fail(socketErrorDesc(kTimedOut) + " (Error #" + std::to_string(kTimedOut) + ")", kTimedOut);
}

} // namespace ov
