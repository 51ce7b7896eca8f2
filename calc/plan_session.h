// The panel without a window, for the command-line tools: the settings as the
// controls would hold them, the last run of the plan, what the results box
// shows, and the panel's presses and edits, each followed by the runs of the
// plan that its handlers make. A write that leaves a control as it was
// raises nothing, as in the window.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "frequency_plan.h"
#include "plan_values.h"
#include "results_listing.h"
#include "settings.h"

namespace vantrel {

// The presses a command-line tool makes once the controls hold their
// settings, in this order.
struct Presses {
    bool autoSet = false;              // "Auto Set >>"
    std::optional<std::string> forceD; // typed into "Force Denom"
    bool bestFraction = false;         // "Calc. Best F/D"
};

// Whether each run of a session makes the texts the window shows (labels,
// listing), or only the values, for the many plans of a sweep or a band scan.
enum class PlanTexts { EveryRun, None };

class PlanSession {
public:
    // The controls hold `settings`; the plan runs once from `start`.
    explicit PlanSession(Settings settings, const PlanValues& start = {}, PlanTexts texts = PlanTexts::EveryRun);

    const Settings& settings() const { return m_settings; }
    const PlanResult& result() const { return m_result; }
    const PlanValues& plan() const { return m_result.values; }
    // The results box: a run that stops early leaves the text of an earlier one.
    const std::string& listing() const { return m_listing; }
    Colour listingColour() const { return m_listingColour; }

    void recalculate();
    // The texts of the last run, in a session whose runs make none.
    void addTexts();

    // "Auto Set >>".
    void pressAutoSet();
    // Typing `text` into "Force Denom".
    void typeForceD(std::string_view text);
    // "Calc. Best F/D" (disabled, so nothing happens, with "Integer N" ticked).
    void pressBestFraction();

    // The presses, in their order.
    void press(const Presses& presses);
    // Ticks or clears "Track Fout with Divider", which has no handler: the
    // next run keeps the VCO of this one.
    void setTracking(bool tracking) { m_settings.trackDivider = tracking; }

    // What a decoded register set leaves: the controls take `settings` (with
    // tracking off), the plan takes `decoded`, and one run with tracking on
    // rebuilds it around the decoded VCO and divider.
    void rebuildAround(const Settings& settings, const PlanValues& decoded);

private:
    // What the run's texts change: the tracked output's text, the results box.
    void takeTexts();
    void setResolutionText(const std::string& text);
    void setDivider(int k);

    Settings m_settings;
    PlanTexts m_texts = PlanTexts::EveryRun;
    PlanResult m_result;
    std::string m_listing;
    Colour m_listingColour = kBlack;
};

} // namespace vantrel
