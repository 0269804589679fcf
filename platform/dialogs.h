// Questions and messages to the user, one call each.
//
// Everything that asks the user goes through the prompt service installed
// here. The GUI installs one that shows Qt dialogs; tests install a
// ScriptedPrompts, which answers from a queue and records every question, so
// that no test ever waits on a modal window.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace ov {

enum class Answer { None, Ok, Cancel, Yes, No, YesToAll, NoToAll, Abort, Retry, Ignore };

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, YesYesToAllNoCancel, AbortRetryIgnore, RetryCancel };

// Password marks a masked question (askSecret) in a ScriptedPrompts record.
enum class Icon { None, Information, Warning, Error, Question, Password };

// A font as the settings keep it: family name, size in points, bold.
struct FontSpec {
    std::string family;
    int pointSize = 8;
    bool bold = false;
};

struct Question {
    std::string text;
    std::string caption;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
};

class PromptService {
public:
    virtual ~PromptService() = default;
    virtual Answer ask(const Question& question) = 0;
    // Asks for a line of text; false when the user cancels.
    virtual bool askText(const std::string& caption, const std::string& label, std::string& value) = 0;
    // Open/save file dialogs: a host path, or "" when cancelled.
    virtual std::string openFile(
        const std::string& caption, const std::string& folder, const std::string& filter)
        = 0;
    virtual std::string saveFile(
        const std::string& caption, const std::string& folder, const std::string& filter)
        = 0;
    // Asks for a secret line (a password), shown masked while typed; false
    // when the user cancels. Services without one cancel.
    virtual bool askSecret(const std::string& caption, const std::string& label, std::string& value)
    {
        (void)caption, (void)label, (void)value;
        return false;
    }
    // A question that answers itself: without an answer within seconds it
    // returns Answer::None. The window counts down on its default button,
    // the safe one (safeAnswer). Services without a window time out at once.
    virtual Answer askTimed(const Question& question, int seconds)
    {
        (void)question, (void)seconds;
        return Answer::None;
    }
    // The colour dialog, opened on color (0x00BBGGRR); false, with color
    // unchanged, when the user cancels. Services without one cancel.
    virtual bool chooseColor(int32_t& color)
    {
        (void)color;
        return false;
    }
    // The font dialog, opened on font; false, with font unchanged, when the
    // user cancels. Services without one cancel.
    virtual bool chooseFont(FontSpec& font)
    {
        (void)font;
        return false;
    }
};

// The service in use. Without an installed one every question is answered
// with its safe choice (Cancel, No, or Ok for a plain message).
PromptService& prompts();
void setPrompts(PromptService* service);

// Shorthands.
Answer messageBox(const std::string& text, const std::string& caption, Buttons buttons = Buttons::Ok,
    Icon icon = Icon::None);

// Answers from a queue and records every question. When the queue runs dry
// it answers with the safe choice and counts the miss.
class ScriptedPrompts : public PromptService {
public:
    std::deque<Answer> answers;
    std::deque<std::string> texts; // answers for askText, askSecret and file dialogs
    std::deque<int32_t> colors; // answers for chooseColor; none left cancels
    std::deque<FontSpec> fonts; // answers for chooseFont; none left cancels
    std::vector<Question> asked;
    int unanswered = 0;

    Answer ask(const Question& question) override;
    bool askText(const std::string& caption, const std::string& label, std::string& value) override;
    // Recorded like askText, with the Password icon.
    bool askSecret(const std::string& caption, const std::string& label, std::string& value) override;
    std::string openFile(
        const std::string& caption, const std::string& folder, const std::string& filter) override;
    std::string saveFile(
        const std::string& caption, const std::string& folder, const std::string& filter) override;
    bool chooseColor(int32_t& color) override;
    // Recorded in asked; answered from answers, an empty queue being the
    // timeout (Answer::None, not counted as unanswered).
    Answer askTimed(const Question& question, int seconds) override;
    // Recorded with the text "family,size" or "family,size,bold".
    bool chooseFont(FontSpec& font) override;
};

// The safe answer to a set of buttons.
Answer safeAnswer(Buttons buttons);

} // namespace ov
