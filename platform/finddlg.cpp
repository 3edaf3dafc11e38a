#include "finddlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

CFindDlg::CFindDlg(const CPrompts::FindRequest& request, QWidget* parent)
    : QDialog(parent), m_pattern(new QLineEdit(request.pattern, this)), m_form(new QComboBox(this)),
      m_files(request.files) {
    setWindowTitle(QStringLiteral("Find"));
    auto* layout = new QFormLayout(this);
    m_pattern->setAccessibleName(QStringLiteral("Find what"));
    m_pattern->selectAll();
    layout->addRow(QStringLiteral("Find &what:"), m_pattern);
    m_form->addItems({QStringLiteral("Hex"), QStringLiteral("Text UTF-8"), QStringLiteral("Text UTF-16LE")});
    m_form->setCurrentIndex(static_cast<int>(request.form));
    m_form->setAccessibleName(QStringLiteral("Read as"));
    layout->addRow(QStringLiteral("&Read as:"), m_form);
    if (m_files == 2) {
        m_file = new QComboBox(this);
        m_file->addItems({QStringLiteral("File 1"), QStringLiteral("File 2")});
        m_file->setCurrentIndex(request.file == 1 ? 1 : 0);
        m_file->setAccessibleName(QStringLiteral("Search in"));
        layout->addRow(QStringLiteral("&Search in:"), m_file);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addRow(buttons);
    m_pattern->setFocus();
}

CPrompts::FindRequest CFindDlg::Request() const {
    CPrompts::FindRequest request;
    request.pattern = m_pattern->text();
    request.form = static_cast<CPrompts::FindRequest::Form>(m_form->currentIndex());
    request.file = m_file != nullptr ? m_file->currentIndex() : 0;
    request.files = m_files;
    return request;
}
