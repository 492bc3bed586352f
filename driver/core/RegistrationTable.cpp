#include "driver/core/RegistrationTable.h"

#include <new>

namespace driver::core {

RegistrationTable::RegistrationTable()
{
    grow();
}

void RegistrationTable::grow()
{
    for (std::size_t i = 0; i < kGrowBy; ++i)
        m_records.push_back(RegistrationRecord{}); // deque: existing records stay put
}

RegistrationRecord* RegistrationTable::find(std::uint32_t key)
{
    if (key == 0)
        return nullptr;
    for (auto& record : m_records) {
        if (record.instanceKey == key)
            return &record;
    }
    return nullptr;
}

RegistrationRecord* RegistrationTable::allocate(std::uint32_t key, const RegistrationRecord* inUse)
{
    if (key == 0)
        return nullptr;
    for (auto& record : m_records) {
        if (record.instanceKey == 0 && &record != inUse)
            return &record;
    }
    const std::size_t first = m_records.size();
    try {
        grow();
    } catch (const std::bad_alloc&) {
        while (m_records.size() > first)
            m_records.pop_back();
        return nullptr;
    }
    return &m_records[first];
}

bool RegistrationTable::contains(const RegistrationRecord* record) const
{
    return indexOf(record) < m_records.size();
}

std::size_t RegistrationTable::indexOf(const RegistrationRecord* record) const
{
    for (std::size_t i = 0; i < m_records.size(); ++i) {
        if (&m_records[i] == record)
            return i;
    }
    return m_records.size();
}

} // namespace driver::core
