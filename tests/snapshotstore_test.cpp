#include <csignal>
#include <filesystem>
#include <functional>
#include <map>
#include <sys/resource.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "files/profilevalues.h"
#include "recordedmessages.h"
#include "snapshots/core/localtimetext.h"
#include "snapshots/core/snapshotcatalogue.h"
#include "snapshots/core/snapshotreference.h"
#include "snapshots/core/snapshotstore.h"
#include "snapshots/core/storemessages.h"
#include "tempdir.h"

namespace fs = std::filesystem;

namespace {

class FakeProfile : public CProfileValues {
public:
    std::string GetString(const std::string& section, const std::string& key) override {
        return values[section + "/" + key];
    }
    void WriteString(const std::string& section, const std::string& key, const std::string& value) override {
        values[section + "/" + key] = value;
        ++writes;
    }
    std::map<std::string, std::string> values;
    int writes = 0;
};

class SnapshotStore : public ::testing::Test {
protected:
    std::string Folder() const { return dir / "store"; }
    std::string Catalogue() const { return dir / "store/DadUzura.cfg"; }

    void SetUp() override {
        fs::create_directory(Folder());
        CTempDir::Write(dir / "source.bin", "source bytes");
    }

    // A store loaded on the folder, telling `told`.
    std::unique_ptr<CSnapshotStore> Load(CStoreMessages& told) {
        auto store = std::make_unique<CSnapshotStore>(told);
        store->LoadCatalogue(Folder());
        return store;
    }
    std::unique_ptr<CSnapshotStore> Load() { return Load(messages); }
    int Add(CSnapshotStore& store) { return store.AddRecord(RecordFor(dir / "source.bin")); }

    SnapshotRecord RecordFor(const std::string& path) {
        SnapshotRecord r;
        std::string error;
        EXPECT_TRUE(CSnapshotStore::DescribeFile(path, 0, r, error)) << error;
        return r;
    }

