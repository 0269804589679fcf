// The help viewer; see help_window.h.
#include "tools/help_window.h"

#include "tools/rtf_reader.h"
#include "tools/rtf_text_document.h"

#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <map>

namespace ov {

namespace {

constexpr int TitleHeight = 26;
constexpr int StatusHeight = 20;
// A help page larger than this is not a help page; it is not read.
constexpr qint64 MaxPageSize = 16 * 1024 * 1024;
constexpr int FileRole = Qt::UserRole;

} // namespace

TFormHlp::TFormHlp(const std::string& helpFolder, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_helpFolder(helpFolder)
{
    setObjectName("TFormHlp");
    setWindowTitle("Orvanta help");
    resize(640, 480);
    // The window's own surface is the splitter; every child keeps its own cursor.
    setCursor(Qt::SplitHCursor);

    Panel1 = new QWidget(this);
    Panel1->setObjectName("Panel1");
    Panel1->setCursor(Qt::ArrowCursor);
    auto* titleLayout = new QHBoxLayout(Panel1);
    titleLayout->setContentsMargins(2, 2, 2, 2);
    SpeedButton1 = new QPushButton("E", Panel1);
    SpeedButton1->setObjectName("SpeedButton1");
    SpeedButton1->setToolTip("Expand all");
    SpeedButton2 = new QPushButton("C", Panel1);
    SpeedButton2->setObjectName("SpeedButton2");
    SpeedButton2->setToolTip("Collapse all");
    for (QPushButton* button : { SpeedButton1, SpeedButton2 }) {
        button->setFixedSize(22, 22);
        button->setFocusPolicy(Qt::NoFocus);
        titleLayout->addWidget(button);
    }
    auto* title = new QLabel("Orvanta v1.11: help", Panel1);
    title->setObjectName("Label_Title");
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    titleLayout->addWidget(title, 1);
    connect(SpeedButton1, &QPushButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(SpeedButton2, &QPushButton::clicked, this, [this] { SpeedButton2Click(); });

    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName("TreeView1");
    TreeView1->setCursor(Qt::ArrowCursor);
    TreeView1->setHeaderHidden(true);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    std::map<std::string, QTreeWidgetItem*> groups;
    for (const HelpTopic& topic : helpTopics()) {
        QTreeWidgetItem* parentItem = nullptr;
        if (!topic.group.empty()) {
            QTreeWidgetItem*& group = groups[topic.group];
            if (!group) {
                group = new QTreeWidgetItem(TreeView1, { QString::fromStdString(topic.group) });
                group->setData(0, FileRole, QString());
            }
            parentItem = group;
        }
        auto* item = parentItem ? new QTreeWidgetItem(parentItem, { QString::fromStdString(topic.title) })
                                : new QTreeWidgetItem(TreeView1, { QString::fromStdString(topic.title) });
        item->setData(0, FileRole, QString::fromStdString(topic.file));
    }
    connect(TreeView1, &QTreeWidget::currentItemChanged, this,
        [this](QTreeWidgetItem* current, QTreeWidgetItem*) { TreeView1Change(current); });

    Panel2 = new QWidget(this);
    Panel2->setObjectName("Panel2");
    auto* textLayout = new QVBoxLayout(Panel2);
    textLayout->setContentsMargins(0, 0, 0, 0);
    RichEdit1 = new QTextEdit(Panel2);
    RichEdit1->setObjectName("RichEdit1");
    RichEdit1->setReadOnly(true);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette palette = RichEdit1->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    RichEdit1->setPalette(palette);
    textLayout->addWidget(RichEdit1);

    StatusBar1 = new QLabel(this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setCursor(Qt::ArrowCursor);
    StatusBar1->setFrameShape(QFrame::Panel);
    StatusBar1->setFrameShadow(QFrame::Sunken);

    // Esc closes the window whichever control has the focus.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] { close(); });

    LoadTopic("about.rtf");
    FormResize();
}

void TFormHlp::TreeView1Change(QTreeWidgetItem* node)
{
    if (!node)
        return;
    const QString file = node->data(0, FileRole).toString();
    if (file.isEmpty()) {
        RichEdit1->clear();
        StatusBar1->clear();
        return;
    }
    LoadTopic(file.toStdString());
}

void TFormHlp::LoadTopic(const std::string& relativeFile)
{
    RichEdit1->clear();
    StatusBar1->clear();
    const std::string path = findHelpFile(m_helpFolder, relativeFile);
    QFile file(QString::fromStdString(path));
    if (path.empty() || file.size() > MaxPageSize || !file.open(QIODevice::ReadOnly)) {
        StatusBar1->setText(QString::fromStdString(relativeFile));
        return;
    }
    const QByteArray bytes = file.readAll();
    const RtfDocument page = RtfReader::read(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    fillTextDocument(page, *RichEdit1->document());
    RichEdit1->moveCursor(QTextCursor::Start);
}

void TFormHlp::SpeedButton1Click()
{
    TreeView1->expandAll();
}

void TFormHlp::SpeedButton2Click()
{
    TreeView1->collapseAll();
}

void TFormHlp::FormResize()
{
    const int w = width();
    const int h = height();
    Panel1->setGeometry(0, 0, w, TitleHeight);
    StatusBar1->setGeometry(0, std::max(h - StatusHeight, 0), w, StatusHeight);
    const HelpLayout layout = helpLayout(w, TitleHeight, h - StatusHeight, SplitRatio);
    TreeView1->setGeometry(layout.tree.x, layout.tree.y, layout.tree.width, layout.tree.height);
    Panel2->setGeometry(layout.text.x, layout.text.y, layout.text.width, layout.text.height);
}

void TFormHlp::FormMouseDown(int)
{
    m_dragging = true;
}

void TFormHlp::FormMouseMove(int x)
{
    if (!m_dragging)
        return;
    if (helpDragRatio(x, width(), SplitRatio))
        FormResize();
}

void TFormHlp::FormMouseUp()
{
    m_dragging = false;
}

void TFormHlp::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void TFormHlp::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TFormHlp::mousePressEvent(QMouseEvent* event)
{
    FormMouseDown(int(event->position().x()));
}

void TFormHlp::mouseMoveEvent(QMouseEvent* event)
{
    FormMouseMove(int(event->position().x()));
}

void TFormHlp::mouseReleaseEvent(QMouseEvent*)
{
    FormMouseUp();
}

} // namespace ov
