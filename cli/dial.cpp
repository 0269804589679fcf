// ovtool dial --list | ENTRY | --hangup ENTRY: the dialer over NetworkManager
// from the command line. --list prints the dial-up entries, one a line;
// ENTRY dials it and prints the log lines as the dialer window shows them
// until it is connected (exit 0, the connection stays up) or fails (exit 1);
// --hangup ENTRY deactivates the entry's connection. The exit status is 1
// when NetworkManager cannot be reached.
#include "tools/dial_logic.h"
#include "tools/dial_nm_backend.h"
#include "tools/dial_up.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// How long a dial may take before the tool gives up.
constexpr int DialTimeoutMs = 120000;

void printLine(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

} // namespace

int ovtoolDial(int argc, char** argv)
{
    enum class Mode { List, Dial, HangUp } mode = Mode::Dial;
    std::string entry;
    if (argc == 2 && std::strcmp(argv[1], "--list") == 0) {
        mode = Mode::List;
    } else if (argc == 3 && std::strcmp(argv[1], "--hangup") == 0) {
        mode = Mode::HangUp;
        entry = argv[2];
    } else if (argc == 2 && argv[1][0] != '-') {
        entry = argv[1];
    } else {
        std::fprintf(stderr, "usage: ovtool dial --list | ENTRY | --hangup ENTRY\n");
        return 2;
    }
    int qtArgc = 1;
    char name[] = "ovtool";
    char* qtArgv[] = { name, nullptr };
    QCoreApplication application(qtArgc, qtArgv);

    ov::NetworkManagerBackend backend;
    ov::TDialUp dialer(backend);
    ov::TDialerLogic logic(dialer);
    logic.OnLogLine = printLine;
    logic.Start();
    if (!backend.available())
        return 1;
    if (mode == Mode::List) {
        for (const auto& row : logic.Rows)
            printLine(row.name);
        return 0;
    }
    if (mode == Mode::HangUp) {
        const int result = backend.hangUpEntry(entry);
        if (result != 0) {
            printLine(ov::TDialUp::DefaultErrorText(result));
            return 1;
        }
        printLine("Inet Dialer");
        return 0;
    }
    int selected = -1;
    for (std::size_t i = 0; i < logic.Rows.size(); ++i)
        if (logic.Rows[i].name == entry)
            selected = static_cast<int>(i);
    if (selected < 0) {
        std::fprintf(stderr, "ovtool dial: no dial-up entry '%s'\n", entry.c_str());
        return 1;
    }
    // One dial, no redial: the first error or the connection ends the run.
    logic.Redial = false;
    int status = 1;
    const auto progress = dialer.OnAsyncEvent;
    dialer.OnAsyncEvent = [&](ov::TDialUp& sender, int state, const std::string& text, int error) {
        progress(sender, state, text, error);
        if (error != 0 || state == ov::DialState::Disconnected) {
            QCoreApplication::exit(1);
        } else if (state == ov::DialState::Connected) {
            status = 0;
            QCoreApplication::exit(0);
        }
    };
    bool failed = false;
    dialer.OnError = [&failed](ov::TDialUp&, int, const std::string& message) {
        printLine(message);
        failed = true;
    };
    QTimer::singleShot(DialTimeoutMs, &application, [] {
        printLine("No answer in time.");
        QCoreApplication::exit(1);
    });
    logic.Selected = selected;
    logic.Call();
    if (failed)
        return 1;
    const int loop = QCoreApplication::exec();
    if (status == 0)
        backend.release();
    return loop == 0 ? status : 1;
}
