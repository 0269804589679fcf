// ov_news: shows the product's news and downloads the product from its web
// server. The news window is the main window; the download window is made
// with it and reused.
#include "news/http_thread_form.h"
#include "platform/qt_prompts.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName("Orvanta's news");
    ov::QtPrompts prompts;
    ov::setPrompts(&prompts);
    ov::THttpThreadForm form;
    prompts.setParent(&form);
    form.show();
    const int status = application.exec();
    form.StopWorkers();
    ov::setPrompts(nullptr);
    return status;
}
