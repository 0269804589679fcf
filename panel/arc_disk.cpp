// The archive disk; see arc_disk.h.
#include "panel/arc_disk.h"

#include "archive/archive_lister.h"
#include "archive/extract/extractor_for.h"
#include "archive/messages.h"
#include "archive/names.h"
#include "panel/browser.h"
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/private_cache.h"
#include "platform/process_messages.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace ov {

namespace {

constexpr uint16_t shownDosBits = faReadOnly | faHidden | 0x04 | faArchive;

TSystemTime systemTime(double value)
{
    const CivilTime civil = decodeDateTime(value);
    TSystemTime time;
    time.wYear = static_cast<uint16_t>(civil.year);
    time.wMonth = static_cast<uint16_t>(civil.month);
    time.wDay = static_cast<uint16_t>(civil.day);
    time.wHour = static_cast<uint16_t>(civil.hour);
    time.wMinute = static_cast<uint16_t>(civil.minute);
    time.wSecond = static_cast<uint16_t>(civil.second);
    // 30 December 1899 was a Saturday.
    const auto days = static_cast<int64_t>(value < 0 ? value - 1 : value);
    time.wDayOfWeek = static_cast<uint16_t>(((days + 6) % 7 + 7) % 7);
    return time;
}

// Clears the disk's running flag however the run ends.
class RunningFlag {
public:
    explicit RunningFlag(bool& flag)
        : m_flag(flag)
    {
        m_flag = true;
    }
    ~RunningFlag() { m_flag = false; }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;

private:
    bool& m_flag;
};

} // namespace

std::string archiveErrorText(const std::string& fileName, int32_t code)
{
    if (code < 25100 || code > 26999)
        return std::string();
    return archiveMessageBlock(fileName, code);
}

bool splitMemberPath(const std::string& stored, std::vector<std::string>& parts)
{
    parts.clear();
    const std::string_view name = withoutDrive(stored);
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find_first_of("\\/", start);
        if (end == std::string_view::npos)
            end = name.size();
        const std::string_view part = name.substr(start, end - start);
        if (part == "..") {
            parts.clear();
            return false;
        }
        if (!part.empty() && part != ".")
            parts.emplace_back(part);
        start = end + 1;
    }
    return true;
}

TARCDiskInterface::TARCDiskInterface(const std::string& archivePath, const std::string& hostPath)
    : m_hostPath(hostPath)
{
    Root = archivePath;
    Kind = DiskKind::Archive;
    if (m_hostPath.empty())
        m_hostPath = DriveTable::instance().toHost(archivePath).value_or(std::string());
    m_folders.emplace_back();
}

TARCDiskInterface::~TARCDiskInterface() = default;

std::string TARCDiskInterface::childKey(uint32_t parent, const std::string& name)
{
    std::string key(sizeof parent, '\0');
    std::memcpy(key.data(), &parent, sizeof parent);
    key += name;
    return key;
}

void TARCDiskInterface::Read()
{
    if (m_read || m_running)
        return;
    m_read = true;
    if (m_hostPath.empty())
        return;
    std::shared_ptr<FileStore> store = Store ? Store : hostFileStore();
    if (!store->exists(m_hostPath))
        return;
    RunningFlag running(m_running);
    TArchiveLister lister;
    lister.SetFileStore(store);
    lister.SetFileSpec("*.*");
    lister.SetZipCmntBufSize(2000);
    lister.ShowBlankDirs = true;
    lister.ProcessMessages = ProcessMessages;
    lister.OnError = [this](TArchiveCommon&, const std::string& fn, const std::string& msgEx,
                         const std::string&, int32_t code) {
        if (OnError)
            OnError(*this, fn, msgEx, code);
    };
    lister.OnRead = [this](TArchiveLister& l, int64_t, int32_t) {
        const bool nameSaysFolder
            = !l.FileName.empty() && (l.FileName.back() == '\\' || l.FileName.back() == '/');
        bool folder = nameSaysFolder;
        uint16_t attr = 0;
        if (l.UnixMode) {
            // Permission bits are no DOS attributes: only the file type and
            // the owner's write bit mean something here.
            folder = folder || (*l.UnixMode & 0170000) == 0040000;
            if (!(*l.UnixMode & 0200))
                attr |= faReadOnly;
        } else {
            folder = folder || (l.ExternalAttr & faDirectory);
            attr = l.ExternalAttr & shownDosBits;
        }
        addMember(l.FileName, folder, folder ? 0 : l.UnpackedSize, l.FileDate, attr);
    };
    lister.SetArchiveFile(m_hostPath);
    m_arcType = lister.ArcType();
    lister.Activate();
    m_arcType = lister.ArcType();
    if (!m_invalidNames.empty() && OnError) {
        std::string names;
        for (const std::string& name : m_invalidNames)
            names += (names.empty() ? "" : "\r") + name;
        OnError(*this, names, "0", msgInvalidFileName);
    }
}

