// Group selection; see group_select.h.
#include "fileops/group_select.h"

#include "panel/browser.h"

namespace ov {

int SelectGroup(TBrowser& list, const std::string& masks, bool select, bool withFolders)
{
    int changed = 0;
    for (int i = 1; i <= list.Count; ++i) {
        const Entry& entry = list.Entries[static_cast<std::size_t>(i - 1)];
        if (entry.IsParent || (entry.isFolder() && !withFolders) || entry.Selected == select)
            continue;
        if (!TBrowser::MatchMask(entry.FullName, masks))
            continue;
        list.ToggleSelect(i);
        ++changed;
    }
    return changed;
}

void UnselectAll(TBrowser& list)
{
    for (int i = 1; i <= list.Count; ++i)
        if (list.IsSelected(i))
            list.ToggleSelect(i);
}

} // namespace ov
