#include "ee_options.h"

namespace vantrel {

void addEeOptions(QCommandLineParser& parser)
{
    parser.addOption(QCommandLineOption(
        QStringLiteral("ee"),
        QStringLiteral("Print the EE data listing of the plan, as \"PIC EE Data\" shows it, instead of the results "
                       "listing: two comment lines and the \"de\" lines of Reg5 down to Reg0.")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("append"),
        QStringLiteral("Append the EE data listing as one block to the register listing file FILE, as \"PIC EE "
                       "Data\" does with \"Add EE Data to reg File\" ticked, and print the next block number. The "
                       "file is created when missing and never rewritten; on failure the reason goes to stderr "
                       "and the exit status is 1."),
        QStringLiteral("FILE")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("block"),
        QStringLiteral("Block number text for --append, read like the \"Block No.\" box (default \"0\")."),
        QStringLiteral("N"), QStringLiteral("0")));
}

std::optional<QString> readEeOptions(const QCommandLineParser& parser, EeRequest& request)
{
    request.listing = parser.isSet(QStringLiteral("ee"));
    if (parser.isSet(QStringLiteral("append")))
        request.appendFile = parser.value(QStringLiteral("append"));
    request.blockNo = parser.value(QStringLiteral("block"));
    if (parser.isSet(QStringLiteral("block")) && !request.appendFile)
        return QStringLiteral("--block needs --append");
    if (request.any() && parser.isSet(QStringLiteral("json")))
        return QStringLiteral("--ee and --append cannot be used with --json");
    return std::nullopt;
}

} // namespace vantrel
