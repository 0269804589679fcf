// TFormFileColor: the file-highlighting window. The 39 extensions with their
// dots, a sample of the colour of the one under the mouse or the keyboard
// selection, "Select..." (the colour dialog; a choice changes the table at
// once, a cancelled one keeps the colour) and OK, which repaints both panels.
// There is no cancel.
#pragma once

#include <QDialog>

#include <string>

class QFrame;
class QListWidget;
class QPushButton;

namespace ov {

class ExtensionColors;
class TFileOpsHost;

class TFormFileColor : public QDialog {
public:
    TFormFileColor(TFileOpsHost& host, ExtensionColors& table, QWidget* parent = nullptr);

    void FormShow();
    void Button_ChooseClick();
    void Button_OKClick();

    static void Execute(TFileOpsHost& host);

    QListWidget* List() const { return m_list; }
    QFrame* Sample() const { return m_sample; }
    // The colour the sample shows (0x00BBGGRR).
    int32_t SampleColor() const { return m_sampleColor; }

private:
    void showSample(int row);
    std::string text(const char* key) const;

    TFileOpsHost& m_host;
    ExtensionColors& m_table;
    QListWidget* m_list = nullptr;
    QFrame* m_sample = nullptr;
    int32_t m_sampleColor = 0;
    QPushButton* m_choose = nullptr;
    QPushButton* m_ok = nullptr;
};

} // namespace ov
