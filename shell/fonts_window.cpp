// The fonts dialog; see fonts_window.h.
#include "shell/fonts_window.h"

#include "platform/dialogs.h"
#include "platform/fonts.h"
#include "shell/language_file.h"
#include "shell/main_window.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace ov {

std::function<int(QDialog&)> TFormSetFonts::ModalRunner;

namespace {

QString qt(const std::string& text)
{
    return QString::fromStdString(text);
}

// Puts a font on a panel: the font, its size as the panel's size setting,
// the header and footer heights for it.
void putFont(TFPanel& panel, const std::string& family, int size, bool bold)
{
    panel.SetListFont(family, size, bold);
    panel.ApplyFontSize();
}

} // namespace

TFormSetFonts::TFormSetFonts(TForm1& form, QWidget* parent)
    : QDialog(parent)
    , m_form(form)
{
    setObjectName(QStringLiteral("FormSetFonts"));
    setWindowTitle(QStringLiteral("Set fonts"));
    auto* outer = new QHBoxLayout(this);
    m_group = new QGroupBox(this);
    m_group->setObjectName(QStringLiteral("GroupBox1"));
    auto* groupLayout = new QVBoxLayout(m_group);
    m_list = new QListWidget(m_group);
    m_list->setObjectName(QStringLiteral("ListBox1"));
    m_list->addItem(QStringLiteral("Font for file panel"));
    groupLayout->addWidget(m_list);
    outer->addWidget(m_group, 1);
    auto* buttons = new QVBoxLayout;
    m_ok = new QPushButton(QStringLiteral("&OK"), this);
    m_ok->setObjectName(QStringLiteral("Button_OK"));
    m_change = new QPushButton(QStringLiteral("C&hange font"), this);
    m_change->setObjectName(QStringLiteral("Button_Set"));
    m_cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("Button_Cancel"));
    m_copy = new QPushButton(this);
    m_copy->setObjectName(QStringLiteral("Button_SetFor"));
    for (QPushButton* button : { m_ok, m_change, m_cancel, m_copy })
        buttons->addWidget(button);
    buttons->addStretch();
    outer->addLayout(buttons);
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, [this] { Button_OKClick(); });
    connect(m_change, &QPushButton::clicked, this, [this] { Button_SetClick(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { Button_CancelClick(); });
    connect(m_copy, &QPushButton::clicked, this, [this] { Button_SetForClick(); });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { Button_SetClick(); });

    // Activation.
    m_list->setCurrentRow(0);
    m_saved = active()->Settings;
    const bool right = m_form.ActiveSide == "Right";
    // The captions name colours: that is what this dialog has always said.
    setWindowTitle(right ? QStringLiteral("Select colors for Right panel")
                         : QStringLiteral("Select colors for Left panel"));
    m_copy->setText(
        right ? QStringLiteral("Set Left panel as Right") : QStringLiteral("Set Right panel as Left"));
    if (m_form.MainSettings.Language != "ENGLISH") {
        const IniFile& lang = m_form.Language();
        const auto text = [&](const char* key) { return qt(windowText(lang, "SetFonts", key)); };
        setWindowTitle(text("Caption"));
        m_ok->setText(text("Button_OK"));
        m_change->setText(text("Button_Set"));
        m_cancel->setText(text("Button_Cancel"));
        const QString panelName = text(right ? "Right_Panel" : "Left_Panel");
        m_group->setTitle(QLatin1Char(' ') + panelName + QLatin1Char(' '));
        m_list->item(0)->setText(panelName);
        m_copy->setText(text(right ? "Button_SetLeftAsRight" : "Button_SetRightAsLeft"));
    }
}

TFPanel* TFormSetFonts::active() const
{
    return m_form.ActivePanel();
}

TFPanel* TFormSetFonts::other() const
{
    return m_form.OtherPanel();
}

void TFormSetFonts::Button_SetClick()
{
    TFPanel& panel = *active();
    panel.Settings.Font_Color = 0xFFFFFF;
    FontSpec font { panel.Settings.Font_Name, panel.Settings.Font_Size, panel.Settings.Font_Bold };
    // A cancelled dialog leaves the font as it was, which is then put back.
    prompts().chooseFont(font);
    putFont(panel, font.family, font.pointSize, font.bold);
    m_form.FormResize();
    // The full mode's type and date columns fit the new font.
    const QFontMetrics metrics(
        makeFont(qt(panel.Settings.Font_Name), panel.Settings.Font_Size, panel.Settings.Font_Bold));
    panel.Settings.SizeColWidth = metrics.horizontalAdvance(QStringLiteral("<Folder>")) + 10;
    panel.Settings.DateColWidth = metrics.horizontalAdvance(QStringLiteral("17.09.1996;")) + 6;
    panel.Layout();
}

void TFormSetFonts::Button_SetForClick()
{
    const PanelSettings& from = active()->Settings;
    TFPanel& to = *other();
    // The other panel keeps its column widths.
    const int sizeWidth = to.Settings.SizeColWidth;
    const int dateWidth = to.Settings.DateColWidth;
    putFont(to, from.Font_Name, from.Font_Size, from.Font_Bold);
    to.Settings.Font_Color = from.Font_Color;
    to.Settings.SizeColWidth = sizeWidth;
    to.Settings.DateColWidth = dateWidth;
    m_form.FormResize();
    to.Layout();
}

void TFormSetFonts::Button_OKClick()
{
    accept();
}

void TFormSetFonts::Button_CancelClick()
{
    reject();
}

void TFormSetFonts::reject()
{
    // The remembered font, and with it what followed the font.
    TFPanel& panel = *active();
    putFont(panel, m_saved.Font_Name, m_saved.Font_Size, m_saved.Font_Bold);
    panel.Settings.Font_Color = m_saved.Font_Color;
    panel.Settings.FontSizeSetting = m_saved.FontSizeSetting;
    panel.Settings.SizeColWidth = m_saved.SizeColWidth;
    panel.Settings.DateColWidth = m_saved.DateColWidth;
    panel.ApplyFontSize();
    m_form.FormResize();
    panel.Layout();
    QDialog::reject();
}

void TFormSetFonts::Execute(TForm1& form)
{
    TFormSetFonts window(form, &form);
    if (ModalRunner)
        ModalRunner(window);
    else
        window.exec();
}

} // namespace ov
