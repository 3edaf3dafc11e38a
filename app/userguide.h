#pragma once

#include <QString>

// The user guide that goes with the program: the copy installed beside it, or else the one built
// into it, written out to a file of the user's own so a browser can open it. Nothing here depends
// on where the program was built.
class CUserGuide {
public:
    static constexpr const char* kResource = ":/doc/userguide.html";
    static constexpr const char* kFileName = "userguide.html";

    // The installed guide for a program in `programFolder`, or empty.
    static QString Installed(const QString& programFolder);
    // The built-in guide as `folder`/userguide.html. The folder is made private to the user; a link
    // or a file of someone else at the file's place is left alone. Empty, with `error` set to a
    // sentence for the user, when it cannot be had.
    static QString PrivateCopy(const QString& folder, QString& error);
    // The installed guide, else the private copy in the user's cache folder.
    static QString Find(QString& error);
};
