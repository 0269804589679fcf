#include "setup/installer.h"

#include "setup/desktop_entry.h"

#include "archive/extract/zip_extractor.h"
#include "archive/messages.h"
#include "platform/copy_rules.h"
#include "platform/file_system.h"
#include "platform/folder_fd.h"
#include "platform/folders.h"
#include "platform/host_file.h"
#include "platform/host_tree.h"
#include "platform/ini_file.h"
#include "platform/process_facts.h"

#include <QSettings>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <vector>

namespace ov {

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string withoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string parentOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

bool exists(const std::string& hostPath, HostEntry& facts)
{
    return statPath(hostPath, facts);
}

bool isFolder(const std::string& hostPath)
{
    HostEntry facts;
    return statPath(hostPath, facts) && facts.kind == HostKind::Directory;
}

// The record of the installed folder: the registry on Windows, here
// $XDG_CONFIG_HOME/Orvanta.conf.
std::unique_ptr<QSettings> installRecord()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, "Orvanta");
}

} // namespace

TargetCheck checkTarget(const std::string& target, const std::string& recorded)
{
    TargetCheck check;
    check.folder = withoutTrailingSlashes(target);
    const std::string& folder = check.folder;
    auto problem = [&check](TargetProblem kind, const std::string& message) {
        check.problem = kind;
        check.message = message;
        return check;
    };
    if (folder.empty())
        return problem(TargetProblem::Empty, "Please enter the folder to install Orvanta into.");
    for (const unsigned char c : folder)
        if (c < 0x20 || c == 0x7F)
            return problem(TargetProblem::BadName, "The folder name holds a control character.");
    if (folder[0] != '/')
        return problem(TargetProblem::Relative, "The folder " + folder + " is not an absolute path.");
    if (folder == "/")
        return problem(TargetProblem::Root, "Orvanta cannot be installed into the root folder.");
    HostEntry facts;
    if (exists(folder, facts)) {
        // A link to a folder is the user's own choice of folder.
        if (facts.kind != HostKind::Directory && !isExistingFolder(folder))
            return problem(TargetProblem::NotAFolder, folder + " exists and is not a folder.");
    } else if (!isFolder(parentOf(folder))) {
        return problem(TargetProblem::NoParent,
            "The folder " + parentOf(folder)
                + " does not exist. Only the last folder of the path is created.");
    } else {
        return check;
    }
    std::vector<HostEntry> entries;
    listFolder(folder, entries, ListFacts::Basic);
    if (entries.empty() || folder == withoutTrailingSlashes(recorded))
        return check;
    for (const HostEntry& entry : entries)
        if (entry.name == "ov" || entry.name == StagingFolderName)
            return check;
    return problem(TargetProblem::Foreign,
        "The folder " + folder + " is not empty and holds no earlier installation of Orvanta.");
}

std::string dataHome()
{
    std::string home = environment("XDG_DATA_HOME");
    if (home.empty() || home[0] != '/')
        home = environment("HOME") + "/.local/share";
    return withoutTrailingSlashes(home);
}

std::string recordedInstallPath()
{
    return installRecord()->value("Install_Path").toString().toStdString();
}

std::string presetFolder()
{
    const std::string recorded = recordedInstallPath();
    if (!recorded.empty())
        return recorded;
    return runningAsSuperuser() ? std::string("/opt/orvanta") : dataHome() + "/orvanta";
}

bool writeInstallRecords(const std::string& target, std::string& error)
{
    const std::unique_ptr<QSettings> record = installRecord();
    record->setValue("Install_Path", QString::fromStdString(target));
    record->sync();
    if (record->status() != QSettings::NoError) {
        error = "Cannot record the folder in " + record->fileName().toStdString();
        return false;
    }
    IniFile ini(windowsFolder() + "/ov.ini");
    if (!ini.writeString("MainForm", "Path", target)) {
        error = "Cannot write " + ini.path();
        return false;
    }
    return true;
}

std::string shortcutFolder()
{
    return dataHome() + "/applications/orvanta";
}

