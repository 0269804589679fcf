// TExeImage: one Portable Executable file opened for its resources. The file
// is read into memory (up to 64 MiB) or mapped read-only (above), checked for
// the DOS and PE signatures, and its ".rsrc" section exposes the resource
// directory as a lazily built tree (TResourceList, TResourceItem). Every item
// keeps offsets into the image's bytes, never pointers, and every offset read
// from the file is checked before use. Only PE images are read; 16-bit and
// other images report Status 2.
#pragma once

#include "platform/mapped_file.h"
#include "viewers/le_bytes.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace ov {

class TResourceItem;
class TResourceList;

class TExeImage {
public:
    enum : int { StatusReadable = 0, StatusNotPE = 2, StatusNoResources = 3 };

    // Largest file read into memory; larger files are mapped.
    static constexpr uint64_t kReadLimit = 64ull << 20;
    // Most items one image ever creates, whatever its directories claim.
    static constexpr uint64_t kMaxItems = 100000;
    // Most directory levels below and including the root.
    static constexpr std::size_t kMaxDepth = 8;

    // Opens a file. Raises EExeError "Couldn't open: " + name when it cannot
    // be opened, "CreateFileMapping failed" when it is empty or not a
    // regular file (a FIFO, a device or a folder is refused at once, never
    // waited on), "MapViewOfFile failed" when it cannot be read or mapped, and
    // "unrecognized file format" when it does not start with "MZ".
    explicit TExeImage(const std::string& fileName);
    // Takes an image held in memory (tests, fuzzing); same checks and errors.
    TExeImage(std::vector<uint8_t> bytes, std::string fileName);
    ~TExeImage();

    TExeImage(const TExeImage&) = delete;
    TExeImage& operator=(const TExeImage&) = delete;

    const std::string& FileName() const { return m_fileName; }
    int Status() const { return m_status; }
    bool IsPE32Plus() const { return m_pe32Plus; }

    // The root list, built on first request; null when the image is not a PE
    // file (Status 2) or has no ".rsrc" section (then Status becomes 3).
    TResourceList* Resources();
    // The root entries of type 3 (icon images) and 1 (cursor images), which
    // the root list leaves out; null when there are none.
    TResourceItem* IconPool();
    TResourceItem* CursorPool();

    // File offset of the resource section's raw data and its virtual address.
    uint64_t ResourceBase() const { return m_resourceBase; }
    uint32_t ResourceRVA() const { return m_resourceRVA; }

    const LeBytes& View() const { return m_view; }

    // The image of type `memberType` (3 icon, 1 cursor) with the integer id
    // `id` in its pool: the first such, or null.
    TResourceItem* poolImage(uint32_t memberType, uint32_t id);

    // Counts one more item against kMaxItems; false once the cap is reached.
    bool takeItemSlot();

private:
    void readFile(const std::string& fileName);
    void checkHeaders();
    bool findResourceSection();

    std::string m_fileName;
    std::vector<uint8_t> m_buffer;
    MappedFile m_mapping;
    LeBytes m_view;

    int m_status = StatusReadable;
    bool m_pe32Plus = false;
    uint64_t m_ntHeaders = 0;
    uint64_t m_resourceBase = 0;
    uint32_t m_resourceRVA = 0;
    bool m_resourcesLooked = false;
    uint64_t m_itemCount = 0;

    std::unique_ptr<TResourceList> m_resources;
    std::unique_ptr<TResourceItem> m_iconPool;
    std::unique_ptr<TResourceItem> m_cursorPool;
    // Pool images by id, built on first lookup (type 3 and type 1).
    std::unordered_map<uint32_t, TResourceItem*> m_iconIndex;
    std::unordered_map<uint32_t, TResourceItem*> m_cursorIndex;
    bool m_iconIndexed = false;
    bool m_cursorIndexed = false;

    friend class TResourceList;
};

} // namespace ov
