#include "hexview.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include "files/filebuffer.h"
#include "hexviewaccessible.h"
#include "linescrollbar.h"
#include "platform/backgroundwork.h"
#include "platform/colorvalue.h"
#include "platform/documenthost.h"
#include "platform/hexdocument.h"
#include "res/resource.h"
#include "views/core/bytepattern.h"
#include "views/core/bytesearch.h"
#include "views/core/offsettext.h"
#include "views/core/selectiontext.h"

namespace {

constexpr int kOffsetX = 16;
constexpr int kCaptionX = 25;
constexpr int kOffsetGridX = 96;
constexpr int kFirstCellX = 104;
constexpr int kCellPitch = 27; // "XX " in 9-pixel cells
constexpr int kWheelRows = 3;
constexpr int kHorzLine = 10;

CBytePattern::Form PatternForm(CPrompts::FindRequest::Form form) {
    switch (form) {
    case CPrompts::FindRequest::Form::TextUtf8:
        return CBytePattern::Form::TextUtf8;
    case CPrompts::FindRequest::Form::TextUtf16le:
        return CBytePattern::Form::TextUtf16le;
    case CPrompts::FindRequest::Form::Hex:
        break;
    }
    return CBytePattern::Form::Hex;
}

const CommandEntry<CHexView> kCommands[] = {
    {Res::kGoToOffset, &CHexView::OnGoToOffset},
    {Res::kFind, &CHexView::OnFind, &CHexView::OnUpdateFind},
    {Res::kFindNext, &CHexView::OnFindNext, &CHexView::OnUpdateFind},
    {Res::kFindPrevious, &CHexView::OnFindPrevious, &CHexView::OnUpdateFind},
    {Res::kEditCopy, &CHexView::OnCopy, &CHexView::OnUpdateCopy},
    {Res::kCopyText, &CHexView::OnCopyText, &CHexView::OnUpdateCopy},
    {Res::kSelectAll, &CHexView::OnSelectAll, &CHexView::OnUpdateSelectAll},
};

int AnsiGridX(int bytesPerLine) {
    return kCellPitch * bytesPerLine + 112;
}
int AnsiColumnX(int bytesPerLine) {
    return kCellPitch * bytesPerLine + 120;
}
// What a wider offset column moves the rest of a pane to the right.
int OffsetShift(int offsetDigits) {
    return CCharGrid::kCellWidth * std::max(offsetDigits - 8, 0);
}

} // namespace

CHexView::CHexView(CDocument& document, int stripWidth, QWidget* parent)
    : CView(document, parent), m_clrHeader(ColorValue::ToQColor(kHeaderColor)),
      m_clrGrid(ColorValue::ToQColor(kGridColor)), m_stripWidth(stripWidth),
      m_horzBar(new QScrollBar(Qt::Horizontal, this)), m_vertBar(new CLineScrollBar(this)) {
    static const bool readable = [] {
        QAccessible::installFactory(&CHexViewAccessible::Factory);
        return true;
    }();
    (void)readable;
    // The whole view is painted each time, over a white background of its own.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    m_horzBar->setObjectName(QString::number(Res::kHorzScrollBar));
    m_vertBar->setObjectName(QString::number(Res::kVertScrollBar));
    m_vertBar->setAccessibleName(QStringLiteral("Rows"));
    m_horzBar->setAccessibleName(QStringLiteral("Columns"));
    m_horzBar->setSingleStep(kHorzLine);
    m_horzBar->setGeometry(0, 0, 0, 0);
    m_vertBar->setGeometry(0, 0, 0, 0);
    connect(m_horzBar, &QScrollBar::valueChanged, this, [this](int value) {
        m_nHorzPos = value;
        update();
    });
    // The bar posts its notifications already; a second queue would put the view a step behind.
    connect(m_vertBar, &CLineScrollBar::Scrolled, this, &CHexView::OnVertScroll);
}

// The search keeps the bytes it reads alive by itself: it only needs telling to stop.
CHexView::~CHexView() {
    if (!m_searchWork.isNull() && m_searchWork->IsRunningFor(this)) {
        m_searchWork->Stop();
    }
}

int CHexView::PaneWidth(int bytesPerLine, bool ansi, int offsetDigits) {
    const int ansiWidth = ansi ? CCharGrid::kCellWidth * bytesPerLine + 16 : 0;
    return kCellPitch * bytesPerLine + ansiWidth + 120 + OffsetShift(offsetDigits);
}

