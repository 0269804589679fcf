// The standard disk over the drive table; see disk_interface.h.
#include "panel/disk_interface.h"

#include "platform/drives.h"
#include "platform/file_operation.h"
#include "platform/host_file.h"

namespace ov {

void splitName(const std::string& fullName, Entry& entry)
{
    entry.FullName = fullName;
    const auto dot = fullName.find_last_of('.');
    if (dot == std::string::npos) {
        entry.Name = fullName;
        entry.Ext.clear();
    } else {
        entry.Name = fullName.substr(0, dot);
        entry.Ext = fullName.substr(dot + 1);
    }
}

std::string joinName(const std::string& name, const std::string& ext)
{
    return ext.empty() ? name : name + "." + ext;
}

void fillFromHost(const HostEntry& host, Entry& entry)
{
    splitName(hostNameToInner(host.name), entry);
    entry.Size = host.size;
    entry.Created = toLocalTime(host.created);
    entry.Accessed = toLocalTime(host.accessed);
    entry.Written = toLocalTime(host.written);
    entry.Attr = host.attr;
    entry.Selected = false;
    entry.IsParent = false;
    entry.SortKey.clear();
}

TStandartDiskInterface::TStandartDiskInterface(const std::string& root)
{
    std::string text = root;
    if (text.find(':') == std::string::npos)
        text += ':';
    if (text.find('\\') == std::string::npos)
        text += '\\';
    if (!text.empty())
        text[0] = lowerAscii(text[0]);
    Root = text;
    Kind = DiskKind::Standard;
}

std::string TStandartDiskInterface::hostPath(const std::string& innerPath) const
{
    return DriveTable::instance().toHost(Root + innerPath).value_or(std::string());
}

bool TStandartDiskInterface::FindFirst(const std::string& folder, Entry& entry)
{
    m_found.clear();
    m_next = 0;
    const std::string host = hostPath(folder);
    if (host.empty() || !listFolder(host, m_found))
        return false;
    return FindNext(entry);
}

bool TStandartDiskInterface::FindNext(Entry& entry)
{
    if (m_next >= m_found.size()) {
        m_found.clear();
        m_found.shrink_to_fit();
        m_next = 0;
        return false;
    }
    fillFromHost(m_found[m_next++], entry);
    return true;
}

bool TDiskInterface::ListSizes(
    const std::string& folder, int64_t& bytes, std::vector<std::string>& subFolders)
{
    bytes = 0;
    subFolders.clear();
    Entry entry;
    for (bool more = FindFirst(folder, entry); more; more = FindNext(entry)) {
        if (entry.isFolder())
            subFolders.push_back(entry.FullName);
        else if (!(entry.Attr & faSymLink))
            bytes += entry.Size;
    }
    return true;
}

bool TStandartDiskInterface::ListSizes(
    const std::string& folder, int64_t& bytes, std::vector<std::string>& subFolders)
{
    bytes = 0;
    subFolders.clear();
    const std::string host = hostPath(folder);
    std::vector<HostEntry> found;
    if (host.empty() || !listFolder(host, found, ListFacts::Basic))
        return false;
    for (const HostEntry& item : found) {
        if (item.kind == HostKind::Directory)
            subFolders.push_back(hostNameToInner(item.name));
        else if (item.kind == HostKind::Regular)
            bytes += item.size;
    }
    return true;
}

bool TStandartDiskInterface::GetFile(const std::string& innerPath, const std::string& outsidePath)
{
    const std::string from = hostPath(innerPath);
    const auto to = DriveTable::instance().toHost(outsidePath);
    return !from.empty() && to && BlockCopier().copyFile(from, *to) == CopyStatus::Ok;
}

bool TStandartDiskInterface::PutFile(const std::string& outsidePath, const std::string& innerPath)
{
    const auto from = DriveTable::instance().toHost(outsidePath);
    const std::string to = hostPath(innerPath);
    return from && !to.empty() && BlockCopier().copyFile(*from, to) == CopyStatus::Ok;
}

bool TStandartDiskInterface::DeleteFile(const std::string& path)
{
    const std::string host = hostPath(path);
    return !host.empty() && removeHostFile(host);
}

bool TStandartDiskInterface::MakeDir(const std::string& innerPath)
{
    const std::string host = hostPath(innerPath);
    return !host.empty() && makeHostFolder(host);
}

bool TStandartDiskInterface::RemoveDir(const std::string& innerPath)
{
    const std::string host = hostPath(innerPath);
    return !host.empty() && removeHostFolder(host);
}

bool TStandartDiskInterface::SkipInWalks(const std::string& folder)
{
    const std::string host = hostPath(folder);
    return host.empty() || isPseudoFileSystem(host);
}

} // namespace ov
