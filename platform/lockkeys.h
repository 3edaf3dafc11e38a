#pragma once

#include <string>

// Whether Caps Lock, Num Lock and Scroll Lock are on, as the keyboards' LEDs show it. The desktop
// keeps these in step with the keys whatever the display server, and any user may read them.
class CLockKeys {
public:
    struct State {
        bool caps = false;
        bool num = false;
        bool scroll = false;
    };

    // A lock counts as on when any keyboard's LED for it is lit.
    static State Read(const std::string& ledsFolder = "/sys/class/leds");
};
