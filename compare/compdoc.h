#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include <QPointer>

#include "compare/core/compareresult.h"
#include "compare/core/comparetargets.h"
#include "platform/backgroundwork.h"
#include "platform/hexdocument.h"

class CCompSettings;
class CDocTemplate;
class CSnapshotStore;
class CDocumentHost;

// The document of one comparison: two targets (files or snapshots), both files read whole into
// memory, and the rows of their comparison, which the compare view paints and the log writes. It is
// never modified and never saved. Reading, comparing and saving the log run as background work, and
// the result shown changes only when a new one is whole.
class CCompDoc : public CHexDocument {
    Q_OBJECT

public:
    // Asks for the unit and look-ahead of a first comparison; false when the user cancelled.
    using SettingsAsker =
        std::function<bool(CCompSettings& settings, std::int32_t& unit, std::int32_t& lookAhead)>;

    static constexpr int kMaxBytesPerLine = 32;

    // Keeps references to the settings (the Compare Settings dialog may write them), the store and
    // the status bar; all outlive the document. `status` may be null; its work runner, when it has
    // one, runs the document's long work.
    CCompDoc(CCompSettings& settings, const CSnapshotStore& store, CDocumentHost* status);
    ~CCompDoc() override;

    // Opens a compare document on the two targets through `compTemplate`, then starts loading and
    // comparing them: null when it could not be opened (it has said why). The window closes again
    // when the user stops the work.
    static CCompDoc* Open(CDocTemplate& compTemplate, const CCompareTargets& targets);

    // `targets` is a CCompareTargets string; a target is a path or a snapshot reference.
    bool OnOpenDocument(const std::string& targets) override;
    // Reads both files afresh, compares them and updates the views. A file that cannot be read is
    // reported and leaves the document without rows; stopping the work leaves the rows shown before,
    // or closes the window when there were none yet. False when other work is running.
    bool LoadAndCompare();

    // Replaces the Compare Settings dialog, for tests.
    void SetSettingsAsker(SettingsAsker asker) { m_askSettings = std::move(asker); }

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

    // Writes the log to a file the user picks, never over one of the compared files. The file appears
    // only once the whole log is written, so a failed or stopped save leaves an earlier file of that
    // name as it was.
    void OnSaveLog();
    void OnUpdateSaveLog(CommandState& state);

    // The result shown, kept alive for whoever holds it after the document shows another.
    std::shared_ptr<const CCompareResult> Result() const { return m_result; }
    const CCompLines& Lines() const { return m_result->Lines(); }
    const std::uint8_t* Buffer1() const { return m_result->Buffer(0).Data(); }
    const std::uint8_t* Buffer2() const { return m_result->Buffer(1).Data(); }
    std::uint64_t Size1() const { return m_result->Buffer(0).Size(); }
    std::uint64_t Size2() const { return m_result->Buffer(1).Size(); }
    std::int32_t Unit() const { return m_nUnit; }
    std::int32_t LookAhead() const { return m_nLookAhead; }

    std::int32_t BytesPerLine() const override { return m_nBytesPerLine; }
    std::int32_t MaxBytesPerLine() const override { return kMaxBytesPerLine; }
    // Takes effect with the next comparison, whose rows are cut to it.
    void SetBytesPerLine(std::int32_t bytes) override;
    void Reload() override { LoadAndCompare(); }
    bool IsBusy() const override { return Work() != nullptr && Work()->IsBusy(); }
    QString ChangedFile() const override;
    QString RewrittenFile() const override;

signals:
    // Another result is shown: a comparison finished, failed or was made again.
    void ResultChanged();

private:
    using Outcome = CBackgroundWork::Outcome;

    void OnLoaded(const std::shared_ptr<CCompareResult>& result, Outcome outcome);
    void OnCompared(const std::shared_ptr<CCompareResult>& result, std::int32_t bytesPerLine,
                    Outcome outcome);
    void AskSettingsOnce();
    void Show(std::shared_ptr<const CCompareResult> result, std::int32_t bytesPerLine);
    void Abandon();

    CCompSettings& m_settings;
    const CSnapshotStore& m_store;
    SettingsAsker m_askSettings;

    CFileTarget m_targets[2];
    // Whether the target is a snapshot, whose image must be a regular file of the store.
    bool m_bFirstCompare = true;
    std::int32_t m_nUnit = 8;
    std::int32_t m_nLookAhead = 0;
    // What the views show: never null, and kept whole until a new result is.
    std::shared_ptr<const CCompareResult> m_result = std::make_shared<CCompareResult>();
    bool m_bShown = false;            // a result (or a failure) has been shown
    std::int32_t m_nBytesPerLine;     // the shown rows' line length
    std::int32_t m_nNextBytesPerLine; // the next comparison's
    bool m_bShownAnsi;                // the ANSI flag the shown result went with
};
