// TFormEdit: the text viewer (read-only) and editor in one window, over
// TextDocument and the editor's search. The text lives in a QPlainTextEdit,
// one block per line; each block remembers the break that ended its line,
// and saving reads the blocks' own text, so opening and saving change no
// byte the user did not change.
#pragma once

#include "viewers/text_document.h"
#include "viewers/text_search.h"

#include <QColor>
#include <QMainWindow>

#include <functional>
#include <string>

class QAction;
class QPlainTextEdit;
class QToolBar;

namespace ov {

class IniFile;

class TFormEdit : public QMainWindow {
public:
    // language gives the current language file (read on every activation);
    // languageCode ("eng", "rus", ...) picks the ANSI page for plain files.
    TFormEdit(std::function<const IniFile&()> language, std::string languageCode, QWidget* parent = nullptr);

    // Opens hostPath for viewing or editing; displayPath is the full path the
    // caption shows. false (after an error message) when it cannot be read.
    bool Open(const std::string& hostPath, const std::string& displayPath, bool readOnly);

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

    std::function<const IniFile&()> m_language;
    std::string m_languageCode;
    QPlainTextEdit* m_memo = nullptr;
    QToolBar* m_toolBar = nullptr;
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
