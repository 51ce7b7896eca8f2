#include "message_sink.h"

#include <QMessageBox>
#include <QPushButton>

void MessageBoxSink::showMessage(const QString& text) { showMessageOver(m_parent, text); }

void MessageBoxSink::showMessageOver(QWidget* window, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QString(), text, QMessageBox::Ok, window);
    box.exec();
}

int MessageBoxSink::ask(QWidget* window, const QString& text, const QStringList& answers, int cancel)
{
    QMessageBox box(QMessageBox::Question, QString(), text, QMessageBox::NoButton, window);
    QList<QPushButton*> buttons;
    for (qsizetype i = 0; i < answers.size(); ++i)
        buttons << box.addButton(answers[i], i == cancel ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
    // Enter and Esc both change nothing.
    if (cancel >= 0 && cancel < buttons.size()) {
        box.setEscapeButton(buttons[cancel]);
        box.setDefaultButton(buttons[cancel]);
    }
    box.exec();
    const qsizetype chosen = buttons.indexOf(static_cast<QPushButton*>(box.clickedButton()));
    return chosen < 0 ? cancel : int(chosen);
}
