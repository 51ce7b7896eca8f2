#include "ee_report.h"

#include <filesystem>

#include "ee_listing.h"
#include "line_end.h"
#include "register_file.h"
#include "sweep_plan.h"

namespace vantrel {

EeReport runEeRequest(const EeRequest& request, const PlanSession& run)
{
    EeReport report;
    // A stopped plan keeps the words of the last complete one: no listing is
    // made of them, least of all one appended to the firmware's source.
    if (const std::string problem = planProblem(run); !problem.empty()) {
        report.failure = "nothing listed or written: " + problem;
        return report;
    }
    // The listing shows the reference as typed, like the window's reference box.
    const std::string listing = eeDataListing(run.plan(), run.settings().frText);
    // A terminal or a pipe wants LF; the file keeps the listing's CR LF.
    if (request.listing)
        report.output += withLineFeeds(listing);
    if (request.appendFile) {
        // UTF-16 keeps any name intact on Windows as well.
        const std::filesystem::path name(request.appendFile->toStdU16String());
        const BlockAppend append = appendRegisterBlock(name, request.blockNo.toStdString(), listing);
        if (append.ok())
            report.output += *append.nextBlockNo + "\n";
        else
            report.failure = append.failure;
    }
    return report;
}

} // namespace vantrel
