#include "viewers/resource_form.h"

#include "platform/dialogs.h"
#include "viewers/avi_player.h"
#include "viewers/dialog_template_view.h"
#include "viewers/exe_image.h"
#include "viewers/hex_dump.h"
#include "viewers/resource_item.h"
#include "viewers/resource_list.h"
#include "viewers/resource_mover.h"
#include "viewers/resource_tree_model.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <filesystem>

// The image lists live in the program's resources (resource_icons.qrc),
// compiled into this library.
static void initResourceIcons()
{
    Q_INIT_RESOURCE(resource_icons);
}

namespace ov {

namespace {

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

std::string lowerCase(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return text;
}

QPixmap listPixmap(bool large, int index)
{
    return QPixmap(QString(":/resource_explorer/%1%2.png").arg(large ? "large" : "small").arg(index));
}

// The save dialog's filter with the type's entry first (the dialog starts on
// its first filter).
std::string saveFilter(int filterIndex)
{
    const std::string parts[]
        = { "Other Resource (*.*)", "Bitmaps (*.BMP)", "Icons (*.ICO)", "Cursor (*.CUR)" };
    std::string filter = parts[filterIndex - 1];
    for (int i = 0; i < 4; ++i)
        if (i != filterIndex - 1)
            filter += ";;" + parts[i];
    return filter;
}

// Paints the rows of the tree and the list as the style's item views do
// (panel, icon, text, focus frame), with the text laid out once per cell:
// the style's own item painting lays each text out three times (size, eliding,
// drawing), which is most of what showing a window of rows costs.
class LightRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QWidget* widget = item.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        painter->save();
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &item, painter, widget);

        const bool enabled = item.state & QStyle::State_Enabled;
        const bool selected = item.state & QStyle::State_Selected;
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        QRect textRect = item.rect.adjusted(margin, 0, -margin, 0);
        if (item.features & QStyleOptionViewItem::HasDecoration) {
            const QSize size = item.decorationSize;
            const QRect place(textRect.left(), item.rect.top() + (item.rect.height() - size.height()) / 2,
                size.width(), size.height());
            const QIcon::Mode mode = !enabled ? QIcon::Disabled : selected ? QIcon::Selected : QIcon::Normal;
            item.icon.paint(painter, place, Qt::AlignCenter, mode);
            textRect.setLeft(place.right() + 1 + 2 * margin);
        }

        if (!item.text.isEmpty() && textRect.width() > 0) {
            const QPalette::ColorGroup group = !enabled ? QPalette::Disabled
                : (item.state & QStyle::State_Active)   ? QPalette::Normal
                                                        : QPalette::Inactive;
            painter->setPen(item.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
            painter->setFont(item.font);
            QTextLayout layout(item.text, item.font, painter->device());
            layout.setCacheEnabled(true); // draws the glyphs shaped for measuring
            layout.beginLayout();
            QTextLine line = layout.createLine();
            line.setLineWidth(1e6);
            layout.endLayout();
            const bool fits = line.isValid() && line.textLength() == item.text.size()
                && line.naturalTextWidth() <= textRect.width();
            if (fits) {
                const qreal top = textRect.top() + (textRect.height() - line.height()) / 2;
                const qreal left = (item.displayAlignment & Qt::AlignRight)
                    ? textRect.right() + 1 - line.naturalTextWidth()
                    : textRect.left();
                layout.draw(painter, QPointF(left, top));
            } else {
                // Too wide (or more than one line): the style's eliding.
                QString shown = item.text;
                shown.replace(QLatin1Char('\n'), QChar::LineSeparator);
                shown = item.fontMetrics.elidedText(shown, item.textElideMode, textRect.width());
                painter->drawText(textRect,
                    Qt::TextSingleLine | Qt::AlignVCenter
                        | (item.displayAlignment & Qt::AlignHorizontal_Mask),
                    shown);
            }
        }

        if (item.state & QStyle::State_HasFocus) {
            QStyleOptionFocusRect focus;
            focus.QStyleOption::operator=(item);
            focus.rect = style->subElementRect(QStyle::SE_ItemViewItemFocusRect, &item, widget);
            focus.state |= QStyle::State_KeyboardFocusChange | QStyle::State_Item;
            focus.backgroundColor = item.palette.color(enabled ? QPalette::Normal : QPalette::Disabled,
                selected ? QPalette::Highlight : QPalette::Window);
            style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
        }
        painter->restore();
    }
};

} // namespace

