#include "viewers/resource_item.h"

#include "viewers/exe_error.h"
#include "viewers/exe_image.h"
#include "viewers/resource_list.h"
#include "viewers/resource_type.h"
#include "viewers/utf16.h"

#include "platform/atomic_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace ov {

namespace {

constexpr uint32_t kHighBit = 0x80000000u;
constexpr uint64_t kDirectorySize = 16;
constexpr uint64_t kEntrySize = 8;

} // namespace

TResourceItem::TResourceItem(TResourceList& owner, uint64_t entry)
    : m_owner(owner)
    , m_nameValue(owner.Image().View().u32(entry).value_or(0))
    , m_dataValue(owner.Image().View().u32(entry + 4).value_or(0))
{
}

TResourceItem::~TResourceItem() = default;

TExeImage& TResourceItem::Image() const
{
    return m_owner.Image();
}

uint32_t TResourceItem::ResType() const
{
    return m_owner.ResType();
}

// Works out what the entry leads to. A sub-directory whose entries point to
// further directories (or that has no entries) makes a list; one whose first
// entry points to a data entry makes a leaf showing that first language; an
// entry that points straight at a data entry is a leaf. A sub-directory that
// repeats one above it, or lies deeper than kMaxDepth, leads nowhere: the
// item is a leaf without data.
void TResourceItem::resolve()
{
    if (m_resolved)
        return;
    m_resolved = true;
    const LeBytes& view = Image().View();
    const uint64_t base = Image().ResourceBase();

    if (m_dataValue & kHighBit) {
        const uint32_t sub = m_dataValue & ~kHighBit;
        const auto& path = m_owner.Path();
        if (path.size() >= TExeImage::kMaxDepth || std::find(path.begin(), path.end(), sub) != path.end())
            return;
        const uint64_t directory = base + sub;
        uint64_t count = 0;
        if (view.has(directory, kDirectorySize))
            count = uint64_t(*view.u16(directory + 12)) + *view.u16(directory + 14);
        const uint64_t first = directory + kDirectorySize;
        const uint64_t readable = view.has(first, 0) ? (view.size() - first) / kEntrySize : 0;
        count = std::min(count, readable);
        if (count == 0) {
            m_isList = true;
            m_subDirectory = sub;
            return;
        }
        const uint32_t childName = *view.u32(first);
        const uint32_t childData = *view.u32(first + 4);
        if (childData & kHighBit) {
            m_isList = true;
            m_subDirectory = sub;
            return;
        }
        m_languageCount = static_cast<int>(count);
        m_language = (childName & kHighBit) ? 0 : static_cast<uint16_t>(childName);
        m_dataEntry = base + childData;
    } else {
        m_dataEntry = base + m_dataValue;
    }

    if (!view.has(*m_dataEntry, 8)) {
        m_dataEntry.reset();
        return;
    }
    m_dataRva = *view.u32(*m_dataEntry);
    m_dataSize = *view.u32(*m_dataEntry + 4);
}

bool TResourceItem::IsList()
{
    resolve();
    return m_isList;
}

TResourceList& TResourceItem::List()
{
    if (!IsList())
        throw EExeError("ResourceItem is not a list");
    if (!m_list) {
        // Below a root type every level keeps the type's id, so the class of
        // the items follows the type whatever the depth.
        const uint32_t resType = m_owner.IsRoot() ? m_nameValue : m_owner.ResType();
        std::vector<uint32_t> path = m_owner.Path();
        path.push_back(m_subDirectory);
        m_list = std::make_unique<TResourceList>(Image(), m_subDirectory, resType, std::move(path));
    }
    return *m_list;
}

bool TResourceItem::readName(std::u16string& text) const
{
    const LeBytes& view = Image().View();
    const uint64_t at = Image().ResourceBase() + (m_nameValue & ~kHighBit);
    const auto length = view.u16(at);
    if (!length || !view.has(at + 2, uint64_t(*length) * 2))
        return false;
    text.resize(*length);
    for (uint16_t i = 0; i < *length; ++i)
        text[i] = static_cast<char16_t>(*view.u16(at + 2 + 2 * uint64_t(i)));
    return true;
}

