// Where the window shows a message that waits for the user's OK. The
// program's own sink is a modal box; tests give their own and never block.
#pragma once

#include <QString>

class QWidget;

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void showMessage(const QString& text) = 0;
};

// A modal box with the text and an OK button, without a title of its own.
class MessageBoxSink final : public MessageSink {
public:
    explicit MessageBoxSink(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    void showMessage(const QString& text) override;

private:
    QWidget* m_parent;
};
