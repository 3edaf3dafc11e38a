#include "snapshotstore.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <set>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "files/atomicfile.h"
#include "files/entrykind.h"
#include "files/filesizelimit.h"
#include "files/pendingfiles.h"
#include "files/profilevalues.h"
#include "files/regularfile.h"
#include "localtimetext.h"
#include "snapshotcatalogue.h"
#include "snapshotreference.h"
#include "storemessages.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kOpenFailed = "Error in opening the config file.";
constexpr const char* kWriteFailed = "Error in writing the config file.";
constexpr const char* kDamaged = "Config file DadUzura.cfg damaged.";
constexpr const char* kLockName = "DadUzura.lock";
constexpr int kLastImageNumber = 99999;
constexpr int kNotRegular = CRegularFile::kNotRegular;

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

std::string Why(int error) {
    switch (error) {
    case ELOOP:
        return "it is a symbolic link";
    case EISDIR:
        return "it is a folder";
    case kNotRegular:
        return "it is not a regular file";
    default:
        return std::strerror(error);
    }
}

std::string OpenFailed(const std::string& path, int error) {
    return std::string(kOpenFailed) + " (" + path + ": " + Why(error) + ")";
}

// A file of the store folder: only a regular file, never through a symbolic link.
int OpenStoreFile(const std::string& path, int flags, mode_t mode = 0) {
    return CRegularFile::Open(path, flags, CRegularFile::Links::Refuse, mode);
}

// Copies a regular file into a new image file, reading it to its end whatever size it reports.
bool CopyToImage(const std::string& source, const std::string& image, std::uint64_t& copied,
                 std::string& error) {
    const int in = CRegularFile::Open(source, O_RDONLY, CRegularFile::Links::Follow);
    struct stat st {};
    if (in < 0 || fstat(in, &st) != 0) {
        error = "Can't open the file " + source + " (" + Why(errno) + ")";
        if (in >= 0) {
            close(in);
        }
        return false;
    }
    std::string listed = image;
    int pending = -1;
    const int out = CPendingFiles::Create(
        [&st](std::string& path) {
            return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                        (st.st_mode & 0666) | 0600);
        },
        listed, pending);
    if (out < 0) {
        error = "Can't make the image " + image + " (" + std::strerror(errno) + ")";
        close(in);
        return false;
    }
    const CRegularFile::Copied end = CRegularFile::Copy(in, out, CFileSizeLimit::kMaxSnapshotSize, copied);
    bool ok = end == CRegularFile::Copied::All;
    if (end == CRegularFile::Copied::PastLimit) {
        error = CFileSizeLimit::TooLarge(source, "for a snapshot", CFileSizeLimit::kMaxSnapshotSize);
    } else if (end == CRegularFile::Copied::WriteFailed) {
        error = "Can't write the image " + image + " (" + std::strerror(errno) + ")";
    } else if (!ok) {
        error = "Can't read the file " + source + " (" + std::strerror(errno) + ")";
    }
    // The catalogue that will name the image is flushed to disk: the image must be there first.
    if (ok && (fsync(out) != 0 || close(out) != 0)) {
        error = "Can't write the image " + image + " (" + std::strerror(errno) + ")";
        ok = false;
    } else if (!ok) {
        close(out);
    }
    close(in);
    if (!ok) {
        unlink(image.c_str());
    }
    CPendingFiles::Forget(pending);
    return ok;
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

std::string CSnapshotStore::ChooseWorkingFolder(CProfileValues& profile, const std::string& programFolder,
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
    // Write access for the lock, and a file only its owner can open: a reader of the folder must not
    // be able to hold the lock and shut the owner out.
    const int fd = OpenStoreFile(path, O_RDWR | O_CREAT, 0600);
    if (fd < 0) {
        m_readOnlyReason = "its folder can't be written";
        m_messages.ShowNotice("The snapshot folder " + m_folder + " can't be written (" + path + ": " +
                              Why(errno) +
                              "): snapshots can be viewed and compared, but not taken, described "
                              "or deleted.");
        return false;
    }
    struct stat st {};
    if (fstat(fd, &st) == 0 && st.st_uid == geteuid() && (st.st_mode & 077) != 0) {
        fchmod(fd, 0600);
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 && !WaitForLock(fd)) {
        close(fd);
        m_readOnlyReason = "another Dyadmon is using it";
        m_messages.ShowNotice("Another Dyadmon is using the snapshot folder " + m_folder +
                              ": snapshots can be viewed and compared, but not taken, described or deleted "
                              "until it ends.");
        return false;
    }
    m_lockFd = fd;
    // Tells a command that finds the lock held whether waiting for it makes sense.
    const std::string_view holder = m_holder == Holder::Window ? "window\n" : "command\n";
    if (ftruncate(fd, 0) == 0) {
        [[maybe_unused]] const ssize_t written = pwrite(fd, holder.data(), holder.size(), 0);
    }
    return true;
}

