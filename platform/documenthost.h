#pragma once

#include <QString>

class CBackgroundWork;

// What a document and its views need of the window that shows them: the message pane of its status
// bar, the background work on which documents run their long work, whose progress that status bar
// shows, and a word when a view's commands may have changed state.
class CDocumentHost {
public:
    virtual ~CDocumentHost() = default;
    virtual void SetStatusText(const QString& text) = 0;
    // Where documents run their long work; null runs it at once on the window's thread, telling this
    // status bar as it goes.
    virtual CBackgroundWork* Work() { return nullptr; }
    // Something other than a command changed what the commands may do (a selection came or went):
    // the window asks its commands again, so their keys work or rest at once.
    virtual void UpdateCommands() {}
};
