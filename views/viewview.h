#pragma once

#include <QColor>

#include "hexview.h"

class CCompSettings;
class CViewDoc;

// The view of the single-file viewer: one hex pane of the file's lines, scrolled like the compare
// view, without a difference map.
class CViewView : public CHexView {
    Q_OBJECT

public:
    // Copies the byte colour now.
    CViewView(CViewDoc& document, const CCompSettings& settings, QWidget* parent = nullptr);

    CViewDoc& GetDocument() const;
    QString RowText(std::int64_t index) const override;

protected:
    std::optional<std::int64_t> RowOfOffset(int side, std::uint64_t offset,
                                            std::uint64_t& size) const override;
    std::shared_ptr<const CFileBuffer> SearchedFile(int side) const override;
    std::uint64_t OffsetOfRow(int side, std::int64_t row) const override;

    std::optional<RowPart> PartOfRow(std::int64_t row, int side) const override;
    std::uint64_t FileSize(int side) const override;
    const std::uint8_t* FileData(int side) const override;

    std::int64_t RowCount() const override;
    int ContentWidth() const override;
    int OffsetDigits() const override;
    int VertBarX() const override { return m_textRight; }
    void Draw(QPainter& painter) override;

private:
    const QColor m_clrText;
};
