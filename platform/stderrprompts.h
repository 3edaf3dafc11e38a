#pragma once

#include "prompts.h"

// The prompts of a program that runs with no one to answer (a picture taken for a script): messages go
// to standard error after the program's name, an error is remembered, and every question has the
// answer of a cancel.
class CStderrPrompts : public CPrompts {
public:
    explicit CStderrPrompts(const char* program) : m_program(program) {}

    bool Failed() const { return m_failed; }

    void Message(QWidget* parent, const QString& text, Icon icon) override;
    bool Question(QWidget*, const QString&) override { return false; }
    QString SaveFileName(QWidget*, const SaveRequest&) override { return {}; }
    QString OpenFileName(QWidget*, const QString&, const QString&) override { return {}; }
    std::uint32_t PickColor(QWidget*, std::uint32_t initial) override { return initial; }
    bool AskText(QWidget*, const QString&, const QString&, QString&) override { return false; }
    bool AskFind(QWidget*, FindRequest&) override { return false; }

private:
    const char* m_program;
    bool m_failed = false;
};
