// The standard disk over the drive table; see disk_interface.h.
#include "panel/disk_interface.h"

#include "platform/drives.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    Kind = 0;
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

namespace {

// Copies one regular file; the target is written under a temporary name and
// renamed into place only when every byte arrived.
bool copyHostFile(const std::string& from, const std::string& to)
{
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (in < 0)
        return false;
    struct stat info {};
    if (::fstat(in, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(in);
        return false;
    }
    std::string temporary = to + ".ovtmp.XXXXXX";
    const int out = ::mkstemp(temporary.data());
    if (out < 0) {
        ::close(in);
        return false;
    }
    char buffer[1 << 16];
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0)
            break;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out, buffer + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                ok = false;
                break;
            }
            done += w;
        }
        if (!ok)
            break;
    }
    ::fchmod(out, info.st_mode & 07777);
    const timespec times[2] = { info.st_atim, info.st_mtim };
    ::futimens(out, times);
    ok = ::close(out) == 0 && ok;
    ::close(in);
    if (ok)
        ok = ::rename(temporary.c_str(), to.c_str()) == 0;
    if (!ok)
        ::unlink(temporary.c_str());
    return ok;
}

} // namespace

bool TStandartDiskInterface::GetFile(const std::string& innerPath, const std::string& outsidePath)
{
    const std::string from = hostPath(innerPath);
    const auto to = DriveTable::instance().toHost(outsidePath);
    return !from.empty() && to && copyHostFile(from, *to);
}

bool TStandartDiskInterface::PutFile(const std::string& outsidePath, const std::string& innerPath)
{
    const auto from = DriveTable::instance().toHost(outsidePath);
    const std::string to = hostPath(innerPath);
    return from && !to.empty() && copyHostFile(*from, to);
}

bool TStandartDiskInterface::DeleteFile(const std::string& path)
{
    const std::string host = hostPath(path);
    return !host.empty() && ::unlink(host.c_str()) == 0;
}

bool TStandartDiskInterface::MakeDir(const std::string& innerPath)
{
    const std::string host = hostPath(innerPath);
    return !host.empty() && ::mkdir(host.c_str(), 0777) == 0;
}

bool TStandartDiskInterface::RemoveDir(const std::string& innerPath)
{
    const std::string host = hostPath(innerPath);
    return !host.empty() && ::rmdir(host.c_str()) == 0;
}

bool TStandartDiskInterface::SkipInWalks(const std::string& folder)
{
    const std::string host = hostPath(folder);
    return host.empty() || isPseudoFileSystem(host);
}

} // namespace ov
