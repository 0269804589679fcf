// The clipboard viewer against a real X11 clipboard: Xvfb as the display,
// xclip as the owner of text, HTML, a PNG and a file list. Skipped when no
// virtual display can be started.
#include "viewers/clipboard_viewer.h"
#include "viewers/palette_grid.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>

namespace ov {
namespace {

class X11Clipboard : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable("Xvfb").isEmpty()
            || QStandardPaths::findExecutable("xclip").isEmpty())
            GTEST_SKIP() << "Xvfb or xclip is not installed (scripts/deps)";
        if (QApplication::instance())
            GTEST_SKIP() << "a Qt application already runs on another platform";
        // A display number of our own, free of other runs.
        for (int number = 90 + static_cast<int>(QCoreApplication::applicationPid() % 50); number < 200;
             ++number) {
            if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number))
                || QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)))
                continue;
            m_display = QStringLiteral(":%1").arg(number);
            break;
        }
        m_server.start("Xvfb", { m_display, "-nolisten", "tcp", "-screen", "0", "640x480x24" });
        const QString socket = "/tmp/.X11-unix/X" + m_display.mid(1);
        QDeadlineTimer deadline(5000);
        while (!QFile::exists(socket) && !deadline.hasExpired() && m_server.state() != QProcess::NotRunning)
            QThread::msleep(20);
        if (!QFile::exists(socket))
            GTEST_SKIP() << "Xvfb did not start on " << m_display.toStdString();
        qputenv("DISPLAY", m_display.toUtf8());
        qputenv("QT_QPA_PLATFORM", "xcb");
        static int argc = 1;
        static char name[] = "test_clipboard_x11";
        static char* argv[] = { name, nullptr };
        new QApplication(argc, argv);
    }

    void TearDown() override
    {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.terminate();
            m_server.waitForFinished(3000);
        }
    }

    // xclip takes the clipboard with data of one type and stays as its owner.
    void own(const char* type, const QByteArray& data)
    {
        QProcess xclip;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", m_display);
        xclip.setProcessEnvironment(environment);
        xclip.start("xclip", { "-selection", "clipboard", "-t", type, "-i" });
        ASSERT_TRUE(xclip.waitForStarted(3000));
        xclip.write(data);
        xclip.closeWriteChannel();
        // xclip forks its owner into the background and returns.
        ASSERT_TRUE(xclip.waitForFinished(5000));
    }

    // Runs the event loop until check holds, at most 5 s; the viewer only
    // learns of changes through the clipboard's notification.
    bool waitFor(const std::function<bool()>& check)
    {
        QDeadlineTimer deadline(5000);
        while (!check()) {
            if (deadline.hasExpired())
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        return true;
    }

    QString m_display;
    QProcess m_server;
};

QString memoText(const TClipboardViewer& viewer)
{
    const auto* memo = qobject_cast<const QPlainTextEdit*>(viewer.View());
    return memo ? memo->toPlainText() : QString();
}

TEST_F(X11Clipboard, ViewerFollowsAnOutsideOwner)
{
    TClipboardViewer viewer;
    viewer.resize(300, 200);
    viewer.show();

    own("UTF8_STRING", QByteArray("owned by xclip"));
    EXPECT_TRUE(waitFor([&] { return memoText(viewer) == "owned by xclip"; }))
        << memoText(viewer).toStdString();

    own("text/html", QByteArray("<p>bold <b>words</b></p>"));
    EXPECT_TRUE(waitFor([&] { return memoText(viewer) == "bold words"; })) << memoText(viewer).toStdString();

    own("text/uri-list", QByteArray("file:///tmp/one%20file\r\nfile:///tmp/two\r\n"));
    EXPECT_TRUE(waitFor([&] { return memoText(viewer) == "/tmp/one file\n/tmp/two"; }))
        << memoText(viewer).toStdString();

    QImage image(9, 4, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray png;
    {
        QTemporaryDir dir;
        const QString path = dir.path() + "/p.png";
        ASSERT_TRUE(image.save(path, "PNG"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        png = file.readAll();
    }
    own("image/png", png);
    EXPECT_TRUE(waitFor([&] {
        const auto* label = qobject_cast<const QLabel*>(viewer.View());
        return label && label->pixmap().size() == QSize(9, 4);
    }));
    EXPECT_EQ(viewer.ShownFormat(), TClipboardViewFormat::cvBitmap);
}

} // namespace
} // namespace ov
