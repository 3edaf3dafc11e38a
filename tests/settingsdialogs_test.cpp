#include <tuple>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include "compare/colorswatch.h"
#include "compare/comparesettingsdlg.h"
#include "compare/defaultsettingsdlg.h"
#include "compare/settingscontrols.h"
#include "platform/finddlg.h"
#include "platform/promptrecorder.h"

namespace {

const QString kBadStep = QStringLiteral("Invalid block move checking step. (100 maximum)");
const QString kBadLine = QStringLiteral("Invalid line length. (64 maximum)");

auto Fields(const CCompSettings& s) {
    return std::tuple(s.m_clrCommon, s.m_clrNew, s.m_clrDelete, s.m_clrMoveFrom, s.m_clrMoveTo, s.lookAhead,
                      s.unitSize, s.askBeforeCompare, s.showAnsi, s.lineLength);
}

template <typename T>
T* Get(QWidget& dialog, const char* id) {
    T* control = dialog.findChild<T*>(QString::fromLatin1(id));
    EXPECT_NE(control, nullptr) << id;
    return control;
}

void Type(QWidget& dialog, const char* id, const char* text) {
    Get<QLineEdit>(dialog, id)->setText(QString::fromLatin1(text));
}

void Click(QWidget& dialog, const char* id) {
    Get<QAbstractButton>(dialog, id)->click();
}

std::vector<QString> Texts(const CPromptRecorder& prompts) {
    std::vector<QString> texts;
    for (const CPromptRecorder::Shown& shown : prompts.messages) {
        EXPECT_EQ(shown.icon, CPrompts::Icon::Exclamation);
        texts.push_back(shown.text);
    }
    return texts;
}

TEST(SettingsNumber, ReadsLeadingSignedDigitsAndRefusesHugeOnes) {
    using SettingsControls::ReadDecimal;
    EXPECT_EQ(ReadDecimal("  -5x"), -5);
    EXPECT_EQ(ReadDecimal("+7"), 7);
    EXPECT_EQ(ReadDecimal("\t42 1"), 42);
    for (const char* zero : {"", "abc", "-", "+-3", "- 5", "x12"}) {
        EXPECT_EQ(ReadDecimal(zero), 0) << zero;
    }
    EXPECT_EQ(ReadDecimal(QString::fromUtf8("\u0663")), 0); // an Arabic-Indic three
    // Two to the 32nd and 64th would wrap round to 0 in a fixed-width accumulator.
    EXPECT_GT(ReadDecimal("4294967296"), CCompSettings::kMaxLookAhead);
    EXPECT_GT(ReadDecimal("18446744073709551616"), CCompSettings::kMaxLookAhead);
    EXPECT_LT(ReadDecimal("-99999999999999999999999"), 0);
}

// A step out of range keeps the dialog open; OK then takes what is typed, for this comparison only.
TEST(CompareSettings, OkTakesOnlyAValidStepAndWritesNoSetting) {
    CPromptRecorder prompts;
    CCompSettings settings;
    settings.unitSize = 4;
    settings.lookAhead = 25;
    const auto before = Fields(settings);
    CCompareSettingsDlg dialog(settings);
    dialog.show();
    EXPECT_TRUE(Get<QRadioButton>(dialog, "1004")->isChecked());
    EXPECT_TRUE(Get<QCheckBox>(dialog, "1022")->isChecked());
    EXPECT_EQ(Get<QLineEdit>(dialog, "1021")->text(), "25");
    for (const char* bad : {"-1", "101", "4294967296"}) {
        Type(dialog, "1021", bad);
        Click(dialog, "1029");
    }
    EXPECT_EQ(Texts(prompts), std::vector<QString>(3, kBadStep));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(std::pair(dialog.LookAhead(), dialog.UnitSize()), std::pair(25, 4));

    // Clearing block move zeroes and disables the step.
    Click(dialog, "1022");
    EXPECT_EQ(Get<QLineEdit>(dialog, "1021")->text(), "0");
    EXPECT_FALSE(Get<QLineEdit>(dialog, "1021")->isEnabled());
    Click(dialog, "1006");
    Click(dialog, "1029");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(std::pair(dialog.LookAhead(), dialog.UnitSize()), std::pair(0, 16));
    EXPECT_EQ(Fields(settings), before);
}

// "Save default" writes the unit and step at once, and they stay whatever button follows.
TEST(CompareSettings, SaveDefaultWritesOnlyAValidStepAndStaysOpen) {
    CPromptRecorder prompts;
    CCompSettings settings;
    CCompareSettingsDlg dialog(settings);
    dialog.show();
    Click(dialog, "1002");
    Type(dialog, "1021", "101");
    Click(dialog, "3");
    EXPECT_EQ(Texts(prompts), std::vector<QString>{kBadStep});
    EXPECT_EQ(Fields(settings), Fields(CCompSettings()));
    Type(dialog, "1021", "12");
    Click(dialog, "3");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(std::pair(settings.lookAhead, settings.unitSize), std::pair(12, 1));
    Click(dialog, "1030");
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(std::pair(settings.lookAhead, settings.unitSize), std::pair(12, 1));
}

// Settings unlike the defaults in every field.
CCompSettings Unusual() {
    CCompSettings s;
    s.m_clrCommon = 0x010203;
    s.m_clrNew = 0x040506;
    s.m_clrDelete = 0x070809;
    s.m_clrMoveFrom = 0x0A0B0C;
    s.m_clrMoveTo = 0x0D0E0F;
    s.lookAhead = 7;
    s.unitSize = 2;
    s.askBeforeCompare = s.showAnsi = false;
    s.lineLength = 32;
    return s;
}

// OK writes every field from the controls, but nothing at all while the line length or the step is
// out of range.
TEST(DefaultSettings, OkWritesEveryFieldOnlyOnceAllAreValid) {
    CPromptRecorder prompts;
    CCompSettings settings;
    CDefaultSettingsDlg dialog(settings);
    dialog.show();
    const CCompSettings wanted = Unusual();
    prompts.colorAnswers = {wanted.m_clrCommon, wanted.m_clrNew, wanted.m_clrDelete, wanted.m_clrMoveFrom,
                            wanted.m_clrMoveTo};
    for (const char* id : {"1024", "1025", "1026", "1027", "1028"}) {
        QTest::mouseClick(Get<CColorSwatch>(dialog, id), Qt::LeftButton);
    }
    for (const char* id : {"1019", "1020", "1003"}) {
        Click(dialog, id);
    }
    Type(dialog, "1021", "101");
    for (const char* line : {"0", "65", "32"}) {
        Type(dialog, "1001", line);
        Click(dialog, "1029");
    }
    EXPECT_EQ(Texts(prompts), (std::vector<QString>{kBadLine, kBadLine, kBadStep}));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(Fields(settings), Fields(CCompSettings()));
    Type(dialog, "1021", "7");
    Click(dialog, "1029");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(Fields(settings), Fields(wanted));
}

// The reset is written at once and shown, and lasts although the dialog is then cancelled.
TEST(DefaultSettings, ResetWritesDefaultsAtOnceAndCancelKeepsThem) {
    CPromptRecorder prompts;
    CCompSettings settings = Unusual();
    CDefaultSettingsDlg dialog(settings);
    dialog.show();
    Click(dialog, "1018");
    const CCompSettings defaults;
    EXPECT_EQ(Fields(settings), Fields(defaults));
    EXPECT_TRUE(Get<QCheckBox>(dialog, "1019")->isChecked());
    EXPECT_EQ(Get<QLineEdit>(dialog, "1001")->text(), "16");
    EXPECT_EQ(Get<CColorSwatch>(dialog, "1027")->GetColor(), defaults.m_clrMoveFrom);
    Click(dialog, "1030");
    EXPECT_EQ(Fields(settings), Fields(defaults));
}

TEST(ColorSwatch, FillsInsideItsBorderAndCancelKeepsTheColour) {
    CPromptRecorder prompts;
    CColorSwatch swatch;
    swatch.SetColor(0x336699); // red 0x99, green 0x66, blue 0x33: a swapped channel shows
    QImage image = swatch.grab().toImage();
    EXPECT_EQ(image.pixelColor(swatch.width() / 2, swatch.height() / 2), QColor(0x99, 0x66, 0x33));
    EXPECT_EQ(image.pixelColor(1, 1), QColor(0x99, 0x66, 0x33));
    EXPECT_EQ(image.pixelColor(0, 0), swatch.palette().color(QPalette::WindowText)); // the border

    QTest::mouseClick(&swatch, Qt::RightButton);
    QTest::mouseClick(&swatch, Qt::LeftButton);
    EXPECT_EQ(prompts.colorRequests, std::vector<std::uint32_t>{0x336699});
    EXPECT_EQ(swatch.GetColor(), 0x336699u);
    prompts.colorAnswers = {0x00FF00};
    QTest::mouseClick(&swatch, Qt::LeftButton);
    EXPECT_EQ(swatch.GetColor(), 0x00FF00u);
    EXPECT_EQ(swatch.grab().toImage().pixelColor(5, 5), QColor(0, 0xFF, 0));
}

} // namespace

