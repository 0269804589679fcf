#include "viewers/icon_resource_list.h"

#include "viewers/exe_image.h"
#include "viewers/icon_res_entry.h"
#include "viewers/le_bytes.h"

namespace ov {

namespace {

constexpr uint64_t kGroupHeaderSize = 6;
constexpr uint64_t kGroupEntrySize = 14;

} // namespace

TIconResourceList::TIconResourceList(TResourceItem& group, uint32_t memberType)
    : TResourceList(group.Image(), 0, memberType, {})
    , m_group(group)
{
}

void TIconResourceList::build()
{
    const auto data = m_group.RawData();
    const LeBytes bytes(data);
    const uint64_t declared = bytes.u16(4).value_or(0);
    const uint64_t room
        = data.size() >= kGroupHeaderSize ? (data.size() - kGroupHeaderSize) / kGroupEntrySize : 0;
    const uint64_t count = declared < room ? declared : room;
    for (uint64_t i = 0; i < count; ++i) {
        const uint64_t entry = kGroupHeaderSize + i * kGroupEntrySize;
        auto* member = dynamic_cast<TIconResEntry*>(m_image.poolImage(ResType(), *bytes.u16(entry + 12)));
        if (!member)
            continue;
        member->setGroupEntry(m_group.RawOffset() + entry);
        addReference(member);
    }
}

} // namespace ov
