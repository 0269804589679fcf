#include "viewers/picture_viewer.h"

#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/picture.h"

#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>

#include <algorithm>
#include <cctype>
#include <charconv>

namespace ov {

namespace {

std::string lowerExtension(const std::string& path)
{
    const std::size_t slash = path.find_last_of("\\/");
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::string();
    std::string extension = path.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
        [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

std::string fileNameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

QString qtext(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

bool isViewerPicture(const std::string& path)
{
    static const char* const accepted[] = { ".jpg", ".jpeg", ".bmp", ".gif", ".ico" };
    const std::string extension = lowerExtension(path);
    return std::any_of(
        std::begin(accepted), std::end(accepted), [&](const char* e) { return extension == e; });
}

QRect viewerPlacement(QSize natural, QSize screen)
{
    const QSize shown = fitPictureSize(natural, screen);
    return QRect((screen.width() - shown.width()) / 2, (screen.height() - shown.height()) / 2, shown.width(),
        shown.height());
}

ViewerAction viewerKeyAction(int key, Qt::KeyboardModifiers modifiers)
{
    switch (key) {
    case Qt::Key_F2:
        return ViewerAction::ToggleSave;
    case Qt::Key_Insert:
        return ViewerAction::ToggleLabel;
    case Qt::Key_Right:
    case Qt::Key_PageDown:
    case Qt::Key_Down:
    case Qt::Key_Space:
        return ViewerAction::Next;
    case Qt::Key_Left:
    case Qt::Key_PageUp:
    case Qt::Key_Up:
    case Qt::Key_Backspace:
        return ViewerAction::Previous;
    case Qt::Key_Super_R:
    case Qt::Key_Menu:
        return ViewerAction::None;
    default:
        break;
    }
    // The keypad flag says where the key is, not what is held.
    const Qt::KeyboardModifiers held = modifiers & ~Qt::KeypadModifier;
    if (held == Qt::ControlModifier || held == Qt::AltModifier)
        return ViewerAction::None;
    return ViewerAction::Close;
}

ViewerAction viewerMouseAction(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return ViewerAction::Close;
    case Qt::RightButton:
        return ViewerAction::Next;
    case Qt::MiddleButton:
        return ViewerAction::Previous;
    default:
        return ViewerAction::None;
    }
}

bool parseViewerQuality(const std::string& text, int& quality, std::string& error)
{
    error.clear();
    if (text.empty())
        return false;
    // Blanks around the number are allowed, as the integer conversion does.
    std::size_t begin = text.find_first_not_of(' ');
    std::size_t end = text.find_last_not_of(' ');
    long long value = 0;
    bool valid = begin != std::string::npos;
    if (valid) {
        const char* first = text.data() + begin;
        const char* last = text.data() + end + 1;
        if (*first == '+')
            ++first;
        const auto [stop, code] = std::from_chars(first, last, value);
        valid = code == std::errc() && stop == last && first != last;
        if (code == std::errc::result_out_of_range)
            valid = false;
    }
    if (!valid || value < INT32_MIN || value > INT32_MAX) {
        error = "'" + text + "' is not a valid integer value";
        return false;
    }
    quality = clampJpegQuality(static_cast<int>(value));
    return true;
}

std::string viewerLabel(const std::string& name, QSize natural, bool loaded)
{
    if (!loaded)
        return name;
    return name + ", " + std::to_string(std::max(natural.width(), 0)) + "x"
        + std::to_string(std::max(natural.height(), 0));
}

TViewerForm::TViewerForm(TPictureViewerHost& host, QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Dialog)
    , m_host(host)
{
    setObjectName("ViewerForm");
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    Image = new QLabel(this);
    Image->setObjectName("Image1");
    Image->setScaledContents(true);
    Image->hide();

    InfoLabel = new QLabel(this);
    InfoLabel->setObjectName("Label1");
    QPalette white = InfoLabel->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    InfoLabel->setPalette(white);
    InfoLabel->move(4, 4);
    InfoLabel->hide();

    SavePanel = new QFrame(this);
    SavePanel->setObjectName("Panel1");
    SavePanel->setFrameShape(QFrame::Panel);
    SavePanel->setFrameShadow(QFrame::Raised);
    SavePanel->setAutoFillBackground(true);
    SavePanel->setPalette(QGuiApplication::palette());
    auto* grid = new QGridLayout(SavePanel);
    auto* prompt = new QLabel(QString::fromLatin1(kSavePrompt), SavePanel);
    prompt->setObjectName("Label2");
    grid->addWidget(prompt, 0, 0, 1, 3);
    FileNameEdit = new QLineEdit(QString::fromLatin1(kDefaultSaveName), SavePanel);
    FileNameEdit->setObjectName("Edit1");
    grid->addWidget(FileNameEdit, 1, 0, 1, 2);
    BrowseButton = new QToolButton(SavePanel);
    BrowseButton->setObjectName("SpeedButton1");
    BrowseButton->setText("...");
    grid->addWidget(BrowseButton, 1, 2);
    auto* qualityLabel = new QLabel(QString::fromLatin1(kQualityLabel), SavePanel);
    qualityLabel->setObjectName("Label3");
    grid->addWidget(qualityLabel, 2, 0);
    QualityEdit = new QLineEdit(QString::fromLatin1(kDefaultQuality), SavePanel);
    QualityEdit->setObjectName("Edit2");
    grid->addWidget(QualityEdit, 2, 1, 1, 2);
    SaveButton = new QPushButton("&Save", SavePanel);
    SaveButton->setObjectName("Button1");
    SaveButton->setAutoDefault(false);
    CancelButton = new QPushButton("&Cancel", SavePanel);
    CancelButton->setObjectName("Button2");
    CancelButton->setAutoDefault(false);
    grid->addWidget(SaveButton, 3, 1);
    grid->addWidget(CancelButton, 3, 2);
    SavePanel->adjustSize();
    SavePanel->hide();

    connect(SaveButton, &QPushButton::clicked, this, [this] { SaveJpeg(); });
    connect(CancelButton, &QPushButton::clicked, this, [this] {
        SavePanel->hide();
        setFocus();
    });
    connect(BrowseButton, &QToolButton::clicked, this, [this] { browse(); });
    setFocusPolicy(Qt::StrongFocus);
}

QSize TViewerForm::screenSize() const
{
    if (m_screen.isValid())
        return m_screen;
    const QScreen* shown = screen() ? screen() : QGuiApplication::primaryScreen();
    return shown ? shown->size() : QSize(1024, 768);
}

QRect TViewerForm::ImageRect() const
{
    return Image->isVisible() || !Image->isHidden() ? Image->geometry() : QRect();
}

bool TViewerForm::ShowCurrent()
{
    m_file = m_host.CurrentFile();
    if (!isViewerPicture(m_file)) {
        reject();
        return false;
    }
    Image->hide();
    const QSize screen = screenSize();
    setGeometry(0, 0, screen.width(), screen.height());

    const std::string name = fileNameOf(m_file);
    InfoLabel->setText(qtext(name));
    InfoLabel->adjustSize();
    Image->clear();
    m_natural = QSize();

    const auto hostPath = DriveTable::instance().toHost(m_file);
    const Picture picture = hostPath ? PictureCache::shared().load(*hostPath, screen) : Picture {};
    if (!hostPath || picture.status == PictureStatus::Unreadable) {
        // The label keeps the name alone; the viewer stays open.
        messageBox("Cannot open file \"" + m_file + "\".", "Error", Buttons::Ok, Icon::Error);
        return true;
    }
    // A damaged picture, or one beyond the caps, is shown as an empty one.
    if (picture.status == PictureStatus::Ok)
        m_natural = picture.naturalSize;
    else
        m_natural = QSize(0, 0);
    InfoLabel->setText(qtext(viewerLabel(name, m_natural, true)));
    InfoLabel->adjustSize();
    if (picture.status != PictureStatus::Ok)
        return true;
    Image->setPixmap(QPixmap::fromImage(picture.image));
    Image->setGeometry(viewerPlacement(m_natural, screen));
    Image->lower();
    Image->show();
    return true;
}

void TViewerForm::NextPicture()
{
    if (m_host.CurrentIndex() >= m_host.Count())
        return;
    m_host.CursorDown();
    ShowCurrent();
}

void TViewerForm::PreviousPicture()
{
    if (m_host.CurrentIndex() <= 1)
        return;
    m_host.CursorUp();
    ShowCurrent();
}

void TViewerForm::ToggleSavePanel()
{
    if (SavePanel->isVisible() || !SavePanel->isHidden()) {
        SavePanel->hide();
        setFocus();
        return;
    }
    SavePanel->adjustSize();
    SavePanel->move((width() - SavePanel->width()) / 2, (height() - SavePanel->height()) / 2);
    SavePanel->show();
    SavePanel->raise();
    FileNameEdit->setFocus();
}

void TViewerForm::SaveJpeg()
{
    const std::string target = FileNameEdit->text().toStdString();
    if (target.empty()) {
        messageBox(kSaveNameMissing, "Information", Buttons::Ok, Icon::Information);
        return;
    }
    int quality = 0;
    std::string error;
    if (!parseViewerQuality(QualityEdit->text().toStdString(), quality, error)) {
        if (!error.empty())
            messageBox(error, "Error", Buttons::Ok, Icon::Error);
        return;
    }
    // The shown picture may be DCT-scaled to the screen: the file is read
    // again at its full size.
    const auto source = DriveTable::instance().toHost(m_file);
    const Picture full = source ? loadPicture(*source) : Picture {};
    if (full.status != PictureStatus::Ok) {
        messageBox("There is no picture to save.", "Error", Buttons::Ok, Icon::Error);
        return;
    }
    const auto hostTarget = DriveTable::instance().toHost(target);
    if (!hostTarget) {
        messageBox("Cannot create file \"" + target + "\".", "Error", Buttons::Ok, Icon::Error);
        return;
    }
    if (!saveJpeg(full.image, *hostTarget, quality, &error)) {
        messageBox("Cannot create file \"" + target + "\". " + error, "Error", Buttons::Ok, Icon::Error);
        return;
    }
    SavePanel->hide();
    setFocus();
}

void TViewerForm::browse()
{
    const std::string chosen = prompts().saveFile("Save as", std::string(), "JPEG (*.jpg *.jpeg)");
    if (chosen.empty())
        return;
    const auto windowsPath = DriveTable::instance().fromHost(chosen);
    FileNameEdit->setText(qtext(windowsPath ? *windowsPath : chosen));
}

void TViewerForm::Run(ViewerAction action)
{
    switch (action) {
    case ViewerAction::None:
        break;
    case ViewerAction::Close:
        reject();
        break;
    case ViewerAction::ToggleSave:
        ToggleSavePanel();
        break;
    case ViewerAction::ToggleLabel:
        InfoLabel->setText(qtext(fileNameOf(m_file)));
        InfoLabel->adjustSize();
        InfoLabel->setVisible(InfoLabel->isHidden());
        InfoLabel->raise();
        break;
    case ViewerAction::Next:
        NextPicture();
        break;
    case ViewerAction::Previous:
        PreviousPicture();
        break;
    }
}

void TViewerForm::keyPressEvent(QKeyEvent* event)
{
    // Keys typed into the save panel belong to it, including those its box
    // or button leaves unused (Esc, Up, Down): they never page or close.
    if (!SavePanel->isHidden() && SavePanel->isAncestorOf(focusWidget())) {
        event->accept();
        return;
    }
    Run(viewerKeyAction(event->key(), event->modifiers()));
    event->accept();
}

void TViewerForm::mousePressEvent(QMouseEvent* event)
{
    Run(viewerMouseAction(event->button()));
    event->accept();
}

void TViewerForm::Execute(TPictureViewerHost& host, QWidget* parent)
{
    if (!isViewerPicture(host.CurrentFile())) {
        host.EndPanelGestures();
        return;
    }
    TViewerForm form(host, parent);
    form.exec();
}

void TViewerForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_closing = false;
    ShowCurrent();
    setFocus();
}

void TViewerForm::done(int result)
{
    if (!m_closing) {
        m_closing = true;
        m_host.EndPanelGestures();
    }
    QDialog::done(result);
}

} // namespace ov
