#include "app/Prompts.h"

#include <QFileDialog>
#include <QInputDialog>
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

namespace {

QString RunFileDialog(QWidget* parent, bool save, const QString& lastName, const QStringList& filters,
                      int selected, const QString& defaultSuffix = {}) {
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("CommonDialog1"));
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.at(selected));
    dialog.setDefaultSuffix(defaultSuffix);
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

} // namespace

QString Prompts::ChooseFile(QWidget* parent, bool save, const QString& lastName) {
    static const QStringList filters = {QStringLiteral("All Files (*.*)"),
                                        QStringLiteral("CSV Files (*.csv)"),
                                        QStringLiteral("TEXT Files (*.txt)")};
    return RunFileDialog(parent, save, lastName, filters, 2);
}

QString Prompts::ChooseReportFile(QWidget* parent, const QString& lastName) {
    static const QStringList filters = {QStringLiteral("HTML Files (*.html)"),
                                        QStringLiteral("PDF Files (*.pdf)")};
    return RunFileDialog(parent, true, lastName, filters, 0, QStringLiteral("html"));
}

std::optional<QString> Prompts::AskText(QWidget* parent, const QString& label, const QString& last) {
    QInputDialog dialog(parent);
    dialog.setWindowTitle(kAppTitle);
    dialog.setLabelText(label);
    dialog.setTextValue(last);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}