// The list page's rows: a table over the page's rows, made in one reset.
class ResourceRowsModel : public QAbstractTableModel {
public:
    explicit ResourceRowsModel(QObject* parent)
        : QAbstractTableModel(parent)
    {
        for (int i = 0; i < 6; ++i)
            m_icons[static_cast<std::size_t>(i)] = QIcon(listPixmap(false, i));
    }

    void setRows(const std::vector<ResourceListRow>* rows)
    {
        beginResetModel();
        m_rows = rows;
        endResetModel();
    }
    void setHeaders(QStringList headers)
    {
        m_headers = std::move(headers);
        emit headerDataChanged(Qt::Horizontal, 0, 2);
    }
    TResourceItem* item(int row) const
    {
        return m_rows && row >= 0 && row < rowCount() ? (*m_rows)[static_cast<std::size_t>(row)].item
                                                      : nullptr;
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() || !m_rows ? 0 : static_cast<int>(m_rows->size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : 3;
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || !m_rows)
            return {};
        const ResourceListRow& row = (*m_rows)[static_cast<std::size_t>(index.row())];
        if (role == Qt::DisplayRole)
            return qs(index.column() == 0 ? row.name() : index.column() == 1 ? row.offset() : row.size());
        if (role == Qt::DecorationRole && index.column() == 0)
            return m_icons[static_cast<std::size_t>(row.imageIndex())];
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0
            && section < m_headers.size())
            return m_headers[section];
        return {};
    }

private:
    const std::vector<ResourceListRow>* m_rows = nullptr;
    std::array<QIcon, 6> m_icons;
    QStringList m_headers;
};

