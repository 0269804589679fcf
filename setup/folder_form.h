// TForm2: the installer's folder picker. A list of places to start from
// (the drive list: the root, the home folder and the preset's parent) and
// the folder tree, starting at the root; "&ОК" (written with the Cyrillic
// letters О and К) puts the picked folder into Folder and accepts,
// "&Cancel" closes.
#pragma once

#include <QDialog>

#include <string>

class QComboBox;
class QFileSystemModel;
class QPushButton;
class QTreeView;

namespace ov::setup {

class TForm2 : public QDialog {
public:
    explicit TForm2(QWidget* parent = nullptr);

    QComboBox* DriveComboBox1;
    QTreeView* DirectoryListBox1;
    QPushButton* Button1; // "&ОК"
    QPushButton* Button2; // "&Cancel"

    // The folder picked (host path); set by Button1Click.
    std::string Folder;

    // Shows `folder` selected in the tree (its nearest existing parent).
    void selectFolder(const std::string& folder);
    void DriveComboBox1Change();
    void Button1Click();
    void Button2Click();

private:
    QFileSystemModel* m_model;
};

} // namespace ov::setup
