#include "compsettings.h"

#include <algorithm>

CCompSettings::CCompSettings() {
    ResetToDefaults();
}

void CCompSettings::ResetToDefaults() {
    m_clrCommon = kDefaultCommonColor;
    m_clrNew = kDefaultNewColor;
    m_clrDelete = kDefaultDeleteColor;
    m_clrMoveFrom = kDefaultMoveFromColor;
    m_clrMoveTo = kDefaultMoveToColor;
    lookAhead = kDefaultLookAhead;
    unitSize = kDefaultUnitSize;
    askBeforeCompare = true;
    showAnsi = true;
    lineLength = kDefaultLineLength;
}

bool CCompSettings::IsValidUnitSize(std::int32_t unit) {
    return unit == 1 || unit == 2 || unit == 4 || unit == 8 || unit == 16;
}

std::int32_t CCompSettings::BytesPerLineForCompare() const {
    return std::max(lineLength / 2, 1);
}
