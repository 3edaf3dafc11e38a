#pragma once

#include <QDialog>

#include "compare/core/compsettings.h"
#include "compare/settingscontrols.h"

class CColorSwatch;
class QCheckBox;
class QLineEdit;

// The defaults every new compare and view starts from: display options, line length, text colours,
// unit and block-move look-ahead. OK writes them all; Reset restores the built-in ones at once.
class CDefaultSettingsDlg : public QDialog {
    Q_OBJECT

public:
    explicit CDefaultSettingsDlg(CCompSettings& settings, QWidget* parent = nullptr);

private slots:
    void OnOk();
    void OnReset();

private:
    void ShowSettings();

    CCompSettings& m_settings;
    QCheckBox* m_showAnsi;
    QCheckBox* m_askBeforeCompare;
    QLineEdit* m_lineLength;
    CColorSwatch* m_common;
    CColorSwatch* m_new;
    CColorSwatch* m_delete;
    CColorSwatch* m_moveFrom;
    CColorSwatch* m_moveTo;
    SettingsControls::UnitControls m_unit;
    SettingsControls::BlockMoveControls m_blockMove;
};