    CTempDir dir;
    CRecordedMessages messages;
};

// A missing catalogue is made empty at once; records are copied at once, but the catalogue is written
// only when the store ends, and a record that could not load again is never added.
TEST_F(SnapshotStore, AddCopiesAtOnceAndTheCatalogueChangesOnlyAtTheEnd) {
    {
        const auto store = Load();
        EXPECT_FALSE(store->IsReadOnly());
        EXPECT_EQ(fs::file_size(Catalogue()), 0u);
        ASSERT_EQ(Add(*store), 0);
        ASSERT_EQ(Add(*store), 1);
        EXPECT_EQ(store->GetAt(1).imageFile, "Hex00002.img");
        EXPECT_EQ(CTempDir::Read(Folder() + "/Hex00001.img"), "source bytes");
        EXPECT_EQ(store->GetAt(0).sourcePath, dir / "source.bin");
        EXPECT_EQ(store->GetAt(0).size, 12u);
        EXPECT_EQ(fs::file_size(Catalogue()), 0u);
        EXPECT_TRUE(store->SetDescription(1, std::string(500, 'd')));
        EXPECT_FALSE(store->SetDescription(1, std::string(501, 'd')));
        EXPECT_NE(store->LastError().find("500 bytes"), std::string::npos);
        SnapshotRecord tooLong = RecordFor(dir / "source.bin");
        tooLong.sourcePath = dir / (std::string(480, 'p') + "/source.bin");
        EXPECT_EQ(store->AddRecord(tooLong), -1);
        EXPECT_NE(store->LastError().find("500 bytes"), std::string::npos);
        EXPECT_FALSE(fs::exists(Folder() + "/Hex00003.img"));
    }
    CSnapshotStore again(messages);
    again.LoadCatalogue(Folder());
    ASSERT_EQ(again.GetCount(), 2);
    EXPECT_EQ(again.GetAt(1).description, std::string(500, 'd'));
    EXPECT_TRUE(messages.errors.empty());
}

// A number is never given twice: not one an image on disk has, nor one a record names.
TEST_F(SnapshotStore, NumbersComeFromTheNamesOnDiskAndTheRecords) {
    const auto store = Load();
    // Names that do not count: too short, a letter among the digits, too long.
    for (const char* name : {"Hex0001.img", "Hex0000a.img", "Hex000010.img", "other.img"}) {
        CTempDir::Write(Folder() + "/" + name, "");
    }
    EXPECT_EQ(store->MakeImage(dir / "source.bin"), "Hex00001.img");
    CTempDir::Write(Folder() + "/Hex00005.img", "");
    EXPECT_EQ(store->MakeImage(dir / "source.bin"), "Hex00006.img");
    CTempDir::Write(Folder() + "/HEX00009.IMG", ""); // the pattern ignores case
    EXPECT_EQ(store->MakeImage(dir / "source.bin"), "Hex00010.img");
    EXPECT_EQ(store->MakeImage(dir / "missing.bin"), "");
    for (int i = 0; i < 3; ++i) {
        Add(*store);
    }
    fs::remove(Folder() + "/Hex00013.img");
    ASSERT_EQ(Add(*store), 3);
    EXPECT_EQ(store->GetAt(3).imageFile, "Hex00014.img");
    CTempDir::Write(Folder() + "/Hex99999.img", "");
    EXPECT_EQ(Add(*store), -1);
    EXPECT_NE(store->LastError().find("Hex99999.img"), std::string::npos);
    EXPECT_EQ(store->GetCount(), 4);
}

// The catalogue without the record is saved before the image goes, so no record on disk is ever
// left without its image.
TEST_F(SnapshotStore, RemoveSavesAndThenDeletesTheImage) {
    const auto store = Load();
    for (int i = 0; i < 3; ++i) {
        Add(*store);
    }
    ASSERT_TRUE(store->RemoveRecord(1));
    EXPECT_EQ(store->GetCount(), 2);
    EXPECT_EQ(store->GetAt(1).imageFile, "Hex00003.img");
    EXPECT_FALSE(fs::exists(Folder() + "/Hex00002.img"));
    EXPECT_EQ(CSnapshotCatalogue::Parse(CTempDir::Read(Catalogue())).records.size(), 2u);
    EXPECT_TRUE(messages.errors.empty());
    // A save that fails keeps the records and their images.
    fs::remove(Catalogue());
    fs::create_directory(Catalogue());
    EXPECT_FALSE(store->RemoveRecord(0));
    EXPECT_EQ(store->GetCount(), 2);
    EXPECT_TRUE(fs::exists(Folder() + "/Hex00001.img"));
    fs::remove(Catalogue());
    CTempDir::Write(Catalogue(), "");
    messages.errors.clear();
    // Its image already gone: the record goes, and the failure is told.
    fs::remove(Folder() + "/Hex00003.img");
    EXPECT_TRUE(store->RemoveRecord(1));
    EXPECT_EQ(messages.errors, std::vector<std::string>{"Delete Hex00003.img failed."});
}

// One resolution for every reader of targets: a path is itself, a reference its snapshot's image.
TEST_F(SnapshotStore, TargetsResolveToWhatIsRead) {
    const auto store = Load();
    Add(*store);
    const CFileTarget file = store->Resolve(dir / "source.bin");
    EXPECT_EQ(file.path, dir / "source.bin");
    EXPECT_EQ(file.name, dir / "source.bin");
    EXPECT_FALSE(file.image);
    EXPECT_TRUE(file.Exists());
    const CFileTarget image = store->Resolve("*1");
    EXPECT_EQ(image.path, Folder() + "/Hex00001.img");
    EXPECT_EQ(image.name, store->GetAt(0).snapshotName);
    EXPECT_TRUE(image.image);
    EXPECT_TRUE(image.Exists());
    const CFileTarget none = store->Resolve("*2");
    EXPECT_TRUE(none.image);
    EXPECT_EQ(none.name, "*2");
    EXPECT_FALSE(none.Exists());
    EXPECT_FALSE(store->Resolve("*01").image) << "a file name";
}

// Taking a snapshot is one operation: done and saved, or nothing left of it, whichever step fails.
TEST_F(SnapshotStore, TakingASnapshotIsWholeOrNothing) {
    const auto store = Load();
    const auto images = [this] {
        return std::count_if(fs::directory_iterator(Folder()), {},
                             [](const auto& entry) { return entry.path().extension() == ".img"; });
    };
    const CSnapshotStore::Taken taken = store->TakeSnapshot(dir / "source.bin", 0);
    EXPECT_EQ(taken.failed, CSnapshotStore::Taken::Failed::Nothing);
    EXPECT_EQ(taken.position, 0);
    EXPECT_EQ(CSnapshotCatalogue::Parse(CTempDir::Read(Catalogue())).records.size(), 1u);

    EXPECT_EQ(store->TakeSnapshot(dir / "gone", 0).failed, CSnapshotStore::Taken::Failed::Describe);
    EXPECT_NE(store->LastError().find("it does not exist"), std::string::npos) << store->LastError();
    fs::remove(Catalogue());
    fs::create_directory(Catalogue());
    const CSnapshotStore::Taken unsaved = store->TakeSnapshot(dir / "source.bin", 0);
    EXPECT_EQ(unsaved.failed, CSnapshotStore::Taken::Failed::Save);
    EXPECT_EQ(unsaved.position, -1);
    EXPECT_EQ(store->GetCount(), 1);
    EXPECT_EQ(images(), 1) << "no image without its record";
    EXPECT_FALSE(messages.errors.empty());
}

// A catalogue edited by hand may give two records one image: it goes with the last record naming it.
TEST_F(SnapshotStore, AnImageTwoRecordsNameStaysUntilBothAreGone) {
    CTempDir::Write(Catalogue(), CSnapshotCatalogue::Serialize({{"a", "/a", "d", 5, "", "Hex00001.img"},
                                                                {"b", "/b", "d", 5, "", "Hex00001.img"},
                                                                {"c", "/c", "d", 5, "", "Hex00002.img"},
                                                                {"d", "/d", "d", 5, "", "Hex00002.img"}}));
    CTempDir::Write(Folder() + "/Hex00001.img", "image");
    CTempDir::Write(Folder() + "/Hex00002.img", "image");
    const auto store = Load();
    ASSERT_TRUE(store->RemoveRecord(0));
    EXPECT_EQ(CTempDir::Read(Folder() + "/Hex00001.img"), "image") << "record b still names it";
    ASSERT_TRUE(store->RemoveRecords({1, 2}));
    EXPECT_FALSE(fs::exists(Folder() + "/Hex00002.img"));
    EXPECT_TRUE(messages.errors.empty()) << "deleted once, not twice";
    ASSERT_TRUE(store->RemoveRecord(0));
    EXPECT_FALSE(fs::exists(Folder() + "/Hex00001.img"));
    EXPECT_TRUE(messages.errors.empty());
}

TEST_F(SnapshotStore, DamagedCatalogueKeepsGoodRecordsAndACopy) {
    const std::string good = CSnapshotCatalogue::Serialize({{"a", "/a", "d", 1, "", "Hex00001.img"}});
    const std::string damaged = good + std::string("\xF5\x01\x00\x00", 4) + "rest";
    CTempDir::Write(Catalogue(), damaged);
    {
        const auto store = Load();
        EXPECT_EQ(store->GetCount(), 1);
        EXPECT_TRUE(store->IsDamaged());
    }
    EXPECT_EQ(messages.errors, std::vector<std::string>{"Config file DadUzura.cfg damaged."});
    EXPECT_EQ(CTempDir::Read(Catalogue() + ".damaged"), damaged);
    EXPECT_EQ(CTempDir::Read(Catalogue()), good);
    // A second damaged catalogue does not replace the first copy.
    CTempDir::Write(Catalogue(), "xy");
    Load();
    EXPECT_EQ(CTempDir::Read(Catalogue() + ".damaged"), damaged);
    EXPECT_EQ(CTempDir::Read(Catalogue() + ".damaged.2"), "xy");
}

TEST_F(SnapshotStore, CatalogueRemovedWhileRunningIsNotMadeAgain) {
    {
        const auto store = Load();
        Add(*store);
        fs::remove(Catalogue());
    }
    ASSERT_EQ(messages.errors.size(), 1u);
    EXPECT_EQ(messages.errors[0],
              "Error in opening the config file. (" + Catalogue() + ": No such file or directory)");
    EXPECT_FALSE(fs::exists(Catalogue()));
}

// A save that cannot be written keeps the catalogue that was there, whole.
TEST_F(SnapshotStore, FailedSaveKeepsThePreviousCatalogue) {
    const std::string before = CSnapshotCatalogue::Serialize({{"a", "/a", "d", 1, "", "Hex00001.img"}});
    CTempDir::Write(Catalogue(), before);
    const auto saveWithTinyFileLimit = [this] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64, 64};
        setrlimit(RLIMIT_FSIZE, &limit);
        CRecordedMessages local;
        {
            const auto store = Load(local);
            store->SetDescription(0, std::string(400, 'd'));
        }
        std::fprintf(stderr, "%s\n", local.errors.empty() ? "no message" : local.errors.front().c_str());
        std::exit(0);
    };
    EXPECT_EXIT(saveWithTinyFileLimit(), ::testing::ExitedWithCode(0), "Error in writing the config file.");
    EXPECT_EQ(CTempDir::Read(Catalogue()), before);
    // Nothing left beside it: the catalogue and the lock.
    EXPECT_EQ(std::distance(fs::directory_iterator(Folder()), {}), 2);
}

