#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/shell/core/mounttable.h"
#include "tempdir.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> MountPoints(const std::vector<CMountTable::Mount>& mounts) {
    std::vector<std::string> points;
    for (const CMountTable::Mount& mount : mounts)
        points.push_back(mount.mountPoint);
    return points;
}

// A desktop machine's mounts, the root listed late, with the pseudo, sandbox and snap mounts a browser
// must not show.
const char* const kDesktopMounts =
    "22 1 0:21 / /sys rw,nosuid - sysfs sysfs rw\n"
    "23 1 0:22 / /proc rw,nosuid - proc proc rw\n"
    "24 1 0:5 / /dev rw,nosuid shared:2 - devtmpfs udev rw,size=8000k\n"
    "25 24 0:23 / /dev/pts rw - devpts devpts rw,gid=5\n"
    "26 1 0:24 / /run rw shared:5 - tmpfs tmpfs rw\n"
    "28 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw,errors=remount-ro\n"
    "29 22 0:26 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n"
    "31 23 0:28 / /proc/sys/fs/binfmt_misc rw - autofs systemd-1 rw\n"
    "40 28 7:0 / /snap/core22/1380 ro,nodev shared:20 - squashfs /dev/loop0 ro\n"
    "41 28 8:1 / /boot/efi rw shared:22 - vfat /dev/sda1 rw\n"
    "42 28 8:3 / /home rw shared:23 - ext4 /dev/sda3 rw\n"
    "43 26 0:40 / /run/user/1000 rw shared:300 - tmpfs tmpfs rw\n"
    "44 43 0:41 / /run/user/1000/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw\n"
    "45 28 8:17 / /media/ann/My\\040Disk rw shared:400 - ext4 /dev/sdb1 rw\n"
    "46 28 0:50 / /mnt/share rw - nfs4 server:/export\\040all rw,vers=4.2\n"
    "47 28 0:51 / /mnt/ssh rw - fuse.sshfs ann@host: rw\n"
    "48 28 0:52 / /tmp rw - tmpfs tmpfs rw\n"
    "49 1 0:53 / /var/lib/docker/overlay2/abc/merged rw - overlay overlay rw\n"
    "not a mount line\n"
    "51 28 0:54 / /srv/blank rw - ext4  rw\n"
    "50 28 8:3 / /home rw - ext4 /dev/sda4 rw\n";

} // namespace

TEST(MountTable, LocalVolumesStartAtTheRootAndLeavePseudoMountsOut) {
    const CMountTable table(kDesktopMounts);
    EXPECT_EQ(
        MountPoints(table.LocalVolumes()),
        (std::vector<std::string>{"/", "/boot/efi", "/home", "/media/ann/My Disk", "/srv/blank", "/tmp"}));
    // The later mount over /home hides the earlier one.
    EXPECT_EQ(table.Find("/home")->source, "/dev/sda4");
    EXPECT_EQ(table.LocalVolumes().front().source, "/dev/sda2");
    EXPECT_EQ(table.Find("/srv/blank")->source, "");
}

TEST(MountTable, NetworkMountsAreTheirOwnGroup) {
    const CMountTable table(kDesktopMounts);
    const std::vector<CMountTable::Mount> network = table.NetworkMounts();
    EXPECT_EQ(MountPoints(network), (std::vector<std::string>{"/mnt/share", "/mnt/ssh"}));
    EXPECT_EQ(network.front().source, "server:/export all");
    EXPECT_TRUE(CMountTable::IsNetworkType("cifs"));
    EXPECT_FALSE(CMountTable::IsNetworkType("ext4"));
}

TEST(MountTable, RootIsKeptAsOverlayAndMadeUpWhenMissing) {
    const CMountTable container("600 500 0:60 / / rw - overlay overlay rw,lowerdir=/a\n"
                                "601 600 0:61 / /proc rw - proc proc rw\n");
    ASSERT_EQ(container.LocalVolumes().size(), 1u);
    EXPECT_EQ(container.LocalVolumes()[0].fsType, "overlay");
    EXPECT_EQ(MountPoints(CMountTable("").LocalVolumes()), std::vector<std::string>{"/"});
}

