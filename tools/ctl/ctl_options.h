// vantrel-ctl's command line: the command, the port, the plan options it
// shares with vantrel-plan, and the sweep's own options.
#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

#include "plan_options.h"

namespace vantrel {

struct CtlRequest {
    enum class Command { ListPorts, Set, Store, Read, Sweep, Hop };
    Command command = Command::Set;
    QString port;                       // --port, as typed
    PlanRequest plan;                   // the controls and presses; json, strict
    double start = 0, stop = 0, step = 0; // sweep, MHz
    QString hopFile;                    // hop
    std::chrono::milliseconds dwell{0}; // --dwell
    int passes = 1;                     // --repeat N; 0 with --loop
    bool changedOnly = false;
    bool skipBad = false;
    bool dryRun = false;                // sweep and hop: print the steps, open no port
};

struct ParsedCtlCommandLine {
    std::optional<CtlRequest> request; // absent: help, or a usage error
    QString message;
    bool usageError = false;
};

ParsedCtlCommandLine parseCtlCommandLine(const QStringList& arguments);

} // namespace vantrel
