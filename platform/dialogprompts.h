#pragma once

#include "prompts.h"

// The prompts as the user sees them: Qt's message box, file and colour dialogs.
class CDialogPrompts : public CPrompts {
public:
    void Message(QWidget* parent, const QString& text, Icon icon) override;
    bool Question(QWidget* parent, const QString& text) override;
    QString SaveFileName(QWidget* parent, const SaveRequest& request) override;
    QString OpenFileName(QWidget* parent, const QString& caption, const QString& filter) override;
    std::uint32_t PickColor(QWidget* parent, std::uint32_t initial) override;
    bool AskText(QWidget* parent, const QString& caption, const QString& label, QString& text) override;
    bool AskFind(QWidget* parent, FindRequest& request) override;
};
