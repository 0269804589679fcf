// The dialer's component and window logic over the fake backend, whose
// events come from a thread of its own: round-robin redials, the countdown
// (driven tick by tick), captions, the log cap, closing and hanging up.
#include "tools/dial_fake_backend.h"
#include "tools/dial_logic.h"
#include "tools/dial_up.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace ov {
namespace {

void app()
{
    static int argc = 1;
    static char name[] = "test_dial";
    static char* argv[] = { name, nullptr };
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

// Runs the event loop until done() holds or five seconds pass.
bool waitFor(const std::function<bool()>& done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > 5000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

const DialEvent busy { DialState::ConnectDevice, DialError::LineBusy };

class Dialer : public testing::Test {
protected:
    void SetUp() override
    {
        app();
        backend.Entries = { "A", "B", "C" };
    }
    // The dials the backend saw, without the hang-ups.
    std::vector<std::string> dials() const
    {
        std::vector<std::string> out;
        for (const auto& call : backend.Calls)
            if (call != "hangup")
                out.push_back(call);
        return out;
    }
    void check(TDialerLogic& logic, std::initializer_list<int> rows)
    {
        for (const int row : rows)
            logic.Rows[static_cast<std::size_t>(row)].checked = true;
    }
    // Ticks the countdown until it dials (at most limit ticks); the number
    // of ticks it took.
    int tickUntilDial(TDialerLogic& logic, int limit = 100)
    {
        const std::size_t before = dials().size();
        for (int tick = 1; tick <= limit; ++tick) {
            logic.Tick();
            if (dials().size() != before)
                return tick;
        }
        return -1;
    }

    FakeDialBackend backend;
};

TEST_F(Dialer, BusyOnAGoesToCAfterThePauseThenBackToA)
{
    backend.Scripts["A"] = { { DialState::OpenPort, 0 }, { DialState::ConnectDevice, 0 }, busy };
    backend.Scripts["C"] = { { DialState::ConnectDevice, 0 }, busy };
    TDialUp dialer(backend);
    TDialerLogic logic(dialer);
    logic.Start();
    ASSERT_EQ(logic.Rows.size(), 3u);
    check(logic, { 0, 2 });
    logic.RedialTime = 3;

    logic.Call();
    EXPECT_TRUE(logic.TimerRunning);
    EXPECT_EQ(tickUntilDial(logic), 1);
    EXPECT_EQ(logic.Caption, "Dial to <A>");
    ASSERT_TRUE(waitFor([&] { return logic.Log.size() == 3; }));
    EXPECT_EQ(logic.Log,
        (std::vector<std::string> { "Opening port", "Connecting device <A>", "The line is busy." }));
    EXPECT_EQ(logic.Index, 2);
    EXPECT_EQ(logic.Redials, 1);
    EXPECT_TRUE(logic.TimerRunning);

    // The pause shows the seconds left, then dials C.
    std::vector<std::string> captions;
    for (int tick = 0; tick < 2; ++tick) {
        logic.Tick();
        captions.push_back(logic.Caption);
    }
    EXPECT_EQ(captions, (std::vector<std::string> { "Wait 2 secund for <C>", "Wait 1 secund for <C>" }));
    EXPECT_EQ(tickUntilDial(logic), 1);
    EXPECT_EQ(logic.Caption, "Dial to <C>");
    EXPECT_EQ(logic.Selected, 2);
    ASSERT_TRUE(waitFor([&] { return logic.Redials == 2; }));
    EXPECT_EQ(logic.Index, 0);
    EXPECT_EQ(tickUntilDial(logic), 3);
    EXPECT_EQ(dials(), (std::vector<std::string> { "dial A", "dial C", "dial A" }));
}

TEST_F(Dialer, ASingleCheckedEntryRedialsItself)
{
    backend.Scripts["B"] = { busy };
    TDialUp dialer(backend);
    TDialerLogic logic(dialer);
    logic.Start();
    check(logic, { 1 });
    logic.RedialTime = 1;
    logic.Call();
    EXPECT_EQ(tickUntilDial(logic), 1);
    ASSERT_TRUE(waitFor([&] { return logic.Redials == 1; }));
    EXPECT_EQ(tickUntilDial(logic), 1);
    EXPECT_EQ(dials(), (std::vector<std::string> { "dial B", "dial B" }));
}

TEST_F(Dialer, CallDoesNothingWhenScheduledOrWithNothingToDial)
{
    TDialUp dialer(backend);
    TDialerLogic logic(dialer);
    logic.Start();
    // Nothing checked, nothing selected.
    logic.Call();
    EXPECT_FALSE(logic.TimerRunning);
    EXPECT_TRUE(backend.Calls.empty());

    // Scheduled: a second Call neither searches again nor dials.
    check(logic, { 0, 1 });
    logic.Call();
    EXPECT_EQ(logic.Index, 0);
    logic.Call();
    EXPECT_EQ(logic.Index, 0);
    EXPECT_TRUE(backend.Calls.empty());

    // Nothing checked but a selected entry: dialed at once.
    logic.Rows[0].checked = logic.Rows[1].checked = false;
    logic.SearchDone = false;
    logic.Selected = 2;
    logic.Call();
    EXPECT_EQ(logic.Caption, "Dial to <C>");
    EXPECT_EQ(dials(), (std::vector<std::string> { "dial C" }));

    // An index beyond a re-read, shorter list starts again at 0.
    backend.Entries = { "A", "B" };
    logic.Start();
    logic.Index = 2;
    check(logic, { 0 });
    logic.Call();
    EXPECT_EQ(logic.Index, 0);
}

TEST_F(Dialer, EventsArriveInOrderAndTheLogIsCapped)
{
    std::vector<DialEvent> many;
    for (int i = 0; i < 300; ++i)
        many.push_back({ i % 22, 0 });
    backend.Scripts["A"] = many;
    TDialUp dialer(backend);
    TDialerLogic logic(dialer);
    logic.Start();
    logic.Selected = 0;
    logic.Call();
    ASSERT_TRUE(waitFor([&] { return logic.Log.size() == 300; }));
    for (int i = 0; i < 300; ++i) {
        const int state = i % 22;
        const std::string text = TDialUp::StateText(state) + (state == 2 ? " <A>" : "");
        ASSERT_EQ(logic.Log[static_cast<std::size_t>(i)], text) << i;
    }
    logic.Log.clear();
    for (int i = 0; i < TDialerLogic::MaxLogLines; ++i)
        logic.Progress(0, "Opening port", 0);
    EXPECT_EQ(logic.Log.size(), 10000u);
    logic.Progress(0, "Opening port", 0);
    EXPECT_TRUE(logic.Log.empty());
}

TEST_F(Dialer, ConnectedCaptionAndHangUp)
{
    backend.Scripts["B"] = { { DialState::Authenticated, 0 }, { DialState::Connected, 0 } };
    TDialUp dialer(backend);
    TDialerLogic logic(dialer);
    logic.Start();
    logic.Selected = 1;
    logic.Call();
    ASSERT_TRUE(waitFor([&] { return logic.Log.size() == 2; }));
    EXPECT_EQ(logic.Log[1], "The connection is established <B>");
    EXPECT_EQ(logic.Caption, "Connected <B>");
    logic.HangUp();
    EXPECT_EQ(logic.Caption, "Inet Dialer");
    EXPECT_EQ(backend.Calls.back(), "hangup");
}

TEST_F(Dialer, HangingUpOrClosingStopsTheRedial)
{
    backend.Scripts["A"] = { busy };
    TDialUp dialer(backend);
    TDialerLogic logic(dialer);
    logic.Start();
    check(logic, { 0 });
    logic.Call();
    tickUntilDial(logic);
    ASSERT_TRUE(waitFor([&] { return logic.TimerRunning; }));
    logic.HangUp();
    EXPECT_FALSE(logic.TimerRunning);
    EXPECT_EQ(tickUntilDial(logic, 30), -1);

    // Close-if-busy: the window closes and nothing is scheduled.
    logic.CloseOnBusy = true;
    int closes = 0;
    logic.OnClose = [&closes] { ++closes; };
    logic.Call();
    tickUntilDial(logic);
    ASSERT_TRUE(waitFor([&] { return closes == 1; }));
    EXPECT_FALSE(logic.TimerRunning);
    EXPECT_EQ(tickUntilDial(logic, 30), -1);
    logic.Call();
    EXPECT_EQ(tickUntilDial(logic, 30), -1);
    EXPECT_EQ(dials(), (std::vector<std::string> { "dial A", "dial A" }));
}

TEST_F(Dialer, WithoutTheServiceTheListIsEmptyAndCallDoesNothing)
{
    backend.Available = false;
    TDialUp dialer(backend);
    TDialerLogic logic(dialer);
    logic.Start();
    EXPECT_TRUE(logic.Rows.empty());
    EXPECT_EQ(logic.Log, (std::vector<std::string> { "NetworkManager is not running." }));
    logic.Call();
    logic.Tick();
    EXPECT_TRUE(backend.Calls.empty());
}

TEST_F(Dialer, EventsOfADialHungUpAreDropped)
{
    backend.Scripts["A"] = { { DialState::OpenPort, 0 }, { DialState::ConnectDevice, 0 } };
    TDialUp dialer(backend);
    std::vector<int> states;
    dialer.OnAsyncEvent
        = [&states](TDialUp&, int state, const std::string&, int) { states.push_back(state); };
    dialer.Entry = "A";
    ASSERT_EQ(dialer.Dial(), 0);
    // The fake's thread has queued its events by the time hangUp joins it.
    dialer.HangUp();
    QCoreApplication::processEvents();
    EXPECT_TRUE(states.empty());
    // A dial that cannot start reports its error.
    backend.DialResults["B"] = DialError::NoCredentials;
    std::vector<int> errors;
    dialer.OnError = [&errors](TDialUp&, int error, const std::string&) { errors.push_back(error); };
    dialer.Entry = "B";
    EXPECT_EQ(dialer.Dial(), DialError::NoCredentials);
    EXPECT_EQ(errors, (std::vector<int> { 691 }));
}

} // namespace
} // namespace ov
