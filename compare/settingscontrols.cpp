#include "settingscontrols.h"

#include <limits>

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "compare/core/compsettings.h"
#include "platform/prompts.h"

namespace SettingsControls {

std::int64_t ReadDecimal(const QString& text) {
    constexpr std::int64_t kSaturated = std::numeric_limits<std::int64_t>::max();
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\n' || text[i] == u'\r' ||
                     text[i] == u'\v' || text[i] == u'\f')) {
        ++i;
    }
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    std::int64_t value = 0;
    // Only ASCII digits: other scripts' digits are not numbers the user meant here.
    for (; i < n && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        const int digit = text[i].unicode() - u'0';
        if (value > (kSaturated - digit) / 10) {
            value = kSaturated;
            break;
        }
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

QBoxLayout* MakeButtons(QDialog* dialog, Qt::Orientation orientation, const QString& text, const char* id,
                        const std::function<void()>& ok, const std::function<void()>& other) {
    const auto button = [dialog](const QString& caption, const char* controlId) {
        auto* made = new QPushButton(caption, dialog);
        made->setObjectName(QString::fromLatin1(controlId));
        return made;
    };
    QPushButton* okButton = button(QStringLiteral("OK"), "1029");
    okButton->setDefault(true);
    QPushButton* cancel = button(QStringLiteral("Cancel"), "1030");
    QPushButton* third = button(text, id);
    QObject::connect(okButton, &QPushButton::clicked, dialog, ok);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    QObject::connect(third, &QPushButton::clicked, dialog, other);
    auto* layout =
        new QBoxLayout(orientation == Qt::Vertical ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight);
    // A column stands at the top, a row at the right.
    if (orientation == Qt::Horizontal) {
        layout->addStretch();
    }
    for (QPushButton* each : {okButton, cancel, third}) {
        layout->addWidget(each);
    }
    if (orientation == Qt::Vertical) {
        layout->addStretch();
    }
    return layout;
}

UnitControls MakeUnitControls(QWidget* parent) {
    struct Radio {
        int id;
        int unit;
        const char* text;
    };
    static constexpr Radio kRadios[] = {{1002, 1, "1 byte mode"},
                                        {1003, 2, "2 bytes mode"},
                                        {1004, 4, "4 bytes mode"},
                                        {1005, 8, "8 bytes mode"},
                                        {1006, 16, "16 bytes mode"}};
    UnitControls unit{new QGroupBox(QStringLiteral("Compare mode (unit)"), parent), new QButtonGroup(parent)};
    unit.radios->setExclusive(true);
    auto* layout = new QVBoxLayout(unit.box);
    for (const Radio& r : kRadios) {
        auto* radio = new QRadioButton(QString::fromLatin1(r.text), unit.box);
        radio->setObjectName(QString::number(r.id));
        unit.radios->addButton(radio, r.unit);
        layout->addWidget(radio);
    }
    return unit;
}

void ShowUnit(const UnitControls& unit, std::int32_t unitSize) {
    if (QAbstractButton* radio = unit.radios->button(unitSize)) {
        radio->setChecked(true);
    }
}

std::int32_t CheckedUnit(const UnitControls& unit, std::int32_t fallback) {
    const int id = unit.radios->checkedId();
    return id < 0 ? fallback : id;
}

BlockMoveControls MakeBlockMoveControls(QWidget* parent) {
    BlockMoveControls blockMove{new QGroupBox(QStringLiteral("Block move checking"), parent), nullptr,
                                nullptr};
    blockMove.check = new QCheckBox(QStringLiteral("Check for block move"), blockMove.box);
    blockMove.check->setObjectName(QStringLiteral("1022"));
    blockMove.edit = new QLineEdit(blockMove.box);
    blockMove.edit->setObjectName(QStringLiteral("1021"));
    blockMove.edit->setMaximumWidth(
        blockMove.edit->fontMetrics().horizontalAdvance(QStringLiteral("0000000")));

    auto* layout = new QVBoxLayout(blockMove.box);
    layout->addWidget(blockMove.check);
    auto* row = new QHBoxLayout;
    row->addWidget(blockMove.edit);
    auto* units = new QLabel(QStringLiteral("units forward"), blockMove.box);
    units->setBuddy(blockMove.edit);
    // Inside a group box Qt would name the field after the box.
    blockMove.edit->setAccessibleName(QStringLiteral("Units forward to check for block moves"));
    row->addWidget(units);
    row->addStretch();
    layout->addLayout(row);

    // Only the user's click resets the step; filling the controls from a value must keep it.
    QLineEdit* edit = blockMove.edit;
    QObject::connect(blockMove.check, &QCheckBox::clicked, edit, [edit](bool checked) {
        if (!checked) {
            edit->setText(QStringLiteral("0"));
        }
        edit->setEnabled(checked);
    });
    return blockMove;
}

void ShowLookAhead(const BlockMoveControls& blockMove, std::int32_t lookAhead) {
    blockMove.edit->setText(QString::number(lookAhead));
    blockMove.check->setChecked(lookAhead != 0);
    blockMove.edit->setEnabled(lookAhead != 0);
}

std::optional<std::int32_t> ReadLookAhead(const BlockMoveControls& blockMove, QWidget* parent) {
    const std::int64_t value = ReadDecimal(blockMove.edit->text());
    if (value < 0 || value > CCompSettings::kMaxLookAhead) {
        CPrompts::Current().Message(parent, QStringLiteral("Invalid block move checking step. (100 maximum)"),
                                    CPrompts::Icon::Exclamation);
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

} // namespace SettingsControls
