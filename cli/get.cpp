// ovtool get [--proxy host:port] [--user u:p] URL [FILE]: one request
// through THttpClient. The status goes to stderr as "<code> <reason>"; the
// body to FILE (replaced only when the request succeeds) or to stdout.
// Exit status: 0 on success, 1 when the request failed, 2 on bad usage,
// 128 + the signal's number when SIGINT or SIGTERM stopped it; the part file
// of an unfinished download is removed in every failing case.
#include "news/http_client.h"
#include "news/replacing_file.h"

#include <QCoreApplication>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// The signal that asked the download to stop, 0 while none did. The handler
// only records it; the event loop looks at it between events and ends the
// request, so the part file is dropped by its owner, not in the handler.
volatile std::sig_atomic_t stopSignal = 0;

extern "C" void recordStopSignal(int signal)
{
    stopSignal = signal;
}

// How often the event loop looks for a stop signal.
constexpr int kSignalPollMs = 50;

int usage()
{
    std::fprintf(stderr, "usage: ovtool get [--proxy host:port] [--user u:p] URL [FILE]\n");
    return 2;
}

} // namespace

int ovtoolGet(int argc, char** argv)
{
    std::string proxy;
    std::string user;
    std::string url;
    std::string file;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--proxy" || arg == "--user") && i + 1 < argc)
            (arg == "--proxy" ? proxy : user) = argv[++i];
        else if (arg.starts_with("--"))
            return usage();
        else if (url.empty())
            url = arg;
        else if (file.empty())
            file = arg;
        else
            return usage();
    }
    if (url.empty())
        return usage();

    int qtArgc = 1;
    char* qtArgv[] = { argv[0], nullptr };
    QCoreApplication application(qtArgc, qtArgv);

    ov::THttpClient client;
    client.URL = url;
    if (!proxy.empty()) {
        // As the download window does: host before the last ":", port after;
        // without a port the proxy listens on 80.
        const auto colon = proxy.rfind(':');
        client.Proxy = proxy.substr(0, colon);
        client.ProxyPort = colon == std::string::npos ? "80" : proxy.substr(colon + 1);
    }
    if (!user.empty()) {
        const auto colon = user.find(':');
        client.Username = user.substr(0, colon);
        client.Password = colon == std::string::npos ? "" : user.substr(colon + 1);
    }

    ov::ReplacingFile output(file);
    const bool opened = file.empty() ? output.openDescriptor(1) : output.create();
    if (!opened) {
        std::fprintf(stderr, "ovtool get: %s\n", output.errorText().c_str());
        return 1;
    }
    client.RcvdStream = &output;
    std::signal(SIGINT, recordStopSignal);
    std::signal(SIGTERM, recordStopSignal);
    QTimer signalWatch;
    QObject::connect(&signalWatch, &QTimer::timeout, &signalWatch, [&client] {
        if (stopSignal != 0)
            client.Abort();
    });
    signalWatch.start(kSignalPollMs);
    bool ok = stopSignal == 0;
    try {
        if (ok)
            client.Get();
    } catch (const ov::EHttpException&) {
        ok = false;
    }
    signalWatch.stop();
    client.RcvdStream = nullptr;
    if (stopSignal != 0) {
        output.discard();
        std::fprintf(stderr, "ovtool get: stopped by signal %d\n", static_cast<int>(stopSignal));
        return 128 + stopSignal;
    }
    if (ok && !output.commit()) {
        std::fprintf(stderr, "ovtool get: %s\n", output.errorText().c_str());
        return 1;
    }
    std::fprintf(stderr, "%d %s\n", client.StatusCode(), client.ReasonPhrase().c_str());
    return ok ? 0 : 1;
}
