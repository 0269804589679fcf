// The dialer's NetworkManager backend, unchanged, over a real bus: a private
// dbus-daemon with a fake NetworkManager on it. Also the mapping of device
// states and reasons without a bus.
#include "tests/tools/fake_network_manager.h"
#include "tools/dial_logic.h"
#include "tools/dial_nm_backend.h"
#include "tools/dial_up.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>

namespace ov {
namespace {

void app()
{
    static int argc = 1;
    static char name[] = "test_dial_nm";
    static char* argv[] = { name, nullptr };
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

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

TEST(DialMapping, DeviceStatesAndReasons)
{
    const std::pair<unsigned, int> states[] = { { 40, 0 }, { 50, 2 }, { 60, 5 }, { 70, 14 }, { 100, 8192 },
        { 10, -1 }, { 20, -1 }, { 80, -1 }, { 110, -1 } };
    for (const auto& [device, dial] : states)
        EXPECT_EQ(dialStateForDevice(device, false), dial) << device;
    EXPECT_EQ(dialStateForDevice(30, false), -1);
    EXPECT_EQ(dialStateForDevice(30, true), 8193);
    const std::pair<unsigned, int> reasons[] = { { 23, 676 }, { 24, 680 }, { 26, 678 }, { 25, 629 },
        { 13, 629 }, { 7, 691 }, { 27, 651 }, { 1, 651 } };
    for (const auto& [reason, error] : reasons)
        EXPECT_EQ(dialErrorForReason(reason), error) << reason;
}

class DialOverBus : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        app();
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            return;
        bus = new test::PrivateBus;
    }
    static void TearDownTestSuite()
    {
        delete bus;
        bus = nullptr;
    }
    void SetUp() override
    {
        if (!bus || bus->address.isEmpty())
            GTEST_SKIP() << "dbus-daemon is not installed or did not start";
    }
    static test::PrivateBus* bus;
};
test::PrivateBus* DialOverBus::bus = nullptr;

// Runs first in this suite: nothing owns NetworkManager's name yet.
TEST_F(DialOverBus, AWithoutNetworkManagerTheListIsEmptyAndTheLogSaysSo)
{
    NetworkManagerBackend backend;
    EXPECT_FALSE(backend.available());
    TDialUp dialer(backend);
    TDialerLogic logic(dialer);
    logic.Start();
    EXPECT_TRUE(logic.Rows.empty());
    EXPECT_EQ(logic.Log, (std::vector<std::string> { "NetworkManager is not running." }));
    dialer.Entry = "anything";
    EXPECT_EQ(dialer.Dial(), DialError::NoService);
}

TEST_F(DialOverBus, EntriesAreTheDialUpConnectionsInOrder)
{
    test::FakeNetworkManager nm(bus->address,
        { { "Home modem", "gsm", {} }, { "Wired", "802-3-ethernet", {} }, { "DSL", "pppoe", {} },
            { "Phone", "bluetooth", {} }, { "Wifi", "802-11-wireless", {} }, { "Mobile", "cdma", {} },
            { "ADSL line", "adsl", {} } });
    NetworkManagerBackend backend;
    EXPECT_TRUE(backend.available());
    EXPECT_EQ(backend.entries(),
        (std::vector<std::string> { "Home modem", "DSL", "Phone", "Mobile", "ADSL line" }));
}

TEST_F(DialOverBus, ADialReportsItsProgressAndHangsUp)
{
    test::FakeNetworkManager nm(bus->address,
        { { "Home modem", "gsm", { { 40, 0 }, { 50, 0 }, { 60, 0 }, { 70, 0 }, { 100, 0 }, { 30, 13 } } } });
    NetworkManagerBackend backend;
    TDialUp dialer(backend);
    TDialerLogic logic(dialer);
    logic.Start();
    ASSERT_EQ(logic.Rows.size(), 1u);
    logic.Selected = 0;
    logic.Call();
    ASSERT_TRUE(waitFor([&] { return logic.Log.size() == 6; })) << logic.Log.size();
    EXPECT_EQ(logic.Log,
        (std::vector<std::string> { "Opening port", "Connecting device <Home modem>", "Start authenticating",
            "Authenticated", "The connection is established <Home modem>",
            TDialUp::DefaultErrorText(DialError::PortDisconnected) }));
    logic.HangUp();
    EXPECT_EQ(nm.calls(), (std::vector<std::string> { "activate Home modem", "deactivate" }));
    // Secrets stay with NetworkManager: the dialer never asks for them.
    const std::vector<std::string> members = nm.members();
    EXPECT_EQ(std::count(members.begin(), members.end(), "GetSecrets"), 0);
    EXPECT_EQ(std::set<std::string>(members.begin(), members.end()),
        (std::set<std::string> {
            "ListConnections", "GetSettings", "ActivateConnection", "Get", "DeactivateConnection" }));
}

TEST_F(DialOverBus, FailuresBecomeTheDialerErrors)
{
    test::FakeNetworkManager nm(bus->address,
        { { "Busy", "gsm", { { 40, 0 }, { 50, 0 }, { 120, 23 } } },
            { "Locked", "pppoe", { { 40, 0 }, { 120, 7 } } } });
    NetworkManagerBackend backend;
    TDialUp dialer(backend);
    std::vector<std::pair<int, int>> events;
    dialer.OnAsyncEvent = [&events](TDialUp&, int state, const std::string&, int error) {
        events.emplace_back(state, error);
    };
    dialer.GetEntries();
    dialer.Entry = "Busy";
    ASSERT_EQ(dialer.Dial(), 0);
    ASSERT_TRUE(waitFor([&] { return events.size() == 3; }));
    EXPECT_EQ(events, (std::vector<std::pair<int, int>> { { 0, 0 }, { 2, 0 }, { 2, 676 } }));
    events.clear();
    dialer.Entry = "Locked";
    ASSERT_EQ(dialer.Dial(), 0);
    ASSERT_TRUE(waitFor([&] { return events.size() == 2; }));
    EXPECT_EQ(events, (std::vector<std::pair<int, int>> { { 0, 0 }, { 0, 691 } }));
    dialer.Entry = "Missing";
    EXPECT_EQ(dialer.Dial(), DialError::DeviceError);
}

const std::string tool = OV_BINARY_DIR "/cli/ovtool";

std::string run(const std::string& arguments, int& status)
{
    std::string output;
    FILE* pipe = ::popen((tool + " " + arguments + " 2>&1").c_str(), "r");
    if (!pipe)
        return output;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, got);
    status = ::pclose(pipe);
    status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return output;
}

