#include "news/custom_async_socket.h"

#include <QCoreApplication>
#include <QObject>
#include <QSocketNotifier>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>

namespace ov {

namespace {

constexpr size_t kSendBufferSize = 1514;

struct ErrorText {
    int code;
    const char* text;
};

const ErrorText kErrorTexts[] = {
    { 0, "No Error" },
    { 10004, "Interrupted system call" },
    { 10009, "Bad file number" },
    { 10013, "Permission denied" },
    { 10014, "Bad address" },
    { 10022, "Invalid argument" },
    { 10024, "Too many open files" },
    { 10035, "Operation would block" },
    { 10036, "Operation now in progress" },
    { 10037, "Operation already in progress" },
    { 10038, "Socket operation on non-socket" },
    { 10039, "Destination address required" },
    { 10040, "Message too long" },
    { 10041, "Protocol wrong type for socket" },
    { 10042, "Protocol not available" },
    { 10043, "Protocol not supported" },
    { 10044, "Socket type not supported" },
    { 10045, "Operation not supported on socket" },
    { 10046, "Protocol family not supported" },
    { 10047, "Address family not supported by protocol family" },
    { 10048, "Address already in use" },
    { 10049, "Address not available" },
    { 10050, "Network is down" },
    { 10051, "Network is unreachable" },
    { 10052, "Network dropped connection on reset" },
    { 10053, "Connection aborted" },
    { 10054, "Connection reset by peer" },
    { 10055, "No buffer space available" },
    { 10056, "Socket is already connected" },
    { 10057, "Socket is not connected" },
    { 10058, "Can't send after socket shutdown" },
    { 10059, "Too many references: can't splice" },
    { 10060, "Connection timed out" },
    { 10061, "Connection refused" },
    { 10062, "Too many levels of symbolic links" },
    { 10063, "File name too long" },
    { 10064, "Host is down" },
    { 10065, "No route to host" },
    { 10066, "Directory not empty" },
    { 10067, "Too many processes" },
    { 10068, "Too many users" },
    { 10069, "Disc quota exceeded" },
    { 10070, "Stale NFS file handle" },
    { 10071, "Too many levels of remote in path" },
    { 10091, "Network sub-system is unusable" },
    { 10092, "WinSock DLL cannot support this application" },
    { 10093, "WinSock not initialized" },
    { 11001, "Host not found" },
    { 11002, "Non-authoritative host not found" },
    { 11003, "Non-recoverable error" },
    { 11004, "No Data" },
};

// getaddrinfo's answers in the WinSock numbering of lookup errors.
int lookupErrorCode(int error)
{
    switch (error) {
    case 0:
        return 0;
    case EAI_NONAME:
        return 11001;
    case EAI_AGAIN:
        return 11002;
#ifdef EAI_NODATA
    case EAI_NODATA:
        return 11004;
#endif
    case EAI_SYSTEM:
        return socketErrorFromErrno(errno);
    default:
        return 11003;
    }
}

bool isDottedAddress(const std::string& text)
{
    in_addr address {};
    return inet_pton(AF_INET, text.c_str(), &address) == 1;
}

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// Lookups of host names into dotted IPv4 addresses; 0 or a WinSock number.
int lookupHost(const std::string& host, std::vector<std::string>& addresses)
{
    addrinfo hints {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* answer = nullptr;
    const int status = getaddrinfo(host.c_str(), nullptr, &hints, &answer);
    if (status != 0)
        return lookupErrorCode(status);
    for (addrinfo* entry = answer; entry; entry = entry->ai_next) {
        char text[INET_ADDRSTRLEN] = {};
        const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
        if (inet_ntop(AF_INET, &address->sin_addr, text, sizeof text))
            addresses.emplace_back(text);
    }
    freeaddrinfo(answer);
    return addresses.empty() ? 11004 : 0;
}

} // namespace

std::string socketErrorDesc(int code)
{
    for (const auto& entry : kErrorTexts)
        if (entry.code == code)
            return entry.text;
    return "Not a WinSock error";
}

int socketErrorFromErrno(int error)
{
    switch (error) {
    case 0:
        return 0;
    case EINTR:
        return 10004;
    case EBADF:
        return 10009;
    case EACCES:
    case EPERM:
        return 10013;
    case EFAULT:
        return 10014;
    case EINVAL:
        return 10022;
    case EMFILE:
    case ENFILE:
        return 10024;
    case EAGAIN:
        return 10035;
    case EINPROGRESS:
        return 10036;
    case EALREADY:
        return 10037;
    case ENOTSOCK:
        return 10038;
    case EDESTADDRREQ:
        return 10039;
    case EMSGSIZE:
        return 10040;
    case EPROTOTYPE:
        return 10041;
    case ENOPROTOOPT:
        return 10042;
    case EPROTONOSUPPORT:
        return 10043;
    case ESOCKTNOSUPPORT:
        return 10044;
    case EOPNOTSUPP:
        return 10045;
    case EPFNOSUPPORT:
        return 10046;
    case EAFNOSUPPORT:
        return 10047;
    case EADDRINUSE:
        return 10048;
    case EADDRNOTAVAIL:
        return 10049;
    case ENETDOWN:
        return 10050;
    case ENETUNREACH:
        return 10051;
    case ENETRESET:
        return 10052;
    case ECONNABORTED:
        return 10053;
    case ECONNRESET:
        return 10054;
    case ENOBUFS:
    case ENOMEM:
        return 10055;
    case EISCONN:
        return 10056;
    case ENOTCONN:
        return 10057;
    case EPIPE:
    case ESHUTDOWN:
        return 10058;
    case ETIMEDOUT:
        return 10060;
    case ECONNREFUSED:
        return 10061;
    case ELOOP:
        return 10062;
    case ENAMETOOLONG:
        return 10063;
    case EHOSTDOWN:
        return 10064;
    case EHOSTUNREACH:
        return 10065;
    default:
        return 10000 + error;
    }
}

uint16_t servicePort(const std::string& name, const char* protocol)
{
    if (name.empty())
        return 0;
    servent entry {};
    servent* found = nullptr;
    char buffer[1024];
    if (getservbyname_r(name.c_str(), protocol, &entry, buffer, sizeof buffer, &found) != 0 || !found)
        return 0;
    return ntohs(static_cast<uint16_t>(found->s_port));
}

// What a lookup thread shares with its socket: the socket's context object
// while the socket lives, nullptr after.
struct TCustomAsyncSocket::LookupShared {
    std::mutex mutex;
    QObject* target = nullptr;
};

TCustomAsyncSocket::TCustomAsyncSocket()
    : m_context(std::make_unique<QObject>())
    , m_lookupShared(std::make_shared<LookupShared>())
{
    m_lookupShared->target = m_context.get();
}

TCustomAsyncSocket::~TCustomAsyncSocket()
{
    {
        std::lock_guard lock(m_lookupShared->mutex);
        m_lookupShared->target = nullptr;
    }
    if (m_readNotifier)
        m_readNotifier->setEnabled(false);
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(false);
    if (m_fd >= 0)
        ::close(m_fd);
}

void TCustomAsyncSocket::SetAddr(const std::string& value)
{
    if (m_state != TSocketState::wsClosed) {
        SocketError("Cannot change Addr if not closed", 10056);
        return;
    }
    m_addr = trimmed(value);
}

void TCustomAsyncSocket::SetPort(const std::string& value)
{
    if (m_state != TSocketState::wsClosed) {
        SocketError("Cannot change Port if not closed", 10056);
        return;
    }
    const std::string text = trimmed(value);
    m_port = text;
    m_portNumber = 0;
    if (text.empty())
        return;
    size_t digits = 0;
    unsigned long number = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9' && number <= 65535) {
        number = number * 10 + static_cast<unsigned long>(text[digits] - '0');
        ++digits;
    }
    if (digits > 0 && number >= 1 && number <= 65535) {
        m_portNumber = static_cast<uint16_t>(number);
        return;
    }
    if (digits == 0) {
        const uint16_t port = servicePort(text, m_datagram ? "udp" : "tcp");
        if (port != 0) {
            m_portNumber = port;
            return;
        }
    }
    m_port.clear();
    SocketError("SetPort: Cannot convert port '" + text + "'", 10022);
}

void TCustomAsyncSocket::SetProto(const std::string& value)
{
    if (m_state != TSocketState::wsClosed) {
        SocketError("Cannot change Proto if not closed", 10056);
        return;
    }
    const std::string text = trimmed(value);
    m_proto = text;
    if (text.empty())
        return;
    int number = -1;
    if (text.find_first_not_of("0123456789") == std::string::npos && text.size() < 6) {
        number = std::stoi(text);
    } else {
        protoent entry {};
        protoent* found = nullptr;
        char buffer[1024];
        if (getprotobyname_r(text.c_str(), &entry, buffer, sizeof buffer, &found) == 0 && found)
            number = found->p_proto;
        else if (text == "tcp")
            number = IPPROTO_TCP; // without /etc/protocols
        else if (text == "udp")
            number = IPPROTO_UDP;
    }
    if (number < 0) {
        m_proto.clear();
        SocketError("SetProto: Cannot convert protocol '" + text + "'", 10043);
        return;
    }
    m_datagram = number == IPPROTO_UDP;
}

int TCustomAsyncSocket::RcvdCount() const
{
    int waiting = 0;
    if (m_fd < 0 || ::ioctl(m_fd, FIONREAD, &waiting) != 0)
        return 0;
    return waiting;
}

void TCustomAsyncSocket::ChangeState(TSocketState newState)
{
    const TSocketState oldState = m_state;
    m_state = newState;
    if (oldState != newState && OnChangeState)
        OnChangeState(this, oldState, newState);
}

void TCustomAsyncSocket::SocketError(const std::string& function, int code)
{
    m_lastError = code;
    m_lastErrorMessage
        = "Error " + std::to_string(code) + " in function " + function + "\r\n" + socketErrorDesc(code);
    if (code == 10054 || code == 10057) {
        closeHandle();
        ChangeState(TSocketState::wsClosed);
    }
    if (OnError) {
        OnError(this);
        return;
    }
    // Nothing may be thrown through the event loop: inside event handling the
    // error stays in LastError for the owner to see.
    if (!inEvent())
        throw ESocketException(m_lastErrorMessage);
}

void TCustomAsyncSocket::SessionClosed(uint16_t error)
{
    if (m_sessionClosedRaised)
        return;
    m_sessionClosedRaised = true;
    if (OnSessionClosed)
        OnSessionClosed(this, error);
}

void TCustomAsyncSocket::DnsLookup(const std::string& host)
{
    CancelDnsLookup();
    m_dnsResult.clear();
    m_dnsResultList.clear();
    const std::string name = trimmed(host);
    if (name.empty()) {
        m_lastError = 10022;
        m_lastErrorMessage = "DNS lookup: invalid host name.";
        if (OnDnsLookupDone)
            OnDnsLookupDone(this, 10022);
        return;
    }
    if (isDottedAddress(name)) {
        m_dnsResult = name;
        m_dnsResultList.push_back(name);
        if (OnDnsLookupDone)
            OnDnsLookupDone(this, 0);
        return;
    }
    const uint64_t id = ++m_lookupId;
    m_lookupRunning = true;
    std::shared_ptr<LookupShared> shared = m_lookupShared;
    try {
        std::thread([this, shared, id, name] {
            std::vector<std::string> addresses;
            const int error = lookupHost(name, addresses);
            std::lock_guard lock(shared->mutex);
            // The socket is alive while its context is set; the posted call
            // is dropped with the context if the socket goes first.
            if (shared->target)
                QMetaObject::invokeMethod(
                    shared->target,
                    [this, id, error, addresses = std::move(addresses)]() mutable {
                        lookupDone(id, error, std::move(addresses));
                    },
                    Qt::QueuedConnection);
        }).detach();
    } catch (const std::system_error& failure) {
        m_lookupRunning = false;
        SocketError(name + ": can't start DNS lookup, error #" + std::to_string(failure.code().value()),
            socketErrorFromErrno(failure.code().value()));
    }
}

void TCustomAsyncSocket::lookupDone(uint64_t id, int error, std::vector<std::string> addresses)
{
    if (id != m_lookupId || !m_lookupRunning)
        return;
    m_lookupRunning = false;
    if (error == 0) {
        m_dnsResultList = std::move(addresses);
        m_dnsResult = m_dnsResultList.front();
    } else {
        m_lastError = error;
    }
    ++m_eventDepth;
    if (OnDnsLookupDone)
        OnDnsLookupDone(this, static_cast<uint16_t>(error));
    --m_eventDepth;
}

void TCustomAsyncSocket::CancelDnsLookup()
{
    ++m_lookupId;
    m_lookupRunning = false;
}

void TCustomAsyncSocket::Connect()
{
    if (m_fd >= 0 && m_state != TSocketState::wsClosed)
        return SocketError("Connect: Socket already in use", 10056);
    if (m_portNumber == 0)
        return SocketError("Connect: No Port Specified", 10022);
    if (m_addr.empty())
        return SocketError("Connect: No IP Address Specified", 10022);
    if (m_proto.empty())
        return SocketError("Connect: No Protocol Specified", 10022);

    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(m_portNumber);
    if (inet_pton(AF_INET, m_addr.c_str(), &address.sin_addr) != 1) {
        std::vector<std::string> found;
        if (lookupHost(m_addr, found) != 0
            || inet_pton(AF_INET, found.front().c_str(), &address.sin_addr) != 1)
            return SocketError("SetAddr: Cannot convert host address '" + m_addr + "'", 11001);
    }

    const int type = m_datagram ? SOCK_DGRAM : SOCK_STREAM;
    const int fd = ::socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return SocketError("Connect (socket)", socketErrorFromErrno(errno));
    m_fd = fd;
    ++m_session;
    m_sessionClosedRaised = false;
    m_readCount = 0;
    m_sendQueue.clear();
    m_lastError = 0;
    ChangeState(TSocketState::wsOpened);

    if (!m_datagram) {
        if (LingerOnOff != TSocketLingerOnOff::wsLingerNoSet) {
            linger option {};
            option.l_onoff = LingerOnOff == TSocketLingerOnOff::wsLingerOn ? 1 : 0;
            option.l_linger = LingerTimeout;
            ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &option, sizeof option);
        }
        const int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    }

