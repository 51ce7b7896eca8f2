// vantrel-plan: the control panel's frequency plan on the command line.
#include <QCoreApplication>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>

#include "band_scan_text.h"
#include "ee_report.h"
#include "loop_report.h"
#include "loop_text.h"
#include "plan_options.h"
#include "plan_report.h"
#include "scan_report.h"

namespace {

void write(std::FILE* stream, const QByteArray& bytes) { std::fwrite(bytes.constData(), 1, bytes.size(), stream); }

// Output that never arrived (a full disk, a closed pipe) is a failure, not
// a plan printed: the status says so, and stderr why.
int checkedStdout(int status)
{
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return status;
    const QByteArray why = errno != 0 ? QByteArray(std::strerror(errno)) : QByteArray("write error");
    write(stderr, "vantrel-plan: cannot write to standard output: " + why + "\n");
    return 1;
}

// --scan: a header and one line per point, or JSON lines. A range that is
// none, or of too many points, is a usage error that prints nothing.
int printScan(const vantrel::PlanRequest& request)
{
    const vantrel::BandScan scan = vantrel::runScanRequest(request);
    if (!scan.ok()) {
        write(stderr, "vantrel-plan: --scan: " + QByteArray::fromStdString(scan.error)
                          + "\nTry 'vantrel-plan --help'.\n");
        return 2;
    }
    if (!request.json)
        write(stdout, QByteArray(vantrel::kBandScanColumns) + '\n');
    for (const vantrel::BandPoint& point : scan.points)
        write(stdout, vantrel::scanLine(point, request.json));
    return checkedStdout(0);
}

// --noise-curve: the CSV alone; a plan without a loop prints nothing.
int printNoiseCurve(const vantrel::PlanSession& run, const vantrel::PlanRequest& request)
{
    const vantrel::LoopFiguresResult loop = *vantrel::loopOf(run, request, vantrel::NoiseCurve::Included);
    if (!loop.figures) {
        write(stderr, "vantrel-plan: --noise-curve: no curve: " + QByteArray::fromStdString(loop.error) + "\n");
        return 1;
    }
    write(stdout, QByteArray::fromStdString(vantrel::noiseCurveCsv(loop.figures->curve)));
    return checkedStdout(0);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vantrel-plan"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VANTREL_VERSION));
#ifdef SIGPIPE
    // A reader that went away is a write error to report, not a silent death.
    std::signal(SIGPIPE, SIG_IGN);
#endif

    const vantrel::ParsedCommandLine parsed = vantrel::parsePlanCommandLine(QCoreApplication::arguments());
    if (!parsed.request) {
        if (parsed.usageError) {
            write(stderr, "vantrel-plan: " + parsed.message.toUtf8() + "\nTry 'vantrel-plan --help'.\n");
            return 2;
        }
        write(stdout, parsed.message.toUtf8());
        return checkedStdout(0);
    }
    for (const QString& note : parsed.request->notes)
        write(stderr, "vantrel-plan: " + note.toUtf8() + "\n");

    if (parsed.request->scan)
        return printScan(*parsed.request);
    // Words that give no plan would leave the plan of the other options in its place.
    if (parsed.request->decode) {
        const std::string problem =
            vantrel::decodeProblem(*parsed.request->decode, parsed.request->settings.frText);
        if (!problem.empty()) {
            write(stderr, "vantrel-plan: --decode: the words give no plan: " + QByteArray::fromStdString(problem) + "\n");
            return 1;
        }
    }

    const vantrel::PlanSession run = vantrel::runPlanRequest(*parsed.request);
    if (parsed.request->noiseCurve)
        return printNoiseCurve(run, *parsed.request);
    const std::optional<vantrel::LoopDesignResult> design = vantrel::designOf(run, *parsed.request);
    std::optional<vantrel::Advice> advice;
    if (parsed.request->advise > 0) {
        advice = vantrel::adviseRun(run, *parsed.request);
        // A press rewrote the step for the R given: the suggestions keep the
        // step it gave, which pressing again after another R would not.
        if (vantrel::stepWasPressed(*parsed.request))
            write(stderr, "vantrel-plan: the suggestions' options begin with the step --force-d or --best-fraction "
                          "gave (--resolution " + QByteArray::fromStdString(run.settings().resolutionText)
                              + "): give them without --force-d and --best-fraction\n");
    }
    bool eeFailed = false;
    if (parsed.request->json) {
        write(stdout, vantrel::planJson(run, *parsed.request, advice ? &*advice : nullptr));
    } else {
        if (parsed.request->ee.any()) {
            const vantrel::EeReport ee = vantrel::runEeRequest(parsed.request->ee, run);
            write(stdout, QByteArray::fromStdString(ee.output));
            if (!ee.failure.empty()) {
                write(stderr, "vantrel-plan: " + vantrel::escaped(QString::fromStdString(ee.failure)).toUtf8() + "\n");
                eeFailed = true;
            }
        } else {
            write(stdout, QByteArray::fromStdString(vantrel::planText(run)));
        }
        if (parsed.request->quality) {
            write(stdout, "\n" + QByteArray::fromStdString(vantrel::qualityReport(run, *parsed.request)));
            if (const std::optional<vantrel::LoopFiguresResult> loop = vantrel::loopOf(run, *parsed.request))
                write(stdout, "\n" + QByteArray::fromStdString(vantrel::loopReport(*loop, parsed.request->loop)));
        }
        if (design && design->design)
            write(stdout, "\n" + QByteArray::fromStdString(vantrel::designText(*parsed.request->design, *design->design)));
        if (advice)
            write(stdout, "\n" + QByteArray::fromStdString(vantrel::adviceReport(*advice, *parsed.request, run)));
        for (const vantrel::PlanWarning warning : run.result().warnings)
            write(stderr, "warning: " + QByteArray::fromStdString(vantrel::warningText(warning)) + "\n");
        for (const vantrel::ChipLimitBreak& item : vantrel::chipLimits(run))
            write(stderr, "chip: " + QByteArray::fromStdString(item.text()) + "\n");
        for (const std::string& advice : vantrel::chipAdviceOf(run))
            write(stderr, "advice: " + QByteArray::fromStdString(advice) + "\n");
        // A set read back that the plan packs otherwise says so: the next send would change it.
        if (parsed.request->decode) {
            const std::string said = vantrel::readBackText(
                run, vantrel::wordDifferences(*parsed.request->decode, run.plan().registers));
            if (!said.empty())
                write(stderr, "vantrel-plan: " + QByteArray::fromStdString(said) + "\n");
        }
        if (run.result().outcome == vantrel::PlanOutcome::NoPfd)
            write(stderr, "vantrel-plan: no plan: the comparison frequency is below 0.001 MHz\n");
    }
    // A design asked for and not made is a failure, said on stderr in either form.
    if (design && !design->design)
        write(stderr, "vantrel-plan: --design-loop-filter: no design: " + QByteArray::fromStdString(design->error) + "\n");
    if (run.result().outcome != vantrel::PlanOutcome::Complete || eeFailed || (design && !design->design))
        return checkedStdout(1);
    if (parsed.request->strict && !vantrel::chipLimits(run).empty())
        return checkedStdout(3);
    return checkedStdout(0);
}
