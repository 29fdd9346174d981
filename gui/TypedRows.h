#pragma once

#include "Entry.h"

#include <QtGlobal>

#include <memory>
#include <unordered_map>

namespace varnook {

// The few rows of a list kept as typed, by slot: entries whose line would not give them back as
// they are. Nearly every list has none, so a slot costs nothing here until it holds one, and
// asking an empty list is one test.
class TypedRows {
public:
    const Entry *at(quint32 slot) const {
        if (m_entries.empty())
            return nullptr;
        const auto found = m_entries.find(slot);
        return found == m_entries.end() ? nullptr : found->second.get();
    }
    bool has(quint32 slot) const { return at(slot) != nullptr; }

    // Null takes the slot's entry away.
    void set(quint32 slot, std::unique_ptr<const Entry> entry) {
        if (entry)
            m_entries[slot] = std::move(entry);
        else if (!m_entries.empty())
            m_entries.erase(slot);
    }
    std::unique_ptr<const Entry> take(quint32 slot) {
        if (m_entries.empty())
            return nullptr;
        const auto found = m_entries.find(slot);
        if (found == m_entries.end())
            return nullptr;
        std::unique_ptr<const Entry> entry = std::move(found->second);
        m_entries.erase(found);
        return entry;
    }
    // The row in slot from moves to slot to, whose row goes.
    void move(quint32 from, quint32 to) { set(to, take(from)); }
    // Forgets every slot from size on.
    void truncate(quint32 size) {
        std::erase_if(m_entries, [size](const auto &kept) { return kept.first >= size; });
    }
    void clear() { m_entries.clear(); }

private:
    std::unordered_map<quint32, std::unique_ptr<const Entry>> m_entries;
};

} // namespace varnook
