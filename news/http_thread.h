// THTTPThread: a news worker. It owns its own THttpClient, created inside
// the thread, and pumps that thread's event loop while a request runs.
// Between requests it waits, suspended, until Resume; results and reports
// reach the user-interface thread only through synchronised calls.
#pragma once

#include <QByteArray>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>

namespace ov {

class THttpClient;

class THTTPThread : public QThread {
public:
    // ui: an object living in the user-interface thread; the synchronised
    // calls run there.
    THTTPThread(int slot, QObject* ui);
    ~THTTPThread() override;

    // The next request: the URL and the whole proxy text.
    void Setup(const std::string& url, const std::string& proxy);
    // Lets a suspended worker run its next request.
    void Resume();
    // Ends the worker: the running request is aborted and the loop left.
    void Stop();

    int Slot() const { return m_slot; }
    bool Success() const { return m_success; }

    // Both run on the user-interface thread while the worker waits.
    std::function<void(THTTPThread* worker, const std::string& report)> OnReport;
    std::function<void(THTTPThread* worker, bool success, const QByteArray& body)> OnDone;

    // The largest news text taken; a longer one fails the request.
    static constexpr qint64 kMaxNews = 4 * 1024 * 1024;

protected:
    void run() override; // the worker's Execute loop

private:
    void report(const std::string& text);
    void synchronize(const std::function<void()>& call);

    const int m_slot;
    QObject* m_ui;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_resumed = false;
    std::atomic<bool> m_terminating { false };
    std::string m_url;
    std::string m_proxy;
    std::atomic<bool> m_success { false };
    QObject* m_workerContext = nullptr; // guarded by m_mutex
    THttpClient* m_client = nullptr; // guarded by m_mutex
};

} // namespace ov
