#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include <QColor>
#include <QPointer>

#include "chargrid.h"
#include "platform/prompts.h"
#include "platform/view.h"
#include "views/core/byteselection.h"

class CBackgroundWork;
class CFileBuffer;
class CDocumentHost;
class CLineScrollBar;
class QPainter;
class QScrollBar;

// What the compare view and the viewer share: the character grid, the text area beside the bars,
// rows scrolled through a CLineScrollBar and pixels through a standard horizontal bar, the keys and
// the wheel, the caret and the selection in one of its files, and the layout of one hex pane. A
// derived view says how many rows and how much content it has, where each file's bytes lie, and
// paints them.
class CHexView : public CView {
    Q_OBJECT

public:
    static constexpr int kHeaderY = 5;
    static constexpr int kHeaderLineY = 23;
    static constexpr int kFirstRowY = 25;
    static constexpr int kBarSize = 16;
    static constexpr std::uint32_t kHeaderColor = 0x00BF0000;
    static constexpr std::uint32_t kGridColor = 0x00808080;

    // Width of one pane of `bytesPerLine` columns, with or without the ANSI column, with offsets of
    // `offsetDigits` hex digits.
    static int PaneWidth(int bytesPerLine, bool ansi, int offsetDigits = 8);

    std::int64_t TopLine() const { return m_nTopLine; }
    std::int32_t HorzPos() const { return m_nHorzPos; }
    // Rows the draw step paints: those that fit wholly in the text area.
    int VisibleRows() const { return (m_textBottom - m_textTop) / CCharGrid::kRowHeight; }
    CLineScrollBar& VertBar() const { return *m_vertBar; }
    QScrollBar& HorzBar() const { return *m_horzBar; }

    void OnUpdate() override;
    // Go to offset, Find, Copy and Select all, in both views.
    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;
    // Room for the whole content beside the bars, and a screen of rows.
    QSize sizeHint() const override;

    std::int64_t Rows() const { return RowCount(); }
    // Asks for an offset (in file 1, or "2:" and one in file 2) and makes the row that holds that byte
    // the top row; an offset past the file's end is refused with the file's size.
    void OnGoToOffset();
    // Row `row` (< Rows()) as a screen reader reads it.
    virtual QString RowText(std::int64_t row) const = 0;

    // Find asks what to look for (bytes in hex, or text) and, in a comparison, in which file, and
    // searches from the caret on; Find next and Find previous go on after or before the selection (a
    // match found selects it). The search runs as the document's work.
    void OnFind();
    void OnFindNext();
    void OnFindPrevious();
    void OnUpdateFind(CommandState& state);
    struct Selected {
        int side; // 0, or 1 for file 2 of a comparison
        std::uint64_t start;
        std::uint64_t length;

        friend bool operator==(const Selected&, const Selected&) = default;
    };
    // Selects `length` bytes of file `side` from `start` (cut at the file's end), with the caret on
    // the last, and scrolls the first into view: as the top row when it was not shown.
    void Select(int side, std::uint64_t start, std::uint64_t length);
    // Nothing when no byte is selected.
    std::optional<Selected> Selection() const;
    // The file the caret is in, and the byte it is on.
    int CaretSide() const { return m_side; }
    std::uint64_t Caret() const { return m_selection.CaretByte(); }

    // Where the caret and the selection stand in the text a screen reader reads, the rows shown a
    // line each: the caret at its byte's first hex digit, the selection over the hex digits of its
    // bytes on those rows. The caret at 0 and no selection when they are not on them.
    int CaretTextPosition() const;
    std::optional<std::pair<int, int>> SelectionTextRange() const;

    // Copy puts the selected bytes on the clipboard as hex, Copy as text as the characters column
    // shows them; both only with a selection.
    void OnCopy();
    void OnCopyText();
    void OnUpdateCopy(CommandState& state);
    // Every byte of the caret's file, the caret staying shown (Ctrl+A in the view).
    void OnSelectAll();
    void OnUpdateSelectAll(CommandState& state);

protected:
    // `stripWidth`: the room right of the text area (the vertical bar, and the map beside it).
    CHexView(CDocument& document, int stripWidth, QWidget* parent);
    // Stops a search of this view's that still runs.
    ~CHexView() override;

    virtual std::int64_t RowCount() const = 0;
    virtual int ContentWidth() const = 0;
    virtual int VertBarX() const = 0;
    // Everything but the white background; the painter is clipped to the view.
    virtual void Draw(QPainter& painter) = 0;
    // Called after the bars were laid out on a size change or an update.
    virtual void OnLayout() {}
    // The row that holds byte `offset` of file `side` (0, or 1 in a comparison); nothing past the end
    // of that file, whose size goes to `size`.
    virtual std::optional<std::int64_t> RowOfOffset(int side, std::uint64_t offset,
                                                    std::uint64_t& size) const = 0;
    virtual int Files() const { return 1; }
    // Hex digits of the offset column: 8, or more for files past 4 GiB.
    virtual int OffsetDigits() const { return 8; }
    // File `side`'s bytes as shown, held for as long as a search reads them; null when there are none.
    virtual std::shared_ptr<const CFileBuffer> SearchedFile(int side) const;
    // The offset in file `side` at which row `row` starts (0 past the last row).
    virtual std::uint64_t OffsetOfRow(int side, std::int64_t row) const;

