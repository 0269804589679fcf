#include "viewers/edit_window.h"

#include "platform/dialogs.h"
#include "platform/ini_file.h"
#include "viewers/paged_text_view.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPageSetupDialog>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QThread>
#include <QTimer>
#include <QToolBar>

#include <cstring>
#include <filesystem>

namespace ov {

namespace {

// A block's user state: the break that ended its line, or a paragraph
// separator character (U+2029) that the text control cannot hold inside a
// block and that is part of the line's text.
constexpr int separatorState = 16;
constexpr char16_t paragraphSeparator = 0x2029;

const char* const missingText = "Error loading resource";

std::string toStd(const QString& text)
{
    return text.toStdString();
}

} // namespace

TFormEdit::TFormEdit(std::function<const IniFile&()> language, std::string languageCode, QWidget* parent)
    : QMainWindow(parent)
    , m_language(std::move(language))
    , m_languageCode(std::move(languageCode))
{
    setObjectName(QStringLiteral("FormEdit"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(QStringLiteral("Memo1"));
    m_memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_memo->installEventFilter(this);
    m_memo->setTabChangesFocus(true);
    m_pagedView = new PagedTextView(this);
    m_pagedView->installEventFilter(this);
    m_stack = new QStackedWidget(this);
    m_stack->addWidget(m_memo);
    m_stack->addWidget(m_pagedView);
    setCentralWidget(m_stack);
    // While the worker indexes a paged file, the view follows the lines it finds.
    m_indexTimer = new QTimer(this);
    m_indexTimer->setInterval(10);
    connect(m_indexTimer, &QTimer::timeout, this, [this] {
        if (!m_paged) {
            m_indexTimer->stop();
            return;
        }
        m_pagedView->refresh();
        if (!m_paged->indexed())
            return;
        m_indexTimer->stop();
        m_indexTimer->setInterval(10);
        if (const int error = m_paged->readError())
            prompts().ask(
                { m_fileName + ": " + std::strerror(error), toStd(windowTitle()), Buttons::Ok, Icon::Error });
    });
    // A paged find shows its progress as the caption, as Convert does.
    m_searchTimer = new QTimer(this);
    m_searchTimer->setInterval(100);
    connect(m_searchTimer, &QTimer::timeout, this, [this] {
        if (!m_paged || m_paged->size() <= 0)
            return;
        setWindowTitle(
            QString::number(qRound(100.0 * double(m_searchDone.load()) / double(m_paged->size()))) + u'%');
    });
    SetDefault();
    // The design-time background is a lighter blue than Set default's navy.
    setBackground(QColor(0, 0, 160));

    auto add = [this](QMenu* menu, const char* name, const char* key, auto slot, QKeySequence shortcut = {}) {
        QAction* action = menu->addAction(QString(), this, slot);
        action->setObjectName(QString::fromLatin1(name));
        if (!shortcut.isEmpty())
            action->setShortcut(shortcut);
        m_items.push_back({ action, key });
        return action;
    };
    QMenu* file = menuBar()->addMenu(QString());
    file->setObjectName(QStringLiteral("File1"));
    m_items.push_back({ file->menuAction(), "Menu_File" });
    m_save = add(
        file, "Save1", "Menu_File_save", [this] { Save(); }, QKeySequence::Save);
    m_saveAs = add(file, "SaveAs1", "Menu_File_SaveAs", [this] { SaveAs(); });
    // One printer for the window: what Printer setup chooses, Print uses.
    const auto printer = [this]() -> QPrinter& {
        if (!m_printer)
            m_printer = std::make_unique<QPrinter>();
        return *m_printer;
    };
    add(file, "PrinterSetup1", "Menu_File_PrintSetup", [this, printer] {
        QPageSetupDialog dialog(&printer(), this);
        dialog.exec();
    });
    QAction* print = add(file, "Print1", "Menu_File_Print", [this, printer] {
        QPrintDialog dialog(&printer(), this);
        if (dialog.exec() == QDialog::Accepted)
            PrintTo(printer());
    });
    add(file, "Exit1", "Menu_File_Exit", [this] { close(); });
    connect(file, &QMenu::aboutToShow, this, [this, print] {
        m_save->setEnabled(!ReadOnly());
        m_saveAs->setEnabled(!ReadOnly());
        // A paged file is too big to lay out for the printer.
        print->setEnabled(!Paged());
    });

    QMenu* edit = menuBar()->addMenu(QString());
    edit->setObjectName(QStringLiteral("Edit1"));
    m_items.push_back({ edit->menuAction(), "Menu_Edit" });
    QAction* cut = add(
        edit, "Cut1", "Menu_Edit_Cut", [this] { m_memo->cut(); }, QKeySequence::Cut);
    QAction* copy = add(
        edit, "Copy1", "Menu_Edit_Copy", [this] { copySelection(); }, QKeySequence::Copy);
    QAction* paste = add(
        edit, "Paste1", "Menu_Edit_Paste", [this] { m_memo->paste(); }, QKeySequence::Paste);
    QAction* findAction = add(edit, "Find1", "Menu_Edit_Find", [this] { showFindDialog(false); });
    m_findNext = add(
        edit, "FindNext1", "Menu_Edit_FindNext", [this] { FindNext(); }, QKeySequence(Qt::Key_F3));
    m_findNext->setEnabled(false);
    QAction* replaceAction = add(edit, "Replace1", "Menu_Edit_Replace", [this] { showFindDialog(true); });
    add(edit, "Convert1", "Menu_Edit_Convert", [this] { Convert(); });
    connect(edit, &QMenu::aboutToShow, this, [this, cut, copy] {
        const bool selected = hasSelection();
        cut->setEnabled(selected && !ReadOnly());
        copy->setEnabled(selected);
    });

    QMenu* options = menuBar()->addMenu(QString());
    options->setObjectName(QStringLiteral("Options1"));
    m_items.push_back({ options->menuAction(), "Menu_Options" });
    QAction* fontAction = add(options, "Font1", "Menu_Options_Font", [this] {
        bool ok = false;
        const QFont font = QFontDialog::getFont(&ok, m_memo->font(), this);
        if (ok)
            m_memo->setFont(font);
    });
    QAction* colorAction = add(options, "Color1", "Menu_Options_Color", [this] {
        const QColor color = QColorDialog::getColor(Background(), this);
        if (color.isValid())
            setBackground(color);
    });
    m_wordWrap = add(options, "WordWrap1", "Menu_Options_WordWrap", [this] {
        const bool wrap = m_memo->lineWrapMode() == QPlainTextEdit::NoWrap;
        m_memo->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    });
    m_wordWrap->setCheckable(true);
    add(options, "Setdefault1", "Menu_Options_Setdefault", [this] {
        if (prompts().ask({ "Are you sure ?", toStd(windowTitle()), Buttons::OkCancel, Icon::Warning })
            == Answer::Ok)
            SetDefault();
    });
    connect(options, &QMenu::aboutToShow, this,
        [this] { m_wordWrap->setChecked(m_memo->lineWrapMode() != QPlainTextEdit::NoWrap); });

    m_toolBar = addToolBar(QString());
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    // Dragged by its own surface to the side the pointer is nearest to.
    m_toolBar->setMovable(false);
    m_toolBar->installEventFilter(this);
    // Six buttons whose hints are the menu items' captions.
    for (QAction* action : { m_save, cut, copy, paste, fontAction, colorAction })
        m_toolBar->addAction(action);

    // The text's context menu: the Edit items' actions.
    m_memo->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_memo, &QWidget::customContextMenuRequested, this,
        [this, cut, copy, paste, findAction, replaceAction](const QPoint& where) {
            QMenu menu(this);
            menu.setObjectName(QStringLiteral("PopupMenu1"));
            const bool selected = hasSelection();
            cut->setEnabled(selected && !ReadOnly());
            copy->setEnabled(selected);
            for (QAction* action : { cut, copy, paste, findAction, m_findNext, replaceAction })
                menu.addAction(action);
            menu.exec(m_memo->mapToGlobal(where));
        });
    m_pagedView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_pagedView, &QWidget::customContextMenuRequested, this,
        [this, copy, findAction, replaceAction](const QPoint& where) {
            QMenu menu(this);
            menu.setObjectName(QStringLiteral("PopupMenu1"));
            copy->setEnabled(hasSelection());
            for (QAction* action : { copy, findAction, m_findNext, replaceAction })
                menu.addAction(action);
            menu.exec(m_pagedView->mapToGlobal(where));
        });
    ReadCaptions();
}

QString TFormEdit::text(const char* key) const
{
    return QString::fromStdString(m_language().readString("Editor", key, missingText));
}

void TFormEdit::ReadCaptions()
{
    for (const Item& item : m_items) {
        item.action->setText(text(item.key));
        item.action->setToolTip(item.action->text().remove(u'&'));
    }
    m_closeQuestion = text("Question_SaveOnExit");
}

TFormEdit::~TFormEdit()
{
    closePaged();
}

bool TFormEdit::ReadOnly() const
{
    return Paged() || m_memo->isReadOnly();
}

bool TFormEdit::Modified() const
{
    return !Paged() && m_memo->document()->isModified();
}

bool TFormEdit::hasSelection() const
{
    return Paged() ? m_pagedView->hasSelection() : m_memo->textCursor().hasSelection();
}

void TFormEdit::copySelection()
{
    if (Paged())
        m_pagedView->copy();
    else
        m_memo->copy();
}

void TFormEdit::loadIntoMemo(const TextDocument& document)
{
    QTextDocument* target = m_memo->document();
    target->clear();
    QTextCursor cursor(target);
    cursor.beginEditBlock();
    bool first = true;
    for (const TextLine& line : document.lines()) {
        // Pieces between paragraph separators become blocks of their own
        // that remember the separator.
        const QStringList pieces = line.text.split(QChar(paragraphSeparator));
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            if (!first)
                cursor.insertBlock();
            first = false;
            cursor.insertText(pieces[i]);
            cursor.block().setUserState(i + 1 < pieces.size() ? separatorState : int(line.lineBreak));
        }
    }
    cursor.endEditBlock();
    target->setModified(false);
    target->clearUndoRedoStacks();
    // The caret starts at the top, where searches start.
    m_memo->moveCursor(QTextCursor::Start);
}

