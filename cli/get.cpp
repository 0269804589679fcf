// ovtool get [--proxy host:port] [--user u:p] URL [FILE]: one request
// through THttpClient. The status goes to stderr as "<code> <reason>"; the
// body to FILE (replaced only when the request succeeds) or to stdout.
// Exit status: 0 on success, 1 when the request failed, 2 on bad usage.
#include "news/http_client.h"
#include "news/replacing_file.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

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
    bool ok = true;
    try {
        client.Get();
    } catch (const ov::EHttpException&) {
        ok = false;
    }
    client.RcvdStream = nullptr;
    if (ok && !output.commit()) {
        std::fprintf(stderr, "ovtool get: %s\n", output.errorText().c_str());
        return 1;
    }
    std::fprintf(stderr, "%d %s\n", client.StatusCode(), client.ReasonPhrase().c_str());
    return ok ? 0 : 1;
}
