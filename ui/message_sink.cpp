#include "message_sink.h"

#include <QMessageBox>

void MessageBoxSink::showMessage(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QString(), text, QMessageBox::Ok, m_parent);
    box.exec();
}
