#include "hexdocument.h"

#include <algorithm>

#include <QFile>

#include "documenthost.h"
#include "platform/prompts.h"
#include "res/resource.h"

namespace {

const CommandEntry<CHexDocument> kCommands[] = {
    {Res::kViewAnsi, &CHexDocument::OnViewAnsi, &CHexDocument::OnUpdateViewAnsi},
    {Res::kLessColumns, &CHexDocument::OnLessColumns, &CHexDocument::OnUpdateLessColumns},
    {Res::kMoreColumns, &CHexDocument::OnMoreColumns, &CHexDocument::OnUpdateMoreColumns},
};

} // namespace

CHexDocument::CHexDocument(bool ansi, CDocumentHost* status)
    : m_status(status),
      m_work(status != nullptr && status->Work() != nullptr ? status->Work() : &m_foreground), m_bAnsi(ansi) {
    if (status != nullptr && m_work == &m_foreground) {
        m_foreground.ReportTo(*status, this);
    }
    m_settle.setSingleShot(true);
    m_settle.setInterval(300);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_settle, qOverload<>(&QTimer::start));
    connect(&m_settle, &QTimer::timeout, this, [this] { TellIfChanged(true); });
}

void CHexDocument::WatchFiles(const std::vector<std::string>& paths) {
    if (!m_watcher.files().isEmpty()) {
        m_watcher.removePaths(m_watcher.files());
    }
    for (const std::string& path : paths) {
        m_watcher.addPath(QFile::decodeName(QByteArray::fromStdString(path)));
    }
}

void CHexDocument::TellIfChanged(bool onDisk) {
    if (m_bToldChange) {
        return;
    }
    const QString cut = ChangedFile();
    const QString rewritten = cut.isEmpty() && onDisk ? RewrittenFile() : QString();
    if (cut.isEmpty() && rewritten.isEmpty()) {
        return;
    }
    m_bToldChange = true;
    const QString text =
        !cut.isEmpty()
            ? QStringLiteral("The file %1 changed after it was read: what lies past "
                             "its new end shows as zeros.\n\nRead it again?")
                  .arg(cut)
            : QStringLiteral("The file %1 changed after it was read.\n\nRead it again?").arg(rewritten);
    // Not from inside a paint: the question may open a dialog.
    QTimer::singleShot(0, this, [this, text] {
        if (!IsBusy() && CPrompts::Current().Question(nullptr, text)) {
            Reload();
        }
    });
}

bool CHexDocument::OnCommand(int id) {
    // A key may reach the command before the menu item is updated.
    if (IsBusy() && std::ranges::any_of(kCommands, [id](const auto& entry) { return entry.id == id; })) {
        return true;
    }
    return DispatchCommand<CHexDocument>(*this, kCommands, id);
}

bool CHexDocument::OnUpdateCommand(int id, CommandState& state) {
    if (!DispatchUpdate<CHexDocument>(*this, kCommands, id, state)) {
        return false;
    }
    state.enabled = state.enabled && !IsBusy();
    return true;
}

void CHexDocument::OnViewAnsi() {
    m_bAnsi = !m_bAnsi;
    Reload();
}

void CHexDocument::OnLessColumns() {
    SetBytesPerLine(std::max(BytesPerLine() / 2, 1));
    Reload();
}

void CHexDocument::OnMoreColumns() {
    SetBytesPerLine(std::min(BytesPerLine() * 2, MaxBytesPerLine()));
    Reload();
}

void CHexDocument::OnUpdateViewAnsi(CommandState& state) {
    state.checked = m_bAnsi;
}

void CHexDocument::OnUpdateLessColumns(CommandState& state) {
    state.enabled = BytesPerLine() > 1;
}

void CHexDocument::OnUpdateMoreColumns(CommandState& state) {
    state.enabled = BytesPerLine() < MaxBytesPerLine();
}
