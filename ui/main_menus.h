// The menu bar of the program's window: settings files with the recent ones
// (File), undo and redo of whole-panel changes (Edit), the register set on
// the clipboard (Board), the chip options (Chip), the plan's quality and the
// advisor, the band map (Plan) and help (Help). Every box and file dialog
// goes through the collaborators it is handed, so nothing here blocks a test,
// and a settings file or a pasted set is applied whole or not at all.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include "band_map_window.h"
#include "chip_options_window.h"
#include "loop_filter_window.h"
#include "plan_quality_window.h"

class ControlPanel;
class FileChooser;
class MainWindow;
class MessageSink;
class PanelHistory;
class QAction;
class QKeySequence;
class QMenu;
class QMenuBar;
class SweepWindow;

class MainMenus : public QObject {
    Q_OBJECT
public:
    // Builds the menus on `window`'s menu bar; lives as long as the window.
    MainMenus(MainWindow& window, MessageSink& messages, FileChooser& files);

    // For entries that act on the board beyond the register set's two.
    QMenu* boardMenu() const { return m_board; }
    // "Sweep…" in the Board menu, showing the one sweep window, which the
    // window's sweep state opens again while a sweep runs with it closed.
    void addSweepWindow(SweepWindow& sweepWindow);
    // The options window, once "Options…" has opened it; null before.
    ChipOptionsWindow* chipOptionsWindow() const { return m_chipOptions.data(); }
    // The Plan menu, for entries built on the plan's figures.
    QMenu* planMenu() const { return m_plan; }
    // The Plan Quality window, once "Plan Quality…" has opened it; null before.
    PlanQualityWindow* planQualityWindow() const { return m_planQuality.data(); }
    // The Band Map window, once "Band Map…" has opened it; null before.
    BandMapWindow* bandMapWindow() const { return m_bandMap.data(); }
    // The Loop Filter window, once "Loop Filter…" has opened it; null before.
    LoopFilterWindow* loopFilterWindow() const { return m_loopFilter.data(); }

private:
    QAction* addAction(QMenu* menu, const char* objectName, const QString& text, const QKeySequence& shortcut);

    void openSettings();
    void openSettingsFrom(const QString& path);
    void openRecent(const QString& path);
    // File ▸ Open Recent as the remembered list stands.
    void showRecentFiles();
    void saveSettingsAs();
    void copyRegisterSet();
    void pasteRegisterSet();
    void closePort();
    void showShortcuts();
    void showAbout();
    // True, with a message, while the board's stored set is read back: what
    // the user asked for would be overwritten by it, or would end the wait.
    bool readBackPending();
    // The Chip menu (chip_menu.cpp): "Options…", "RF Output" and "Follow the
    // Datasheet for the Mode".
    void addChipMenu(QMenuBar* bar, MainWindow& window);
    void openChipOptions(MainWindow& window);
    // The Edit menu (edit_menu.cpp): "Undo" and "Redo".
    void addEditMenu(QMenuBar* bar);
    void undo();
    void redo();
    void showHistory();
    // The Plan menu (plan_menu.cpp): "Plan Quality…", "Band Map…" and "Loop Filter…".
    void addPlanMenu(QMenuBar* bar, MainWindow& window);
    void openPlanQuality(MainWindow& window);
    void openBandMap(MainWindow& window);
    void openLoopFilter(MainWindow& window);

    MainWindow& m_window;
    ControlPanel& m_panel;
    MessageSink& m_messages;
    FileChooser& m_files;
    QMenu* m_board;
    QMenu* m_recent = nullptr;
    PanelHistory* m_history = nullptr;
    QAction* m_undo = nullptr;
    QAction* m_redo = nullptr;
    QList<QAction*> m_withShortcuts;
    // Created on first use; whoever closes it for good may delete it.
    QPointer<ChipOptionsWindow> m_chipOptions;
    QMenu* m_plan = nullptr;
    QPointer<PlanQualityWindow> m_planQuality;
    QPointer<BandMapWindow> m_bandMap;
    QPointer<LoopFilterWindow> m_loopFilter;
    // The sweep window, whose last range the band map opens on.
    QPointer<SweepWindow> m_sweepWindow;
};
