// TBrowser: reading, sorting, moving through and measuring a folder.
#include "panel/browser.h"

#include "panel/mask.h"
#include "platform/drives.h"
#include "platform/process_messages.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace ov {

namespace {

TBrowser::DiskFactory& archiveFactory()
{
    static TBrowser::DiskFactory factory;
    return factory;
}

// Appends text cut or filled with spaces to n bytes, upper-cased (a..z only).
void appendPadded(std::string& key, const std::string& text, std::size_t n)
{
    const std::size_t used = std::min(text.size(), n);
    for (std::size_t i = 0; i < used; ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
        key += c;
    }
    key.append(n - used, ' ');
}

// Appends the decimal digits of value cut to their first n or filled with
// zeros at the left to n.
void appendZeroPadded(std::string& key, int64_t value, std::size_t n)
{
    char digits[24];
    const int length
        = std::snprintf(digits, sizeof digits, "%lld", static_cast<long long>(value < 0 ? 0 : value));
    const std::size_t size = static_cast<std::size_t>(length);
    if (size >= n)
        key.append(digits, n);
    else {
        key.append(n - size, '0');
        key.append(digits, size);
    }
}

bool sameNameIgnoringCase(const std::string& a, const std::string& b)
{
    return upperAscii(a) == upperAscii(b);
}

// Sizes are 64-bit; the size key keeps them in order up to a petabyte.
constexpr int64_t sizeKeyCeiling = 999999999999999LL;

} // namespace

TBrowser::TBrowser() = default;

TBrowser::~TBrowser()
{
    // Unlink the stack from the top down so no destructor recurses deeply.
    while (m_top) {
        std::unique_ptr<TDiskInterface> below = std::move(m_top->Below);
        m_top = std::move(below);
    }
}

void TBrowser::setArchiveDiskFactory(DiskFactory factory)
{
    archiveFactory() = std::move(factory);
}

namespace {

TBrowser::MemberTaker& memberTaker()
{
    static TBrowser::MemberTaker taker;
    return taker;
}

} // namespace

void TBrowser::setMemberTaker(MemberTaker taker)
{
    memberTaker() = std::move(taker);
}

std::string TBrowser::LocalPath(int index)
{
    if (index < 1 || index > Count)
        return std::string();
    const Entry& entry = Entries[static_cast<std::size_t>(index - 1)];
    if (DiskKind != DiskKind::Archive || entry.isFolder() || entry.IsParent)
        return CurrentFolder() + entry.FullName;
    return memberTaker() ? memberTaker()(*this, index) : std::string();
}

bool TBrowser::MatchMask(std::string_view name, std::string_view masks)
{
    return ov::MatchMask(name, masks);
}

bool TBrowser::AtRoot() const
{
    return Folder.empty() && (!Disk || !Disk->Below);
}

std::string TBrowser::BuildSortKey(
    const Entry& entry, int sortMode, bool dirsFirst, bool execFirst, int readingNumber)
{
    std::string key;
    key.reserve(128);
    if (entry.isFolder()) {
        key += dirsFirst ? '\x20' : '\x40';
    } else if (execFirst) {
        const std::string ext = upperAscii(entry.Ext);
        key += (ext == "EXE" || ext == "COM" || ext == "BAT") ? '\x21' : '\x40';
    } else {
        key += '\x40';
    }
    const TSystemTime* time = nullptr;
    switch (sortMode) {
    case srName:
        appendPadded(key, entry.Name, 32);
        appendPadded(key, entry.Ext, 30);
        break;
    case srExt:
        appendPadded(key, entry.Ext, 30);
        appendPadded(key, entry.Name, 32);
        break;
    case srSize:
        appendZeroPadded(key, sizeKeyCeiling - std::clamp<int64_t>(entry.Size, 0, sizeKeyCeiling), 15);
        appendPadded(key, entry.Name, 30);
        appendPadded(key, entry.Ext, 20);
        break;
    case srDate:
        time = &entry.Created;
        break;
    case srAccessed:
        time = &entry.Accessed;
        break;
    case srWritten:
        time = &entry.Written;
        break;
    default:
        appendZeroPadded(key, readingNumber, 10);
        break;
    }
    if (time) {
        appendZeroPadded(key, 9999 - std::min<int>(time->wYear, 9999), 4);
        appendZeroPadded(key, 99 - time->wMonth, 2);
        appendZeroPadded(key, 99 - time->wDay, 2);
        appendZeroPadded(key, 99 - time->wHour, 2);
        appendZeroPadded(key, 99 - time->wMinute, 2);
        appendZeroPadded(key, 99 - time->wSecond, 2);
        appendPadded(key, entry.Name, 20);
        appendPadded(key, entry.Ext, 20);
    }
    if (key.size() > 128)
        key.resize(128);
    return key;
}

