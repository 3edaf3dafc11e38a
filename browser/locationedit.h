#pragma once

#include <QLineEdit>

// A path typed in place of the folder box (Ctrl+L, or a character typed into the box), with the names
// of folders completed as in every Linux file dialog. Enter offers the text; Esc, or the focus going
// elsewhere, puts the folder box back.
class DCLocationEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit DCLocationEdit(QWidget* parent = nullptr);

    // Shows the edit over `box` with `text`, all of it selected when `selected`, and takes the focus.
    void Start(const QWidget& box, const QString& text, bool selected);
    void Stop();

signals:
    void Entered(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};
