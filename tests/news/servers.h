// Servers for the HTTP client's tests, all on loopback.
//
// HostileServer runs in the test process: it accepts connections, records
// each request and answers with a script of bytes, delays, closes, resets,
// silence and trickles, either in one piece or one byte per send.
// ServerProcess starts a real server program (busybox httpd, nginx, python3,
// tinyproxy) on a free port and stops it by its own process id.
#pragma once

#include <gtest/gtest.h>

#include "tests/news/loopback.h"

#include <QCoreApplication>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ov::test {

// The application object every event loop here needs.
inline void ensureApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "test_news";
    static char* argv[] = { name, nullptr };
    new QCoreApplication(argc, argv);
}

// A fresh folder under /tmp, removed with everything in it at the end.
class TempDir {
public:
    TempDir()
    {
        char pattern[] = "/tmp/ov_news_XXXXXX";
        m_path = ::mkdtemp(pattern);
    }
    ~TempDir() { std::system(("rm -rf '" + m_path + "'").c_str()); }
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name, const std::string& text) const
    {
        const std::string full = m_path + "/" + name;
        std::ofstream(full, std::ios::binary) << text;
        return full;
    }

private:
    std::string m_path;
};

// The program's full path, or "" when it is not installed.
inline std::string findProgram(const std::string& name)
{
    for (const char* folder : { "/usr/sbin/", "/usr/bin/", "/sbin/", "/bin/", "/usr/local/bin/" }) {
        const std::string path = std::string(folder) + name;
        if (::access(path.c_str(), X_OK) == 0)
            return path;
    }
    return {};
}

// Missing servers fail the test under CI (scripts/deps installs them) and
// skip it elsewhere.
#define OV_REQUIRE_PROGRAM(var, name)                                                                        \
    const std::string var = ::ov::test::findProgram(name);                                                   \
    if (var.empty()) {                                                                                       \
        if (std::getenv("CI"))                                                                               \
            FAIL() << name << " is missing; scripts/deps installs it";                                       \
        GTEST_SKIP() << name << " is not installed";                                                         \
    }

class ServerProcess {
public:
    ServerProcess(const std::vector<std::string>& argv, uint16_t port, const std::string& folder = {})
    {
        m_pid = ::fork();
        if (m_pid == 0) {
            const int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, 0);
            ::dup2(null, 1);
            ::dup2(null, 2);
            if (!folder.empty() && ::chdir(folder.c_str()) != 0)
                ::_exit(126);
            std::vector<char*> args;
            for (const auto& arg : argv)
                args.push_back(const_cast<char*>(arg.c_str()));
            args.push_back(nullptr);
            ::execv(args[0], args.data());
            ::_exit(127);
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            if (portAccepts(port)) {
                m_ready = true;
                break;
            }
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    ~ServerProcess()
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGTERM);
        for (int i = 0; i < 100; ++i) {
            if (::waitpid(m_pid, nullptr, WNOHANG) == m_pid)
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    bool ready() const { return m_ready; }

private:
    pid_t m_pid = -1;
    bool m_ready = false;
};

struct Step {
    enum Kind { Bytes, Delay, Close, Reset, Silence, Trickle } kind = Bytes;
    std::string bytes;
    int ms = 0;
};

inline Step bytes(std::string text)
{
    return { Step::Bytes, std::move(text), 0 };
}
inline Step delay(int ms)
{
    return { Step::Delay, {}, ms };
}
inline Step closeConnection()
{
    return { Step::Close, {}, 0 };
}
inline Step resetConnection()
{
    return { Step::Reset, {}, 0 };
}
inline Step silence()
{
    return { Step::Silence, {}, 0 };
}
// One byte of text every ms milliseconds.
inline Step trickle(std::string text, int ms)
{
    return { Step::Trickle, std::move(text), ms };
}

enum class Delivery { OnePiece, ByteAtATime };

class HostileServer {
public:
    // scripts[i] answers connection i; the last script answers the rest.
    explicit HostileServer(std::vector<std::vector<Step>> scripts, Delivery delivery = Delivery::OnePiece)
        : m_scripts(std::move(scripts))
        , m_delivery(delivery)
    {
        m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
        const int on = 1;
        ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_listen, 16);
        socklen_t length = sizeof address;
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~HostileServer()
    {
        m_stop = true;
        m_thread.join();
        ::close(m_listen);
    }
    uint16_t port() const { return m_port; }
    std::vector<std::string> requests() const
    {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }
    int connections() const { return m_connections; }

private:
    void serve()
    {
        while (!m_stop) {
            pollfd entry { m_listen, POLLIN, 0 };
            if (::poll(&entry, 1, 20) <= 0)
                continue;
            const int fd = ::accept(m_listen, nullptr, nullptr);
            if (fd < 0)
                continue;
            const int index = m_connections++;
            const auto& script
                = m_scripts[std::min<size_t>(static_cast<size_t>(index), m_scripts.size() - 1)];
            answer(fd, script);
        }
    }

