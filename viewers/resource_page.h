// The resource explorer's page chooser: which of the window's seven pages
// shows an item of the resource tree, with what content, and the texts of
// the caption panel and status bar. No widgets: the window and `ovtool res
// --pages` both show what this decides.
#pragma once

#include "viewers/avi_video.h"
#include "viewers/dialog_template.h"
#include "viewers/version_info.h"

#include <QImage>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace ov {

class TExeImage;
class TResourceItem;

// The notebook's pages, in their order.
enum class ResourcePageIndex : int {
    List = 0,
    Image = 1,
    Text = 2,
    Other = 3,
    Version = 4,
    Message = 5,
    Media = 6
};

// The tree's and list's image indices.
enum ResourceImageIndex : int {
    riClosedList = 0,
    riOpenList = 1,
    riGeneric = 2,
    riIconImage = 3,
    riCursorImage = 4,
    riBitmap = 5,
};

// What the save dialog gets for a resource type, and the type's image.
struct ResourceSaveData {
    std::string extension; // "Dat" .. "Ver", without the dot
    int filterIndex = 1; // 1-based, into kResourceSaveFilter
    int imageIndex = riGeneric;
};

inline constexpr const char* kResourceSaveFilter
    = "Other Resource (*.*)|*.*|Bitmaps (*.BMP)|*.BMP|Icons (*.ICO)|*.ICO|Cursor (*.CUR)|*.CUR";

// The row of a type id 0..16; any other id (a named type has the high bit
// set) takes type 0's row.
ResourceSaveData resourceSaveData(uint32_t resType);

// The default name offered when saving: Name + "." + extension.
std::string resourceSaveName(TResourceItem& item);

// The three status-bar words (language file keys Objects, OffSet, Size).
struct ResourceWords {
    std::string objects = "Objects";
    std::string offset = "Offset";
    std::string size = "Size";
};

// One row of the list page: a sub-item. Its texts are made when they are
// asked for, so a list of thousands of items costs only the rows shown.
struct ResourceListRow {
    TResourceItem* item = nullptr;

    std::string name() const; // Name
    std::string offset() const; // Offset as "%.7x"
    std::string size() const; // Size as "%.5x"
    int imageIndex() const; // by the item's type
};

// Opens the current file again as a module for a dialog preview; null (or
// an exception) when it cannot be loaded.
using ModuleLoader = std::function<std::unique_ptr<TExeImage>(const std::string& path)>;

struct ResourcePage {
    ResourcePageIndex page = ResourcePageIndex::Message;
    std::vector<ResourceListRow> rows; // list page
    QImage image; // image page
    std::vector<std::string> lines; // text page
    std::span<const uint8_t> hex; // other page: the readable bytes,
    uint64_t hexAddress = 0; // their file offset,
    uint64_t hexSize = 0; // and the declared size
    VersionRows version; // version page
    DialogCreation dialog; // dialog preview (shown on the message page)
    bool isDialog = false;
    std::shared_ptr<AviVideo> video; // media page
    std::string message; // message page

    std::string caption; // caption panel
    std::string status0; // status panels
    std::string status1;
    bool saveEnabled = false;

    // The page's name and a short summary for text output: "list", "3 rows".
    std::string pageName() const;
    std::vector<std::string> detail() const;
};

// Chooses the page of an item. `loadModule` opens the file for a dialog
// preview; by default the file named by the item's image is opened again.
// Never throws: whatever the item cannot show goes to the message page.
ResourcePage chooseResourcePage(
    TResourceItem& item, const ResourceWords& words = {}, const ModuleLoader& loadModule = {});

// The path of names of every node in tree order, with its item, as the tree
// shows them (lists expanded).
struct ResourceNode {
    std::string path; // names joined by "/"
    TResourceItem* item;
    int depth;
};
std::vector<ResourceNode> resourceNodes(TExeImage& image);

// The same walk without keeping the nodes: `visit` sees each node in turn
// (its path lives only for the call) and returns false to stop. A hostile
// image can give a hundred thousand items long names; this walk holds one
// path at a time where the list above holds them all.
void forEachResourceNode(TExeImage& image, const std::function<bool(const ResourceNode&)>& visit);

} // namespace ov