bool CHexView::OnCommand(int id) {
    return DispatchCommand<CHexView>(*this, kCommands, id);
}

bool CHexView::OnUpdateCommand(int id, CommandState& state) {
    return DispatchUpdate<CHexView>(*this, kCommands, id, state);
}

QSize CHexView::sizeHint() const {
    constexpr int kRows = 24;
    return {ContentWidth() + m_stripWidth, kFirstRowY + CCharGrid::kRowHeight * kRows + kBarSize};
}

void CHexView::OnUpdate() {
    m_selection.SetFile(FileSize(m_side), static_cast<std::uint64_t>(LineBytes()));
    LayoutHorzBar();
    LayoutVertBar();
    if (!m_placed) {
        // Until the user moves it, the caret stands on the first byte shown.
        for (int side = 0; side < Files(); ++side) {
            if (const std::optional<RowPart> part = PartOfRow(m_nTopLine, side); part && part->count != 0) {
                UseFile(side);
                m_selection.PlaceAt(part->offset);
                break;
            }
        }
    }
    OnLayout();
    update();
    TellRowsShown();
}

void CHexView::TellRowsShown() {
    QAccessibleEvent rows(this, QAccessible::VisibleDataChanged);
    QAccessible::updateAccessibility(&rows);
    if (QAccessible::isActive()) {
        QAccessibleTextCursorEvent caret(this, CaretTextPosition());
        QAccessible::updateAccessibility(&caret);
    }
    QAccessibleValueChangeEvent position(m_vertBar, static_cast<qlonglong>(m_nTopLine));
    QAccessible::updateAccessibility(&position);
}

int CHexView::PaneTextLength(std::uint64_t count, bool ansi) const {
    return static_cast<int>(static_cast<std::uint64_t>(OffsetDigits()) + 1 + 3 * count +
                            (ansi ? 2 + count : 0));
}

template <typename F>
void CHexView::ForEachShownLine(F&& f) const {
    const std::int64_t end = std::min<std::int64_t>(m_nTopLine + std::max(VisibleRows(), 0), RowCount());
    int start = 0;
    for (std::int64_t row = m_nTopLine; row < end; ++row) {
        if (!f(row, start)) {
            return;
        }
        start += static_cast<int>(RowText(row).size()) + 1;
    }
}

std::optional<int> CHexView::TextColumn(std::int64_t row, int side, std::uint64_t byte) const {
    const std::optional<RowPart> part = PartOfRow(row, side);
    if (!part || byte < part->offset || byte - part->offset >= part->count) {
        return std::nullopt;
    }
    // "00000010:" and a space before the byte's digits.
    return RowTextPrefix(row, side) + OffsetDigits() + 2 + 3 * static_cast<int>(byte - part->offset);
}

int CHexView::CaretTextPosition() const {
    const std::uint64_t size = FileSize(m_side);
    int position = 0;
    if (size != 0) {
        const std::uint64_t caret = m_selection.CaretByte();
        ForEachShownLine([&](std::int64_t row, int start) {
            if (const std::optional<int> column = TextColumn(row, m_side, caret)) {
                position = start + *column;
                return false;
            }
            return true;
        });
    }
    return position;
}

std::optional<std::pair<int, int>> CHexView::SelectionTextRange() const {
    if (m_selection.IsEmpty()) {
        return std::nullopt;
    }
    const std::uint64_t first = m_selection.Start();
    const std::uint64_t end = first + m_selection.Length();
    std::optional<std::pair<int, int>> range;
    ForEachShownLine([&](std::int64_t row, int start) {
        const std::optional<RowPart> part = PartOfRow(row, m_side);
        if (!part) {
            return true;
        }
        const std::uint64_t from = std::max(first, part->offset);
        const std::uint64_t to = std::min(end, part->offset + part->count);
        if (from < to) {
            const int begin = start + *TextColumn(row, m_side, from);
            const int last = start + *TextColumn(row, m_side, to - 1) + 2;
            range = range ? std::pair{range->first, last} : std::pair{begin, last};
        }
        return true;
    });
    return range;
}

int CHexView::RowTextPrefix(std::int64_t, int) const {
    return 0;
}

