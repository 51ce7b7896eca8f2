// The Edit menu of the program's window: undo and redo of the panel's
// whole-panel changes, each entry naming the change it takes back or makes
// again.
#include "main_menus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "main_window.h"
#include "panel_history.h"

void MainMenus::addEditMenu(QMenuBar* bar)
{
    m_history = new PanelHistory(m_panel, this);
    QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
    edit->setToolTipsVisible(true);
    m_undo = addAction(edit, "Undo", QStringLiteral("&Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_redo = addAction(edit, "Redo", QStringLiteral("&Redo"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    // Help ▸ Keyboard Shortcuts names them so, whatever they would take back.
    m_undo->setIconText(QStringLiteral("Undo"));
    m_redo->setIconText(QStringLiteral("Redo"));
    m_undo->setToolTip(QStringLiteral(
        "Puts every setting of the panel back as it was before the last whole-panel change: a settings file "
        "opened, a register set pasted or read back (INIT from EE), a Plan Quality suggestion applied, the "
        "datasheet followed for Integer N, a click on the band map. Typing in a box is undone in the box. "
        "Nothing sent to the board is undone: send the set again for the board to follow."));
    m_redo->setToolTip(QStringLiteral("Makes the change undone last again, while the panel is as the undo left it. "
                                      "Nothing is sent to the board."));
    connect(m_undo, &QAction::triggered, this, &MainMenus::undo);
    connect(m_redo, &QAction::triggered, this, &MainMenus::redo);
    connect(m_history, &PanelHistory::changed, this, &MainMenus::showHistory);
    showHistory();
}

void MainMenus::showHistory()
{
    const QString undo = m_history->undoText();
    const QString redo = m_history->redoText();
    m_undo->setText(undo.isEmpty() ? QStringLiteral("&Undo") : QStringLiteral("&Undo %1").arg(undo));
    m_redo->setText(redo.isEmpty() ? QStringLiteral("&Redo") : QStringLiteral("&Redo %1").arg(redo));
    m_undo->setEnabled(!undo.isEmpty());
    m_redo->setEnabled(!redo.isEmpty());
}

void MainMenus::undo()
{
    // The board's set would overwrite what the undo puts back.
    if (readBackPending())
        return;
    const QString what = m_history->undoText();
    if (m_history->undo())
        m_window.showStatus(QStringLiteral("Undone: %1").arg(what));
}

void MainMenus::redo()
{
    if (readBackPending())
        return;
    const QString what = m_history->redoText();
    if (m_history->redo())
        m_window.showStatus(QStringLiteral("Redone: %1").arg(what));
}
