// The CD player window; see cd_window.h.
#include "media/cd_window.h"

#include "shell/language_file.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>

namespace ov {

namespace {
constexpr int FormWidth = 376;
constexpr int FormHeight = 196;
constexpr int OptionsHeight = 56;
} // namespace

TFormCdPlay::TFormCdPlay(
    CdDevice& device, const IniFile& language, const std::string& languageName, QWidget* parent)
    : QDialog(parent)
    , m_device(device)
{
    setObjectName("TFormCdPlay");
    // Single border with only the system menu's close box.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    const auto text = [&](const char* key, const char* builtIn) {
        return QString::fromStdString(notEnglishText(language, languageName, "CD-Player", key, builtIn));
    };
    setWindowTitle(text("Caption", "CD-Player"));

    // The button row of the media player.
    MediaPlayer1 = new QWidget(this);
    MediaPlayer1->setObjectName("MediaPlayer1");
    MediaPlayer1->setGeometry(16, 20, 240, 30);
    auto* row = new QHBoxLayout(MediaPlayer1);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    const struct {
        QPushButton** button;
        const char* name;
        const char* glyph;
        const char* tip;
        CdButton kind;
    } buttons[] = {
        { &btPlay, "btPlay", "\u25B6", "Play", CdButton::Play },
        { &btPause, "btPause", "\u2016", "Pause", CdButton::Pause },
        { &btStop, "btStop", "\u25A0", "Stop", CdButton::Stop },
        { &btNext, "btNext", "\u25B6\u2759", "Next", CdButton::Next },
        { &btPrev, "btPrev", "\u2759\u25C0", "Previous", CdButton::Prev },
        { &btEject, "btEject", "\u23CF", "Eject", CdButton::Eject },
    };
    for (const auto& entry : buttons) {
        auto* button = new QPushButton(QString::fromUtf8(entry.glyph), MediaPlayer1);
        button->setObjectName(entry.name);
        button->setToolTip(QString::fromLatin1(entry.tip));
        button->setFocusPolicy(Qt::TabFocus);
        row->addWidget(button);
        *entry.button = button;
        const CdButton kind = entry.kind;
        connect(button, &QPushButton::clicked, this, [this, kind] { MediaPlayer1Click(kind); });
    }

    Label_Track = new QLabel(text("Label_Track", "Track:"), this);
    Label_Track->setObjectName("Label_Track");
    Label_Track->setGeometry(16, 64, 90, 20);
    TrackLabel = new QLabel(QStringLiteral("0"), this);
    TrackLabel->setObjectName("TrackLabel");
    TrackLabel->setGeometry(110, 64, 60, 20);
    Label_Pos = new QLabel(text("Label_Pos", "Position:"), this);
    Label_Pos->setObjectName("Label_Pos");
    Label_Pos->setGeometry(16, 88, 90, 20);
    TimeLabel = new QLabel(QStringLiteral("00:00"), this);
    TimeLabel->setObjectName("TimeLabel");
    TimeLabel->setGeometry(110, 88, 60, 20);

    // A decorative title inside the frame.
    auto* title = new QLabel(QStringLiteral("Audio CD"), this);
    title->setObjectName("LabelTitle");
    title->setGeometry(270, 20, 90, 30);
    title->setAlignment(Qt::AlignCenter);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    title->setFont(titleFont);

    StatusPanel = new QLabel(this);
    StatusPanel->setObjectName("StatusPanel");
    StatusPanel->setFrameShape(QFrame::Panel);
    StatusPanel->setFrameShadow(QFrame::Sunken);
    StatusPanel->setGeometry(16, 120, 340, 22);

    Button_Options = new QPushButton(text("Button_Options", "&Options"), this);
    Button_Options->setObjectName("Button_Options");
    Button_Options->setGeometry(16, 160, 100, 26);
    Button_Options->setAutoDefault(false);
    // The mouse press toggles at once; the mnemonic and Space (the button
    // taking the keyboard) toggle through the same press.
    connect(Button_Options, &QPushButton::pressed, this, [this] { Button_OptionsMouseDown(); });
    Button_Cancel = new QPushButton(text("Button_Cancel", "&Cancel"), this);
    Button_Cancel->setObjectName("Button_Cancel");
    Button_Cancel->setGeometry(FormWidth - 116, 160, 100, 26);
    Button_Cancel->setAutoDefault(false);
    connect(Button_Cancel, &QPushButton::clicked, this, [this] { Button_CancelClick(); });

