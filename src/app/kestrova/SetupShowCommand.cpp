#include "app/common/Wiring.h"
#include "app/kestrova/Command.h"
#include "app/kestrova/RecordingPrompter.h"
#include "core/config/SetupJson.h"
#include "core/ports/ConsolePrompter.h"

#include <QJsonArray>
#include <QJsonObject>

namespace kestrova::cli {

namespace {

QString OutcomeName(SetupOutcome outcome) {
    switch (outcome) {
    case SetupOutcome::Ok:
        return QStringLiteral("Ok");
    case SetupOutcome::EndNow:
        return QStringLiteral("EndNow");
    case SetupOutcome::EndAfterStartup:
        return QStringLiteral("EndAfterStartup");
    }
    return {};
}

int SetupShow(const QStringList& args) {
    if (args.size() > 1) {
        Err(QStringLiteral("usage: kestrova setup show [FILE]"));
        return 2;
    }
    const QString path = args.isEmpty() ? SetupFileName : args.front();
    RecordingPrompter prompter;
    StationStartup startup(prompter);
    Station& station = startup.station();
    // A file that cannot be read (missing, a FIFO or device, far too large) has nothing to show
    // beyond the station's message.
    QByteArray bytes;
    const bool readable = ReadSetupFileBytes(path, bytes) == SetupFileRead::Read;
    // Showing the setup is the point even when the station would refuse it; the exit code says
    // whether it would start with it and go on working (only Ok).
    const bool working = startup.readSetup(path, SetupNeed::Working);
    const SetupOutcome outcome = startup.setupOutcome();
    if (readable) {
        QJsonObject report = SetupToJson(station);
        report.insert(QStringLiteral("file"), path);
        report.insert(QStringLiteral("outcome"), OutcomeName(outcome));
        report.insert(QStringLiteral("messages"), prompter.shown());
        report.insert(QStringLiteral("log"), QJsonArray::fromStringList(station.eventLog().lines()));
        PrintJson(report);
    }
    return working ? 0 : 1;
}

const CommandRegistration registration{
    {QStringLiteral("setup show"), QStringLiteral("[FILE]"),
     QStringLiteral("Read a setup file (default: kestrova.inf here) and print what the station would run with, as "
                    "JSON; exits 1 with the station's message when a check fails."),
     SetupShow}};

} // namespace
} // namespace kestrova::cli
