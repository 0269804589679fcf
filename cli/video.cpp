// ovtool video current|modes|set W H [--keep|--revert-after S]: the video
// mode changer over XRandR on $DISPLAY. current prints the window's box
// text, modes its list (one line per mode); set changes the mode as the
// window does and prints the message it shows. The keep question is
// answered Yes by --keep; --revert-after S leaves it unanswered for S
// seconds (15 without either), after which the old mode comes back and
// "Returned to ..." is printed. Exit status 0 when the mode was set (or
// kept), 1 otherwise, 2 on a usage error.
#include "platform/dialogs.h"
#include "platform/display_modes.h"
#include "tools/video_mode.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

using namespace ov;

namespace {

int usage()
{
    std::fprintf(stderr, "usage: ovtool video current|modes|set W H [--keep|--revert-after S]\n");
    return 2;
}

// Answers the keep question: Yes, or nothing after a wait.
class KeepAnswer : public PromptService {
public:
    bool keep = false;
    int waitSeconds = KeepSeconds;
    Answer ask(const Question& question) override { return safeAnswer(question.buttons); }
    bool askText(const std::string&, const std::string&, std::string&) override { return false; }
    std::string openFile(const std::string&, const std::string&, const std::string&) override { return {}; }
    std::string saveFile(const std::string&, const std::string&, const std::string&) override { return {}; }
    Answer askTimed(const Question& question, int) override
    {
        std::fprintf(stderr, "%s\n", question.text.c_str());
        if (keep)
            return Answer::Yes;
        std::this_thread::sleep_for(std::chrono::seconds(waitSeconds));
        return Answer::None;
    }
};

bool number(const char* text, int& value)
{
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (!end || *end || parsed < 0 || parsed > 100000)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

} // namespace

int ovtoolVideo(int argc, char** argv)
{
    if (argc < 2)
        return usage();
    XrandrModes display;
    TVideoModes modes(display);
    const std::string command = argv[1];
    if (command == "current" && argc == 2) {
        modes.Activate();
        std::printf("%s\n", modes.CurrentText().c_str());
        return display.available() ? 0 : 1;
    }
    if (command == "modes" && argc == 2) {
        modes.Activate();
        for (const std::string& line : modes.Lines())
            std::printf("%s\n", line.c_str());
        return modes.Lines().empty() ? 1 : 0;
    }
    if (command != "set" || argc < 4)
        return usage();
    int width = 0, height = 0;
    if (!number(argv[2], width) || !number(argv[3], height))
        return usage();
    KeepAnswer answer;
    for (int i = 4; i < argc; ++i) {
        if (std::strcmp(argv[i], "--keep") == 0)
            answer.keep = true;
        else if (std::strcmp(argv[i], "--revert-after") == 0 && i + 1 < argc
            && number(argv[i + 1], answer.waitSeconds))
            ++i;
        else
            return usage();
    }
    setPrompts(&answer);
    const std::string message = modes.SetSize(width, height);
    setPrompts(nullptr);
    if (modes.Reverted) {
        std::printf("Returned to %s\n", modes.CurrentText().c_str());
        return 1;
    }
    std::printf("%s\n", message.c_str());
    return modes.LastResult == DisplayChange::Successful ? 0 : 1;
}
