#include "stderrmessages.h"

#include <iostream>

void CStderrMessages::Print(const std::string& text) {
    std::cerr << "dyadmon-cli: " << text << '\n';
}

void CStderrMessages::ShowError(const std::string& text) {
    ++m_errors;
    Print(text);
}

void CStderrMessages::ShowNotice(const std::string& text) {
    Print(text);
}