bool TBrowser::ReadDir()
{
    if (Busy)
        return false;
    ++m_generation;
    Entries.clear();
    Count = 0;
    SelCount = 0;
    SelBytes = 0;
    const bool filtered = !Mask.empty() && Mask != "*.*";
    std::vector<Entry> read;
    if (!AtRoot()) {
        Entry parent;
        parent.Name = "..";
        parent.FullName = "..";
        parent.Attr = faDirectory;
        parent.IsParent = true;
        read.push_back(std::move(parent));
    }
    const std::size_t firstReal = read.size();
    if (Disk) {
        Entry entry;
        for (bool more = Disk->FindFirst(Folder, entry); more; more = Disk->FindNext(entry)) {
            if (filtered && !entry.isFolder() && !ov::MatchMask(entry.FullName, Mask))
                continue;
            if ((entry.Attr & faHidden) && !ShowHidden)
                continue;
            entry.SortKey
                = BuildSortKey(entry, SortMode, DirsFirst, ExecFirst, static_cast<int>(read.size()) + 1);
            read.push_back(std::move(entry));
            entry = Entry();
        }
    }
    // Entries were chained in front of each other as they were read: the
    // array starts in reverse reading order. Keys decide; equal keys (names
    // that differ beyond the key's width) fall back to the full name, so the
    // order is the same on every read.
    std::reverse(read.begin() + static_cast<std::ptrdiff_t>(firstReal), read.end());
    if (read.size() > 1) {
        std::sort(read.begin(), read.end(), [](const Entry& a, const Entry& b) {
            if (a.IsParent != b.IsParent)
                return a.IsParent;
            const int byKey = a.SortKey.compare(b.SortKey);
            if (byKey != 0)
                return byKey < 0;
            return a.FullName < b.FullName;
        });
    }
    Entries = std::move(read);
    Count = static_cast<int>(Entries.size());
    CurIndex = Count > 0 ? 1 : 0;
    return true;
}

void TBrowser::OpenDisk(const std::string& root, ov::DiskKind kind, const std::string& folder)
{
    if (Busy)
        return;
    while (PopDisk()) { }
    PushDisk(root, kind, folder);
}

void TBrowser::PushDisk(const std::string& root, ov::DiskKind kind, const std::string& folder)
{
    if (Busy)
        return;
    std::unique_ptr<TDiskInterface> disk;
    if (kind == ov::DiskKind::Archive) {
        if (!archiveFactory())
            return;
        // The archive is read here, letting messages through: keys that
        // arrive meanwhile must not push a second disk or re-read the list.
        Busy = true;
        disk = archiveFactory()(root);
        Busy = false;
        if (!disk)
            return;
    } else {
        disk = std::make_unique<TStandartDiskInterface>(root);
    }
    disk->Kind = kind;
    if (m_top)
        m_top->SavedFolder = Folder;
    disk->Below = std::move(m_top);
    m_top = std::move(disk);
    Disk = m_top.get();
    DiskRoot = Disk->Root;
    Folder = folder;
    DiskKind = kind;
    ReadDir();
}