TFormResource::TFormResource(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    initResourceIcons();
    setObjectName("FormResource");
    setWindowTitle("Resource Explorer");
    resize(640, 480);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName("MainMenu1");
    outer->setMenuBar(m_menuBar);

    auto* body = new QWidget(this);
    body->setObjectName("PanelBody");
    auto* row = new QHBoxLayout(body);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    m_model = new ResourceTreeModel(this);
    std::array<QIcon, 6> icons;
    for (int i = 0; i < 6; ++i)
        icons[static_cast<std::size_t>(i)] = QIcon(listPixmap(false, i));
    // A list node shows the open list while selected.
    icons[riClosedList].addPixmap(listPixmap(false, riOpenList), QIcon::Selected);
    m_model->setIcons(icons);
    m_tree = new QTreeView(body);
    m_tree->setObjectName("TreeView1");
    m_tree->setHeaderHidden(true);
    m_tree->setUniformRowHeights(true);
    m_tree->setModel(m_model);
    m_tree->setItemDelegate(new LightRowDelegate(m_tree));
    m_tree->setFixedWidth(200);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    m_tree->viewport()->installEventFilter(this);
    row->addWidget(m_tree);

    m_mover = new TMover(body);
    m_mover->SetSibling(m_tree);
    row->addWidget(m_mover);

    auto* right = new QWidget(body);
    right->setObjectName("PanelRight");
    auto* column = new QVBoxLayout(right);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* top = new QWidget(right);
    top->setObjectName("PanelTop");
    auto* topRow = new QHBoxLayout(top);
    topRow->setContentsMargins(2, 2, 2, 2);
    m_caption = new QLabel(top);
    m_caption->setObjectName("PanelCaption");
    m_caption->setFrameShape(QFrame::Panel);
    m_caption->setFrameShadow(QFrame::Sunken);
    topRow->addWidget(m_caption, 1);
    m_save = new QToolButton(top);
    m_save->setObjectName("SpeedButtonSave");
    m_save->setText("Save");
    m_save->setEnabled(false);
    topRow->addWidget(m_save);
    m_exit = new QToolButton(top);
    m_exit->setObjectName("SpeedButtonExit");
    m_exit->setText("Exit");
    // The buttons are reached by mouse and their keys; Tab goes from the
    // tree straight to the page.
    m_save->setFocusPolicy(Qt::NoFocus);
    m_exit->setFocusPolicy(Qt::NoFocus);
    topRow->addWidget(m_exit);
    column->addWidget(top);

    m_notebook = new QStackedWidget(right);
    m_notebook->setObjectName("Notebook1");
    // The pages never force the window wider or taller than it is given.
    m_notebook->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    column->addWidget(m_notebook, 1);
    row->addWidget(right, 1);
    outer->addWidget(body, 1);

    auto* statusBar = new QWidget(this);
    statusBar->setObjectName("StatusBar1");
    auto* statusRow = new QHBoxLayout(statusBar);
    statusRow->setContentsMargins(2, 1, 2, 1);
    for (int i = 0; i < 2; ++i) {
        m_status[i] = new QLabel(statusBar);
        m_status[i]->setObjectName(QString("StatusPanel%1").arg(i));
        m_status[i]->setFrameShape(QFrame::Panel);
        m_status[i]->setFrameShadow(QFrame::Sunken);
        statusRow->addWidget(m_status[i], i == 0 ? 0 : 1);
    }
    m_status[0]->setMinimumWidth(120);
    outer->addWidget(statusBar);

    buildPages();
    buildMenus();
    ApplyTexts(m_texts);

    connect(m_save, &QToolButton::clicked, this, [this] { SaveClick(); });
    connect(m_exit, &QToolButton::clicked, this, [this] { ExitClick(); });
    connect(
        m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { TreeView1Change(); });
    connect(m_tree, &QTreeView::customContextMenuRequested, this, [this](const QPoint& at) {
        const bool leaf = m_tree->currentIndex().isValid() && !m_model->hasChildren(m_tree->currentIndex());
        m_treeSave->setEnabled(leaf || (m_listSelection->hasSelection() && m_notebook->currentIndex() == 0));
        m_treeMenu->popup(m_tree->viewport()->mapToGlobal(at));
    });
}

TFormResource::~TFormResource()
{
    closePreview();
    m_player->Close();
    m_model->setImage(nullptr);
}

void TFormResource::buildMenus()
{
    m_fileMenu = m_menuBar->addMenu(QString());
    m_fileMenu->setObjectName("N_File");
    m_saveAction = m_fileMenu->addAction(QString(), this, [this] { SaveClick(); });
    m_saveAction->setObjectName("N_Save");
    m_saveAction->setShortcuts({ QKeySequence(Qt::Key_F2), QKeySequence(Qt::CTRL | Qt::Key_S) });
    m_saveAction->setShortcutContext(Qt::WindowShortcut);
    m_fileMenu->addSeparator();
    m_exitAction = m_fileMenu->addAction(QString(), this, [this] { ExitClick(); });
    m_exitAction->setObjectName("N_Exit");
    auto* escape = new QAction(this);
    escape->setShortcut(QKeySequence(Qt::Key_Escape));
    escape->setShortcutContext(Qt::WindowShortcut);
    connect(escape, &QAction::triggered, this, [this] { ExitClick(); });
    addAction(escape);
    addAction(m_saveAction);

    m_serviceMenu = m_menuBar->addMenu(QString());
    m_serviceMenu->setObjectName("N_Service");
    m_expandAction = m_serviceMenu->addAction(QString(), this, [this] { FullExpandClick(); });
    m_expandAction->setObjectName("N_Expand");
    m_collapseAction = m_serviceMenu->addAction(QString(), this, [this] { FullCollapseClick(); });
    m_collapseAction->setObjectName("N_Collapse");

    m_treeMenu = new QMenu(this);
    m_treeMenu->setObjectName("PopupMenuTree");
    m_treeExpand = m_treeMenu->addAction(QString(), this, [this] { FullExpandClick(); });
    m_treeCollapse = m_treeMenu->addAction(QString(), this, [this] { FullCollapseClick(); });
    m_treeMenu->addSeparator();
    m_treeSave = m_treeMenu->addAction(QString(), this, [this] { SaveClick(); });

    m_listMenu = new QMenu(this);
    m_listMenu->setObjectName("PopupMenuList");
    m_listSave = m_listMenu->addAction(QString(), this, [this] { SaveClick(); });
}

