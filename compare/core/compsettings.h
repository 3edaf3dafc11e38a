#pragma once

#include <cstdint>

// The settings that shape a comparison and its display. One object lives for the whole run; the
// dialogs write it, and documents and views copy what they need when they are created. Nothing here
// is stored between runs.
class CCompSettings {
public:
    // Colours are 0x00BBGGRR, red in the low byte.
    static constexpr std::uint32_t kDefaultCommonColor = 0x000000;
    static constexpr std::uint32_t kDefaultNewColor = 0x0000C8;
    static constexpr std::uint32_t kDefaultDeleteColor = 0x00C800;
    static constexpr std::uint32_t kDefaultMoveFromColor = 0x009696;
    static constexpr std::uint32_t kDefaultMoveToColor = 0x009696;
    static constexpr std::int32_t kDefaultLookAhead = 0;
    static constexpr std::int32_t kDefaultUnitSize = 8;
    static constexpr std::int32_t kDefaultLineLength = 16;

    static constexpr std::int32_t kMaxLookAhead = 100;
    static constexpr std::int32_t kMinLineLength = 1;
    static constexpr std::int32_t kMaxLineLength = 64;

    CCompSettings();
    virtual ~CCompSettings() = default;

    void ResetToDefaults();

    static bool IsValidUnitSize(std::int32_t unit);
    // A compare document shows half the line length on each side, never less than one byte.
    std::int32_t BytesPerLineForCompare() const;

    std::uint32_t m_clrCommon;
    std::uint32_t m_clrNew;
    std::uint32_t m_clrDelete;
    std::uint32_t m_clrMoveFrom;
    std::uint32_t m_clrMoveTo;
    std::int32_t lookAhead;
    std::int32_t unitSize;
    bool askBeforeCompare;
    bool showAnsi;
    std::int32_t lineLength;
};