bool CSnapshotStore::WaitForLock(int fd) const {
    if (m_holder != Holder::Command) {
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + m_lockWait;
    while (std::chrono::steady_clock::now() < deadline) {
        char text[16] = {};
        if (pread(fd, text, sizeof text - 1, 0) > 0 && std::string_view(text).starts_with("window")) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
            return true;
        }
    }
    return false;
}

void CSnapshotStore::WorkReadOnly(const std::string& reason) {
    m_readOnly = true;
    m_readOnlyReason = reason;
    if (m_lockFd >= 0) {
        close(m_lockFd);
        m_lockFd = -1;
    }
}

bool CSnapshotStore::LoadCatalogue(const std::string& folder, Access access) {
    m_folder = folder;
    m_records.clear();
    m_readOnlyReason.clear();
    m_damaged = false;
    m_readable = true;
    m_saved = false;
    m_readOnly = access == Access::ReadOnly || !TakeLock();
    if (access == Access::ReadOnly) {
        m_readOnlyReason = "it was opened for reading only";
    }

    std::string bytes;
    mode_t mode = 0644;
    if (!ReadCatalogue(bytes, mode)) {
        return true;
    }
    CSnapshotCatalogue::Contents contents = CSnapshotCatalogue::Parse(bytes);
    m_records = std::move(contents.records);
    if (contents.damaged) {
        m_damaged = true;
        m_messages.ShowError(kDamaged);
        if (!m_readOnly && !KeepDamagedCopy(bytes, mode)) {
            m_messages.ShowError("No copy of the damaged catalogue can be kept beside it (" + Why(errno) +
                                 "): it is not written over.");
            WorkReadOnly("its damaged catalogue could not be kept aside");
        }
    }
    return true;
}

// False when there is nothing to parse: no catalogue (one is made when the store may write), or one
// that cannot be read, which then makes the store read-only.
bool CSnapshotStore::ReadCatalogue(std::string& bytes, mode_t& mode) {
    const std::string path = CataloguePath();
    int fd = OpenStoreFile(path, O_RDONLY);
    if (fd < 0 && errno == ENOENT) {
        if (m_readOnly) {
            return false;
        }
        fd = OpenStoreFile(path, O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd >= 0) {
            close(fd);
            return false;
        }
    }
    struct stat st {};
    bool read = fd >= 0 && fstat(fd, &st) == 0 && ReadWholeFile(fd, bytes);
    const int error = errno;
    if (fd >= 0) {
        close(fd);
    }
    if (!read) {
        m_readable = false;
        m_messages.ShowError(OpenFailed(path, error));
        WorkReadOnly("its catalogue can't be read");
        return false;
    }
    mode = st.st_mode & 0777;
    return true;
}

// The damaged catalogue is kept byte for byte, with its permissions, before the next save could write
// over it, beside any copy kept before.
bool CSnapshotStore::KeepDamagedCopy(const std::string& bytes, mode_t mode) {
    const std::string base = CataloguePath() + ".damaged";
    for (int n = 1; n < 1000; ++n) {
        const std::string name = n == 1 ? base : base + "." + std::to_string(n);
        const int fd = OpenStoreFile(name, O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd < 0 && errno == EEXIST) {
            continue;
        }
        if (fd < 0) {
            return false;
        }
        bool kept = fchmod(fd, mode) == 0 && CAtomicFile::WriteFully(fd, bytes);
        kept = close(fd) == 0 && kept;
        if (!kept) {
            const int error = errno;
            unlink(name.c_str());
            errno = error;
        }
        return kept;
    }
    errno = EEXIST;
    return false;
}

bool CSnapshotStore::SaveCatalogue() {
    if (m_readOnly) {
        return true;
    }
    m_saved = true;
    const std::string path = CataloguePath();
    struct stat st {};
    // Removed while the program ran: not made again.
    if (lstat(path.c_str(), &st) != 0) {
        m_messages.ShowError(OpenFailed(path, errno));
        return false;
    }
    CAtomicFile file;
    if (!file.Open(path, CAtomicFile::Target::StoreFile)) {
        m_messages.ShowError(OpenFailed(path, errno));
        return false;
    }
    if (!file.WriteAll(CSnapshotCatalogue::Serialize(m_records)) || !file.Commit(true)) {
        const int error = errno;
        file.Discard();
        m_messages.ShowError(std::string(kWriteFailed) + " (" + std::strerror(error) + ")");
        return false;
    }
    return true;
}

bool CSnapshotStore::RefuseIfReadOnly() {
    if (m_readOnly) {
        m_lastError = "The snapshot folder " + m_folder + " can't be changed: " + m_readOnlyReason + ".";
    }
    return m_readOnly;
}

int CSnapshotStore::HighestImageNumber() const {
    int highest = 0;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(m_folder, ec)) {
        highest = std::max(highest, ImageNumber(entry.path().filename().string()));
    }
    // A record whose image has gone still owns its number: another image of that name would be read
    // as its snapshot, and deleted with it.
    for (const SnapshotRecord& r : m_records) {
        highest = std::max(highest, ImageNumber(r.imageFile));
    }
    return highest;
}

