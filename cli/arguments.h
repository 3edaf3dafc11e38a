#pragma once

#include <string>
#include <vector>

// A command's arguments as every dyadmon-cli command reads them: options and operands in any order,
// an option's value as "--name value" or "--name=value", "--" ending the options, and "-" or any
// word not starting with "-" an operand.
class CArguments {
public:
    explicit CArguments(std::vector<std::string> args) : m_args(std::move(args)) {}

    // Moves to the next option, keeping the operands met on the way; false when none is left. `name`
    // is the option without its "=value".
    bool NextOption(std::string& name);
    // Whether the option came as "--name=value".
    bool HasValue() const { return m_hasValue; }
    // The option's value, from "=value" or the next argument; false, with `error`, when it has none.
    bool Value(std::string& value, std::string& error);
    // Every operand, once NextOption has returned false.
    const std::vector<std::string>& Operands() const { return m_operands; }

private:
    std::vector<std::string> m_args;
    std::size_t m_next = 0;
    bool m_optionsEnded = false;
    std::string m_name;
    std::string m_value;
    bool m_hasValue = false;
    std::vector<std::string> m_operands;
};
