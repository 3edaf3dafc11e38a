#include "promptrecorder.h"

CPromptRecorder::CPromptRecorder() : m_previous(&CPrompts::Current()) {
    CPrompts::Install(this);
}

CPromptRecorder::~CPromptRecorder() {
    CPrompts::Install(m_previous);
}

void CPromptRecorder::Message(QWidget*, const QString& text, Icon icon) {
    messages.push_back({text, icon});
    if (whileShown) {
        whileShown(text);
    }
}

bool CPromptRecorder::Question(QWidget*, const QString& text) {
    questions.push_back(text);
    if (questionAnswers.empty()) {
        return false;
    }
    const bool answer = questionAnswers.front();
    questionAnswers.pop_front();
    return answer;
}

QString CPromptRecorder::SaveFileName(QWidget*, const SaveRequest& request) {
    saveRequests.push_back(request);
    return OpenFileName(nullptr, {}, {});
}

QString CPromptRecorder::OpenFileName(QWidget*, const QString&, const QString&) {
    if (fileAnswers.empty()) {
        return {};
    }
    QString answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

std::uint32_t CPromptRecorder::PickColor(QWidget*, std::uint32_t initial) {
    colorRequests.push_back(initial);
    if (colorAnswers.empty()) {
        return initial;
    }
    const std::uint32_t answer = colorAnswers.front();
    colorAnswers.pop_front();
    return answer;
}

bool CPromptRecorder::AskText(QWidget*, const QString&, const QString& label, QString& text) {
    textRequests.push_back(label);
    if (textAnswers.empty()) {
        return false;
    }
    text = textAnswers.front();
    textAnswers.pop_front();
    return true;
}

bool CPromptRecorder::AskFind(QWidget*, FindRequest& request) {
    findRequests.push_back(request);
    if (findAnswers.empty()) {
        return false;
    }
    const int files = request.files;
    request = findAnswers.front();
    request.files = files;
    findAnswers.pop_front();
    return true;
}
