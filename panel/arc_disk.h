// TARCDiskInterface: an archive shown as a folder tree in a file list.
//
// The disk reads the archive's directory once, through TArchiveLister, into
// a table of records and an index from folder to records, so listing a
// folder costs that folder's entries and never a pass over the archive. A
// changed archive is seen only after leaving it and entering it again.
//
// The tree shows where each member would land when extracted: names lose
// drive prefixes, leading separators and empty or "." components, as the
// extractors drop them; every folder above a member exists, stored or not;
// a member with a ".." component is not listed but reported. Nothing is
// written into an archive: PutFile, DeleteFile, MakeDir and RemoveDir
// refuse. GetFile takes one member out through the extractor of the
// archive's detected kind.
#pragma once

#include "archive/arc_type.h"
#include "archive/file_layer.h"
#include "panel/disk_interface.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace ov {

class TBrowser;

// The text of the archive message box for one OnError report: FN, then
// "Error#: " and the code, then "Error: " and the message's text (codes
// 25100 to 26499), or "General Message: " and "Messge: " (26500 to 26999),
// each part followed by two carriage returns. Empty for other codes.
std::string archiveErrorText(const std::string& fileName, int32_t code);

class TARCDiskInterface : public TDiskInterface {
public:
    // archivePath: the archive as the system names it ("c:\dir\pack.zip");
    // hostPath: where it is read (empty: through the drive table). Nothing is
    // read until Read.
    explicit TARCDiskInterface(const std::string& archivePath, const std::string& hostPath = {});
    ~TARCDiskInterface() override;

    // Where the lister reads the archive; the host's files when null.
    std::shared_ptr<FileStore> Store;
    // Lets pending messages run while the lister or an extractor works.
    std::function<void()> ProcessMessages;
    // Every message of the lister and of member extraction, and once per
    // Read the members left out for a ".." in their names (25243, FN the
    // names one per line).
    std::function<void(
        TARCDiskInterface& Sender, const std::string& FN, const std::string& MsgEx, int32_t ECode)>
        OnError;

    // Reads the archive's directory into the table; later calls do nothing.
    // An archive that does not exist gives an empty disk.
    void Read();
    // True while the lister or an extractor of this disk runs.
    bool Running() const { return m_running; }
    TArcType ArcType() const { return m_arcType; }
    const std::string& HostPath() const { return m_hostPath; }
    // Members listed, synthesised folders included.
    std::size_t RecordCount() const { return m_records.size(); }
    // Members left out for a ".." component, as stored.
    const std::vector<std::string>& InvalidNames() const { return m_invalidNames; }

    bool FindFirst(const std::string& folder, Entry& entry) override;
    bool FindNext(Entry& entry) override;
    bool ListSizes(const std::string& folder, int64_t& bytes, std::vector<std::string>& subFolders) override;
    // Takes the file at innerPath out into outsidePath (a path on a drive),
    // replacing a file there. False when the member is not a file of this
    // disk, the extraction fails or the copy cannot be put in place.
    bool GetFile(const std::string& innerPath, const std::string& outsidePath) override;
    bool PutFile(const std::string& outsidePath, const std::string& innerPath) override;
    bool DeleteFile(const std::string& path) override;
    bool MakeDir(const std::string& innerPath) override;
    bool RemoveDir(const std::string& innerPath) override;

    // Extracts the file at innerPath into a new folder under `folder` (a host
    // folder); the host path of the copy, or empty on failure (reported
    // through OnError when the extractor says why).
    // `step`, when given, is called between blocks with the member's per
    // cent done; true stops the run (nothing is then taken out).
    std::string TakeOut(const std::string& innerPath, const std::string& folder,
        const std::function<bool(int percent)>& step = {});

private:
    struct Record {
        std::string name; // one path component, never "", "." or ".."
        std::string stored; // the member's name as the lister gave it; empty when synthesised
        int64_t size = 0;
        double date = 0; // the lister's date-time value
        uint16_t attr = 0;
    };
    struct Folder {
        std::vector<uint32_t> records; // in stored order
        int32_t record = -1; // its own record in the parent; -1 for the top
    };

    void addMember(const std::string& stored, bool folder, int64_t size, double date, uint16_t attr);
    // The folder below `parent` named `name`, made (with its record) when missing.
    uint32_t childFolder(uint32_t parent, const std::string& name, double date);
    // The folder at an inner path ("a\b\" or "a\b"), or -1.
    int64_t folderAt(const std::string& path) const;
    // The record of the file or folder at an inner path, or -1.
    int64_t recordAt(const std::string& path) const;
    void fill(const Record& record, Entry& entry) const;
    static std::string childKey(uint32_t parent, const std::string& name);

    std::string m_hostPath;
    TArcType m_arcType = atNA;
    bool m_read = false;
    bool m_running = false;
    std::vector<Record> m_records;
    std::vector<Folder> m_folders; // [0] is the top
    std::unordered_map<std::string, uint32_t> m_children; // childKey -> folder
    std::vector<std::string> m_invalidNames;
    const Folder* m_scan = nullptr;
    std::size_t m_scanIndex = 0;
};

// The folder records of a member's stored name, as shown: "/" and "\" split
// it, a drive prefix, empty and "." components go. False (parts empty) when
// a component is "..".
bool splitMemberPath(const std::string& stored, std::vector<std::string>& parts);

// Makes TBrowser push a TARCDiskInterface for kind 1, each reading its
// archive at once and reporting through `report` (nothing when empty);
// ProcessMessages is the platform's message pump.
using ArchiveDiskReport = std::function<void(const std::string& FN, const std::string& MsgEx, int32_t ECode)>;
void installArchiveDisk(ArchiveDiskReport report);

// The file manager's set-up: stale cache folders of dead runs removed, the
// archive disk installed with its messages shown in information boxes at
// once, and the run's cache folder removed at exit.
void installArchiveDiskForPanels();

// What a member taken out for a viewer reports while it runs, so that the
// file manager can show a progress window once the member turns out slow.
// One object per member; destroying it ends the report.
class TakeOutProgress {
public:
    virtual ~TakeOutProgress() = default;
    // Between blocks: the member as the panel names it and its per cent
    // done. True when the user asked to stop.
    virtual bool step(const std::string& shownName, int percent) = 0;
};
using TakeOutProgressFactory = std::function<std::unique_ptr<TakeOutProgress>()>;
// Installs the maker of those reports (none: members are taken out silently).
void setTakeOutProgress(TakeOutProgressFactory factory);

// Takes entry `index` of an archive list out into the run's private cache
// folder and gives the copy's path on its drive ("h:\.cache\orvanta\…"), or
// empty when the entry is not a member file or the extraction failed. The
// list is Busy meanwhile, so keys that arrive while the extractor lets
// messages through change nothing.
std::string takeOutMember(TBrowser& list, int index);

} // namespace ov
