#include "shellitem.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "folderlisting.h"
#include "mounttable.h"
#include "userfolders.h"

namespace {

// The first data byte of an identifier says what it names; the rest is its name.
enum Kind : std::uint8_t {
    kDesktop = 0, // the root has no identifier; used for a place only
    kHome = 'H',
    kComputer = 'C',
    kNetwork = 'N',
    kVolume = 'V',       // data: the mount point
    kEntry = 'F',        // data: a folder's or file's name in its parent folder
    kDesktopEntry = 'D', // data: a name in the desktop folder
};

std::size_t CountAt(const std::vector<std::uint8_t>& list, std::size_t offset) {
    return list[offset] | (static_cast<std::size_t>(list[offset + 1]) << 8);
}

// Offset of the last identifier, or the terminator's for the empty list.
std::size_t LastOffset(const std::vector<std::uint8_t>& list) {
    std::size_t last = 0;
    for (std::size_t at = 0; CountAt(list, at) != 0; at += CountAt(list, at))
        last = at;
    return last;
}

bool IsPlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

// A mount point as the kernel lists it: absolute, with no empty, "." or ".." component.
bool IsMountPoint(std::string_view path) {
    if (path == "/")
        return true;
    if (!path.starts_with("/"))
        return false;
    for (std::size_t at = 1; at <= path.size();) {
        const std::size_t end = std::min(path.find('/', at), path.size());
        if (!IsPlainName(path.substr(at, end - at)))
            return false;
        at = end + 1;
    }
    return true;
}

std::string Join(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (path.empty() || path.back() != '/')
        path += '/';
    path += name;
    return path;
}

// Where a list leads: what its last identifier names and the file-system path of it, if any.
struct Place {
    bool valid = true;
    std::uint8_t kind = kDesktop;
    std::string path;
    std::string_view name;
    std::string mountPoint; // of the volume the list passes through
};

Place Locate(const std::vector<std::uint8_t>& list) {
    Place place;
    for (std::size_t at = 0; CountAt(list, at) != 0; at += CountAt(list, at)) {
        const std::size_t count = CountAt(list, at);
        const std::uint8_t kind = count > 2 ? list[at + 2] : 0;
        const std::string_view data(reinterpret_cast<const char*>(list.data()) + at + 3,
                                    count > 2 ? count - 3 : 0);
        const std::uint8_t parent = place.kind;
        if (parent == kDesktop && (kind == kHome || kind == kComputer || kind == kNetwork) && data.empty()) {
            place.path = kind == kHome ? CUserFolders::Home() : "";
        } else if (parent == kDesktop && kind == kDesktopEntry && IsPlainName(data)) {
            const std::string desktop = CUserFolders::Desktop();
            place.valid = !desktop.empty();
            place.path = Join(desktop, data);
        } else if ((parent == kComputer || parent == kNetwork) && kind == kVolume && IsMountPoint(data)) {
            place.path = place.mountPoint = std::string(data);
        } else if ((parent == kHome || parent == kVolume || parent == kEntry || parent == kDesktopEntry) &&
                   kind == kEntry && IsPlainName(data)) {
            place.path = Join(place.path, data);
        } else {
            place.valid = false;
        }
        if (!place.valid)
            return place;
        place.kind = kind;
        place.name = data;
    }
    return place;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

// The components of an absolute path, "." and empty ones dropped and ".." taken back.
std::vector<std::string_view> Components(std::string_view path) {
    std::vector<std::string_view> parts;
    while (!path.empty()) {
        const std::size_t end = std::min(path.find('/'), path.size());
        const std::string_view part = path.substr(0, end);
        path.remove_prefix(std::min(end + 1, path.size()));
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
    }
    return parts;
}

} // namespace

struct DCShellItem::Enumeration {
    std::vector<std::string> fixed; // kind byte and data of each child before the listing's
    CFolderListing listing;
    std::uint8_t listingKind = kEntry;
    std::size_t next = 0;
};

DCShellItem::DCShellItem() : m_list{0, 0} {}

DCShellItem::DCShellItem(std::string_view name) : m_list{0, 0} {
    if (name.starts_with("::")) {
        if (EqualNoCase(name, kComputerName))
            AppendIdentifier(kComputer, {});
        else if (EqualNoCase(name, kNetworkName))
            AppendIdentifier(kNetwork, {});
        return;
    }
    if (!name.starts_with("/") || name.find('\0') != std::string_view::npos)
        return;
    const std::vector<std::string_view> parts = Components(name);
    std::string path;
    for (const std::string_view part : parts)
        path.append("/").append(part);
    if (path.empty())
        path.push_back('/');
    struct stat info;
    if (lstat(path.c_str(), &info) != 0)
        return;
    const CMountTable mounts = CMountTable::Current();
    bool network = false;
    const CMountTable::Mount* volume = mounts.VolumeOf(path, &network);
    AppendIdentifier(network ? kNetwork : kComputer, {});
    AppendIdentifier(kVolume, volume->mountPoint);
    for (std::size_t i = Components(volume->mountPoint).size(); i < parts.size(); ++i)
        AppendIdentifier(kEntry, parts[i]);
}

DCShellItem::DCShellItem(std::vector<std::uint8_t> list) : m_list(std::move(list)) {
    std::size_t at = 0;
    while (at + 2 <= m_list.size()) {
        const std::size_t count = CountAt(m_list, at);
        if (count < 3 || at + count + 2 > m_list.size())
            break;
        at += count;
    }
    m_list.resize(at + 2);
    m_list[at] = m_list[at + 1] = 0;
}

DCShellItem::~DCShellItem() = default;

int DCShellItem::GetCount() const {
    int count = 0;
    for (std::size_t at = 0; CountAt(m_list, at) != 0; at += CountAt(m_list, at))
        ++count;
    return count;
}

std::unique_ptr<DCShellItem> DCShellItem::Clone() const {
    return std::make_unique<DCShellItem>(m_list);
}

std::unique_ptr<DCShellItem> DCShellItem::LastID() const {
    if (IsDesktop())
        return nullptr;
    const std::size_t last = LastOffset(m_list);
    return std::make_unique<DCShellItem>(
        std::vector<std::uint8_t>(m_list.begin() + static_cast<std::ptrdiff_t>(last), m_list.end()));
}

std::string_view DCShellItem::LastIdentifier() const {
    const std::size_t last = LastOffset(m_list);
    return std::string_view(reinterpret_cast<const char*>(m_list.data()) + last, CountAt(m_list, last));
}

std::unique_ptr<DCShellItem> DCShellItem::ChildItem(std::string_view identifier) const {
    std::vector<std::uint8_t> list(m_list.begin(), m_list.end() - 2);
    list.insert(list.end(), identifier.begin(), identifier.end());
    list.push_back(0);
    list.push_back(0);
    return std::make_unique<DCShellItem>(std::move(list));
}

std::string DCShellItem::Renamed(std::string_view identifier, std::string_view data) {
    if (identifier.size() < kIdentifierHeader || data.size() > kMaxIdentifierData)
        return {};
    const std::size_t count = kIdentifierHeader + data.size();
    std::string renamed;
    renamed.reserve(count);
    renamed += static_cast<char>(count & 0xFF);
    renamed += static_cast<char>(count >> 8);
    renamed += identifier[2];
    renamed += data;
    return renamed;
}

bool DCShellItem::RemoveLast() {
    if (IsDesktop())
        return false;
    const std::size_t last = LastOffset(m_list);
    m_list.resize(last + 2);
    m_list[last] = m_list[last + 1] = 0;
    return true;
}

void DCShellItem::Append(const DCShellItem& other) {
    m_list.resize(m_list.size() - 2);
    m_list.insert(m_list.end(), other.m_list.begin(), other.m_list.end());
}

int DCShellItem::CommonPrefixCount(const DCShellItem& other) const {
    int shared = 0;
    for (std::size_t at = 0;; ++shared) {
        const std::size_t count = CountAt(m_list, at);
        if (count == 0 || at + count + 2 > other.m_list.size() || count != CountAt(other.m_list, at) ||
            !std::equal(m_list.begin() + static_cast<std::ptrdiff_t>(at),
                        m_list.begin() + static_cast<std::ptrdiff_t>(at + count),
                        other.m_list.begin() + static_cast<std::ptrdiff_t>(at)))
            return shared;
        at += count;
    }
}

bool DCShellItem::operator==(const DCShellItem& other) const {
    const int count = GetCount();
    return count == other.GetCount() && CommonPrefixCount(other) == count;
}

void DCShellItem::AppendIdentifier(std::uint8_t kind, std::string_view data) {
    if (data.size() > kMaxIdentifierData)
        return;
    const std::size_t count = kIdentifierHeader + data.size();
    m_list.resize(m_list.size() - 2);
    m_list.push_back(static_cast<std::uint8_t>(count & 0xFF));
    m_list.push_back(static_cast<std::uint8_t>(count >> 8));
    m_list.push_back(kind);
    m_list.insert(m_list.end(), data.begin(), data.end());
    m_list.push_back(0);
    m_list.push_back(0);
}

std::string DCShellItem::GetDisplayName(int form) const {
    const Place place = Locate(m_list);
    if (!place.valid)
        return {};
    if (form == ForParsing) {
        switch (place.kind) {
        case kDesktop:
            return std::string(kDesktopName);
        case kComputer:
            return std::string(kComputerName);
        case kNetwork:
            return std::string(kNetworkName);
        default:
            return place.path;
        }
    }
    switch (place.kind) {
    case kDesktop:
        return "Desktop";
    case kHome:
        return "Home";
    case kComputer:
        return "Computer";
    case kNetwork:
        return "Network";
    case kVolume: {
        const CMountTable mounts = CMountTable::Current();
        const CMountTable::Mount* mount = mounts.Find(place.mountPoint);
        const std::string label = mount ? CMountTable::Label(mount->source) : "";
        return label.empty() ? place.mountPoint : label;
    }
    default:
        return std::string(place.name);
    }
}

DCShellItem::Child DCShellItem::FirstChild() {
    m_enumeration.reset();
    const Place place = Locate(m_list);
    if (!place.valid)
        return {nullptr, true};
    auto enumeration = std::make_unique<Enumeration>();
    if (place.kind == kDesktop) {
        enumeration->fixed = {std::string(1, kHome), std::string(1, kComputer), std::string(1, kNetwork)};
        const std::string desktop = CUserFolders::Desktop();
        // A desktop folder that cannot be read only leaves its entries out.
        if (!desktop.empty())
            enumeration->listing.Read(desktop);
        enumeration->listingKind = kDesktopEntry;
    } else if (place.kind == kComputer || place.kind == kNetwork) {
        const CMountTable mounts = CMountTable::Current();
        for (const CMountTable::Mount& mount :
             place.kind == kComputer ? mounts.LocalVolumes() : mounts.NetworkMounts())
            enumeration->fixed.push_back(static_cast<char>(kVolume) + mount.mountPoint);
    } else if (!enumeration->listing.Read(place.path)) {
        return {nullptr, true};
    }
    m_enumeration = std::move(enumeration);
    return {NextChild(), false};
}

std::unique_ptr<DCShellItem> DCShellItem::NextChild() {
    if (!m_enumeration)
        return nullptr;
    Enumeration& state = *m_enumeration;
    const std::size_t total = state.fixed.size() + state.listing.Count();
    if (state.next >= total) {
        m_enumeration.reset();
        return nullptr;
    }
    auto child = std::make_unique<DCShellItem>(m_list);
    const std::size_t index = state.next++;
    if (index < state.fixed.size()) {
        const std::string& id = state.fixed[index];
        child->AppendIdentifier(static_cast<std::uint8_t>(id[0]), std::string_view(id).substr(1));
    } else {
        child->AppendIdentifier(state.listingKind, state.listing.Name(index - state.fixed.size()));
    }
    return child;
}

std::string DCShellItem::GetPath() const {
    const Place place = Locate(m_list);
    return place.valid ? place.path : std::string();
}

std::uint32_t DCShellItem::Attributes(std::uint32_t asked) const {
    const Place place = Locate(m_list);
    if (!place.valid)
        return 0;
    if (place.path.empty())
        return AttrFolder & asked;
    std::uint32_t attributes = AttrFileSystem;
    struct stat info;
    if (lstat(place.path.c_str(), &info) == 0) {
        if (S_ISLNK(info.st_mode)) {
            attributes |= AttrLink;
            if (stat(place.path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
                attributes |= AttrFolder;
        } else if (S_ISDIR(info.st_mode)) {
            attributes |= AttrFolder;
        }
    }
    if ((asked & AttrReadOnly) && access(place.path.c_str(), W_OK) != 0)
        attributes |= AttrReadOnly;
    if ((place.kind == kEntry || place.kind == kDesktopEntry) && place.name.starts_with("."))
        attributes |= AttrHidden;
    if (asked & AttrRemovable) {
        const CMountTable mounts = CMountTable::Current();
        const CMountTable::Mount* volume =
            place.mountPoint.empty() ? mounts.VolumeOf(place.path) : mounts.Find(place.mountPoint);
        const CMountTable::Mount unlisted{place.mountPoint, "", "", "/"};
        if (CMountTable::IsRemovable(volume ? *volume : unlisted))
            attributes |= AttrRemovable;
    }
    return attributes & asked;
}

std::string DCShellItem::WhyNotRenamable() const {
    const Place place = Locate(m_list);
    if (!place.valid || (place.kind != kEntry && place.kind != kDesktopEntry))
        return "it is not an entry of a folder";
    const std::size_t slash = place.path.rfind('/');
    const std::string folder = slash == 0 ? "/" : place.path.substr(0, slash);
    if (access(folder.c_str(), W_OK | X_OK) != 0)
        return "the folder " + folder + " cannot be changed (" + std::strerror(errno) + ")";
    // In a sticky folder (/tmp) only the owner of the entry or of the folder may remove it.
    struct stat folderInfo, entryInfo;
    if (lstat(folder.c_str(), &folderInfo) != 0 || !(folderInfo.st_mode & S_ISVTX))
        return {};
    const uid_t user = geteuid();
    if (user == 0 || folderInfo.st_uid == user ||
        (lstat(place.path.c_str(), &entryInfo) == 0 && entryInfo.st_uid == user))
        return {};
    return "in the folder " + folder + " only the owner of an entry may change it";
}

bool DCShellItem::IsComputer() const {
    return m_list.size() == 5 && m_list[0] == 3 && m_list[1] == 0 && m_list[2] == kComputer;
}

bool DCShellItem::IsNetwork() const {
    return m_list.size() == 5 && m_list[0] == 3 && m_list[1] == 0 && m_list[2] == kNetwork;
}
