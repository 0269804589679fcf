#include "platform/dialogs.h"

namespace ov {

namespace {

PromptService* installed = nullptr;

class SafePrompts : public PromptService {
public:
    Answer ask(const Question& question) override { return safeAnswer(question.buttons); }
    bool askText(const std::string&, const std::string&, std::string&) override { return false; }
    std::string openFile(const std::string&, const std::string&, const std::string&) override { return {}; }
    std::string saveFile(const std::string&, const std::string&, const std::string&) override { return {}; }
};

} // namespace

Answer safeAnswer(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok:
        return Answer::Ok;
    case Buttons::YesNo:
        return Answer::No;
    case Buttons::AbortRetryIgnore:
        return Answer::Abort;
    default:
        return Answer::Cancel;
    }
}

PromptService& prompts()
{
    static SafePrompts safe;
    return installed ? *installed : safe;
}

void setPrompts(PromptService* service)
{
    installed = service;
}

Answer messageBox(const std::string& text, const std::string& caption, Buttons buttons, Icon icon)
{
    return prompts().ask({ text, caption, buttons, icon });
}

Answer ScriptedPrompts::ask(const Question& question)
{
    asked.push_back(question);
    if (answers.empty()) {
        ++unanswered;
        return safeAnswer(question.buttons);
    }
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

Answer ScriptedPrompts::askTimed(const Question& question, int)
{
    asked.push_back(question);
    if (answers.empty())
        return Answer::None;
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

bool ScriptedPrompts::askText(const std::string& caption, const std::string& label, std::string& value)
{
    asked.push_back({ label, caption, Buttons::OkCancel, Icon::Question });
    if (texts.empty()) {
        ++unanswered;
        return false;
    }
    value = texts.front();
    texts.pop_front();
    return true;
}

bool ScriptedPrompts::askSecret(const std::string& caption, const std::string& label, std::string& value)
{
    const bool answered = askText(caption, label, value);
    asked.back().icon = Icon::Password;
    return answered;
}

bool ScriptedPrompts::chooseColor(int32_t& color)
{
    asked.push_back({ std::to_string(color), "color", Buttons::OkCancel, Icon::None });
    if (colors.empty()) {
        ++unanswered;
        return false;
    }
    color = colors.front();
    colors.pop_front();
    return true;
}

bool ScriptedPrompts::chooseFont(FontSpec& font)
{
    asked.push_back({ font.family + "," + std::to_string(font.pointSize) + (font.bold ? ",bold" : ""), "font",
        Buttons::OkCancel, Icon::None });
    if (fonts.empty()) {
        ++unanswered;
        return false;
    }
    font = fonts.front();
    fonts.pop_front();
    return true;
}

std::string ScriptedPrompts::openFile(const std::string& caption, const std::string&, const std::string&)
{
    std::string value;
    return askText(caption, "open", value) ? value : std::string();
}

std::string ScriptedPrompts::saveFile(const std::string& caption, const std::string&, const std::string&)
{
    std::string value;
    return askText(caption, "save", value) ? value : std::string();
}

} // namespace ov
