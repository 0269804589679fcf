#include "archive/formats/header_cursor.h"

namespace ov {

HeaderCursor::HeaderCursor(FileLayer& file, int64_t start)
    : m_file(file)
    , m_size(file.size())
    , m_position(start)
{
}

bool HeaderCursor::read(int64_t at, void* buffer, std::size_t length)
{
    return fits(at, int64_t(length)) && m_file.readExact(at, buffer, length);
}

bool HeaderCursor::advance(int64_t next)
{
    if (next <= m_position)
        return finish(WalkEnd::Damaged);
    if (next > m_size)
        return finish(WalkEnd::Cut);
    m_position = next;
    return true;
}

} // namespace ov
