#include "sweep_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableWidget>

#include <cmath>

#include "board_commands.h"
#include "control_panel.h"
#include "duration_text.h"
#include "file_chooser.h"
#include "message_sink.h"
#include "number_format.h"
#include "secondary_window.h"
#include "serial_link.h"

using namespace vantrel;

namespace {

QString fromStd(const std::string& text) { return QString::fromStdString(text); }

double seconds(std::chrono::nanoseconds at) { return std::chrono::duration<double>(at).count(); }

// The sweep's values named by this window's labels: the engine names them
// as the command line does (START, STOP, STEP).
QString inWindowTerms(QString text)
{
    const std::pair<const char*, const char*> names[] = {
        {"START", "Start MHz"}, {"STOP", "Stop MHz"}, {"STEP", "Step MHz"}};
    for (const auto& [option, label] : names)
        text.replace(QRegularExpression(QStringLiteral("\\b%1\\b").arg(QLatin1String(option))), QLatin1String(label));
    return text;
}

// An error in Hz as the list shows it, to the hundredth; a small negative
// one that rounds to nothing shows as 0.0, not -0.0.
QString errorText(double errorHz)
{
    const double hundredths = std::round(errorHz * 100) / 100;
    return fromStd(formatMask(hundredths == 0 ? 0.0 : hundredths, "###0.0#"));
}

} // namespace