    OptionsPanel = new QWidget(this);
    OptionsPanel->setObjectName("OptionsPanel");
    OptionsPanel->setGeometry(8, FormHeight, FormWidth - 16, OptionsHeight - 4);
    CheckBox_ContPlay = new QCheckBox(text("Label_ContPlay", "Co&ntinuous play"), OptionsPanel);
    CheckBox_ContPlay->setObjectName("CheckBox_ContPlay");
    CheckBox_ContPlay->setGeometry(8, 2, 340, 22);
    CheckBox_RepeatCurSel
        = new QCheckBox(text("Label_RepeatCurSel", "&Repeat current selection"), OptionsPanel);
    CheckBox_RepeatCurSel->setObjectName("CheckBox_RepeatCurSel");
    CheckBox_RepeatCurSel->setGeometry(8, 26, 340, 22);
    connect(CheckBox_RepeatCurSel, &QCheckBox::toggled, this, [this] { CheckBox_RepeatCurSelClick(); });
    OptionsPanel->hide();

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });

    // The device may report from its reader thread: the tick runs here.
    QPointer<TFormCdPlay> self(this);
    m_device.OnModeChange = [self](CdMode) {
        if (self)
            QMetaObject::invokeMethod(
                self.data(),
                [self] {
                    if (self)
                        self->Timer1Timer();
                },
                Qt::QueuedConnection);
    };

    setStatus(std::string(" ") + cdModeText(CdMode::NotReady));
    fitHeight();
    // Centred on the screen.
    if (const QScreen* where = screen())
        move(where->availableGeometry().center() - rect().center());
}

TFormCdPlay::~TFormCdPlay()
{
    m_device.OnModeChange = nullptr;
}

int TFormCdPlay::AbsoluteSeconds(
    const std::vector<std::pair<int, int>>& lengths, int track, int minute, int second)
{
    int total = 0;
    for (int i = 0; i + 1 < track && i < static_cast<int>(lengths.size()); ++i)
        total
            += lengths[static_cast<std::size_t>(i)].first * 60 + lengths[static_cast<std::size_t>(i)].second;
    return total + minute * 60 + second;
}

void TFormCdPlay::setStatus(const std::string& text)
{
    StatusPanel->setText(QString::fromStdString(text));
}

void TFormCdPlay::LoadTracks()
{
    setStatus(" Loading tracks");
    m_lengths.clear();
    m_repeatTrack = 0;
    m_tracksLoaded = m_device.loadTracks();
    for (const CdTrack& track : m_device.tracks())
        m_lengths.emplace_back(track.minutes(), track.seconds());
    setStatus(std::string(" ") + cdModeText(m_device.mode()));
}

void TFormCdPlay::SetRepeatEnd()
{
    // Without a table (the box checked before a disc was read) the end is
    // set at the first tick that has one.
    m_repeatTrack = 0;
    if (m_currentTrack < 1 || m_currentTrack > static_cast<int>(m_lengths.size()))
        return;
    const auto& length = m_lengths[static_cast<std::size_t>(m_currentTrack - 1)];
    m_repeatEnd = AbsoluteSeconds(m_lengths, m_currentTrack, length.first, length.second) - 2;
    m_repeatTrack = m_currentTrack;
}

void TFormCdPlay::Reset()
{
    m_currentTrack = 1;
    m_repeatTrack = 0;
    TrackLabel->setText(QStringLiteral("0"));
    TimeLabel->setText(QStringLiteral("00:00"));
    m_device.stop();
    m_device.seek(CdPosition { 1, 0, 0, 0 });
    m_playRequested = false;
    m_paused = false;
}

