#pragma once

#include <ctime>
#include <string>

// A moment as the user's locale writes it: the short date, two blanks, the time of day without
// seconds. The program sets the locale from the environment at start; "C" gives 12/06/26  14:05.
class CLocalTimeText {
public:
    static std::string Format(std::time_t when);
    // The locale's time format with the seconds taken out.
    static std::string TimeFormatWithoutSeconds(std::string format);
};
