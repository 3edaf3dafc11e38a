#pragma once

#include <string>

// The two target slots of the next comparison, as the panes see them: they put a path or a snapshot
// reference (as the system's bytes) into a slot, or empty both.
class CTargetSlots {
public:
    virtual ~CTargetSlots() = default;
    virtual void SetTarget1(const std::string& target) = 0;
    virtual void SetTarget2(const std::string& target) = 0;
    virtual void ClearTargets() = 0;
};
