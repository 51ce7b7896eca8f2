// The Loop Filter window (Plan ▸ Loop Filter…): the board's loop filter as
// a schematic and its five parts, the VCO's Kv and RSET, typed as engineers
// write them; the integration range; a Design box that fills the parts with
// E24 values for a crossover and phase margin; the loop's figures for the
// panel's plan; the noise and Bode plots, exported as PNG or CSV.
// Non-modal; it follows every run of the plan, as the Plan Quality window
// does. A box that reads as no value turns red, says why, and the panel
// keeps the last good settings.
#pragma once

#include <QWidget>

#include <optional>

#include "chip_check.h"
#include "loop_figures.h"

class ControlPanel;
class FileChooser;
class LoopPlots;
class MessageSink;
class QLabel;
class QLineEdit;
class QPushButton;

class LoopFilterWindow : public QWidget {
    Q_OBJECT
public:
    LoopFilterWindow(ControlPanel& panel, MessageSink& messages, FileChooser& files, QWidget* parent = nullptr);

    LoopPlots* plots() const { return m_plots; }
    // Presses Design: the parts' boxes take the E24 parts for the target typed.
    void design();
    void exportPng();
    void exportCsv();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The boxes: the five parts, Kv, RSET, the range and the design's four.
    static constexpr int kBoxCount = 13;

    void build();
    void connectHandlers();
    QWidget* partsGroup();
    QWidget* designGroup();
    QWidget* figuresGroup();
    void sizeToContent();
    // The settings the boxes give, or nothing with the box at fault marked and said.
    std::optional<vantrel::LoopSettings> readBoxes();
    void edited();
    // The panel's settings into the boxes, each left as typed when it reads the same.
    void showSettings(const vantrel::LoopSettings& loop);
    void planChecked(const vantrel::ChipCheck& check);
    void refresh();
    void showState(const QString& text, bool problem);

    ControlPanel& m_panel;
    MessageSink& m_messages;
    FileChooser& m_files;
    std::optional<double> m_boundarySpurHz; // of the plan last checked
    std::optional<vantrel::LoopFiguresResult> m_shown;

    QLineEdit* m_boxes[kBoxCount] = {};
    QLabel* m_state = nullptr;
    QPushButton* m_design = nullptr;
    QLabel* m_designResult = nullptr;
    QLabel* m_figures[12] = {};
    LoopPlots* m_plots = nullptr;
    QPushButton* m_exportPng = nullptr;
    QPushButton* m_exportCsv = nullptr;
    QPushButton* m_close = nullptr;
};