    // The bytes of file `side` that row `row` holds: none when it holds none of that file.
    struct RowPart {
        std::uint64_t offset;
        std::uint64_t count;
    };
    virtual std::optional<RowPart> PartOfRow(std::int64_t row, int side) const;
    // Where file `side`'s part of RowText(row) starts.
    virtual int RowTextPrefix(std::int64_t row, int side) const;
    virtual std::uint64_t FileSize(int side) const;
    virtual const std::uint8_t* FileData(int side) const;
    // Where the pane of file `side` starts in the content.
    virtual int PaneX(int side) const;
    // A byte of file `side` at row `row`, `within` bytes into the row's part of it, or the nearest;
    // for the caret going over to the other file.
    virtual std::optional<std::uint64_t> ByteNearRow(int side, std::int64_t row, std::uint64_t within) const;

    void LayoutHorzBar();
    void LayoutVertBar();
    // Moves the top row without a notification from the bar, as a jump does.
    void JumpTo(std::int64_t row);

    // One pane's "Offset" caption, column numbers and vertical grid lines, at pane start `paneX`.
    void DrawPaneHeader(QPainter& painter, int paneX, int bytesPerLine, bool ansi) const;
    // One pane's part of a row on screen row `screenRow`: its offset, and its bytes from the column
    // the offset falls on; the bytes of the selection in file `side` highlighted, and the caret.
    void DrawPaneRow(QPainter& painter, int paneX, int screenRow, std::uint64_t offset,
                     const std::uint8_t* bytes, std::uint32_t count, int bytesPerLine, bool ansi,
                     const QColor& color, int side = 0) const;
    void DrawVertLine(QPainter& painter, int x) const;
    // One pane's part of a row as text: "00000010: 41 42 43  ABC" (the characters with `ansi`).
    QString PaneText(std::uint64_t offset, const std::uint8_t* bytes, std::uint32_t count, bool ansi) const;
    int PaneTextLength(std::uint64_t count, bool ansi) const;
    void DrawHeaderLine(QPainter& painter) const;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;

    int m_textLeft = 0;
    int m_textTop = 0;
    int m_textRight = 0;
    int m_textBottom = 0;
    std::int32_t m_nHorzPos = 0;
    std::int64_t m_nTopLine = 0;
    const QColor m_clrHeader;
    const QColor m_clrGrid;
    CCharGrid m_grid;

private:
    void OnVertScroll(std::int64_t position);
    // Runs the search of m_findBytes from `from` on (forward) or back from it.
    void Search(bool forward, std::uint64_t from);
    // Where Find starts: at the selection or the caret in the searched file, or one byte past the
    // selection's start with `pastSelection`.
    std::uint64_t SearchStart(bool pastSelection) const;
    CBackgroundWork* IdleWork() const;
    struct Hit {
        int side;
        std::uint64_t byte;
    };

    std::int32_t LineBytes() const;
    // Rows wholly shown below the header; at least one.
    std::int64_t ShownRows() const;
    // The largest top row the vertical bar allows.
    std::int64_t LastTop() const;
    std::optional<std::int64_t> CaretRow() const;
    void ShowCaret();
    // The caret into file `side`, its selection gone.
    void UseFile(int side);
    void MoveToOtherFile();
    // The byte under `point`; while dragging, the nearest byte of the caret's file in the rows shown.
    std::optional<Hit> HitAt(QPoint point, bool dragging) const;
    // Repaints and tells the status bar and the commands.
    void OnSelectionChanged();
    // Takes the selection's text off the status bar when it is there.
    void ForgetSelectionText();
    // Calls f(row, start of its line) for the rows shown, until it returns false.
    template <typename F>
    void ForEachShownLine(F&& f) const;
    std::optional<int> TextColumn(std::int64_t row, int side, std::uint64_t byte) const;
    void CopySelection(bool characters);
    CDocumentHost* Host() const;
    // Tells a screen reader that other rows are on screen, or the rows changed.
    void TellRowsShown();

    int m_stripWidth;
    // The last Find's answer, the next one's default.
    CPrompts::FindRequest m_find;
    // What the last Find's answer stands for: empty until one was understood.
    std::vector<std::uint8_t> m_findBytes;
    QPointer<CBackgroundWork> m_searchWork;
    QScrollBar* m_horzBar;
    CLineScrollBar* m_vertBar;
    CByteSelection m_selection;
    int m_side = 0;
    bool m_placed = false; // the caret was put on a byte since the view was made
    bool m_dragging = false;
    bool m_dragged = false; // the pointer has left the pressed byte
    std::uint64_t m_pressed = 0;
    bool m_toldSelection = false; // the status bar shows the selection
};