QString CHexView::PaneText(std::uint64_t offset, const std::uint8_t* bytes, std::uint32_t count,
                           bool ansi) const {
    QString text = QStringLiteral("%1:").arg(offset, OffsetDigits(), 16, QLatin1Char('0')).toUpper();
    for (std::uint32_t i = 0; i < count; ++i) {
        text += QStringLiteral(" %1").arg(bytes[i], 2, 16, QLatin1Char('0')).toUpper();
    }
    if (ansi) {
        text += QStringLiteral("  ");
        for (std::uint32_t i = 0; i < count; ++i) {
            text += bytes[i] >= 0x20 && bytes[i] < 0x7F ? QChar(bytes[i]) : QChar('.');
        }
    }
    return text;
}

void CHexView::resizeEvent(QResizeEvent* event) {
    CView::resizeEvent(event);
    m_textRight = width() - m_stripWidth;
    m_textBottom = height() - kBarSize;
    if (m_textRight != 0) {
        LayoutHorzBar();
        LayoutVertBar();
        OnLayout();
    }
}

void CHexView::LayoutHorzBar() {
    m_horzBar->setGeometry(0, m_textBottom, std::max(m_textRight, 0), kBarSize);
    const int content = ContentWidth();
    const int page = m_textRight - m_textLeft;
    if (page < content) {
        // The standard bar's largest position is its maximum less its page, plus 1.
        QSignalBlocker quiet(m_horzBar);
        m_horzBar->setEnabled(true);
        m_horzBar->setRange(0, content - page + 1);
        m_horzBar->setPageStep(page);
        m_horzBar->setValue(std::min(m_nHorzPos, content));
        // Keep what is drawn where the bar says it is.
        m_nHorzPos = m_horzBar->value();
    } else {
        QSignalBlocker quiet(m_horzBar);
        m_horzBar->setRange(0, 0);
        m_horzBar->setEnabled(false);
        m_nHorzPos = 0;
    }
}

void CHexView::LayoutVertBar() {
    m_vertBar->setGeometry(VertBarX(), 0, kBarSize, std::max(m_textBottom - m_textTop, 0));
    const std::int64_t rows = RowCount();
    const std::int64_t page = VisibleRows() - 1;
    m_vertBar->SetRange(0, rows);
    m_vertBar->SetPage(page);
    std::int64_t position = m_vertBar->GetPos();
    if (position + page > rows) {
        position = rows - page + 1;
    }
    position = std::max<std::int64_t>(position, 0);
    m_vertBar->SetPos(position);
    m_nTopLine = position;
}

void CHexView::OnGoToOffset() {
    const QString label = Files() == 2 ? QStringLiteral("Offset in file 1, or 2: and an offset in file 2 "
                                                        "(hex as 0x1F00 or 1F00h, or decimal):")
                                       : QStringLiteral("Offset (hex as 0x1F00 or 1F00h, or decimal):");
    QString typed;
    if (!CPrompts::Current().AskText(this, QStringLiteral("Go to offset"), label, typed)) {
        return;
    }
    QString text = typed.trimmed();
    int side = 0;
    if (Files() == 2 && (text.startsWith(QLatin1String("1:")) || text.startsWith(QLatin1String("2:")))) {
        side = text[0] == QLatin1Char('2') ? 1 : 0;
        text = text.mid(2);
    }
    const std::optional<std::uint64_t> offset = COffsetText::Parse(text.toStdString());
    if (!offset) {
        CPrompts::Current().Message(this, QStringLiteral("\"%1\" is not an offset.").arg(typed),
                                    CPrompts::Icon::Exclamation);
        return;
    }
    std::uint64_t size = 0;
    const std::optional<std::int64_t> row = RowOfOffset(side, *offset, size);
    if (!row) {
        CPrompts::Current().Message(
            this,
            QStringLiteral("Offset %1 is past the end of the file, which holds %2 bytes.")
                .arg(*offset)
                .arg(size),
            CPrompts::Icon::Exclamation);
        return;
    }
    JumpTo(*row);
    UseFile(side);
    m_selection.Select(*offset, 1);
    OnSelectionChanged();
}

std::shared_ptr<const CFileBuffer> CHexView::SearchedFile(int) const {
    return nullptr;
}

std::uint64_t CHexView::OffsetOfRow(int, std::int64_t) const {
    return 0;
}

CBackgroundWork* CHexView::IdleWork() const {
    const auto& document = static_cast<const CHexDocument&>(GetDocument());
    CBackgroundWork* work = document.Work();
    return work != nullptr && !work->IsBusy() && !document.IsBusy() ? work : nullptr;
}

void CHexView::OnUpdateFind(CommandState& state) {
    state.enabled = IdleWork() != nullptr;
}

