#include "mounttable.h"

#include <algorithm>
#include <cctype>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unordered_set>

namespace {

constexpr std::string_view kPseudoTypes[] = {
    "proc",    "sysfs",           "cgroup",      "cgroup2",    "devpts",    "devtmpfs",   "debugfs",
    "tracefs", "securityfs",      "bpf",         "mqueue",     "hugetlbfs", "configfs",   "pstore",
    "autofs",  "fusectl",         "binfmt_misc", "nsfs",       "efivarfs",  "rpc_pipefs", "selinuxfs",
    "nfsd",    "fuse.gvfsd-fuse", "fuse.portal", "fuse.lxcfs", "ramfs",     "overlay",    "aufs"};

constexpr std::string_view kNetworkTypes[] = {
    "nfs",       "nfs4",           "cifs",       "smb3",  "smbfs", "ncpfs",       "afs",         "ceph",
    "glusterfs", "fuse.glusterfs", "fuse.sshfs", "sshfs", "davfs", "fuse.davfs2", "fuse.rclone", "fuse.s3fs"};

bool IsUnder(std::string_view path, std::string_view folder) {
    return path.starts_with(folder) && (path.size() == folder.size() || path[folder.size()] == '/');
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t at = 0;
    while (at < line.size()) {
        // Single spaces: an empty field must keep its place.
        const std::size_t end = std::min(line.find(' ', at), line.size());
        fields.push_back(line.substr(at, end - at));
        at = end + 1;
    }
    return fields;
}

} // namespace

CMountTable::CMountTable(std::string_view text) {
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n', 0), text.size());
        const std::vector<std::string_view> fields = SplitFields(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        // id parent major:minor root mount-point options [optional...] - type source super-options
        if (fields.size() < 10)
            continue;
        const auto dash = std::find(fields.begin() + 6, fields.end(), "-");
        if (fields.end() - dash < 3)
            continue;
        Mount mount{DecodeOctal(fields[4]), DecodeOctal(dash[2]), DecodeOctal(dash[1]),
                    DecodeOctal(fields[3])};
        if (mount.mountPoint.empty() || mount.mountPoint[0] != '/')
            continue;
        m_mounts.push_back(std::move(mount));
    }
    // A later mount over the same point hides the earlier one and takes its place in the order: keep
    // the last of each, in one pass from the end (hosts with thousands of mounts exist).
    std::unordered_set<std::string> seen;
    std::vector<Mount> kept;
    for (auto it = m_mounts.rbegin(); it != m_mounts.rend(); ++it) {
        if (seen.insert(it->mountPoint).second) {
            kept.push_back(std::move(*it));
        }
    }
    m_mounts.assign(std::make_move_iterator(kept.rbegin()), std::make_move_iterator(kept.rend()));
}

