#include "viewers/avi_player.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace ov {

namespace {

// The panel the frames are drawn into, centred.
class FramePanel : public QWidget {
public:
    FramePanel(const QImage& frame, QWidget* parent)
        : QWidget(parent)
        , m_frame(frame)
    {
        setObjectName("MediaPanel");
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        if (!m_frame.isNull())
            painter.drawImage((width() - m_frame.width()) / 2, (height() - m_frame.height()) / 2, m_frame);
    }

private:
    const QImage& m_frame;
};

} // namespace

TAviPlayer::TAviPlayer(QWidget* parent)
    : QWidget(parent)
{
    setObjectName("MediaPlayer1");
    auto* layout = new QVBoxLayout(this);
    m_panel = new FramePanel(m_frame, this);
    layout->addWidget(m_panel, 1);
    auto* buttons = new QHBoxLayout;
    const std::pair<const char*, void (TAviPlayer::*)()> commands[] = {
        { "Play", &TAviPlayer::Play },
        { "Pause", &TAviPlayer::Pause },
        { "Stop", &TAviPlayer::Stop },
        { "Next", &TAviPlayer::Next },
        { "Prev", &TAviPlayer::Previous },
        { "Step", &TAviPlayer::Step },
        { "Back", &TAviPlayer::Back },
    };
    for (const auto& [name, command] : commands) {
        auto* button = new QPushButton(name, this);
        button->setObjectName(QString("MediaButton") + name);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QPushButton::clicked, this, [this, command = command] { (this->*command)(); });
        buttons->addWidget(button);
    }
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(&m_timer, &QTimer::timeout, this, [this] { Tick(); });
}

void TAviPlayer::Open(std::shared_ptr<AviVideo> video)
{
    Close();
    m_video = std::move(video);
    if (!m_video)
        return;
    const uint32_t period = m_video->MicroSecPerFrame();
    m_timer.setInterval(std::clamp(static_cast<int>(period / 1000), 10, 2000));
    show(0);
}

void TAviPlayer::Close()
{
    m_timer.stop();
    m_video.reset();
    m_frame = QImage();
    m_position = 0;
    m_panel->update();
}

void TAviPlayer::show(int position)
{
    if (!m_video)
        return;
    m_position = std::clamp(position, 0, m_video->FrameCount() - 1);
    const auto& pixels = m_video->Frame(m_position);
    m_frame = QImage(reinterpret_cast<const uchar*>(pixels.data()), m_video->Width(), m_video->Height(),
        m_video->Width() * 4, QImage::Format_RGB32)
                  .copy();
    m_panel->update();
}

void TAviPlayer::Play()
{
    if (!m_video)
        return;
    if (m_position >= m_video->FrameCount() - 1)
        show(0);
    m_timer.start();
}

void TAviPlayer::Pause()
{
    m_timer.stop();
}

void TAviPlayer::Stop()
{
    m_timer.stop();
    show(0);
}

void TAviPlayer::Next()
{
    if (m_video)
        show(m_video->FrameCount() - 1);
}

void TAviPlayer::Previous()
{
    show(0);
}

void TAviPlayer::Step()
{
    show(m_position + 1);
}

void TAviPlayer::Back()
{
    show(m_position - 1);
}

void TAviPlayer::Tick()
{
    if (!m_video)
        return;
    if (m_position + 1 >= m_video->FrameCount()) {
        // Played to the end: the player closes.
        Close();
        if (OnEnded)
            OnEnded(this);
        return;
    }
    show(m_position + 1);
}

} // namespace ov