std::u16string TResourceItem::NameUtf16()
{
    std::u16string text;
    if (!HasIntegerName() && readName(text))
        return text;
    const std::string name = Name();
    return std::u16string(name.begin(), name.end());
}

std::string TResourceItem::Name()
{
    if (m_owner.IsRoot() && HasIntegerName() && m_nameValue <= rtVersion)
        return resourceTypeName(m_nameValue);
    if (!HasIntegerName()) {
        std::u16string text;
        if (readName(text))
            return utf16ToUtf8(text);
        // A name that lies outside the file shows where it was looked for.
        return "#" + std::to_string(m_nameValue & ~kHighBit);
    }
    return std::to_string(m_nameValue);
}

std::string TResourceItem::QualifiedName()
{
    const bool standardType = m_owner.IsRoot() && m_nameValue <= rtVersion;
    if (HasIntegerName() && !standardType)
        return "#" + std::to_string(m_nameValue);
    return Name();
}

uint32_t TResourceItem::Offset()
{
    resolve();
    return IsList() ? m_dataValue & ~kHighBit : m_dataRva;
}

uint32_t TResourceItem::Size()
{
    resolve();
    return IsList() ? 0 : m_dataSize;
}

uint16_t TResourceItem::Language()
{
    resolve();
    return m_language;
}

int TResourceItem::LanguageCount()
{
    resolve();
    return m_languageCount;
}

uint64_t TResourceItem::RawOffset()
{
    resolve();
    // The data's RVA relative to the section, placed at the section's file
    // offset; an RVA below the section that would land before the file start
    // is reported as lying past any file.
    const int64_t offset
        = int64_t(Image().ResourceBase()) + int64_t(m_dataRva) - int64_t(Image().ResourceRVA());
    return offset < 0 ? UINT64_MAX : uint64_t(offset);
}

std::span<const uint8_t> TResourceItem::RawData()
{
    // What the entry leads to, not what the item shows: an icon group is a
    // list on screen, but its data is the group directory.
    resolve();
    if (!m_dataEntry)
        return {};
    return Image().View().available(RawOffset(), m_dataSize);
}

bool TResourceItem::RawDataComplete()
{
    resolve();
    return !m_dataEntry || RawData().size() == m_dataSize;
}

std::span<const uint8_t> TResourceItem::completeRawData()
{
    if (!RawDataComplete())
        throw EExeError("Resource data lies outside the file");
    return RawData();
}

void TResourceItem::SaveToStream(std::ostream& stream)
{
    const auto bytes = completeRawData();
    stream.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void TResourceItem::SaveToFile(const std::string& fileName)
{
    std::ostringstream memory;
    SaveToStream(memory);
    const std::string bytes = std::move(memory).str();
    // The file takes the target's place only once it is whole: a failed
    // save leaves the old file (or none) where it was.
    AtomicFile file;
    if (!file.open(fileName))
        throw EExeError("Couldn't create: " + fileName + " (" + std::strerror(file.error()) + ")");
    if (!file.write(bytes) || !file.commit())
        throw EExeError("Couldn't write: " + fileName + " (" + std::strerror(file.error()) + ")");
}

void TResourceItem::AssignTo(std::vector<std::string>& lines)
{
    (void)lines;
    throw EConvertError("Cannot assign resource " + Name() + " to a list of strings");
}

void TResourceItem::AssignTo(ResourcePicture& picture)
{
    std::ostringstream memory;
    SaveToStream(memory);
    const std::string bytes = std::move(memory).str();
    picture.bytes.assign(bytes.begin(), bytes.end());
    picture.format = bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M' ? "BMP" : "JPG";
}

} // namespace ov