TEST_F(SnapshotStore, OneWriterAtATime) {
    const auto first = Load();
    ASSERT_FALSE(first->IsReadOnly());
    Add(*first);
    {
        CRecordedMessages told;
        const auto second = Load(told);
        EXPECT_TRUE(second->IsReadOnly());
        ASSERT_EQ(told.notices.size(), 1u);
        EXPECT_NE(told.notices[0].find("Another Dyadmon"), std::string::npos);
        EXPECT_EQ(Add(*second), -1);
        EXPECT_FALSE(second->RemoveRecord(0));
        EXPECT_FALSE(second->SetDescription(0, "x"));
    }
    // The read-only store neither saved nor made anything.
    EXPECT_EQ(fs::file_size(Catalogue()), 0u);
    EXPECT_FALSE(fs::exists(Folder() + "/Hex00002.img"));
    // A reader needs no lock at all.
    CSnapshotStore reader(messages);
    reader.LoadCatalogue(Folder(), CSnapshotStore::Access::ReadOnly);
    EXPECT_TRUE(reader.IsReadOnly());
}

// Whatever stands where the catalogue belongs, if it is not a regular file, is neither read nor
// written, and the store takes no snapshot it could not record.
TEST_F(SnapshotStore, CatalogueThatIsNotARegularFileIsLeftAlone) {
    const std::string outside = dir / "outside";
    CTempDir::Write(outside, "not a catalogue of ours");
    const std::pair<std::string, std::function<void()>> cases[] = {
        {"it is a symbolic link", [&] { fs::create_symlink(outside, Catalogue()); }},
        {"it is a symbolic link", [&] { fs::create_symlink("/dev/zero", Catalogue()); }},
        {"it is not a regular file", [&] { mkfifo(Catalogue().c_str(), 0600); }},
        {"it is a folder", [&] { fs::create_directory(Catalogue()); }},
    };
    for (const auto& [why, make] : cases) {
        make();
        CRecordedMessages local;
        {
            const auto store = Load(local);
            EXPECT_TRUE(store->IsReadOnly()) << why;
            EXPECT_FALSE(store->IsCatalogueReadable());
            EXPECT_EQ(Add(*store), -1);
            EXPECT_NE(store->LastError().find("can't be changed"), std::string::npos) << store->LastError();
        }
        EXPECT_EQ(local.errors, std::vector<std::string>{"Error in opening the config file. (" + Catalogue() +
                                                         ": " + why + ")"});
        EXPECT_FALSE(fs::exists(Folder() + "/Hex00001.img"));
        fs::remove(Catalogue());
    }
    EXPECT_EQ(CTempDir::Read(outside), "not a catalogue of ours");
}

