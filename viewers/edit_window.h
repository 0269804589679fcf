// TFormEdit: the text viewer (read-only) and editor in one window, over
// TextDocument and the editor's search. The text lives in a QPlainTextEdit,
// one block per line; each block remembers the break that ended its line,
// and saving reads the blocks' own text, so opening and saving change no
// byte the user did not change.
#pragma once

#include "viewers/dock_side.h"
#include "viewers/paged_text.h"
#include "viewers/text_document.h"
#include "viewers/text_search.h"

#include <QColor>
#include <QMainWindow>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QPlainTextEdit;
class QPrinter;
class QStackedWidget;
class QThread;
class QTimer;
class QToolBar;

namespace ov {

class IniFile;

class TFormEdit : public QMainWindow {
public:
    // language gives the current language file (read on every activation);
    // languageCode ("eng", "rus", ...) picks the ANSI page for plain files.
    TFormEdit(std::function<const IniFile&()> language, std::string languageCode, QWidget* parent = nullptr);
    ~TFormEdit() override;

    // Opens hostPath for viewing or editing; displayPath is the full path the
    // caption shows. false (after an error message) when it cannot be read.
    // Viewing a file above PagedThreshold bytes shows it paged: read-only,
    // indexed on a worker, lines decoded as they come into view.
    bool Open(const std::string& hostPath, const std::string& displayPath, bool readOnly);
    // The text control needs about 0.05 s a megabyte: above this the view pages.
    int64_t PagedThreshold = 4 << 20;
    bool Paged() const { return m_paged != nullptr; }
    class PagedTextView* PagedView() const { return m_pagedView; }
    const PagedText* PagedSource() const { return m_paged.get(); }
    // A paged find is running on its worker (Esc stops it).
    bool Searching() const { return m_searchThread != nullptr; }

    // Printing: the text on the printer, a page at a time.
    void PrintTo(QPrinter& printer);
    // Toolbar docking: the side a drag released at point (in the window's
    // client area, below the menu) docks to, and the docking itself.
    DockSide ToolBarSideAt(QPoint point) const;
    void DockToolBar(DockSide side);
    QToolBar* ToolBar() const { return m_toolBar; }

    // The commands (public for the menu, the keys and tests).
    bool Save(); // false when nothing was written
    bool SaveAs();
    void FindNext();
    // The dialogs' requests.
    bool Search(const QString& what, const SearchOptions& options);
    void Replace(const QString& what, const QString& with, const SearchOptions& options, bool all);
    void Convert();
    void SetDefault();
    QColor Background() const;
    // The appearance kept in section TFormEdit of ov.ini: background, font
    // and its colour, word wrap, the toolbar's side.
    void LoadAppearance(const IniFile& ini);
    void SaveAppearance(IniFile& ini) const;

    // Reads the captions from [Editor] of the language file.
    void ReadCaptions();

    QPlainTextEdit* Memo() const { return m_memo; }
    const std::string& FileName() const { return m_fileName; }
    bool ReadOnly() const;
    bool Modified() const;
    // The document as it would be saved now.
    TextDocument CurrentDocument() const;
    // The close question text with its file name in place.
    static QString FormatCloseQuestion(const QString& pattern, const QString& fileName);

    // Captions shown during Convert (tests).
    QStringList convertCaptions;

    // Called when the window has accepted closing (to store the appearance).
    std::function<void(TFormEdit&)> Closed;

    QString findText;
    SearchOptions findOptions;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString text(const char* key) const;
    void loadIntoMemo(const TextDocument& document);
    bool saveTo(const std::string& hostPath);
    void showFindDialog(bool replace);
    void askOnClose(QCloseEvent* event);
    void setBackground(const QColor& color);
    void setTextColor(const QColor& color);
    bool openPaged(const std::string& hostPath, const std::string& displayPath);
    void closePaged();
    bool startPagedSearch(const QString& what, const SearchOptions& options);
    void finishPagedSearch();
    void cancelPagedSearch();
    void copySelection();
    bool hasSelection() const;
    bool toolBarEvent(QEvent* event);

    std::function<const IniFile&()> m_language;
    std::string m_languageCode;
    QPlainTextEdit* m_memo = nullptr;
    QStackedWidget* m_stack = nullptr;
    class PagedTextView* m_pagedView = nullptr;
    std::unique_ptr<PagedText> m_paged;
    int m_conversions = 0;
    QTimer* m_indexTimer = nullptr;
    QTimer* m_searchTimer = nullptr;
    QThread* m_searchThread = nullptr;
    std::atomic<bool> m_searchCancel { false };
    std::atomic<int64_t> m_searchDone { 0 };
    std::optional<TextRange> m_searchResult;
    QString m_searchWhat;
    QString m_captionBeforeSearch;
    QToolBar* m_toolBar = nullptr;
    bool m_toolBarDragging = false;
    std::unique_ptr<QPrinter> m_printer;
    TextDocument m_document;
    std::string m_fileName;
    QString m_closeQuestion;
    QAction* m_save = nullptr;
    QAction* m_saveAs = nullptr;
    QAction* m_findNext = nullptr;
    QAction* m_wordWrap = nullptr;
    struct Item {
        QAction* action;
        const char* key;
    };
    std::vector<Item> m_items;
};

// Registers "ViewText" (F3) and "EditText" (F4) with the main window.
void registerEditorCommands();

} // namespace ov
