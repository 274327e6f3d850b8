#include "tests/support/MemorySaveStream.h"

#include <algorithm>
#include <cstring>

int CMemorySaveStream::Write(const void* data, int count)
{
    m_Bytes.append(static_cast<const char*>(data), size_t(count));
    return count;
}

int CMemorySaveStream::Read(void* data, int count)
{
    const size_t wanted = size_t(count);
    const size_t available = m_Bytes.size() - std::min(m_Position, m_Bytes.size());
    const size_t copied = std::min(wanted, available);
    std::memcpy(data, m_Bytes.data() + m_Position, copied);
    std::memset(static_cast<char*>(data) + copied, 0, wanted - copied);
    if (copied < wanted)
        m_Error = true;
    m_Position += wanted;
    return int(m_Position);
}
