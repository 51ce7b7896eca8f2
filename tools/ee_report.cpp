#include "ee_report.h"

#include <filesystem>

#include "ee_listing.h"
#include "register_file.h"

namespace vantrel {
namespace {

// A terminal or a pipe wants LF; the file keeps the listing's CR LF.
std::string withLineFeeds(const std::string& text)
{
    std::string lines;
    for (const char c : text) {
        if (c != '\r')
            lines.push_back(c);
    }
    return lines;
}

} // namespace

EeReport runEeRequest(const EeRequest& request, const PlanRun& run)
{
    EeReport report;
    // The listing shows the reference as typed, like the window's reference box.
    const std::string listing = eeDataListing(run.result.values, run.settings.frText);
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
