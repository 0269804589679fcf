// TFormCdPlay: the CD player window, thin over a CdDevice. A row of
// media-player buttons (play, pause, stop, next, previous, eject), the
// current track and position, a status line, and an options panel with
// "Continuous play" and "Repeat current selection". A one-second display
// timer (Timer1, started by whoever shows the window) and every device
// notification run the display tick; the handlers are public so that
// tests drive the window without events.
//
// Repeat: the end of the selection (the end of the current track less two
// seconds, in seconds from the start of the disc) is set when the box
// becomes checked and whenever the track changes; passing it goes back to
// the start of the current track and the display keeps ticking.
#pragma once

#include "media/cd_device.h"

#include <QDialog>

#include <string>
#include <utility>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QTimer;

namespace ov {

class IniFile;

enum class CdButton { Play, Pause, Stop, Next, Prev, Eject };

class TFormCdPlay : public QDialog {
public:
    // Texts from section "CD-Player" of language unless languageName is
    // "ENGLISH" (built-in English then). The device outlives the window.
    TFormCdPlay(CdDevice& device, const IniFile& language, const std::string& languageName,
        QWidget* parent = nullptr);
    ~TFormCdPlay() override;

    // Seconds from the start of the disc of track t at m:s, given the
    // lengths (minutes, seconds) of the tracks; frames are ignored.
    static int AbsoluteSeconds(
        const std::vector<std::pair<int, int>>& lengths, int track, int minute, int second);

    QWidget* MediaPlayer1 = nullptr;
    QPushButton* btPlay = nullptr;
    QPushButton* btPause = nullptr;
    QPushButton* btStop = nullptr;
    QPushButton* btNext = nullptr;
    QPushButton* btPrev = nullptr;
    QPushButton* btEject = nullptr;
    QLabel* Label_Track = nullptr; // "Track:"
    QLabel* Label_Pos = nullptr; // "Position:"
    QLabel* TrackLabel = nullptr;
    QLabel* TimeLabel = nullptr;
    QLabel* StatusPanel = nullptr;
    QWidget* OptionsPanel = nullptr;
    QCheckBox* CheckBox_ContPlay = nullptr;
    QCheckBox* CheckBox_RepeatCurSel = nullptr;
    QPushButton* Button_Options = nullptr;
    QPushButton* Button_Cancel = nullptr;
    QTimer* Timer1 = nullptr;

    void Timer1Timer();
    void MediaPlayer1Click(CdButton button);
    void CheckBox_RepeatCurSelClick();
    void Button_OptionsMouseDown();
    void Button_CancelClick();

    bool TracksLoaded() const { return m_tracksLoaded; }
    int CurrentTrack() const { return m_currentTrack; }
    int RepeatEnd() const { return m_repeatEnd; }
    bool PlayRequested() const { return m_playRequested; }
    bool Paused() const { return m_paused; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    void Reset();
    void LoadTracks();
    void SetRepeatEnd();
    void setStatus(const std::string& text);
    void fitHeight();

    CdDevice& m_device;
    std::vector<std::pair<int, int>> m_lengths;
    bool m_tracksLoaded = false;
    bool m_playRequested = false;
    bool m_paused = false;
    int m_currentTrack = 1;
    int m_repeatEnd = 0;
    int m_repeatTrack = 0; // the track m_repeatEnd belongs to (0: none)
    QPoint m_dragFrom;
};

} // namespace ov
