#include "viewers/clipboard_viewer.h"

#include "viewers/palette_grid.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ov {

TClipboardViewer::TClipboardViewer(QWidget* parent, QClipboard* clipboard)
    : QScrollArea(parent)
    , m_clipboard(clipboard ? clipboard : QGuiApplication::clipboard())
{
    setObjectName("ClipboardViewer1");
    setFrameShape(QFrame::NoFrame);
    setBackgroundRole(QPalette::Base);
    connect(m_clipboard, &QClipboard::dataChanged, this, [this] { ClipboardChanged(); });
    rebuild();
}

void TClipboardViewer::SetViewFormat(TClipboardViewFormat format)
{
    m_format = format;
    rebuild();
}

void TClipboardViewer::ClipboardChanged()
{
    const QMimeData* data = m_clipboard->mimeData();
    m_format = formatAfterChange(m_format, data ? data->formats() : QStringList());
    if (OnChange)
        OnChange(this);
    rebuild();
}

void TClipboardViewer::rebuild()
{
    using F = TClipboardViewFormat;
    const QMimeData* data = m_clipboard->mimeData();
    const QStringList types = data ? data->formats() : QStringList();
    m_shown = effectiveClipboardFormat(m_format, types);

    setUpdatesEnabled(false);
    if (QWidget* previous = takeWidget())
        previous->deleteLater();

    QImage image;
    if (m_shown == F::cvBitmap)
        image = qvariant_cast<QImage>(data->imageData());
    if (m_shown == F::cvBitmap && image.isNull()) {
        for (const QString& type : types)
            if (type.startsWith(QLatin1String("image/")) && image.loadFromData(data->data(type)))
                break;
    }
    if (m_shown == F::cvIcon)
        image.loadFromData(
            data->data(data->hasFormat("image/x-icon") ? "image/x-icon" : "image/vnd.microsoft.icon"));
    if (m_shown == F::cvPicture)
        image.loadFromData(data->data(QString::fromLatin1(kMimePicture)));

    if (m_shown == F::cvPalette) {
        auto* grid = new TPaletteGrid;
        const auto colours = readClipboardPalette(data->data(QString::fromLatin1(kMimePalette)));
        grid->SetPalette(colours ? *colours : std::vector<QRgb>());
        setWidgetResizable(true);
        setWidget(grid);
    } else if (m_shown == F::cvBitmap || m_shown == F::cvIcon || m_shown == F::cvPicture) {
        auto* label = new QLabel;
        label->setObjectName("Image");
        label->setPixmap(QPixmap::fromImage(image));
        label->adjustSize();
        setWidgetResizable(false);
        setWidget(label);
    } else {
        auto* memo = new QPlainTextEdit;
        memo->setObjectName("Memo");
        memo->setReadOnly(true);
        memo->setFrameShape(QFrame::NoFrame);
        memo->setLineWrapMode(QPlainTextEdit::NoWrap);
        memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        if (m_shown == F::cvOemText)
            memo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        // Text asked for shows a component's stored properties when the
        // clipboard holds no text (the view itself counts as unknown then).
        const F memoFormat = m_format == F::cvText ? F::cvText : m_shown;
        memo->setPlainText(clipboardMemoText(memoFormat, data));
        setWidgetResizable(true);
        setWidget(memo);
    }
    setUpdatesEnabled(true);
}

ClipboardBounds usableClipboardBounds(ClipboardBounds stored)
{
    if (stored.left < 1)
        stored.left = 50;
    if (stored.top < 1)
        stored.top = 50;
    if (stored.width < 1)
        stored.width = 300;
    if (stored.height < 1)
        stored.height = 300;
    return stored;
}

TFormClip::TFormClip(
    const std::string& caption, ClipboardBounds bounds, QWidget* parent, QClipboard* clipboard)
    : QDialog(parent)
{
    setObjectName("FormClip");
    setWindowTitle(QString::fromStdString(caption));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Viewer = new TClipboardViewer(this, clipboard);
    layout->addWidget(Viewer, 1);
    auto* bar = new QWidget(this);
    bar->setObjectName("Panel1");
    auto* barLayout = new QHBoxLayout(bar);
    OkButton = new QPushButton("&OK", bar);
    OkButton->setObjectName("BitBtn1");
    barLayout->addStretch();
    barLayout->addWidget(OkButton);
    barLayout->addStretch();
    layout->addWidget(bar);
    // The button cancels: the window only shows, it has nothing to accept.
    connect(OkButton, &QPushButton::clicked, this, &QDialog::reject);
    const ClipboardBounds usable = usableClipboardBounds(bounds);
    setGeometry(usable.left, usable.top, usable.width, usable.height);
}

ClipboardBounds TFormClip::Bounds() const
{
    const QRect place = geometry();
    return ClipboardBounds { place.left(), place.top(), place.width(), place.height() };
}

void TFormClip::Execute(const std::string& caption, ClipboardBounds& bounds, QWidget* parent)
{
    TFormClip form(caption, bounds, parent);
    form.exec();
    bounds = form.Bounds();
}

} // namespace ov
