#include "dialogprompts.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

#include "colorvalue.h"
#include "finddlg.h"

void CDialogPrompts::Message(QWidget* parent, const QString& text, Icon icon) {
    const QMessageBox::Icon shown = icon == Icon::Error         ? QMessageBox::Critical
                                    : icon == Icon::Exclamation ? QMessageBox::Warning
                                                                : QMessageBox::Information;
    QMessageBox box(shown, QCoreApplication::applicationName(), text, QMessageBox::Ok, parent);
    box.exec();
}

bool CDialogPrompts::Question(QWidget* parent, const QString& text) {
    return QMessageBox::question(parent, QCoreApplication::applicationName(), text,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

QString CDialogPrompts::SaveFileName(QWidget* parent, const SaveRequest& request) {
    QFileDialog dialog(parent, request.caption, request.suggestedName, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    // Qt's dialog asks before a file is overwritten.
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

QString CDialogPrompts::OpenFileName(QWidget* parent, const QString& caption, const QString& filter) {
    return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
}

std::uint32_t CDialogPrompts::PickColor(QWidget* parent, std::uint32_t initial) {
    const QColor chosen = QColorDialog::getColor(ColorValue::ToQColor(initial), parent);
    return chosen.isValid() ? ColorValue::FromQColor(chosen) : initial;
}

bool CDialogPrompts::AskText(QWidget* parent, const QString& caption, const QString& label, QString& text) {
    bool accepted = false;
    const QString typed = QInputDialog::getText(parent, caption, label, QLineEdit::Normal, text, &accepted);
    if (accepted) {
        text = typed;
    }
    return accepted;
}

bool CDialogPrompts::AskFind(QWidget* parent, FindRequest& request) {
    CFindDlg dialog(request, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    request = dialog.Request();
    return true;
}
