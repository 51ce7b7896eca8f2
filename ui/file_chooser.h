// Where the window asks for the name of a file to open or to save. The
// program's own chooser is a modal file dialog; tests give their own and
// never block.
#pragma once

#include <QString>

class QWidget;

class FileChooser {
public:
    virtual ~FileChooser() = default;
    // An existing file's name; empty when the user cancels.
    virtual QString openFileName(const QString& caption, const QString& filter) = 0;
    // The name to write to; empty when the user cancels.
    virtual QString saveFileName(const QString& caption, const QString& filter) = 0;
};

// QFileDialog, starting each time in the folder last chosen, and giving a
// saved file the filter's suffix when it is typed without one.
class FileDialogChooser final : public FileChooser {
public:
    explicit FileDialogChooser(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    QString openFileName(const QString& caption, const QString& filter) override;
    QString saveFileName(const QString& caption, const QString& filter) override;

private:
    QString chosen(const QString& caption, const QString& filter, bool saving);

    QWidget* m_parent;
    QString m_folder;
};
