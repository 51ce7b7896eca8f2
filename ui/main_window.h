// The program's top-level window: the control panel, with its fixed layout,
// and under it the chip-check strip; the window is the panel's size plus the strip.
#pragma once

#include <QMainWindow>

class ChipCheckStrip;
class ControlPanel;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // The panel becomes the window's content; the window does not own its collaborators.
    explicit MainWindow(ControlPanel& panel, QWidget* parent = nullptr);
    ~MainWindow() override;

    ControlPanel& panel() const { return m_panel; }
    ChipCheckStrip* chipCheckStrip() const { return m_strip; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    ControlPanel& m_panel;
    ChipCheckStrip* m_strip;
};