TextDocument TFormEdit::CurrentDocument() const
{
    TextDocument document = m_document;
    const LineBreak common = m_document.commonBreak();
    std::vector<TextLine> lines;
    QString pending;
    for (QTextBlock block = m_memo->document()->begin(); block.isValid(); block = block.next()) {
        // The block's own text: toPlainText() would turn no-break spaces
        // into spaces and line separators into breaks.
        const int state = block.userState();
        if (state == separatorState && block.next().isValid()) {
            pending += block.text();
            pending += QChar(paragraphSeparator);
            continue;
        }
        LineBreak lineBreak = common;
        if (state == int(LineBreak::LF) || state == int(LineBreak::CRLF) || state == int(LineBreak::CR))
            lineBreak = LineBreak(state);
        if (!block.next().isValid())
            lineBreak = LineBreak::None;
        lines.push_back({ pending + block.text(), lineBreak });
        pending.clear();
    }
    document.setLines(std::move(lines));
    return document;
}

bool TFormEdit::Open(const std::string& hostPath, const std::string& displayPath, bool readOnly)
{
    closePaged();
    std::error_code error;
    const auto size = std::filesystem::file_size(hostPath, error);
    if (readOnly && !error && size > uint64_t(std::max<int64_t>(PagedThreshold, 0)))
        return openPaged(hostPath, displayPath);
    m_stack->setCurrentWidget(m_memo);
    TextDocument document;
    const auto loaded = loadTextFile(hostPath, CodePage::ansiFor(m_languageCode), document);
    if (!loaded.ok) {
        prompts().ask({ displayPath + ": " + std::strerror(loaded.error), toStd(windowTitle()), Buttons::Ok,
            Icon::Error });
        return false;
    }
    m_document = std::move(document);
    m_memo->setReadOnly(false);
    loadIntoMemo(m_document);
    m_memo->setReadOnly(readOnly);
    m_fileName = hostPath;
    setWindowTitle(
        QString::fromUtf8(readOnly ? "Viewer - " : "Editor - ") + QString::fromStdString(displayPath));
    m_save->setEnabled(!readOnly);
    return true;
}

