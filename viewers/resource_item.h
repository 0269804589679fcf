// TResourceItem: one entry of a resource directory, either a list (a type, a
// group, a name with further levels) or a leaf with data. Only the first
// language of a resource is shown and saved. The typed items derive from it
// and override naming, saving and conversion.
#pragma once

#include "viewers/resource_picture.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace ov {

class TExeImage;
class TResourceList;

class TResourceItem {
public:
    // The item of the 8-byte directory entry at file offset `entry` (which
    // the list has checked lies inside the file), held by `owner`.
    TResourceItem(TResourceList& owner, uint64_t entry);
    virtual ~TResourceItem();

    TResourceItem(const TResourceItem&) = delete;
    TResourceItem& operator=(const TResourceItem&) = delete;

    // Conversion into lines of text; raises EConvertError unless the item
    // offers it (menus and string tables do).
    virtual void AssignTo(std::vector<std::string>& lines);
    // Conversion into a picture file: the saved stream, as a bitmap when it
    // starts with "BM", else as a JPEG picture.
    virtual void AssignTo(ResourcePicture& picture);
    // Display name: the type name for a standard root type, the stored
    // UTF-16 name, or the decimal id.
    virtual std::string Name();
    // The sub-list; raises EExeError "ResourceItem is not a list" for a leaf.
    virtual TResourceList& List();
    virtual bool IsList();
    // Writes the resource as it is saved to a file: the raw bytes here.
    // Raises EExeError "Resource data lies outside the file" when the data
    // does not lie wholly inside the file; nothing is written then.
    virtual void SaveToStream(std::ostream& stream);

    // Saves to a new or truncated file. The whole stream is made first, so a
    // failure leaves no half-written file; a write failure raises EExeError.
    void SaveToFile(const std::string& fileName);

    // Name, with "#" before an integer id (other than a standard root type).
    std::string QualifiedName();
    // Sub-directory offset for a list; the data's RVA for a leaf.
    uint32_t Offset();
    // 0 for a list; the data entry's declared size for a leaf.
    uint32_t Size();
    // The leaf's bytes that lie inside the file: all Size bytes, a prefix of
    // them, or none.
    std::span<const uint8_t> RawData();
    // File offset of the leaf's first byte (it may lie past the end).
    uint64_t RawOffset();
    // True when all Size bytes of the leaf lie inside the file.
    bool RawDataComplete();
    uint32_t ResType() const;

    // The stored Name field: an integer id, or with the high bit set the
    // offset of a name string.
    uint32_t NameValue() const { return m_nameValue; }
    bool HasIntegerName() const { return (m_nameValue & 0x80000000u) == 0; }
    // The name as UTF-16 code units, for callers that want it untouched.
    std::u16string NameUtf16();
    // Language id of the data shown (the first language), and how many
    // languages the resource has; 0 and 0 when there is no language level.
    uint16_t Language();
    int LanguageCount();

    TExeImage& Image() const;
    TResourceList& Owner() const { return m_owner; }

protected:
    // The bytes SaveToStream writes, checked to lie inside the file.
    std::span<const uint8_t> completeRawData();

    TResourceList& m_owner;

private:
    void resolve();
    bool readName(std::u16string& text) const;

    uint32_t m_nameValue;
    uint32_t m_dataValue;

    bool m_resolved = false;
    bool m_isList = false;
    uint32_t m_subDirectory = 0;
    std::optional<uint64_t> m_dataEntry; // file offset of the data entry
    uint16_t m_language = 0;
    int m_languageCount = 0;
    uint32_t m_dataRva = 0;
    uint32_t m_dataSize = 0;
    std::unique_ptr<TResourceList> m_list;
};

} // namespace ov
