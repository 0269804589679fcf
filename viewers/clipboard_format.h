// What the clipboard viewer shows, decided without a window: the format
// chosen from the clipboard's MIME types, the text a memo shows for it, and
// the readers of the program's own palette format and of file lists.
#pragma once

#include <string_view>

#include <QByteArray>
#include <QRgb>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class QMimeData;

namespace ov {

enum class TClipboardViewFormat {
    cvDefault,
    cvEmpty,
    cvUnknown,
    cvText,
    cvBitmap,
    cvMetafile,
    cvPalette,
    cvOemText,
    cvPicture,
    cvComponent,
    cvIcon,
};

// The program's own clipboard formats.
inline constexpr const char* kMimeOemText = "application/x-orvanta-oemtext";
inline constexpr const char* kMimePicture = "application/x-orvanta-picture";
inline constexpr const char* kMimePalette = "application/x-orvanta-palette";
inline constexpr const char* kMimeComponent = "application/x-orvanta-component";

// The memo's texts when there is nothing to show; the same in every language.
inline constexpr const char* kClipboardEmpty = "Буфер обмена пуст";
inline constexpr const char* kClipboardUnknown = "Неизвестный формат данных в буфере обмена";

// Whether the clipboard's types carry a format. Text is text/plain, or
// HTML or a URI list (shown as text); a bitmap is any image but an icon; a
// metafile never is.
bool clipboardHasFormat(TClipboardViewFormat format, const QStringList& mimeTypes);

// The automatic choice: text, OEM text, bitmap, icon, picture, component,
// palette, else unknown; no types at all is empty.
TClipboardViewFormat chooseClipboardFormat(const QStringList& mimeTypes);

// The format a view shows for the requested one: the choice for cvDefault,
// cvEmpty for an empty clipboard, cvUnknown when the requested format is
// not on the clipboard.
TClipboardViewFormat effectiveClipboardFormat(TClipboardViewFormat requested, const QStringList& mimeTypes);

// After a change: empty → cvEmpty; a chosen format no longer there →
// cvDefault; else the format stays.
TClipboardViewFormat formatAfterChange(TClipboardViewFormat current, const QStringList& mimeTypes);

// The program's palette: a little-endian version word, a count word, then
// count entries of red, green, blue and a flags byte. At most 256 entries
// are read; nullopt when the header is missing or the entries are cut short.
std::optional<std::vector<QRgb>> readClipboardPalette(const QByteArray& bytes);
QByteArray writeClipboardPalette(const std::vector<QRgb>& colours);

// A text/uri-list: one entry a line (CR LF or LF), "#" lines skipped; file
// URLs become local paths, other URLs stay as they are.
QStringList readUriList(const QByteArray& bytes);

// The text form of a component on the clipboard (kMimeComponent holds the
// component as a binary component stream, "TPF0"): its objects and stored
// properties. A stream damaged part-way shows what was read, then a line
// saying where it stopped. nullopt when the bytes are not a component stream.
std::optional<QString> clipboardComponentText(const QByteArray& bytes);

// The text a memo shows for format (text, OEM text, HTML's text, the list's
// paths, a component's stored properties), or the empty / unknown message.
// A component shows for cvComponent, and for cvText and cvDefault when the
// clipboard holds no text.
// oemPage names the OEM code page of the editor's tables ("437", "866").
QString clipboardMemoText(
    TClipboardViewFormat format, const QMimeData* data, std::string_view oemPage = "437");

} // namespace ov
