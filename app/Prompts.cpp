#include "app/Prompts.h"

#include <QFileDialog>
#include <QMessageBox>

bool Prompts::Ask(QWidget* parent, const QString& text, const QString& details) {
    QMessageBox box(QMessageBox::Question, kAppTitle, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.setInformativeText(details);
    return box.exec() == QMessageBox::Yes;
}

void Prompts::Warn(QWidget* parent, const QString& text, const QString& details) {
    QMessageBox box(QMessageBox::Warning, kAppTitle, text, QMessageBox::Ok, parent);
    box.setInformativeText(details);
    box.exec();
}

QString Prompts::ChooseFile(QWidget* parent, bool save, const QString& lastName) {
    static const QStringList filters = {QStringLiteral("All Files (*.*)"),
                                        QStringLiteral("CSV Files (*.csv)"),
                                        QStringLiteral("TEXT Files (*.txt)")};
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("CommonDialog1"));
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.at(2));
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (!lastName.isEmpty())
        dialog.selectFile(lastName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
