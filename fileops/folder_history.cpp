// The folder history; see folder_history.h.
#include "fileops/folder_history.h"

namespace ov {

FolderHistory& FolderHistory::shared()
{
    static FolderHistory history;
    return history;
}

} // namespace ov
