#pragma once

#include "gridctrl/model/GridObject.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace gridctrl::model {

// A small indexed table of owned objects (fonts, bitmaps, cell types) with a use count and
// four words of data per entry. Indexes stay valid while an entry is used; freed entries are
// reused first. GUI thread only.
class CGridObjectTable
{
public:
    using Words = std::array<std::int32_t, 4>;

    // Stores the object in the first free entry, growing by 10 entries when full; returns its
    // index, or -1 when `object` is null.
    int Add(std::unique_ptr<GridObject> object, int count, const Words* words = nullptr);
    // 1 for a bad index, 2 for a free entry.
    int SetCount(int index, int count);
    // The use count; 0 for a bad or free index.
    int GetCount(int index) const;
    // The number of used entries.
    int GetCount() const { return m_used; }
    int GetCapacity() const { return static_cast<int>(m_entries.size()); }
    // The object, or null for a bad or free index.
    GridObject* GetObject(int index) const;
    // The entry's four words, or null for a bad or free index.
    const Words* getWords(int index) const;
    // The index of the used entry holding `object`, else -1.
    int Find(const GridObject* object) const;
    // Frees the entry and hands its object back to the caller (null for a bad index).
    std::unique_ptr<GridObject> Remove(int index);
    // Frees every entry and its object; capacity and count become 0.
    void RemoveAll();

private:
    struct Entry
    {
        bool used = false;
        std::unique_ptr<GridObject> object;
        int count = 0;
        Words words{};
    };

    bool isUsed(int index) const;

    std::vector<Entry> m_entries;
    int m_used = 0;
};

} // namespace gridctrl::model
