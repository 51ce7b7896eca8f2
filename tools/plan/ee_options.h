// vantrel-plan's options for the "PIC EE Data" button: printing the EE data
// listing of the plan and appending it to the register listing file.
#pragma once

#include <QCommandLineParser>
#include <QString>

#include <optional>

namespace vantrel {

struct EeRequest {
    bool listing = false;              // --ee: print the EE data listing
    std::optional<QString> appendFile; // --append FILE: the register listing file's name
    QString blockNo = QStringLiteral("0"); // --block N: the block-number box's text, as typed

    bool any() const { return listing || appendFile.has_value(); }
};

void addEeOptions(QCommandLineParser& parser);

// The EE options of a parsed command line; a usage error when they do not fit
// together (--block without --append, either with --json).
std::optional<QString> readEeOptions(const QCommandLineParser& parser, EeRequest& request);

} // namespace vantrel
