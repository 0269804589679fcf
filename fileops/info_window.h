// The "About system" window: the machine's figures as label/value rows
// (fileops/drive_info_rows.h), refreshed each time it is shown.
#pragma once

#include "fileops/file_ops_host.h"

#include <QDialog>

#include <string>
#include <utility>
#include <vector>

class QGridLayout;

namespace ov {

class TFormInfo : public QDialog {
public:
    explicit TFormInfo(TFileOpsHost& host, QWidget* parent = nullptr);
    static void Execute(TFileOpsHost& host);

    // Reads the facts and fills the rows.
    void FormShow();
    const std::vector<std::pair<std::string, std::string>>& Rows() const { return m_rows; }
    // The screen's "1024x768x16777216"; "" without a screen.
    static std::string VideoMode();

private:
    TFileOpsHost& m_host;
    QGridLayout* m_grid = nullptr;
    std::vector<std::pair<std::string, std::string>> m_rows;
};

} // namespace ov
