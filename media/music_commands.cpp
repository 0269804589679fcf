// The main window's side of the music; see music_commands.h.
#include "media/music_commands.h"

#include "media/music_control.h"
#include "media/volume_control.h"
#include "panel/fpanel.h"
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "shell/commands.h"
#include "shell/main_window.h"

#include <algorithm>
#include <cmath>

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

namespace ov {

namespace {

// The window's controls as MusicControl sees them, and the owner of the
// control, the timer and the volume object (a child of the window).
class FormMusic final : public QObject, public MusicHost {
public:
    explicit FormMusic(TForm1& form)
        : QObject(&form)
        , m_form(form)
        , m_control(*this)
        , m_mixer(makeSystemMixer())
        , m_volume(*m_mixer)
    {
        setObjectName("MusicControl");
        m_timer3 = new QTimer(this);
        m_timer3->setObjectName("Timer3");
        m_timer3->setInterval(100);
        QObject::connect(m_timer3, &QTimer::timeout, this, [this] { m_control.Timer3Timer(); });
        m_posBar = form.findChild<QProgressBar*>("PosBar");
        m_posBarObject = m_posBar.data();
        if (m_posBar)
            m_posBar->installEventFilter(this);
        m_label1 = form.findChild<QLabel*>("Label1");
        m_label1Object = m_label1.data();
        if (m_label1)
            m_label1->installEventFilter(this);
        m_volBar = form.findChild<QSlider*>("VolBar");
        m_volBarObject = m_volBar.data();
        if (m_volBar) {
            m_volBar->installEventFilter(this);
            // Only the user's moves write; TimerMain's refresh sets the value
            // without a slider action, so reading never writes back.
            QObject::connect(m_volBar, &QAbstractSlider::actionTriggered, this,
                [this] { QTimer::singleShot(0, this, [this] { writeVolBar(); }); });
            QObject::connect(m_volBar, &QAbstractSlider::sliderMoved, this, [this] { writeVolBar(); });
        }
        form.setVolumeReader(
            [this](const std::string& channel) { return m_volume.volume(indexOf(channel)); });
        form.setVolumeWriter(
            [this](const std::string& channel, int level) { m_volume.setVolume(indexOf(channel), level); });
    }

    MusicControl& control() { return m_control; }