void TBrowser::TakeListFrom(TBrowser& other)
{
    ++m_generation;
    m_top = std::move(other.m_top);
    Disk = std::exchange(other.Disk, nullptr);
    Entries = std::move(other.Entries);
    other.Entries.clear();
    Count = std::exchange(other.Count, 0);
    CurIndex = std::exchange(other.CurIndex, 0);
    SelCount = std::exchange(other.SelCount, 0);
    SelBytes = std::exchange(other.SelBytes, 0);
    Folder = std::move(other.Folder);
    DiskRoot = std::move(other.DiskRoot);
    DiskKind = std::exchange(other.DiskKind, ov::DiskKind::Standard);
    other.Folder.clear();
    other.DiskRoot.clear();
}

bool TBrowser::PopDisk()
{
    if (!m_top || Busy)
        return false;
    std::unique_ptr<TDiskInterface> below = std::move(m_top->Below);
    m_top = std::move(below);
    Disk = m_top.get();
    if (Disk) {
        DiskRoot = Disk->Root;
        Folder = Disk->SavedFolder;
        DiskKind = Disk->Kind;
    } else {
        Folder.clear();
        DiskRoot.clear();
    }
    return true;
}

bool TBrowser::EnterFolder(int index)
{
    if (index < 1 || index > Count || !Entries[static_cast<std::size_t>(index - 1)].isFolder() || Busy)
        return false;
    const Entry& entry = Entries[static_cast<std::size_t>(index - 1)];
    if (entry.IsParent)
        return GoUp();
    Folder += entry.FullName + "\\";
    ReadDir();
    return true;
}

bool TBrowser::GoUp()
{
    if (Busy)
        return false;
    if (!Folder.empty()) {
        std::string rest = Folder.substr(0, Folder.size() - 1);
        const auto slash = rest.find_last_of('\\');
        const std::string removed = slash == std::string::npos ? rest : rest.substr(slash + 1);
        Folder = slash == std::string::npos ? std::string() : rest.substr(0, slash + 1);
        ReadDir();
        // The exact name first: on this file system "A" and "a" may both exist.
        int found = 0;
        for (int i = 1; i <= Count && !found; ++i)
            if (Entries[static_cast<std::size_t>(i - 1)].FullName == removed)
                found = i;
        for (int i = 1; i <= Count && !found; ++i)
            if (sameNameIgnoringCase(Entries[static_cast<std::size_t>(i - 1)].FullName, removed))
                found = i;
        if (found)
            CurIndex = found;
        return true;
    }
    if (Disk && Disk->Below) {
        const std::string remembered = Disk->Kind == DiskKind::Archive ? Disk->Root : std::string();
        PopDisk();
        ReadDir();
        for (int i = 1; i <= Count; ++i)
            if (!remembered.empty()
                && DiskRoot + Folder + Entries[static_cast<std::size_t>(i - 1)].FullName == remembered) {
                CurIndex = i;
                break;
            }
        return true;
    }
    return false;
}

bool TBrowser::Refresh()
{
    if (Busy)
        return false;
    const std::string current = (CurIndex >= 1 && CurIndex <= Count)
        ? Entries[static_cast<std::size_t>(CurIndex - 1)].FullName
        : std::string("..");
    ReadDir();
    for (int i = Count; i >= 1; --i)
        if (Entries[static_cast<std::size_t>(i - 1)].FullName == current) {
            CurIndex = i;
            break;
        }
    return true;
}

std::string TBrowser::NameAt(int index) const
{
    if (index < 1 || index > Count)
        return std::string();
    return Entries[static_cast<std::size_t>(index - 1)].FullName;
}

void TBrowser::EntryAt(int index, Entry& entry) const
{
    if (index >= 1 && index <= Count)
        entry = Entries[static_cast<std::size_t>(index - 1)];
}

bool TBrowser::IsFolder(int index) const
{
    return index >= 1 && index <= Count && Entries[static_cast<std::size_t>(index - 1)].isFolder();
}

