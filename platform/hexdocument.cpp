#include "hexdocument.h"

#include <algorithm>

#include "res/resource.h"

namespace {

const CommandEntry<CHexDocument> kCommands[] = {
    {Res::kViewAnsi, &CHexDocument::OnViewAnsi, &CHexDocument::OnUpdateViewAnsi},
    {Res::kLessColumns, &CHexDocument::OnLessColumns, &CHexDocument::OnUpdateLessColumns},
    {Res::kMoreColumns, &CHexDocument::OnMoreColumns, &CHexDocument::OnUpdateMoreColumns},
};

} // namespace

bool CHexDocument::OnCommand(int id) {
    return DispatchCommand<CHexDocument>(*this, kCommands, id);
}

bool CHexDocument::OnUpdateCommand(int id, CommandState& state) {
    return DispatchUpdate<CHexDocument>(*this, kCommands, id, state);
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
