// RtfDocument into a QTextDocument; see rtf_text_document.h.
#include "tools/rtf_text_document.h"

#include <QColor>
#include <QImage>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

#include <algorithm>

namespace ov {

namespace {

// Twips (1/1440 inch) to pixels at 96 per inch, within what a window shows.
double twipsToPixels(int twips)
{
    return std::clamp(twips, -144000, 144000) / 15.0;
}

QTextCharFormat charFormat(const RtfDocument& rtf, const RtfCharFormat& format)
{
    QTextCharFormat out;
    out.setFontWeight(format.bold ? QFont::Bold : QFont::Normal);
    out.setFontItalic(format.italic);
    out.setFontUnderline(format.underline);
    out.setFontPointSize(std::clamp(format.fontSize, 2, 400) / 2.0);
    if (const auto font = rtf.fonts.find(format.font); font != rtf.fonts.end() && !font->second.name.empty())
        out.setFontFamilies({ QString::fromStdString(font->second.name) });
    if (format.color)
        out.setForeground(QColor(format.color->red, format.color->green, format.color->blue));
    return out;
}

Qt::Alignment alignment(RtfAlignment value)
{
    switch (value) {
    case RtfAlignment::Center:
        return Qt::AlignHCenter;
    case RtfAlignment::Right:
        return Qt::AlignRight;
    case RtfAlignment::Justify:
        return Qt::AlignJustify;
    case RtfAlignment::Left:
        break;
    }
    return Qt::AlignLeft;
}

} // namespace

void fillTextDocument(const RtfDocument& rtf, QTextDocument& document)
{
    document.clear();
    QTextCursor cursor(&document);
    bool first = true;
    for (const RtfParagraph& paragraph : rtf.paragraphs) {
        QTextBlockFormat block;
        block.setAlignment(alignment(paragraph.alignment));
        block.setLeftMargin(std::max(twipsToPixels(paragraph.leftIndent), 0.0));
        block.setTextIndent(twipsToPixels(paragraph.firstIndent));
        block.setTopMargin(std::max(twipsToPixels(paragraph.spaceBefore), 0.0));
        block.setBottomMargin(std::max(twipsToPixels(paragraph.spaceAfter), 0.0));
        QList<QTextOption::Tab> tabs;
        for (const int tab : paragraph.tabs)
            tabs.append(QTextOption::Tab(std::max(twipsToPixels(tab), 0.0), QTextOption::LeftTab));
        block.setTabPositions(tabs);
        if (first)
            cursor.setBlockFormat(block);
        else
            cursor.insertBlock(block);
        first = false;
        for (const RtfRun& run : paragraph.runs) {
            if (run.picture >= 0 && std::size_t(run.picture) < rtf.pictures.size()) {
                const RtfPicture& picture = rtf.pictures[std::size_t(run.picture)];
                QImage image;
                if (!image.loadFromData(reinterpret_cast<const uchar*>(picture.data.data()),
                        int(picture.data.size()), picture.kind == RtfPictureKind::Png ? "PNG" : "JPEG"))
                    continue;
                const QUrl name(QStringLiteral("rtfpicture:%1").arg(run.picture));
                document.addResource(QTextDocument::ImageResource, name, image);
                QTextImageFormat format;
                format.setName(name.toString());
                // The goal size when given, else the picture's own, scaled.
                const double width = picture.widthGoal > 0 ? twipsToPixels(picture.widthGoal) : image.width();
                const double height
                    = picture.heightGoal > 0 ? twipsToPixels(picture.heightGoal) : image.height();
                format.setWidth(width * std::clamp(picture.scaleX, 1, 1000) / 100.0);
                format.setHeight(height * std::clamp(picture.scaleY, 1, 1000) / 100.0);
                cursor.insertImage(format);
                continue;
            }
            QString text = QString::fromUtf8(run.text.data(), qsizetype(run.text.size()));
            text.replace(QLatin1Char('\n'), QChar(QChar::LineSeparator));
            cursor.insertText(text, charFormat(rtf, run.format));
        }
    }
}

} // namespace ov
