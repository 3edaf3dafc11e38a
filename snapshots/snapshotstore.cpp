#include "snapshotstore.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "compare/atomicfile.h"
#include "localtimetext.h"
#include "snapshotcatalogue.h"
#include "storemessages.h"
#include "storeprofile.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kOpenFailed = "Error in opening the config file.";
constexpr const char* kWriteFailed = "Error in writing the config file.";
constexpr const char* kDamaged = "Config file DadUzura.cfg damaged.";
constexpr const char* kLockName = "DadUzura.lock";
constexpr int kLastImageNumber = 99999;

bool IsUsableFolder(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(path, ec) && access(path.c_str(), R_OK | X_OK) == 0;
}

// Makes the folder if need be; true when it is there and can be written.
bool IsWritableFolder(const std::string& path) {
    std::error_code ec;
    fs::create_directories(path, ec);
    return IsUsableFolder(path) && access(path.c_str(), W_OK) == 0;
}

bool ReadWholeFile(int fd, std::string& bytes) {
    char chunk[1 << 16];
    for (;;) {
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            return true;
        }
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The number an image name holds for the numbering, or -1 when it holds none: only names of exactly
// 12 characters with digits in the 4th to 8th place count.
int ImageNumber(std::string_view name) {
    if (name.size() < 7 || !EqualsIgnoringCase(name.substr(0, 3), "hex") ||
        !EqualsIgnoringCase(name.substr(name.size() - 4), ".img")) {
        return -1;
    }
    if (name.size() != 12 ||
        !std::all_of(name.begin() + 3, name.begin() + 8, [](char c) { return c >= '0' && c <= '9'; })) {
        return 0;
    }
    int number = 0;
    std::from_chars(name.data() + 3, name.data() + 8, number);
    return number;
}

} // namespace

CSnapshotStore::CSnapshotStore(CStoreMessages& messages) : m_messages(messages) {}

CSnapshotStore::~CSnapshotStore() {
    if (!m_saved) {
        SaveCatalogue();
    }
    if (m_lockFd >= 0) {
        close(m_lockFd);
    }
}

std::string CSnapshotStore::DefaultUserDataFolder() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
        base = std::string(home) + "/.local/share";
    } else {
        return {};
    }
    return base + "/Orvane Lab/Dyadmon v3.0";
}

std::string CSnapshotStore::ChooseWorkingFolder(CStoreProfile& profile, const std::string& programFolder,
                                                const std::string& userDataFolder) {
    const std::string saved = profile.GetString("Settings", "WorkingDir");
    if (!saved.empty() && IsUsableFolder(saved)) {
        return saved;
    }
    // An existing "DadUzura" beside the program is used as it is: falling back to the program folder
    // itself would hide every snapshot in it. A program in a system folder can make none there.
    std::string folder = programFolder;
    if (!folder.empty() && folder.back() == '/') {
        folder.pop_back();
    }
    std::string chosen = folder + "/DadUzura";
    if (!IsWritableFolder(chosen)) {
        const std::string personal = userDataFolder.empty() ? std::string() : userDataFolder + "/DadUzura";
        if (!personal.empty() && IsWritableFolder(personal)) {
            chosen = personal;
        } else if (!IsUsableFolder(chosen)) {
            return {};
        }
    }
    profile.WriteString("Settings", "WorkingDir", chosen);
    return chosen;
}

std::string CSnapshotStore::CataloguePath() const {
    return m_folder + "/" + std::string(CSnapshotCatalogue::kFileName);
}

std::string CSnapshotStore::ImagePath(int position) const {
    return m_folder + "/" + GetAt(position).imageFile;
}

bool CSnapshotStore::TakeLock() {
    const std::string path = m_folder + "/" + kLockName;
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        m_messages.ShowNotice(
            "The snapshot folder " + m_folder +
            " can't be written: snapshots can be viewed and compared, but not taken, described "
            "or deleted.");
        return false;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        m_messages.ShowNotice("Another Dyadmon is using the snapshot folder " + m_folder +
                              ": snapshots can be viewed and compared, but not taken, described or deleted "
                              "until it ends.");
        return false;
    }
    m_lockFd = fd;
    return true;
}

bool CSnapshotStore::LoadCatalogue(const std::string& folder, Access access) {
    m_folder = folder;
    m_records.clear();
    m_damaged = false;
    m_saveable = false;
    m_saved = false;
    m_readOnly = access == Access::ReadOnly || !TakeLock();

    const std::string path = CataloguePath();
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) {
            m_messages.ShowError(kOpenFailed);
        } else if (!m_readOnly) {
            const int made = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            if (made < 0) {
                m_messages.ShowError(kOpenFailed);
            } else {
                close(made);
                m_saveable = true;
            }
        }
        return true;
    }
    std::string bytes;
    const bool read = ReadWholeFile(fd, bytes);
    close(fd);
    if (!read) {
        m_messages.ShowError(kOpenFailed);
        return true;
    }
    CSnapshotCatalogue::Contents contents = CSnapshotCatalogue::Parse(bytes);
    m_records = std::move(contents.records);
    m_saveable = !m_readOnly;
    if (contents.damaged) {
        m_damaged = true;
        if (!m_readOnly) {
            KeepDamagedCopy(bytes);
        }
        m_messages.ShowError(kDamaged);
    }
    return true;
}

