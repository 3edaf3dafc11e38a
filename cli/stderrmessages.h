#pragma once

#include "snapshots/core/storemessages.h"

// The store's messages as lines on standard error, counted so a command can end with status 2.
class CStderrMessages : public CStoreMessages {
public:
    void ShowError(const std::string& text) override;
    void ShowNotice(const std::string& text) override;
    int ErrorCount() const { return m_errors; }
    // One line on standard error, "dyadmon-cli: " first: how every dyadmon-cli message is told.
    static void Print(const std::string& text);

private:
    int m_errors = 0;
};
