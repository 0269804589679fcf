#include "platform/qt_prompts.h"

#include "platform/fonts.h"

#include <QColor>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace ov {

namespace {

struct Choice {
    QMessageBox::StandardButton button;
    Answer answer;
};

// The buttons of a set, the first being the default.
std::vector<Choice> choicesFor(Buttons set)
{
    std::vector<Choice> choices;
    switch (set) {
    case Buttons::Ok:
        choices = { { QMessageBox::Ok, Answer::Ok } };
        break;
    case Buttons::OkCancel:
        choices = { { QMessageBox::Ok, Answer::Ok }, { QMessageBox::Cancel, Answer::Cancel } };
        break;
    case Buttons::YesNo:
        choices = { { QMessageBox::Yes, Answer::Yes }, { QMessageBox::No, Answer::No } };
        break;
    case Buttons::YesNoCancel:
        choices = { { QMessageBox::Yes, Answer::Yes }, { QMessageBox::No, Answer::No },
            { QMessageBox::Cancel, Answer::Cancel } };
        break;
    case Buttons::YesYesToAllNoCancel:
        choices = { { QMessageBox::Yes, Answer::Yes }, { QMessageBox::YesToAll, Answer::YesToAll },
            { QMessageBox::No, Answer::No }, { QMessageBox::Cancel, Answer::Cancel } };
        break;
    case Buttons::AbortRetryIgnore:
        choices = { { QMessageBox::Abort, Answer::Abort }, { QMessageBox::Retry, Answer::Retry },
            { QMessageBox::Ignore, Answer::Ignore } };
        break;
    case Buttons::RetryCancel:
        choices = { { QMessageBox::Retry, Answer::Retry }, { QMessageBox::Cancel, Answer::Cancel } };
        break;
    }
    return choices;
}

} // namespace

Answer QtPrompts::ask(const Question& question)
{
    QMessageBox box(m_parent);
    box.setWindowTitle(QString::fromStdString(question.caption));
    box.setText(QString::fromStdString(question.text));
    switch (question.icon) {
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::None:
    case Icon::Password:
        break;
    }
    const std::vector<Choice> choices = choicesFor(question.buttons);
    QMessageBox::StandardButtons buttons;
    for (const Choice& c : choices)
        buttons |= c.button;
    box.setStandardButtons(buttons);
    box.setDefaultButton(choices.front().button);
    const auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
    for (const Choice& c : choices)
        if (c.button == pressed)
            return c.answer;
    return safeAnswer(question.buttons);
}

bool QtPrompts::askText(const std::string& caption, const std::string& label, std::string& value)
{
    bool ok = false;
    const QString text = QInputDialog::getText(m_parent, QString::fromStdString(caption),
        QString::fromStdString(label), QLineEdit::Normal, QString::fromStdString(value), &ok);
    if (ok)
        value = text.toStdString();
    return ok;
}

bool QtPrompts::askSecret(const std::string& caption, const std::string& label, std::string& value)
{
    bool ok = false;
    const QString text = QInputDialog::getText(m_parent, QString::fromStdString(caption),
        QString::fromStdString(label), QLineEdit::Password, QString(), &ok);
    if (ok)
        value = text.toStdString();
    return ok;
}

std::string QtPrompts::openFile(
    const std::string& caption, const std::string& folder, const std::string& filter)
{
    return QFileDialog::getOpenFileName(m_parent, QString::fromStdString(caption),
        QString::fromStdString(folder), QString::fromStdString(filter))
        .toStdString();
}

std::string QtPrompts::saveFile(
    const std::string& caption, const std::string& folder, const std::string& filter)
{
    return QFileDialog::getSaveFileName(m_parent, QString::fromStdString(caption),
        QString::fromStdString(folder), QString::fromStdString(filter))
        .toStdString();
}

bool QtPrompts::chooseColor(int32_t& color)
{
    // 0x00BBGGRR; a negative (system) colour opens on black.
    const uint32_t value = color < 0 ? 0 : static_cast<uint32_t>(color);
    const QColor chosen = QColorDialog::getColor(
        QColor(int(value & 0xFF), int(value >> 8 & 0xFF), int(value >> 16 & 0xFF)), m_parent);
    if (!chosen.isValid())
        return false;
    color = static_cast<int32_t>(
        uint32_t(chosen.red()) | uint32_t(chosen.green()) << 8 | uint32_t(chosen.blue()) << 16);
    return true;
}

bool QtPrompts::chooseFont(FontSpec& font)
{
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(
        &ok, makeFont(QString::fromStdString(font.family), font.pointSize, font.bold), m_parent);
    if (!ok)
        return false;
    font.family = chosen.family().toStdString();
    // A font given in pixels has no point size of its own; its match has.
    font.pointSize = chosen.pointSize() > 0 ? chosen.pointSize() : QFontInfo(chosen).pointSize();
    font.bold = chosen.weight() >= QFont::Bold;
    return true;
}

} // namespace ov

namespace ov {

Answer QtPrompts::askTimed(const Question& question, int seconds)
{
    QMessageBox box(m_parent);
    box.setWindowTitle(QString::fromStdString(question.caption));
    box.setText(QString::fromStdString(question.text));
    box.setIcon(QMessageBox::Question);
    const std::vector<Choice> choices = choicesFor(question.buttons);
    QMessageBox::StandardButtons buttons;
    for (const Choice& c : choices)
        buttons |= c.button;
    box.setStandardButtons(buttons);
    // The countdown runs on the safe button, which is also the default.
    const Answer safe = safeAnswer(question.buttons);
    QPushButton* counting = nullptr;
    for (const Choice& c : choices)
        if (c.answer == safe)
            counting = qobject_cast<QPushButton*>(box.button(c.button));
    if (!counting)
        counting = qobject_cast<QPushButton*>(box.button(choices.front().button));
    box.setDefaultButton(counting);
    const QString label = counting->text();
    int left = seconds;
    bool timedOut = false;
    const auto show = [&] { counting->setText(QStringLiteral("%1 (%2)").arg(label).arg(left)); };
    show();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &box, [&] {
        if (--left > 0)
            return show();
        timedOut = true;
        box.done(0);
    });
    tick.start(1000);
    const auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
    if (timedOut)
        return Answer::None;
    for (const Choice& c : choices)
        if (c.button == pressed)
            return c.answer;
    return Answer::None;
}

} // namespace ov
