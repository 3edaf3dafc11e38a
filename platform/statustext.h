#pragma once

#include <QString>

class CBackgroundWork;

// The message pane of the main window's status bar, as documents see it, and the long work whose
// progress it shows.
class CStatusText {
public:
    virtual ~CStatusText() = default;
    virtual void SetStatusText(const QString& text) = 0;
    // Where documents run their long work; null runs it at once on the window's thread, telling this
    // status bar as it goes.
    virtual CBackgroundWork* Work() { return nullptr; }
};
