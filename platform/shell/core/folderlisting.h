#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The visible entries of one folder, read in a single pass and put in the order the user browses
// them: folders first, then the rest, each in natural name order. Hidden names (starting with ".")
// are left out. Names are bytes as the system gave them; all of them share one buffer, so a folder of
// a hundred thousand entries costs no allocation per entry.
class CFolderListing {
public:
    // False, with nothing listed, when the folder cannot be opened or read. No entry is opened, so a
    // fifo or device in the folder cannot block the reading.
    bool Read(const std::string& folder);

    std::size_t Count() const { return m_entries.size(); }
    std::string_view Name(std::size_t index) const {
        const Entry& entry = m_entries[index];
        return std::string_view(m_names).substr(entry.nameOffset, entry.nameLength);
    }
    // A symbolic link counts as a folder when it leads to one.
    bool IsFolder(std::size_t index) const { return m_entries[index].folder; }

private:
    struct Entry {
        std::size_t nameOffset;
        std::size_t keyOffset;
        unsigned nameLength;
        unsigned keyLength;
        bool folder;
    };

    std::string m_names;
    std::vector<Entry> m_entries;
};
