// --virtual: vantrel-board, the virtual board, started beside this program
// as a child process on a pseudo-terminal of its own, and ended with it.
#pragma once

#include <QObject>
#include <QProcess>
#include <QString>

namespace vantrel {

class VirtualBoardProcess : public QObject {
    Q_OBJECT
public:
    explicit VirtualBoardProcess(QObject* parent = nullptr);
    ~VirtualBoardProcess() override;

    // Starts vantrel-board from this program's folder and waits for its
    // ready line; false, with error() saying why, otherwise.
    bool start();
    // The pseudo-terminal to open as the board's port.
    QString device() const { return m_device; }
    QString error() const { return m_error; }

private:
    QProcess m_process;
    QString m_device;
    QString m_error;
};

} // namespace vantrel
