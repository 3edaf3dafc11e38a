#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include <QString>

class QBoxLayout;
class QButtonGroup;
class QDialog;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QWidget;

// What both settings dialogs share: how a typed number is read, the compare unit radios and the
// block-move controls.
namespace SettingsControls {

// Leading white space, one optional sign, then decimal digits up to the first other character; text
// without those digits reads as 0. A huge number saturates far beyond any accepted range instead of
// wrapping round into it.
std::int64_t ReadDecimal(const QString& text);

// OK (the default button, running `ok`), Cancel (rejecting the dialog) and one more button of the
// dialog's own (`text`, control id `id`, running `other`), in a column or a row. Each is named by its
// control id, so tests find it as the dialogs' other controls.
QBoxLayout* MakeButtons(QDialog* dialog, Qt::Orientation orientation, const QString& text, const char* id,
                        const std::function<void()>& ok, const std::function<void()>& other);

struct UnitControls {
    QGroupBox* box;
    QButtonGroup* radios; // each radio's id is its unit size
};
UnitControls MakeUnitControls(QWidget* parent);
void ShowUnit(const UnitControls& unit, std::int32_t unitSize);
// The checked radio's unit, or `fallback` when none is checked (the settings held no valid unit).
std::int32_t CheckedUnit(const UnitControls& unit, std::int32_t fallback);

struct BlockMoveControls {
    QGroupBox* box;
    QCheckBox* check;
    QLineEdit* edit;
};
BlockMoveControls MakeBlockMoveControls(QWidget* parent);
void ShowLookAhead(const BlockMoveControls& blockMove, std::int32_t lookAhead);
// The look-ahead typed, or nothing once the user has been told it is out of range.
std::optional<std::int32_t> ReadLookAhead(const BlockMoveControls& blockMove, QWidget* parent);

} // namespace SettingsControls