void CHexView::OnFind() {
    if (IdleWork() == nullptr) {
        return;
    }
    CPrompts::FindRequest request = m_find;
    request.files = Files();
    if (!CPrompts::Current().AskFind(this, request)) {
        return;
    }
    // Kept even when refused, for the user to put right.
    m_find = request;
    m_find.file = Files() == 2 && request.file == 1 ? 1 : 0;
    m_findBytes.clear();
    std::string error;
    const std::optional<std::vector<std::uint8_t>> bytes =
        CBytePattern::Parse(request.pattern.toStdString(), PatternForm(request.form), error);
    if (!bytes) {
        CPrompts::Current().Message(this, QString::fromStdString(error), CPrompts::Icon::Exclamation);
        return;
    }
    m_findBytes = *bytes;
    Search(true, SearchStart(false));
}

// Searches go from where the user is in the searched file: the selection (a match found before, or
// bytes chosen since), else the caret; in the other file of a comparison, the top row.
std::uint64_t CHexView::SearchStart(bool pastSelection) const {
    if (m_side != m_find.file || FileSize(m_side) == 0) {
        return OffsetOfRow(m_find.file, m_nTopLine);
    }
    if (const std::optional<Selected> selected = Selection()) {
        return selected->start + (pastSelection ? 1 : 0);
    }
    return Caret();
}

void CHexView::OnFindNext() {
    if (m_findBytes.empty()) {
        OnFind();
        return;
    }
    Search(true, SearchStart(true));
}

void CHexView::OnFindPrevious() {
    if (m_findBytes.empty()) {
        OnFind();
        return;
    }
    Search(false, SearchStart(false));
}

void CHexView::Search(bool forward, std::uint64_t from) {
    CBackgroundWork* work = IdleWork();
    const int side = m_find.file;
    std::shared_ptr<const CFileBuffer> file = SearchedFile(side);
    if (work == nullptr || !file) {
        return;
    }
    const auto direction = forward ? CByteSearch::Direction::Forward : CByteSearch::Direction::Backward;
    auto result = std::make_shared<CByteSearch::Result>();
    const QString pattern = m_find.pattern;
    const QString where = Files() == 2 ? QStringLiteral(" in file %1").arg(side + 1) : QString();
    m_searchWork = work;
    work->Start(
        this,
        [file, bytes = m_findBytes, from, direction, result, pattern, where](CBackgroundWork::Steps& steps) {
            CProgress progress = steps.Step(QStringLiteral("Finding \"%1\"%2 ...").arg(pattern, where));
            // As a comparison does, the pages read are given back as the search passes them.
            *result = CByteSearch::Find(
                file->Data(), file->Size(), bytes, from, direction, progress,
                [&file](const std::uint8_t* begin, std::size_t length) { file->Release(begin, length); });
        },
        [this, result, side, forward, pattern, where,
         length = m_findBytes.size()](CBackgroundWork::Outcome outcome) {
            if (outcome == CBackgroundWork::Outcome::OutOfMemory) {
                CPrompts::Current().Message(this, QStringLiteral("Not enough memory to search."),
                                            CPrompts::Icon::Error);
            }
            if (outcome != CBackgroundWork::Outcome::Finished) {
                return;
            }
            if (result->outcome == CByteSearch::Result::Outcome::NotFound) {
                CPrompts::Current().Message(this,
                                            QStringLiteral("\"%1\" was not found%2.").arg(pattern, where),
                                            CPrompts::Icon::Information);
                return;
            }
            Select(side, result->offset, length);
            CDocumentHost* status = static_cast<CHexDocument&>(GetDocument()).Status();
            if (result->wrapped && status != nullptr) {
                status->SetStatusText(
                    forward ? QStringLiteral("Passed the end of the file; searched from the start.")
                            : QStringLiteral("Passed the start of the file; searched from the end."));
            }
        });
}

void CHexView::JumpTo(std::int64_t row) {
    m_nTopLine = row;
    m_vertBar->SetPos(row);
    update();
    TellRowsShown();
}

void CHexView::OnVertScroll(std::int64_t position) {
    m_nTopLine = position;
    update();
    TellRowsShown();
}

void CHexView::wheelEvent(QWheelEvent* event) {
    const bool down = event->angleDelta().y() <= 0;
    for (int i = 0; i < kWheelRows; ++i) {
        down ? m_vertBar->LineDown() : m_vertBar->LineUp();
    }
    event->accept();
}

