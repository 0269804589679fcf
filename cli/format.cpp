// ovtool format --image FILE [--size KB] [--quick|--full] [--label L]
// ovtool format --device DEV --yes [--size KB] [--quick|--full] [--label L]
// Formats a floppy image or a removable device with the formatter the
// format window uses, and prints its summary line (the English texts of
// section Format). A device needs --yes: it stands for the window's two
// questions. Exit status 0 when formatted, 1 when refused or failed, 2 on a
// usage error.
#include "platform/floppy_format.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace ov;

namespace {

int usage()
{
    std::fprintf(stderr,
        "usage: ovtool format --image FILE [--size KB] [--quick|--full] [--label L]\n"
        "       ovtool format --device DEV --yes [--size KB] [--quick|--full] [--label L]\n");
    return 2;
}

} // namespace

int ovtoolFormat(int argc, char** argv)
{
    FormatRequest request;
    bool device = false, yes = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if ((arg == "--image" || arg == "--device") && hasValue && request.target.empty()) {
            device = arg == "--device";
            request.target = argv[++i];
        } else if (arg == "--size" && hasValue) {
            char* end = nullptr;
            const long kb = std::strtol(argv[++i], &end, 10);
            if (!end || *end || kb <= 0 || kb > 1 << 30)
                return usage();
            request.capacityKb = static_cast<int>(kb);
        } else if (arg == "--label" && hasValue) {
            request.label = argv[++i];
        } else if (arg == "--quick") {
            request.kind = FormatKind::Quick;
        } else if (arg == "--full") {
            request.kind = FormatKind::Full;
        } else if (arg == "--yes") {
            yes = true;
        } else {
            return usage();
        }
    }
    if (request.target.empty() || (device && !yes))
        return usage();

    FloppyFormatter formatter;
    formatter.OnStep
        = [](const FormatMessage& step) { std::fprintf(stderr, "%s\n", formatText(step).c_str()); };
    if (device)
        formatter.OnConfirmDevice = [](const std::string& path, const TargetFacts& facts) {
            std::fprintf(stderr, "%s: %s, %llu KB\n", path.c_str(), facts.model.c_str(),
                static_cast<unsigned long long>(facts.sizeBytes / 1024));
            return true;
        };
    const FormatSummary summary = formatter.Format(request);
    // Without --device nobody confirms, so a device named by --image is
    // left alone (reported as cancelled).
    const std::string line = summary.status == FormatStatus::Done || summary.status == FormatStatus::Cancelled
        ? formatText(summary.message)
        : formatText({ "Summary_Failed", { formatText(summary.message) } });
    std::printf("%s\n", line.c_str());
    if (!summary.note.empty())
        std::printf("%s\n", formatText(summary.note).c_str());
    return summary.status == FormatStatus::Done ? 0 : 1;
}
