#include "comparesettingsdlg.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

CCompareSettingsDlg::CCompareSettingsDlg(CCompSettings& settings, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_unit(SettingsControls::MakeUnitControls(this)),
      m_blockMove(SettingsControls::MakeBlockMoveControls(this)), m_lookAhead(settings.lookAhead),
      m_unitSize(settings.unitSize) {
    setWindowTitle(QStringLiteral("Compare Settings"));

    auto* groups = new QVBoxLayout;
    groups->addWidget(m_unit.box);
    groups->addWidget(m_blockMove.box);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(groups);
    layout->addLayout(SettingsControls::MakeButtons(
        this, Qt::Vertical, QStringLiteral("Save default"), "3", [this] { OnOk(); },
        [this] { OnSaveDefault(); }));

    SettingsControls::ShowUnit(m_unit, settings.unitSize);
    // The choice the dialog is about, where arrow keys change it.
    if (QAbstractButton* checked = m_unit.radios->checkedButton()) {
        checked->setFocus();
    }
    SettingsControls::ShowLookAhead(m_blockMove, settings.lookAhead);
}

std::int32_t CCompareSettingsDlg::LookAhead() const {
    return m_lookAhead;
}

std::int32_t CCompareSettingsDlg::UnitSize() const {
    return m_unitSize;
}

bool CCompareSettingsDlg::TakeControls() {
    const std::optional<std::int32_t> lookAhead = SettingsControls::ReadLookAhead(m_blockMove, this);
    if (!lookAhead) {
        return false;
    }
    m_lookAhead = *lookAhead;
    m_unitSize = SettingsControls::CheckedUnit(m_unit, m_unitSize);
    return true;
}

void CCompareSettingsDlg::OnOk() {
    if (TakeControls()) {
        accept();
    }
}

void CCompareSettingsDlg::OnSaveDefault() {
    if (TakeControls()) {
        m_settings.lookAhead = m_lookAhead;
        m_settings.unitSize = m_unitSize;
    }
}