TEST_F(DialOverBus, OvtoolListsDialsAndHangsUp)
{
    if (!std::filesystem::exists(tool))
        GTEST_SKIP() << "ovtool is not built";
    test::FakeNetworkManager nm(bus->address,
        { { "Home modem", "gsm", { { 40, 0 }, { 50, 0 }, { 70, 0 }, { 100, 0 } } },
            { "Wired", "802-3-ethernet", {} }, { "Busy", "pppoe", { { 40, 0 }, { 120, 23 } } } });
    int status = -1;
    EXPECT_EQ(run("dial --list", status), "Home modem\nBusy\n");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(run("dial 'Home modem'", status),
        "Opening port\nConnecting device <Home modem>\nAuthenticated\nThe connection is established <Home "
        "modem>\n");
    EXPECT_EQ(status, 0);
    // The connection stays up after the tool ends.
    EXPECT_EQ(nm.calls(), (std::vector<std::string> { "activate Home modem" }));
    EXPECT_EQ(run("dial --hangup 'Home modem'", status), "Inet Dialer\n");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(nm.calls(), (std::vector<std::string> { "activate Home modem", "deactivate" }));

    EXPECT_EQ(run("dial Busy", status), "Opening port\nThe line is busy.\n");
    EXPECT_EQ(status, 1);
    run("dial Wired", status);
    EXPECT_EQ(status, 1);
}

} // namespace
} // namespace ov