TEST(MountTable, BindMountOfAFileIsNoVolume) {
    const CTempDir dir;
    CTempDir::Write(dir / "hosts", "");
    fs::create_directory(dir / "data");
    const std::string text = "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
                             "2 1 8:1 /etc/hosts " +
                             (dir / "hosts") +
                             " rw - ext4 /dev/sda1 rw\n"
                             "3 1 8:1 /srv " +
                             (dir / "data") + " rw - ext4 /dev/sda1 rw\n";
    EXPECT_EQ(MountPoints(CMountTable(text).LocalVolumes()), (std::vector<std::string>{"/", dir / "data"}));
}

TEST(MountTable, OctalEscapesAreDecoded) {
    EXPECT_EQ(CMountTable::DecodeOctal("a\\040b\\011c\\012d\\134e"), "a b\tc\nd\\e");
    EXPECT_EQ(CMountTable::DecodeOctal("end\\04"), "end\\04");
    EXPECT_EQ(CMountTable::DecodeOctal("\\999"), "\\999");
}

TEST(MountTable, VolumeOfTakesTheLongestMountPoint) {
    const CMountTable table(kDesktopMounts);
    bool network = true;
    EXPECT_EQ(table.VolumeOf("/home/ann/x", &network)->mountPoint, "/home");
    EXPECT_FALSE(network);
    EXPECT_EQ(table.VolumeOf("/homework")->mountPoint, "/");
    EXPECT_EQ(table.VolumeOf("/proc/1")->mountPoint, "/");
    EXPECT_EQ(table.VolumeOf("/mnt/share/a", &network)->mountPoint, "/mnt/share");
    EXPECT_TRUE(network);
    EXPECT_EQ(table.VolumeOf("relative"), nullptr);
}

TEST(MountTable, LabelComesFromTheLinkToTheDevice) {
    const CTempDir dir;
    fs::create_directory(dir / "by-label");
    CTempDir::Write(dir / "sdb1", "");
    CTempDir::Write(dir / "sdc1", "");
    fs::create_symlink("../sdb1", dir / "by-label/My\\x20Disk");
    EXPECT_EQ(CMountTable::Label(dir / "sdb1", dir / "by-label"), "My Disk");
    EXPECT_EQ(CMountTable::Label(dir / "sdc1", dir / "by-label"), "");
    EXPECT_EQ(CMountTable::Label("server:/export", dir / "by-label"), "");
}

TEST(MountTable, RemovableByPlaceOrByTheKernelsFlag) {
    const CTempDir dir;
    fs::create_directories(dir / "devices/sdz/sdz1");
    fs::create_directories(dir / "devices/sdy/sdy1");
    CTempDir::Write(dir / "devices/sdz/removable", "1\n");
    CTempDir::Write(dir / "devices/sdy/removable", "0\n");
    fs::create_directories(dir / "block");
    fs::create_directories(dir / "dev");
    for (const std::string name : {"sdz1", "sdy1"}) {
        fs::create_symlink(dir / ("devices/" + name.substr(0, 3) + "/" + name), dir / ("block/" + name));
        CTempDir::Write(dir / ("dev/" + name), "");
    }
    EXPECT_TRUE(CMountTable::IsRemovable({"/mnt/stick", dir / "dev/sdz1", "vfat", "/"}, dir / "block"));
    EXPECT_FALSE(CMountTable::IsRemovable({"/mnt/disk", dir / "dev/sdy1", "ext4", "/"}, dir / "block"));
    EXPECT_TRUE(CMountTable::IsRemovable({"/run/media/ann/CARD", "", "exfat", "/"}, dir / "block"));
    EXPECT_FALSE(CMountTable::IsRemovable({"/mediocre", "", "ext4", "/"}, dir / "block"));
}