CMountTable CMountTable::Current() {
    std::ifstream in("/proc/self/mountinfo", std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    return CMountTable(text);
}

std::string CMountTable::DecodeOctal(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const auto octal = [](char c) { return c >= '0' && c <= '7'; };
            if (octal(field[i + 1]) && octal(field[i + 2]) && octal(field[i + 3])) {
                out += static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) |
                                         (field[i + 3] - '0'));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

bool CMountTable::IsNetworkType(std::string_view fsType) {
    return std::ranges::find(kNetworkTypes, fsType) != std::end(kNetworkTypes);
}

bool CMountTable::IsShown(const Mount& mount) const {
    const std::string_view point = mount.mountPoint;
    if (point == "/")
        return true;
    // Sandboxes mount over parts of these; none of it is a drive.
    if (IsUnder(point, "/proc") || IsUnder(point, "/sys") || IsUnder(point, "/dev"))
        return false;
    if (mount.fsType == "tmpfs" && IsUnder(point, "/run"))
        return false;
    if (std::ranges::find(kPseudoTypes, mount.fsType) != std::end(kPseudoTypes))
        return false;
    if (IsUnder(point, "/snap") || IsUnder(point, "/var/lib/snapd"))
        return false;
    // A bind mount of a single file (containers do that for /etc/hosts) is no volume.
    struct stat info;
    if (stat(mount.mountPoint.c_str(), &info) == 0 && !S_ISDIR(info.st_mode))
        return false;
    return true;
}

std::vector<CMountTable::Mount> CMountTable::LocalVolumes() const {
    std::vector<Mount> volumes;
    for (const Mount& mount : m_mounts)
        if (!IsNetworkType(mount.fsType) && IsShown(mount))
            volumes.push_back(mount);
    if (std::none_of(volumes.begin(), volumes.end(), [](const Mount& m) { return m.mountPoint == "/"; }))
        volumes.push_back({"/", "", "", "/"});
    std::sort(volumes.begin(), volumes.end(), [](const Mount& a, const Mount& b) {
        if ((a.mountPoint == "/") != (b.mountPoint == "/"))
            return a.mountPoint == "/";
        return a.mountPoint < b.mountPoint;
    });
    return volumes;
}

std::vector<CMountTable::Mount> CMountTable::NetworkMounts() const {
    std::vector<Mount> mounts;
    for (const Mount& mount : m_mounts)
        if (IsNetworkType(mount.fsType) && mount.mountPoint != "/")
            mounts.push_back(mount);
    std::sort(mounts.begin(), mounts.end(),
              [](const Mount& a, const Mount& b) { return a.mountPoint < b.mountPoint; });
    return mounts;
}

const CMountTable::Mount* CMountTable::Find(std::string_view mountPoint) const {
    for (const Mount& mount : m_mounts)
        if (mount.mountPoint == mountPoint)
            return &mount;
    return nullptr;
}

const CMountTable::Mount* CMountTable::VolumeOf(std::string_view path, bool* network) const {
    if (path.empty() || path[0] != '/')
        return nullptr;
    static const Mount root{"/", "", "", "/"};
    const Mount* best = nullptr;
    for (const Mount& mount : m_mounts) {
        const bool shown = IsNetworkType(mount.fsType) ? mount.mountPoint != "/" : IsShown(mount);
        if (!shown || !(mount.mountPoint == "/" || IsUnder(path, mount.mountPoint)))
            continue;
        if (!best || mount.mountPoint.size() > best->mountPoint.size())
            best = &mount;
    }
    if (!best)
        best = &root;
    if (network)
        *network = best->mountPoint != "/" && IsNetworkType(best->fsType);
    return best;
}

std::string CMountTable::Label(const std::string& device, const std::string& byLabelDir) {
    if (device.empty() || device[0] != '/')
        return {};
    char resolved[PATH_MAX];
    if (!realpath(device.c_str(), resolved))
        return {};
    DIR* dir = opendir(byLabelDir.c_str());
    if (!dir)
        return {};
    std::string label;
    while (const dirent* entry = readdir(dir)) {
        const std::string link = byLabelDir + "/" + entry->d_name;
        char target[PATH_MAX];
        if (entry->d_name[0] == '.' || !realpath(link.c_str(), target) ||
            std::string_view(target) != resolved)
            continue;
        // udev writes unsafe bytes of a label as "\xHH".
        const std::string_view name = entry->d_name;
        for (std::size_t i = 0; i < name.size(); ++i) {
            if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' &&
                std::isxdigit(static_cast<unsigned char>(name[i + 2])) &&
                std::isxdigit(static_cast<unsigned char>(name[i + 3]))) {
                label += static_cast<char>(std::stoi(std::string(name.substr(i + 2, 2)), nullptr, 16));
                i += 3;
            } else {
                label += name[i];
            }
        }
        break;
    }
    closedir(dir);
    return label;
}

bool CMountTable::IsRemovable(const Mount& mount, const std::string& sysClassBlock) {
    if (IsUnder(mount.mountPoint, "/media") || IsUnder(mount.mountPoint, "/run/media"))
        return true;
    char device[PATH_MAX];
    if (mount.source.empty() || mount.source[0] != '/' || !realpath(mount.source.c_str(), device))
        return false;
    const std::string_view name = std::string_view(device).substr(std::string_view(device).rfind('/') + 1);
    char block[PATH_MAX];
    if (name.empty() || !realpath((sysClassBlock + "/" + std::string(name)).c_str(), block))
        return false;
    // A partition's own folder has no "removable"; its disk, one folder up, has.
    std::string folder = block;
    for (int level = 0; level < 2 && folder.size() > 1; ++level, folder.resize(folder.rfind('/'))) {
        std::ifstream in(folder + "/removable");
        char flag = 0;
        if (in >> flag)
            return flag == '1';
    }
    return false;
}