bool TFormEdit::openPaged(const std::string& hostPath, const std::string& displayPath)
{
    auto paged = std::make_unique<PagedText>(CodePage::ansiFor(m_languageCode));
    if (!paged->open(hostPath)) {
        prompts().ask(
            { displayPath + ": " + std::strerror(errno), toStd(windowTitle()), Buttons::Ok, Icon::Error });
        return false;
    }
    // The text control lets its old text go: only the index stays in memory.
    m_document = TextDocument();
    m_memo->setReadOnly(false);
    m_memo->clear();
    m_memo->document()->clearUndoRedoStacks();
    m_memo->setReadOnly(true);
    m_paged = std::move(paged);
    m_conversions = 0;
    // The end of indexing is shown at once, not at the next tick.
    m_paged->startIndexing([this, text = m_paged.get()] {
        QMetaObject::invokeMethod(
            this,
            [this, text] {
                if (m_paged.get() == text)
                    m_indexTimer->setInterval(0);
            },
            Qt::QueuedConnection);
    });
    m_pagedView->setFont(m_memo->font());
    m_pagedView->setPalette(m_memo->palette());
    m_pagedView->setSource(m_paged.get());
    m_stack->setCurrentWidget(m_pagedView);
    m_pagedView->setFocus();
    m_fileName = hostPath;
    setWindowTitle(QStringLiteral("Viewer - ") + QString::fromStdString(displayPath));
    m_save->setEnabled(false);
    m_indexTimer->start();
    return true;
}

