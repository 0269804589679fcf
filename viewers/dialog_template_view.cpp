#include "viewers/dialog_template_view.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QTabBar>
#include <QTextEdit>
#include <QToolBar>
#include <QTreeWidget>

namespace ov {

namespace {

constexpr uint32_t kCancelId = 2;
constexpr uint32_t kVisible = 0x10000000; // WS_VISIBLE

std::string lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return text;
}

// A widget for one control; the class is known (the creation checked it).
QWidget* controlWidget(const DialogControl& control, QWidget* dialog)
{
    const std::string name = lower(control.className());
    const QString title
        = QString::fromStdString(control.title.kind == DialogName::Kind::Text ? control.title.text : "");
    const uint32_t kind = control.style & 0x0F;
    QWidget* widget = nullptr;
    if (name == "button") {
        // BS_CHECKBOX 2, BS_AUTOCHECKBOX 3, BS_3STATE 5, BS_AUTO3STATE 6,
        // BS_RADIOBUTTON 4, BS_AUTORADIOBUTTON 9, BS_GROUPBOX 7.
        if (kind == 2 || kind == 3 || kind == 5 || kind == 6)
            widget = new QCheckBox(title, dialog);
        else if (kind == 4 || kind == 9)
            widget = new QRadioButton(title, dialog);
        else if (kind == 7)
            widget = new QGroupBox(title, dialog);
        else
            widget = new QPushButton(title, dialog);
    } else if (name == "edit" || name == "msctls_hotkey32" || name == "sysipaddress32") {
        if (control.style & 0x4) // ES_MULTILINE
            widget = new QPlainTextEdit(title, dialog);
        else
            widget = new QLineEdit(title, dialog);
    } else if (name == "static" || name == "syslink" || name == "sysanimate32"
        || name == "msctls_statusbar32") {
        auto* label = new QLabel(title, dialog);
        label->setWordWrap(true);
        widget = label;
    } else if (name == "listbox") {
        widget = new QListWidget(dialog);
    } else if (name == "scrollbar") {
        widget = new QScrollBar(control.style & 1 ? Qt::Vertical : Qt::Horizontal, dialog);
    } else if (name == "combobox" || name == "comboboxex32") {
        widget = new QComboBox(dialog);
    } else if (name == "syslistview32") {
        widget = new QListWidget(dialog);
    } else if (name == "systreeview32") {
        auto* tree = new QTreeWidget(dialog);
        tree->setHeaderHidden(true);
        widget = tree;
    } else if (name == "systabcontrol32" || name == "sysheader32") {
        widget = new QTabBar(dialog);
    } else if (name == "msctls_progress32") {
        widget = new QProgressBar(dialog);
    } else if (name == "msctls_trackbar32") {
        widget = new QSlider(Qt::Horizontal, dialog);
    } else if (name == "msctls_updown32") {
        widget = new QSpinBox(dialog);
    } else if (name == "sysdatetimepick32") {
        widget = new QDateTimeEdit(dialog);
    } else if (name == "sysmonthcal32") {
        widget = new QCalendarWidget(dialog);
    } else if (name == "toolbarwindow32" || name == "rebarwindow32") {
        widget = new QToolBar(dialog);
    } else {
        widget = new QTextEdit(title, dialog); // the rich edit classes
    }
    widget->setObjectName(QString("Control%1").arg(control.id));
    widget->setProperty("controlClass", QString::fromStdString(control.className()));
    return widget;
}

} // namespace

DialogBaseUnits dialogBaseUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    DialogBaseUnits units;
    units.x = std::max(1, (letters / 26 + 1) / 2);
    units.y = std::max(1, metrics.height());
    return units;
}

QRect dialogUnitsToPixels(int x, int y, int cx, int cy, DialogBaseUnits units)
{
    return { x * units.x / 4, y * units.y / 8, cx * units.x / 4, cy * units.y / 8 };
}

QFont dialogFont(const DialogTemplate& dialog)
{
    QFont font;
    if (!dialog.hasFont)
        return font;
    if (!dialog.typeface.empty())
        font.setFamily(QString::fromStdString(dialog.typeface));
    if (dialog.pointSize > 0 && dialog.pointSize < 200)
        font.setPointSize(dialog.pointSize);
    font.setItalic(dialog.italic);
    if (dialog.weight >= 700)
        font.setBold(true);
    return font;
}

QWidget* createDialogWidget(const DialogTemplate& dialog, QWidget* parent)
{
    auto* window = new QWidget(parent, Qt::Window | Qt::Dialog);
    window->setObjectName("DialogPreview");
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(QString::fromStdString(dialog.title));
    const QFont font = dialogFont(dialog);
    window->setFont(font);
    const DialogBaseUnits units = dialogBaseUnits(font);
    const QRect frame = dialogUnitsToPixels(dialog.x, dialog.y, dialog.cx, dialog.cy, units);
    window->resize(std::clamp(frame.width(), 1, 4000), std::clamp(frame.height(), 1, 4000));
    for (const DialogControl& control : dialog.controls) {
        QWidget* widget = controlWidget(control, window);
        widget->setGeometry(dialogUnitsToPixels(control.x, control.y, control.cx, control.cy, units));
        widget->setVisible(control.style & kVisible);
        if (auto* button = qobject_cast<QPushButton*>(widget); button && control.id == kCancelId)
            QObject::connect(button, &QPushButton::clicked, window, [window] { window->close(); });
    }
    return window;
}

TDialogPlaceholder::TDialogPlaceholder(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint)
{
    setObjectName("DialogPlaceholder");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("I'm just a placeholder for dialog. Click to close");
    resize(500, 60);
}

QWidget* TDialogPlaceholder::ShowDialog(const DialogTemplate& dialog)
{
    m_dialog = createDialogWidget(dialog, this);
    return m_dialog;
}

void TDialogPlaceholder::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    close();
}

} // namespace ov
