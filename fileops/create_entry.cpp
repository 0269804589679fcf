// Create folder and create file; see create_entry.h.
#include "fileops/create_entry.h"

#include "panel/browser.h"
#include "platform/drives.h"
#include "platform/file_system.h"
#include "platform/host_file.h"

namespace ov {

namespace {

bool hasDrive(const std::string& text)
{
    return text.size() >= 2 && text[1] == ':';
}

// The drive part of a list's folder ("c:"), or "" when it has none.
std::string driveOf(const std::string& folder)
{
    return hasDrive(folder) ? folder.substr(0, 2) : std::string();
}

} // namespace

MakeFolderOutcome MakeFolderFromText(TBrowser& active, const std::string& text)
{
    MakeFolderOutcome outcome;
    if (text.find('\\') != std::string::npos) {
        outcome.asPath = true;
        std::string path;
        if (hasDrive(text))
            path = text;
        else if (active.DiskKind == DiskKind::Standard && text[0] == '\\')
            path = driveOf(active.CurrentFolder()) + text;
        else if (active.DiskKind == DiskKind::Standard)
            path = active.CurrentFolder() + "\\" + text;
        const auto host
            = path.empty() ? std::nullopt : DriveTable::instance().toHost(normalizeWindowsPath(path));
        outcome.made = host && makeHostFolder(*host);
        if (!outcome.made)
            outcome.error = "Cannot make the Directory";
        return outcome;
    }
    outcome.made = !text.empty() && active.Disk != nullptr && active.Disk->MakeDir(active.Folder + text);
    if (!outcome.made)
        outcome.error = "Cannot make the folder";
    return outcome;
}

std::string NewFileTarget(const TBrowser& active, const std::string& name)
{
    return hasDrive(name) ? name : active.CurrentFolder() + "\\" + name;
}

CreateFileOutcome CreateFileFromText(const TBrowser& active, const std::string& name)
{
    if (name.empty())
        return CreateFileOutcome::Nothing;
    if (active.DiskKind != DiskKind::Standard && !hasDrive(name))
        return CreateFileOutcome::Failed;
    const auto host = DriveTable::instance().toHost(normalizeWindowsPath(NewFileTarget(active, name)));
    return host && createEmptyFile(*host) ? CreateFileOutcome::Created : CreateFileOutcome::Failed;
}

} // namespace ov
