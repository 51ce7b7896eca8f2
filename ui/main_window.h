// The program's top-level window: the menu bar, the control panel with its
// fixed layout, and under it the chip-check strip, beside which a sweep
// running with its window closed shows its state, and the status bar; the
// window is the panel's size plus the bars and the strip, or as large as the
// screen allows with the panel scrolling inside. It starts with what the
// last run left (the port offered, the loop bandwidth, every window's
// place) and keeps what this one changes.
#pragma once

#include <QMainWindow>

#include <chrono>
#include <memory>

class ChipCheckStrip;
class ControlPanel;
class FileChooser;
class MainMenus;
class MessageSink;
class QPushButton;
class QScrollArea;
class RememberedState;
class WindowPlaces;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // The panel becomes the window's content; the window does not own its
    // collaborators. Without menus, as the pictures and benchmarks show it.
    explicit MainWindow(ControlPanel& panel, QWidget* parent = nullptr);
    // The program's window: the menus above the panel, with their boxes and
    // file dialogs through `messages` and `files`, and what is remembered
    // between runs in `remembered`; without it, nothing is kept beyond this
    // window's life.
    MainWindow(ControlPanel& panel, MessageSink& messages, FileChooser& files, RememberedState* remembered = nullptr,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    ControlPanel& panel() const { return m_panel; }
    ChipCheckStrip* chipCheckStrip() const { return m_strip; }
    QPushButton* sweepStateButton() const { return m_sweepState; }
    // The state of a sweep whose window is closed, beside the strip, with
    // `details` in its tool tip; an empty state takes it away.
    void showSweepState(const QString& state, const QString& details);
    // Null for a window without menus.
    MainMenus* menus() const { return m_menus; }
    // Null for a window without menus.
    RememberedState* remembered() const { return m_remembered; }

    // How long the status bar says what a button did.
    static constexpr std::chrono::seconds kStatusTime{5};
    // Says `text` in the status bar for kStatusTime; nothing without menus.
    void showStatus(const QString& text);

signals:
    // The sweep state was pressed: the sweep window should open.
    void sweepStateClicked();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The whole window where the screen has room for it; otherwise as much
    // as the screen holds, the panel scrolling inside.
    void fitToScreen();

    ControlPanel& m_panel;
    QScrollArea* m_scroll = nullptr;
    bool m_followsScreen = false;
    ChipCheckStrip* m_strip;
    QPushButton* m_sweepState;
    MainMenus* m_menus = nullptr;
    std::unique_ptr<RememberedState> m_ownRemembered;
    RememberedState* m_remembered = nullptr;
    // After the state it writes to, so that it goes first.
    std::unique_ptr<WindowPlaces> m_places;
};