    if (!m_readNotifier) {
        m_readNotifier = std::make_unique<QSocketNotifier>(QSocketNotifier::Read);
        m_writeNotifier = std::make_unique<QSocketNotifier>(QSocketNotifier::Write);
        QObject::connect(
            m_readNotifier.get(), &QSocketNotifier::activated, m_context.get(), [this] { onReadable(); });
        QObject::connect(
            m_writeNotifier.get(), &QSocketNotifier::activated, m_context.get(), [this] { onWritable(); });
    }
    m_readNotifier->setEnabled(false);
    m_writeNotifier->setEnabled(false);
    m_readNotifier->setSocket(fd);
    m_writeNotifier->setSocket(fd);

    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0
        && errno != EINPROGRESS) {
        const int code = socketErrorFromErrno(errno);
        closeHandle();
        ChangeState(TSocketState::wsClosed);
        m_sessionClosedRaised = true;
        return SocketError("Connect", code);
    }
    // Completion, immediate or not, is seen as writability.
    ChangeState(TSocketState::wsConnecting);
    m_writeNotifier->setEnabled(true);
}

void TCustomAsyncSocket::onWritable()
{
    if (m_fd < 0)
        return;
    ++m_eventDepth;
    if (m_state == TSocketState::wsConnecting) {
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
            error = errno;
        const int code = socketErrorFromErrno(error);
        m_lastError = code;
        ChangeState(TSocketState::wsConnected);
        updateWriteNotifier();
        if (code == 0)
            m_readNotifier->setEnabled(true);
        if (OnSessionConnected)
            OnSessionConnected(this, static_cast<uint16_t>(code));
        if (code != 0 && m_fd >= 0) {
            m_sessionClosedRaised = true;
            closeHandle();
            ChangeState(TSocketState::wsClosed);
        }
    } else if (tryToSend() && m_fd >= 0) {
        updateWriteNotifier();
        if (m_sendQueue.empty() && OnDataSent)
            OnDataSent(this, 0);
    }
    --m_eventDepth;
}