void TFormEdit::closePaged()
{
    cancelPagedSearch();
    m_indexTimer->stop();
    if (!m_paged)
        return;
    m_pagedView->setSource(nullptr);
    m_paged->stop();
    m_paged.reset();
    m_stack->setCurrentWidget(m_memo);
}

bool TFormEdit::startPagedSearch(const QString& what, const SearchOptions& options)
{
    if (m_searchThread)
        return false;
    const TextRange selected = m_pagedView->selection();
    const TextPoint from = options.down ? selected.end : selected.start;
    m_searchCancel = false;
    m_searchDone = 0;
    m_searchResult.reset();
    m_searchWhat = what;
    m_captionBeforeSearch = windowTitle();
    const PagedText* text = m_paged.get();
    m_searchThread = QThread::create([this, text, what, options, from] {
        m_searchResult = text->find(what, options, from, &m_searchCancel, &m_searchDone);
    });
    connect(m_searchThread, &QThread::finished, this, [this, thread = m_searchThread] {
        // A find stopped with Esc has been finished already.
        if (m_searchThread == thread)
            finishPagedSearch();
    });
    m_searchThread->start();
    m_searchTimer->start();
    return true;
}

void TFormEdit::finishPagedSearch()
{
    if (!m_searchThread)
        return;
    m_searchThread->wait();
    delete m_searchThread;
    m_searchThread = nullptr;
    m_searchTimer->stop();
    setWindowTitle(m_captionBeforeSearch);
    if (m_searchCancel)
        return;
    if (m_searchResult) {
        m_pagedView->select(*m_searchResult);
        return;
    }
    prompts().ask({ "Cannot find \"" + toStd(m_searchWhat) + "\".", toStd(windowTitle()), Buttons::Ok,
        Icon::Information });
}

