#include "app/common/Wiring.h"
#include "app/kestrova/Command.h"
#include "app/kestrova/RecordingPrompter.h"
#include "core/config/SetupInfo.h"
#include "core/scan/BarcodeProfiles.h"
#include "core/scan/DeletedProblems.h"
#include "core/scan/ProblemResolution.h"
#include "core/station/Station.h"
#include "platform/leptonica/LeptonicaImageCodec.h"

#include <QFileInfo>
#include <functional>

namespace kestrova::cli {

namespace {

enum ProblemsExit { Done = 0, NotDone = 1, BadUsage = 2 };

// A station for problem work: the setup file read, the default barcode type in both readers and
// every event log line printed as it is logged.
struct ProblemDesk {
    RecordingPrompter prompter;
    StationStartup startup{prompter};
    LeptonicaImageCodec codec;
    ProblemResolution problems{startup.station(), codec};

    bool open(const QString& setup) {
        if (!startup.readSetup(setup, SetupNeed::Working)) return false;
        LoadDefaultBarcodeType(startup.station());
        startup.echoLog(Out);
        return true;
    }

    // Shows the problem at a position from 1; false (with a message) when there is none.
    bool show(int number) {
        problems.ProblemIndex = number - 1;
        problems.ShowNextProblem();
        if (number < 1 || number > problems.ProblemFiles.size()) {
            Err(QStringLiteral("There is no problem %1; the problems directory holds %2.")
                    .arg(number)
                    .arg(problems.ProblemFiles.size()));
            return false;
        }
        if (problems.currentFile() != problems.ProblemFiles.value(number - 1)) {
            Err(QStringLiteral("Problem %1 cannot be shown.").arg(number));
            return false;
        }
        return true;
    }

    bool stillThere(const QString& file) const { return QFileInfo::exists(problems.problemsDir() + file); }
};

int ListDeleted(ProblemDesk& desk) {
    desk.problems.PruneDeletedPages();
    const int days = desk.startup.station().setup().DeletedProblemDays;
    for (const DeletedProblem& p : DeletedProblems(desk.problems.problemsDir())) {
        Out(QStringLiteral("%1\t%2\t%3\t%4")
                .arg(p.name, p.deleted.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                     p.deleted.addDays(days).toString(QStringLiteral("yyyy-MM-dd")), p.reason));
    }
    return Done;
}

int ListProblems(const QStringList& arguments) {
    QStringList args = arguments;
    QString setup;
    const bool deleted = args.removeAll(QStringLiteral("--deleted")) > 0;
    if (!TakeSetup(args, setup) || !args.isEmpty()) {
        Err(QStringLiteral("usage: kestrova problems [--deleted] [--setup FILE]"));
        return BadUsage;
    }
    ProblemDesk desk;
    if (!desk.open(setup)) return NotDone;
    if (deleted) return ListDeleted(desk);
    desk.problems.ShowNextProblem();
    const int count = static_cast<int>(desk.problems.ProblemFiles.size());
    for (int number = 1; number <= count; ++number) {
        desk.problems.ProblemIndex = number - 1;
        desk.problems.ShowNextProblem();
        const QString file = desk.problems.ProblemFiles.value(number - 1);
        if (desk.problems.currentFile() != file) continue; // its load error has been printed
        Out(QStringLiteral("%1\t%2\t%3\t%4")
                .arg(number)
                .arg(file, desk.problems.ProblemTypeLabel, desk.problems.newbarcodeItems.join(QLatin1Char(' '))));
    }
    return Done;
}

// Hands act the problem the first argument numbers, its file and the arguments without
// "--setup FILE", once they are count in all; usage otherwise.
int OnNumberedProblem(const QStringList& arguments, qsizetype count, const QString& usage,
                      const std::function<int(ProblemDesk&, const QString& file, const QStringList& args)>& act) {
    QStringList args = arguments;
    QString setup;
    bool number = false;
    const int at = args.value(0).toInt(&number);
    if (!TakeSetup(args, setup) || args.size() != count || !number) {
        Err(usage);
        return BadUsage;
    }
    ProblemDesk desk;
    if (!desk.open(setup) || !desk.show(at)) return NotDone;
    return act(desk, desk.problems.currentFile(), args);
}

int AcceptProblem(const QStringList& arguments) {
    return OnNumberedProblem(
        arguments, 2, QStringLiteral("usage: kestrova problems accept NUMBER NAME [--setup FILE]"),
        [](ProblemDesk& desk, const QString& file, const QStringList& args) {
            desk.problems.newbarcodeText = args[1];
            desk.problems.AcceptProblemName();
            if (desk.stillThere(file)) {
                Err(QStringLiteral("%1 stays a problem: the name \"%2\" was not accepted.").arg(file, args[1]));
                return NotDone;
            }
            Out(QStringLiteral("%1 filed as %2").arg(file, args[1]));
            return Done;
        });
}

int DeleteProblem(const QStringList& arguments) {
    return OnNumberedProblem(arguments, 1, QStringLiteral("usage: kestrova problems delete NUMBER [--setup FILE]"),
                             [](ProblemDesk& desk, const QString& file, const QStringList&) {
                                 desk.problems.DeleteButtonClick();
                                 return desk.stillThere(file) ? NotDone : Done;
                             });
}

int RestoreProblem(const QStringList& arguments) {
    QStringList args = arguments;
    QString setup;
    if (!TakeSetup(args, setup) || args.size() != 1) {
        Err(QStringLiteral("usage: kestrova problems restore NAME [--setup FILE]"));
        return BadUsage;
    }
    ProblemDesk desk;
    if (!desk.open(setup)) return NotDone;
    const QString error = RestoreDeletedProblem(desk.problems.problemsDir(), args[0]);
    if (!error.isEmpty()) {
        Err(QStringLiteral("%1 cannot be restored: %2.").arg(args[0], error));
        return NotDone;
    }
    desk.startup.station().LogEvent(QStringLiteral("Problem page ") + args[0] +
                                    QStringLiteral(" restored from the deleted pages."));
    return Done;
}

const CommandRegistration list{
    {QStringLiteral("problems"), QStringLiteral("[--deleted] [--setup FILE]"),
     QStringLiteral("List the problem pages of the problems directory as the problem view shows them: number, file, "
                    "problem text and name candidates, separated by tabs (pages that cannot be loaded are logged). "
                    "With --deleted: the deleted pages still kept, with when they were deleted, the day they go and "
                    "their problem text."),
     ListProblems}};

const CommandRegistration accept{
    {QStringLiteral("problems accept"), QStringLiteral("NUMBER NAME [--setup FILE]"),
     QStringLiteral("File problem NUMBER (from 1, as listed) in the decoded directory under NAME as the operator "
                    "would type it: a request number, \"!\" + a forced name or \"*all\" for every candidate. Exits 1 "
                    "when the page stays a problem."),
     AcceptProblem}};

const CommandRegistration remove{{QStringLiteral("problems delete"), QStringLiteral("NUMBER [--setup FILE]"),
                                  QStringLiteral("Delete problem NUMBER (from 1, as listed) with its reason file."),
                                  DeleteProblem}};

const CommandRegistration restore{
    {QStringLiteral("problems restore"), QStringLiteral("NAME [--setup FILE]"),
     QStringLiteral("Put deleted problem page NAME (as \"problems --deleted\" lists it) back into the problems "
                    "directory with its reason file."),
     RestoreProblem}};

} // namespace
} // namespace kestrova::cli
