// For the start-up benchmark: once the panel has painted for the first time,
// print the resident memory and end the program. Off unless the benchmark
// sets VANTREL_STARTUP_PROBE in the environment.
#pragma once

#include <QObject>

class StartupProbe : public QObject {
    Q_OBJECT
public:
    static bool wanted();
    explicit StartupProbe(QObject* watched);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_done = false;
};
