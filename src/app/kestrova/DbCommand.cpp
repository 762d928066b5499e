// kestrova db upgrade / kestrova db query: the station's image database from the command line.
#include "app/common/Wiring.h"
#include "app/kestrova/Command.h"
#include "core/db/QueryText.h"
#include "core/db/TImageDataModule.h"
#include "core/ports/ConsolePrompter.h"

#include <cstdio>

namespace kestrova::cli {

namespace {

// Opens the station's database as the workstation does (recreating it from the blank template
// when it is missing) and runs body on it; the event log goes to standard error. The setup file
// is not read: the database lies below the program directory, whatever the setup says.
int WithDatabase(const std::function<int(TImageDataModule&)>& body) {
    ConsolePrompter prompter;
    StationStartup startup(prompter);
    startup.echoLog(Err);
    if (!startup.openDatabase()) return startup.openExitCode() == 0 ? 1 : startup.openExitCode();
    return body(*startup.database());
}

int Upgrade(const QStringList& args) {
    if (!args.isEmpty()) {
        Err(QStringLiteral("usage: kestrova db upgrade"));
        return 2;
    }
    return WithDatabase([](TImageDataModule& db) {
        db.UpgradeDatabaseSchema();
        QString error;
        if (!db.ensureOpen(&error)) {
            Err(QStringLiteral("kestrova: the image database at %1 cannot be used: %2").arg(db.location(), error));
            return 1;
        }
        Out(QStringLiteral("Image database at %1 is up to date.").arg(db.location()));
        return 0;
    });
}

int Query(const QStringList& args) {
    if (args.size() != 1 || args.front().trimmed().isEmpty()) {
        Err(QStringLiteral("usage: kestrova db query \"STATEMENT\""));
        return 2;
    }
    return WithDatabase([&args](TImageDataModule& db) {
        // Each line goes out as its row comes: a query over the whole table holds no rows.
        const QueryTextResult r = StreamQueryText(db, args.front(), [](const QString& line) {
            const QByteArray bytes = line.toLocal8Bit();
            std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
            std::fputc('\n', stdout);
        });
        if (!r.ok) {
            Err(QStringLiteral("kestrova: ") + r.error);
            return 1;
        }
        return 0;
    });
}

const CommandRegistration upgradeCommand({QStringLiteral("db upgrade"), QString(),
                                          QStringLiteral("open the station's image database and add the columns an "
                                                         "older database lacks"),
                                          Upgrade});

const CommandRegistration queryCommand({QStringLiteral("db query"), QStringLiteral("\"STATEMENT\""),
                                        QStringLiteral("run one statement in the Access dialect; rows as "
                                                       "tab-separated text with a header line"),
                                        Query});

} // namespace
} // namespace kestrova::cli