void TCustomAsyncSocket::onReadable()
{
    if (m_fd < 0 || m_state != TSocketState::wsConnected)
        return;
    ++m_eventDepth;
    const uint64_t session = m_session;
    // Drain the socket until it would block, so that a notification is never
    // left with data behind it.
    for (;;) {
        m_readOutcome = ReadOutcome::None;
        if (OnDataAvailable) {
            OnDataAvailable(this, 0);
        } else {
            char discard[1024];
            Receive(discard, sizeof discard);
        }
        if (m_fd < 0 || session != m_session || m_readOutcome != ReadOutcome::Data)
            break;
    }
    if (m_fd >= 0 && session == m_session) {
        ReadOutcome outcome = m_readOutcome;
        if (outcome == ReadOutcome::None) {
            // The handler read nothing: look without taking.
            char probe;
            const ssize_t count = ::recv(m_fd, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
            outcome = count > 0   ? ReadOutcome::Data
                : count == 0      ? ReadOutcome::End
                : errno == EAGAIN ? ReadOutcome::WouldBlock
                                  : ReadOutcome::Failed;
            if (outcome == ReadOutcome::Failed)
                m_lastError = socketErrorFromErrno(errno);
        }
        if (outcome == ReadOutcome::End || outcome == ReadOutcome::Failed) {
            const uint16_t error = outcome == ReadOutcome::End ? 0 : static_cast<uint16_t>(m_lastError);
            SessionClosed(error);
            if (m_fd >= 0 && session == m_session) {
                closeHandle();
                ChangeState(TSocketState::wsClosed);
            }
        }
    }
    --m_eventDepth;
}

int TCustomAsyncSocket::Receive(void* buffer, int size)
{
    if (m_fd < 0 || size <= 0) {
        m_lastError = 10057;
        return -1;
    }
    const ssize_t count = ::recv(m_fd, buffer, static_cast<size_t>(size), 0);
    if (count > 0) {
        m_readCount += count;
        m_readOutcome = ReadOutcome::Data;
        return static_cast<int>(count);
    }
    if (count == 0) {
        m_readOutcome = ReadOutcome::End;
        return 0;
    }
    m_lastError = socketErrorFromErrno(errno);
    m_readOutcome = errno == EAGAIN ? ReadOutcome::WouldBlock : ReadOutcome::Failed;
    return -1;
}

int TCustomAsyncSocket::Send(const void* data, int length)
{
    if (m_fd < 0 || m_state != TSocketState::wsConnected) {
        SocketError("Send", 10057);
        return -1;
    }
    if (length <= 0)
        return 0;
    const char* bytes = static_cast<const char*>(data);
    size_t left = static_cast<size_t>(length);
    while (left > 0) {
        if (m_sendQueue.empty() || m_sendQueue.back().size() == kSendBufferSize)
            m_sendQueue.emplace_back();
        std::string& tail = m_sendQueue.back();
        const size_t take = std::min(left, kSendBufferSize - tail.size());
        tail.append(bytes, take);
        bytes += take;
        left -= take;
    }
    if (!tryToSend())
        return -1;
    if (m_sendQueue.empty()) {
        // All went out at once: "data sent" still comes from the event loop.
        const uint64_t session = m_session;
        QMetaObject::invokeMethod(
            m_context.get(),
            [this, session] {
                if (session != m_session || m_fd < 0 || !m_sendQueue.empty() || !OnDataSent)
                    return;
                ++m_eventDepth;
                OnDataSent(this, 0);
                --m_eventDepth;
            },
            Qt::QueuedConnection);
    } else {
        updateWriteNotifier();
    }
    return length;
}

int TCustomAsyncSocket::SendStr(const std::string& text)
{
    return Send(text.data(), static_cast<int>(text.size()));
}

bool TCustomAsyncSocket::tryToSend()
{
    const int flags = MSG_NOSIGNAL | (SendFlags == TSocketSendFlags::wsSendUrgent ? MSG_OOB : 0);
    while (!m_sendQueue.empty()) {
        std::string& head = m_sendQueue.front();
        const ssize_t sent = ::send(m_fd, head.data(), head.size(), flags);
        if (sent < 0) {
            if (errno == EAGAIN)
                return true;
            const int code = socketErrorFromErrno(errno);
            m_lastError = code;
            if (code == 10022 || code == 10038 || code == 10054 || code == 10057 || code == 10058) {
                m_sendQueue.clear();
                closeHandle();
                ChangeState(TSocketState::wsClosed);
                SessionClosed(static_cast<uint16_t>(code));
            } else {
                SocketError("TryToSend failed", code);
            }
            return false;
        }
        head.erase(0, static_cast<size_t>(sent));
        if (head.empty())
            m_sendQueue.pop_front();
    }
    return true;
}

void TCustomAsyncSocket::updateWriteNotifier()
{
    // Writability is watched only while there is something to write, or the
    // level-triggered notifier would fire without end.
    if (m_writeNotifier && m_fd >= 0)
        m_writeNotifier->setEnabled(!m_sendQueue.empty());
}

void TCustomAsyncSocket::closeHandle()
{
    if (m_fd < 0)
        return;
    m_readNotifier->setEnabled(false);
    m_writeNotifier->setEnabled(false);
    ::shutdown(m_fd, SHUT_RDWR);
    ::close(m_fd);
    m_fd = -1;
    m_sendQueue.clear();
}

void TCustomAsyncSocket::resetSettings()
{
    SendFlags = TSocketSendFlags::wsSendNormal;
    LingerOnOff = TSocketLingerOnOff::wsLingerOn;
    LingerTimeout = 0;
}

void TCustomAsyncSocket::Close()
{
    const bool open = m_fd >= 0;
    closeHandle();
    ChangeState(TSocketState::wsClosed);
    if (open)
        SessionClosed(0);
    resetSettings();
}

void TCustomAsyncSocket::ProcessMessages()
{
    QCoreApplication::processEvents();
}

} // namespace ov
