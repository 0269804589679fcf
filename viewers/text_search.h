// The editor's search and replace over a plain string, without a widget.
//
// Positions count UTF-16 units, with one unit between lines, as the
// editor's cursor does. The case-blind compare maps each unit on its own to
// upper case, so "ß" never matches "SS". Word delimiters are every
// character except the ASCII digits and letters.
#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace ov {

struct SearchOptions {
    bool down = true;
    bool matchCase = false;
    bool wholeWord = false;
};

struct TextSelection {
    qsizetype start = 0;
    qsizetype length = 0;
};

// Inline: the search asks it of every character it passes.
inline bool isWordDelimiter(QChar ch)
{
    const char16_t c = ch.unicode();
    return !((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'));
}

// Searches once from the selection: forward from its end, backward from
// its start less the length of what. The match's selection, or nothing.
std::optional<TextSelection> findText(
    QStringView text, TextSelection from, QStringView what, const SearchOptions& options);

// The same by trying every candidate position in turn, for checking findText.
std::optional<TextSelection> findTextSlowly(
    QStringView text, TextSelection from, QStringView what, const SearchOptions& options);

// Replace: a selection equal to what (case ignored) is replaced first, then
// the next match; with all, every further match down the text. selection
// follows the edits (it ends after the last replacement). Returns the
// number of replacements; 0 with all false means "not found" for the caller.
int replaceText(QString& text, TextSelection& selection, QStringView what, QStringView with,
    SearchOptions options, bool all);

} // namespace ov
