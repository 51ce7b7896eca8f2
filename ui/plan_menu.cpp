// The Plan menu of the program's window: the Plan Quality window, with the
// plan's figures and the advisor.
#include "main_menus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "main_window.h"
#include "plan_quality_window.h"

void MainMenus::addPlanMenu(QMenuBar* bar, MainWindow& window)
{
    m_plan = bar->addMenu(QStringLiteral("&Plan"));
    connect(addAction(m_plan, "PlanQuality", QStringLiteral("Plan &Quality…"), QKeySequence()), &QAction::triggered,
            this, [this, &window] { openPlanQuality(window); });
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
