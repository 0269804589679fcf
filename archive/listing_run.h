// One listing run of TArchiveLister: the open volume, the header walk of
// each kind (one source file per kind, list_<kind>.cpp) and the reporting
// of members through the lister's events.
//
// Every reader keeps to three rules: a read never goes past the file, each
// next header lies strictly after the current one and inside the file (or
// the listing ends quietly), and every volume or cabinet is visited once.
#pragma once

#include "archive/archive_lister.h"
#include "archive/names.h"

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>

namespace ov {

class ListingRun {
public:
    explicit ListingRun(TArchiveLister& lister);

    // Opens the archive (fatal 25235 on failure).
    void open();
    // Reads the directory of the set kind.
    void list();
    // Closes the open volume; false when the system reports a failure.
    bool close();
    bool isOpen() const { return m_file != nullptr; }

    // --- for the readers ---------------------------------------------------
    // Exactly `length` bytes at `offset`, else false.
    bool read(int64_t offset, void* buffer, std::size_t length);
    // Bytes at `offset` up to a zero byte (at most `maxLength`); `end` gets
    // the position after the zero byte. False when no zero byte follows in
    // the file within maxLength + 1 bytes.
    bool readZeroTerminated(int64_t offset, std::size_t maxLength, std::string& text, int64_t& end);
    // Lets pending messages run; false once the run is cancelled.
    bool keepGoing();
    // A header of `length` bytes at `position` lies inside the file.
    bool fits(int64_t position, int64_t length) const;
    // `next` lies strictly after `current` and inside the file.
    bool isForward(int64_t current, int64_t next) const;
    // A member name for display.
    std::string name(std::string_view stored, NameEncoding encoding) const;
    // The entry is filled: raise OnReadFile, filter, count and report.
    void report(int64_t offset, bool folder);
    // Closes the current volume and opens `path` (fatal 25137 / 25236 as
    // the error path says). False when `path` was visited before.
    bool switchVolume(const std::string& path);

    TArchiveLister& lister;
    int64_t size = 0;
    std::string volumePath; // the open volume
    int32_t reported = 0; // members reported (folders not counted)

private:
    void listZip();
    void listArj();
    void listLha();
    void listArc(bool pak);
    void listZoo();
    void listTar();
    void listGzip();
    void listCab();
    void listRar();
    void listHa();
    void listBh();
    void listUue();

    std::unique_ptr<FileLayer> m_file;
    std::set<std::string> m_visited;
};

} // namespace ov
