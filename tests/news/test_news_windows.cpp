// The news and download windows, driven through their handlers under the
// offscreen platform, against real servers on loopback.
#include "news/http_get_form.h"
#include "news/http_thread.h"
#include "news/http_thread_form.h"
#include "platform/dialogs.h"
#include "platform/ini_file.h"

#include "tests/news/servers.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace ov {
namespace {

using namespace ov::test;

QApplication& application()
{
    static int argc = 1;
    static char name[] = "test_news_windows";
    static char* argv[] = { name, nullptr };
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Pumps events until done() or the time is up.
template <typename Predicate> bool waitFor(Predicate done, int ms = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

class NewsWindows : public ::testing::Test {
protected:
    void SetUp() override
    {
        application();
        ::setenv("ORVANTA_HOME", home.path().c_str(), 1);
        setPrompts(&prompts);
        ::mkdir((site.path() + "/ov").c_str(), 0755);
    }
    void TearDown() override { setPrompts(nullptr); }

    std::unique_ptr<ServerProcess> startSite(uint16_t port)
    {
        const std::string python = findProgram("python3");
        if (python.empty())
            return nullptr;
        auto server = std::make_unique<ServerProcess>(
            std::vector<std::string> { python, "-m", "http.server", "--bind", "127.0.0.1",
                std::to_string(port), "--directory", site.path() },
            port);
        return server->ready() ? std::move(server) : nullptr;
    }

    TempDir home;
    TempDir site;
    ScriptedPrompts prompts;
};

TEST_F(NewsWindows, ControlsCarryTheirNamesAndTexts)
{
    THttpThreadForm form;
    EXPECT_EQ(form.windowTitle(), "Orvanta's news");
    for (const char* name : { "Memo1", "GetInfoButton", "DownloadButton", "OptionsButton", "ExitButton",
             "StatusBar1", "OptionsPanel", "ProxyEdit", "OKButton" })
        EXPECT_NE(form.findChild<QWidget*>(name), nullptr) << name;
    EXPECT_EQ(form.GetInfoButton->text(), "&Get Info");
    EXPECT_TRUE(form.GetInfoButton->isDefault());
    EXPECT_EQ(form.OptionsTitle->text(), " Options");
    EXPECT_TRUE(form.Memo1->toPlainText().isEmpty());
    EXPECT_EQ(form.GetForm->windowTitle(), "Download Orvanta");
    EXPECT_TRUE(form.GetForm->URLEdit->text().endsWith("/ov/default.htm"));
    EXPECT_TRUE(form.GetForm->URLEdit->isHidden());

    form.resize(400, 300);
    form.OptionsButtonClick();
    EXPECT_TRUE(form.OptionsPanel->isVisible() || !form.isVisible());
    EXPECT_FALSE(form.OptionsPanel->isHidden());
    EXPECT_EQ(form.OptionsPanel->x(), (form.width() - form.OptionsPanel->width()) / 2);
    form.OKButtonClick();
    EXPECT_TRUE(form.OptionsPanel->isHidden());
}

TEST_F(NewsWindows, NewsArrivesLineByLine)
{
    OV_REQUIRE_PROGRAM(python, "python3");
    site.file("ov/news.txt", "First line\r\nSecond line");
    const uint16_t port = freePort();
    auto server = startSite(port);
    ASSERT_TRUE(server);
    THttpThreadForm form;
    form.ServerURL = "http://127.0.0.1:" + std::to_string(port);
    form.GetInfoButtonClick();
    EXPECT_EQ(form.StatusBar1->text(), "Connecting...");
    EXPECT_EQ(form.ThreadState[0], 2);
    ASSERT_TRUE(waitFor([&] { return form.ThreadState[0] == 1; }));
    EXPECT_EQ(form.Memo1->toPlainText(), "First line\nSecond line");
    EXPECT_EQ(form.StatusBar1->text(), "Ready");

    // The idle worker takes the next request.
    form.GetInfoButtonClick();
    ASSERT_TRUE(waitFor([&] { return form.ThreadState[0] == 1; }));
    EXPECT_EQ(form.Threads[1], nullptr);
    EXPECT_EQ(form.Memo1->toPlainText(), "First line\nSecond line");
}

TEST_F(NewsWindows, FailedNewsAddsNothing)
{
    THttpThreadForm form;
    form.ServerURL = "http://127.0.0.1:" + std::to_string(freePort());
    form.GetInfoButtonClick();
    ASSERT_TRUE(waitFor([&] { return form.ThreadState[0] == 1; }));
    EXPECT_TRUE(form.Memo1->toPlainText().isEmpty());
    EXPECT_EQ(form.StatusBar1->text(), "Connecting...");
}

TEST_F(NewsWindows, SeventhPressFindsNoThreadAndExitStillJoinsAll)
{
    HostileServer server({ { silence() } });
    THttpThreadForm form;
    form.ServerURL = "http://127.0.0.1:" + std::to_string(server.port());
    for (int press = 0; press < 7; ++press)
        form.GetInfoButtonClick();
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].text, "No more threads available");
    for (int state : form.ThreadState)
        EXPECT_EQ(state, 2);
    ASSERT_TRUE(waitFor([&] { return server.connections() >= 1; }));

    QElapsedTimer timer;
    timer.start();
    form.FormClose();
    EXPECT_LT(timer.elapsed(), 4000);
    for (THTTPThread* worker : form.Threads)
        EXPECT_EQ(worker, nullptr);
}

TEST_F(NewsWindows, ProxyTextLivesInTheIniFile)
{
    const std::string ini = home.path() + "/windows/ov_news.ini";
    std::filesystem::create_directories(home.path() + "/windows");
    std::ofstream(ini) << "[Data]\nProxy=10.0.0.1:8080\n";
    {
        THttpThreadForm form;
        EXPECT_EQ(form.IniPath, ini);
        form.FormShow();
        EXPECT_EQ(form.ProxyEdit->text(), "10.0.0.1:8080");
        form.ProxyEdit->setText("proxy.local:3128");
        form.FormClose();
    }
    EXPECT_EQ(IniFile(ini).readString("Data", "Proxy", ""), "proxy.local:3128");

    const std::tuple<const char*, const char*, const char*> rows[] = {
        { "10.0.0.1:8080", "10.0.0.1", "8080" },
        { "proxyhost", "proxyhost", "80" },
        { "", "", "80" },
        { "a:b:3128", "a:b", "3128" },
    };
    for (const auto& [text, host, port] : rows) {
        std::string gotHost, gotPort;
        THttpGetForm::splitProxy(text, gotHost, gotPort);
        EXPECT_EQ(gotHost, host) << text;
        EXPECT_EQ(gotPort, port) << text;
    }
}

TEST_F(NewsWindows, DownloadThroughTinyproxy)
{
    OV_REQUIRE_PROGRAM(tinyproxy, "tinyproxy");
    OV_REQUIRE_PROGRAM(python, "python3");
    std::string payload(300000, 'x');
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<char>('a' + i % 26);
    site.file("ov/default.htm", payload);
    const uint16_t origin = freePort();
    auto server = startSite(origin);
    ASSERT_TRUE(server);
    const uint16_t proxyPort = freePort();
    const std::string conf = home.file("tinyproxy.conf",
        "Port " + std::to_string(proxyPort) + "\nListen 127.0.0.1\nAllow 127.0.0.1\nLogLevel Critical\n");
    ServerProcess proxy({ tinyproxy, "-d", "-c", conf }, proxyPort);
    ASSERT_TRUE(proxy.ready());

    THttpThreadForm form;
    form.ProxyEdit->setText(QString::fromStdString("127.0.0.1:" + std::to_string(proxyPort)));
    THttpGetForm& get = *form.GetForm;
    get.URLEdit->setText(
        QString::fromStdString("http://127.0.0.1:" + std::to_string(origin) + "/ov/default.htm"));
    const std::string target = home.path() + "/ov.zip";
    get.FileEdit->setText(QString::fromStdString(target));
    get.GetButtonClick();
    EXPECT_EQ(get.StatusBar1->text(), "Received 300000 bytes");
    EXPECT_TRUE(readFile(target) == payload);
    EXPECT_EQ(get.HttpCli1.Proxy, "127.0.0.1");
    EXPECT_EQ(get.HttpCli1.ProxyPort, std::to_string(proxyPort));
    EXPECT_TRUE(get.GetButton->isEnabled());
    EXPECT_EQ(get.ProgressBar1->value(), 0);

    // A failed download reports the server's answer and keeps the old file.
    get.URLEdit->setText(
        QString::fromStdString("http://127.0.0.1:" + std::to_string(origin) + "/ov/none.zip"));
    get.GetButtonClick();
    EXPECT_EQ(get.StatusBar1->text(), "Failed : 404 File not found");
    EXPECT_TRUE(readFile(target) == payload);
    for (const auto& entry : std::filesystem::directory_iterator(home.path()))
        EXPECT_FALSE(entry.path().filename().string().starts_with(".ov-")) << entry.path();
}

TEST_F(NewsWindows, DownloadWithoutLengthCountsBytesOnly)
{
    HostileServer server(
        { { bytes("HTTP/1.0 200 OK\r\n\r\n"), delay(20), bytes(std::string(100000, 'b')) } });
    THttpThreadForm form;
    THttpGetForm& get = *form.GetForm;
    get.URLEdit->setText(
        QString::fromStdString("http://127.0.0.1:" + std::to_string(server.port()) + "/ov.zip"));
    const std::string target = home.path() + "/plain.zip";
    get.FileEdit->setText(QString::fromStdString(target));
    int highest = 0;
    QString counted;
    std::string headerDots;
    const auto showData = get.HttpCli1.OnDocData;
    get.HttpCli1.OnDocData = [&](THttpClient* sender, const char* data, int length) {
        if (headerDots.empty())
            headerDots = get.StatusBar1->text().toStdString();
        showData(sender, data, length);
        highest = std::max(highest, get.ProgressBar1->value());
        counted = get.StatusBar1->text();
    };
    get.GetButtonClick();
    EXPECT_EQ(headerDots, "Loading.");
    EXPECT_EQ(highest, 0);
    EXPECT_FALSE(counted.isEmpty());
    EXPECT_GT(counted.toLongLong(), 0);
    EXPECT_EQ(get.StatusBar1->text(), "Received 100000 bytes");
}

TEST_F(NewsWindows, TypingKeepsTheDownloadWindowEscClosesIt)
{
    THttpThreadForm form;
    THttpGetForm& get = *form.GetForm;
    get.show();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    QApplication::sendEvent(get.FileEdit, &press);
    EXPECT_TRUE(get.isVisible());
    EXPECT_TRUE(get.FileEdit->text().endsWith("/ov.zipa"));
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(get.FileEdit, &escape);
    EXPECT_FALSE(get.isVisible());
}

TEST_F(NewsWindows, CancelDuringTheDownloadAbortsAndKeepsTheOldFile)
{
    HostileServer server({ { bytes("HTTP/1.0 200 OK\r\nContent-Length: 1000000\r\n\r\npart"), silence() } });
    THttpThreadForm form;
    THttpGetForm& get = *form.GetForm;
    get.URLEdit->setText(
        QString::fromStdString("http://127.0.0.1:" + std::to_string(server.port()) + "/ov.zip"));
    const std::string target = home.file("old.zip", "old contents");
    get.FileEdit->setText(QString::fromStdString(target));
    get.show();
    const auto showData = get.HttpCli1.OnDocData;
    get.HttpCli1.OnDocData = [&](THttpClient* sender, const char* data, int length) {
        showData(sender, data, length);
        QMetaObject::invokeMethod(
            get.CancelButton, [&] { get.CancelButtonClick(); }, Qt::QueuedConnection);
    };
    get.GetButtonClick();
    EXPECT_EQ(get.StatusBar1->text(), "Failed : 404 Connection aborted on request");
    EXPECT_FALSE(get.isVisible());
    EXPECT_EQ(readFile(target), "old contents");
}

// The offered target follows the user's download folder: the folder named
// in user-dirs.dirs, else the home folder when that is unset or missing.
TEST_F(NewsWindows, DownloadTargetIsTheUsersDownloadFolder)
{
    const std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    const char* oldConfig = std::getenv("XDG_CONFIG_HOME");
    const std::string oldConfigText = oldConfig ? oldConfig : "";
    TempDir user;
    ::setenv("HOME", user.path().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (user.path() + "/config").c_str(), 1);
    std::filesystem::create_directories(user.path() + "/config");
    std::filesystem::create_directories(user.path() + "/Fetched");
    const struct {
        const char* name;
        std::string dirs;
        std::string expected;
    } rows[] = {
        { "folder of user-dirs.dirs", "XDG_DOWNLOAD_DIR=\"$HOME/Fetched\"\n",
            user.path() + "/Fetched/ov.zip" },
        { "missing folder", "XDG_DOWNLOAD_DIR=\"$HOME/Gone\"\n", user.path() + "/ov.zip" },
        { "no entry", "XDG_MUSIC_DIR=\"$HOME/Music\"\n", user.path() + "/ov.zip" },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        user.file("config/user-dirs.dirs", row.dirs);
        THttpGetForm get;
        EXPECT_EQ(get.FileEdit->text().toStdString(), row.expected);
    }
    ::setenv("HOME", oldHome.c_str(), 1);
    if (oldConfig)
        ::setenv("XDG_CONFIG_HOME", oldConfigText.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}

TEST_F(NewsWindows, EveryDownloadStartsItsProgressAtZero)
{
    // The first download fails half way; the second must not show its 50 %.
    HostileServer server({ { bytes("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\n" + std::string(50, 'h')),
                               delay(50), resetConnection() },
        { bytes("HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n"), delay(100), bytes("0123456789") } });
    THttpThreadForm form;
    THttpGetForm& get = *form.GetForm;
    get.URLEdit->setText(
        QString::fromStdString("http://127.0.0.1:" + std::to_string(server.port()) + "/ov.zip"));
    get.FileEdit->setText(QString::fromStdString(home.path() + "/progress.zip"));
    get.GetButtonClick();
    EXPECT_TRUE(get.StatusBar1->text().startsWith("Failed : ")) << get.StatusBar1->text().toStdString();
    EXPECT_GT(get.ProgressBar1->value(), 0);

    std::vector<int> shownBeforeData;
    const auto showDot = get.HttpCli1.OnHeaderData;
    get.HttpCli1.OnHeaderData = [&](THttpClient* sender) {
        shownBeforeData.push_back(get.ProgressBar1->value());
        showDot(sender);
    };
    get.GetButtonClick();
    EXPECT_EQ(get.StatusBar1->text(), "Received 10 bytes");
    EXPECT_EQ(shownBeforeData, std::vector<int>({ 0, 0 }));
}

// A large news text reaches the text area in slices: the user-interface
// thread never stops answering for long while it arrives.
TEST_F(NewsWindows, LargeNewsDoesNotFreezeTheWindow)
{
    const int lines = 1000000;
    std::string text;
    text.reserve(static_cast<size_t>(lines) * 4);
    for (int i = 0; i < lines; ++i)
        text += i % 2 ? "ab\r\n" : "c\r";
    HostileServer server({ { bytes(
        "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(text.size()) + "\r\n\r\n" + text) } });
    THttpThreadForm form;
    form.ServerURL = "http://127.0.0.1:" + std::to_string(server.port());
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer ticker;
    QObject::connect(
        &ticker, &QTimer::timeout, &form, [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
    form.GetInfoButtonClick();
    sinceTick.start();
    ticker.start(5);
    ASSERT_TRUE(waitFor([&] { return form.ThreadState[0] == 1 && !form.NewsPending(); }, 120000));
    ticker.stop();
    // The text is shown by the time the worker's slot is free again: the
    // time since the last tick counts as well.
    longestGap = std::max(longestGap, sinceTick.elapsed());
    EXPECT_EQ(form.Memo1->blockCount(), lines);
    EXPECT_EQ(form.Memo1->document()->findBlockByNumber(0).text(), "c");
    EXPECT_EQ(form.Memo1->document()->findBlockByNumber(1).text(), "ab");
    EXPECT_EQ(form.Memo1->document()->lastBlock().text(), "ab");
    EXPECT_LT(longestGap, 1000); // one call: 9 s here; line by line: 145 s
    std::printf("longest pause of the user-interface thread: %lld ms\n", static_cast<long long>(longestGap));
}

// Texts around the slice size show the same lines as one call would,
// empty lines included.
TEST_F(NewsWindows, NewsInSlicesKeepsEveryLine)
{
    const int size = THttpThreadForm::kLinesPerTurn;
    const int slice = THttpThreadForm::kLinesPerSlice;
    for (const int lines :
        { size - 1, size, size + 1, 2 * size, 2 * size + 1, size + slice, size + slice + 1 }) {
        SCOPED_TRACE(lines);
        std::string body;
        QStringList expected;
        for (int i = 0; i < lines; ++i) {
            const std::string line = i % 3 == 1 ? "" : "line " + std::to_string(i);
            body += line + (i % 2 ? "\r\n" : "\r");
            expected << QString::fromStdString(line);
        }
        HostileServer server({ { bytes("HTTP/1.0 200 OK\r\n\r\n" + body), closeConnection() } });
        THttpThreadForm form;
        form.ServerURL = "http://127.0.0.1:" + std::to_string(server.port());
        form.GetInfoButtonClick();
        ASSERT_TRUE(waitFor([&] { return form.ThreadState[0] == 1 && !form.NewsPending(); }));
        EXPECT_TRUE(form.Memo1->toPlainText() == expected.join('\n'));
        EXPECT_EQ(form.Memo1->blockCount(), lines);
    }
}

// Closing the news window while a server trickles its answer ends the
// workers at once, without waiting for the server or a timeout.
TEST_F(NewsWindows, ClosingEndsWorkersAtOnce)
{
    HostileServer server(
        { { bytes("HTTP/1.0 200 OK\r\n"), trickle("X-Slow: " + std::string(200, 's'), 100) } });
    THttpThreadForm form;
    form.ServerURL = "http://127.0.0.1:" + std::to_string(server.port());
    form.show();
    form.GetInfoButtonClick();
    form.GetInfoButtonClick();
    ASSERT_TRUE(waitFor([&] { return server.connections() >= 1; }));
    QElapsedTimer settle;
    settle.start();
    waitFor([&] { return settle.elapsed() > 300; });
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(form.close());
    EXPECT_LT(timer.elapsed(), 1000);
    for (THTTPThread* worker : form.Threads)
        EXPECT_EQ(worker, nullptr);
}

} // namespace
} // namespace ov