void TARCDiskInterface::addMember(
    const std::string& stored, bool folder, int64_t size, double date, uint16_t attr)
{
    std::vector<std::string> parts;
    if (!splitMemberPath(stored, parts)) {
        m_invalidNames.push_back(stored);
        return;
    }
    if (parts.empty()) {
        // The top folder itself ("./", "/"); a file without a name is no file.
        if (!folder)
            m_invalidNames.push_back(stored);
        return;
    }
    uint32_t parent = 0;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i)
        parent = childFolder(parent, parts[i], date);
    const std::string& name = parts.back();
    if (name[0] == '.')
        attr |= faHidden;
    if (folder) {
        // A stored folder gives its record the stored facts; it is listed
        // once however often it is stored and whether its members came first.
        const auto known = m_children.find(childKey(parent, name));
        if (known != m_children.end()) {
            const int32_t index = m_folders[known->second].record;
            Record& record = m_records[static_cast<std::size_t>(index)];
            if (record.stored.empty()) {
                record.stored = stored;
                record.date = date;
                record.attr = static_cast<uint16_t>(attr | faDirectory);
            }
            return;
        }
        const uint32_t made = childFolder(parent, name, date);
        Record& record = m_records[static_cast<std::size_t>(m_folders[made].record)];
        record.stored = stored;
        record.attr = static_cast<uint16_t>(attr | faDirectory);
        return;
    }
    Record record;
    record.name = name;
    record.stored = stored;
    record.size = size;
    record.date = date;
    record.attr = static_cast<uint16_t>(attr & ~faDirectory);
    m_folders[parent].records.push_back(static_cast<uint32_t>(m_records.size()));
    m_records.push_back(std::move(record));
}

uint32_t TARCDiskInterface::childFolder(uint32_t parent, const std::string& name, double date)
{
    const auto [found, added] = m_children.try_emplace(childKey(parent, name), 0);
    if (!added)
        return found->second;
    const auto made = static_cast<uint32_t>(m_folders.size());
    found->second = made;
    Record record;
    record.name = name;
    record.date = date;
    record.attr = faDirectory | (name[0] == '.' ? faHidden : 0);
    Folder folder;
    folder.record = static_cast<int32_t>(m_records.size());
    m_folders[parent].records.push_back(static_cast<uint32_t>(m_records.size()));
    m_records.push_back(std::move(record));
    m_folders.push_back(std::move(folder));
    return made;
}

int64_t TARCDiskInterface::folderAt(const std::string& path) const
{
    std::vector<std::string> parts;
    if (!splitMemberPath(path, parts))
        return -1;
    uint32_t folder = 0;
    for (const std::string& part : parts) {
        const auto found = m_children.find(childKey(folder, part));
        if (found == m_children.end())
            return -1;
        folder = found->second;
    }
    return folder;
}

