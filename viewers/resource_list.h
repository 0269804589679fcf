// TResourceList: the items of one resource directory (the root list of types,
// the names of one type, ...), built on first request. The class of each item
// follows the list's ResType. Entries that lie outside the file are left out;
// an image never creates more than TExeImage::kMaxItems items.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace ov {

class TExeImage;
class TResourceItem;

class TResourceList {
public:
    // A list over the directory at `directory` (an offset into the resource
    // section); `path` holds the directories above it, root first, and is
    // what cycles and the depth cap are checked against.
    TResourceList(TExeImage& image, uint32_t directory, uint32_t resType, std::vector<uint32_t> path);
    virtual ~TResourceList();

    TResourceList(const TResourceList&) = delete;
    TResourceList& operator=(const TResourceList&) = delete;

    int Count();
    // Item by 0-based index; null outside 0..Count-1.
    TResourceItem* Items(int index);
    uint32_t ResType() const { return m_resType; }

    TExeImage& Image() const { return m_image; }
    uint32_t Directory() const { return m_directory; }
    // Directories from the root down to and including this one.
    const std::vector<uint32_t>& Path() const { return m_path; }
    bool IsRoot() const { return m_path.size() == 1; }

protected:
    virtual void build();
    void addOwned(std::unique_ptr<TResourceItem> item);
    void addReference(TResourceItem* item);

    TExeImage& m_image;

private:
    void ensureBuilt();

    uint32_t m_directory;
    uint32_t m_resType;
    std::vector<uint32_t> m_path;
    bool m_built = false;
    std::vector<std::unique_ptr<TResourceItem>> m_owned;
    std::vector<TResourceItem*> m_items;
};

} // namespace ov
