#include "stderrmessages.h"

#include <iostream>

void CStderrMessages::ShowError(const std::string& text) {
    ++m_errors;
    std::cerr << "dyadmon-cli: " << text << '\n';
}

void CStderrMessages::ShowNotice(const std::string& text) {
    std::cerr << "dyadmon-cli: " << text << '\n';
}
