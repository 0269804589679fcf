#include "viewers/clipboard_format.h"

#include "viewers/code_pages.h"
#include "viewers/component_stream.h"

#include <QMimeData>
#include <QTextDocumentFragment>
#include <QUrl>

#include <algorithm>

namespace ov {

namespace {

bool has(const QStringList& types, const char* type)
{
    return types.contains(QString::fromLatin1(type));
}

bool hasBitmap(const QStringList& types)
{
    // Qt's own clipboard carries an image it was given as x-qt-image.
    return std::any_of(types.begin(), types.end(), [](const QString& type) {
        if (type == QLatin1String("application/x-qt-image"))
            return true;
        return type.startsWith(QLatin1String("image/")) && type != QLatin1String("image/x-icon")
            && type != QLatin1String("image/vnd.microsoft.icon");
    });
}

bool hasIcon(const QStringList& types)
{
    return has(types, "image/x-icon") || has(types, "image/vnd.microsoft.icon");
}

bool hasText(const QStringList& types)
{
    return std::any_of(types.begin(), types.end(), [](const QString& type) {
        return type == QLatin1String("text/html") || type == QLatin1String("text/uri-list")
            || type == QLatin1String("text/plain") || type.startsWith(QLatin1String("text/plain;"));
    });
}

} // namespace

bool clipboardHasFormat(TClipboardViewFormat format, const QStringList& types)
{
    using F = TClipboardViewFormat;
    switch (format) {
    case F::cvText:
        return hasText(types);
    case F::cvOemText:
        return has(types, kMimeOemText);
    case F::cvBitmap:
        return hasBitmap(types);
    case F::cvIcon:
        return hasIcon(types);
    case F::cvPicture:
        return has(types, kMimePicture);
    case F::cvComponent:
        return has(types, kMimeComponent);
    case F::cvPalette:
        return has(types, kMimePalette);
    case F::cvMetafile:
    case F::cvDefault:
    case F::cvEmpty:
    case F::cvUnknown:
        return false;
    }
    return false;
}

TClipboardViewFormat chooseClipboardFormat(const QStringList& types)
{
    using F = TClipboardViewFormat;
    if (types.isEmpty())
        return F::cvEmpty;
    for (F format :
        { F::cvText, F::cvOemText, F::cvBitmap, F::cvIcon, F::cvPicture, F::cvComponent, F::cvPalette })
        if (clipboardHasFormat(format, types))
            return format;
    return F::cvUnknown;
}

TClipboardViewFormat effectiveClipboardFormat(TClipboardViewFormat requested, const QStringList& types)
{
    using F = TClipboardViewFormat;
    if (types.isEmpty())
        return F::cvEmpty;
    switch (requested) {
    case F::cvDefault:
        return chooseClipboardFormat(types);
    case F::cvEmpty:
    case F::cvUnknown:
        return requested;
    default:
        return clipboardHasFormat(requested, types) ? requested : F::cvUnknown;
    }
}

TClipboardViewFormat formatAfterChange(TClipboardViewFormat current, const QStringList& types)
{
    using F = TClipboardViewFormat;
    if (types.isEmpty())
        return F::cvEmpty;
    if (current == F::cvDefault || current == F::cvEmpty || current == F::cvUnknown
        || !clipboardHasFormat(current, types))
        return F::cvDefault;
    return current;
}

std::optional<std::vector<QRgb>> readClipboardPalette(const QByteArray& bytes)
{
    if (bytes.size() < 4)
        return std::nullopt;
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const int count = byte(2) | (byte(3) << 8);
    const int read = std::min(count, 256);
    if (bytes.size() < 4 + static_cast<qsizetype>(read) * 4)
        return std::nullopt;
    std::vector<QRgb> colours;
    colours.reserve(static_cast<std::size_t>(read));
    for (int i = 0; i < read; ++i) {
        const qsizetype at = 4 + static_cast<qsizetype>(i) * 4;
        colours.push_back(qRgb(byte(at), byte(at + 1), byte(at + 2)));
    }
    return colours;
}

QByteArray writeClipboardPalette(const std::vector<QRgb>& colours)
{
    const std::size_t count = std::min<std::size_t>(colours.size(), 256);
    QByteArray bytes;
    bytes.append('\x00').append('\x03');
    bytes.append(static_cast<char>(count & 0xFF)).append(static_cast<char>(count >> 8));
    for (std::size_t i = 0; i < count; ++i) {
        bytes.append(static_cast<char>(qRed(colours[i])));
        bytes.append(static_cast<char>(qGreen(colours[i])));
        bytes.append(static_cast<char>(qBlue(colours[i])));
        bytes.append('\x00');
    }
    return bytes;
}

QStringList readUriList(const QByteArray& bytes)
{
    QStringList entries;
    for (QByteArray line : bytes.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QUrl url = QUrl::fromEncoded(line, QUrl::StrictMode);
        if (url.isValid() && url.isLocalFile())
            entries.append(url.toLocalFile());
        else
            entries.append(QString::fromUtf8(line));
    }
    return entries;
}

std::optional<QString> clipboardComponentText(const QByteArray& bytes)
{
    const auto text = ComponentStream::toText(std::span(
        reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())));
    if (!text)
        return std::nullopt;
    QString shown = QString::fromStdString(text->text);
    if (!text->error.empty()) {
        if (!shown.isEmpty() && !shown.endsWith(QLatin1Char('\n')))
            shown += QLatin1Char('\n');
        shown += QStringLiteral("The component stream stops here: ") + QString::fromStdString(text->error);
    }
    return shown;
}

QString clipboardMemoText(TClipboardViewFormat format, const QMimeData* data, std::string_view oemPage)
{
    using F = TClipboardViewFormat;
    const QStringList types = data ? data->formats() : QStringList();
    if (types.isEmpty())
        return QString::fromUtf8(kClipboardEmpty);
    if (format == F::cvOemText && types.contains(QString::fromLatin1(kMimeOemText))) {
        // The editor's own tables: Qt's IBM pages move 0x1A, 0x1C and 0x7F.
        const CodePage* page = CodePage::byName(oemPage);
        const QByteArray bytes = data->data(QString::fromLatin1(kMimeOemText));
        return page ? page->decode(bytes) : QString::fromLatin1(bytes);
    }
    if (format == F::cvText || format == F::cvDefault || format == F::cvOemText) {
        if (data->hasFormat(QStringLiteral("text/plain")))
            return data->text();
        if (data->hasFormat(QStringLiteral("text/html")))
            return QTextDocumentFragment::fromHtml(data->html()).toPlainText();
        if (data->hasFormat(QStringLiteral("text/uri-list")))
            return readUriList(data->data(QStringLiteral("text/uri-list"))).join(QLatin1Char('\n'));
    }
    if ((format == F::cvText || format == F::cvDefault || format == F::cvComponent)
        && types.contains(QString::fromLatin1(kMimeComponent))) {
        if (auto text = clipboardComponentText(data->data(QString::fromLatin1(kMimeComponent))))
            return *text;
    }
    return QString::fromUtf8(kClipboardUnknown);
}

} // namespace ov
