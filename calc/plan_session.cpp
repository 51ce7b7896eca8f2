#include "plan_session.h"

#include <utility>

#include "panel_actions.h"

namespace vantrel {

PlanSession::PlanSession(Settings settings, const PlanValues& start, PlanTexts texts)
    : m_settings(std::move(settings))
    , m_texts(texts)
{
    m_result.values = start;
    recalculate();
}

void PlanSession::recalculate()
{
    if (m_texts == PlanTexts::None) {
        m_result = computePlanValues(m_settings, m_result.values);
        return;
    }
    m_result = computePlan(m_settings, m_result.values);
    takeTexts();
}

void PlanSession::addTexts()
{
    addPlanTexts(m_settings, m_result);
    takeTexts();
}

void PlanSession::takeTexts()
{
    if (m_result.trackedFoutText)
        m_settings.foutText = *m_result.trackedFoutText;
    if (m_result.listingText)
        m_listing = *m_result.listingText;
    if (m_result.listingColour)
        m_listingColour = *m_result.listingColour;
}

void PlanSession::setResolutionText(const std::string& text)
{
    if (text == m_settings.resolutionText)
        return;
    m_settings.resolutionText = text;
    recalculate();
}

void PlanSession::setDivider(int k)
{
    if (k == m_settings.outDivCont)
        return;
    m_settings.outDivCont = k;
    moveDivider(m_result.values, k);
    recalculate();
}

void PlanSession::pressAutoSet()
{
    const std::optional<int> k = startAutoSet(m_result.values, m_settings.foutText);
    if (!k)
        return;
    setDivider(0);
    for (int step = 1; step <= *k; ++step) {
        stepAutoSet(m_result.values);
        setDivider(step);
    }
}

void PlanSession::typeForceD(std::string_view text)
{
    if (const auto resolution = forcedResolutionText(m_settings.intN, text, m_result.values))
        setResolutionText(*resolution);
}

void PlanSession::pressBestFraction()
{
    if (m_settings.intN)
        return;
    const BestFractionPress press = vantrel::pressBestFraction(m_result.values);
    if (press.forceDText)
        typeForceD(*press.forceDText);
}

void PlanSession::press(const Presses& presses)
{
    if (presses.autoSet)
        pressAutoSet();
    if (presses.forceD)
        typeForceD(*presses.forceD);
    if (presses.bestFraction)
        pressBestFraction();
}

void PlanSession::rebuildAround(const Settings& settings, const PlanValues& decoded)
{
    m_settings = settings;
    m_settings.trackDivider = true;
    m_result.values = decoded;
    recalculate();
    m_settings.trackDivider = false;
}

} // namespace vantrel
