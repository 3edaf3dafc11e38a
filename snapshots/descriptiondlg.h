#pragma once

#include <QDialog>
#include <QString>

class QPlainTextEdit;

// "Edit Description": the free text of one snapshot. The field takes as much as the catalogue can
// hold, 500 bytes of UTF-8: typing or pasting past that is cut at the last whole character.
class CDescriptionDlg : public QDialog {
    Q_OBJECT

public:
    explicit CDescriptionDlg(const QString& text, QWidget* parent = nullptr);

    QString Text() const;

private:
    void KeepWithinLimit();

    QPlainTextEdit* m_edit;
};