namespace {

// What a screen reader finds in the settings dialogs, and what the keys alone can do there.
TEST(SettingsAccessibility, EveryControlIsNamedAndReachedByKeys) {
    CPromptRecorder prompts;
    CCompSettings settings;
    settings.unitSize = 8;
    {
        CCompareSettingsDlg dialog(settings);
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        EXPECT_EQ(QApplication::focusWidget(), Get<QWidget>(dialog, "1005"))
            << "the checked unit has the focus";
        QAccessibleInterface* step = QAccessible::queryAccessibleInterface(Get<QLineEdit>(dialog, "1021"));
        EXPECT_EQ(step->text(QAccessible::Name), "Units forward to check for block moves");
    }

    CDefaultSettingsDlg dialog(settings);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QAccessibleInterface* length = QAccessible::queryAccessibleInterface(Get<QLineEdit>(dialog, "1001"));
    const auto labels = length->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels[0].first->text(QAccessible::Name), "Default line length:");

    // Tab goes through the five colours, each a button of its own name that Space or Enter changes.
    std::vector<QString> names;
    QWidget* start = QApplication::focusWidget();
    ASSERT_NE(start, nullptr);
    for (int presses = 0; presses < 30 && names.size() < 5; ++presses) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        if (auto* swatch = qobject_cast<CColorSwatch*>(QApplication::focusWidget())) {
            QAccessibleInterface* read = QAccessible::queryAccessibleInterface(swatch);
            EXPECT_EQ(read->role(), QAccessible::Button);
            if (names.empty() || names.back() != read->text(QAccessible::Name)) {
                names.push_back(read->text(QAccessible::Name));
            }
        }
    }
    EXPECT_EQ(names, (std::vector<QString>{"Common text color", "New block color", "Delete block color",
                                           "Move from block color", "Move to block color"}));
    auto* swatch = Get<CColorSwatch>(dialog, "1025");
    swatch->setFocus();
    prompts.colorAnswers = {0x0000FF, 0x00FF00};
    QTest::keyClick(swatch, Qt::Key_Space);
    EXPECT_EQ(swatch->GetColor(), 0x0000FFu);
    QTest::keyClick(swatch, Qt::Key_Return);
    EXPECT_EQ(swatch->GetColor(), 0x00FF00u);
    EXPECT_EQ(prompts.colorRequests.size(), 2u);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(swatch)->text(QAccessible::Description), "#00FF00");
    EXPECT_TRUE(dialog.isVisible()) << "Enter on a colour is not the dialog's OK";
}

// Find's dialog starts from the last answer; the keys type the pattern, Tab and the arrows choose how it
// is read and the file, and Enter takes it. A viewer's dialog offers no choice of file.
TEST(FindDialog, KeysFillItInFromTheLastAnswer) {
    CPrompts::FindRequest last{"DE AD", CPrompts::FindRequest::Form::TextUtf8, 1, 2};
    CFindDlg dialog(last);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QWidget* pattern = QApplication::focusWidget();
    ASSERT_NE(qobject_cast<QLineEdit*>(pattern), nullptr);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(pattern)->text(QAccessible::Name), "Find what");
    QTest::keyClicks(pattern, "needle");
    QTest::keyClick(pattern, Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget()->accessibleName(), "Search in");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const CPrompts::FindRequest answer = dialog.Request();
    EXPECT_EQ(answer.pattern, "needle") << "the last pattern was selected, to be typed over";
    EXPECT_EQ(answer.form, CPrompts::FindRequest::Form::TextUtf16le);
    EXPECT_EQ(answer.file, 0);

    CFindDlg viewer(CPrompts::FindRequest{});
    EXPECT_EQ(viewer.findChildren<QComboBox*>().size(), 1);
    EXPECT_EQ(viewer.Request().files, 1);
}

} // namespace
