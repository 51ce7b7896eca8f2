// Where the window shows a message that waits for the user's OK, or a
// question that waits for an answer. The program's own sink is a modal box;
// tests give their own and never block.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void showMessage(const QString& text) = 0;
    // Over `window` rather than the main window: the message of another
    // window (the sweep window's) belongs in front of it.
    virtual void showMessageOver(QWidget* window, const QString& text)
    {
        Q_UNUSED(window);
        showMessage(text);
    }
    // The index of the answer chosen among `answers`; `cancel` when the
    // question is dismissed, and from a sink that cannot ask.
    virtual int ask(QWidget* window, const QString& text, const QStringList& answers, int cancel)
    {
        Q_UNUSED(window);
        Q_UNUSED(text);
        Q_UNUSED(answers);
        return cancel;
    }
};

// A modal box with the text and an OK button, without a title of its own.
class MessageBoxSink final : public MessageSink {
public:
    explicit MessageBoxSink(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    void showMessage(const QString& text) override;
    void showMessageOver(QWidget* window, const QString& text) override;
    int ask(QWidget* window, const QString& text, const QStringList& answers, int cancel) override;

private:
    QWidget* m_parent;
};
