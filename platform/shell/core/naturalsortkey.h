#pragma once

#include <string>
#include <string_view>

// The order in which the user expects names: the locale's collation, except that a run of digits
// compares as a number ("file2" before "file10"). A name's key is a byte string computed once, so that
// sorting many names compares plain bytes.
class CNaturalSortKey {
public:
    // Collates by LC_COLLATE of the environment, whatever the process's own locale is.
    CNaturalSortKey();
    ~CNaturalSortKey();
    CNaturalSortKey(const CNaturalSortKey&) = delete;
    CNaturalSortKey& operator=(const CNaturalSortKey&) = delete;

    // Appends the key of `name` to `key`. Different names never get equal keys.
    void Append(std::string_view name, std::string& key);
    std::string Key(std::string_view name) {
        std::string key;
        Append(name, key);
        return key;
    }

private:
    void AppendText(std::string_view text, std::string& key);

    void* m_locale; // locale_t, kept out of the header
    std::string m_text;
    std::string m_collated;
};
