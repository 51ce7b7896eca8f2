#include "main_menus.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>

#include <utility>

#include "control_panel.h"
#include "file_chooser.h"
#include "main_window.h"
#include "message_sink.h"
#include "register_set_text.h"
#include "remembered_state.h"
#include "settings_file.h"
#include "sweep_window.h"

using namespace vantrel;

namespace {

const QString kSettingsFilter = QStringLiteral("Vantrel settings (*.json);;All files (*)");

QString nativePath(const QString& path) { return QDir::toNativeSeparators(path); }

} // namespace

MainMenus::MainMenus(MainWindow& window, MessageSink& messages, FileChooser& files)
    : QObject(&window)
    , m_window(window)
    , m_panel(window.panel())
    , m_messages(messages)
    , m_files(files)
{
    QMenuBar* bar = window.menuBar();

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    connect(addAction(file, "OpenSettings", QStringLiteral("&Open Settings…"), QKeySequence(Qt::CTRL | Qt::Key_O)),
            &QAction::triggered, this, &MainMenus::openSettings);
    m_recent = file->addMenu(QStringLiteral("Open &Recent"));
    m_recent->menuAction()->setObjectName(QStringLiteral("OpenRecent"));
    // Made once and relabelled, never deleted: an entry relabels them all
    // from inside its own trigger.
    for (qsizetype i = 0; i < RememberedState::kMaxRecentFiles; ++i) {
        QAction* entry = m_recent->addAction(QString());
        entry->setObjectName(QStringLiteral("RecentFile%1").arg(i + 1));
        connect(entry, &QAction::triggered, this,
                [this, i] { openRecent(m_window.remembered()->recentFiles().value(i)); });
    }
    showRecentFiles();
    connect(addAction(file, "SaveSettingsAs", QStringLiteral("&Save Settings As…"),
                      QKeySequence(Qt::CTRL | Qt::Key_S)),
            &QAction::triggered, this, &MainMenus::saveSettingsAs);
    file->addSeparator();
    // As closing the window: the panel's close ends the program.
    connect(addAction(file, "Quit", QStringLiteral("&Quit"), QKeySequence(Qt::CTRL | Qt::Key_Q)), &QAction::triggered,
            &window, &QWidget::close);

    addEditMenu(bar);

    m_board = bar->addMenu(QStringLiteral("&Board"));
    connect(addAction(m_board, "CopyRegisterSet", QStringLiteral("&Copy Register Set"), QKeySequence()),
            &QAction::triggered, this, &MainMenus::copyRegisterSet);
    connect(addAction(m_board, "PasteRegisterSet", QStringLiteral("&Paste Register Set"),
                      QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V)),
            &QAction::triggered, this, &MainMenus::pasteRegisterSet);
    m_board->addSeparator();
    QAction* closePort = addAction(m_board, "ClosePort", QStringLiteral("C&lose Port"), QKeySequence());
    connect(closePort, &QAction::triggered, this, &MainMenus::closePort);
    closePort->setEnabled(m_panel.portIsOpen());
    connect(&m_panel, &ControlPanel::portOpenChanged, closePort, &QAction::setEnabled);
    // Entries that drive the board itself (the sweep window's) follow here,
    // after a separator of their own: addSweepWindow.

    addChipMenu(bar, window);
    addPlanMenu(bar, window);

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    connect(addAction(help, "KeyboardShortcuts", QStringLiteral("&Keyboard Shortcuts"), QKeySequence()),
            &QAction::triggered, this, &MainMenus::showShortcuts);
    connect(addAction(help, "AboutVantrel", QStringLiteral("&About Vantrel"), QKeySequence()), &QAction::triggered,
            this, &MainMenus::showAbout);
}

QAction* MainMenus::addAction(QMenu* menu, const char* objectName, const QString& text, const QKeySequence& shortcut)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(QLatin1String(objectName));
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        m_withShortcuts << action;
    }
    return action;
}

void MainMenus::addSweepWindow(SweepWindow& sweepWindow)
{
    m_sweepWindow = &sweepWindow;
    m_board->addSeparator();
    // Non-modal and one of it: the entry brings the same window forward.
    const auto showSweepWindow = [&sweepWindow] {
        sweepWindow.show();
        sweepWindow.raise();
        sweepWindow.activateWindow();
    };
    connect(addAction(m_board, "Sweep", QStringLiteral("&Sweep…"), QKeySequence()), &QAction::triggered, this,
            showSweepWindow);
    connect(&sweepWindow, &SweepWindow::unseenStateChanged, &m_window, &MainWindow::showSweepState);
    connect(&m_window, &MainWindow::sweepStateClicked, this, showSweepWindow);
}

bool MainMenus::readBackPending()
{
    if (m_panel.initFlag() != -1)
        return false;
    m_messages.showMessage(QStringLiteral("The board's stored register set is being read back (INIT from EE). "
                                          "Nothing was changed; try again once it has arrived."));
    return true;
}

void MainMenus::openSettings()
{
    const QString path = m_files.openFileName(QStringLiteral("Open Settings"), kSettingsFilter);
    if (!path.isEmpty())
        openSettingsFrom(path);
}