// The damaged catalogue is kept byte for byte before the next save could write over it, beside any
// copy kept before. Without a copy the catalogue is not written over at all.
void CSnapshotStore::KeepDamagedCopy(const std::string& bytes) {
    const std::string base = CataloguePath() + ".damaged";
    for (int n = 1; n < 1000; ++n) {
        const std::string name = n == 1 ? base : base + "." + std::to_string(n);
        const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno == EEXIST) {
            continue;
        }
        bool kept = fd >= 0;
        for (std::size_t done = 0; kept && done < bytes.size();) {
            const ssize_t w = write(fd, bytes.data() + done, bytes.size() - done);
            kept = w > 0;
            done += kept ? static_cast<std::size_t>(w) : 0;
        }
        if (fd >= 0) {
            kept = close(fd) == 0 && kept;
        }
        if (!kept) {
            unlink(name.c_str());
        }
        m_saveable = kept;
        return;
    }
    m_saveable = false;
}

bool CSnapshotStore::SaveCatalogue() {
    if (m_readOnly || !m_saveable) {
        return true;
    }
    m_saved = true;
    // Removed while the program ran: not made again.
    if (access(CataloguePath().c_str(), F_OK) != 0) {
        m_messages.ShowError(kOpenFailed);
        return false;
    }
    CAtomicFile file;
    if (!file.Open(CataloguePath())) {
        m_messages.ShowError(kOpenFailed);
        return false;
    }
    if (!file.WriteAll(CSnapshotCatalogue::Serialize(m_records)) || !file.Commit(true)) {
        file.Discard();
        m_messages.ShowError(kWriteFailed);
        return false;
    }
    return true;
}

bool CSnapshotStore::RefuseIfReadOnly() {
    if (m_readOnly) {
        m_lastError = "The snapshot folder " + m_folder + " is read-only for this Dyadmon.";
    }
    return m_readOnly;
}

std::string CSnapshotStore::MakeImage(const std::string& sourcePath) {
    if (RefuseIfReadOnly()) {
        return {};
    }
    int highest = 0;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(m_folder, ec)) {
        highest = std::max(highest, ImageNumber(entry.path().filename().string()));
    }
    if (highest >= kLastImageNumber) {
        m_lastError =
            "No more snapshots can be taken in " + m_folder + ": Hex99999.img is the last image number.";
        return {};
    }
    char name[24];
    std::snprintf(name, sizeof name, "Hex%05d.img", highest + 1);
    const std::string target = m_folder + "/" + name;
    if (!fs::copy_file(sourcePath, target, fs::copy_options::overwrite_existing, ec)) {
        fs::remove(target, ec);
        m_lastError = "Can't copy the file " + sourcePath + " to " + target + ".";
        return {};
    }
    return name;
}

int CSnapshotStore::AddRecord(SnapshotRecord record) {
    if (RefuseIfReadOnly()) {
        return -1;
    }
    if (!CSnapshotCatalogue::Fits(record)) {
        m_lastError =
            "The snapshot of " + record.sourcePath + " can't be kept: the catalogue holds at most " +
            std::to_string(CSnapshotCatalogue::kMaxText) + " bytes of path, name, date or description.";
        return -1;
    }
    record.imageFile = MakeImage(record.sourcePath);
    if (record.imageFile.empty()) {
        return -1;
    }
    m_records.push_back(std::move(record));
    m_saved = false;
    return GetCount() - 1;
}

bool CSnapshotStore::RemoveRecord(int position) {
    if (RefuseIfReadOnly() || !IsValidPosition(position)) {
        return false;
    }
    const std::string image = GetAt(position).imageFile;
    m_records.erase(m_records.begin() + position);
    m_saved = false;
    if (unlink((m_folder + "/" + image).c_str()) != 0) {
        m_messages.ShowError("Delete " + image + " failed.");
    }
    return true;
}

bool CSnapshotStore::SetDescription(int position, const std::string& text) {
    if (RefuseIfReadOnly() || !IsValidPosition(position)) {
        return false;
    }
    if (text.size() > CSnapshotCatalogue::kMaxText) {
        m_lastError = "A description holds at most " + std::to_string(CSnapshotCatalogue::kMaxText) +
                      " bytes; this one has " + std::to_string(text.size()) + ".";
        return false;
    }
    m_records[static_cast<std::size_t>(position)].description = text;
    m_saved = false;
    return true;
}

bool CSnapshotStore::ResolveTarget(const std::string& target, std::string& name, std::string& path) const {
    if (target.empty() || target[0] != '*') {
        name = path = target;
        return true;
    }
    int number = 0;
    const char* digits = target.data() + 1;
    const auto [end, ec] = std::from_chars(digits, target.data() + target.size(), number);
    if (ec != std::errc() || end == digits || !IsValidPosition(number - 1)) {
        return false;
    }
    name = GetAt(number - 1).snapshotName;
    path = ImagePath(number - 1);
    return true;
}

bool CSnapshotStore::DescribeFile(const std::string& path, std::time_t now, SnapshotRecord& record,
                                  std::string& error) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        error = "Can't open the file " + path;
        return false;
    }
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec).lexically_normal();
    record.snapshotName = absolute.filename().string() + "  (" + CLocalTimeText::Format(now) + ")";
    record.sourcePath = absolute.string();
    record.sourceDate = CLocalTimeText::Format(st.st_mtime);
    record.size = static_cast<std::uint32_t>(st.st_size);
    record.description.clear();
    return true;
}
