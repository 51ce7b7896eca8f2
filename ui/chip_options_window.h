// The Chip Options window: every chip option (every bit of the six words the
// panel does not hold), grouped by register, each with the datasheet's words
// in its tool tip. Non-modal; a change runs the panel's plan at once, and the
// window follows the options however they change (a decode, a file, the
// Chip menu).
#pragma once

#include <QWidget>

#include <vector>

#include "chip_options.h"

class ControlPanel;
class QComboBox;

class ChipOptionsWindow : public QWidget {
    Q_OBJECT
public:
    // `parent` is the window it belongs to; it stays a window of its own.
    ChipOptionsWindow(ControlPanel& panel, QWidget* parent = nullptr);

private:
    struct Control {
        const vantrel::ChipOptionField* field; // null for the MUXOUT code
        QWidget* widget;
    };

    void build();
    void showOptions(const vantrel::ChipOptions& options);
    vantrel::ChipOptions read() const;
    void changed();

    ControlPanel& m_panel;
    std::vector<Control> m_controls;
    QComboBox* m_muxCode = nullptr;
    // True while the window writes its own controls: no change of theirs is the user's.
    bool m_showing = false;
};
