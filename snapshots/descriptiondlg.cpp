#include "descriptiondlg.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include "res/resource.h"
#include "snapshots/core/snapshotcatalogue.h"

namespace {

qsizetype Utf8Size(const QString& text) {
    return QStringView(text).toUtf8().size();
}

} // namespace

CDescriptionDlg::CDescriptionDlg(const QString& text, QWidget* parent)
    : QDialog(parent), m_edit(new QPlainTextEdit(this)) {
    setObjectName(QString::number(Res::kDescriptionDialog));
    setWindowTitle(QStringLiteral("Edit Description"));
    m_edit->setObjectName(QStringLiteral("109"));
    m_edit->setAccessibleName(QStringLiteral("Description"));
    m_edit->setTabChangesFocus(true);
    m_edit->setPlainText(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("1"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_edit);
    layout->addWidget(buttons);
    resize(360, 200);
    connect(m_edit, &QPlainTextEdit::textChanged, this, &CDescriptionDlg::KeepWithinLimit);
    KeepWithinLimit();
}

QString CDescriptionDlg::Text() const {
    return m_edit->toPlainText();
}

// What was just typed or pasted sits before the cursor: that is what gives way, whole characters
// at a time, so the text already there stays as it was.
void CDescriptionDlg::KeepWithinLimit() {
    const QString text = m_edit->toPlainText();
    qsizetype excess = Utf8Size(text) - static_cast<qsizetype>(CSnapshotCatalogue::kMaxText);
    if (excess <= 0) {
        return;
    }
    QTextCursor cursor = m_edit->textCursor();
    // A text that came too long from elsewhere is cut at its end.
    qsizetype end = cursor.position() > 0 ? cursor.position() : text.size();
    qsizetype start = end;
    while (excess > 0 && start > 0) {
        const bool pair = start >= 2 && text[start - 1].isLowSurrogate() && text[start - 2].isHighSurrogate();
        const char16_t unit = text[start - 1].unicode();
        excess -= pair ? 4 : unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3;
        start -= pair ? 2 : 1;
    }
    const QSignalBlocker blocker(m_edit);
    cursor.setPosition(static_cast<int>(start));
    cursor.setPosition(static_cast<int>(end), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    m_edit->setTextCursor(cursor);
    // All before the cursor was not enough: the rest goes from the end.
    if (excess > 0) {
        KeepWithinLimit();
    }
}
