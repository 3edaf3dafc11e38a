#pragma once

#include <array>
#include <cstdint>

#include <QColor>

#include "hexview.h"

class CCompDoc;
class CCompSettings;
class CDiffMap;

// The only view of a compare document: file 1 and file 2 as two hex panes side by side, every row in
// the colour of its kind, with the difference map of the whole result at the right edge.
class CCompView : public CHexView {
    Q_OBJECT

public:
    static constexpr int kStripWidth = 40;

    // Copies the colours now; later changes to the settings do not recolour this view.
    CCompView(CCompDoc& document, const CCompSettings& settings, QWidget* parent = nullptr);

    CCompDoc& GetDocument() const;
    CDiffMap& DiffMap() const { return *m_diffMap; }

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

    void OnPreviousChange();
    void OnNextChange();
    // Makes the first row of block `block` of the rows' blocks the top row, as a change is shown.
    void ShowBlock(std::size_t block);
    QString RowText(std::int64_t index) const override;

protected:
    std::optional<std::int64_t> RowOfOffset(int side, std::uint64_t offset,
                                            std::uint64_t& size) const override;
    int Files() const override { return 2; }
    std::shared_ptr<const CFileBuffer> SearchedFile(int side) const override;
    std::uint64_t OffsetOfRow(int side, std::int64_t row) const override;
    std::optional<RowPart> PartOfRow(std::int64_t row, int side) const override;
    int RowTextPrefix(std::int64_t row, int side) const override;
    std::uint64_t FileSize(int side) const override;
    const std::uint8_t* FileData(int side) const override;
    int PaneX(int side) const override { return side * PaneWidth(); }
    std::optional<std::uint64_t> ByteNearRow(int side, std::int64_t row, std::uint64_t within) const override;

    std::int64_t RowCount() const override;
    int ContentWidth() const override;
    int VertBarX() const override { return m_textRight + 12; }
    void Draw(QPainter& painter) override;
    void OnLayout() override { BuildDiffMap(); }
    int OffsetDigits() const override;

private:
    int PaneWidth() const;
    void BuildDiffMap();
    void DrawHeader(QPainter& painter) const;

    CDiffMap* m_diffMap;
    // Indexed by BlockKind: common text, new, delete, move from, move to.
    std::array<QColor, 5> m_clrKind;
    std::array<std::uint32_t, 5> m_kindValue;
};