void CHexView::keyPressEvent(QKeyEvent* event) {
    using Step = CByteSelection::Step;
    const bool extend = event->modifiers().testFlag(Qt::ShiftModifier);
    const bool control = event->modifiers().testFlag(Qt::ControlModifier);
    Step step{};
    switch (event->key()) {
    case Qt::Key_Left:
        step = Step::Left;
        break;
    case Qt::Key_Right:
        step = Step::Right;
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (control) {
            // Ctrl scrolls the rows and leaves the caret where it is.
            event->key() == Qt::Key_Up ? m_vertBar->LineUp() : m_vertBar->LineDown();
            event->accept();
            return;
        }
        step = event->key() == Qt::Key_Up ? Step::Up : Step::Down;
        break;
    case Qt::Key_PageUp:
        step = Step::PageUp;
        break;
    case Qt::Key_PageDown:
        step = Step::PageDown;
        break;
    case Qt::Key_Home:
        step = control ? Step::FileStart : Step::LineStart;
        break;
    case Qt::Key_End:
        step = control ? Step::FileEnd : Step::LineEnd;
        break;
    default:
        // Not an accelerator: in the file lists Ctrl+A selects their rows.
        if (event->matches(QKeySequence::SelectAll)) {
            event->accept();
            OnSelectAll();
            return;
        }
        CView::keyPressEvent(event);
        return;
    }
    event->accept();
    const std::optional<std::int64_t> before = CaretRow();
    m_selection.Move(step, extend, static_cast<std::uint64_t>(ShownRows()));
    m_placed = true;
    if (step == Step::PageUp || step == Step::PageDown) {
        // A page turns the rows with the caret, which keeps its place on screen.
        const std::optional<std::int64_t> after = CaretRow();
        if (before && after) {
            JumpTo(std::clamp<std::int64_t>(m_nTopLine + *after - *before, 0, LastTop()));
        }
    }
    ShowCaret();
    OnSelectionChanged();
}

bool CHexView::event(QEvent* event) {
    // In a comparison Tab takes the caret to the other file, before it could move the focus.
    if (event->type() == QEvent::KeyPress && Files() == 2) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = (key->modifiers() & ~Qt::ShiftModifier) == Qt::NoModifier;
        if (plain && (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)) {
            MoveToOtherFile();
            key->accept();
            return true;
        }
    }
    return CView::event(event);
}

void CHexView::MoveToOtherFile() {
    const int other = 1 - m_side;
    // The byte across from the caret in its row, or the nearest one the other file has.
    std::optional<std::uint64_t> byte = ByteNearRow(other, m_nTopLine, 0);
    if (const std::optional<std::int64_t> row = CaretRow()) {
        const std::optional<RowPart> part = PartOfRow(*row, m_side);
        byte = ByteNearRow(other, *row, part ? m_selection.CaretByte() - part->offset : 0);
    }
    if (!byte) {
        return;
    }
    UseFile(other);
    m_selection.PlaceAt(*byte);
    m_placed = true;
    ShowCaret();
    OnSelectionChanged();
}

std::optional<CHexView::Hit> CHexView::HitAt(QPoint point, bool dragging) const {
    const std::int64_t rows = RowCount();
    std::int64_t screenRow = point.y() < kFirstRowY ? -1 : (point.y() - kFirstRowY) / CCharGrid::kRowHeight;
    if (dragging) {
        const std::int64_t lastShown = std::min(ShownRows(), rows - m_nTopLine) - 1;
        screenRow = std::clamp<std::int64_t>(screenRow, 0, std::max<std::int64_t>(lastShown, 0));
    }
    const std::int64_t row = m_nTopLine + screenRow;
    if (screenRow < 0 || row >= rows) {
        return std::nullopt;
    }
    const int contentX = point.x() + m_nHorzPos;
    const int side = dragging ? m_side : (Files() == 2 && contentX >= PaneX(1) ? 1 : 0);
    // Past a wider offset column, the pane's columns lie further right.
    const int x = contentX - PaneX(side) - OffsetShift(OffsetDigits());
    const int bytesPerLine = LineBytes();
    const auto* document = dynamic_cast<const CHexDocument*>(&GetDocument());
    const bool ansi = document != nullptr && document->IsAnsi();
    const int hexEnd = kFirstCellX + kCellPitch * bytesPerLine;
    const int ansiEnd = AnsiColumnX(bytesPerLine) + CCharGrid::kCellWidth * bytesPerLine;
    int column = -1;
    if (x >= kFirstCellX && x < hexEnd) {
        column = (x - kFirstCellX) / kCellPitch;
    } else if (ansi && x >= AnsiColumnX(bytesPerLine) && x < ansiEnd) {
        column = (x - AnsiColumnX(bytesPerLine)) / CCharGrid::kCellWidth;
    } else if (dragging) {
        column = x < kFirstCellX ? 0 : bytesPerLine - 1;
    } else {
        return std::nullopt;
    }
    const std::optional<RowPart> part = PartOfRow(row, side);
    if (!part || part->count == 0) {
        return std::nullopt;
    }
    const auto first = static_cast<std::int64_t>(part->offset % static_cast<std::uint64_t>(bytesPerLine));
    const std::int64_t into =
        std::clamp<std::int64_t>(column - first, 0, static_cast<std::int64_t>(part->count) - 1);
    return Hit{side, part->offset + static_cast<std::uint64_t>(into)};
}