void TFormEdit::cancelPagedSearch()
{
    if (!m_searchThread)
        return;
    m_searchCancel = true;
    finishPagedSearch();
}

bool TFormEdit::saveTo(const std::string& hostPath)
{
    TextDocument document = CurrentDocument();
    auto result = saveTextFile(hostPath, document);
    if (result.unencodable) {
        const QString question = text("Question_SaveAsUtf8");
        if (prompts().ask({ toStd(question), toStd(windowTitle()), Buttons::YesNo, Icon::Warning })
            != Answer::Yes)
            return false;
        document.convertToUtf8();
        m_document.convertToUtf8();
        result = saveTextFile(hostPath, document);
    }
    if (!result.ok) {
        prompts().ask({ toStd(text("Error_Save")) + "\n" + hostPath + ": " + std::strerror(result.error),
            toStd(windowTitle()), Buttons::Ok, Icon::Error });
        return false;
    }
    m_memo->document()->setModified(false);
    return true;
}

bool TFormEdit::Save()
{
    if (ReadOnly())
        return false;
    if (m_fileName.empty())
        return SaveAs();
    return saveTo(m_fileName);
}

bool TFormEdit::SaveAs()
{
    if (ReadOnly())
        return false;
    const std::filesystem::path current(m_fileName);
    std::string chosen = prompts().saveFile(toStd(text("Menu_File_SaveAs")), current.parent_path().string(),
        "Text Files (*.txt)|*.txt|All Files (*.*)|*.*");
    if (chosen.empty())
        return false;
    if (std::filesystem::path(chosen).extension().empty())
        chosen += ".TXT";
    if (!saveTo(chosen))
        return false;
    m_fileName = chosen;
    setWindowTitle(QStringLiteral("Editor - ")
        + QString::fromStdString(std::filesystem::path(chosen).filename().string()));
    return true;
}

bool TFormEdit::Search(const QString& what, const SearchOptions& options)
{
    // A paged find runs on a worker; its end selects the match or reports it missing.
    if (Paged())
        return startPagedSearch(what, options);
    QTextCursor cursor = m_memo->textCursor();
    const TextSelection from { cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart() };
    // Block separators count one position, as the cursor counts them.
    QString all = m_memo->document()->toRawText();
    all.replace(QChar(paragraphSeparator), u'\n');
    const auto found = ov::findText(all, from, what, options);
    if (!found) {
        prompts().ask(
            { "Cannot find \"" + toStd(what) + "\".", toStd(windowTitle()), Buttons::Ok, Icon::Information });
        return false;
    }
    cursor.setPosition(int(found->start));
    cursor.setPosition(int(found->start + found->length), QTextCursor::KeepAnchor);
    m_memo->setTextCursor(cursor);
    return true;
}

void TFormEdit::FindNext()
{
    Search(findText, findOptions);
}

void TFormEdit::Replace(const QString& what, const QString& with, const SearchOptions& options, bool all)
{
    if (ReadOnly())
        return;
    QTextCursor cursor = m_memo->textCursor();
    cursor.beginEditBlock();
    int count = 0;
    if (cursor.hasSelection() && cursor.selectedText().compare(what, Qt::CaseInsensitive) == 0) {
        cursor.insertText(with);
        ++count;
    }
    m_memo->setTextCursor(cursor);
    SearchOptions down = options;
    if (all)
        down.down = true;
    qsizetype previous = -1;
    for (;;) {
        const TextSelection from { m_memo->textCursor().selectionStart(),
            m_memo->textCursor().selectionEnd() - m_memo->textCursor().selectionStart() };
        QString text = m_memo->document()->toRawText();
        text.replace(QChar(paragraphSeparator), u'\n');
        const auto found = ov::findText(text, from, what, down);
        if (!found || found->start < previous) {
            if (!all)
                prompts().ask({ "Cannot find \"" + toStd(what) + "\".", toStd(windowTitle()), Buttons::Ok,
                    Icon::Information });
            break;
        }
        QTextCursor match = m_memo->textCursor();
        match.setPosition(int(found->start));
        match.setPosition(int(found->start + found->length), QTextCursor::KeepAnchor);
        if (!all) {
            m_memo->setTextCursor(match);
            break;
        }
        previous = found->start;
        match.insertText(with);
        m_memo->setTextCursor(match);
        ++count;
    }
    cursor.endEditBlock();
}

