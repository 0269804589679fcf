// The main window's side of the music; see music_commands.h.
#include "media/music_commands.h"

#include "media/music_control.h"
#include "media/regulator.h"
#include "media/volume_control.h"
#include "panel/fpanel.h"
#include "platform/colors.h"
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "shell/commands.h"
#include "shell/main_window.h"

#include <algorithm>
#include <cmath>

#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace ov {

namespace {

// The window's controls as MusicControl sees them, and the owner of the
// control, the timer and the volume object (a child of the window).
class FormMusic final : public QObject, public MusicHost {
public:
    FormMusic(TForm1& form, Mixer* mixer)
        : QObject(&form)
        , m_form(form)
        , m_control(*this)
        , m_ownMixer(mixer ? nullptr : makeSystemMixer())
        , m_volume(mixer ? *mixer : *m_ownMixer)
    {
        setObjectName("MusicControl");
        // The window's own Timer3 when it has one.
        m_timer3 = form.findChild<QTimer*>("Timer3", Qt::FindDirectChildrenOnly);
        if (!m_timer3) {
            m_timer3 = new QTimer(this);
            m_timer3->setObjectName("Timer3");
        }
        m_timer3->setInterval(100);
        QObject::connect(m_timer3, &QTimer::timeout, this, [this] { m_control.Timer3Timer(); });
        m_posBar = form.findChild<QProgressBar*>("PosBar");
        m_posBarObject = m_posBar.data();
        if (m_posBar)
            m_posBar->installEventFilter(this);
        m_label1 = form.findChild<QLabel*>("Label1");
        m_label1Object = m_label1.data();
        if (m_label1) {
            m_label1->installEventFilter(this);
            setLabel1Color(clGrayText);
        }
        m_volBar = dynamic_cast<TRegulator*>(form.findChild<QWidget*>("VolBar"));
        if (m_volBar) {
            // The regulator has moved its own position before these run;
            // TimerMain's refresh sets the position without them, so reading
            // never writes back.
            m_volBar->OnMouseDown = [this](TRegulator& bar, Qt::MouseButton button, int) {
                if (button == Qt::RightButton) {
                    cycleChannel();
                    return;
                }
                m_volDragging = true;
                writeVolBar();
                bar.repaint();
            };
            m_volBar->OnMouseMove = [this](TRegulator& bar, int) {
                if (!m_volDragging)
                    return;
                writeVolBar();
                bar.repaint();
            };
            m_volBar->OnMouseUp = [this](TRegulator&, Qt::MouseButton, int) { m_volDragging = false; };
        }
        form.setVolumeReader(
            [this](const std::string& channel) { return m_volume.volume(indexOf(channel)); });
        form.setVolumeWriter(
            [this](const std::string& channel, int level) { m_volume.setVolume(indexOf(channel), level); });
    }
    ~FormMusic() override
    {
        if (m_volBar) {
            m_volBar->OnMouseDown = nullptr;
            m_volBar->OnMouseMove = nullptr;
            m_volBar->OnMouseUp = nullptr;
        }
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
        if (!m_timer3)
            return;
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
    // The program's folder, or where the build tree keeps the layer: each
    // layer has a folder of its own there.
    std::string programFolder(const std::string& libraryName) const override
    {
        return programLayerFolder(
            libraryName, libraryName == ModLibraryName ? "media/modlayer" : "media/mpeglayer");
    }
    void postToWindow(std::function<void()> call) override
    {
        QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
    }
    bool rightPanelAtLastEntry() const override
    {
        const TFPanel* right = m_form.RightPanel();
        return right && right->CurrentIndex() == right->Browser.Count;
    }
    void endMusicList() override
    {
        QAction* entry = m_form.MenuAction("Command_PlayMusic");
        if (!entry)
            return;
        entry->setChecked(false);
        entry->setText(QString::fromStdString(
            m_form.Language().readString("Music", "Caption_PlayMusicList", "Play music list")));
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
        // Label1 lights up under the mouse.
        if (watched != nullptr && watched == m_label1Object) {
            if (event->type() == QEvent::Enter)
                setLabel1Color(clWindowText);
            else if (event->type() == QEvent::Leave)
                setLabel1Color(clGrayText);
        }
        if (event->type() == QEvent::MouseButtonPress && watched != nullptr) {
            // Any press on Label1: the next channel (VolBar's right press
            // comes through its own handler).
            if (watched == m_label1Object) {
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
            m_volBar->setPosition(
                static_cast<int>(std::lround(m_volume.volume(indexOf(channel())) * 100.0 / 255.0)));
    }
    void writeVolBar()
    {
        if (!m_volBar)
            return;
        const int level
            = std::clamp(static_cast<int>(std::lround(m_volBar->position() * 0.01 * 255)), 0, 255);
        m_volume.setVolume(indexOf(channel()), level);
    }
    void setLabel1Color(SystemColor color)
    {
        QPalette palette = m_label1->palette();
        palette.setColor(QPalette::WindowText, QColor::fromRgb(colorToRgb(systemColorValue(color))));
        m_label1->setPalette(palette);
    }

    QProgressBar* posBar() const { return m_posBar.data(); }
    static int indexOf(const std::string& channel) { return channel == "cd" ? 0 : channel == "midi" ? 2 : 1; }

    TForm1& m_form;
    MusicControl m_control;
    std::unique_ptr<Mixer> m_ownMixer;
    TVolumeControl m_volume;
    QPointer<QTimer> m_timer3;
    QPointer<QProgressBar> m_posBar;
    QPointer<QLabel> m_label1;
    QPointer<TRegulator> m_volBar;
    // The watched controls by identity only: the filter sees their last
    // events while they are being destroyed, when no cast to their class
    // is valid any more.
    const QObject* m_posBarObject = nullptr;
    const QObject* m_label1Object = nullptr;
    bool m_posDragging = false;
    bool m_volDragging = false;
};

FormMusic& musicOf(TForm1& form, Mixer* mixer = nullptr)
{
    for (QObject* child : form.children()) {
        if (auto* existing = dynamic_cast<FormMusic*>(child))
            return *existing;
    }
    return *new FormMusic(form, mixer);
}

// VolBar: the regulator, 0..100.
VolumeBar makeRegulator(QWidget* parent)
{
    auto* regulator = new TRegulator(parent);
    return { regulator, [regulator](int percent) { regulator->setPosition(percent); } };
}

std::string hostPathOf(const std::string& path)
{
    const auto host = DriveTable::instance().toHost(path);
    return host ? *host : path;
}

} // namespace

void attachMusic(TForm1& form, Mixer* mixer)
{
    musicOf(form, mixer);
}

void registerMusicCommands()
{
    setVolumeBarFactory(makeRegulator);
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
