#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A name for anything the file browser shows: the desktop at the root; below it Home, Computer (with
// the mounted volumes), Network (with the network mounts) and the entries of the desktop folder; below
// a volume or folder, its folders and files.
//
// The item owns an absolute identifier list: one identifier per level below the desktop, each a 16-bit
// little-endian byte count that includes its own two bytes followed by the identifier's data, and a
// 16-bit zero after the last. The desktop is the empty list. Lists compare by their bytes, so an item
// names the same thing for as long as its folders keep their names.
class DCShellItem {
public:
    // The values of the Windows shell's flags, so that code written against them reads the same.
    enum Attribute : std::uint32_t {
        AttrLink = 0x00010000,
        AttrShare = 0x00020000, // never set: Linux folders are not shared as such
        AttrReadOnly = 0x00040000,
        AttrHidden = 0x00080000,
        AttrRemovable = 0x02000000,
        AttrFolder = 0x20000000,
        AttrFileSystem = 0x40000000,
        AttrAll = 0x620F0000,
    };
    enum DisplayForm { Normal = 0, ForParsing = 0x8000 };

    // What FirstChild gives: the first child, none (no children), or failed (the folder could not be
    // opened or read, or the item is no folder).
    struct Child {
        std::unique_ptr<DCShellItem> item;
        bool failed = false;
        explicit operator bool() const { return item != nullptr; }
    };

    static constexpr std::string_view kDesktopName = "::{00021400-0000-0000-C000-000000000046}";
    static constexpr std::string_view kComputerName = "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
    static constexpr std::string_view kNetworkName = "::{208D2C60-3AEA-1069-A2D7-08002B30309D}";

    // The bytes before an identifier's data: its count and its kind.
    static constexpr std::size_t kIdentifierHeader = 3;
    // The most data one identifier holds.
    static constexpr std::size_t kMaxIdentifierData = 0xFFFF - kIdentifierHeader;

    // The desktop.
    DCShellItem();
    // An absolute path (bytes; it must exist) or a "::{...}" name; anything else gives the desktop.
    explicit DCShellItem(std::string_view name);
    // Takes over a list; a list that breaks the layout is cut before its first bad identifier.
    explicit DCShellItem(std::vector<std::uint8_t> list);
    DCShellItem(const DCShellItem&) = delete;
    DCShellItem& operator=(const DCShellItem&) = delete;
    ~DCShellItem();

    // The list's bytes, terminator included; the item keeps them.
    const std::uint8_t* GetIDList() const { return m_list.data(); }
    int GetCount() const;
    // In bytes, with the 2-byte terminator.
    std::size_t GetSize() const { return m_list.size(); }
    std::unique_ptr<DCShellItem> Clone() const;
    // An item holding only the last identifier; null for the desktop.
    std::unique_ptr<DCShellItem> LastID() const;
    // The bytes of the last identifier, count and kind included; empty for the desktop. A folder's list
    // keeps them for its children as they are, rather than an item per child.
    std::string_view LastIdentifier() const;
    // This item with `identifier` (bytes as LastIdentifier gives them) appended; an identifier that
    // breaks the layout is left off.
    std::unique_ptr<DCShellItem> ChildItem(std::string_view identifier) const;
    // An identifier of the kind of `identifier` with `data` in place of its own: an entry after a
    // rename. Empty when `identifier` is none or `data` does not fit.
    static std::string Renamed(std::string_view identifier, std::string_view data);
    // Turns the item into its parent; false for the desktop, which stays as it is.
    bool RemoveLast();
    void Append(const DCShellItem& other);
    // The number of leading identifiers that are equal byte for byte.
    int CommonPrefixCount(const DCShellItem& other) const;
    bool operator==(const DCShellItem& other) const;

    // Normal: what to show ("Home", a volume's label, a file's name). ForParsing: what parses back to
    // this item's place: the absolute path of a file-system item, "::{...}" for the others. Empty for a
    // list that names nothing in the namespace. Names are bytes, in no particular encoding.
    std::string GetDisplayName(int form = Normal) const;

    // The children in browsing order, each a new item (this list and one more identifier). Starting
    // drops any enumeration in progress; NextChild gives null at the end.
    Child FirstChild();
    std::unique_ptr<DCShellItem> NextChild();

    // The file-system path; empty for the desktop, Computer, Network and lists that name nothing.
    std::string GetPath() const;
    // The attributes among `asked`; only those asked for are looked up (removable reads the mounts).
    std::uint32_t Attributes(std::uint32_t asked = AttrAll) const;
    // A folder's or file's entry can go or be renamed when its folder is writable by this user.
    bool CanRename() const { return WhyNotRenamable().empty(); }
    bool CanDelete() const { return CanRename(); }
    // Empty when the entry can go or be renamed; otherwise why not, for the user.
    std::string WhyNotRenamable() const;
    bool IsComputer() const;
    bool IsNetwork() const;
    bool IsDesktop() const { return m_list.size() == 2; }

private:
    struct Enumeration;

    void AppendIdentifier(std::uint8_t kind, std::string_view data);

    std::vector<std::uint8_t> m_list;
    std::unique_ptr<Enumeration> m_enumeration;
};