void CHexView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        CView::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const std::optional<Hit> hit = HitAt(event->position().toPoint(), false);
    if (!hit) {
        return;
    }
    if (event->modifiers().testFlag(Qt::ShiftModifier) && hit->side == m_side) {
        m_selection.ExtendTo(hit->byte);
    } else {
        UseFile(hit->side);
        m_selection.PlaceAt(hit->byte);
    }
    m_placed = true;
    m_dragging = true;
    m_dragged = false;
    m_pressed = hit->byte;
    OnSelectionChanged();
}

void CHexView::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragging || !event->buttons().testFlag(Qt::LeftButton)) {
        return;
    }
    const QPoint point = event->position().toPoint();
    // Past the rows shown the rows follow the pointer, a row for each move.
    if (point.y() < kFirstRowY && m_nTopLine > 0) {
        JumpTo(m_nTopLine - 1);
    } else if (point.y() >= kFirstRowY + ShownRows() * CCharGrid::kRowHeight && m_nTopLine < LastTop()) {
        JumpTo(m_nTopLine + 1);
    }
    const std::optional<Hit> hit = HitAt(point, true);
    if (!hit || (!m_dragged && hit->byte == m_pressed)) {
        return;
    }
    m_dragged = true;
    m_selection.ExtendTo(hit->byte);
    OnSelectionChanged();
}

void CHexView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_dragging = false;
    }
    CView::mouseReleaseEvent(event);
}

void CHexView::focusInEvent(QFocusEvent* event) {
    CView::focusInEvent(event);
    if (!m_selection.IsEmpty()) {
        m_toldSelection = false; // another window may have told its own since
    }
    OnSelectionChanged();
}

void CHexView::focusOutEvent(QFocusEvent* event) {
    CView::focusOutEvent(event);
    update();
    // The status bar tells the selection of the view the user is in; a menu opening leaves it there.
    if (event->reason() != Qt::PopupFocusReason) {
        ForgetSelectionText();
    }
}

void CHexView::hideEvent(QHideEvent* event) {
    CView::hideEvent(event);
    ForgetSelectionText();
}

void CHexView::ForgetSelectionText() {
    if (!m_toldSelection) {
        return;
    }
    m_toldSelection = false;
    if (CDocumentHost* host = Host()) {
        host->SetStatusText({});
    }
}

std::int32_t CHexView::LineBytes() const {
    const auto* document = dynamic_cast<const CHexDocument*>(&GetDocument());
    return document != nullptr ? std::max(document->BytesPerLine(), 1) : 1;
}

std::int64_t CHexView::ShownRows() const {
    return std::max((m_textBottom - kFirstRowY) / CCharGrid::kRowHeight, 1);
}

std::int64_t CHexView::LastTop() const {
    return std::max<std::int64_t>(RowCount() - std::max(VisibleRows() - 1, 0) + 1, 0);
}

std::optional<std::int64_t> CHexView::CaretRow() const {
    const std::uint64_t size = FileSize(m_side);
    if (size == 0) {
        return std::nullopt;
    }
    std::uint64_t ignored = 0;
    return RowOfOffset(m_side, m_selection.CaretByte(), ignored);
}

void CHexView::ShowCaret() {
    const std::optional<std::int64_t> row = CaretRow();
    if (!row) {
        return;
    }
    if (*row < m_nTopLine) {
        JumpTo(*row);
    } else if (*row >= m_nTopLine + ShownRows()) {
        JumpTo(*row - ShownRows() + 1);
    }
}

void CHexView::UseFile(int side) {
    m_side = std::clamp(side, 0, Files() - 1);
    m_selection.SetFile(FileSize(m_side), static_cast<std::uint64_t>(LineBytes()));
    m_selection.PlaceAt(m_selection.CaretByte());
}