bool writeShortcuts(const std::string& target, std::string& error)
{
    // Every missing level is made, the data folder included (a new user has
    // no ~/.local/share yet).
    const std::string folder = shortcutFolder();
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string level = folder.substr(0, slash);
        if (!isFolder(level) && !makeHostFolder(level) && errno != EEXIST) {
            error = "Cannot create the folder " + level + ": " + std::strerror(errno);
            return false;
        }
        if (slash == std::string::npos)
            break;
    }
    struct Shortcut {
        const char* file;
        const char* name;
        const char* comment;
        std::vector<std::string> exec;
        const char* categories;
    };
    const Shortcut shortcuts[] = {
        { "orvanta.desktop", "Orvanta", "Two-panel file manager", { target + "/ov" },
            "System;FileTools;FileManager;" },
        { "readme.desktop", "Readme", "Read about Orvanta", { "xdg-open", target + "/readme.txt" }, "" },
        { "hot-news.desktop", "Hot news", "News about Orvanta", { target + "/ov_news" }, "Network;" },
    };
    for (const Shortcut& shortcut : shortcuts) {
        DesktopEntry entry;
        entry.Name = shortcut.name;
        entry.Comment = shortcut.comment;
        entry.Exec = shortcut.exec;
        entry.Path = target;
        entry.Icon = target + "/orvanta.svg";
        entry.Categories = shortcut.categories;
        if (!entry.write(folder + "/" + shortcut.file, &error))
            return false;
    }
    return true;
}

std::string findPayload(const std::string& currentFolder, const std::string& programFolder)
{
    const std::string inCurrent = withoutTrailingSlashes(currentFolder) + "/data.res";
    if (isRegularHostFile(inCurrent))
        return inCurrent;
    const std::string inProgram = withoutTrailingSlashes(programFolder) + "/data.res";
    if (isRegularHostFile(inProgram))
        return inProgram;
    return inCurrent;
}

bool Installer::fail(const std::string& why)
{
    m_error = why;
    return false;
}

bool Installer::Install()
{
    m_error.clear();
    m_payload = {};
    const TargetCheck target = checkTarget(Target, {});
    if (target.problem != TargetProblem::None && target.problem != TargetProblem::Foreign)
        return fail(target.message);
    m_target = target.folder;

    // The payload as a whole, before anything is written.
    m_payload = checkPayload(Payload);
    if (!m_payload.ok)
        return fail(m_payload.error);

    // Nothing of an earlier installation may stand where the payload needs
    // something else: a folder where a file goes, a file or link where a
    // folder goes.
    for (const PayloadMember& member : m_payload.members) {
        std::string path = member.path;
        for (bool first = true;; first = false) {
            HostEntry facts;
            const std::string place = m_target + "/" + path;
            if (statPath(place, facts)) {
                const bool needsFolder = !first || member.folder;
                if (needsFolder && facts.kind != HostKind::Directory)
                    return fail(place + " is in the way: a folder of the payload goes there.");
                if (!needsFolder && facts.kind == HostKind::Directory)
                    return fail(place + " is a folder: a file of the payload goes there.");
                if (!needsFolder && facts.kind == HostKind::Other)
                    return fail(place + " is not a regular file: a file of the payload goes there.");
            }
            const std::size_t slash = path.rfind('/');
            if (slash == std::string::npos)
                break;
            path.resize(slash);
        }
    }

    // Only the last level of the target is made.
    bool madeTarget = false;
    if (!isExistingFolder(m_target)) {
        if (!makeHostFolder(m_target))
            return fail("Cannot create the folder " + m_target + ": " + std::strerror(errno));
        madeTarget = true;
    }
    const std::string staging = m_target + "/" + StagingFolderName;
    auto undo = [&](const std::string& why) {
        removeHostTree(staging);
        if (madeTarget)
            removeHostFolder(m_target);
        return fail(why);
    };
    HostEntry stale;
    if (statPath(staging, stale) && !removeHostTree(staging))
        return undo("Cannot remove the staging folder " + staging + " of an earlier run.");
    if (!makeHostFolder(staging))
        return undo("Cannot create the staging folder " + staging + ": " + std::strerror(errno));
    if (!stage(staging))
        return undo(m_error);
    if (!place(staging))
        return undo(m_error);
    if (!removeHostTree(staging))
        return fail("Cannot remove the staging folder " + staging);

    std::string error;
    if (!writeInstallRecords(m_target, error))
        return fail(error);
    if (Shortcuts && !writeShortcuts(m_target, error))
        return fail(error);
    return true;
}

