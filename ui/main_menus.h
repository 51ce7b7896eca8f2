// The menu bar of the program's window: settings files (File), the register
// set on the clipboard (Board) and help (Help). Every box and file dialog
// goes through the collaborators it is handed, so nothing here blocks a test,
// and a settings file or a pasted set is applied whole or not at all.
#pragma once

#include <QList>
#include <QObject>
#include <QString>

class ControlPanel;
class FileChooser;
class MainWindow;
class MessageSink;
class QAction;
class QKeySequence;
class QMenu;
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

private:
    QAction* addAction(QMenu* menu, const char* objectName, const QString& text, const QKeySequence& shortcut);

    void openSettings();
    void saveSettingsAs();
    void copyRegisterSet();
    void pasteRegisterSet();
    void closePort();
    void showShortcuts();
    void showAbout();
    // True, with a message, while the board's stored set is read back: what
    // the user asked for would be overwritten by it, or would end the wait.
    bool readBackPending();

    MainWindow& m_window;
    ControlPanel& m_panel;
    MessageSink& m_messages;
    FileChooser& m_files;
    QMenu* m_board;
    QList<QAction*> m_withShortcuts;
};