void TFormEdit::Convert()
{
    if (Paged()) {
        // The view's lines are converted as they are decoded; a running
        // find, which decodes too, stops first.
        cancelPagedSearch();
        m_paged->setConversions(
            CodePage::ansiFor(m_languageCode), CodePage::oemFor(m_languageCode), ++m_conversions);
        m_pagedView->viewport()->update();
        return;
    }
    if (ReadOnly())
        return;
    const CodePage& ansi = CodePage::ansiFor(m_languageCode);
    const CodePage& oem = CodePage::oemFor(m_languageCode);
    const QString caption = windowTitle();
    QTextDocument* document = m_memo->document();
    const int count = document->blockCount();
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    int index = 0;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next(), ++index) {
        const QString percent = QString::number(qRound(100.0 * index / count)) + u'%';
        convertCaptions.append(percent);
        setWindowTitle(percent);
        // The line's characters as ANSI bytes, read as OEM bytes: a
        // character with no ANSI byte stays as it is.
        QString line = block.text();
        if (!convertOemToAnsi(line, ansi, oem))
            continue;
        const int state = block.userState();
        QTextCursor lineCursor(block);
        lineCursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        lineCursor.insertText(line);
        block.setUserState(state);
    }
    cursor.endEditBlock();
    setWindowTitle(caption);
}

void TFormEdit::setBackground(const QColor& color)
{
    QPalette palette = m_memo->palette();
    palette.setColor(QPalette::Base, color);
    m_memo->setPalette(palette);
    m_pagedView->setPalette(palette);
}

void TFormEdit::setTextColor(const QColor& color)
{
    QPalette palette = m_memo->palette();
    palette.setColor(QPalette::Text, color);
    m_memo->setPalette(palette);
    m_pagedView->setPalette(palette);
}

QColor TFormEdit::Background() const
{
    return m_memo->palette().color(QPalette::Base);
}

void TFormEdit::SetDefault()
{
    setBackground(QColor(0, 0, 128));
    setTextColor(Qt::white);
    QFont font(QStringLiteral("MS Sans Serif"), 10);
    font.setBold(true);
    m_memo->setFont(font);
    m_memo->setLineWrapMode(QPlainTextEdit::NoWrap);
}