void CHexView::Select(int side, std::uint64_t start, std::uint64_t length) {
    UseFile(side);
    m_selection.Select(start, length);
    m_placed = true;
    std::uint64_t size = 0;
    if (const std::optional<std::int64_t> row = RowOfOffset(m_side, m_selection.Start(), size);
        row && (*row < m_nTopLine || *row >= m_nTopLine + ShownRows())) {
        JumpTo(*row);
    }
    OnSelectionChanged();
}

std::optional<CHexView::Selected> CHexView::Selection() const {
    if (m_selection.IsEmpty()) {
        return std::nullopt;
    }
    return Selected{m_side, m_selection.Start(), m_selection.Length()};
}

CDocumentHost* CHexView::Host() const {
    return dynamic_cast<CDocumentHost*>(window());
}

void CHexView::OnSelectionChanged() {
    update();
    if (QAccessible::isActive()) {
        QAccessibleTextCursorEvent caret(this, CaretTextPosition());
        QAccessible::updateAccessibility(&caret);
        const std::optional<std::pair<int, int>> range = SelectionTextRange();
        QAccessibleTextSelectionEvent selection(this, range ? range->first : -1, range ? range->second : -1);
        QAccessible::updateAccessibility(&selection);
    }
    CDocumentHost* host = Host();
    if (host == nullptr) {
        return;
    }
    const bool selected = !m_selection.IsEmpty();
    // While work runs, the status bar tells its step.
    const CBackgroundWork* work = static_cast<const CHexDocument&>(GetDocument()).Work();
    const bool free = work == nullptr || !work->IsRunning();
    if (free && selected) {
        host->SetStatusText(QString::fromStdString(
            CSelectionText::Status(Files(), m_side, m_selection.Start(), m_selection.Length())));
    } else if (free && m_toldSelection) {
        host->SetStatusText({});
    }
    if (selected != m_toldSelection) {
        m_toldSelection = selected;
        host->UpdateCommands();
    }
}

void CHexView::OnSelectAll() {
    const std::uint64_t size = FileSize(m_side);
    if (size == 0) {
        return;
    }
    m_selection.Select(0, size);
    m_placed = true;
    OnSelectionChanged();
}

void CHexView::OnUpdateSelectAll(CommandState& state) {
    state.enabled = FileSize(m_side) != 0;
}

void CHexView::OnCopy() {
    CopySelection(false);
}

void CHexView::OnCopyText() {
    CopySelection(true);
}

void CHexView::OnUpdateCopy(CommandState& state) {
    state.enabled = !m_selection.IsEmpty();
}

