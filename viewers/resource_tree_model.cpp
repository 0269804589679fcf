#include "viewers/resource_tree_model.h"

#include "viewers/exe_image.h"
#include "viewers/resource_item.h"
#include "viewers/resource_list.h"
#include "viewers/resource_page.h"

#include <QString>

namespace ov {

ResourceTreeModel::ResourceTreeModel(QObject* parent)
    : QAbstractItemModel(parent)
{
}

void ResourceTreeModel::setImage(TExeImage* image)
{
    beginResetModel();
    m_image = image;
    m_root = Node {};
    endResetModel();
}

ResourceTreeModel::Node* ResourceTreeModel::node(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : &m_root;
}

TResourceItem* ResourceTreeModel::item(const QModelIndex& index) const
{
    return index.isValid() ? node(index)->item : nullptr;
}

TResourceList* ResourceTreeModel::listOf(Node* owner) const
{
    if (owner == &m_root)
        return m_image ? m_image->Resources() : nullptr;
    return owner->item->IsList() ? &owner->item->List() : nullptr;
}

QModelIndex ResourceTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0)
        return {};
    Node* owner = node(parent);
    if (!owner->listed) {
        owner->listed = true;
        owner->list = listOf(owner);
        owner->children.resize(owner->list ? static_cast<std::size_t>(owner->list->Count()) : 0);
    }
    if (row >= static_cast<int>(owner->children.size()))
        return {};
    Node& child = owner->children[static_cast<std::size_t>(row)];
    if (!child.item) {
        child.item = owner->list->Items(row);
        child.parent = owner;
        child.row = row;
    }
    return createIndex(row, 0, &child);
}

QModelIndex ResourceTreeModel::parent(const QModelIndex& child) const
{
    if (!child.isValid())
        return {};
    Node* owner = node(child)->parent;
    if (!owner || owner == &m_root)
        return {};
    return createIndex(owner->row, 0, owner);
}

int ResourceTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    Node* owner = node(parent);
    if (owner->listed)
        return static_cast<int>(owner->children.size());
    TResourceList* list = listOf(owner);
    return list ? list->Count() : 0;
}

int ResourceTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

bool ResourceTreeModel::hasChildren(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return m_image && m_image->Resources();
    // Asking IsList costs one look at the entry; the list itself waits.
    return item(parent)->IsList();
}

QVariant ResourceTreeModel::data(const QModelIndex& index, int role) const
{
    TResourceItem* shown = item(index);
    if (!shown)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromStdString(shown->Name());
    if (role == Qt::DecorationRole) {
        const int image = shown->IsList() ? riClosedList : resourceSaveData(shown->ResType()).imageIndex;
        return m_icons[static_cast<std::size_t>(image)];
    }
    return {};
}

} // namespace ov
