// The user menu dialog; the list, its file and its layouts live in UserMenu.
#include "shell/menu_window.h"

#include "platform/dialogs.h"
#include "shell/language_file.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace ov {

std::function<int(QDialog&)> TFormMenu::ModalRunner;

namespace {

constexpr int ButtonWidth = 75;
constexpr int ButtonHeight = 25;
constexpr int ButtonsTop = 192;
constexpr int EditButtonsTop = 224;

QString qt(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

TFormMenu::TFormMenu(const IniFile& language, const std::string& languageName,
    const std::string& programFolder, QWidget* parent)
    : QDialog(parent)
    , m_language(language)
    , m_languageName(languageName)
    , m_folder(programFolder)
{
    setObjectName("FormMenu");
    setWindowTitle(qt(text("Caption", "Main menu")));
    setFixedSize(256, 250);

    m_list = new QListWidget(this);
    m_list->setObjectName("ListBox1");
    m_comList = new QListWidget(this);
    m_comList->setObjectName("ComList");
    m_comList->hide();
    m_label1 = new QLabel(qt(text("ProgramCaption", "Program caption")), this);
    m_label1->setObjectName("Label1");
    m_label1->setGeometry(8, 94, 240, 16);
    m_edit1 = new QLineEdit(this);
    m_edit1->setObjectName("Edit1");
    m_edit1->setGeometry(8, 110, 240, 21);
    m_label2 = new QLabel(qt(text("CommandForRun", "Command to run")), this);
    m_label2->setObjectName("Label2");
    m_label2->setGeometry(8, 136, 240, 16);
    m_edit2 = new QLineEdit(this);
    m_edit2->setObjectName("Edit2");
    m_edit2->setGeometry(8, 152, 214, 21);
    m_browse = new QPushButton("...", this);
    m_browse->setObjectName("SpeedButton1");
    m_browse->setGeometry(226, 152, 22, 21);

    const auto button = [this](const char* name, const char* key, const char* fallback, int x, int y) {
        auto* made = new QPushButton(qt(text(key, fallback)), this);
        made->setObjectName(name);
        made->setGeometry(x, y, ButtonWidth, ButtonHeight);
        made->setAutoDefault(false);
        return made;
    };
    m_start = button("Button_Start", "Start", "&Start", 8, ButtonsTop);
    m_start->setDefault(true);
    m_cancel = button("Button_Cancel", "Cancel", "&Cancel", 88, ButtonsTop);
    m_options = button("Button_Options", "Configuration", "&Options", 168, ButtonsTop);
    m_insert = button("Button_Insert", "Insert", "&Insert", 8, EditButtonsTop);
    m_delete = button("Button_Delete", "Delete", "&Delete", 88, EditButtonsTop);
    m_change = button("Button_Change", "Change", "&Change", 168, EditButtonsTop);

    connect(m_start, &QPushButton::clicked, this, [this] { Button_StartClick(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(m_options, &QPushButton::clicked, this, [this] { Button_OptionsClick(); });
    connect(m_insert, &QPushButton::clicked, this, [this] { Button_InsertClick(); });
    connect(m_delete, &QPushButton::clicked, this, [this] { Button_DeleteClick(); });
    connect(m_change, &QPushButton::clicked, this, [this] { Button_ChangeClick(); });
    connect(m_browse, &QPushButton::clicked, this, [this] { Button_BrowseClick(); });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { Button_StartClick(); });
    showState();
}

std::string TFormMenu::text(const char* key, const char* fallback) const
{
    return m_language.readString("Menu", key, fallback);
}

void TFormMenu::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Once per use: the dialog is made for each use, and a reload on a later
    // activation would drop the edits of this one.
    if (!m_activated)
        FormActivate();
}

void TFormMenu::FormActivate()
{
    m_activated = true;
    const MenuFile file = loadUserMenu(MenuPath(), m_languageName);
    m_menu.activate(file);
    showState();
    if (!file.ok)
        messageBox(MenuPath() + ": " + file.error(), windowTitle().toStdString(), Buttons::Ok, Icon::Error);
}

void TFormMenu::takeInput()
{
    m_menu.edit1 = m_edit1->text().toStdString();
    m_menu.edit2 = m_edit2->text().toStdString();
    m_menu.select(m_list->currentRow());
}

void TFormMenu::showState()
{
    const MenuControls& controls = m_menu.controls();
    setFixedSize(controls.width, controls.height);
    m_list->setGeometry(8, 8, 240, controls.listHeight);
    m_list->setEnabled(controls.listEnabled);

    // The lists are refilled only when they differ, so the selection stays.
    const auto& entries = m_menu.entries();
    bool same = m_list->count() == static_cast<int>(entries.size());
    for (int i = 0; same && i < m_list->count(); ++i)
        same = m_list->item(i)->text() == qt(entries[static_cast<std::size_t>(i)].caption)
            && m_comList->item(i)->text() == qt(entries[static_cast<std::size_t>(i)].command);
    if (!same) {
        m_list->clear();
        m_comList->clear();
        for (const UserMenuEntry& entry : entries) {
            m_list->addItem(qt(entry.caption));
            m_comList->addItem(qt(entry.command));
        }
    }
    m_list->setCurrentRow(m_menu.selected());

    m_edit1->setText(qt(m_menu.edit1));
    m_edit2->setText(qt(m_menu.edit2));
    for (QWidget* widget :
        { static_cast<QWidget*>(m_edit1), static_cast<QWidget*>(m_edit2), static_cast<QWidget*>(m_label1),
            static_cast<QWidget*>(m_label2), static_cast<QWidget*>(m_browse) })
        widget->setVisible(controls.editsVisible);
    m_start->setEnabled(controls.startEnabled);
    m_cancel->setEnabled(controls.cancelEnabled);
    m_options->setEnabled(controls.optionsEnabled);
    m_insert->setEnabled(controls.insertEnabled);
    m_delete->setEnabled(controls.deleteEnabled);
    m_change->setEnabled(controls.changeEnabled);
    for (QPushButton* editing : { m_insert, m_delete, m_change })
        editing->setVisible(controls.editButtonsVisible);
}

void TFormMenu::Button_StartClick()
{
    takeInput();
    if (!m_start->isEnabled())
        return;
    const std::optional<std::string> command = m_menu.startCommand();
    if (!command)
        return;
    std::string failure = "the command is empty";
    const auto launch = planMenuCommand(*command);
    if (!launch || !runMenuLaunch(*launch, &failure))
        messageBox(text("Error_Run", "Cannot run the command") + "\n" + *command + "\n" + failure,
            windowTitle().toStdString(), Buttons::Ok, Icon::Error);
    accept();
}

void TFormMenu::Button_OptionsClick()
{
    takeInput();
    m_menu.optionsClick();
    showState();
}

void TFormMenu::Button_InsertClick()
{
    takeInput();
    m_menu.insertClick();
    showState();
}

void TFormMenu::Button_DeleteClick()
{
    takeInput();
    m_menu.deleteClick();
    showState();
}

void TFormMenu::Button_ChangeClick()
{
    takeInput();
    m_menu.changeClick();
    showState();
}

void TFormMenu::Button_BrowseClick()
{
    const std::string chosen = prompts().openFile(text("CommandForRun", "Command to run"), m_folder, "");
    if (!chosen.empty())
        m_edit2->setText(qt(chosen));
}

void TFormMenu::FormKeyDown(int key)
{
    if (key == Qt::Key_Escape || key == Qt::Key_F2)
        reject();
}

void TFormMenu::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_F2) {
        FormKeyDown(event->key());
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFormMenu::done(int result)
{
    if (m_menu.mustWrite()) {
        std::string failure;
        if (!saveUserMenu(MenuPath(), m_menu.entries(), &failure)) {
            messageBox(MenuPath() + ": " + failure, windowTitle().toStdString(), Buttons::Ok, Icon::Error);
            return;
        }
    }
    QDialog::done(result);
}

void TFormMenu::Execute(const IniFile& language, const std::string& languageName,
    const std::string& programFolder, QWidget* parent)
{
    TFormMenu window(language, languageName, programFolder, parent);
    if (ModalRunner)
        ModalRunner(window);
    else
        window.exec();
}

} // namespace ov
