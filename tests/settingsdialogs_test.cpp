#include <tuple>

#include <QCheckBox>
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

TEST(CompareSettings, OpensOnTheSettingsAndOkTakesTypedValuesWithoutWriting) {
    CPromptRecorder prompts;
    CCompSettings settings;
    settings.unitSize = 4;
    settings.lookAhead = 25;
    const auto before = Fields(settings);
    CCompareSettingsDlg dialog(settings);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Compare Settings");
    EXPECT_TRUE(Get<QRadioButton>(dialog, "1004")->isChecked());
    EXPECT_TRUE(Get<QCheckBox>(dialog, "1022")->isChecked());
    EXPECT_EQ(Get<QLineEdit>(dialog, "1021")->text(), "25");
    EXPECT_TRUE(Get<QLineEdit>(dialog, "1021")->isEnabled());
    EXPECT_EQ(std::pair(dialog.LookAhead(), dialog.UnitSize()), std::pair(25, 4));

    Get<QLineEdit>(dialog, "1021")->setText("abc");
    Get<QRadioButton>(dialog, "1006")->click();
    Get<QPushButton>(dialog, "1029")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(std::pair(dialog.LookAhead(), dialog.UnitSize()), std::pair(0, 16));
    EXPECT_EQ(Fields(settings), before);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST(CompareSettings, OutOfRangeStepIsRefusedAndTheDialogStaysOpen) {
    CPromptRecorder prompts;
    CCompSettings settings;
    settings.lookAhead = 5;
    CCompareSettingsDlg dialog(settings);
    dialog.show();
    for (const char* bad : {"-1", "101", "4294967296"}) {
        Get<QLineEdit>(dialog, "1021")->setText(bad);
        Get<QPushButton>(dialog, "1029")->click();
    }
    EXPECT_EQ(Texts(prompts), std::vector<QString>(3, kBadStep));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.LookAhead(), 5);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(CompareSettings, ClearingBlockMoveZeroesAndDisablesTheStep) {
    CPromptRecorder prompts;
    CCompSettings settings;
    settings.lookAhead = 30;
    CCompareSettingsDlg dialog(settings);
    QCheckBox* check = Get<QCheckBox>(dialog, "1022");
    QLineEdit* step = Get<QLineEdit>(dialog, "1021");
    check->click();
    EXPECT_EQ(step->text(), "0");
    EXPECT_FALSE(step->isEnabled());
    check->click();
    EXPECT_TRUE(step->isEnabled());
    EXPECT_EQ(step->text(), "0");
    Get<QPushButton>(dialog, "1029")->click();
    EXPECT_EQ(dialog.LookAhead(), 0);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST(CompareSettings, SaveDefaultWritesOnlyAValidStepAndStaysOpen) {
    CPromptRecorder prompts;
    CCompSettings settings;
    CCompareSettingsDlg dialog(settings);
    dialog.show();
    Get<QRadioButton>(dialog, "1002")->click();
    Get<QLineEdit>(dialog, "1021")->setText("101");
    Get<QPushButton>(dialog, "3")->click();
    EXPECT_EQ(Texts(prompts), std::vector<QString>{kBadStep});
    EXPECT_EQ(Fields(settings), Fields(CCompSettings()));

    Get<QLineEdit>(dialog, "1021")->setText("12");
    Get<QPushButton>(dialog, "3")->click();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(std::pair(settings.lookAhead, settings.unitSize), std::pair(12, 1));
    EXPECT_EQ(std::pair(dialog.LookAhead(), dialog.UnitSize()), std::pair(12, 1));
    Get<QPushButton>(dialog, "1030")->click();
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
    s.askBeforeCompare = false;
    s.showAnsi = false;
    s.lineLength = 32;
    return s;
}

const char* const kSwatches[] = {"1024", "1025", "1026", "1027", "1028"};

TEST(DefaultSettings, OkWritesEveryFieldFromTheControls) {
    CPromptRecorder prompts;
    CCompSettings settings;
    const auto defaults = Fields(settings);
    CDefaultSettingsDlg dialog(settings);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Default Settings");
    const CCompSettings wanted = Unusual();
    prompts.colorAnswers = {wanted.m_clrCommon, wanted.m_clrNew, wanted.m_clrDelete, wanted.m_clrMoveFrom,
                            wanted.m_clrMoveTo};
    for (const char* id : kSwatches) {
        QTest::mouseClick(Get<CColorSwatch>(dialog, id), Qt::LeftButton);
    }
    Get<QCheckBox>(dialog, "1019")->click();
    Get<QCheckBox>(dialog, "1020")->click();
    Get<QLineEdit>(dialog, "1001")->setText("32");
    Get<QLineEdit>(dialog, "1021")->setText("7");
    Get<QRadioButton>(dialog, "1003")->click();
    EXPECT_EQ(Fields(settings), defaults);
    Get<QPushButton>(dialog, "1029")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(Fields(settings), Fields(wanted));
    EXPECT_TRUE(prompts.messages.empty());
}

TEST(DefaultSettings, LineLengthIsCheckedFirstAndNothingIsWrittenUntilBothAreValid) {
    CPromptRecorder prompts;
    CCompSettings settings = Unusual();
    const auto before = Fields(settings);
    CDefaultSettingsDlg dialog(settings);
    dialog.show();
    EXPECT_EQ(Get<QLineEdit>(dialog, "1001")->text(), "32");
    prompts.colorAnswers = {0x123456};
    QTest::mouseClick(Get<CColorSwatch>(dialog, "1024"), Qt::LeftButton);
    QPushButton* ok = Get<QPushButton>(dialog, "1029");
    Get<QLineEdit>(dialog, "1021")->setText("101");
    for (const char* line : {"0", "65"}) {
        Get<QLineEdit>(dialog, "1001")->setText(line);
        ok->click();
    }
    Get<QLineEdit>(dialog, "1001")->setText("64");
    ok->click();
    EXPECT_EQ(Texts(prompts), (std::vector<QString>{kBadLine, kBadLine, kBadStep}));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(Fields(settings), before);
    Get<QLineEdit>(dialog, "1021")->setText("100");
    ok->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(std::tuple(settings.m_clrCommon, settings.lineLength, settings.lookAhead),
              std::tuple(0x123456u, 64, 100));
}

TEST(DefaultSettings, ResetWritesDefaultsAtOnceAndCancelKeepsThem) {
    CPromptRecorder prompts;
    CCompSettings settings = Unusual();
    CDefaultSettingsDlg dialog(settings);
    dialog.show();
    EXPECT_FALSE(Get<QCheckBox>(dialog, "1019")->isChecked());
    EXPECT_TRUE(Get<QRadioButton>(dialog, "1003")->isChecked());
    EXPECT_EQ(Get<CColorSwatch>(dialog, "1027")->GetColor(), 0x0A0B0Cu);
    Get<QPushButton>(dialog, "1018")->click();
    const CCompSettings defaults;
    EXPECT_EQ(Fields(settings), Fields(defaults));
    EXPECT_TRUE(Get<QCheckBox>(dialog, "1019")->isChecked());
    EXPECT_EQ(Get<QLineEdit>(dialog, "1001")->text(), "16");
    EXPECT_TRUE(Get<QRadioButton>(dialog, "1005")->isChecked());
    EXPECT_FALSE(Get<QLineEdit>(dialog, "1021")->isEnabled());
    EXPECT_EQ(Get<CColorSwatch>(dialog, "1027")->GetColor(), defaults.m_clrMoveFrom);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(Fields(settings), Fields(defaults));
}

TEST(DefaultSettings, NumberBoxesTakeOnlyDigitsAsTyped) {
    CPromptRecorder prompts;
    CCompSettings settings;
    CDefaultSettingsDlg dialog(settings);
    for (const char* id : {"1001", "1021"}) {
        QLineEdit* edit = Get<QLineEdit>(dialog, id);
        edit->setEnabled(true);
        edit->clear();
        QTest::keyClicks(edit, "1a-2 +3");
        EXPECT_EQ(edit->text(), "123") << id;
    }
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