SweepWindow::SweepWindow(ControlPanel& panel, SerialLink& link, BoardCommands& commands, MessageSink& messages,
                         FileChooser& files, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_panel(panel)
    , m_link(link)
    , m_commands(commands)
    , m_messages(messages)
    , m_files(files)
    , m_runner(link)
{
    setObjectName(QStringLiteral("SweepWindow"));
    setWindowTitle(QStringLiteral("Sweep"));
    // The panel's close ends the program; this window never keeps it alive.
    setAttribute(Qt::WA_QuitOnClose, false);
    buildControls();

    connect(m_startButton, &QPushButton::clicked, this, &SweepWindow::start);
    connect(m_stopButton, &QPushButton::clicked, this, &SweepWindow::stop);
    // The program is closing: the step under way goes out whole, then it ends.
    connect(&m_panel, &ControlPanel::closeWaitsForBoard, this, &SweepWindow::stop);
    connect(m_browse, &QPushButton::clicked, this, [this] {
        const QString name = m_files.openFileName(QStringLiteral("Hop file"),
                                                  QStringLiteral("Hop lists (*.txt *.hop);;All files (*)"));
        if (!name.isEmpty())
            m_hopFile->setText(name);
    });
    // Each step's divider as Auto Set >> would choose it, by default when
    // the panel's own divider was last set so.
    m_autoSet->setChecked(m_panel.dividerByAutoSet());
    connect(&m_panel, &ControlPanel::dividerByAutoSetChanged, this, [this](bool byAutoSet) {
        if (!m_autoSetChosen && !m_runner.isRunning())
            m_autoSet->setChecked(byAutoSet);
    });
    connect(m_autoSet, &QCheckBox::clicked, this, [this] { m_autoSetChosen = true; });
    connect(m_loop, &QCheckBox::toggled, this, &SweepWindow::updateStartButton);
    connect(m_sweepMode, &QRadioButton::toggled, this, &SweepWindow::updateStartButton);
    connect(&m_link, &SerialLink::openChanged, this, &SweepWindow::updateStartButton);
    connect(&m_commands, &BoardCommands::busyChanged, this, &SweepWindow::updateStartButton);
    connect(&m_runner, &SweepRunner::stepStarted, this, &SweepWindow::onStepStarted);
    connect(&m_runner, &SweepRunner::finished, this, [this] {
        onEnded(QStringLiteral("Done: %1 step(s) in %2 s")
                    .arg(m_stepsStarted)
                    .arg(fromStd(formatMask(seconds(std::chrono::nanoseconds(m_sinceStart.nsecsElapsed())), "0.0"))),
                QStringLiteral("Sweep done"));
    });
    connect(&m_runner, &SweepRunner::stopped, this, [this](int pass, int step) {
        QString where = QStringLiteral("Stopped after step %1 of %2").arg(step + 1).arg(m_planned.size());
        if (m_passes != 1)
            where += QStringLiteral(", pass %1").arg(pass);
        onEnded(where, QStringLiteral("Sweep stopped"));
    });
    // The panel says the same of a lost port in its reply box.
    connect(&m_runner, &SweepRunner::failed, this, [this](const QString& reason, const QString& lastLine) {
        onEnded(reason + QStringLiteral("; the last line out was ")
                    + (lastLine.isEmpty() ? QStringLiteral("none") : lastLine),
                QStringLiteral("Sweep failed"));
    });
    updateStartButton();
}

SweepWindow::~SweepWindow()
{
    if (m_runner.isRunning())
        m_panel.holdBoardCommands(false);
}

void SweepWindow::buildControls()
{
    auto* content = new QWidget;
    auto* grid = new QGridLayout(content);
    const auto named = [](QWidget* widget, const char* name) {
        widget->setObjectName(QString::fromLatin1(name));
        return widget;
    };
    m_sweepMode = static_cast<QRadioButton*>(named(new QRadioButton(QStringLiteral("Sweep")), "SweepMode"));
    m_hopMode = static_cast<QRadioButton*>(named(new QRadioButton(QStringLiteral("Hop file")), "HopMode"));
    m_sweepMode->setChecked(true);
    m_start = static_cast<QLineEdit*>(named(new QLineEdit(QStringLiteral("2400")), "StartText"));
    m_stop = static_cast<QLineEdit*>(named(new QLineEdit(QStringLiteral("2410")), "StopText"));
    m_step = static_cast<QLineEdit*>(named(new QLineEdit(QStringLiteral("1")), "StepText"));
    m_hopFile = static_cast<QLineEdit*>(named(new QLineEdit, "HopFileText"));
    m_hopFile->setEnabled(false);
    m_hopFile->setPlaceholderText(QStringLiteral("one frequency in MHz a line, \",MS\" for its dwell"));
    m_hopFile->setAccessibleName(QStringLiteral("Hop file"));
    m_hopFile->setAccessibleDescription(m_hopFile->placeholderText());
    m_browse = static_cast<QPushButton*>(named(new QPushButton(QStringLiteral("Browse…")), "BrowseHop"));
    m_dwell = static_cast<QSpinBox*>(named(new QSpinBox, "DwellSpin"));
    m_dwell->setRange(0, 24 * 3600 * 1000);
    m_dwell->setSuffix(QStringLiteral(" ms"));
    m_changedOnly = static_cast<QCheckBox*>(named(new QCheckBox(QStringLiteral("Changed words only")), "ChangedOnly"));
    m_repeat = static_cast<QSpinBox*>(named(new QSpinBox, "RepeatSpin"));
    m_repeat->setRange(1, 1000000);
    m_loop = static_cast<QCheckBox*>(named(new QCheckBox(QStringLiteral("Loop")), "LoopCheck"));
    m_autoSet = static_cast<QCheckBox*>(named(new QCheckBox(QStringLiteral("&Auto Set >> at each step")), "AutoSetEach"));
    m_autoSet->setToolTip(QStringLiteral(
        "Ticked, each step gets the O/P divider \"Auto Set >>\" gives it, as vantrel-ctl sweep --auto-divider "
        "plans its steps; cleared, every step keeps the panel's divider. Ticked by default when the panel's "
        "divider was last set by Auto Set >>."));
    m_startButton = static_cast<QPushButton*>(named(new QPushButton(QStringLiteral("Start")), "StartButton"));
    m_stopButton = static_cast<QPushButton*>(named(new QPushButton(QStringLiteral("Stop")), "StopButton"));
    m_stopButton->setEnabled(false);
    m_progress = static_cast<QProgressBar*>(named(new QProgressBar, "SweepProgress"));
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_status = static_cast<QLabel*>(named(new QLabel, "SweepStatus"));
    m_status->setWordWrap(true);
    m_list = static_cast<QTableWidget*>(named(new QTableWidget(0, 5), "StepList"));
    m_list->setHorizontalHeaderLabels({QStringLiteral("Step"), QStringLiteral("Frequency MHz"),
                                       QStringLiteral("Error Hz"), QStringLiteral("Lines"),
                                       QStringLiteral("Chip limits")});
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->verticalHeader()->hide();
    m_list->setAccessibleName(QStringLiteral("Steps sent"));
    m_list->setAccessibleDescription(QStringLiteral("Each step's frequency, error, lines sent and the chip limits "
                                                    "it breaks; the latest 1000 steps"));
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    const std::pair<QWidget*, const char*> descriptions[] = {
        {m_start, "The first frequency of the sweep, in MHz"},
        {m_stop, "The last frequency of the sweep, in MHz; it ends there, or on the last step before it"},
        {m_step, "The step between frequencies, in MHz; negative from a start above the stop"},
        {m_dwell, "From the first line of a step to the first line of the next one"},
        {m_repeat, "How many times the sweep or the hop file is sent"},
    };
    for (const auto& [field, description] : descriptions)
        field->setAccessibleDescription(QString::fromUtf8(description));

    const auto label = [](const char* text, QWidget* buddy) {
        auto* l = new QLabel(QString::fromUtf8(text));
        l->setBuddy(buddy);
        return l;
    };
    grid->addWidget(m_sweepMode, 0, 0);
    grid->addWidget(label("&Start MHz", m_start), 0, 1);
    grid->addWidget(m_start, 0, 2);
    grid->addWidget(label("S&top MHz", m_stop), 0, 3);
    grid->addWidget(m_stop, 0, 4);
    grid->addWidget(label("St&ep MHz", m_step), 0, 5);
    grid->addWidget(m_step, 0, 6);
    grid->addWidget(m_hopMode, 1, 0);
    grid->addWidget(m_hopFile, 1, 1, 1, 5);
    grid->addWidget(m_browse, 1, 6);
    grid->addWidget(label("&Dwell", m_dwell), 2, 0);
    grid->addWidget(m_dwell, 2, 1, 1, 2);
    grid->addWidget(m_changedOnly, 2, 3, 1, 2);
    grid->addWidget(m_autoSet, 2, 5, 1, 2);
    grid->addWidget(label("&Repeat", m_repeat), 3, 0);
    grid->addWidget(m_repeat, 3, 1, 1, 2);
    grid->addWidget(m_loop, 3, 3);
    grid->addWidget(m_startButton, 3, 5);
    grid->addWidget(m_stopButton, 3, 6);
    grid->addWidget(m_progress, 4, 0, 1, 7);
    grid->addWidget(m_status, 5, 0, 1, 7);
    grid->addWidget(m_list, 6, 0, 1, 7);
    // Esc is this window's own: it asks while a sweep runs.
    putInScrollArea(*this, content, QString(), QSize(560, 420));
    fitWithinScreen(*this);
}

void SweepWindow::updateStartButton()
{
    const bool running = m_runner.isRunning();
    const bool portOpen = m_link.isOpen();
    m_startButton->setEnabled(!running && portOpen && !m_commands.isBusy());
    m_startButton->setToolTip(portOpen ? QString() : QString::fromLatin1(kNeedsPortTip));
    m_stopButton->setEnabled(running);
    for (QWidget* input : {static_cast<QWidget*>(m_sweepMode), static_cast<QWidget*>(m_hopMode),
                           static_cast<QWidget*>(m_dwell), static_cast<QWidget*>(m_changedOnly),
                           static_cast<QWidget*>(m_loop), static_cast<QWidget*>(m_autoSet)})
        input->setEnabled(!running);
    m_repeat->setEnabled(!running && !m_loop->isChecked());
    const bool sweep = m_sweepMode->isChecked();
    for (QWidget* box : {static_cast<QWidget*>(m_start), static_cast<QWidget*>(m_stop), static_cast<QWidget*>(m_step)})
        box->setEnabled(!running && sweep);
    m_hopFile->setEnabled(!running && !sweep);
    m_browse->setEnabled(!running && !sweep);
}

std::optional<SweepPoints> SweepWindow::readPoints(std::optional<FrequencyRange>& range)
{
    SweepPoints points;
    if (m_sweepMode->isChecked()) {
        std::optional<double> values[3];
        const std::pair<QLineEdit*, const char*> boxes[] = {
            {m_start, "Start MHz"}, {m_stop, "Stop MHz"}, {m_step, "Step MHz"}};
        for (int i = 0; i < 3; ++i) {
            values[i] = strictNumber(boxes[i].first->text().toStdString());
            if (!values[i]) {
                showMessage(QStringLiteral("%1 must be a number (it is \"%2\")")
                                .arg(QLatin1String(boxes[i].second), boxes[i].first->text()));
                return std::nullopt;
            }
        }
        points = linearSweep(*values[0], *values[1], *values[2]);
        range = FrequencyRange{*values[0], *values[1], *values[2]};
    } else {
        // A FIFO or a device would hold the window until something is written to it.
        const QFileInfo info(m_hopFile->text());
        if (info.exists() && !info.isFile()) {
            showMessage(QStringLiteral("Cannot read the hop file %1: it is not a regular file").arg(m_hopFile->text()));
            return std::nullopt;
        }
        QFile file(m_hopFile->text());
        if (!file.open(QIODevice::ReadOnly)) {
            showMessage(QStringLiteral("Cannot read the hop file %1: %2").arg(m_hopFile->text(), file.errorString()));
            return std::nullopt;
        }
        points = parseHopList(file.readAll().toStdString());
    }
    if (!points.ok()) {
        showMessage(inWindowTerms(fromStd(points.error)));
        return std::nullopt;
    }
    return points;
}

void SweepWindow::start()
{
    if (m_runner.isRunning() || !m_link.isOpen() || m_commands.isBusy())
        return;
    std::optional<FrequencyRange> range;
    const std::optional<SweepPoints> points = readPoints(range);
    if (!points)
        return;
    // The settings of this moment: the sweep does not follow later edits.
    Presses presses;
    presses.autoSet = m_autoSet->isChecked();
    std::vector<SweepStepPlan> planned = planSweep(points->points, m_panel.panelSettings().settings, presses, false);
    for (std::size_t i = 0; i < planned.size(); ++i) {
        if (!planned[i].usable()) {
            showMessage(QStringLiteral("Step %1 (%2 MHz): %3; nothing was sent")
                                       .arg(i + 1)
                                       .arg(fromStd(plainNumber(planned[i].point.mhz)), fromStd(planned[i].problem)));
            return;
        }
    }
    if (!limitsAccepted(planned))
        return;
    if (range)
        m_lastRange = range;
    std::vector<SweepStep> steps = SweepRunner::stepsOf(planned, std::chrono::milliseconds(m_dwell->value()));
    m_planned = std::move(planned);
    m_passes = m_loop->isChecked() ? 0 : m_repeat->value();
    m_stepsStarted = 0;
    m_secondStepAt = {};
    m_state = QStringLiteral("Sweep starting");
    m_list->setRowCount(0);
    m_status->clear();
    if (m_passes == 0) {
        m_progress->setRange(0, 0); // no end to show
    } else {
        m_progress->setRange(0, static_cast<int>(std::min<std::size_t>(m_planned.size() * std::size_t(m_passes),
                                                                        std::size_t(std::numeric_limits<int>::max()))));
        m_progress->setValue(0);
    }
    m_panel.holdBoardCommands(true);
    m_sinceStart.start();
    if (!m_runner.start(std::move(steps), {m_changedOnly->isChecked(), m_passes})) {
        m_panel.holdBoardCommands(false);
        m_status->setText(QStringLiteral("The sweep could not start"));
        return;
    }
    updateStartButton();
    emit runningChanged(true);
}

bool SweepWindow::limitsAccepted(const std::vector<SweepStepPlan>& planned)
{
    QStringList listed;
    std::size_t breaking = 0;
    for (std::size_t i = 0; i < planned.size(); ++i) {
        if (planned[i].limits.empty())
            continue;
        if (++breaking > kListedBreaks)
            continue;
        QStringList limits;
        for (const std::string& limit : planned[i].limits)
            limits << fromStd(limit);
        listed << QStringLiteral("Step %1 (%2 MHz): %3")
                      .arg(i + 1)
                      .arg(fromStd(plainNumber(planned[i].point.mhz)), limits.join(QStringLiteral("; ")));
    }
    if (breaking == 0)
        return true;
    QString text = QStringLiteral("%1 of %2 steps break a chip limit:\n\n%3")
                       .arg(breaking)
                       .arg(planned.size())
                       .arg(listed.join(QLatin1Char('\n')));
    if (breaking > kListedBreaks)
        text += QStringLiteral("\n\u2026 and %1 more").arg(breaking - kListedBreaks);
    if (!m_autoSet->isChecked())
        text += QStringLiteral("\n\nTicked, \"Auto Set >> at each step\" gives each step the O/P divider that "
                               "Auto Set >> chooses for it.");
    text += QStringLiteral("\n\nSend them to the board anyway?");
    return m_messages.ask(this, text, {QStringLiteral("Send anyway"), QStringLiteral("Cancel")}, kCancelSendAnswer)
           == kSendAnywayAnswer;
}

void SweepWindow::stop() { m_runner.stop(); }

void SweepWindow::onStepStarted(int pass, int step, const QStringList& lines, std::chrono::nanoseconds at)
{
    ++m_stepsStarted;
    if (m_stepsStarted == 2)
        m_secondStepAt = at;
    m_panel.showBoardReplies(m_link.takePendingText());
    const SweepStepPlan& planned = m_planned[static_cast<std::size_t>(step)];
    // The list follows the steps only while the user has not scrolled away
    // from its end to read an earlier one.
    QScrollBar* scroll = m_list->verticalScrollBar();
    const bool following = scroll->value() == scroll->maximum();
    if (m_list->rowCount() >= kMaxListedSteps) {
        m_list->removeRow(0);
        if (!following)
            scroll->setValue(scroll->value() - 1); // the rows in view stay in view
    }
    const int row = m_list->rowCount();
    m_list->insertRow(row);
    const QString number = m_passes == 1 ? QString::number(step + 1) : QStringLiteral("%1.%2").arg(pass).arg(step + 1);
    QString limits;
    for (const std::string& limit : planned.limits)
        limits += (limits.isEmpty() ? QString() : QStringLiteral("; ")) + fromStd(limit);
    const QString cells[] = {number, fromStd(plainNumber(planned.point.mhz)), errorText(planned.errorHz),
                             QString::number(lines.size()), limits};
    for (int column = 0; column < 5; ++column)
        m_list->setItem(row, column, new QTableWidgetItem(cells[column]));
    // The cell is often too narrow for every limit the step breaks.
    m_list->item(row, 4)->setToolTip(limits);
    if (following)
        m_list->scrollToBottom();

    QString progress = QStringLiteral("Step %1 of %2").arg(step + 1).arg(m_planned.size());
    if (m_passes != 1)
        progress += QStringLiteral(", pass %1").arg(pass);
    if (m_passes != 0) {
        m_progress->setValue(std::min(m_stepsStarted, m_progress->maximum()));
        // Paced by the steps since the second, which began at m_secondStepAt.
        if (m_stepsStarted >= 2) {
            if (const std::optional<long long> left =
                    secondsLeft(at - m_secondStepAt, m_stepsStarted - 1, m_progress->maximum() - 1))
                progress += QStringLiteral(", about %1 left").arg(fromStd(durationText(*left)));
        }
    }
    m_status->setText(progress);
    m_state = QStringLiteral("Sweep step %1 of %2").arg(step + 1).arg(m_planned.size());
    if (m_passes != 1)
        m_state += QStringLiteral(", pass %1").arg(pass);
    tellUnseen(m_state);
}

void SweepWindow::onEnded(const QString& status, const QString& state)
{
    m_panel.showBoardReplies(m_link.takePendingText());
    m_panel.holdBoardCommands(false);
    m_status->setText(status);
    if (m_passes == 0)
        m_progress->setRange(0, 1);
    updateStartButton();
    emit runningChanged(false);
    // A sweep kept running unseen tells its end, until the window is seen.
    if (m_runningUnseen)
        tellUnseen(state);
}

void SweepWindow::showMessage(const QString& text) { m_messages.showMessageOver(this, text); }

void SweepWindow::tellUnseen(const QString& state)
{
    if (m_runningUnseen && !isVisible())
        emit unseenStateChanged(state, m_status->text());
}

void SweepWindow::closeEvent(QCloseEvent* event)
{
    if (m_runner.isRunning()) {
        const int answer = m_messages.ask(
            this,
            QStringLiteral("The sweep is still running. Stop it, or keep it running with this window closed? "
                           "While it runs unseen, its state shows under the panel, and a click there opens "
                           "this window again."),
            {QStringLiteral("Stop"), QStringLiteral("Keep running"), QStringLiteral("Cancel")}, kCancelAnswer);
        if (answer == kCancelAnswer) {
            event->ignore();
            return;
        }
        if (answer == kStopAnswer)
            stop();
        else
            m_runningUnseen = true;
    }
    event->accept();
}

void SweepWindow::keyPressEvent(QKeyEvent* event)
{
    // As closing the window, with the same question while a sweep runs.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SweepWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_runningUnseen) {
        m_runningUnseen = false;
        emit unseenStateChanged(QString(), QString());
    }
}

void SweepWindow::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (m_runningUnseen && m_runner.isRunning())
        emit unseenStateChanged(m_state, m_status->text());
}