void TFormResource::buildPages()
{
    // 0: the list page, a report list and the four view buttons.
    auto* listPage = new QWidget(m_notebook);
    listPage->setObjectName("PageList");
    auto* listColumn = new QVBoxLayout(listPage);
    listColumn->setContentsMargins(0, 0, 0, 0);
    auto* buttons = new QHBoxLayout;
    const char* names[] = { "SpeedButtonLarge", "SpeedButtonSmall", "SpeedButtonList", "SpeedButtonReport" };
    for (int i = 0; i < 4; ++i) {
        m_viewButtons[i] = new QToolButton(listPage);
        m_viewButtons[i]->setObjectName(names[i]);
        m_viewButtons[i]->setCheckable(true);
        m_viewButtons[i]->setAutoExclusive(true);
        m_viewButtons[i]->setFocusPolicy(Qt::NoFocus);
        connect(m_viewButtons[i], &QToolButton::clicked, this, [this, i] { ViewButtonClick(i); });
        buttons->addWidget(m_viewButtons[i]);
    }
    buttons->addStretch();
    listColumn->addLayout(buttons);
    m_listModel = new ResourceRowsModel(this);
    m_listSelection = new QItemSelectionModel(m_listModel, this);
    m_listViews = new QStackedWidget(listPage);
    m_listIcons = new QListView(m_listViews);
    m_listIcons->setObjectName("ListView1Icons");
    m_listIcons->setModel(m_listModel);
    m_listIcons->setSelectionModel(m_listSelection);
    m_listReport = new QTreeView(m_listViews);
    m_listReport->setObjectName("ListView1");
    m_listReport->setRootIsDecorated(false);
    m_listReport->setUniformRowHeights(true);
    m_listReport->setItemDelegate(new LightRowDelegate(m_listReport));
    m_listReport->setModel(m_listModel);
    m_listReport->setSelectionModel(m_listSelection);
    for (QAbstractItemView* view :
        { static_cast<QAbstractItemView*>(m_listIcons), static_cast<QAbstractItemView*>(m_listReport) }) {
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        view->installEventFilter(this);
        connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& at) {
            const bool leaf
                = m_tree->currentIndex().isValid() && !m_model->hasChildren(m_tree->currentIndex());
            m_listSave->setEnabled(leaf || m_listSelection->hasSelection());
            m_listMenu->popup(view->viewport()->mapToGlobal(at));
        });
    }
    m_listViews->addWidget(m_listIcons);
    m_listViews->addWidget(m_listReport);
    listColumn->addWidget(m_listViews, 1);
    connect(m_listSelection, &QItemSelectionModel::selectionChanged, this, [this] {
        if (m_listSelection->hasSelection())
            m_save->setEnabled(true);
    });
    m_notebook->addWidget(listPage);
    m_viewButtons[3]->setChecked(true);
    ViewButtonClick(3);

    // 1: the image page.
    m_picture = new QLabel(m_notebook);
    m_picture->setObjectName("Image1");
    m_picture->setAlignment(Qt::AlignCenter);
    m_notebook->addWidget(m_picture);

    // 2: the text page.
    m_text = new QPlainTextEdit(m_notebook);
    m_text->setObjectName("Memo1");
    m_text->setReadOnly(true);
    m_text->setTabChangesFocus(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_notebook->addWidget(m_text);

    // 3: the other page, the hex dump.
    m_hex = new THexDump(m_notebook);
    m_hex->setObjectName("HexDump1");
    QFont fixed("FixedSys");
    fixed.setStyleHint(QFont::TypeWriter);
    m_hex->setFont(fixed);
    m_hex->SetShowCharacters(true);
    m_notebook->addWidget(m_hex);

    // 4: the version page.
    auto* versionPage = new QWidget(m_notebook);
    versionPage->setObjectName("PageVersion");
    auto* versionColumn = new QVBoxLayout(versionPage);
    m_language = new QLabel(versionPage);
    m_language->setObjectName("LabelLang");
    versionColumn->addWidget(m_language);
    m_version = new QTreeWidget(versionPage);
    m_version->setObjectName("ListViewVersion");
    m_version->setRootIsDecorated(false);
    m_version->setColumnCount(2);
    m_version->setHeaderLabels({ "VI string", "Value" });
    for (const char* name : VersionRows::names())
        new QTreeWidgetItem(m_version, { QString(name), QString() });
    versionColumn->addWidget(m_version, 1);
    m_notebook->addWidget(versionPage);

    // 5: the message page.
    m_message = new QLabel("Welcome to Resource Browser!", m_notebook);
    m_message->setObjectName("LabelMessage");
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setWordWrap(true);
    m_notebook->addWidget(m_message);

    // 6: the media page.
    m_player = new TAviPlayer(m_notebook);
    m_player->OnEnded = [this](TAviPlayer*) { showMessage("To play again, select again."); };
    m_notebook->addWidget(m_player);

    m_notebook->setCurrentIndex(static_cast<int>(ResourcePageIndex::Message));
    m_notebook->setFocusPolicy(Qt::TabFocus);
    m_notebook->installEventFilter(this);
}

