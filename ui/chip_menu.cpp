// The Chip menu of the program's window: the options window, the RF output
// switched on and off, and following the datasheet for the mode. The menu's
// checks follow the panel's options however they change.
#include "main_menus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "chip_options_window.h"
#include "control_panel.h"
#include "main_window.h"

using namespace vantrel;

void MainMenus::addChipMenu(QMenuBar* bar, MainWindow& window)
{
    QMenu* chip = bar->addMenu(QStringLiteral("&Chip"));
    connect(addAction(chip, "ChipOptions", QStringLiteral("&Options…"), QKeySequence()), &QAction::triggered, this,
            [this, &window] { openChipOptions(window); });
    chip->addSeparator();

    // The everyday mute: the RF output stage off, the chip powered and locked.
    QAction* rfOutput = addAction(chip, "RfOutput", QStringLiteral("&RF Output"), QKeySequence(Qt::CTRL | Qt::Key_R));
    rfOutput->setCheckable(true);
    rfOutput->setChecked(m_panel.chipOptions().rfOutputEnable);
    connect(rfOutput, &QAction::triggered, this, [this](bool on) {
        ChipOptions options = m_panel.chipOptions();
        options.rfOutputEnable = on;
        m_panel.setChipOptions(options);
    });

    // Off at start, so that the words stay as they are until asked.
    QAction* follow = addAction(chip, "FollowDatasheet", QStringLiteral("&Follow the Datasheet for the Mode"),
                                QKeySequence());
    follow->setCheckable(true);
    follow->setChecked(m_panel.followsDatasheet());
    connect(follow, &QAction::triggered, &m_panel, &ControlPanel::setFollowDatasheet);

    connect(&m_panel, &ControlPanel::chipOptionsChanged, rfOutput,
            [rfOutput](const ChipOptions& options) { rfOutput->setChecked(options.rfOutputEnable); });
    connect(&m_panel, &ControlPanel::followDatasheetChanged, follow, &QAction::setChecked);
}

void MainMenus::openChipOptions(MainWindow& window)
{
    // Non-modal and one of it: the entry brings the same window forward.
    if (!m_chipOptions)
        m_chipOptions = new ChipOptionsWindow(m_panel, &window);
    m_chipOptions->show();
    m_chipOptions->raise();
    m_chipOptions->activateWindow();
}