    // Reads the request header and, when it announces one, the body.
    void readRequest(int fd)
    {
        std::string request;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        size_t wanted = std::string::npos;
        while (std::chrono::steady_clock::now() < deadline && !m_stop) {
            const auto end = request.find("\r\n\r\n");
            if (end != std::string::npos && wanted == std::string::npos) {
                wanted = end + 4;
                const auto length = request.find("Content-Length: ");
                if (length != std::string::npos && length < end)
                    wanted += std::stoul(request.substr(length + 16));
            }
            if (wanted != std::string::npos && request.size() >= wanted)
                break;
            pollfd entry { fd, POLLIN, 0 };
            if (::poll(&entry, 1, 20) <= 0)
                continue;
            char buffer[4096];
            const ssize_t count = ::recv(fd, buffer, sizeof buffer, 0);
            if (count <= 0)
                break;
            request.append(buffer, static_cast<size_t>(count));
        }
        std::lock_guard lock(m_mutex);
        m_requests.push_back(request);
    }

    void answer(int fd, const std::vector<Step>& script)
    {
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        readRequest(fd);
        for (const Step& step : script) {
            switch (step.kind) {
            case Step::Bytes:
                send(fd, step.bytes);
                break;
            case Step::Delay:
                std::this_thread::sleep_for(std::chrono::milliseconds(step.ms));
                break;
            case Step::Close:
                ::close(fd);
                return;
            case Step::Reset: {
                linger option { 1, 0 };
                ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &option, sizeof option);
                ::close(fd);
                return;
            }
            case Step::Trickle:
                for (char c : step.bytes) {
                    if (m_stop || ::send(fd, &c, 1, MSG_NOSIGNAL) != 1)
                        break;
                    std::this_thread::sleep_for(std::chrono::milliseconds(step.ms));
                }
                break;
            case Step::Silence:
                // Say nothing until the client gives up or the test ends.
                while (!m_stop) {
                    pollfd entry { fd, POLLIN, 0 };
                    char byte;
                    if (::poll(&entry, 1, 20) > 0 && ::recv(fd, &byte, 1, 0) <= 0)
                        break;
                }
                break;
            }
        }
        ::close(fd);
    }

    void send(int fd, const std::string& text)
    {
        if (m_delivery == Delivery::OnePiece) {
            size_t done = 0;
            while (done < text.size()) {
                const ssize_t sent = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
                if (sent <= 0)
                    return;
                done += static_cast<size_t>(sent);
            }
            return;
        }
        // One byte per send; small answers also pause so that the client
        // really reads them one by one.
        const bool pause = text.size() < 4096;
        for (char c : text) {
            if (::send(fd, &c, 1, MSG_NOSIGNAL) != 1)
                return;
            if (pause)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    }

    std::vector<std::vector<Step>> m_scripts;
    Delivery m_delivery;
    int m_listen = -1;
    uint16_t m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_stop { false };
    std::atomic<int> m_connections { 0 };
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requests;
};

} // namespace ov::test