void CHexView::CopySelection(bool characters) {
    const std::optional<Selected> selected = Selection();
    const std::uint8_t* data = FileData(m_side);
    if (!selected || data == nullptr) {
        return;
    }
    if (selected->length > CSelectionText::kMaxCopy) {
        CPrompts::Current().Message(this, QString::fromStdString(CSelectionText::TooLarge(selected->length)),
                                    CPrompts::Icon::Exclamation);
        return;
    }
    const std::uint8_t* bytes = data + selected->start;
    const std::string text = characters ? CSelectionText::Characters(bytes, selected->length)
                                        : CSelectionText::Hex(bytes, selected->length);
    QGuiApplication::clipboard()->setText(
        QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

std::optional<CHexView::RowPart> CHexView::PartOfRow(std::int64_t, int) const {
    return std::nullopt;
}

std::uint64_t CHexView::FileSize(int) const {
    return 0;
}

const std::uint8_t* CHexView::FileData(int) const {
    return nullptr;
}

int CHexView::PaneX(int) const {
    return 0;
}

std::optional<std::uint64_t> CHexView::ByteNearRow(int, std::int64_t, std::uint64_t) const {
    return std::nullopt;
}

void CHexView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    Draw(painter);
    // A file cut short while shown read as zeros as it was drawn.
    static_cast<CHexDocument&>(GetDocument()).TellIfChanged();
}

void CHexView::DrawVertLine(QPainter& painter, int x) const {
    painter.setPen(m_clrGrid);
    // Drawn as the classic interface does: the end point itself is left out.
    if (m_textBottom - m_textTop > 0) {
        painter.drawLine(x, 0, x, m_textBottom - m_textTop - 1);
    }
}

void CHexView::DrawHeaderLine(QPainter& painter) const {
    painter.setPen(m_clrGrid);
    if (m_textRight - m_textLeft > 0) {
        painter.drawLine(0, kHeaderLineY, m_textRight - m_textLeft - 1, kHeaderLineY);
    }
}

void CHexView::DrawPaneHeader(QPainter& painter, int paneX, int bytesPerLine, bool ansi) const {
    const int shift = OffsetShift(OffsetDigits());
    const int x = paneX - m_nHorzPos + shift;
    painter.setPen(m_clrHeader);
    m_grid.DrawText(painter, x - shift + kCaptionX, kHeaderY, "Offset");
    for (int c = 0; c < bytesPerLine; ++c) {
        char number[8];
        std::snprintf(number, sizeof number, "%2X", static_cast<unsigned>(c));
        m_grid.DrawText(painter, x + kFirstCellX + kCellPitch * c, kHeaderY, number);
    }
    DrawVertLine(painter, x + kOffsetGridX);
    if (ansi) {
        DrawVertLine(painter, x + AnsiGridX(bytesPerLine));
    }
}

void CHexView::DrawPaneRow(QPainter& painter, int paneX, int screenRow, std::uint64_t offset,
                           const std::uint8_t* bytes, std::uint32_t count, int bytesPerLine, bool ansi,
                           const QColor& color, int side) const {
    const int digits = OffsetDigits();
    const int x = paneX - m_nHorzPos + OffsetShift(digits);
    const int y = kFirstRowY + CCharGrid::kRowHeight * screenRow;
    const int column = static_cast<int>(offset % static_cast<std::uint64_t>(bytesPerLine));
    const int hexX = x + kFirstCellX + kCellPitch * column;
    const int ansiX = x + AnsiColumnX(bytesPerLine) + CCharGrid::kCellWidth * column;
    painter.setPen(m_clrHeader);
    m_grid.DrawOffset(painter, x - OffsetShift(digits) + kOffsetX, y, offset, digits);
    // The row in three runs: before the selection, in it, after it.
    std::uint32_t from = 0;
    std::uint32_t to = 0;
    if (side == m_side && !m_selection.IsEmpty()) {
        const std::uint64_t first = offset;
        const std::uint64_t start = std::clamp(m_selection.Start(), first, first + count);
        const std::uint64_t end =
            std::clamp(m_selection.Start() + m_selection.Length(), first, first + count);
        from = static_cast<std::uint32_t>(start - first);
        to = static_cast<std::uint32_t>(std::max(end, start) - first);
    }
    const auto run = [&](std::uint32_t begin, std::uint32_t end, const QColor& pen) {
        if (begin >= end) {
            return;
        }
        painter.setPen(pen);
        m_grid.DrawHexBytes(painter, hexX + kCellPitch * static_cast<int>(begin), y, bytes + begin,
                            end - begin);
        if (ansi) {
            m_grid.DrawAnsiBytes(painter, ansiX + CCharGrid::kCellWidth * static_cast<int>(begin), y,
                                 bytes + begin, end - begin);
        }
    };
    if (from < to) {
        const int n = static_cast<int>(to - from);
        const QColor highlight = palette().color(QPalette::Highlight);
        painter.fillRect(hexX + kCellPitch * static_cast<int>(from), y,
                         kCellPitch * n - CCharGrid::kCellWidth, CCharGrid::kRowHeight, highlight);
        if (ansi) {
            painter.fillRect(ansiX + CCharGrid::kCellWidth * static_cast<int>(from), y,
                             CCharGrid::kCellWidth * n, CCharGrid::kRowHeight, highlight);
        }
    }
    run(0, from, color);
    run(from, to, palette().color(QPalette::HighlightedText));
    run(to, count, color);
    // The caret: an outline round its byte in both columns, while the view has the focus.
    const std::uint64_t size = FileSize(side);
    if (side == m_side && hasFocus() && size != 0) {
        const std::uint64_t caret = m_selection.CaretByte();
        if (caret >= offset && caret < offset + count) {
            const int at = static_cast<int>(caret - offset);
            painter.setPen(palette().color(QPalette::Text));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(hexX + kCellPitch * at - 1, y, 2 * CCharGrid::kCellWidth + 1,
                             CCharGrid::kRowHeight - 1);
            if (ansi) {
                painter.drawRect(ansiX + CCharGrid::kCellWidth * at - 1, y, CCharGrid::kCellWidth + 1,
                                 CCharGrid::kRowHeight - 1);
            }
        }
    }
}
