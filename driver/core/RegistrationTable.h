#pragma once

#include "driver/include/vykdrv32.h"

#include <cstddef>
#include <cstdint>
#include <deque>

namespace driver::core {

// The table of client records. Records never move once created (the table grows by
// appending), so the current, last-found and last-applied pointers and the lParam of a
// posted message stay valid while the table grows. Guarded by the scheduler mutex.
class RegistrationTable
{
public:
    static constexpr std::size_t kGrowBy = 8;

    RegistrationTable();

    // The first record with the key; 0 names no record here (callers map it to the
    // current record).
    RegistrationRecord* find(std::uint32_t key);
    // The first free record (key 0) other than `inUse`, growing the table by 8 cleared
    // records when all are taken; null for key 0 or when memory is exhausted. The caller
    // sets the key.
    RegistrationRecord* allocate(std::uint32_t key, const RegistrationRecord* inUse = nullptr);
    // Whether the pointer is one of the table's records.
    bool contains(const RegistrationRecord* record) const;

    std::size_t size() const { return m_records.size(); }
    RegistrationRecord& at(std::size_t index) { return m_records.at(index); }
    std::size_t indexOf(const RegistrationRecord* record) const;

private:
    void grow();

    std::deque<RegistrationRecord> m_records;
};

} // namespace driver::core
