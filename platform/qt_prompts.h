// The prompt service of the running program: Qt message boxes and dialogs.
#pragma once

#include "platform/dialogs.h"

class QWidget;

namespace ov {

class QtPrompts : public PromptService {
public:
    explicit QtPrompts(QWidget* parent = nullptr)
        : m_parent(parent)
    {
    }
    void setParent(QWidget* parent) { m_parent = parent; }
    Answer ask(const Question& question) override;
    bool askText(const std::string& caption, const std::string& label, std::string& value) override;
    bool askSecret(const std::string& caption, const std::string& label, std::string& value) override;
    std::string openFile(
        const std::string& caption, const std::string& folder, const std::string& filter) override;
    std::string saveFile(
        const std::string& caption, const std::string& folder, const std::string& filter) override;
    bool chooseColor(int32_t& color) override;
    Answer askTimed(const Question& question, int seconds) override;
    bool chooseFont(FontSpec& font) override;

private:
    QWidget* m_parent;
};

} // namespace ov