void TFormResource::ApplyTexts(const TResourceTexts& texts)
{
    m_texts = texts;
    m_fileMenu->setTitle(qs(texts.Menu_File));
    m_saveAction->setText(qs(texts.Menu_File_Save));
    m_exitAction->setText(qs(texts.Menu_File_Exit));
    m_serviceMenu->setTitle(qs(texts.Menu_Service));
    m_expandAction->setText(qs(texts.Menu_Service_Expand));
    m_collapseAction->setText(qs(texts.Menu_Service_Collaps));
    m_treeExpand->setText(qs(texts.Menu_Service_Expand));
    m_treeCollapse->setText(qs(texts.Menu_Service_Collaps));
    // Away from English the save items all take the file menu's text.
    const std::string saveAs = texts.english ? texts.SaveAs : texts.Menu_File_Save;
    m_treeSave->setText(qs(saveAs));
    m_listSave->setText(qs(saveAs));
    m_save->setToolTip(qs(texts.english ? texts.SaveHint : texts.Menu_File_Save));
    m_exit->setToolTip(qs(texts.english ? texts.ExitHint : texts.Menu_File_Exit));
    const std::string hints[] = { texts.Large_Icons, texts.Small_Icons, texts.List, texts.Table };
    for (int i = 0; i < 4; ++i) {
        m_viewButtons[i]->setToolTip(qs(hints[i]));
        m_viewButtons[i]->setText(qs(hints[i]));
    }
    m_listModel->setHeaders({ qs(texts.Name), qs(texts.OffSet), qs(texts.Size) });
}

ResourcePageIndex TFormResource::CurrentPage() const
{
    return static_cast<ResourcePageIndex>(m_notebook->currentIndex());
}

QString TFormResource::CaptionText() const
{
    return m_caption->text();
}

QString TFormResource::StatusText(int panel) const
{
    return m_status[panel == 0 ? 0 : 1]->text();
}

QString TFormResource::MessageText() const
{
    return m_message->text();
}

bool TFormResource::SaveEnabled() const
{
    return m_save->isEnabled();
}

void TFormResource::clearTree()
{
    m_clearing = true;
    closePreview();
    m_player->Close();
    m_listModel->setRows(nullptr);
    m_tree->selectionModel()->clear();
    m_model->setImage(nullptr);
    m_page = ResourcePage {};
    m_hex->SetData({}, 0);
    m_clearing = false;
}