int64_t TARCDiskInterface::recordAt(const std::string& path) const
{
    std::vector<std::string> parts;
    if (!splitMemberPath(path, parts) || parts.empty())
        return -1;
    const std::string name = parts.back();
    std::string folderPath;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i)
        folderPath += parts[i] + "\\";
    const int64_t folder = folderAt(folderPath);
    if (folder < 0)
        return -1;
    // A file first: a folder of the same name is reached by its own path.
    int64_t found = -1;
    for (const uint32_t index : m_folders[static_cast<std::size_t>(folder)].records) {
        const Record& record = m_records[index];
        if (record.name != name)
            continue;
        if (!(record.attr & faDirectory))
            return index;
        found = index;
    }
    return found;
}

void TARCDiskInterface::fill(const Record& record, Entry& entry) const
{
    splitName(record.name, entry);
    entry.Size = record.size;
    entry.Created = entry.Accessed = entry.Written = systemTime(record.date);
    entry.Attr = record.attr;
    entry.Selected = false;
    entry.IsParent = false;
    entry.Measured = false;
    entry.SortKey.clear();
}

bool TARCDiskInterface::FindFirst(const std::string& folder, Entry& entry)
{
    m_scan = nullptr;
    m_scanIndex = 0;
    const int64_t found = folderAt(folder);
    if (found < 0)
        return false;
    m_scan = &m_folders[static_cast<std::size_t>(found)];
    return FindNext(entry);
}

bool TARCDiskInterface::FindNext(Entry& entry)
{
    if (!m_scan || m_scanIndex >= m_scan->records.size()) {
        m_scan = nullptr;
        return false;
    }
    fill(m_records[m_scan->records[m_scanIndex++]], entry);
    return true;
}

bool TARCDiskInterface::ListSizes(
    const std::string& folder, int64_t& bytes, std::vector<std::string>& subFolders)
{
    bytes = 0;
    subFolders.clear();
    const int64_t found = folderAt(folder);
    if (found < 0)
        return false;
    for (const uint32_t index : m_folders[static_cast<std::size_t>(found)].records) {
        const Record& record = m_records[index];
        if (record.attr & faDirectory)
            subFolders.push_back(record.name);
        else
            bytes += record.size;
    }
    return true;
}

std::string TARCDiskInterface::TakeOut(
    const std::string& innerPath, const std::string& folder, const std::function<bool(int percent)>& step)
{
    if (m_running || folder.empty())
        return std::string();
    const int64_t index = recordAt(innerPath);
    if (index < 0 || (m_records[static_cast<std::size_t>(index)].attr & faDirectory))
        return std::string();
    const Record& record = m_records[static_cast<std::size_t>(index)];
    std::unique_ptr<TExtractorBase> extractor = extractorFor(m_arcType);
    if (!extractor) {
        if (OnError)
            OnError(*this, m_hostPath, "0", msgUnsupportedArchiveType);
        return std::string();
    }
    // A folder of its own per member taken out: two members of one name, or
    // one taken out twice while a viewer still shows the first copy, never meet.
    static std::atomic<uint64_t> counter { 0 };
    namespace fs = std::filesystem;
    const std::string target = folder + "/m" + std::to_string(++counter);
    std::error_code error;
    fs::create_directories(target, error);
    if (error)
        return std::string();
    RunningFlag running(m_running);
    int percent = 0;
    bool stopped = false;
    TExtractorBase& x = *extractor;
    extractor->ProcessMessages = [this, &step, &percent, &stopped, &x] {
        if (ProcessMessages)
            ProcessMessages();
        if (step && !stopped && step(percent)) {
            stopped = true;
            x.Cancel(true);
        }
    };
    extractor->OnProgress
        = [&percent](TExtractorBase&, const std::string&, uint8_t progress) { percent = progress; };
    extractor->OnError = [this](TArchiveCommon&, const std::string& fn, const std::string& msgEx,
                             const std::string&, int32_t code) {
        if (OnError)
            OnError(*this, fn, msgEx, code);
    };
    extractor->SetArchiveFile(m_hostPath);
    extractor->SetFileSpec(record.stored);
    extractor->SetExtractDir(target);
    extractor->SetUseStoredDirs(true);
    extractor->Extract();
    // The copy lands where the extractor puts the stored name: under the
    // same cleaned-up path the disk shows.
    std::vector<std::string> parts;
    splitMemberPath(record.stored, parts);
    std::string copy = target;
    for (const std::string& part : parts)
        copy += "/" + part;
    if (stopped || !fs::is_regular_file(fs::symlink_status(copy, error))) {
        fs::remove_all(target, error);
        return std::string();
    }
    return copy;
}

