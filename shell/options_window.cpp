// The main options dialog; see options_window.h.
#include "shell/options_window.h"

#include "shell/language_file.h"
#include "shell/main_window.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QVBoxLayout>

namespace ov {

std::function<int(QDialog&)> TFormMainParam::ModalRunner;

namespace {

QString qt(const std::string& text)
{
    return QString::fromStdString(text);
}

template <typename T> T* named(T* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QCheckBox* checkBox(QWidget* parent, QLayout* layout, const char* name, const char* text)
{
    auto* box = named(new QCheckBox(QString::fromLatin1(text), parent), name);
    layout->addWidget(box);
    return box;
}

QSpinBox* spin(QWidget* parent, const char* name, int low, int high)
{
    auto* edit = named(new QSpinBox(parent), name);
    edit->setRange(low, high);
    return edit;
}

} // namespace

TFormMainParam::TFormMainParam(TForm1& form, bool trayAvailable, QWidget* parent)
    : QDialog(parent)
    , m_form(form)
    , m_trayAvailable(trayAvailable)
{
    setObjectName(QStringLiteral("FormMainParam"));
    setWindowTitle(QStringLiteral("Main options"));
    auto* outer = new QVBoxLayout(this);
    m_pages = named(new QTabWidget(this), "PageControl1");
    outer->addWidget(m_pages);

    // Main page.
    auto* main = named(new QWidget(m_pages), "Page_Main");
    auto* mainLayout = new QVBoxLayout(main);
    auto* splitterRow = new QHBoxLayout;
    m_splitterLabel = named(new QLabel(QStringLiteral("Wide of the splitter:"), main), "Label_Splitter");
    m_splitter = spin(main, "Main_Splitter", SplitterMin, SplitterMax);
    splitterRow->addWidget(m_splitterLabel);
    splitterRow->addWidget(m_splitter);
    splitterRow->addStretch();
    mainLayout->addLayout(splitterRow);
    m_tray = checkBox(main, mainLayout, "SysTrayIcon", "Show icon on System Tray");
    m_sysCopy = checkBox(main, mainLayout, "SysCopy", "Use system copy routine");
    m_recycle = checkBox(main, mainLayout, "DelToRecycle", "Delete to Recycle Bin");
    m_onTop = checkBox(main, mainLayout, "OnTop", "Always on top");
    m_editorBox = named(new QGroupBox(QStringLiteral(" Editor "), main), "GroupBox_Editor");
    auto* editorLayout = new QVBoxLayout(m_editorBox);
    m_builtIn = named(new QRadioButton(QStringLiteral("&Built-in"), m_editorBox), "Editor_Int");
    m_external = named(new QRadioButton(QStringLiteral("&External"), m_editorBox), "Editor_Ext");
    m_editorName = named(new QLineEdit(m_editorBox), "EditorName");
    editorLayout->addWidget(m_builtIn);
    editorLayout->addWidget(m_external);
    editorLayout->addWidget(m_editorName);
    mainLayout->addWidget(m_editorBox);
    m_oldDrag = checkBox(main, mainLayout, "OldDrag", "Classic drag-and-drop style");
    m_autoSave = checkBox(main, mainLayout, "AutoSave", "Auto save configuration");
    mainLayout->addStretch();
    m_pages->addTab(main, QStringLiteral("Main"));

    // Panels page.
    auto* panels = named(new QWidget(m_pages), "Page_Panel");
    auto* panelsLayout = new QVBoxLayout(panels);
    m_panelBox = named(new QGroupBox(panels), "GroupBox_Panel");
    panelsLayout->addWidget(m_panelBox);
    auto* boxLayout = new QVBoxLayout(m_panelBox);
    auto* spins = new QFormLayout;
    m_columnsLabel = named(new QLabel(QStringLiteral("Number of columns:"), m_panelBox), "Label_Columns");
    m_columns = spin(m_panelBox, "Columns", ColumnsMin, ColumnsMax);
    m_lengthLabel
        = named(new QLabel(QStringLiteral("Height file of a position:"), m_panelBox), "Label_Length");
    m_length = spin(m_panelBox, "Length", LengthMin, LengthMax);
    m_scrollLabel = named(new QLabel(QStringLiteral("Height of scroll bar:"), m_panelBox), "Label_ScrollBar");
    m_scrollBand = spin(m_panelBox, "ScrollBand", ScrollBandMin, ScrollBandMax);
    spins->addRow(m_columnsLabel, m_columns);
    spins->addRow(m_lengthLabel, m_length);
    spins->addRow(m_scrollLabel, m_scrollBand);
    boxLayout->addLayout(spins);
    m_showFreeDisk = checkBox(m_panelBox, boxLayout, "Show_FreeDisk", "Show free space on current disk");
    m_showFileName = checkBox(m_panelBox, boxLayout, "Show_FileName", "Show name of current file");
    m_showFileSize = checkBox(m_panelBox, boxLayout, "Show_FileSize", "Show file size");
    m_showFileDate = checkBox(m_panelBox, boxLayout, "Show_FileDate", "Show file date");
    m_showCurDir = checkBox(m_panelBox, boxLayout, "Show_CurDir", "Show current path in caption");
    m_showHidden = checkBox(m_panelBox, boxLayout, "Show_FileHide", "Show hidden files");
    m_showColors = checkBox(m_panelBox, boxLayout, "Show_FileColors", "Highlight files");
    m_showScrollBar = checkBox(m_panelBox, boxLayout, "Show_ScrollBar", "Show scroll bar");
    m_execFirst = checkBox(m_panelBox, boxLayout, "Param_ExecBegin", "Executable files to begin");
    m_pages->addTab(panels, QStringLiteral("Panels"));

    // Confirmation page.
    auto* confirm = named(new QWidget(m_pages), "Page_Confirm");
    auto* confirmLayout = new QVBoxLayout(confirm);
    m_confirmCopy = checkBox(confirm, confirmLayout, "Confirm_Copy", "Confirm on copy file(s)");
    m_confirmMove = checkBox(confirm, confirmLayout, "Confirm_Move", "Confirm on moving file(s)");
    m_confirmDelete = checkBox(confirm, confirmLayout, "Confirm_Delete", "Confirm on  delete");
    m_confirmExit = checkBox(confirm, confirmLayout, "Confirm_Exit", "Confirm on exit from Orvanta");
    confirmLayout->addStretch();
    m_pages->addTab(confirm, QStringLiteral("Confirmation"));

    // Language page: the five buttons share one parent, so they act as one group.
    auto* language = named(new QWidget(m_pages), "Page_Language");
    auto* languageLayout = new QVBoxLayout(language);
    const char* const languageNames[5][2] = { { "Lang_English", "&English language" },
        { "Lang_Russian", "&Russian language" }, { "Lang_Polish", "&Polish language" },
        { "Lang_Italian", "&Italian language" }, { "Lang_American", "American english" } };
    for (int i = 0; i < 5; ++i) {
        m_languages[i] = named(
            new QRadioButton(QString::fromLatin1(languageNames[i][1]), language), languageNames[i][0]);
        languageLayout->addWidget(m_languages[i]);
    }
    languageLayout->addStretch();
    m_pages->addTab(language, QStringLiteral("Language"));

    // Buttons.
    auto* buttons = new QHBoxLayout;
    m_ok = named(new QPushButton(QStringLiteral("&OK"), this), "Button_OK");
    m_cancel = named(new QPushButton(QStringLiteral("&Cancel"), this), "Button_Cancel");
    m_setDefault = named(new QPushButton(QStringLiteral("&Set Default"), this), "Button_SetDefault");
    m_ok->setDefault(true);
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_setDefault);
    outer->addLayout(buttons);
    connect(m_ok, &QPushButton::clicked, this, [this] { Button_OKClick(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { Button_CancelClick(); });
    connect(m_setDefault, &QPushButton::clicked, this, [this] { Button_SetDefaultClick(); });

    m_tray->setEnabled(m_trayAvailable);
    FillForm();
}

void TFormMainParam::fillTexts()
{
    const IniFile& lang = m_form.Language();
    const auto text = [&](const char* key) { return qt(windowText(lang, "MainParam", key)); };
    setWindowTitle(text("Caption"));
    m_pages->setTabText(0, text("Page_Main"));
    m_pages->setTabText(1, text("Page_Panel"));
    m_pages->setTabText(2, text("Page_Confirm"));
    m_pages->setTabText(3, text("Page_Language"));
    m_ok->setText(text("Button_OK"));
    m_cancel->setText(text("Button_Cancel"));
    m_setDefault->setText(text("Button_SetDefault"));
    m_editorBox->setTitle(text("Editor_Caption"));
    m_builtIn->setText(text("Editor_Int"));
    m_external->setText(text("Editor_Ext"));
    m_splitterLabel->setText(text("Splitter"));
    m_languages[0]->setText(text("Lang_English"));
    m_languages[1]->setText(text("Lang_Russian"));
    m_onTop->setText(text("Check_StayOnTop"));
    m_recycle->setText(text("Check_DelToRecycle"));
    m_sysCopy->setText(text("Check_SystemFuncCopy"));
    m_oldDrag->setText(text("Check_OldDrag"));
    m_autoSave->setText(text("Check_AutoSave"));
    m_tray->setText(text("Check_IconOnSysTray"));
    const Side side = optionsPanelSide(m_form.MainSettings, sideOfName(m_form.ActiveSide));
    m_panelBox->setTitle(
        QLatin1Char(' ') + text(side == Side::Left ? "Panel_ForLeft" : "Panel_ForRight") + QLatin1Char(' '));
    m_columnsLabel->setText(text("Panel_NumberColumns"));
    m_lengthLabel->setText(text("Panel_HeightFilePos"));
    m_scrollLabel->setText(text("Panel_HeightScrollBar"));
    m_showFreeDisk->setText(text("Panel_Show_FreeSpace"));
    m_showFileName->setText(text("Panel_Show_FileName"));
    m_showFileSize->setText(text("Panel_Show_FileSize"));
    m_showFileDate->setText(text("Panel_Show_FileDate"));
    m_showCurDir->setText(text("Panel_Show_Path"));
    m_showColors->setText(text("Panel_Show_FilesColors"));
    m_showHidden->setText(text("Panel_Show_FileHidden"));
    m_showScrollBar->setText(text("Panel_Show_ScrollBar"));
    m_execFirst->setText(text("Panel_Show_ExecutableToUp"));
    m_confirmCopy->setText(text("Confirm_Copy"));
    m_confirmMove->setText(text("Confirm_Move"));
    m_confirmDelete->setText(text("Confirm_Delete"));
    m_confirmExit->setText(text("Confirm_Exit"));
}

void TFormMainParam::fillValues(const MainOptionsValues& v)
{
    // No button for a Language outside the five: none is checked, which an
    // exclusive group only allows while it is not exclusive.
    for (QRadioButton* button : m_languages)
        button->setAutoExclusive(false);
    for (int i = 0; i < 5; ++i)
        m_languages[i]->setChecked(i == v.LanguageIndex);
    for (QRadioButton* button : m_languages)
        button->setAutoExclusive(true);
    m_splitter->setValue(v.Main_Splitter);
    m_tray->setChecked(v.SysTrayIcon);
    m_sysCopy->setChecked(v.SysCopy);
    m_recycle->setChecked(v.DelToRecycle);
    m_onTop->setChecked(v.OnTop);
    (v.BuiltInEditor ? m_builtIn : m_external)->setChecked(true);
    m_editorName->setText(qt(v.EditorName));
    m_oldDrag->setChecked(v.OldDrag);
    m_autoSave->setChecked(v.AutoSave);
    m_columns->setValue(v.Columns);
    m_columns->setEnabled(v.ColumnsEnabled);
    m_length->setValue(v.Length);
    m_scrollBand->setValue(v.ScrollBand);
    m_showFreeDisk->setChecked(v.ShowFreeDisk);
    m_showFileName->setChecked(v.ShowFileName);
    m_showFileSize->setChecked(v.ShowFileSize);
    m_showFileDate->setChecked(v.ShowFileDate);
    m_showCurDir->setChecked(v.ShowCurDir);
    m_showHidden->setChecked(v.ShowHiddenFiles);
    m_showColors->setChecked(v.ShowFileColors);
    m_showScrollBar->setChecked(v.ShowScrollBar);
    m_execFirst->setChecked(v.ExecFirst);
    m_confirmCopy->setChecked(v.ConfirmCopy);
    m_confirmMove->setChecked(v.ConfirmMove);
    m_confirmDelete->setChecked(v.ConfirmDelete);
    m_confirmExit->setChecked(v.ConfirmExit);
}

void TFormMainParam::FillForm()
{
    fillTexts();
    const Side side = optionsPanelSide(m_form.MainSettings, sideOfName(m_form.ActiveSide));
    const TFPanel* panel = side == Side::Left ? m_form.LeftPanel() : m_form.RightPanel();
    fillValues(fillMainOptions(m_form.MainSettings, panel->Settings, panel->ScrollBand));
}

MainOptionsValues TFormMainParam::Values() const
{
    MainOptionsValues v;
    v.LanguageIndex = -1;
    for (int i = 0; i < 5; ++i)
        if (m_languages[i]->isChecked())
            v.LanguageIndex = i;
    v.Main_Splitter = m_splitter->value();
    v.SysTrayIcon = m_tray->isChecked();
    v.SysCopy = m_sysCopy->isChecked();
    v.DelToRecycle = m_recycle->isChecked();
    v.OnTop = m_onTop->isChecked();
    v.BuiltInEditor = m_builtIn->isChecked();
    v.EditorName = m_editorName->text().toStdString();
    v.OldDrag = m_oldDrag->isChecked();
    v.AutoSave = m_autoSave->isChecked();
    v.Columns = m_columns->value();
    v.ColumnsEnabled = m_columns->isEnabled();
    v.Length = m_length->value();
    v.ScrollBand = m_scrollBand->value();
    v.ShowFreeDisk = m_showFreeDisk->isChecked();
    v.ShowFileName = m_showFileName->isChecked();
    v.ShowFileSize = m_showFileSize->isChecked();
    v.ShowFileDate = m_showFileDate->isChecked();
    v.ShowCurDir = m_showCurDir->isChecked();
    v.ShowHiddenFiles = m_showHidden->isChecked();
    v.ShowFileColors = m_showColors->isChecked();
    v.ShowScrollBar = m_showScrollBar->isChecked();
    v.ExecFirst = m_execFirst->isChecked();
    v.ConfirmCopy = m_confirmCopy->isChecked();
    v.ConfirmMove = m_confirmMove->isChecked();
    v.ConfirmDelete = m_confirmDelete->isChecked();
    v.ConfirmExit = m_confirmExit->isChecked();
    return v;
}

void TFormMainParam::Button_OKClick()
{
    TForm1& form = m_form;
    MainOptionsTarget target;
    target.settings = &form.MainSettings;
    for (const Side side : optionsTargetSides(form.MainSettings, sideOfName(form.ActiveSide))) {
        TFPanel* panel = side == Side::Left ? form.LeftPanel() : form.RightPanel();
        target.panels.push_back({ &panel->Settings, &panel->ScrollBand });
    }
    applyMainOptions(Values(), target, [&form] {
        form.OpenLanguageFile();
        form.Load_Language();
    });
    // The window style and the tray icon.
    form.ApplyWindowStyle();
    // Both panels take the flags they read from the settings, re-read their
    // lists keeping the current entries, and the window lays itself out.
    for (TFPanel* panel : { form.LeftPanel(), form.RightPanel() }) {
        panel->Language = form.MainSettings.Language;
        panel->OldDrag = form.MainSettings.OldDrag;
        panel->ApplyFontSize();
        panel->Refresh();
    }
    form.FormResize();
    accept();
}

void TFormMainParam::Button_CancelClick()
{
    reject();
}

void TFormMainParam::Button_SetDefaultClick()
{
    const std::string language = m_form.MainSettings.Language;
    if (!m_form.SetDefaultConfiguration())
        return;
    // The defaults name the English language: the window's texts follow at
    // once, as they do after a language change here.
    if (m_form.MainSettings.Language != language) {
        m_form.OpenLanguageFile();
        m_form.Load_Language();
    }
    FillForm();
}

void TFormMainParam::Execute(TForm1& form)
{
    TFormMainParam window(form, QSystemTrayIcon::isSystemTrayAvailable(), &form);
    if (ModalRunner)
        ModalRunner(window);
    else
        window.exec();
}

} // namespace ov
