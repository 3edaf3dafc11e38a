#pragma once

#include <string>
#include <vector>

#include "snapshots/core/storemessages.h"

// The store's messages, kept for a test to read.
class CRecordedMessages : public CStoreMessages {
public:
    void ShowError(const std::string& text) override { errors.push_back(text); }
    void ShowNotice(const std::string& text) override { notices.push_back(text); }
    std::vector<std::string> errors;
    std::vector<std::string> notices;
};
