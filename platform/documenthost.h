#pragma once

#include <QString>

class CBackgroundWork;

// What a document needs of the window that shows it: the message pane of its status bar, and the
// background work on which documents run their long work, whose progress that status bar shows.
class CDocumentHost {
public:
    virtual ~CDocumentHost() = default;
    virtual void SetStatusText(const QString& text) = 0;
    // Where documents run their long work; null runs it at once on the window's thread, telling this
    // status bar as it goes.
    virtual CBackgroundWork* Work() { return nullptr; }
};
