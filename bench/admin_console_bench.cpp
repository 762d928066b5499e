// The query console on a large image database: how soon the grid shows the first rows of "All
// Current Data" and of a like prefix search on 1,000,000 ImageData rows in SQLite, and how long
// reading to the last row takes.
//
// Figures (RelWithDebInfo, 2 shared cores at load 8; wall time): "All Current Data" first rows
// 3.8 ms, last of 1,000,000 rows 17.1 s (6.6 s CPU); like prefix "1012*" (10,000 rows) first rows
// 5.7 ms, last row 206 ms.
#include "core/admin/ConsoleSession.h"
#include "core/admin/QueryConsole.h"
#include "core/db/TImageDataModule.h"
#include "core/ports/Clock.h"
#include "core/ports/ConsolePrompter.h"
#include "core/station/Station.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace kestrova;

namespace {

constexpr int Rows = 1000000;

struct BigDatabase {
    QTemporaryDir dir;
    ConsolePrompter prompter;
    SystemClock clock;
    Station station{prompter, clock};
    std::unique_ptr<TImageDataModule> db;

    BigDatabase() {
        const QString file = dir.path() + QStringLiteral("/big.db");
        QFile::copy(QStringLiteral(KESTROVA_BENCH_BIN_DIR "/ImageDatabase/KestrovaImageDataBlank.mdb"), file);
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
        db = std::make_unique<TImageDataModule>(station, file);
        db->ensureOpen();
        QSqlQuery q(db->Database1());
        // Eight-digit request numbers; the prefix "1012" matches 10,000 rows.
        const bool ok = q.exec(
            QStringLiteral(
                "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < %1) "
                "INSERT INTO ImageData (SeqNumber, ReqID, DocDefn, ScanTime, ViewTime, CDLabel, ZipName, SentToSystem, "
                "ImageInfo) SELECT x, printf('%08d', 10000000 + x), 'REQ', "
                "'2004-05-06 10:00:00', '2004-05-06 10:01:00', 'DISC1', 'zip' || (x / 100), 1, 'page ' || x FROM c")
                .arg(Rows));
        if (!ok) std::fprintf(stderr, "filling the database failed\n");
    }
};

BigDatabase& Big() {
    static BigDatabase big;
    return big;
}

void Run(benchmark::State& state, const QString& statement, bool toLastRow) {
    BigDatabase& big = Big();
    qint64 rows = 0;
    for (auto _ : state) {
        ConsoleSession console(big.station, *big.db);
        QString editor = statement;
        if (console.OpenSQLClick(editor, QString()) != ConsoleOutcome::Opened) {
            state.SkipWithError("the statement failed");
            return;
        }
        ConsoleResultModel& m = console.model();
        if (toLastRow)
            while (m.canFetchMore()) m.fetchMore();
        rows = m.rowCount();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = static_cast<double>(rows);
}

void BM_AllCurrentData_FirstRows(benchmark::State& s) {
    Run(s, CannedQueryLines(AllCurrentDataEntry, QString()).join('\n'), false);
}
void BM_AllCurrentData_LastRow(benchmark::State& s) {
    Run(s, CannedQueryLines(AllCurrentDataEntry, QString()).join('\n'), true);
}
void BM_LikePrefix_FirstRows(benchmark::State& s) {
    Run(s, QStringLiteral("select *\nfrom ImageData\nwhere reqid like \"1012*\""), false);
}
void BM_LikePrefix_LastRow(benchmark::State& s) {
    Run(s, QStringLiteral("select *\nfrom ImageData\nwhere reqid like \"1012*\""), true);
}

} // namespace

BENCHMARK(BM_AllCurrentData_FirstRows)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_AllCurrentData_LastRow)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LikePrefix_FirstRows)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_LikePrefix_LastRow)->Unit(benchmark::kMillisecond)->Iterations(1);