std::string CSnapshotStore::MakeImage(const std::string& sourcePath, std::uint64_t* copied) {
    if (RefuseIfReadOnly()) {
        return {};
    }
    const int highest = HighestImageNumber();
    if (highest >= kLastImageNumber) {
        m_lastError =
            "No more snapshots can be taken in " + m_folder + ": Hex99999.img is the last image number.";
        return {};
    }
    char name[24];
    std::snprintf(name, sizeof name, "Hex%05d.img", highest + 1);
    std::uint64_t bytes = 0;
    if (!CopyToImage(sourcePath, m_folder + "/" + name, bytes, m_lastError)) {
        return {};
    }
    if (copied != nullptr) {
        *copied = bytes;
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
    std::uint64_t copied = 0;
    record.imageFile = MakeImage(record.sourcePath, &copied);
    if (record.imageFile.empty()) {
        return -1;
    }
    // What was copied, not what the file said of itself: files of /proc say they are empty.
    record.size = static_cast<std::uint32_t>(copied);
    m_records.push_back(std::move(record));
    m_saved = false;
    return GetCount() - 1;
}

CSnapshotStore::Taken CSnapshotStore::TakeSnapshot(const std::string& path, std::time_t now) {
    SnapshotRecord record;
    if (!DescribeFile(path, now, record, m_lastError)) {
        return {-1, Taken::Failed::Describe};
    }
    const int position = AddRecord(std::move(record));
    if (position < 0) {
        return {-1, Taken::Failed::Copy};
    }
    if (!SaveCatalogue()) {
        UndoAdd(position);
        return {-1, Taken::Failed::Save};
    }
    return {position, Taken::Failed::Nothing};
}

void CSnapshotStore::UndoAdd(int position) {
    if (!IsValidPosition(position)) {
        return;
    }
    const std::string image = GetAt(position).imageFile;
    m_records.erase(m_records.begin() + position);
    unlink((m_folder + "/" + image).c_str());
}

bool CSnapshotStore::RemoveRecords(std::vector<int> positions) {
    if (RefuseIfReadOnly()) {
        return false;
    }
    if (!std::all_of(positions.begin(), positions.end(), [this](int p) { return IsValidPosition(p); })) {
        m_lastError = "There is no such snapshot.";
        return false;
    }
    // Split in one pass; the records removed are kept aside until the catalogue without them is saved.
    std::vector<bool> going(m_records.size(), false);
    for (const int position : positions) {
        going[static_cast<std::size_t>(position)] = true;
    }
    std::vector<SnapshotRecord> kept;
    std::vector<SnapshotRecord> removed;
    kept.reserve(m_records.size());
    for (std::size_t i = 0; i < m_records.size(); ++i) {
        (going[i] ? removed : kept).push_back(std::move(m_records[i]));
    }
    m_records = std::move(kept);
    if (!SaveCatalogue()) {
        // Put back in their places.
        std::vector<SnapshotRecord> all;
        all.reserve(going.size());
        for (std::size_t i = 0, k = 0, r = 0; i < going.size(); ++i) {
            all.push_back(std::move(going[i] ? removed[r++] : m_records[k++]));
        }
        m_records = std::move(all);
        m_saved = false;
        m_lastError = "The catalogue could not be saved: nothing was removed.";
        return false;
    }
    // An image is deleted once, and only when no record left names it (a catalogue edited by hand may
    // give two records one image).
    std::set<std::string> named;
    for (const SnapshotRecord& record : m_records) {
        named.insert(record.imageFile);
    }
    for (const SnapshotRecord& record : removed) {
        if (!named.insert(record.imageFile).second) {
            continue;
        }
        if (unlink((m_folder + "/" + record.imageFile).c_str()) != 0) {
            m_messages.ShowError("Delete " + record.imageFile + " failed.");
        }
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

CFileTarget CSnapshotStore::Resolve(const std::string& target) const {
    const std::optional<int> position = CSnapshotReference::Parse(target);
    if (!position) {
        return {target, target, false};
    }
    if (!IsValidPosition(*position)) {
        return {{}, target, true};
    }
    return {ImagePath(*position), GetAt(*position).snapshotName, true};
}

bool CSnapshotStore::DescribeFile(const std::string& path, std::time_t now, SnapshotRecord& record,
                                  std::string& error) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        error = "Can't open the file " + path + " (" + CEntryKind::WhyNotRegular(path) + ")";
        return false;
    }
    // The size field has 32 bits: a larger file would be recorded with a wrapped size.
    if (static_cast<std::uint64_t>(st.st_size) > CFileSizeLimit::kMaxSnapshotSize) {
        error = CFileSizeLimit::TooLarge(path, "for a snapshot", CFileSizeLimit::kMaxSnapshotSize);
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