bool TBrowser::IsSelected(int index) const
{
    return index >= 1 && index <= Count && Entries[static_cast<std::size_t>(index - 1)].Selected;
}

void TBrowser::ToggleSelect(int index)
{
    if (index < 1 || index > Count)
        return;
    Entry& entry = Entries[static_cast<std::size_t>(index - 1)];
    if (entry.IsParent)
        return;
    entry.Selected = !entry.Selected;
    if (entry.Selected) {
        SelBytes += entry.Size;
        ++SelCount;
    } else {
        SelBytes -= entry.Size;
        --SelCount;
    }
}

int64_t TBrowser::FolderSize(const std::string& folder)
{
    if (!Disk)
        return 0;
    int64_t total = 0;
    // Depth first over an explicit stack; sub-folders are measured after the
    // folder's own files, and messages get through after each of them.
    std::vector<std::string> pending { folder };
    while (!pending.empty() && !m_stopRequested) {
        const std::string current = std::move(pending.back());
        pending.pop_back();
        if (current != folder && Disk->SkipInWalks(current))
            continue;
        int64_t bytes = 0;
        std::vector<std::string> subFolders;
        Disk->ListSizes(current, bytes, subFolders);
        total += bytes;
        for (auto name = subFolders.rbegin(); name != subFolders.rend(); ++name)
            pending.push_back(current + *name + "\\");
        processMessages();
    }
    return total;
}

bool TBrowser::MeasureFolder(int index)
{
    if (index < 1 || index > Count || Busy || !Disk)
        return false;
    if (!Entries[static_cast<std::size_t>(index - 1)].isFolder())
        return false;
    // A link to a folder is measured as the link itself: 0 bytes, never
    // the folder it leads to (which may be anywhere, or hold the link).
    if (Entries[static_cast<std::size_t>(index - 1)].Attr & faSymLink) {
        Entry& link = Entries[static_cast<std::size_t>(index - 1)];
        if (link.Selected)
            SelBytes -= link.Size;
        link.Size = 0;
        link.Measured = true;
        return true;
    }
    const bool parent = Entries[static_cast<std::size_t>(index - 1)].IsParent;
    const std::string folder
        = parent ? Folder : Folder + Entries[static_cast<std::size_t>(index - 1)].FullName + "\\";
    const uint64_t generation = m_generation;
    Busy = true;
    m_stopRequested = false;
    const int64_t size = FolderSize(folder);
    Busy = false;
    m_stopRequested = false;
    // Another part of the program may have re-read the list meanwhile (it is
    // refused while Busy, but a disk change can still replace it): write
    // only into the list the walk started on.
    if (generation != m_generation || index > Count)
        return false;
    Entry& entry = Entries[static_cast<std::size_t>(index - 1)];
    if (entry.Selected)
        SelBytes += size - entry.Size;
    entry.Size = size;
    entry.Measured = true;
    return true;
}

int64_t TBrowser::SelectedSize()
{
    if (SelCount > 0) {
        for (int i = 1; i <= Count; ++i)
            if (Entries[static_cast<std::size_t>(i - 1)].Selected && IsFolder(i))
                MeasureFolder(i);
        int64_t total = 0;
        for (const Entry& entry : Entries)
            if (entry.Selected)
                total += entry.Size;
        return total;
    }
    if (CurIndex < 1 || CurIndex > Count)
        return 0;
    if (IsFolder(CurIndex))
        MeasureFolder(CurIndex);
    return Entries[static_cast<std::size_t>(CurIndex - 1)].Size;
}

void TBrowser::FindNextMatch(const std::string& masks)
{
    if (Count == 0)
        return;
    for (int step = 1; step <= Count; ++step) {
        const int index = (CurIndex - 1 + step) % Count + 1;
        if (ov::MatchMask(Entries[static_cast<std::size_t>(index - 1)].FullName, masks)) {
            CurIndex = index;
            return;
        }
    }
}

void TBrowser::Stop()
{
    m_stopRequested = true;
    Busy = false;
}

} // namespace ov