void TFormCdPlay::Timer1Timer()
{
    const CdMode mode = m_device.mode();
    setStatus(m_paused ? std::string(" Paused") : std::string(" ") + cdModeText(mode));
    switch (mode) {
    case CdMode::Stopped:
        if (!m_tracksLoaded)
            LoadTracks();
        if (m_playRequested && !m_paused && CheckBox_ContPlay->isChecked()) {
            const CdPosition start { 1, 0, 0, 0 };
            m_device.play(&start);
            for (QPushButton* button : { btPause, btStop, btNext, btPrev, btEject })
                button->setEnabled(true);
        }
        break;
    case CdMode::Playing: {
        CdPosition position = m_device.position();
        m_currentTrack = position.track;
        if (CheckBox_RepeatCurSel->isChecked() && m_repeatTrack != m_currentTrack)
            SetRepeatEnd();
        if (CheckBox_RepeatCurSel->isChecked()
            && AbsoluteSeconds(m_lengths, position.track, position.minute, position.second) > m_repeatEnd) {
            // Back to the start of the current track; the display goes on.
            const bool ticking = Timer1->isActive();
            Timer1->stop();
            m_device.seek(CdPosition { m_currentTrack, 0, 0, 0 });
            position = m_device.position();
            if (ticking)
                Timer1->start();
        }
        TrackLabel->setText(QString::number(position.track));
        TimeLabel->setText(QStringLiteral("%1:%2")
                               .arg(position.minute, 2, 10, QLatin1Char('0'))
                               .arg(position.second, 2, 10, QLatin1Char('0')));
        break;
    }
    case CdMode::Open:
        m_tracksLoaded = false;
        m_lengths.clear();
        Reset();
        break;
    default:
        break;
    }
}

void TFormCdPlay::MediaPlayer1Click(CdButton button)
{
    switch (button) {
    case CdButton::Play:
        m_device.play();
        m_playRequested = true;
        m_paused = false;
        update();
        break;
    case CdButton::Pause:
        // The media player's pause button resumes a paused device.
        if (m_device.mode() == CdMode::Paused) {
            m_device.resume();
            m_playRequested = true;
            m_paused = false;
        } else {
            m_device.pause();
            m_playRequested = false;
            m_paused = true;
        }
        break;
    case CdButton::Stop:
        m_device.stop();
        Reset();
        break;
    case CdButton::Next:
        m_device.next();
        break;
    case CdButton::Prev:
        m_device.previous();
        break;
    case CdButton::Eject:
        m_device.eject();
        m_tracksLoaded = false;
        m_lengths.clear();
        Reset();
        break;
    }
    Timer1Timer();
}

void TFormCdPlay::CheckBox_RepeatCurSelClick()
{
    if (CheckBox_RepeatCurSel->isChecked())
        SetRepeatEnd();
}

void TFormCdPlay::Button_OptionsMouseDown()
{
    OptionsPanel->setVisible(OptionsPanel->isHidden());
    fitHeight();
}

void TFormCdPlay::Button_CancelClick()
{
    close();
}

void TFormCdPlay::fitHeight()
{
    setFixedSize(FormWidth, FormHeight + (OptionsPanel->isHidden() ? 0 : OptionsHeight));
}

void TFormCdPlay::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    // The etched frame: grey, then white one pixel down and right.
    QPainter painter(this);
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(6, 8, 360, 141);
    painter.setPen(Qt::white);
    painter.drawRect(7, 9, 360, 141);
}

void TFormCdPlay::mousePressEvent(QMouseEvent* event)
{
    // A press on the window's own surface drags the window.
    if (event->button() == Qt::LeftButton)
        m_dragFrom = event->globalPosition().toPoint() - frameGeometry().topLeft();
    QDialog::mousePressEvent(event);
}

void TFormCdPlay::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        move(event->globalPosition().toPoint() - m_dragFrom);
    QDialog::mouseMoveEvent(event);
}

void TFormCdPlay::closeEvent(QCloseEvent* event)
{
    Timer1->stop();
    QDialog::closeEvent(event);
}

void TFormCdPlay::done(int result)
{
    // Esc and Cancel end here too: the display stops with the window.
    Timer1->stop();
    QDialog::done(result);
}

} // namespace ov
