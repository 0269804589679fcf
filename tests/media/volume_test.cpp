// TVolumeControl over the fake mixer, and the regulator's arithmetic and
// mouse handling.
#include "media/regulator.h"
#include "media/volume_control.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

using namespace ov;

namespace {

struct Bar final : VolumeTrackBar {
    bool isVertical = false;
    int minimum = -1, maximum = -1, value = 0;
    void setRange(int lo, int hi) override
    {
        minimum = lo;
        maximum = hi;
    }
    void setPosition(int p) override
    {
        value = p;
        if (OnChange)
            OnChange(); // a real slider reports programmatic moves too
    }
    int position() const override { return value; }
    bool vertical() const override { return isVertical; }
    void userMoves(int p)
    {
        value = p;
        OnChange();
    }
};

} // namespace

TEST(VolumeControl, ReadAndWriteTable)
{
    struct Case {
        const char* name;
        uint32_t packed;
        int level;
    };
    const Case reads[] = {
        { "left full, right silent", 0x0000FFFF, 127 },
        { "both full", 0xFFFFFFFF, 255 },
        { "both 0xFF00", 0xFF00FF00, 255 },
        { "silent", 0, 0 },
        { "both half", 0x80008000, 128 },
    };
    FakeMixer mixer;
    TVolumeControl control(mixer);
    for (const Case& c : reads) {
        mixer.store(MixerClass::Wave, c.packed);
        EXPECT_EQ(control.WaveVolume(), c.level) << c.name;
    }
    control.setWaveVolume(255);
    EXPECT_EQ(mixer.stored(MixerClass::Wave), 0xFF00FF00u);
    // Every level written reads back as itself.
    for (int level = 0; level <= 255; ++level) {
        control.setMidiVolume(level);
        EXPECT_EQ(control.MidiVolume(), level);
    }
    control.setCDVolume(1);
    EXPECT_EQ(mixer.stored(MixerClass::Cd), 0x01000100u);
}

TEST(VolumeControl, ClassWithoutDeviceReadsZeroAndIgnoresWrites)
{
    FakeMixer mixer(true, false, true);
    TVolumeControl control(mixer);
    EXPECT_EQ(control.device(1), -1);
    EXPECT_EQ(control.device(0), 0);
    control.setWaveVolume(200);
    EXPECT_EQ(control.WaveVolume(), 0);
    EXPECT_EQ(mixer.writes(), 0);
    EXPECT_TRUE(control.timerActive());
    FakeMixer none(false, false, false);
    EXPECT_FALSE(TVolumeControl(none).timerActive());
}

TEST(VolumeControl, RefreshNeverWritesAndKeepsTheBalance)
{
    FakeMixer mixer;
    mixer.store(MixerClass::Wave, 0x2000E000); // left 0xE000, right 0x2000
    TVolumeControl control(mixer);
    Bar horizontal;
    Bar vertical;
    vertical.isVertical = true;
    control.attach(1, &horizontal);
    control.attach(2, &vertical);
    control.Refresh();
    EXPECT_EQ(mixer.writes(), 0);
    EXPECT_EQ(mixer.stored(MixerClass::Wave), 0x2000E000u);
    EXPECT_EQ(horizontal.maximum, 255);
    EXPECT_EQ(horizontal.value, 128);
    EXPECT_EQ(vertical.value, 255); // MIDI silent: a vertical bar inverts
    // The user's move writes, vertical bars inverted.
    horizontal.userMoves(100);
    EXPECT_EQ(mixer.stored(MixerClass::Wave), 0x64006400u);
    vertical.userMoves(55);
    EXPECT_EQ(control.MidiVolume(), 200);
    control.detach(&vertical);
    control.Refresh();
    EXPECT_EQ(vertical.value, 55);
}

TEST(Regulator, Geometry)
{
    struct Case {
        int x, width, height, position;
    };
    const Case cases[] = {
        { 0, 150, 20, 0 },
        { 149, 150, 20, 96 }, // the far right by a press
        { 157, 150, 20, 100 }, // dragged past the edge
        { 80, 150, 20, 50 },
        { -30, 150, 20, 0 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(RegulatorGeometry::positionAt(c.x, c.width, c.height), c.position) << c.x;
    EXPECT_EQ(RegulatorGeometry::thumbWidth(20), 9);
    EXPECT_EQ(RegulatorGeometry::thumbLeft(100, 150, 20), 141);
    EXPECT_EQ(RegulatorGeometry::thumbLeft(50, 150, 20), 75);
}

TEST(Regulator, MouseDragsAndReportsEveryButton)
{
    int argc = 1;
    char name[] = "test";
    char* argv[] = { name, nullptr };
    QApplication app(argc, argv);
    TRegulator regulator;
    regulator.resize(150, 20);
    int downs = 0;
    regulator.OnMouseDown = [&](TRegulator&, Qt::MouseButton, int) { ++downs; };
    QTest::mousePress(&regulator, Qt::RightButton, {}, QPoint(100, 10));
    EXPECT_EQ(regulator.position(), 0); // only the left button moves it
    EXPECT_EQ(downs, 1);
    QTest::mousePress(&regulator, Qt::LeftButton, {}, QPoint(149, 10));
    EXPECT_EQ(regulator.position(), 96);
    EXPECT_TRUE(regulator.dragging());
    QMouseEvent move(
        QEvent::MouseMove, QPointF(160, 10), QPointF(160, 10), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&regulator, &move);
    EXPECT_EQ(regulator.position(), 100);
    QTest::mouseRelease(&regulator, Qt::LeftButton, {}, QPoint(160, 10));
    EXPECT_FALSE(regulator.dragging());
    EXPECT_EQ(downs, 2);
}
