// The sweep window: a sweep (start, stop, step) or a hop file from the
// panel's settings with only the output frequency changed, sent through the
// same engine as vantrel-ctl's sweep, with a progress bar and a live list
// of the steps. The panel's board buttons are held while it runs.
#pragma once

#include <QElapsedTimer>
#include <QWidget>

#include <memory>
#include <vector>

#include "sweep_plan.h"
#include "sweep_runner.h"

class ControlPanel;
class FileChooser;
class MessageSink;
class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableWidget;

namespace vantrel {
class BoardCommands;
class SerialLink;
} // namespace vantrel

class SweepWindow : public QWidget {
    Q_OBJECT
public:
    // The list keeps this many of the latest steps, so a long loop stays small.
    static constexpr int kMaxListedSteps = 1000;
    // Why Start is disabled without a port.
    static constexpr char kNeedsPortTip[] = "Open the board's port in the panel first (Set COM)";

    SweepWindow(ControlPanel& panel, vantrel::SerialLink& link, vantrel::BoardCommands& commands,
                MessageSink& messages, FileChooser& files, QWidget* parent = nullptr);
    ~SweepWindow() override;

    bool isRunning() const { return m_runner.isRunning(); }

    void start();
    void stop();

signals:
    void runningChanged(bool running);

private:
    void buildControls();
    void updateStartButton();
    std::optional<vantrel::SweepPoints> readPoints();
    void onStepStarted(int pass, int step, const QStringList& lines, std::chrono::nanoseconds at);
    void onEnded(const QString& status);

    ControlPanel& m_panel;
    vantrel::SerialLink& m_link;
    vantrel::BoardCommands& m_commands;
    MessageSink& m_messages;
    FileChooser& m_files;
    vantrel::SweepRunner m_runner;
    std::vector<vantrel::SweepStepPlan> m_planned;
    int m_passes = 1;
    int m_stepsStarted = 0;
    QElapsedTimer m_sinceStart;

    QRadioButton* m_sweepMode = nullptr;
    QRadioButton* m_hopMode = nullptr;
    QLineEdit* m_start = nullptr;
    QLineEdit* m_stop = nullptr;
    QLineEdit* m_step = nullptr;
    QLineEdit* m_hopFile = nullptr;
    QPushButton* m_browse = nullptr;
    QSpinBox* m_dwell = nullptr;
    QCheckBox* m_changedOnly = nullptr;
    QSpinBox* m_repeat = nullptr;
    QCheckBox* m_loop = nullptr;
    QPushButton* m_startButton = nullptr;
    QPushButton* m_stopButton = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;
    QTableWidget* m_list = nullptr;
};
