#pragma once

#include <string>

// Where the snapshot store's messages go: error boxes in the program, standard error in dyadmon-cli.
class CStoreMessages {
public:
    virtual ~CStoreMessages() = default;
    virtual void ShowError(const std::string& text) = 0;
    virtual void ShowNotice(const std::string& text) = 0;
};