void TFormEdit::LoadAppearance(const IniFile& ini)
{
    const std::string section = "TFormEdit";
    if (ini.hasKey(section, "Color"))
        setBackground(QColor::fromRgb(QRgb(unsigned(ini.readInteger(section, "Color", 0)))));
    if (ini.hasKey(section, "FontColor"))
        setTextColor(QColor::fromRgb(QRgb(unsigned(ini.readInteger(section, "FontColor", 0xFFFFFF)))));
    if (ini.hasKey(section, "Font")) {
        QFont font = m_memo->font();
        if (font.fromString(QString::fromStdString(ini.readString(section, "Font", ""))))
            m_memo->setFont(font);
    }
    m_memo->setLineWrapMode(
        ini.readBool(section, "WordWrap", false) ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    const int area = ini.readInteger(section, "ToolBarArea", int(Qt::TopToolBarArea));
    if (area == Qt::LeftToolBarArea || area == Qt::RightToolBarArea || area == Qt::TopToolBarArea
        || area == Qt::BottomToolBarArea)
        addToolBar(Qt::ToolBarArea(area), m_toolBar);
}

void TFormEdit::SaveAppearance(IniFile& ini) const
{
    const std::string section = "TFormEdit";
    ini.writeInteger(section, "Color", int(Background().rgb() & 0xFFFFFF));
    ini.writeInteger(section, "FontColor", int(m_memo->palette().color(QPalette::Text).rgb() & 0xFFFFFF));
    ini.writeString(section, "Font", m_memo->font().toString().toStdString());
    ini.writeBool(section, "WordWrap", m_memo->lineWrapMode() != QPlainTextEdit::NoWrap);
    ini.writeInteger(section, "ToolBarArea", int(toolBarArea(m_toolBar)));
}

QString TFormEdit::FormatCloseQuestion(const QString& pattern, const QString& fileName)
{
    QString out;
    bool nameUsed = false;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == u'%' && i + 1 < pattern.size()) {
            const QChar next = pattern[i + 1];
            if (next == u'%') {
                out += u'%';
                ++i;
                continue;
            }
            if (next == u's' && !nameUsed) {
                out += fileName;
                nameUsed = true;
                ++i;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

void TFormEdit::closeEvent(QCloseEvent* event)
{
    askOnClose(event);
    if (!event->isAccepted())
        return;
    // A closed viewer lets its big file go.
    closePaged();
    if (Closed)
        Closed(*this);
}

void TFormEdit::askOnClose(QCloseEvent* event)
{
    if (ReadOnly() || !Modified()) {
        event->accept();
        return;
    }
    const QString question = FormatCloseQuestion(m_closeQuestion, QString::fromStdString(m_fileName));
    switch (prompts().ask({ toStd(question), toStd(windowTitle()), Buttons::YesNoCancel, Icon::Warning })) {
    case Answer::Yes:
        // A save that failed keeps the window and its text.
        if (Save())
            event->accept();
        else
            event->ignore();
        return;
    case Answer::No:
        event->accept();
        return;
    default:
        event->ignore();
        return;
    }
}

void TFormEdit::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        ReadCaptions();
    QMainWindow::changeEvent(event);
}

void TFormEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        // Esc stops a running find before it closes anything.
        if (Searching())
            cancelPagedSearch();
        else
            close();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

bool TFormEdit::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == m_memo || watched == m_pagedView) && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab && key->modifiers() == Qt::NoModifier) {
            showMinimized();
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            if (Searching())
                cancelPagedSearch();
            else
                close();
            return true;
        }
    }
    if (watched == m_toolBar && toolBarEvent(event))
        return true;
    return QMainWindow::eventFilter(watched, event);
}

