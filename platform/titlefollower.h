#pragma once

#include <QMetaObject>

class CDocument;
class QWidget;

// Keeps a window's title as the program's name and the active document's title, following the
// document while it is renamed.
class CTitleFollower {
public:
    explicit CTitleFollower(QWidget& window) : m_window(window) {}
    CTitleFollower(const CTitleFollower&) = delete;
    CTitleFollower& operator=(const CTitleFollower&) = delete;
    ~CTitleFollower();

    // `document` may be null: the title is then the program's name alone.
    void Follow(CDocument* document);

private:
    QWidget& m_window;
    QMetaObject::Connection m_connection;
};
