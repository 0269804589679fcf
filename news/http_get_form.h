// THttpGetForm: the download window. "Get" fetches the download address into
// the file named in the edit field, on the user-interface thread; the file
// is replaced only when the download succeeds. The field first offers ov.zip
// in the user's download folder. The proxy comes from the news window's
// proxy text ("user:password@host:port" gives the proxy its credentials).
#pragma once

#include "news/http_client.h"

#include <QDialog>
#include <QElapsedTimer>

#include <functional>
#include <string>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace ov {

class THttpGetForm : public QDialog {
public:
    explicit THttpGetForm(QWidget* parent = nullptr);

    QLabel* Label1;
    QLineEdit* FileEdit;
    QLineEdit* URLEdit; // hidden: the download address
    QPushButton* GetButton;
    QPushButton* CancelButton;
    QProgressBar* ProgressBar1;
    QLabel* StatusBar1;
    THttpClient HttpCli1;

    // The proxy text of the news window ("host:port").
    std::function<std::string()> ProxyText;

    void GetButtonClick();
    void CancelButtonClick();

    // Proxy host and port from a "host:port" text, split at the last ":";
    // without a port the proxy is on port 80.
    static void splitProxy(const std::string& text, std::string& host, std::string& port);

protected:
    void reject() override;

private:
    void showProgress(bool force);

    QElapsedTimer m_sinceRepaint;
    bool m_running = false;
};

} // namespace ov
