#pragma once

#include <QDialog>

#include "prompts.h"

class QComboBox;
class QLineEdit;

// Find's question: the bytes or text to look for, how to read what is typed (hex, or text as UTF-8
// or UTF-16LE) and, in a comparison, which file to search.
class CFindDlg : public QDialog {
    Q_OBJECT

public:
    // Starts from `request`'s values.
    explicit CFindDlg(const CPrompts::FindRequest& request, QWidget* parent = nullptr);

    // What the controls hold.
    CPrompts::FindRequest Request() const;

private:
    QLineEdit* m_pattern;
    QComboBox* m_form;
    QComboBox* m_file = nullptr;
    int m_files;
};