void TFormResource::SetFile(const std::string& fileName)
{
    std::error_code error;
    if (!std::filesystem::exists(fileName, error))
        return;
    clearTree();
    m_caption->clear();
    m_status[0]->clear();
    m_status[1]->clear();
    m_save->setEnabled(false);
    m_image.reset();
    m_fileName = fileName;
    try {
        m_image = std::make_unique<TExeImage>(fileName);
    } catch (const std::exception& failure) {
        showMessage("");
        messageBox(failure.what(), "Resource Explorer", Buttons::Ok, Icon::Error);
        return;
    }
    if (m_image->Status() == TExeImage::StatusNotPE) {
        showMessage("Not a PE file.");
        return;
    }
    loadTree();
}

void TFormResource::loadTree()
{
    m_image->Resources();
    m_model->setImage(m_image.get());
    if (m_image->Status() == TExeImage::StatusNoResources) {
        showMessage("No resources.");
        return;
    }
    setWindowTitle(QString("%1 - %2").arg("Resource Explorer", qs(lowerCase(m_fileName))));
    m_tree->setFocus();
    const QModelIndex first = m_model->index(0, 0);
    if (first.isValid())
        m_tree->setCurrentIndex(first);
}

void TFormResource::TreeView1Change()
{
    if (m_clearing)
        return;
    const QModelIndex current = m_tree->currentIndex();
    TResourceItem* item = m_model->item(current);
    if (!item)
        return;
    const ResourceWords words { m_texts.Objects, m_texts.OffSet, m_texts.Size };
    showPage(chooseResourcePage(*item, words));
    const bool children = m_model->hasChildren(current);
    m_save->setEnabled(!children);
    if (children)
        m_tree->expand(current);
}

void TFormResource::showMessage(const std::string& text)
{
    m_message->setText(qs(text));
    m_notebook->setCurrentIndex(static_cast<int>(ResourcePageIndex::Message));
}

void TFormResource::fillList()
{
    m_listModel->setRows(&m_page.rows);
}

void TFormResource::closePreview()
{
    if (m_placeholder)
        m_placeholder->close();
    m_placeholder.clear();
}

void TFormResource::showPage(ResourcePage page)
{
    // One preview at a time: moving on closes the player and the dialog.
    m_player->Close();
    closePreview();
    m_listModel->setRows(nullptr); // it shows the rows of the page replaced here
    m_page = std::move(page);
    m_caption->setText(qs(m_page.caption));
    m_status[0]->setText(qs(m_page.status0));
    m_status[1]->setText(qs(m_page.status1));
    switch (m_page.page) {
    case ResourcePageIndex::List:
        fillList();
        break;
    case ResourcePageIndex::Image:
        m_picture->setPixmap(QPixmap::fromImage(m_page.image));
        break;
    case ResourcePageIndex::Text: {
        QStringList lines;
        for (const std::string& line : m_page.lines)
            lines << qs(line);
        m_text->setPlainText(lines.join('\n'));
        m_text->moveCursor(QTextCursor::Start);
        break;
    }
    case ResourcePageIndex::Other:
        m_hex->SetData(m_page.hex, m_page.hexAddress);
        m_hex->SetDataSize(m_page.hexSize);
        break;
    case ResourcePageIndex::Version:
        m_language->setText(qs(m_page.version.label));
        for (int i = 0; i < VersionRows::kRows; ++i)
            m_version->topLevelItem(i)->setText(1, qs(m_page.version.values[static_cast<std::size_t>(i)]));
        break;
    case ResourcePageIndex::Message:
        m_message->setText(qs(m_page.message));
        if (m_page.isDialog && m_page.dialog.dialog) {
            // The placeholder is shown first, then the dialog it carries.
            m_placeholder = new TDialogPlaceholder(nullptr);
            QWidget* dialog = m_placeholder->ShowDialog(*m_page.dialog.dialog);
            m_placeholder->show();
            dialog->show();
        }
        break;
    case ResourcePageIndex::Media:
        m_player->Open(m_page.video);
        m_player->Play();
        break;
    }
    m_notebook->setCurrentIndex(static_cast<int>(m_page.page));
}

