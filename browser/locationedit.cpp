#include "locationedit.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFileSystemModel>
#include <QKeyEvent>

DCLocationEdit::DCLocationEdit(QWidget* parent) : QLineEdit(parent) {
    setObjectName(QStringLiteral("location"));
    setAccessibleName(QStringLiteral("Location"));
    setPlaceholderText(QStringLiteral("Type a folder's path"));
    auto* folders = new QFileSystemModel(this);
    folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden);
    folders->setRootPath(QString());
    auto* completer = new QCompleter(folders, this);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    setCompleter(completer);
    hide();
}

void DCLocationEdit::Start(const QWidget& box, const QString& text, bool selected) {
    setGeometry(box.geometry());
    setText(text);
    show();
    raise();
    // Not a shortcut's focus, which would select the text a typed first character must not lose.
    setFocus(Qt::OtherFocusReason);
    if (selected) {
        selectAll();
    } else {
        deselect();
        end(false);
    }
}

void DCLocationEdit::Stop() {
    if (completer() != nullptr) {
        completer()->popup()->hide();
    }
    hide();
}

void DCLocationEdit::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        Stop();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit Entered(text());
        return;
    default:
        QLineEdit::keyPressEvent(event);
    }
}

void DCLocationEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // The completion's list takes the focus for a moment, and a message box while it is open (the
    // typed text stays to be mended); the focus moving elsewhere in the window ends the typing.
    const bool toCompletion = completer() != nullptr && completer()->popup()->isVisible();
    if (!toCompletion && event->reason() != Qt::PopupFocusReason &&
        event->reason() != Qt::ActiveWindowFocusReason) {
        hide();
    }
}
