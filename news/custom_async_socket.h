// TCustomAsyncSocket: an event-driven TCP client socket that never blocks.
//
// A POSIX non-blocking socket whose readiness reaches the owning thread's
// event loop through QSocketNotifier; name lookups run on a short-lived
// thread of their own and post their result back (a dotted address is
// answered at once; a cancelled lookup's late result is ignored). Work the
// socket posts to itself (the "data sent" after an immediate send, lookup
// results) goes through a context object living in the owning thread, so
// the owning thread must run or pump its event loop.
//
// Errors carry the WinSock numbers and texts the rest of the program shows
// (socketErrorDesc). Inside event handling an error only reaches OnError and
// LastError; a direct call without OnError raises ESocketException.
//
// This file and its source are, with the socket calls of the tests, the one
// place outside platform/ that calls the system's socket and name services:
// the socket layer stays beside its only user, the HTTP client. The rest of
// news/ reaches those services through the functions here.
//
// Not here: listening sockets, line mode, blocking waits.
//
// This socket layer (this file, custom_async_socket.cpp and async_socket.h)
// is the one place outside platform/ that calls the system's socket API
// directly: it lives beside its only user, and scripts/check lets these
// three files include the system headers that no other file above the
// platform may.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class QObject;
class QSocketNotifier;

namespace ov {

enum class TSocketState {
    wsInvalidState,
    wsOpened,
    wsBound,
    wsConnecting,
    wsConnected,
    wsAccepting,
    wsListening,
    wsClosed
};
enum class TSocketSendFlags { wsSendNormal, wsSendUrgent };
enum class TSocketLingerOnOff { wsLingerOff, wsLingerOn, wsLingerNoSet };

class ESocketException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The description of a WinSock error number; "Not a WinSock error" for others.
std::string socketErrorDesc(int code);
// The WinSock number standing for a POSIX errno value (0 for 0).
int socketErrorFromErrno(int error);
// The port of a service name ("http") for protocol "tcp" or "udp", from the
// system's services database; 0 when the name is unknown.
uint16_t servicePort(const std::string& name, const char* protocol);

class TCustomAsyncSocket {
public:
    using TSocketEvent = std::function<void(TCustomAsyncSocket* sender, uint16_t error)>;

    TCustomAsyncSocket();
    virtual ~TCustomAsyncSocket();
    TCustomAsyncSocket(const TCustomAsyncSocket&) = delete;
    TCustomAsyncSocket& operator=(const TCustomAsyncSocket&) = delete;

    // Property writers work only while closed (else "Cannot change X if not
    // closed"). SetPort takes a number or a TCP service name; SetProto a
    // number or a protocol name (17 selects datagrams); SetAddr a dotted
    // address or a host name, resolved at Connect.
    const std::string& Addr() const { return m_addr; }
    void SetAddr(const std::string& value);
    const std::string& Port() const { return m_port; }
    void SetPort(const std::string& value);
    const std::string& Proto() const { return m_proto; }
    void SetProto(const std::string& value);

    const std::string& DnsResult() const { return m_dnsResult; }
    const std::vector<std::string>& DnsResultList() const { return m_dnsResultList; }
    TSocketState State() const { return m_state; }
    // Bytes received since the last Connect.
    int64_t ReadCount() const { return m_readCount; }
    // Bytes waiting to be read.
    int RcvdCount() const;
    int LastError() const { return m_lastError; }
    // The full text of the last socket error ("Error n in function f" ...).
    const std::string& LastErrorMessage() const { return m_lastErrorMessage; }

    bool MultiThreaded = false;
    int FlushTimeout = 60;
    TSocketSendFlags SendFlags = TSocketSendFlags::wsSendNormal;
    TSocketLingerOnOff LingerOnOff = TSocketLingerOnOff::wsLingerOn;
    int LingerTimeout = 0;

    TSocketEvent OnDataAvailable;
    TSocketEvent OnDataSent;
    TSocketEvent OnSessionClosed;
    TSocketEvent OnSessionAvailable;
    TSocketEvent OnSessionConnected;
    TSocketEvent OnDnsLookupDone;
    std::function<void(TCustomAsyncSocket* sender, TSocketState oldState, TSocketState newState)>
        OnChangeState;
    std::function<void(TCustomAsyncSocket* sender)> OnLineTooLong;
    std::function<void(TCustomAsyncSocket* sender)> OnError;

    // Starts a lookup of host; OnDnsLookupDone follows (at once for a dotted
    // address or an empty host, else from the event loop).
    virtual void DnsLookup(const std::string& host);
    // The running lookup's result will be ignored.
    virtual void CancelDnsLookup();
    // Starts a non-blocking connect to Addr:Port; OnSessionConnected follows.
    virtual void Connect();
    // Shuts down and closes; OnSessionClosed(0) once per session.
    virtual void Close();
    // Queues data and sends what the socket takes now; the bytes queued, or
    // -1 when not connected or the send failed.
    virtual int Send(const void* data, int length);
    int SendStr(const std::string& text);
    // Reads up to size bytes: the count, 0 at the end of the stream, -1 when
    // nothing is waiting (LastError 10035) or on an error.
    virtual int Receive(void* buffer, int size);
    // Runs the work waiting in this thread's event loop.
    void ProcessMessages();

protected:
    void ChangeState(TSocketState newState);
    // Reports a socket error: records it, closes on 10054/10057, then
    // OnError, or ESocketException outside event handling.
    void SocketError(const std::string& function, int code);
    // Raises OnSessionClosed(error) unless it was raised for this session.
    void SessionClosed(uint16_t error);
    // The object through which work is posted to the owning thread.
    QObject* context() const { return m_context.get(); }
    // True while the socket is inside one of its own event handlers.
    bool inEvent() const { return m_eventDepth > 0; }

private:
    struct LookupShared;
    enum class ReadOutcome { None, Data, WouldBlock, End, Failed };

    void onReadable();
    void onWritable();
    void closeHandle();
    bool tryToSend();
    void updateWriteNotifier();
    void lookupDone(uint64_t id, int error, std::vector<std::string> addresses);
    void resetSettings();

    std::string m_addr;
    std::string m_port;
    std::string m_proto = "tcp";
    uint16_t m_portNumber = 0;
    bool m_datagram = false;
    std::string m_dnsResult;
    std::vector<std::string> m_dnsResultList;
    TSocketState m_state = TSocketState::wsClosed;
    int64_t m_readCount = 0;
    int m_lastError = 0;
    std::string m_lastErrorMessage;

    int m_fd = -1;
    uint64_t m_session = 0;
    bool m_sessionClosedRaised = true;
    std::deque<std::string> m_sendQueue;
    ReadOutcome m_readOutcome = ReadOutcome::None;
    int m_eventDepth = 0;
    uint64_t m_lookupId = 0;
    bool m_lookupRunning = false;

    std::unique_ptr<QObject> m_context;
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
    std::shared_ptr<LookupShared> m_lookupShared;
};

} // namespace ov
