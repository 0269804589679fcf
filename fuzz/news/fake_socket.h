// A socket that answers from memory, for fuzzing the client's response path:
// every connection gets the same bytes, handed over in pieces of a chosen
// size, then the peer closes. Nothing touches the network.
#pragma once

#include "news/custom_async_socket.h"

#include <QObject>

#include <algorithm>
#include <cstring>
#include <string>

namespace ov {

class FakeSocket : public TCustomAsyncSocket {
public:
    FakeSocket(std::string reply, size_t piece)
        : m_reply(std::move(reply))
        , m_piece(std::max<size_t>(piece, 1))
    {
    }

    std::string sent;
    int connections = 0;

    void DnsLookup(const std::string&) override
    {
        if (OnDnsLookupDone)
            OnDnsLookupDone(this, 0);
    }
    void CancelDnsLookup() override { }
    void Connect() override
    {
        ++connections;
        m_open = true;
        m_position = 0;
        ChangeState(TSocketState::wsConnecting);
        QMetaObject::invokeMethod(
            context(), [this] { connected(); }, Qt::QueuedConnection);
    }
    void Close() override
    {
        const bool wasOpen = m_open;
        m_open = false;
        ChangeState(TSocketState::wsClosed);
        if (wasOpen && OnSessionClosed)
            OnSessionClosed(this, 0);
    }
    int Send(const void* data, int length) override
    {
        if (!m_open)
            return -1;
        sent.append(static_cast<const char*>(data), static_cast<size_t>(length));
        return length;
    }
    int Receive(void* buffer, int size) override
    {
        if (!m_open || size <= 0)
            return -1;
        const size_t count = std::min({ m_piece, m_reply.size() - m_position, static_cast<size_t>(size) });
        std::memcpy(buffer, m_reply.data() + m_position, count);
        m_position += count;
        return static_cast<int>(count);
    }

private:
    void connected()
    {
        if (!m_open)
            return;
        ChangeState(TSocketState::wsConnected);
        if (OnSessionConnected)
            OnSessionConnected(this, 0);
        // The reply, one piece per "data available", then the peer's close.
        while (m_open && m_position < m_reply.size())
            OnDataAvailable(this, 0);
        if (m_open) {
            m_open = false;
            ChangeState(TSocketState::wsClosed);
            if (OnSessionClosed)
                OnSessionClosed(this, 0);
        }
    }

    std::string m_reply;
    size_t m_piece;
    size_t m_position = 0;
    bool m_open = false;
};

} // namespace ov
