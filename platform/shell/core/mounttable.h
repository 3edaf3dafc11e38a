#pragma once

#include <string>
#include <string_view>
#include <vector>

// The mounted file systems as the kernel lists them in /proc/self/mountinfo, sorted into what the
// namespace shows: the local volumes under Computer and the network mounts under Network. Pseudo file
// systems, sandbox and snap mounts are nobody's drives and are left out.
class CMountTable {
public:
    struct Mount {
        std::string mountPoint; // bytes, escapes decoded
        std::string source;     // the device or share, escapes decoded
        std::string fsType;
        std::string root; // the part of the source file system mounted (not "/" for binds)
    };

    CMountTable() = default;
    // `text` in the format of /proc/self/mountinfo; lines that do not fit are skipped.
    explicit CMountTable(std::string_view text);
    // The table of this process; one with only "/" when the kernel's cannot be read.
    static CMountTable Current();

    // "/" first (always, even when the text lacks it), then the others by mount point.
    std::vector<Mount> LocalVolumes() const;
    // By mount point.
    std::vector<Mount> NetworkMounts() const;
    // Of the local volumes and network mounts, the one whose mount point is the longest prefix of the
    // absolute `path`; null for a path that is not absolute.
    const Mount* VolumeOf(std::string_view path, bool* network = nullptr) const;
    const Mount* Find(std::string_view mountPoint) const;

    static bool IsNetworkType(std::string_view fsType);
    // The label of the file system on `device` from the links in `byLabelDir`; empty when it has none.
    static std::string Label(const std::string& device, const std::string& byLabelDir = "/dev/disk/by-label");
    // Under /media or /run/media, or on a block device that the kernel says is removable.
    static bool IsRemovable(const Mount& mount, const std::string& sysClassBlock = "/sys/class/block");
    // "\040" and the like, as mountinfo writes space, tab, newline and backslash.
    static std::string DecodeOctal(std::string_view field);

private:
    bool IsShown(const Mount& mount) const;

    std::vector<Mount> m_mounts; // later mounts over the same point replace earlier ones
};
