// The Band Map window (Plan ▸ Band Map…): a range of outputs, START to STOP
// by STEP, planned point by point from the panel's settings as a sweep plans
// its steps, drawn as a picture of the whole band (BandMapView). Non-modal;
// it follows the settings, scanning again a moment after they last changed
// and keeping the zoom. A click on a point puts its frequency into "Wanted
// F out"; the map exports as PNG and as the CSV of vantrel-plan --scan.
#pragma once

#include <QTimer>
#include <QWidget>

#include <chrono>
#include <optional>

#include "band_scan.h"
#include "plan_quality.h"
#include "settings.h"

class BandMapView;
class ControlPanel;
class FileChooser;
class MessageSink;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class BandMapWindow : public QWidget {
    Q_OBJECT
public:
    // How long the map waits after the last change of a setting or of its
    // range: typing a number scans once, for its last digit.
    static constexpr std::chrono::milliseconds kIdleDelay{150};

    // Opens on `range`, or on the output range of the panel's divider.
    BandMapWindow(ControlPanel& panel, MessageSink& messages, FileChooser& files,
                  const std::optional<vantrel::FrequencyRange>& range, QWidget* parent = nullptr);
    ~BandMapWindow() override;

    // Scans the range and settings as they stand, now rather than after the
    // delay; when neither changed since the map was drawn, only the panel's
    // output moves.
    void scanNow();
    BandMapView* view() const { return m_view; }
    // The range the map shows; none before its first scan.
    std::optional<vantrel::FrequencyRange> shownRange() const
    {
        return m_shown ? std::optional<vantrel::FrequencyRange>(m_shown->range) : std::nullopt;
    }

    void exportCsv();
    void exportPng();

signals:
    // The map shows the settings and range as they stood at its last scan.
    void mapUpdated();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // What a scan depends on; the panel's output and tracking aside, which
    // each point sets for itself.
    struct ScanInputs {
        vantrel::Settings settings;
        bool autoSet = false;
        vantrel::LoopBandwidth loop;
        vantrel::FrequencyRange range;
        bool operator==(const ScanInputs&) const = default;
    };

    void build(const vantrel::FrequencyRange& range);
    void scheduleScan();
    std::optional<vantrel::FrequencyRange> readRange();
    std::optional<double> panelOutput() const;
    void pointClicked(std::size_t index);
    void showStatus(const QString& text, bool problem);

    ControlPanel& m_panel;
    MessageSink& m_messages;
    FileChooser& m_files;
    QTimer m_idle;
    std::optional<ScanInputs> m_shown; // what the map shows; none before the first scan

    QLineEdit* m_start = nullptr;
    QLineEdit* m_stop = nullptr;
    QLineEdit* m_step = nullptr;
    QCheckBox* m_autoSet = nullptr;
    QPushButton* m_resetZoom = nullptr;
    QPushButton* m_exportPng = nullptr;
    QPushButton* m_exportCsv = nullptr;
    QLabel* m_status = nullptr;
    BandMapView* m_view = nullptr;
};