void MainMenus::openRecent(const QString& path)
{
    if (path.isEmpty())
        return;
    if (!QFileInfo::exists(path)) {
        m_window.remembered()->dropRecentFile(path);
        showRecentFiles();
        m_messages.showMessage(
            QStringLiteral("The settings file %1 is gone; it was taken off Open Recent. Nothing was changed.")
                .arg(nativePath(path)));
        return;
    }
    openSettingsFrom(path);
}

void MainMenus::showRecentFiles()
{
    const QStringList files = m_window.remembered()->recentFiles();
    const QList<QAction*> entries = m_recent->actions();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        QString shown = nativePath(files.value(i));
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        entries[i]->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
        entries[i]->setVisible(i < files.size());
    }
    m_recent->setEnabled(!files.isEmpty());
}

void MainMenus::openSettingsFrom(const QString& path)
{
    // Read before anything is checked against the window: the dialog ran its
    // own event loop, in which the board may have been asked for its set.
    const SettingsFileReading reading = readSettingsFile(path, SettingsSource::RegularFileOnly);
    if (!reading.settings) {
        m_messages.showMessage(QStringLiteral("The settings were not opened from %1: %2. Nothing was changed.")
                                   .arg(nativePath(path), reading.error));
        return;
    }
    if (readBackPending())
        return;
    m_panel.applySettings(*reading.settings);
    m_window.remembered()->addRecentFile(QFileInfo(path).absoluteFilePath());
    showRecentFiles();
}

void MainMenus::saveSettingsAs()
{
    const QString path = m_files.saveFileName(QStringLiteral("Save Settings As"), kSettingsFilter);
    if (path.isEmpty())
        return;
    const QString error = writeSettingsFile(path, m_panel.panelSettings());
    if (!error.isEmpty()) {
        m_messages.showMessage(QStringLiteral("The settings were not saved to %1: %2.").arg(nativePath(path), error));
        return;
    }
    m_window.remembered()->addRecentFile(QFileInfo(path).absoluteFilePath());
    showRecentFiles();
    m_window.showStatus(QStringLiteral("Settings saved to %1").arg(nativePath(path)));
}

void MainMenus::copyRegisterSet()
{
    // As the board buttons do: the set of the controls as they stand, even
    // before any of them has been touched, and none while they give no plan.
    if (!m_panel.recalculateForSet(QStringLiteral("Copy Register Set copied nothing")))
        return;
    QGuiApplication::clipboard()->setText(QString::fromStdString(registerSetText(m_panel.plan().registers)));
    m_window.showStatus(QStringLiteral("Register Set copied to the clipboard"));
}

void MainMenus::pasteRegisterSet()
{
    if (readBackPending())
        return;
    const RegisterSetReading reading = readRegisterSetText(QGuiApplication::clipboard()->text().toStdString());
    if (!reading.set) {
        m_messages.showMessage(QStringLiteral("The clipboard holds no register set: %1. Nothing was changed.")
                                   .arg(QString::fromStdString(reading.error)));
        return;
    }
    m_panel.decodeInput(*reading.set, QStringLiteral("Paste Register Set"));
}

void MainMenus::closePort() { m_panel.closePort(); }

void MainMenus::showShortcuts()
{
    QStringList lines{QStringLiteral("Menus")};
    for (const QAction* action : std::as_const(m_withShortcuts))
        lines << action->shortcut().toString(QKeySequence::NativeText) + QStringLiteral("   ") + action->iconText();
    lines << QStringLiteral("Alt+F, Alt+E, Alt+B, Alt+C, Alt+P, Alt+H   the File, Edit, Board, Chip, Plan and Help "
                            "menus; in a menu, the underlined letter picks an entry")
          << QString() << QStringLiteral("The panel")
          << QStringLiteral("Tab, Shift+Tab   the next or previous control, in the panel's order from "
                            "\"Wanted F out\" to the chip-limits strip; they leave the results and reply boxes too")
          << QStringLiteral("Up, Down, Page Up, Page Down   step the focused scroll bar (O/P Divider, "
                            "Charge Pump, O/P Power) by one; Up raises it")
          << QStringLiteral("Up, Down   move among the MUX O/P buttons (selecting the next one once one is "
                            "selected)")
          << QStringLiteral("Space   tick or clear the focused check box, select the focused MUX O/P button, "
                            "press the focused button")
          << QStringLiteral("Enter or Space on the chip-limits strip   show every limit broken and its advice");
    m_messages.showMessage(lines.join(QLatin1Char('\n')));
}

void MainMenus::showAbout()
{
    m_messages.showMessage(
        QStringLiteral("Vantrel %1\n\n"
                       "A control panel for a frequency-synthesizer board built round an ADF4351 or ADF4150 "
                       "PLL chip and a PIC microcontroller: the frequency plan, the chip's six register words, "
                       "the board over a serial port and the PIC EEPROM listing.\n\n"
                       "The README (README.md) is at the top of the source tree; an installed Vantrel keeps it "
                       "in share/doc/vantrel under its prefix (/usr for the Debian package).")
            .arg(QStringLiteral(VANTREL_VERSION)));
}
