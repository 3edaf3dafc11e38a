#include "compdoc.h"

#include <algorithm>
#include <filesystem>

#include <QFile>

#include "compare/comparesettingsdlg.h"
#include "compare/core/compengine.h"
#include "compare/core/compsettings.h"
#include "compare/core/logfile.h"
#include "compare/core/logwriter.h"
#include "platform/bytestext.h"
#include "platform/doctemplate.h"
#include "platform/prompts.h"
#include "platform/resourcetext.h"
#include "platform/statustext.h"
#include "res/resource.h"
#include "snapshots/core/snapshotreference.h"
#include "snapshots/core/snapshotstore.h"

namespace {

const CommandEntry<CCompDoc> kCommands[] = {
    {Res::kSaveLog, &CCompDoc::OnSaveLog},
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

void ShowCantOpen(const std::string& name) {
    CPrompts::Current().Message(nullptr, QStringLiteral("Can't open the file ") + BytesText(name),
                                CPrompts::Icon::Error);
}

void ShowError(const QString& text) {
    CPrompts::Current().Message(nullptr, text, CPrompts::Icon::Error);
}

} // namespace

CCompDoc::CCompDoc(CCompSettings& settings, const CSnapshotStore& store, CStatusText* status)
    : CHexDocument(settings.showAnsi), m_settings(settings), m_store(store), m_status(status),
      m_askSettings(AskWithDialog), m_nBytesPerLine(settings.BytesPerLineForCompare()) {}

CCompDoc* CCompDoc::Open(CDocTemplate& compTemplate, const CCompareTargets& targets) {
    auto* document = static_cast<CCompDoc*>(compTemplate.OpenDocumentFile(targets.Join()));
    if (document != nullptr) {
        document->LoadAndCompare();
    }
    return document;
}

bool CCompDoc::OnCommand(int id) {
    return DispatchCommand<CCompDoc>(*this, kCommands, id) || CHexDocument::OnCommand(id);
}

bool CCompDoc::OnUpdateCommand(int id, CommandState& state) {
    return DispatchUpdate<CCompDoc>(*this, kCommands, id, state) || CHexDocument::OnUpdateCommand(id, state);
}

void CCompDoc::OnSaveLog() {
    const QString chosen = CPrompts::Current().SaveFileName(
        nullptr, {QStringLiteral("Save to log file"), QString(),
                  QStringLiteral("Text Files (*.txt);;All Files (*)"), QStringLiteral("txt")});
    if (chosen.isEmpty()) {
        return;
    }
    CLogFile log;
    CLogFile::Result result = log.Open(QFile::encodeName(chosen).toStdString(), m_buffer1, m_buffer2);
    if (result == CLogFile::Result::Ok) {
        // A log the user asked for should outlast a crash right after the save.
        result = log.Write(
            [this](CBufferedWriter& out) {
                return CLogWriter(m_lines, Buffer1(), Buffer2(), IsAnsi()).WriteLog(out);
            },
            true);
    }
    if (result != CLogFile::Result::Ok) {
        ShowError(BytesText(log.Message()));
    }
}

void CCompDoc::SetBytesPerLine(std::int32_t bytes) {
    m_nBytesPerLine = std::clamp(bytes, 1, kMaxBytesPerLine);
}

bool CCompDoc::Resolve(const std::string& target, std::string& name, std::string& path) const {
    // A snapshot number that names no record fails as a missing file does.
    if (!m_store.ResolveTarget(target, name, path)) {
        name = target;
        return false;
    }
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

bool CCompDoc::OnOpenDocument(const std::string& targets) {
    const auto [target1, target2] = CCompareTargets::Split(targets);
    m_bImage1 = CSnapshotReference::IsReference(target1);
    m_bImage2 = CSnapshotReference::IsReference(target2);
    if (!Resolve(target1, m_strName1, m_strPath1)) {
        ShowCantOpen(m_strName1);
        return false;
    }
    if (!Resolve(target2, m_strName2, m_strPath2)) {
        ShowCantOpen(m_strName2);
        return false;
    }
    return true;
}

bool CCompDoc::LoadFile(CFileBuffer& buffer, const std::string& path, const std::string& name, bool image) {
    const CFileBuffer::Error error = buffer.Load(
        path, CFileBuffer::Mode::Read, image ? CFileBuffer::Source::StoreImage : CFileBuffer::Source::Any);
    if (error == CFileBuffer::Error::None) {
        return true;
    }
    CPrompts::Current().Message(nullptr, BytesText(CFileBuffer::Message(error, name)), CPrompts::Icon::Error);
    return false;
}

void CCompDoc::LoadAndCompare() {
    SetTitle(BytesText(m_strName1) + QStringLiteral(" : ") + BytesText(m_strName2));
    m_lines.RemoveAll();
    if (LoadFile(m_buffer1, m_strPath1, m_strName1, m_bImage1) &&
        LoadFile(m_buffer2, m_strPath2, m_strName2, m_bImage2)) {
        Compare();
    } else {
        m_buffer1.Clear();
        m_buffer2.Clear();
    }
    UpdateAllViews();
}

void CCompDoc::Compare() {
    if (m_bFirstCompare) {
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
    CCompEngine engine(m_buffer1.Data(), m_buffer1.Size(), m_buffer2.Data(), m_buffer2.Size());
    engine.SetUnitSize(m_nUnit);
    engine.SetLookAhead(m_nLookAhead);
    ShowStatus(ResourceText(Res::kComparing));
    engine.Run();
    m_lines = CCompLines(engine.TakeBlocks(), m_nUnit, m_buffer1.Size(), m_buffer2.Size(), m_nBytesPerLine);
    ShowStatus(ResourceText(Res::kIdleMessage));
}

void CCompDoc::ShowStatus(const QString& text) const {
    if (m_status != nullptr) {
        m_status->SetStatusText(text);
    }
}
