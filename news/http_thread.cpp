#include "news/http_thread.h"

#include "news/http_client.h"

#include <QBuffer>

namespace ov {

THTTPThread::THTTPThread(int slot, QObject* ui)
    : m_slot(slot)
    , m_ui(ui)
{
}

THTTPThread::~THTTPThread()
{
    Stop();
    wait();
}

void THTTPThread::Setup(const std::string& url, const std::string& proxy)
{
    std::lock_guard lock(m_mutex);
    m_url = url;
    m_proxy = proxy;
}

void THTTPThread::Resume()
{
    {
        std::lock_guard lock(m_mutex);
        m_resumed = true;
    }
    m_wake.notify_one();
}

void THTTPThread::Stop()
{
    m_terminating = true;
    {
        std::lock_guard lock(m_mutex);
        // The client belongs to the worker's thread: the abort is posted there
        // and runs while its request pumps that thread's events.
        if (m_workerContext) {
            THttpClient* client = m_client;
            QMetaObject::invokeMethod(
                m_workerContext, [client] { client->Abort(); }, Qt::QueuedConnection);
        }
    }
    m_wake.notify_one();
}

void THTTPThread::synchronize(const std::function<void()>& call)
{
    if (m_terminating)
        return;
    QMetaObject::invokeMethod(m_ui, call, Qt::BlockingQueuedConnection);
}

void THTTPThread::report(const std::string& text)
{
    const std::string line = std::to_string(m_slot) + text;
    synchronize([this, &line] {
        if (OnReport)
            OnReport(this, line);
    });
}

void THTTPThread::run()
{
    THttpClient client;
    client.MultiThreaded = true;
    QBuffer stream;
    QObject context;
    bool tooLarge = false;
    client.OnDocBegin = [this](THttpClient*) { report(" Doc begin"); };
    client.OnDocData = [this, &tooLarge](THttpClient* sender, const char*, int) {
        report(" Doc data");
        if (sender->RcvdCount() > kMaxNews) {
            tooLarge = true;
            sender->Abort();
        }
    };
    client.OnDocEnd = [this](THttpClient*) { report(" Doc end"); };
    {
        std::lock_guard lock(m_mutex);
        m_workerContext = &context;
        m_client = &client;
    }

    for (;;) {
        std::string url;
        std::string proxy;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_resumed || m_terminating; });
            if (m_terminating)
                break;
            m_resumed = false;
            url = m_url;
            proxy = m_proxy;
        }
        report(" Start get");
        client.URL = url;
        client.Proxy = proxy;
        stream.close();
        stream.setData(QByteArray());
        stream.open(QIODevice::WriteOnly);
        client.RcvdStream = &stream;
        tooLarge = false;
        bool success = true;
        try {
            client.Get();
        } catch (const EHttpException&) {
            success = false;
        }
        m_success = success && !tooLarge;
        client.RcvdStream = nullptr;
        const QByteArray body = stream.data();
        synchronize([this, &body] {
            if (OnDone)
                OnDone(this, m_success, body);
        });
    }

    std::lock_guard lock(m_mutex);
    m_workerContext = nullptr;
    m_client = nullptr;
}

} // namespace ov
