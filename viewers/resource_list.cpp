#include "viewers/resource_list.h"

#include "viewers/bitmap_resource.h"
#include "viewers/cursor_res_entry.h"
#include "viewers/cursor_resource.h"
#include "viewers/exe_image.h"
#include "viewers/icon_res_entry.h"
#include "viewers/icon_resource.h"
#include "viewers/menu_resource.h"
#include "viewers/resource_type.h"
#include "viewers/string_resource.h"

namespace ov {

namespace {

// A directory is 16 bytes: the counts of named and id entries sit at 12 and
// 14; its 8-byte entries follow.
constexpr uint64_t kDirectorySize = 16;
constexpr uint64_t kEntrySize = 8;

std::unique_ptr<TResourceItem> createItem(TResourceList& list, uint64_t entry)
{
    switch (list.ResType()) {
    case rtCursorEntry:
        return std::make_unique<TCursorResEntry>(list, entry);
    case rtBitmap:
        return std::make_unique<TBitMapResource>(list, entry);
    case rtIconEntry:
        return std::make_unique<TIconResEntry>(list, entry);
    case rtMenu:
        return std::make_unique<TMenuResource>(list, entry);
    case rtString:
        return std::make_unique<TStringResource>(list, entry);
    case rtCursor:
        return std::make_unique<TCursorResource>(list, entry);
    case rtIcon:
        return std::make_unique<TIconResource>(list, entry);
    default:
        return std::make_unique<TResourceItem>(list, entry);
    }
}

} // namespace

TResourceList::TResourceList(
    TExeImage& image, uint32_t directory, uint32_t resType, std::vector<uint32_t> path)
    : m_image(image)
    , m_directory(directory)
    , m_resType(resType)
    , m_path(std::move(path))
{
}

TResourceList::~TResourceList() = default;

void TResourceList::ensureBuilt()
{
    if (m_built)
        return;
    m_built = true;
    build();
}

int TResourceList::Count()
{
    ensureBuilt();
    return static_cast<int>(m_items.size());
}

TResourceItem* TResourceList::Items(int index)
{
    ensureBuilt();
    if (index < 0 || static_cast<std::size_t>(index) >= m_items.size())
        return nullptr;
    return m_items[static_cast<std::size_t>(index)];
}

void TResourceList::addOwned(std::unique_ptr<TResourceItem> item)
{
    m_items.push_back(item.get());
    m_owned.push_back(std::move(item));
}

void TResourceList::addReference(TResourceItem* item)
{
    m_items.push_back(item);
}

void TResourceList::build()
{
    const LeBytes& view = m_image.View();
    const uint64_t directory = m_image.ResourceBase() + m_directory;
    if (!view.has(directory, kDirectorySize))
        return;
    const uint64_t count = uint64_t(*view.u16(directory + 12)) + *view.u16(directory + 14);
    for (uint64_t i = 0; i < count; ++i) {
        const uint64_t entry = directory + kDirectorySize + i * kEntrySize;
        // Entries past the end of the file are not listed.
        if (!view.has(entry, kEntrySize) || !m_image.takeItemSlot())
            return;
        auto item = createItem(*this, entry);
        if (IsRoot() && item->HasIntegerName()) {
            // Icon and cursor images are listed under their groups, not as
            // types of their own.
            const uint32_t id = item->NameValue();
            auto& pool = id == rtIconEntry ? m_image.m_iconPool : m_image.m_cursorPool;
            if (id == rtIconEntry || id == rtCursorEntry) {
                if (!pool)
                    pool = std::move(item);
                continue;
            }
        }
        addOwned(std::move(item));
    }
}

} // namespace ov
