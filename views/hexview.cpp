#include "hexview.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include <QAccessible>
#include <QKeyEvent>
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

namespace {

constexpr int kOffsetX = 16;
constexpr int kCaptionX = 25;
constexpr int kOffsetGridX = 96;
constexpr int kFirstCellX = 104;
constexpr int kCellPitch = 27; // "XX " in 9-pixel cells
constexpr int kPageRows = 10;
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

QSize CHexView::sizeHint() const {
    constexpr int kRows = 24;
    return {ContentWidth() + m_stripWidth, kFirstRowY + CCharGrid::kRowHeight * kRows + kBarSize};
}

void CHexView::OnUpdate() {
    LayoutHorzBar();
    LayoutVertBar();
    OnLayout();
    update();
    TellRowsShown();
}

void CHexView::TellRowsShown() {
    QAccessibleEvent rows(this, QAccessible::VisibleDataChanged);
    QAccessible::updateAccessibility(&rows);
    // The caret stands on the top row: a reader says the row that came into view.
    QAccessibleTextCursorEvent caret(this, 0);
    QAccessible::updateAccessibility(&caret);
    QAccessibleValueChangeEvent position(m_vertBar, static_cast<qlonglong>(m_nTopLine));
    QAccessible::updateAccessibility(&position);
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
    m_lastMatch.reset();
    std::string error;
    const std::optional<std::vector<std::uint8_t>> bytes =
        CBytePattern::Parse(request.pattern.toStdString(), PatternForm(request.form), error);
    if (!bytes) {
        CPrompts::Current().Message(this, QString::fromStdString(error), CPrompts::Icon::Exclamation);
        return;
    }
    m_findBytes = *bytes;
    Search(true, OffsetOfRow(m_find.file, m_nTopLine));
}

void CHexView::OnFindNext() {
    if (m_findBytes.empty()) {
        OnFind();
        return;
    }
    Search(true, m_lastMatch ? *m_lastMatch + 1 : OffsetOfRow(m_find.file, m_nTopLine));
}

void CHexView::OnFindPrevious() {
    if (m_findBytes.empty()) {
        OnFind();
        return;
    }
    Search(false, m_lastMatch ? *m_lastMatch : OffsetOfRow(m_find.file, m_nTopLine));
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
            m_lastMatch = result->offset;
            ShowMatch(side, result->offset, length);
            CDocumentHost* status = static_cast<CHexDocument&>(GetDocument()).Status();
            if (result->wrapped && status != nullptr) {
                status->SetStatusText(
                    forward ? QStringLiteral("Passed the end of the file; searched from the start.")
                            : QStringLiteral("Passed the start of the file; searched from the end."));
            }
        });
}

void CHexView::ShowMatch(int side, std::uint64_t offset, std::uint64_t length) {
    (void)length; // for the selection of the match, to come
    std::uint64_t size = 0;
    const std::optional<std::int64_t> row = RowOfOffset(side, offset, size);
    if (row && (*row < m_nTopLine || *row >= m_nTopLine + std::max(VisibleRows(), 1))) {
        JumpTo(*row);
    }
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
    int steps = 0;
    switch (event->key()) {
    case Qt::Key_PageUp:
        steps = -kPageRows;
        break;
    case Qt::Key_PageDown:
        steps = kPageRows;
        break;
    case Qt::Key_Up:
        steps = -1;
        break;
    case Qt::Key_Down:
        steps = 1;
        break;
    default:
        CView::keyPressEvent(event);
        return;
    }
    for (int i = 0; i < std::abs(steps); ++i) {
        steps < 0 ? m_vertBar->LineUp() : m_vertBar->LineDown();
    }
    event->accept();
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
                           const QColor& color) const {
    const int digits = OffsetDigits();
    const int x = paneX - m_nHorzPos + OffsetShift(digits);
    const int y = kFirstRowY + CCharGrid::kRowHeight * screenRow;
    const int column = static_cast<int>(offset % static_cast<std::uint64_t>(bytesPerLine));
    painter.setPen(m_clrHeader);
    m_grid.DrawOffset(painter, x - OffsetShift(digits) + kOffsetX, y, offset, digits);
    painter.setPen(color);
    m_grid.DrawHexBytes(painter, x + kFirstCellX + kCellPitch * column, y, bytes, count);
    if (ansi) {
        m_grid.DrawAnsiBytes(painter, x + AnsiColumnX(bytesPerLine) + CCharGrid::kCellWidth * column, y,
                             bytes, count);
    }
}
