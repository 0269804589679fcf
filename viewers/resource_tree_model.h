// ResourceTreeModel: the resource explorer's tree as a Qt model over the
// reader's own lists. Each index holds a pointer to its TResourceItem; the
// lists are built by the reader when a row is first asked for and never
// copied, so opening an image costs only the rows the view shows.
#pragma once

#include <QAbstractItemModel>
#include <QIcon>

#include <array>
#include <vector>

namespace ov {

class TExeImage;
class TResourceItem;
class TResourceList;

class ResourceTreeModel : public QAbstractItemModel {
public:
    explicit ResourceTreeModel(QObject* parent = nullptr);

    // Shows the tree of `image` (null: an empty tree). The image must outlive
    // the model's use of it, or be replaced first.
    void setImage(TExeImage* image);
    TExeImage* image() const { return m_image; }
    // The images of the tree's nodes, by image index.
    void setIcons(std::array<QIcon, 6> icons) { m_icons = std::move(icons); }

    TResourceItem* item(const QModelIndex& index) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    struct Node {
        TResourceItem* item = nullptr;
        Node* parent = nullptr;
        int row = 0;
        bool listed = false;
        TResourceList* list = nullptr; // the item's list, once listed
        // One node per row, made in one piece when the list is first asked
        // for (never resized after, so the pointers in indexes stay valid);
        // a node's item is looked up when its row is first asked for.
        std::vector<Node> children;
    };

    Node* node(const QModelIndex& index) const;
    TResourceList* listOf(Node* node) const;

    TExeImage* m_image = nullptr;
    std::array<QIcon, 6> m_icons;
    mutable Node m_root;
};

} // namespace ov
