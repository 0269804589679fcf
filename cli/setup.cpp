// ovtool setup [--target DIR] [--yes] [--no-shortcuts] [PAYLOAD]: what the
// installer's "&Install" does, without windows and without starting ov.
// PAYLOAD defaults to data.res in the current folder; DIR to the recorded
// folder, else the preset one. A non-empty folder holding no earlier
// installation is refused unless --yes is given. One line per member as it
// is put in place, then a summary; on failure the error text on stderr and
// exit status 1.
#include "platform/folders.h"
#include "setup/installer.h"

#include <QDir>

#include <cstdio>
#include <cstring>
#include <string>

using namespace ov;

int ovtoolSetup(int argc, char** argv)
{
    std::string target;
    std::string payload;
    bool yes = false;
    bool shortcuts = true;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--target" && i + 1 < argc) {
            target = argv[++i];
        } else if (argument == "--yes") {
            yes = true;
        } else if (argument == "--no-shortcuts") {
            shortcuts = false;
        } else if (argument.size() > 1 && argument[0] == '-') {
            std::fprintf(stderr, "usage: ovtool setup [--target DIR] [--yes] [--no-shortcuts] [PAYLOAD]\n");
            return 2;
        } else if (payload.empty()) {
            payload = argument;
        } else {
            std::fprintf(stderr, "ovtool setup: more than one payload given\n");
            return 2;
        }
    }
    const std::string current = QDir::currentPath().toStdString();
    if (payload.empty())
        payload = findPayload(current, executableFolder());
    else if (payload[0] != '/')
        payload = current + "/" + payload;
    if (target.empty())
        target = presetFolder();
    else if (target[0] != '/')
        target = current + "/" + target;

    const TargetCheck check = checkTarget(target, recordedInstallPath());
    if (check.problem == TargetProblem::Foreign && !yes) {
        std::fprintf(
            stderr, "ovtool setup: %s Give --yes to install into it anyway.\n", check.message.c_str());
        return 1;
    }

    Installer installer;
    installer.Target = check.folder;
    installer.Payload = payload;
    installer.Shortcuts = shortcuts;
    int64_t bytes = 0;
    installer.OnPlaced = [&installer, &bytes](const std::string& path, int, int) {
        for (const PayloadMember& member : installer.payload().members)
            if (member.path == path) {
                std::printf("%s%s\n", path.c_str(), member.folder ? "/" : "");
                bytes += member.size;
                break;
            }
    };
    if (!installer.Install()) {
        std::fprintf(stderr, "ovtool setup: %s\n", installer.error().c_str());
        return 1;
    }
    std::printf("Installed %d files (%lld bytes) into %s\n", installer.payload().fileCount(),
        static_cast<long long>(bytes), check.folder.c_str());
    return 0;
}