bool Installer::stage(const std::string& staging)
{
    const int total = int(m_payload.members.size());
    std::set<std::string> passed;
    std::string firstError;
    int done = 0;
    auto report = [&](const std::string& path) {
        ++done;
        if (OnStaged)
            OnStaged(path, done, total);
        if (OnGauge)
            OnGauge(std::clamp(done * 100 / std::max(total, 1), 0, 100));
    };
    if (OnGauge)
        OnGauge(0);
    // Folders write nothing in the extractor; they count as staged first.
    for (const PayloadMember& member : m_payload.members)
        if (member.folder)
            report(member.path);

    TZipExtractor x;
    x.SetArchiveFile(Payload);
    x.SetExtractDir(staging);
    x.SetUseStoredDirs(true);
    x.SetDateTo = sdOrigDate;
    x.ProcessMessages = ProcessMessages;
    const std::string prefix = staging + "/";
    x.OnError
        = [&](TArchiveCommon&, const std::string& fn, const std::string&, const std::string&, int32_t code) {
              if (firstError.empty())
                  firstError = "The payload member " + fn + ": " + std::string(archiveMessageText(code))
                      + " (" + std::to_string(code) + ")";
          };
    x.OnEnd = [&](TExtractorBase& sender, const std::string& fn, bool crcPass) {
        const std::string path = fn.compare(0, prefix.size(), prefix) == 0 ? fn.substr(prefix.size()) : fn;
        if (!crcPass) {
            if (firstError.empty())
                firstError = "The payload member " + path + " is damaged: its CRC does not match.";
            sender.Cancel(true);
            return;
        }
        passed.insert(path);
        report(path);
    };
    x.Extract();
    for (const PayloadMember& member : m_payload.members) {
        if (member.folder)
            continue;
        if (!passed.count(member.path)) {
            m_error = !firstError.empty() ? firstError
                                          : "The payload member " + member.path + " was not unpacked.";
            return false;
        }
        // A deflate stream may end early with a CRC that matches what it
        // gave: the size the directory declares decides.
        HostEntry facts;
        if (!statPath(staging + "/" + member.path, facts) || facts.kind != HostKind::Regular
            || facts.size != member.size) {
            m_error
                = "The payload member " + member.path + " is damaged: its size does not match the directory.";
            return false;
        }
    }
    return true;
}

bool Installer::place(const std::string& staging)
{
    // Every folder held open once, on each side, made where missing
    // without following a link.
    std::map<std::string, UniqueFd> from, to;
    from[""] = openHostFolder(staging);
    to[""] = openHostFolder(m_target);
    if (!from[""] || !to[""]) {
        m_error = "Cannot open the folder " + m_target + ": " + std::strerror(errno);
        return false;
    }
    auto open = [this](std::map<std::string, UniqueFd>& folders, const std::string& path, auto& self) -> int {
        auto found = folders.find(path);
        if (found != folders.end())
            return found->second.get();
        const std::size_t slash = path.rfind('/');
        const std::string parent = slash == std::string::npos ? std::string() : path.substr(0, slash);
        const int parentFd = self(folders, parent, self);
        if (parentFd < 0)
            return -1;
        UniqueFd fd = enterFolderAt(parentFd, path.substr(slash == std::string::npos ? 0 : slash + 1));
        if (!fd) {
            m_error = "Cannot create the folder " + path + ": " + std::strerror(errno);
            return -1;
        }
        const int raw = fd.get();
        folders[path] = std::move(fd);
        return raw;
    };
    const int total = int(m_payload.members.size());
    int done = 0;
    for (const PayloadMember& member : m_payload.members) {
        const std::size_t slash = member.path.rfind('/');
        const std::string folder = slash == std::string::npos ? std::string() : member.path.substr(0, slash);
        const std::string name = slash == std::string::npos ? member.path : member.path.substr(slash + 1);
        if (member.folder) {
            if (open(to, member.path, open) < 0)
                return false;
        } else {
            const int fromFd = open(from, folder, open);
            const int toFd = fromFd < 0 ? -1 : open(to, folder, open);
            if (toFd < 0)
                return false;
            // A rename replaces whatever file or link stands there in one step.
            if (renameAt(fromFd, name, toFd, name) != RenameResult::Renamed) {
                m_error = "Cannot put " + m_target + "/" + member.path + " in place: " + std::strerror(errno);
                return false;
            }
        }
        ++done;
        if (OnPlaced)
            OnPlaced(member.path, done, total);
    }
    return true;
}

} // namespace ov
