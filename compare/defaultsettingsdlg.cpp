#include "defaultsettingsdlg.h"

#include <optional>

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "compare/colorswatch.h"
#include "platform/prompts.h"

namespace {

void AcceptDigitsOnly(QLineEdit* edit) {
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
}

} // namespace

CDefaultSettingsDlg::CDefaultSettingsDlg(CCompSettings& settings, QWidget* parent)
    : QDialog(parent), m_settings(settings),
      m_showAnsi(new QCheckBox(QStringLiteral("Show ANSI characters column"), this)),
      m_askBeforeCompare(new QCheckBox(QStringLiteral("Ask settings before every compare"), this)),
      m_lineLength(new QLineEdit(this)), m_common(nullptr), m_new(nullptr), m_delete(nullptr),
      m_moveFrom(nullptr), m_moveTo(nullptr), m_unit(SettingsControls::MakeUnitControls(this)),
      m_blockMove(SettingsControls::MakeBlockMoveControls(this)) {
    setWindowTitle(QStringLiteral("Default Settings"));
    m_showAnsi->setObjectName(QStringLiteral("1019"));
    m_askBeforeCompare->setObjectName(QStringLiteral("1020"));
    m_lineLength->setObjectName(QStringLiteral("1001"));
    m_lineLength->setMaximumWidth(m_lineLength->fontMetrics().horizontalAdvance(QStringLiteral("0000000")));
    AcceptDigitsOnly(m_lineLength);
    AcceptDigitsOnly(m_blockMove.edit);

    auto* lineLengthRow = new QHBoxLayout;
    auto* lineLengthLabel = new QLabel(QStringLiteral("Default line length:"), this);
    lineLengthLabel->setBuddy(m_lineLength);
    lineLengthRow->addWidget(lineLengthLabel);
    lineLengthRow->addWidget(m_lineLength);
    lineLengthRow->addWidget(new QLabel(QStringLiteral("bytes"), this));
    lineLengthRow->addStretch();

    auto* colors = new QGroupBox(QStringLiteral("Text colors"), this);
    auto* colorGrid = new QGridLayout(colors);
    const auto addSwatch = [&](const char* text, const char* id) {
        const int row = colorGrid->rowCount();
        auto* swatch = new CColorSwatch(colors);
        swatch->setObjectName(QString::fromLatin1(id));
        swatch->setAccessibleName(QString::fromLatin1(text));
        auto* label = new QLabel(QString::fromLatin1(text), colors);
        label->setBuddy(swatch);
        colorGrid->addWidget(label, row, 0, Qt::AlignRight);
        colorGrid->addWidget(swatch, row, 1);
        return swatch;
    };
    m_common = addSwatch("Common text color", "1024");
    m_new = addSwatch("New block color", "1025");
    m_delete = addSwatch("Delete block color", "1026");
    m_moveFrom = addSwatch("Move from block color", "1027");
    m_moveTo = addSwatch("Move to block color", "1028");
    colorGrid->setRowStretch(colorGrid->rowCount(), 1);

    auto* compareGroups = new QVBoxLayout;
    compareGroups->addWidget(m_unit.box);
    compareGroups->addWidget(m_blockMove.box);
    auto* groups = new QHBoxLayout;
    groups->addWidget(colors);
    groups->addLayout(compareGroups);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_showAnsi);
    layout->addWidget(m_askBeforeCompare);
    layout->addLayout(lineLengthRow);
    layout->addLayout(groups);
    layout->addLayout(SettingsControls::MakeButtons(
        this, Qt::Horizontal, QStringLiteral("Reset"), "1018", [this] { OnOk(); }, [this] { OnReset(); }));

    ShowSettings();
}

void CDefaultSettingsDlg::ShowSettings() {
    m_showAnsi->setChecked(m_settings.showAnsi);
    m_lineLength->setText(QString::number(m_settings.lineLength));
    m_askBeforeCompare->setChecked(m_settings.askBeforeCompare);
    SettingsControls::ShowUnit(m_unit, m_settings.unitSize);
    SettingsControls::ShowLookAhead(m_blockMove, m_settings.lookAhead);
    m_common->SetColor(m_settings.m_clrCommon);
    m_new->SetColor(m_settings.m_clrNew);
    m_delete->SetColor(m_settings.m_clrDelete);
    m_moveFrom->SetColor(m_settings.m_clrMoveFrom);
    m_moveTo->SetColor(m_settings.m_clrMoveTo);
    for (CColorSwatch* swatch : {m_common, m_new, m_delete, m_moveFrom, m_moveTo}) {
        swatch->update();
    }
}

void CDefaultSettingsDlg::OnReset() {
    // The reset is meant to last even if the dialog is then cancelled.
    m_settings.ResetToDefaults();
    ShowSettings();
}

void CDefaultSettingsDlg::OnOk() {
    const std::int64_t lineLength = SettingsControls::ReadDecimal(m_lineLength->text());
    if (lineLength < CCompSettings::kMinLineLength || lineLength > CCompSettings::kMaxLineLength) {
        CPrompts::Current().Message(this, QStringLiteral("Invalid line length. (64 maximum)"),
                                    CPrompts::Icon::Exclamation);
        return;
    }
    const std::optional<std::int32_t> lookAhead = SettingsControls::ReadLookAhead(m_blockMove, this);
    if (!lookAhead) {
        return;
    }
    m_settings.m_clrCommon = m_common->GetColor();
    m_settings.m_clrNew = m_new->GetColor();
    m_settings.m_clrDelete = m_delete->GetColor();
    m_settings.m_clrMoveFrom = m_moveFrom->GetColor();
    m_settings.m_clrMoveTo = m_moveTo->GetColor();
    m_settings.lineLength = static_cast<std::int32_t>(lineLength);
    m_settings.lookAhead = *lookAhead;
    m_settings.askBeforeCompare = m_askBeforeCompare->isChecked();
    m_settings.showAnsi = m_showAnsi->isChecked();
    m_settings.unitSize = SettingsControls::CheckedUnit(m_unit, m_settings.unitSize);
    accept();
}
