// The calculator engine and its dialog.
#include "shell/calculator.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>
#include <cstdio>

namespace ov {

namespace {

std::string formatNumber(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.12g", value);
    return text;
}

} // namespace

void CalculatorEngine::reset()
{
    *this = CalculatorEngine();
}

void CalculatorEngine::applyPending()
{
    const double operand = std::stod(m_display);
    switch (m_pending) {
    case '+':
        m_accumulator += operand;
        break;
    case '-':
        m_accumulator -= operand;
        break;
    case '*':
        m_accumulator *= operand;
        break;
    case '/':
        if (operand == 0) {
            m_error = true;
            m_display = "Error";
            return;
        }
        m_accumulator /= operand;
        break;
    default:
        m_accumulator = operand;
        break;
    }
    if (!std::isfinite(m_accumulator)) {
        m_error = true;
        m_display = "Error";
        return;
    }
    m_display = formatNumber(m_accumulator);
}

void CalculatorEngine::press(const std::string& key)
{
    if (key == "C") {
        reset();
        return;
    }
    if (m_error)
        return;
    if (key.size() == 1 && ((key[0] >= '0' && key[0] <= '9') || key[0] == '.')) {
        if (m_startNew) {
            m_display = key == "." ? "0." : key;
            m_startNew = false;
            return;
        }
        if (key == "." && m_display.find('.') != std::string::npos)
            return;
        if (m_display.size() >= 16)
            return;
        m_display = m_display == "0" && key != "." ? key : m_display + key;
        return;
    }
    if (key == "<") {
        if (!m_startNew)
            m_display = m_display.size() > 1 ? m_display.substr(0, m_display.size() - 1) : "0";
        if (m_display == "-")
            m_display = "0";
        return;
    }
    if (key == "\u00B1") {
        m_display
            = m_display[0] == '-' ? m_display.substr(1) : (m_display == "0" ? m_display : "-" + m_display);
        return;
    }
    if (key == "+" || key == "-" || key == "*" || key == "/" || key == "=") {
        if (!m_startNew || key == "=")
            applyPending();
        m_pending = key == "=" ? 0 : key[0];
        m_startNew = true;
    }
}

TCalculatorDialog::TCalculatorDialog(QWidget* parent)
    : QDialog(parent)
{
    setObjectName("RxCalculator1");
    setWindowTitle(QStringLiteral("Calculator"));
    auto* layout = new QVBoxLayout(this);
    m_display = new QLabel(QStringLiteral("0"), this);
    m_display->setObjectName("Display");
    m_display->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_display->setFrameShape(QFrame::Panel);
    m_display->setFrameShadow(QFrame::Sunken);
    layout->addWidget(m_display);
    auto* grid = new QGridLayout;
    const char* keys[5][4] = {
        { "C", "<", "\u00B1", "/" },
        { "7", "8", "9", "*" },
        { "4", "5", "6", "-" },
        { "1", "2", "3", "+" },
        { "0", ".", "=", "" },
    };
    for (int row = 0; row < 5; ++row) {
        for (int column = 0; column < 4; ++column) {
            const std::string key = keys[row][column];
            if (key.empty())
                continue;
            auto* button = new QPushButton(QString::fromStdString(key), this);
            button->setAutoDefault(false);
            button->setFocusPolicy(Qt::NoFocus);
            connect(button, &QPushButton::clicked, this, [this, key] { press(key); });
            grid->addWidget(button, row, column);
        }
    }
    layout->addLayout(grid);
}

void TCalculatorDialog::resetValue()
{
    m_engine.reset();
    m_display->setText(QStringLiteral("0"));
}

void TCalculatorDialog::press(const std::string& key)
{
    m_engine.press(key);
    m_display->setText(QString::fromStdString(m_engine.display()));
}

void TCalculatorDialog::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    if (event->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        press("=");
        return;
    }
    if (event->key() == Qt::Key_Backspace) {
        press("<");
        return;
    }
    if (event->key() == Qt::Key_Delete) {
        press("C");
        return;
    }
    if (text.size() == 1 && QStringLiteral("0123456789.+-*/=").contains(text[0])) {
        press(text.toStdString());
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace ov
