#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "compare/core/comparetargets.h"
#include "compare/core/complines.h"
#include "compare/core/filebuffer.h"
#include "platform/hexdocument.h"

class CCompSettings;
class CDocTemplate;
class CSnapshotStore;
class CStatusText;

// The document of one comparison: two targets (files or snapshots), both files read whole into
// memory, and the rows of their comparison, which the compare view paints and the log writes. It is
// never modified and never saved.
class CCompDoc : public CHexDocument {
    Q_OBJECT

public:
    // Asks for the unit and look-ahead of a first comparison; false when the user cancelled.
    using SettingsAsker =
        std::function<bool(CCompSettings& settings, std::int32_t& unit, std::int32_t& lookAhead)>;

    static constexpr int kMaxBytesPerLine = 32;

    // Keeps references to the settings (the Compare Settings dialog may write them), the store and
    // the status bar; all outlive the document. `status` may be null.
    CCompDoc(CCompSettings& settings, const CSnapshotStore& store, CStatusText* status);

    // Opens a compare document on the two targets through `compTemplate`, then loads and compares
    // them: null when it could not be opened (it has said why).
    static CCompDoc* Open(CDocTemplate& compTemplate, const CCompareTargets& targets);

    // `targets` is a CCompareTargets string; a target is a path or a snapshot reference.
    bool OnOpenDocument(const std::string& targets) override;
    // Reads both files afresh, compares them and updates the views. A file that cannot be read is
    // reported and leaves the document without rows.
    void LoadAndCompare();

    // Replaces the Compare Settings dialog, for tests.
    void SetSettingsAsker(SettingsAsker asker) { m_askSettings = std::move(asker); }

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

    // Writes the log to a file the user picks, never over one of the compared files. The file appears
    // only once the whole log is written, so a failed save leaves an earlier file of that name as it was.
    void OnSaveLog();

    const CCompLines& Lines() const { return m_lines; }
    const std::uint8_t* Buffer1() const { return m_buffer1.Data(); }
    const std::uint8_t* Buffer2() const { return m_buffer2.Data(); }
    std::uint32_t Size1() const { return m_buffer1.Size(); }
    std::uint32_t Size2() const { return m_buffer2.Size(); }
    const std::string& Name1() const { return m_strName1; }
    const std::string& Name2() const { return m_strName2; }
    const std::string& Path1() const { return m_strPath1; }
    const std::string& Path2() const { return m_strPath2; }
    std::int32_t Unit() const { return m_nUnit; }
    std::int32_t LookAhead() const { return m_nLookAhead; }

    std::int32_t BytesPerLine() const override { return m_nBytesPerLine; }
    std::int32_t MaxBytesPerLine() const override { return kMaxBytesPerLine; }
    void SetBytesPerLine(std::int32_t bytes) override;
    void Reload() override { LoadAndCompare(); }

private:
    bool Resolve(const std::string& target, std::string& name, std::string& path) const;
    bool LoadFile(CFileBuffer& buffer, const std::string& path, const std::string& name, bool image);
    void Compare();
    void ShowStatus(const QString& text) const;

    CCompSettings& m_settings;
    const CSnapshotStore& m_store;
    CStatusText* m_status;
    SettingsAsker m_askSettings;

    std::string m_strName1;
    std::string m_strPath1;
    std::string m_strName2;
    std::string m_strPath2;
    // Whether the target is a snapshot, whose image must be a regular file of the store.
    bool m_bImage1 = false;
    bool m_bImage2 = false;
    CFileBuffer m_buffer1;
    CFileBuffer m_buffer2;
    bool m_bFirstCompare = true;
    std::int32_t m_nUnit = 8;
    std::int32_t m_nLookAhead = 0;
    CCompLines m_lines;
    std::int32_t m_nBytesPerLine;
};
