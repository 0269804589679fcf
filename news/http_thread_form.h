// THttpThreadForm: the news window, the main window of ov_news.
//
// "Get Info" hands the news request to one of six worker threads (created on
// demand, suspended between requests); their reports and results come back
// as synchronised calls. A news text goes into the text area in one call,
// or, when it is long, in slices between turns of the event loop, so the
// window keeps answering. The proxy text lives in ov_news.ini in the Windows
// folder, section Data, key Proxy. Closing the window aborts running
// requests and joins every worker within a bounded wait.
#pragma once

#include <QString>
#include <QWidget>

#include <array>
#include <string>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QFrame;
class QTimer;

namespace ov {

class THTTPThread;
class THttpGetForm;

class THttpThreadForm : public QWidget {
public:
    explicit THttpThreadForm(QWidget* parent = nullptr);
    ~THttpThreadForm() override;

    static constexpr int kSlots = 6;

    // The web server (a build setting); tests point it at a local server.
    std::string ServerURL;
    std::string IniPath;

    QLabel* Image1;
    QLabel* Label1;
    QPlainTextEdit* Memo1;
    QPushButton* GetInfoButton;
    QPushButton* DownloadButton;
    QPushButton* OptionsButton;
    QPushButton* ExitButton;
    QLabel* StatusBar1;
    QFrame* OptionsPanel;
    QLabel* OptionsTitle;
    QLabel* ProxyLabel;
    QLineEdit* ProxyEdit;
    QPushButton* OKButton;

    THttpGetForm* GetForm = nullptr;

    std::array<THTTPThread*, kSlots> Threads {};
    std::array<int, kSlots> ThreadState {}; // 0 none, 1 idle, 2 busy

    void FormShow();
    void FormClose();
    void GetInfoButtonClick();
    void DownloadButtonClick();
    void OptionsButtonClick();
    void OKButtonClick();

    // Aborts running requests and joins every worker within timeoutMs.
    void StopWorkers(int timeoutMs = 5000);
    // True while a long news text is still going into the text area.
    bool NewsPending() const;

    // Lines a news text may have to go into the text area in one call. A
    // longer text goes in by slices of kLinesPerSlice lines, for about kTurnMs
    // per turn of the event loop, so that the window keeps answering.
    static constexpr int kLinesPerTurn = 2048;
    static constexpr int kLinesPerSlice = 256;
    static constexpr int kTurnMs = 20;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void workerReport(const std::string& report);
    void workerDone(THTTPThread* worker, bool success, const QByteArray& body);
    void feedNews();
    void clearNews();

    QTimer* m_newsFeeder = nullptr;
    QString m_news; // lines still to show, "\n" between them
    qsizetype m_newsPosition = 0; // the next line's start in m_news
    bool m_shown = false;
    bool m_closed = false;
    QPoint m_dragStart;
};

} // namespace ov
