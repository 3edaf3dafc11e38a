#pragma once

#include <cstdint>

#include <QString>

class QWidget;

// The modal questions the program asks: message boxes, file names, colours. The program shows Qt
// dialogs; tests install a recorder that answers at once, so no test blocks on a modal window.
class CPrompts {
public:
    enum class Icon { Error, Exclamation, Information };

    struct SaveRequest {
        QString caption;
        QString suggestedName;
        QString filter;        // e.g. "Text Files (*.txt);;All Files (*)"
        QString defaultSuffix; // added when the name the user types has none
    };

    // What Find asks for: the pattern as typed, how it is to be read, and in a comparison which file
    // to search.
    struct FindRequest {
        enum class Form { Hex, TextUtf8, TextUtf16le };
        QString pattern;
        Form form = Form::Hex;
        int file = 0;  // 0 or 1
        int files = 1; // 2 offers the choice of file
    };

    virtual ~CPrompts() = default;

    // The prompts in force: the installed ones, else the dialogs.
    static CPrompts& Current();
    // Replaces the prompts in force until it is called again; nullptr restores the dialogs. The caller
    // keeps ownership.
    static void Install(CPrompts* prompts);

    virtual void Message(QWidget* parent, const QString& text, Icon icon) = 0;
    // A yes/no question whose safe answer is no: true only when the user says yes.
    virtual bool Question(QWidget* parent, const QString& text) = 0;
    // The chosen file, or empty when the user cancelled.
    virtual QString SaveFileName(QWidget* parent, const SaveRequest& request) = 0;
    virtual QString OpenFileName(QWidget* parent, const QString& caption, const QString& filter) = 0;
    // The chosen colour, or `initial` when the user cancelled. Colours are 0x00BBGGRR.
    virtual std::uint32_t PickColor(QWidget* parent, std::uint32_t initial) = 0;
    // A line of text typed after `label`, starting from `text`; false when the user cancelled.
    virtual bool AskText(QWidget* parent, const QString& caption, const QString& label, QString& text) = 0;
    // What to find, starting from `request`'s values; false when the user cancelled.
    virtual bool AskFind(QWidget* parent, FindRequest& request) = 0;
};
