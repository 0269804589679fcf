#include "viewers/exe_image.h"

#include "viewers/exe_error.h"
#include "viewers/resource_item.h"
#include "viewers/resource_list.h"

#include "platform/host_file.h"

#include <cstring>

namespace ov {

namespace {

// PE/COFF layout (Microsoft's "PE Format" document): the NT headers are the
// 4-byte signature and the 20-byte file header, then the optional header of
// SizeOfOptionalHeader bytes, then the section table.
constexpr uint64_t kNtOffsetField = 0x3C;
constexpr uint32_t kPeSignature = 0x4550;
constexpr uint64_t kFileHeaderEnd = 24;
constexpr uint64_t kSectionSize = 40;
constexpr uint16_t kPe32PlusMagic = 0x20B;

} // namespace

TExeImage::TExeImage(const std::string& fileName)
    : m_fileName(fileName)
{
    readFile(fileName);
    checkHeaders();
}

TExeImage::TExeImage(std::vector<uint8_t> bytes, std::string fileName)
    : m_fileName(std::move(fileName))
    , m_buffer(std::move(bytes))
{
    if (m_buffer.empty())
        throw EExeError("CreateFileMapping failed");
    m_view = LeBytes(m_buffer);
    checkHeaders();
}

TExeImage::~TExeImage()
{
    // Items refer to the bytes: they go first.
    m_resources.reset();
    m_iconPool.reset();
    m_cursorPool.reset();
}

void TExeImage::readFile(const std::string& fileName)
{
    // Never blocks: a FIFO or a device is refused at once, before a read,
    // like a folder (no mapping can be made of it).
    HostFile file;
    if (!file.open(fileName)) {
        if (file.notRegular())
            throw EExeError("CreateFileMapping failed");
        throw EExeError("Couldn't open: " + fileName);
    }
    if (file.size() <= 0)
        throw EExeError("CreateFileMapping failed");
    const auto size = static_cast<uint64_t>(file.size());

    if (size > kReadLimit) {
        if (!m_mapping.map(file))
            throw EExeError("MapViewOfFile failed");
        m_view = LeBytes({ m_mapping.data(), m_mapping.size() });
        return;
    }

    m_buffer.resize(size);
    if (file.readAt(0, m_buffer.data(), size) != static_cast<std::ptrdiff_t>(size))
        throw EExeError("MapViewOfFile failed");
    m_view = LeBytes(m_buffer);
}

void TExeImage::checkHeaders()
{
    if (m_view.u16(0) != uint16_t('M' | 'Z' << 8))
        throw EExeError("unrecognized file format");
    const auto nt = m_view.u32(kNtOffsetField);
    if (!nt || !m_view.has(*nt, kFileHeaderEnd) || m_view.u32(*nt) != kPeSignature) {
        m_status = StatusNotPE;
        return;
    }
    m_ntHeaders = *nt;
    m_pe32Plus = m_view.u16(m_ntHeaders + kFileHeaderEnd) == kPe32PlusMagic;
}

bool TExeImage::findResourceSection()
{
    const uint16_t sections = m_view.u16(m_ntHeaders + 6).value_or(0);
    const uint16_t optionalSize = m_view.u16(m_ntHeaders + 20).value_or(0);
    const uint64_t table = m_ntHeaders + kFileHeaderEnd + optionalSize;
    for (uint64_t i = 0; i < sections; ++i) {
        const uint64_t header = table + i * kSectionSize;
        if (!m_view.has(header, kSectionSize))
            return false;
        // The name is 8 bytes, zero-padded but not necessarily terminated.
        const uint8_t* name = m_view.bytes().data() + header;
        static const char wanted[8] = { '.', 'r', 's', 'r', 'c', 0, 0, 0 };
        bool same = true;
        for (int k = 0; k < 8 && same; ++k) {
            const char c = static_cast<char>(name[k]);
            same = (c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c) == wanted[k];
            if (same && c == 0)
                break;
        }
        if (!same)
            continue;
        m_resourceRVA = *m_view.u32(header + 12);
        m_resourceBase = *m_view.u32(header + 20);
        return true;
    }
    return false;
}

TResourceList* TExeImage::Resources()
{
    if (m_status == StatusNotPE)
        return nullptr;
    if (!m_resourcesLooked) {
        m_resourcesLooked = true;
        if (!findResourceSection()) {
            m_status = StatusNoResources;
            return nullptr;
        }
        m_status = StatusReadable;
        m_resources = std::make_unique<TResourceList>(*this, 0, 0, std::vector<uint32_t> { 0 });
        // Building the root list sets the pools apart.
        m_resources->Count();
    }
    return m_resources.get();
}

TResourceItem* TExeImage::IconPool()
{
    Resources();
    return m_iconPool.get();
}

TResourceItem* TExeImage::CursorPool()
{
    Resources();
    return m_cursorPool.get();
}

TResourceItem* TExeImage::poolImage(uint32_t memberType, uint32_t id)
{
    const bool icons = memberType == 3;
    auto& index = icons ? m_iconIndex : m_cursorIndex;
    bool& indexed = icons ? m_iconIndexed : m_cursorIndexed;
    if (!indexed) {
        indexed = true;
        TResourceItem* pool = icons ? IconPool() : CursorPool();
        if (pool && pool->IsList()) {
            TResourceList& list = pool->List();
            for (int i = 0; i < list.Count(); ++i) {
                TResourceItem* image = list.Items(i);
                if (image->HasIntegerName())
                    index.emplace(image->NameValue(), image);
            }
        }
    }
    const auto found = index.find(id);
    return found == index.end() ? nullptr : found->second;
}

bool TExeImage::takeItemSlot()
{
    if (m_itemCount >= kMaxItems)
        return false;
    ++m_itemCount;
    return true;
}

} // namespace ov
