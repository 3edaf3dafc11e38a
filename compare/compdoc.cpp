#include "compdoc.h"

#include <algorithm>

#include <QFile>

#include "compare/comparesettingsdlg.h"
#include "compare/core/compsettings.h"
#include "compare/core/logfile.h"
#include "compare/core/logwriter.h"
#include "platform/bytestext.h"
#include "platform/doctemplate.h"
#include "platform/documenthost.h"
#include "platform/prompts.h"
#include "platform/resourcetext.h"
#include "res/resource.h"
#include "snapshots/core/snapshotstore.h"

namespace {

const CommandEntry<CCompDoc> kCommands[] = {
    {Res::kSaveLog, &CCompDoc::OnSaveLog, &CCompDoc::OnUpdateSaveLog},
};

bool AskWithDialog(CCompSettings& settings, std::int32_t& unit, std::int32_t& lookAhead) {
    CCompareSettingsDlg dialog(settings);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    unit = dialog.UnitSize();
    lookAhead = dialog.LookAhead();
    return true;
}

void ShowError(const QString& text) {
    CPrompts::Current().Message(nullptr, text, CPrompts::Icon::Error);
}

void ShowCantOpen(const std::string& name) {
    ShowError(QStringLiteral("Can't open the file ") + BytesText(name));
}

QString OutOfMemoryText(const std::string& name1, const std::string& name2) {
    return QStringLiteral("Not enough memory to compare %1 and %2.").arg(BytesText(name1), BytesText(name2));
}

} // namespace

CCompDoc::CCompDoc(CCompSettings& settings, const CSnapshotStore& store, CDocumentHost* status)
    : CHexDocument(settings.showAnsi, status), m_settings(settings), m_store(store),
      m_askSettings(AskWithDialog), m_nBytesPerLine(settings.BytesPerLineForCompare()),
      m_nNextBytesPerLine(m_nBytesPerLine), m_bShownAnsi(settings.showAnsi) {}

// The work keeps what it reads and writes alive by itself: it only needs telling to stop.
CCompDoc::~CCompDoc() {
    if (Work() != nullptr && Work()->IsRunningFor(this)) {
        Work()->Stop();
    }
}

CCompDoc* CCompDoc::Open(CDocTemplate& compTemplate, const CCompareTargets& targets) {
    auto* document = static_cast<CCompDoc*>(compTemplate.OpenDocumentFile(targets.Join()));
    if (document != nullptr && !document->LoadAndCompare()) {
        document->CloseWindows();
        return nullptr;
    }
    return document;
}

bool CCompDoc::OnCommand(int id) {
    return DispatchCommand<CCompDoc>(*this, kCommands, id) || CHexDocument::OnCommand(id);
}

bool CCompDoc::OnUpdateCommand(int id, CommandState& state) {
    return DispatchUpdate<CCompDoc>(*this, kCommands, id, state) || CHexDocument::OnUpdateCommand(id, state);
}

void CCompDoc::OnUpdateSaveLog(CommandState& state) {
    state.enabled = !IsBusy();
}

void CCompDoc::OnSaveLog() {
    if (IsBusy()) {
        return;
    }
    const QString chosen = CPrompts::Current().SaveFileName(
        nullptr, {QStringLiteral("Save to log file"), QString(),
                  QStringLiteral("Text Files (*.txt);;All Files (*)"), QStringLiteral("txt")});
    if (chosen.isEmpty()) {
        return;
    }
    auto log = std::make_shared<CLogFile>();
    if (log->Open(QFile::encodeName(chosen).toStdString(), m_result->Buffer(0), m_result->Buffer(1)) !=
        CLogFile::Result::Ok) {
        ShowError(BytesText(log->Message()));
        return;
    }
    auto saved = std::make_shared<CLogFile::Result>(CLogFile::Result::Ok);
    Work()->Start(
        this,
        [log, saved, result = m_result, ansi = IsAnsi()](CBackgroundWork::Steps& steps) {
            CProgress progress = steps.Step(QStringLiteral("Saving the log ..."));
            // A log the user asked for should outlast a crash right after the save.
            *saved = log->Write(
                [&](CBufferedWriter& out) {
                    const CFileBuffer& file1 = result->Buffer(0);
                    const CFileBuffer& file2 = result->Buffer(1);
                    return CLogWriter(result->Lines(), file1.Data(), file2.Data(), ansi,
                                      CLogWriter::OffsetDigits(file1.Size(), file2.Size()))
                        .WriteLog(out, progress);
                },
                true);
        },
        [log, saved](Outcome outcome) {
            // A stopped save has left no file, which is what the user asked for.
            if (outcome == Outcome::OutOfMemory) {
                ShowError(QStringLiteral("Not enough memory to save the log."));
            } else if (outcome == Outcome::Finished && *saved != CLogFile::Result::Ok) {
                ShowError(BytesText(log->Message()));
            }
        });
}

