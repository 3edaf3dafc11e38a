#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "prompts.h"

// Prompts for tests: installs itself for its lifetime, records every question and answers from queues
// filled beforehand (an empty queue answers as a cancel would).
class CPromptRecorder : public CPrompts {
public:
    struct Shown {
        QString text;
        Icon icon;
    };

    CPromptRecorder();
    ~CPromptRecorder() override;
    CPromptRecorder(const CPromptRecorder&) = delete;
    CPromptRecorder& operator=(const CPromptRecorder&) = delete;

    void Message(QWidget* parent, const QString& text, Icon icon) override;
    bool Question(QWidget* parent, const QString& text) override;
    QString SaveFileName(QWidget* parent, const SaveRequest& request) override;
    QString OpenFileName(QWidget* parent, const QString& caption, const QString& filter) override;
    std::uint32_t PickColor(QWidget* parent, std::uint32_t initial) override;
    bool AskText(QWidget* parent, const QString& caption, const QString& label, QString& text) override;
    bool AskFind(QWidget* parent, FindRequest& request) override;

    std::vector<Shown> messages;
    std::vector<SaveRequest> saveRequests;
    std::vector<std::uint32_t> colorRequests; // the starting colour of each
    std::deque<QString> fileAnswers;          // for save and open alike
    std::deque<std::uint32_t> colorAnswers;
    std::deque<QString> textAnswers;       // an empty queue answers as a cancel would
    std::vector<QString> textRequests;     // the label of each
    std::deque<FindRequest> findAnswers;   // an empty queue answers as a cancel would
    std::vector<FindRequest> findRequests; // the values each Find started from
    std::vector<QString> questions;
    std::deque<bool> questionAnswers; // an empty queue answers no
    // Runs while each message is "on screen", as the event loop of a real box would let other code run.
    std::function<void(const QString&)> whileShown;

private:
    CPrompts* m_previous;
};
