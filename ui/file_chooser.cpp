#include "file_chooser.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

QString FileDialogChooser::openFileName(const QString& caption, const QString& filter)
{
    return chosen(caption, filter, false);
}

QString FileDialogChooser::saveFileName(const QString& caption, const QString& filter)
{
    return chosen(caption, filter, true);
}

QString FileDialogChooser::chosen(const QString& caption, const QString& filter, bool saving)
{
    QFileDialog dialog(m_parent, caption, m_folder, filter);
    if (saving) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // "Vantrel settings (*.json)" gives "json".
        const QRegularExpressionMatch suffix = QRegularExpression(QStringLiteral("\\*\\.(\\w+)")).match(filter);
        if (suffix.hasMatch())
            dialog.setDefaultSuffix(suffix.captured(1));
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    QString name = dialog.selectedFiles().constFirst();
    m_folder = QFileInfo(name).absolutePath();
    return name;
}
