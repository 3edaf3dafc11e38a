#pragma once

#include <QString>

// Opens a file with the desktop's default application for its type, as a file manager does. Whether
// the desktop has such an application at all is asked of the desktop itself (GIO's lookup through
// `gio mime`, or `xdg-mime`), so "no application for this type" is told apart from other failures.
// A program file is never run: only its type's application opens it.
class CDesktopOpener {
public:
    enum class Result { Opened, NoApplication, Failed };

    virtual ~CDesktopOpener() = default;
    virtual Result Open(const QString& path);

protected:
    // The desktop entry of the default application for `mimeType`; empty when there is none or when
    // no tool could be asked (`asked` then false).
    virtual QString DefaultApplication(const QString& mimeType, bool& asked);
    virtual bool OpenWithDefault(const QString& path);
};
