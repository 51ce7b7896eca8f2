// The sweep window: a sweep (start, stop, step) or a hop file from the
// panel's settings with only the output frequency changed, sent through the
// same engine as vantrel-ctl's sweep, with a progress bar and a live list
// of the steps. The panel's board buttons are held while it runs. Closing it
// while a sweep runs asks whether to stop the sweep or keep it running
// unseen; meanwhile the window tells its state for the main window to show.
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
class QCloseEvent;
class QHideEvent;
class QKeyEvent;
class QShowEvent;
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
    // The range of the last sweep started from Start, Stop and Step; none
    // before one, or when only hop files have run.
    const std::optional<vantrel::FrequencyRange>& lastRange() const { return m_lastRange; }

    void start();
    void stop();

    // The answers when steps break a chip limit.
    static constexpr int kSendAnywayAnswer = 0;
    static constexpr int kCancelSendAnswer = 1;
    // How many of the steps that break a limit the question names.
    static constexpr std::size_t kListedBreaks = 5;

    // The answers when the window is closed while a sweep runs.
    static constexpr int kStopAnswer = 0;
    static constexpr int kKeepRunningAnswer = 1;
    static constexpr int kCancelAnswer = 2;

signals:
    void runningChanged(bool running);
    // While a sweep runs, or has ended, with this window hidden: `state`, a
    // few words for the main window ("Sweep step 3 of 11"), and `details`,
    // the window's own status line. Both empty once the window is seen.
    void unseenStateChanged(const QString& state, const QString& details);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void buildControls();
    void updateStartButton();
    // Whether the steps may go out: when some break a chip limit, the user
    // is asked, with Cancel as the default.
    bool limitsAccepted(const std::vector<vantrel::SweepStepPlan>& planned);
    // The points of the sweep or hop file; the range, for a sweep, in `range`.
    std::optional<vantrel::SweepPoints> readPoints(std::optional<vantrel::FrequencyRange>& range);
    void onStepStarted(int pass, int step, const QStringList& lines, std::chrono::nanoseconds at);
    void onEnded(const QString& status, const QString& state);
    void showMessage(const QString& text);
    // The state for the main window, when this window is hidden.
    void tellUnseen(const QString& state);

    ControlPanel& m_panel;
    vantrel::SerialLink& m_link;
    vantrel::BoardCommands& m_commands;
    MessageSink& m_messages;
    FileChooser& m_files;
    vantrel::SweepRunner m_runner;
    std::vector<vantrel::SweepStepPlan> m_planned;
    std::optional<vantrel::FrequencyRange> m_lastRange;
    int m_passes = 1;
    int m_stepsStarted = 0;
    QElapsedTimer m_sinceStart;
    // When the second step began: the time left is paced by the steps from
    // there on, the first one sending a whole set however few the rest send.
    std::chrono::nanoseconds m_secondStepAt{0};
    // The user closed the window and kept the sweep running: its end is
    // told to the main window too.
    bool m_runningUnseen = false;
    QString m_state; // "Sweep step 3 of 11", for the main window

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
    QCheckBox* m_autoSet = nullptr;
    // The user ticked or cleared "Auto Set >> at each step" here: it no
    // longer follows how the panel's divider was last set.
    bool m_autoSetChosen = false;
    QPushButton* m_startButton = nullptr;
    QPushButton* m_stopButton = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;
    QTableWidget* m_list = nullptr;
};
