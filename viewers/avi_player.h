// TAviPlayer: the media page's player of an AviVideo held in memory: a panel
// the frames are drawn into and the buttons play, pause, stop, next,
// previous, step and back. Playing runs on a timer at the video's frame
// rate; when the last frame has been shown the player closes and OnEnded
// fires.
#pragma once

#include "viewers/avi_video.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class QPushButton;

namespace ov {

class TAviPlayer : public QWidget {
public:
    explicit TAviPlayer(QWidget* parent = nullptr);

    // Opens a video (null closes the player).
    void Open(std::shared_ptr<AviVideo> video);
    void Close();
    bool IsOpen() const { return m_video != nullptr; }

    // The buttons' commands.
    void Play();
    void Pause();
    void Stop(); // stops and goes back to the first frame
    void Next(); // to the last frame
    void Previous(); // to the first frame
    void Step(); // one frame on
    void Back(); // one frame back

    bool Playing() const { return m_timer.isActive(); }
    int Position() const { return m_position; }
    // The frame shown, as drawn into the panel.
    const QImage& Frame() const { return m_frame; }
    // Advances one frame as the timer does (tests call it directly).
    void Tick();

    std::function<void(TAviPlayer* sender)> OnEnded;

private:
    void show(int position);

    std::shared_ptr<AviVideo> m_video;
    int m_position = 0;
    QImage m_frame;
    QTimer m_timer;
    QWidget* m_panel = nullptr;
};

} // namespace ov