void TFormEdit::showFindDialog(bool replace)
{
    auto* dialog = new QDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setObjectName(replace ? QStringLiteral("ReplaceDialog1") : QStringLiteral("FindDialog1"));
    auto* layout = new QGridLayout(dialog);
    auto* what = new QLineEdit(findText, dialog);
    what->setObjectName(QStringLiteral("FindText"));
    auto* with = new QLineEdit(dialog);
    with->setObjectName(QStringLiteral("ReplaceText"));
    auto* matchCase = new QCheckBox(QStringLiteral("Match &case"), dialog);
    matchCase->setObjectName(QStringLiteral("MatchCase"));
    matchCase->setChecked(findOptions.matchCase);
    auto* wholeWord = new QCheckBox(QStringLiteral("Match &whole word only"), dialog);
    wholeWord->setObjectName(QStringLiteral("WholeWord"));
    wholeWord->setChecked(findOptions.wholeWord);
    auto* up = new QRadioButton(QStringLiteral("&Up"), dialog);
    auto* down = new QRadioButton(QStringLiteral("&Down"), dialog);
    (findOptions.down ? down : up)->setChecked(true);
    auto* findNext = new QPushButton(QStringLiteral("&Find Next"), dialog);
    findNext->setObjectName(QStringLiteral("FindNextButton"));
    layout->addWidget(new QLabel(QStringLiteral("Fi&nd what:"), dialog), 0, 0);
    layout->addWidget(what, 0, 1);
    layout->addWidget(findNext, 0, 2);
    int row = 1;
    QPushButton* replaceOne = nullptr;
    QPushButton* replaceAll = nullptr;
    if (replace) {
        layout->addWidget(new QLabel(QStringLiteral("Re&place with:"), dialog), 1, 0);
        layout->addWidget(with, 1, 1);
        replaceOne = new QPushButton(QStringLiteral("&Replace"), dialog);
        replaceAll = new QPushButton(QStringLiteral("Replace &All"), dialog);
        replaceOne->setObjectName(QStringLiteral("ReplaceButton"));
        replaceAll->setObjectName(QStringLiteral("ReplaceAllButton"));
        layout->addWidget(replaceOne, 1, 2);
        layout->addWidget(replaceAll, 2, 2);
        row = 2;
    } else {
        with->hide();
        layout->addWidget(up, 1, 2);
        layout->addWidget(down, 2, 2);
    }
    layout->addWidget(matchCase, row + 1, 0, 1, 2);
    layout->addWidget(wholeWord, row + 2, 0, 1, 2);
    const auto take = [this, what, matchCase, wholeWord, down] {
        findText = what->text();
        findOptions = { down->isChecked(), matchCase->isChecked(), wholeWord->isChecked() };
        m_findNext->setEnabled(true);
    };
    connect(findNext, &QPushButton::clicked, this, [this, take] {
        take();
        FindNext();
    });
    if (replace) {
        connect(replaceOne, &QPushButton::clicked, this, [this, take, with] {
            take();
            Replace(findText, with->text(), findOptions, false);
        });
        connect(replaceAll, &QPushButton::clicked, this, [this, take, with] {
            take();
            Replace(findText, with->text(), findOptions, true);
        });
    }
    dialog->show();
}

} // namespace ov

namespace ov {

void TFormEdit::PrintTo(QPrinter& printer)
{
    // The printed copy shows the text as it stands, black on white.
    QTextDocument copy;
    copy.setDefaultFont(m_memo->font());
    copy.setPlainText(m_memo->document()->toRawText());
    copy.print(&printer);
}

DockSide TFormEdit::ToolBarSideAt(QPoint point) const
{
    // The client area: the window below its menu.
    const int top = menuBar()->isVisible() ? menuBar()->height() : 0;
    return dockSideFor(point.x(), point.y() - top, width(), std::max(1, height() - top));
}

void TFormEdit::DockToolBar(DockSide side)
{
    Qt::ToolBarArea area = Qt::TopToolBarArea;
    switch (side) {
    case DockSide::Left:
        area = Qt::LeftToolBarArea;
        break;
    case DockSide::Top:
        area = Qt::TopToolBarArea;
        break;
    case DockSide::Right:
        area = Qt::RightToolBarArea;
        break;
    case DockSide::Bottom:
        area = Qt::BottomToolBarArea;
        break;
    }
    // The toolbar turns between a row and a column with its side.
    if (toolBarArea(m_toolBar) != area)
        addToolBar(area, m_toolBar);
}

bool TFormEdit::toolBarEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        // A press on the toolbar's own surface, not on a button, starts a drag.
        m_toolBarDragging = true;
        m_toolBar->grabMouse();
        return true;
    }
    case QEvent::MouseMove: {
        if (!m_toolBarDragging)
            return false;
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint point = mapFromGlobal(mouse->globalPosition().toPoint());
        m_toolBar->setWindowTitle(QString::fromLatin1(dockSideName(ToolBarSideAt(point))));
        return true;
    }
    case QEvent::MouseButtonRelease: {
        if (!m_toolBarDragging)
            return false;
        m_toolBarDragging = false;
        m_toolBar->releaseMouse();
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint point = mapFromGlobal(mouse->globalPosition().toPoint());
        m_toolBar->setWindowTitle(QString());
        DockToolBar(ToolBarSideAt(point));
        return true;
    }
    default:
        return false;
    }
}

} // namespace ov
