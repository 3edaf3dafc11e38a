#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>
#include <string>
#include <sys/types.h>
#include <vector>

#include "files/filetarget.h"
#include "snapshotrecord.h"

class CStoreMessages;
class CProfileValues;

// The snapshots of one working folder: numbered image files, copied at once when a snapshot is taken
// and deleted at once when it is removed, and the catalogue "DadUzura.cfg" of their records, read
// when the store is loaded and written in full when it is destroyed.
//
// One writer at a time: a store that may write holds a lock on the folder for its whole life. A store
// that finds the lock taken, the folder not writable, or a catalogue it cannot write (not a regular
// file, unreadable, or damaged with no copy of it kept aside) works read-only: it loads and lists,
// and never saves, makes or deletes anything.
//
// The folder may hold anything: the catalogue, the lock and every image are opened without following
// a symbolic link and only as regular files.
class CSnapshotStore {
public:
    enum class Access { ReadWrite, ReadOnly };
    // Who takes the store's lock: a window holds it for as long as it is open, a command for moments.
    enum class Holder { Window, Command };

    explicit CSnapshotStore(CStoreMessages& messages);
    CSnapshotStore(const CSnapshotStore&) = delete;
    CSnapshotStore& operator=(const CSnapshotStore&) = delete;
    // Saves the catalogue when the store may write, unless it was saved since its last change.
    virtual ~CSnapshotStore();

    // The working folder from the profile's "Settings"/"WorkingDir" when it names a usable folder;
    // otherwise a "DadUzura" folder beside the program, or, when none can be made or written there,
    // in the user's data folder. The choice is written back to the profile. Empty when no folder can
    // be had at all.
    static std::string ChooseWorkingFolder(CProfileValues& profile, const std::string& programFolder,
                                           const std::string& userDataFolder);
    // $XDG_DATA_HOME (or ~/.local/share) + "/Orvane Lab/Dyadmon v3.0".
    static std::string DefaultUserDataFolder();

    // Before LoadCatalogue: a command finding the lock held by another command waits up to `wait` for
    // it; held by a window, it is refused at once, as a window may stay open for days.
    void SetHolder(Holder holder, std::chrono::milliseconds wait = {}) {
        m_holder = holder;
        m_lockWait = wait;
    }

    // Reads the catalogue of `folder`, making an empty one if there is none (when writable).
    bool LoadCatalogue(const std::string& folder, Access access = Access::ReadWrite);
    // False when the catalogue could not be written (the message has been shown). A read-only store
    // has nothing to save.
    bool SaveCatalogue();

    // What TakeSnapshot did: the new record's position, or which step failed. LastError() says why
    // the file could not be described or copied; a failed save has been told through the messages.
    struct Taken {
        enum class Failed { Nothing, Describe, Copy, Save };
        int position = -1;
        Failed failed = Failed::Nothing;
    };
    // The whole of taking a snapshot of the file at `path` at `now`: describes it, copies its image,
    // appends the record and saves the catalogue. When a step fails the store is left as it was: no
    // image stays without the record that names it.
    Taken TakeSnapshot(const std::string& path, std::time_t now);
    // Copies record.sourcePath to the next image number and appends the record, its size set to the
    // bytes copied: its position, or -1 with LastError() saying why. Not saved.
    int AddRecord(SnapshotRecord record);
    // The new image's name, or empty with LastError() saying why. `copied` gets the bytes copied.
    std::string MakeImage(const std::string& sourcePath, std::uint64_t* copied = nullptr);
    // Removes the records, saves the catalogue without them, and only then deletes their images, so
    // that no record on disk is left without its image. False, with the records kept, when the save
    // fails or a position is out of range.
    bool RemoveRecords(std::vector<int> positions);
    bool RemoveRecord(int position) { return RemoveRecords({position}); }
    // False, with LastError(), for a text the catalogue cannot hold.
    bool SetDescription(int position, const std::string& text);

    int GetCount() const { return static_cast<int>(m_records.size()); }
    bool IsValidPosition(int position) const { return position >= 0 && position < GetCount(); }
    const SnapshotRecord& GetAt(int position) const { return m_records[static_cast<std::size_t>(position)]; }
    const std::string& GetWorkingDir() const { return m_folder; }
    std::string ImagePath(int position) const;

    bool IsReadOnly() const { return m_readOnly; }
    // Why the store is read-only, in a few words ("another Dyadmon is using it"); empty when it is not.
    const std::string& ReadOnlyReason() const { return m_readOnlyReason; }
    bool IsDamaged() const { return m_damaged; }
    // False when the catalogue was there but could not be read at all.
    bool IsCatalogueReadable() const { return m_readable; }
    const std::string& LastError() const { return m_lastError; }

    // A target is a path, or a snapshot reference (see CSnapshotReference): the file to read, the name
    // to show, and whether it is an image. A reference that names no record has no path.
    CFileTarget Resolve(const std::string& target) const;

    // Fields 1 to 5 of a snapshot of `path` taken at `now`; false, with `error`, when the file
    // cannot be examined.
    static bool DescribeFile(const std::string& path, std::time_t now, SnapshotRecord& record,
                             std::string& error);

private:
    // Takes back the record that AddRecord appended last and deletes its image, without saving.
    void UndoAdd(int position);
    std::string CataloguePath() const;
    bool TakeLock();
    bool ReadCatalogue(std::string& bytes, mode_t& mode);
    bool RefuseIfReadOnly();
    void WorkReadOnly(const std::string& reason);
    bool KeepDamagedCopy(const std::string& bytes, mode_t mode);
    int HighestImageNumber() const;
    bool WaitForLock(int fd) const;

    CStoreMessages& m_messages;
    std::vector<SnapshotRecord> m_records;
    std::string m_folder;
    std::string m_lastError;
    int m_lockFd = -1;
    Holder m_holder = Holder::Window;
    std::chrono::milliseconds m_lockWait{0};
    std::string m_readOnlyReason;
    bool m_readOnly = true;
    bool m_damaged = false;
    bool m_readable = true;
    bool m_saved = false;
};