void TFormResource::ViewButtonClick(int style)
{
    m_viewButtons[style]->setChecked(true);
    if (style == 3) {
        m_listViews->setCurrentWidget(m_listReport);
        return;
    }
    // Large and small icons run in rows, the list in columns.
    m_listIcons->setViewMode(style == 0 ? QListView::IconMode : QListView::ListMode);
    m_listIcons->setFlow(style == 2 ? QListView::TopToBottom : QListView::LeftToRight);
    m_listIcons->setWrapping(true);
    m_listIcons->setIconSize(style == 0 ? QSize(32, 32) : QSize(16, 16));
    m_listViews->setCurrentWidget(m_listIcons);
}

void TFormResource::FullExpandClick()
{
    m_tree->expandAll();
}

void TFormResource::FullCollapseClick()
{
    m_tree->collapseAll();
}

void TFormResource::ExitClick()
{
    close();
}

void TFormResource::SelectListRow(int row)
{
    const QModelIndex index = m_listModel->index(row, 0);
    m_listSelection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

TResourceItem* TFormResource::itemToSave() const
{
    const QModelIndex current = m_tree->currentIndex();
    if (current.isValid() && !m_model->hasChildren(current))
        return m_model->item(current);
    const QModelIndexList rows = m_listSelection->selectedRows();
    if (!rows.isEmpty()) {
        TResourceItem* item = m_listModel->item(rows.front().row());
        if (item && !item->IsList())
            return item;
    }
    return nullptr;
}

void TFormResource::SaveClick()
{
    TResourceItem* item = itemToSave();
    if (!item) {
        messageBox("No resource selected", "Resource Explorer", Buttons::Ok, Icon::Error);
        return;
    }
    const ResourceSaveData data = resourceSaveData(item->ResType());
    const std::filesystem::path folder = std::filesystem::path(m_fileName).parent_path();
    const std::string suggested = (folder / resourceSaveName(*item)).string();
    const std::string chosen = prompts().saveFile(
        m_texts.english ? m_texts.SaveHint : m_texts.Menu_File_Save, suggested, saveFilter(data.filterIndex));
    if (chosen.empty())
        return;
    try {
        item->SaveToFile(chosen);
    } catch (const std::exception& failure) {
        messageBox(failure.what(), "Resource Explorer", Buttons::Ok, Icon::Error);
    }
}

bool TFormResource::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_tree->viewport() && event->type() == QEvent::MouseButtonPress) {
        // A right press selects the node under it.
        auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() == Qt::RightButton) {
            const QModelIndex at = m_tree->indexAt(press->position().toPoint());
            if (at.isValid())
                m_tree->setCurrentIndex(at);
        }
    } else if ((watched == m_listReport || watched == m_listIcons) && event->type() == QEvent::FocusIn) {
        // Entering a list of more than one row with nothing selected selects
        // its first row.
        if (m_listModel->rowCount() > 1 && !m_listSelection->hasSelection()) {
            SelectListRow(0);
        }
    } else if (watched == m_notebook && event->type() == QEvent::FocusIn) {
        // Leaving the page backwards passes the notebook by: it comes before
        // its page's controls in the focus chain, and would hand the focus
        // straight back to the first of them.
        if (static_cast<QFocusEvent*>(event)->reason() == Qt::BacktabFocusReason) {
            focusNextPrevChild(false);
            return QWidget::eventFilter(watched, event);
        }
        // Entering the notebook focuses the first control of its page.
        QWidget* page = m_notebook->currentWidget();
        QList<QWidget*> candidates { page };
        candidates += page->findChildren<QWidget*>();
        for (QWidget* candidate : candidates) {
            if ((candidate->focusPolicy() & Qt::TabFocus) && candidate->isVisibleTo(page)) {
                candidate->setFocus(Qt::TabFocusReason);
                break;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TFormResource::closeEvent(QCloseEvent* event)
{
    // Nothing is left playing or open once the window is gone.
    m_player->Close();
    closePreview();
    QWidget::closeEvent(event);
}

} // namespace ov
