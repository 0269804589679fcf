// The small calculator of the Utilities menu: a four-function engine with
// memory-free chained operations, and the modal dialog over it. The dialog
// starts at 0 every time; its result goes nowhere.
#pragma once

#include <QDialog>

#include <string>

class QLabel;

namespace ov {

// Keys: digits "0".."9", ".", "+", "-", "*", "/", "=", "C" (clear),
// "±" (sign), "<" (back one digit). Division by zero shows "Error" until C.
class CalculatorEngine {
public:
    void press(const std::string& key);
    void reset();
    // The display text ("0" after reset).
    std::string display() const { return m_display; }
    double value() const { return m_error ? 0.0 : std::stod(m_display); }

private:
    void applyPending();

    std::string m_display = "0";
    double m_accumulator = 0;
    char m_pending = 0;
    bool m_startNew = true;
    bool m_error = false;
};

class TCalculatorDialog : public QDialog {
public:
    explicit TCalculatorDialog(QWidget* parent = nullptr);
    CalculatorEngine& engine() { return m_engine; }
    // Value back to 0, then the display.
    void resetValue();
    void press(const std::string& key);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    CalculatorEngine m_engine;
    QLabel* m_display = nullptr;
};

} // namespace ov