bool TARCDiskInterface::GetFile(const std::string& innerPath, const std::string& outsidePath)
{
    const auto to = DriveTable::instance().toHost(outsidePath);
    const std::string cache = privateCacheFolder();
    if (!to || cache.empty())
        return false;
    const std::string copy = TakeOut(innerPath, cache);
    if (copy.empty())
        return false;
    namespace fs = std::filesystem;
    std::error_code error;
    fs::rename(copy, *to, error);
    if (error) {
        // Another file system: copy the bytes.
        error.clear();
        fs::copy_file(copy, *to, fs::copy_options::overwrite_existing, error);
    }
    std::error_code ignored;
    fs::remove_all(fs::path(copy).parent_path(), ignored);
    return !error;
}

bool TARCDiskInterface::PutFile(const std::string&, const std::string&)
{
    return false;
}

bool TARCDiskInterface::DeleteFile(const std::string&)
{
    return false;
}

bool TARCDiskInterface::MakeDir(const std::string&)
{
    return false;
}

bool TARCDiskInterface::RemoveDir(const std::string&)
{
    return false;
}

void installArchiveDisk(ArchiveDiskReport report)
{
    TBrowser::setArchiveDiskFactory([report](const std::string& root) -> std::unique_ptr<TDiskInterface> {
        auto disk = std::make_unique<TARCDiskInterface>(root);
        disk->ProcessMessages = [] { processMessages(); };
        if (report)
            disk->OnError = [report](TARCDiskInterface&, const std::string& fn, const std::string& msgEx,
                                int32_t code) { report(fn, msgEx, code); };
        disk->Read();
        return disk;
    });
    TBrowser::setMemberTaker(takeOutMember);
}

void installArchiveDiskForPanels()
{
    removeStalePrivateCacheFolders();
    installArchiveDisk([](const std::string& fn, const std::string&, int32_t code) {
        const std::string text = archiveErrorText(fn, code);
        if (!text.empty())
            messageBox(text, "Orvanta", Buttons::Ok, Icon::Information);
    });
    static bool registered = false;
    if (!registered) {
        registered = true;
        std::atexit([] { removePrivateCacheFolder(); });
    }
}

namespace {

TakeOutProgressFactory& takeOutProgress()
{
    static TakeOutProgressFactory factory;
    return factory;
}

} // namespace

void setTakeOutProgress(TakeOutProgressFactory factory)
{
    takeOutProgress() = std::move(factory);
}

std::string takeOutMember(TBrowser& list, int index)
{
    auto* disk = dynamic_cast<TARCDiskInterface*>(list.Disk);
    if (!disk || list.Busy || index < 1 || index > list.Count)
        return std::string();
    const Entry& entry = list.Entries[static_cast<std::size_t>(index - 1)];
    if (entry.IsParent || entry.isFolder())
        return std::string();
    const std::string inner = list.Folder + entry.FullName;
    const std::string cache = privateCacheFolder();
    if (cache.empty())
        return std::string();
    std::unique_ptr<TakeOutProgress> progress = takeOutProgress() ? takeOutProgress()() : nullptr;
    const std::string shown = list.CurrentFolder() + entry.FullName;
    std::function<bool(int)> step;
    if (progress)
        step = [&progress, &shown](int percent) { return progress->step(shown, percent); };
    list.Busy = true;
    const std::string copy = disk->TakeOut(inner, cache, step);
    list.Busy = false;
    progress.reset();
    if (copy.empty())
        return std::string();
    return DriveTable::instance().fromHost(copy).value_or(std::string());
}

} // namespace ov