void CCompDoc::SetBytesPerLine(std::int32_t bytes) {
    m_nNextBytesPerLine = std::clamp(bytes, 1, kMaxBytesPerLine);
}

bool CCompDoc::OnOpenDocument(const std::string& targets) {
    const auto [target1, target2] = CCompareTargets::Split(targets);
    m_targets[0] = m_store.Resolve(target1);
    m_targets[1] = m_store.Resolve(target2);
    // A snapshot number that names no record fails as a missing file does.
    for (const CFileTarget& target : m_targets) {
        if (!target.Exists()) {
            ShowCantOpen(target.name);
            return false;
        }
    }
    return true;
}

bool CCompDoc::LoadAndCompare() {
    SetTitle(BytesText(m_targets[0].name) + QStringLiteral(" : ") + BytesText(m_targets[1].name));
    auto result = std::make_shared<CCompareResult>();
    const CFileTarget targets[2] = {m_targets[0], m_targets[1]};
    return Work()->Start(
        this,
        [result, targets](CBackgroundWork::Steps& steps) {
            for (int side = 0; side < 2; ++side) {
                CProgress progress =
                    steps.Step(QStringLiteral("Reading %1 ...").arg(BytesText(targets[side].name)));
                if (!result->Load(side, targets[side], progress)) {
                    return;
                }
            }
        },
        [this, result](Outcome outcome) { OnLoaded(result, outcome); });
}

void CCompDoc::OnLoaded(const std::shared_ptr<CCompareResult>& result, Outcome outcome) {
    if (outcome == Outcome::Stopped) {
        Abandon();
        return;
    }
    if (outcome == Outcome::OutOfMemory || !result->Message().empty()) {
        ShowError(outcome == Outcome::OutOfMemory ? OutOfMemoryText(m_targets[0].name, m_targets[1].name)
                                                  : BytesText(result->Message()));
        Show(std::make_shared<CCompareResult>(), m_nNextBytesPerLine);
        return;
    }
    AskSettingsOnce();
    const std::int32_t bytesPerLine = m_nNextBytesPerLine;
    Work()->Start(
        this,
        [result, unit = m_nUnit, lookAhead = m_nLookAhead, bytesPerLine](CBackgroundWork::Steps& steps) {
            CProgress progress = steps.Step(ResourceText(Res::kComparing));
            result->Compare(unit, lookAhead, bytesPerLine, progress);
        },
        [this, result, bytesPerLine](Outcome outcome) { OnCompared(result, bytesPerLine, outcome); });
}

void CCompDoc::OnCompared(const std::shared_ptr<CCompareResult>& result, std::int32_t bytesPerLine,
                          Outcome outcome) {
    switch (outcome) {
    case Outcome::Stopped:
        Abandon();
        return;
    case Outcome::OutOfMemory:
        ShowError(OutOfMemoryText(m_targets[0].name, m_targets[1].name));
        Show(std::make_shared<CCompareResult>(), bytesPerLine);
        return;
    case Outcome::Finished:
        Show(result, bytesPerLine);
        // Cut short or written while compared: the result does not show the file as it is.
        TellIfChanged(true);
        return;
    }
}

QString CCompDoc::RewrittenFile() const {
    for (int side = 0; side < 2; ++side) {
        if (m_result && m_result->Buffer(side).ChangedOnDisk(m_targets[side].path)) {
            return BytesText(m_targets[side].name);
        }
    }
    return {};
}

QString CCompDoc::ChangedFile() const {
    for (int side = 0; side < 2; ++side) {
        if (m_result && m_result->Buffer(side).Changed()) {
            return BytesText(m_targets[side].name);
        }
    }
    return {};
}

void CCompDoc::AskSettingsOnce() {
    if (!m_bFirstCompare) {
        return;
    }
    m_nUnit = m_settings.unitSize;
    m_nLookAhead = m_settings.lookAhead;
    if (m_settings.askBeforeCompare) {
        // A cancelled dialog leaves the values the settings held when it opened.
        std::int32_t unit = m_nUnit;
        std::int32_t lookAhead = m_nLookAhead;
        if (m_askSettings(m_settings, unit, lookAhead)) {
            m_nUnit = unit;
            m_nLookAhead = lookAhead;
        }
    }
    m_bFirstCompare = false;
}

void CCompDoc::Show(std::shared_ptr<const CCompareResult> result, std::int32_t bytesPerLine) {
    m_result = std::move(result);
    ForgetChange();
    WatchFiles({m_targets[0].path, m_targets[1].path});
    m_nBytesPerLine = bytesPerLine;
    m_bShownAnsi = IsAnsi();
    m_bShown = true;
    UpdateAllViews();
    emit ResultChanged();
}

// As if the command had not been given: the first comparison takes its window away again, a later one
// puts back the display fields it was to change.
void CCompDoc::Abandon() {
    if (!m_bShown) {
        CloseWindows();
        return;
    }
    m_nNextBytesPerLine = m_nBytesPerLine;
    SetAnsi(m_bShownAnsi);
    UpdateAllViews();
}