    void setCaption(const std::string& caption) override
    {
        m_form.setWindowTitle(QString::fromStdString(caption));
    }
    std::string caption() const override { return m_form.windowTitle().toStdString(); }
    bool statusBarVisible() const override
    {
        const QWidget* bar = m_form.findChild<QWidget*>("StatusBar1");
        return bar && !bar->isHidden();
    }
    void setLabel2(const std::string& text) override
    {
        if (auto* label = m_form.findChild<QLabel*>("Label2"))
            label->setText(QString::fromStdString(text));
    }
    void setPosBar(int percent) override
    {
        if (QProgressBar* bar = posBar())
            bar->setValue(percent);
    }
    bool continuousPlay() const override
    {
        const auto* button = m_form.findChild<QPushButton*>("b_cont");
        return button && button->isChecked();
    }
    bool cursorDown() override
    {
        TFPanel* panel = m_form.ActivePanel();
        if (!panel)
            return false;
        const int before = panel->CurrentIndex();
        panel->CursorDown();
        return panel->CurrentIndex() != before;
    }
    void viewCurrent() override { m_form.ViewCommand(); }
    void setTimer3(bool running) override
    {
        if (running)
            m_timer3->start();
        else
            m_timer3->stop();
    }
    void showInformation(const std::string& text) override
    {
        messageBox(text, "Information", Buttons::Ok, Icon::Information);
    }
    void showError(const std::string& text) override { messageBox(text, "Error", Buttons::Ok, Icon::Error); }
    // The program's folder, or where the build tree keeps the layers.
    std::string programFolder() const override
    {
        return programLayerFolder(MpegLibraryName, "media/mpeglayer");
    }
    std::string lastPlayText() const override
    {
        if (m_form.MainSettings.Language == "ENGLISH")
            return "Last playing file is";
        return m_form.Language().readString("Commands", "Message_LastPlayFile", "Last playing file is");
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress && watched != nullptr) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            // Any press on Label1, a right press on VolBar: the next channel.
            if (watched == m_label1Object
                || (watched == m_volBarObject && mouse->button() == Qt::RightButton)) {
                cycleChannel();
                return true;
            }
        }
        // Only the bar's mouse events; nothing is looked up here, since the
        // filter also sees the bar's last events while the window is torn down.
        if (watched == nullptr || watched != m_posBarObject)
            return false;
        if (event->type() == QEvent::MouseButtonPress
            || (event->type() == QEvent::MouseMove && m_posDragging)) {
            m_posDragging = true;
            const auto* mouse = static_cast<QMouseEvent*>(event);
            m_control.PosBarMouseDown(static_cast<int>(mouse->position().x()), m_posBar->width());
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            m_posDragging = false;
            m_control.PosBarMouseUp();
            return true;
        }
        return false;
    }

private:
    // Label1 names the channel VolBar shows: wave, then MIDI, then CD audio.
    std::string channel() const
    {
        const QString name = m_label1 ? m_label1->text() : QString();
        if (name == QLatin1String("Midi volume"))
            return "midi";
        if (name == QLatin1String("AudioCD volume"))
            return "cd";
        return "wave";
    }
    void cycleChannel()
    {
        if (!m_label1)
            return;
        const std::string now = channel();
        const char* next = now == "wave" ? "Midi volume" : now == "midi" ? "AudioCD volume" : "Wave volume";
        m_label1->setText(QString::fromLatin1(next));
        if (m_volBar)
            m_volBar->setValue(
                static_cast<int>(std::lround(m_volume.volume(indexOf(channel())) * 100.0 / 255.0)));
    }
    void writeVolBar()
    {
        if (!m_volBar)
            return;
        const int level = std::clamp(static_cast<int>(std::lround(m_volBar->value() * 0.01 * 255)), 0, 255);
        m_volume.setVolume(indexOf(channel()), level);
    }

    QProgressBar* posBar() const { return m_posBar.data(); }
    static int indexOf(const std::string& channel) { return channel == "cd" ? 0 : channel == "midi" ? 2 : 1; }

    TForm1& m_form;
    MusicControl m_control;
    std::unique_ptr<Mixer> m_mixer;
    TVolumeControl m_volume;
    QTimer* m_timer3 = nullptr;
    QPointer<QProgressBar> m_posBar;
    QPointer<QLabel> m_label1;
    QPointer<QSlider> m_volBar;
    // The watched controls by identity only: the filter sees their last
    // events while they are being destroyed, when no cast to their class
    // is valid any more.
    const QObject* m_posBarObject = nullptr;
    const QObject* m_label1Object = nullptr;
    const QObject* m_volBarObject = nullptr;
    bool m_posDragging = false;
};

FormMusic& musicOf(TForm1& form)
{
    if (auto* existing = form.findChild<FormMusic*>("MusicControl", Qt::FindDirectChildrenOnly))
        return *existing;
    return *new FormMusic(form);
}

std::string hostPathOf(const std::string& path)
{
    const auto host = DriveTable::instance().toHost(path);
    return host ? *host : path;
}

} // namespace

void attachMusic(TForm1& form)
{
    musicOf(form);
}

void registerMusicCommands()
{
    registerFileHandler("PlaySound",
        [](TForm1& form, const std::string& path) { musicOf(form).control().Play_Sound(hostPathOf(path)); });
    registerFileHandler("PlayMpeg",
        [](TForm1& form, const std::string& path) { musicOf(form).control().PlayMpeg(hostPathOf(path)); });
    registerFileHandler("PlayModule",
        [](TForm1& form, const std::string& path) { musicOf(form).control().PlayModule(hostPathOf(path)); });
    registerCommand("StopMusic", [](TForm1& form) { musicOf(form).control().Stop(); });
    registerCommand("PlayLast", [](TForm1& form) { musicOf(form).control().PlayLast(); });
    registerCommand("WhatPlaying", [](TForm1& form) { musicOf(form).control().WhatPlaying(); });
}

} // namespace ov
