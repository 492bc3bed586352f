#include "gridctrl/model/GridObjectTable.h"

namespace gridctrl::model {

bool CGridObjectTable::isUsed(int index) const
{
    return index >= 0 && index < static_cast<int>(m_entries.size()) &&
           m_entries[static_cast<std::size_t>(index)].used;
}

int CGridObjectTable::Add(std::unique_ptr<GridObject> object, int count, const Words* words)
{
    if (!object) {
        return -1;
    }
    std::size_t index = 0;
    while (index < m_entries.size() && m_entries[index].used) {
        ++index;
    }
    if (index == m_entries.size()) {
        m_entries.resize(m_entries.size() + 10);
    }
    Entry& entry = m_entries[index];
    entry.used = true;
    entry.object = std::move(object);
    entry.count = count;
    entry.words = words ? *words : Words{};
    ++m_used;
    return static_cast<int>(index);
}

int CGridObjectTable::SetCount(int index, int count)
{
    if (index < 0 || index >= static_cast<int>(m_entries.size())) {
        return 1;
    }
    Entry& entry = m_entries[static_cast<std::size_t>(index)];
    if (!entry.used) {
        return 2;
    }
    entry.count = count;
    return 0;
}

int CGridObjectTable::GetCount(int index) const
{
    return isUsed(index) ? m_entries[static_cast<std::size_t>(index)].count : 0;
}

GridObject* CGridObjectTable::GetObject(int index) const
{
    return isUsed(index) ? m_entries[static_cast<std::size_t>(index)].object.get() : nullptr;
}

const CGridObjectTable::Words* CGridObjectTable::getWords(int index) const
{
    return isUsed(index) ? &m_entries[static_cast<std::size_t>(index)].words : nullptr;
}

int CGridObjectTable::Find(const GridObject* object) const
{
    if (!object) {
        return -1;
    }
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].used && m_entries[i].object.get() == object) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::unique_ptr<GridObject> CGridObjectTable::Remove(int index)
{
    if (!isUsed(index)) {
        return nullptr;
    }
    Entry& entry = m_entries[static_cast<std::size_t>(index)];
    std::unique_ptr<GridObject> object = std::move(entry.object);
    entry = Entry{};
    --m_used;
    return object;
}

void CGridObjectTable::RemoveAll()
{
    m_entries.clear();
    m_entries.shrink_to_fit();
    m_used = 0;
}

} // namespace gridctrl::model
