// The Plan menu of the program's window: the Plan Quality window, with the
// plan's figures and the advisor, the Band Map window, which opens on the
// range it last drew, and the Loop Filter window.
#include "main_menus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "band_map_window.h"
#include "loop_filter_window.h"
#include "main_window.h"
#include "plan_quality_window.h"
#include "remembered_state.h"
#include "sweep_window.h"

void MainMenus::addPlanMenu(QMenuBar* bar, MainWindow& window)
{
    m_plan = bar->addMenu(QStringLiteral("&Plan"));
    connect(addAction(m_plan, "PlanQuality", QStringLiteral("Plan &Quality…"), QKeySequence()), &QAction::triggered,
            this, [this, &window] { openPlanQuality(window); });
    connect(addAction(m_plan, "BandMap", QStringLiteral("&Band Map…"), QKeySequence()), &QAction::triggered, this,
            [this, &window] { openBandMap(window); });
    connect(addAction(m_plan, "LoopFilter", QStringLiteral("&Loop Filter…"), QKeySequence()), &QAction::triggered, this,
            [this, &window] { openLoopFilter(window); });
}

void MainMenus::openPlanQuality(MainWindow& window)
{
    // Non-modal and one of it: the entry brings the same window forward.
    if (!m_planQuality)
        m_planQuality = new PlanQualityWindow(m_panel, &window);
    m_planQuality->show();
    m_planQuality->raise();
    m_planQuality->activateWindow();
}

void MainMenus::openBandMap(MainWindow& window)
{
    // One of it, opening on the range last swept, else on the divider's.
    // A range swept in this run is newer than the one the map last drew.
    if (!m_bandMap) {
        std::optional<vantrel::FrequencyRange> range = m_sweepWindow ? m_sweepWindow->lastRange() : std::nullopt;
        if (!range)
            range = window.remembered()->bandMapRange();
        m_bandMap = new BandMapWindow(m_panel, m_messages, m_files, range, &window);
        connect(m_bandMap, &BandMapWindow::mapUpdated, this, [this, &window] {
            if (const std::optional<vantrel::FrequencyRange> shown = m_bandMap->shownRange())
                window.remembered()->setBandMapRange(*shown);
        });
    }
    m_bandMap->show();
    m_bandMap->raise();
    m_bandMap->activateWindow();
}

void MainMenus::openLoopFilter(MainWindow& window)
{
    // Non-modal and one of it: the entry brings the same window forward.
    if (!m_loopFilter)
        m_loopFilter = new LoopFilterWindow(m_panel, m_messages, m_files, &window);
    m_loopFilter->show();
    m_loopFilter->raise();
    m_loopFilter->activateWindow();
}
