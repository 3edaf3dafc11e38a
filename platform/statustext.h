#pragma once

#include <QString>

// The message pane of the main window's status bar, as documents see it. Comparisons block the
// interface, so an implementation must show the text at once, not at the next paint.
class CStatusText {
public:
    virtual ~CStatusText() = default;
    virtual void SetStatusText(const QString& text) = 0;
};