TEST_F(SnapshotStore, LockAndDamagedCopiesArePrivateAndNeverFollowLinks) {
    const auto mode = [](const std::string& path) { return fs::status(path).permissions() & fs::perms::all; };
    // A linked lock makes nothing at the far end, and the store does not write.
    fs::create_symlink(dir / "planted", Folder() + "/DadUzura.lock");
    EXPECT_TRUE(Load()->IsReadOnly());
    EXPECT_FALSE(fs::exists(dir / "planted"));
    fs::remove(Folder() + "/DadUzura.lock");

    // A lock that others could open is made private; a damaged catalogue's copy keeps its mode.
    CTempDir::Write(Folder() + "/DadUzura.lock", "");
    fs::permissions(Folder() + "/DadUzura.lock", fs::perms::owner_read | fs::perms::owner_write |
                                                     fs::perms::group_read | fs::perms::others_read);
    CTempDir::Write(Catalogue(), "xy");
    fs::permissions(Catalogue(), fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink(dir / "planted", Catalogue() + ".damaged");
    EXPECT_FALSE(Load()->IsReadOnly());
    EXPECT_EQ(mode(Folder() + "/DadUzura.lock"), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_FALSE(fs::exists(dir / "planted"));
    EXPECT_EQ(CTempDir::Read(Catalogue() + ".damaged.2"), "xy");
    EXPECT_EQ(mode(Catalogue() + ".damaged.2"), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(mode(Catalogue()), fs::perms::owner_read | fs::perms::owner_write);
}

// A snapshot holds what a comparison would read: files of /proc say they are empty and are not.
TEST_F(SnapshotStore, ImagesHoldTheBytesReadNotTheSizeReported) {
    const auto store = Load();
    const SnapshotRecord described = RecordFor("/proc/self/status");
    EXPECT_EQ(described.size, 0u);
    ASSERT_EQ(store->AddRecord(described), 0);
    const std::string image = CTempDir::Read(store->ImagePath(0));
    EXPECT_TRUE(image.starts_with("Name:")) << image;
    EXPECT_EQ(store->GetAt(0).size, image.size());
}

TEST(SnapshotReference, IsExactlyAStarAndANumberWithoutLeadingZeros) {
    EXPECT_EQ(CSnapshotReference::Parse("*1"), 0);
    EXPECT_EQ(CSnapshotReference::Parse("*120"), 119);
    EXPECT_EQ(CSnapshotReference::Parse("*0"), -1);
    EXPECT_EQ(CSnapshotReference::Parse("*99999999999999"), -1);
    for (const char* text : {"*", "*01", "*1x", "*1.bin", "* 1", "*-1", "*+1", "1", "x*1", ""}) {
        EXPECT_EQ(CSnapshotReference::Parse(text), std::nullopt) << text;
    }
    EXPECT_EQ(CSnapshotReference::Format(2), "*3");
}

TEST(WorkingFolder, ProfileThenBesideTheProgramThenTheUserDataFolder) {
    CTempDir dir;
    fs::create_directory(dir / "program");
    FakeProfile profile;
    std::string& kept = profile.values["Settings/WorkingDir"];
    const auto choose = [&](const std::string& program) {
        return CSnapshotStore::ChooseWorkingFolder(profile, program, dir / "data");
    };
    // A fresh profile: "DadUzura" is made beside the program and written back.
    EXPECT_EQ(choose(dir / "program/"), dir / "program/DadUzura");
    EXPECT_TRUE(fs::is_directory(dir / "program/DadUzura"));
    EXPECT_EQ(kept, dir / "program/DadUzura");
    // A usable folder in the profile is taken as it is and nothing is written.
    fs::create_directory(dir / "mine");
    kept = dir / "mine";
    profile.writes = 0;
    EXPECT_EQ(choose(dir / "program"), dir / "mine");
    EXPECT_EQ(profile.writes, 0);
    // A folder gone from disk: the existing "DadUzura" beside the program, not the program folder.
    kept = dir / "gone";
    EXPECT_EQ(choose(dir / "program"), dir / "program/DadUzura");
    EXPECT_EQ(kept, dir / "program/DadUzura");
    // Nothing can be made beside the program: the user's data folder.
    CTempDir::Write(dir / "file", "");
    kept.clear();
    EXPECT_EQ(choose(dir / "file"), dir / "data/DadUzura");
    EXPECT_TRUE(fs::is_directory(dir / "data/DadUzura"));
    EXPECT_EQ(kept, dir / "data/DadUzura");
}

TEST(LocalTimeText, DropsTheSecondsFromTheLocalesFormats) {
    EXPECT_EQ(CLocalTimeText::TimeFormatWithoutSeconds("%H:%M:%S"), "%H:%M");
    EXPECT_EQ(CLocalTimeText::TimeFormatWithoutSeconds("%r"), "%I:%M %p");
    EXPECT_EQ(CLocalTimeText::TimeFormatWithoutSeconds("%T"), "%H:%M");
    EXPECT_EQ(CLocalTimeText::TimeFormatWithoutSeconds("%H.%M.%S Uhr"), "%H.%M Uhr");
    // The "C" locale: month/day/year, two blanks, hours and minutes.
    const std::string text = CLocalTimeText::Format(0);
    ASSERT_EQ(text.size(), 15u) << text;
    EXPECT_EQ(text.substr(2, 1) + text.substr(5, 1) + text.substr(8, 2) + text.substr(12, 1), "//  :");
}

} // namespace
