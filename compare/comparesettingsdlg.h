#pragma once

#include <cstdint>

#include <QDialog>

#include "compare/core/compsettings.h"
#include "compare/settingscontrols.h"

// The settings asked for before a compare: the unit and the block-move look-ahead for this compare,
// which can also be saved as the defaults.
class CCompareSettingsDlg : public QDialog {
    Q_OBJECT

public:
    explicit CCompareSettingsDlg(CCompSettings& settings, QWidget* parent = nullptr);

    // The values accepted by OK or by a valid "Save default"; before either, the settings' own.
    std::int32_t LookAhead() const;
    std::int32_t UnitSize() const;

private slots:
    void OnOk();
    void OnSaveDefault();

private:
    bool TakeControls();

    CCompSettings& m_settings;
    SettingsControls::UnitControls m_unit;
    SettingsControls::BlockMoveControls m_blockMove;
    std::int32_t m_lookAhead;
    std::int32_t m_unitSize;
};
