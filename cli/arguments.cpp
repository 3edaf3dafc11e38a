#include "arguments.h"

bool CArguments::NextOption(std::string& name) {
    while (m_next < m_args.size()) {
        std::string arg = m_args[m_next++];
        if (m_optionsEnded || arg.size() < 2 || arg[0] != '-') {
            m_operands.push_back(std::move(arg));
            continue;
        }
        if (arg == "--") {
            m_optionsEnded = true;
            continue;
        }
        m_hasValue = false;
        m_value.clear();
        if (const std::size_t eq = arg.find('='); arg.starts_with("--") && eq != std::string::npos) {
            m_value = arg.substr(eq + 1);
            arg.resize(eq);
            m_hasValue = true;
        }
        m_name = name = std::move(arg);
        return true;
    }
    return false;
}

bool CArguments::Value(std::string& value, std::string& error) {
    if (!m_hasValue) {
        if (m_next >= m_args.size()) {
            error = m_name + " needs a value";
            return false;
        }
        m_value = m_args[m_next++];
        m_hasValue = true;
    }
    value = m_value;
    return true;
}
