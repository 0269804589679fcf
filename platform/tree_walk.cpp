// The walk; see tree_walk.h.
#include "platform/tree_walk.h"

#include "platform/drives.h"
#include "platform/listing_ahead.h"

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace ov {

namespace {

std::mutex hookMutex;
std::function<void(const std::string&, std::vector<HostEntry>&)> walkHook;

} // namespace

std::string hostParentOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string hostBaseName(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

uint64_t deviceNumber(dev_t device)
{
    return (static_cast<uint64_t>(major(device)) << 32) | minor(device);
}

std::string shownChild(const std::string& shownFolder, const std::string& hostName)
{
    return shownFolder + "\\" + hostNameToInner(hostName);
}

bool walksInto(const HostEntry& entry)
{
    return entry.kind == HostKind::Directory && !(entry.attr & faSymLink);
}

void setTreeWalkHook(std::function<void(const std::string& hostFolder, std::vector<HostEntry>& entries)> hook)
{
    std::lock_guard<std::mutex> lock(hookMutex);
    walkHook = std::move(hook);
}

struct TreeWalk::Ahead {
    explicit Ahead(ListFacts facts)
        : listing(facts)
    {
    }
    ListingAhead listing;
};

// A folder waiting to be walked, or one whose contents are done.
struct TreeWalk::Step {
    std::shared_ptr<WalkFolder> folder;
    enum Kind { Walk, Leave } kind;
};

TreeWalk::TreeWalk(TreeVisitor& visitor, FileSystems fileSystems, ListFacts facts)
    : m_visitor(visitor)
    , m_fileSystems(fileSystems)
    , m_ahead(std::make_unique<Ahead>(facts))
{
}

TreeWalk::~TreeWalk() = default;

std::shared_ptr<WalkFolder> TreeWalk::openStart(const std::string& hostFolder, const std::string& shown)
{
    UniqueFd fd(::open(hostFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd)
        return nullptr;
    auto folder = std::make_shared<WalkFolder>();
    folder->fd = std::move(fd);
    folder->hostPath = hostFolder;
    folder->shown = shown;
    struct stat info { };
    if (::fstat(folder->fd.get(), &info) == 0) {
        folder->facts.kind = HostKind::Directory;
        folder->facts.attr = faDirectory;
        folder->facts.device = deviceNumber(info.st_dev);
        folder->facts.inode = info.st_ino;
        folder->facts.mode = info.st_mode;
    }
    return folder;
}

void TreeWalk::run(const std::shared_ptr<WalkFolder>& start, const HostEntry& entry, const std::string& shown)
{
    if (!walksInto(entry)) {
        m_visitor.file(*start, entry, shown);
        return;
    }
    m_device = start->facts.device;
    if (!m_visitor.found(*start, entry, shown))
        return;
    auto first = std::make_shared<WalkFolder>();
    first->parent = start;
    first->name = entry.name;
    first->hostPath = start->hostPath + (start->hostPath == "/" ? "" : "/") + entry.name;
    first->shown = shown;
    first->facts = entry;
    std::vector<Step> steps { { std::move(first), Step::Walk } };
    while (!steps.empty()) {
        Step step = std::move(steps.back());
        steps.pop_back();
        if (step.kind == Step::Leave) {
            m_visitor.leave(*step.folder);
            continue;
        }
        if (stopped())
            continue;
        walk(step.folder, steps);
    }
}

void TreeWalk::walk(const std::shared_ptr<WalkFolder>& folder, std::vector<Step>& steps)
{
    if (m_fileSystems == FileSystems::StayOnOne && folder->facts.device != m_device) {
        m_visitor.failed(folder->shown, "another filesystem is mounted here");
        return;
    }
    // Opened by name in the parent that is open already, never through a
    // link, and only when it is still the folder the listing saw.
    folder->fd.reset(::openat(
        folder->parent->fd.get(), folder->name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder->fd) {
        m_visitor.failed(folder->shown,
            errno == ELOOP || errno == ENOTDIR ? "the folder was replaced while it was walked"
                                               : "the folder cannot be listed");
        return;
    }
    struct stat info { };
    if (::fstat(folder->fd.get(), &info) != 0 || deviceNumber(info.st_dev) != folder->facts.device
        || info.st_ino != folder->facts.inode) {
        m_visitor.failed(folder->shown, "the folder was replaced while it was walked");
        return;
    }
    if (!m_visitor.enter(*folder))
        return;
    steps.push_back({ folder, Step::Leave });

    std::vector<HostEntry> entries;
    if (!m_ahead->listing.take(folder->hostPath, entries)) {
        m_visitor.failed(folder->shown, "the folder cannot be listed");
        return;
    }
    {
        std::lock_guard<std::mutex> lock(hookMutex);
        if (walkHook)
            walkHook(folder->hostPath, entries);
    }

    // The folder walked after this one is read meanwhile: its last
    // sub-folder (walked first), else the next folder waiting.
    bool requested = false;
    for (auto entry = entries.rbegin(); entry != entries.rend() && !requested; ++entry) {
        if (walksInto(*entry) && (m_fileSystems == FileSystems::Cross || entry->device == m_device)) {
            m_ahead->listing.request(folder->hostPath + "/" + entry->name);
            requested = true;
        }
    }
    for (auto step = steps.rbegin(); step != steps.rend() && !requested; ++step) {
        if (step->kind == Step::Walk) {
            m_ahead->listing.request(step->folder->hostPath);
            requested = true;
        }
    }

    std::vector<std::shared_ptr<WalkFolder>> found;
    for (HostEntry& entry : entries) {
        if (stopped())
            break;
        const std::string shown = shownChild(folder->shown, entry.name);
        if (!walksInto(entry)) {
            m_visitor.file(*folder, entry, shown);
            continue;
        }
        if (!m_visitor.found(*folder, entry, shown))
            continue;
        auto child = std::make_shared<WalkFolder>();
        child->parent = folder;
        child->name = entry.name;
        child->hostPath = folder->hostPath + "/" + entry.name;
        child->shown = shown;
        child->facts = std::move(entry);
        found.push_back(std::move(child));
    }
    for (auto& child : found)
        steps.push_back({ std::move(child), Step::Walk });
}

} // namespace ov
