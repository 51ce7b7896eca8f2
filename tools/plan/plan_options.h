// vantrel-plan's command line: what the window's controls would hold, and the
// button presses to make once they are in place.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <string>

#include "ee_options.h"
#include "settings.h"

namespace vantrel {

struct PlanRequest {
    Settings settings;
    bool autoDivider = false;          // press "Auto Set >>" first
    std::optional<std::string> forceD; // then type this into "Force Denom"
    bool bestFraction = false;         // then press "Calc. Best F/D"
    bool json = false;
    bool strict = false;                // exit 3 for a complete plan that breaks a chip limit
    EeRequest ee;                      // "PIC EE Data" and the register listing file
};

struct ParsedCommandLine {
    std::optional<PlanRequest> request; // absent: help was asked for, or a usage error
    QString message;                    // help text or the usage error
    bool usageError = false;
};

ParsedCommandLine parsePlanCommandLine(const QStringList& arguments);

} // namespace vantrel
