#include "setup/folder_form.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeView>

namespace ov::setup {

TForm2::TForm2(QWidget* parent)
    : QDialog(parent)
{
    setObjectName("Form2");
    setWindowTitle("Please select a folder");
    DriveComboBox1 = new QComboBox(this);
    DriveComboBox1->setObjectName("DriveComboBox1");
    DriveComboBox1->addItem("/");
    DriveComboBox1->addItem(QDir::homePath());
    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_model->setRootPath("/");
    DirectoryListBox1 = new QTreeView(this);
    DirectoryListBox1->setObjectName("DirectoryListBox1");
    DirectoryListBox1->setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column)
        DirectoryListBox1->hideColumn(column);
    DirectoryListBox1->header()->hide();
    DirectoryListBox1->setRootIndex(m_model->index("/"));
    // The Cyrillic capitals О (U+041E) and К (U+041A), as the picker has
    // always shown them.
    Button1 = new QPushButton(QString::fromUtf8("&\u041E\u041A"), this);
    Button1->setObjectName("Button1");
    Button1->setDefault(true);
    Button2 = new QPushButton("&Cancel", this);
    Button2->setObjectName("Button2");

    auto* layout = new QGridLayout(this);
    layout->addWidget(DriveComboBox1, 0, 0, 1, 2);
    layout->addWidget(DirectoryListBox1, 1, 0, 1, 2);
    layout->addWidget(Button1, 2, 0);
    layout->addWidget(Button2, 2, 1);
    resize(320, 360);

    connect(DriveComboBox1, &QComboBox::currentIndexChanged, this, [this] { DriveComboBox1Change(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

void TForm2::selectFolder(const std::string& folder)
{
    QString path = QString::fromStdString(folder);
    while (!path.isEmpty() && path != "/" && !QFileInfo(path).isDir())
        path = QFileInfo(path).path();
    if (path.isEmpty())
        path = "/";
    const QModelIndex index = m_model->index(path);
    DirectoryListBox1->setCurrentIndex(index);
    DirectoryListBox1->scrollTo(index);
}

void TForm2::DriveComboBox1Change()
{
    selectFolder(DriveComboBox1->currentText().toStdString());
}

void TForm2::Button1Click()
{
    const QModelIndex index = DirectoryListBox1->currentIndex();
    Folder = index.isValid() ? m_model->filePath(index).toStdString() : std::string("/");
    accept();
}

void TForm2::Button2Click()
{
    reject();
}

} // namespace ov::setup
