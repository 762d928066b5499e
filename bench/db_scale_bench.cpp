// The image database at a lab's scale: the statements a station runs on its timers and per row,
// a store tick of 100 pages, the start-up (a fresh `kestrova db upgrade`) and a request-number
// prefix search, on a database of 1,000,000 rows beside the same on an empty one, on SQLite and
// on a throw-away PostgreSQL cluster.
//
//   db_scale_bench [--rows N] [--engines sqlite,postgresql]
//
// The PostgreSQL figures come from a throw-away cluster made for the run (Debian package
// postgresql; under root it runs as the "postgres" user). Figures are milliseconds (median of 30
// runs after one warm-up, and the slowest), start-up wall time and peak memory of the process.

#include "barcode_page.h"
#include "bench_station.h"
#include "core/config/SetupFile.h"
#include "core/db/NumberedInsert.h"
#include "core/db/TImageDataModule.h"
#include "core/store/ConvertProcess.h"
#include "platform/leptonica/LeptonicaImageCodec.h"
#include "support/PgCluster.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

using namespace kestrova;

constexpr int TickPages = 100;
constexpr int Runs = 30;

struct Timing {
    double median = 0;
    double worst = 0;
};

Timing Measure(const std::function<bool()>& statement, int runs = Runs) {
    statement(); // warm-up
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        if (!statement()) return {-1, -1};
        ms.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

// Runs a program, waits for it; its wall time and peak memory.
struct ProcessFigures {
    double ms = -1;
    double maxRssMb = -1;
};
ProcessFigures RunProgram(const QStringList& argv, const QString& programDir, const QString& output) {
    std::vector<QByteArray> args;
    for (const QString& a : argv) args.push_back(a.toLocal8Bit());
    std::vector<char*> cargs;
    for (QByteArray& a : args) cargs.push_back(a.data());
    cargs.push_back(nullptr);
    qputenv("KESTROVA_PROGRAM_DIR", programDir.toLocal8Bit());
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QElapsedTimer t;
    t.start();
    pid_t pid = 0;
    ProcessFigures f;
    if (posix_spawn(&pid, cargs[0], &actions, nullptr, cargs.data(), environ) == 0) {
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
            f.ms = static_cast<double>(t.nsecsElapsed()) / 1e6;
            f.maxRssMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    qunsetenv("KESTROVA_PROGRAM_DIR");
    return f;
}

// One station with its database of the engine holding rows rows.
struct Site : bench::BenchStation {
    Site(DbEngine engine, const QString& pgUri, int rows)
        : BenchStation({"scan", "problems", "decoded", "store", "local", "ImageDatabase", "source"}), engine(engine) {
        station.editSetup().ProgramDir = dir.path() + QLatin1Char('/');
        const QByteArray setup =
            bench::StationSetupText("database scale benchmark", dir.path(), bench::RequestFormOptions);
        if (ReadSetupBytes(station, setup) != SetupOutcome::Ok) {
            error = QStringLiteral("setup");
            return;
        }
        if (engine == DbEngine::SQLite) {
            QFile::copy(QStringLiteral(KESTROVA_BENCH_BIN_DIR "/ImageDatabase/KestrovaImageDataBlank.mdb"),
                        path(QStringLiteral("ImageDatabase/KestrovaImageData.mdb")));
        } else {
            QFile uri(path(QStringLiteral("ImageDatabase/postgresql.uri")));
            uri.open(QIODevice::WriteOnly);
            uri.write(pgUri.toUtf8() + '\n');
        }
        data = TImageDataModule::Create(station).module;
        if (!data || !data->ensureOpen(&error)) {
            if (error.isEmpty()) error = QStringLiteral("no data module");
            return;
        }
        station.DataModule = data.get();
        data->UpgradeDatabaseSchema();
        if (!load(rows)) return;
        // One page drawn, kept aside for the store ticks.
        const auto form = barcode::bench::RequestForm(200, 7);
        auto image = codec.fromPageBitmap(form.bitmap(), 200, 200);
        if (!image || !image.value()->saveTiff(path(QStringLiteral("source/page.tif")), TiffCompression::CcittG4,
                                               TiffSaveMode::Replace)) {
            error = QStringLiteral("page");
            return;
        }
        ready = true;
    }

    bool raw(const QString& sql) {
        QSqlQuery q(data->Database1());
        if (q.exec(sql)) return true;
        error = q.lastError().text() + QStringLiteral(" in ") + sql.left(80);
        return false;
    }

    // Rows as a lab's database holds them: all backed up and taken by the LIS but the newest
    // 250 (50 backed up and awaiting the LIS, 200 awaiting backup).
    bool load(int rows) {
        if (rows == 0) return true;
        const QString n = QString::number(rows);
        if (engine == DbEngine::SQLite) {
            return raw(QStringLiteral(
                           "INSERT INTO ImageData (SeqNumber, ReqID, DocDefn, ScanTime, ViewTime, CDWriteTime, "
                           "CDLabel, "
                           "SentToSystem, ZipName, Verified, Replicated) "
                           "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < %1) "
                           "SELECT x, CAST(10000000 + x AS TEXT), 'REQS10A' || printf('%05X', x % 1048576), "
                           "'2025-01-01 10:00:00', '2025-01-01 10:05:00', "
                           "CASE WHEN x > %1 - 200 THEN NULL ELSE '2025-01-02 10:00:00' END, "
                           "CASE WHEN x > %1 - 200 THEN NULL ELSE 'CD' || printf('%04d', x / 50000) END, "
                           "CASE WHEN x > %1 - 250 THEN 0 ELSE 1 END, "
                           "CASE WHEN x > %1 - 200 THEN NULL ELSE printf('%d~%d', x / 100000, x / 100) END, 0, 0 "
                           "FROM c")
                           .arg(n)) &&
                   raw(QStringLiteral("ANALYZE"));
        }
        return raw(QStringLiteral(
                       "INSERT INTO ImageData (SeqNumber, ReqID, DocDefn, ScanTime, ViewTime, CDWriteTime, CDLabel, "
                       "SentToSystem, ZipName, Verified, Replicated) "
                       "SELECT g, (10000000 + g)::text, 'REQS10A' || lpad(upper(to_hex(g % 1048576)), 5, '0'), "
                       "timestamp '2025-01-01 10:00', timestamp '2025-01-01 10:05', "
                       "CASE WHEN g > %1 - 200 THEN NULL ELSE timestamp '2025-01-02 10:00' END, "
                       "CASE WHEN g > %1 - 200 THEN NULL ELSE 'CD' || lpad((g / 50000)::text, 4, '0') END, "
                       "g <= %1 - 250, "
                       "CASE WHEN g > %1 - 200 THEN NULL ELSE (g / 100000)::text || '~' || (g / 100)::text END, "
                       "0, false FROM generate_series(1, %1) g")
                       .arg(n)) &&
               raw(QStringLiteral("VACUUM ANALYZE ImageData"));
    }

    bool query(const QString& sql, const std::function<void(DataQuery&)>& bind = {}) {
        DataQuery& q = data->AdminQuery;
        q.close();
        q.setSQL(sql);
        q.clearParams();
        if (bind) bind(q);
        const bool change = sql.startsWith(QLatin1String("Update"), Qt::CaseInsensitive);
        const bool ok = change ? q.execSQL() : q.open();
        if (!ok) error = q.errorText();
        q.close();
        return ok;
    }

    // One store tick: the convert pass over 100 decoded pages and the two counters.
    double tick() {
        for (int i = 0; i < TickPages; ++i)
            QFile::copy(path(QStringLiteral("source/page.tif")), path(QStringLiteral("decoded/%1~REQS10A%2.tif")
                                                                          .arg(30000000 + ticks * TickPages + i)
                                                                          .arg(i, 5, 10, QLatin1Char('0'))));
        ++ticks;
        QElapsedTimer t;
        t.start();
        ConvertProcess convert(station, codec);
        const ConvertSummary summary = convert.ConvertDecodedImages();
        const bool counted = data->LISinfoQuery.open();
        data->LISinfoQuery.close();
        const bool counted2 = query(QStringLiteral("select count(SeqNumber) as BKPCount from ImageData where "
                                                   "CdwriteTime is null and ZipName is null"));
        const double ms = static_cast<double>(t.nsecsElapsed()) / 1e6;
        if (summary.stored != TickPages || !counted || !counted2) {
            error = QStringLiteral("tick stored %1: %2").arg(summary.stored).arg(station.eventLog().lines().value(0));
            return -1;
        }
        return ms;
    }

    DbEngine engine;
    LeptonicaImageCodec codec;
    std::unique_ptr<TImageDataModule> data;
    int ticks = 0;
    bool ready = false;
    QString error;
};

constexpr int TickFigure = 12;
constexpr int TickRounds = 7;

// Store ticks of 100 pages on the empty and the full database in turn, so that both meet the same
// moments of a busy machine: the median of each side.
void StoreTicks(Site& empty, Site& full, std::vector<QStringList>& figures) {
    std::vector<double> ticks[2];
    Site* sites[2] = {&empty, &full};
    for (int round = 0; round < TickRounds; ++round)
        for (int k = 0; k < 2; ++k) ticks[k].push_back(sites[k]->tick());
    for (int k = 0; k < 2; ++k) {
        std::sort(ticks[k].begin(), ticks[k].end());
        figures[k][TickFigure] = ticks[k].front() < 0 ? QStringLiteral("failed: ") + sites[k]->error
                                                      : QStringLiteral("%1").arg(ticks[k][TickRounds / 2], 0, 'f', 1);
    }
}

struct Row {
    QString name;
    QString emptyFigure;
    QString fullFigure;
};

QString Ms(const Timing& t) {
    if (t.median < 0) return QStringLiteral("failed");
    return QStringLiteral("%1 (max %2)").arg(t.median, 0, 'f', 3).arg(t.worst, 0, 'f', 2);
}

// All figures of one engine at one size, in the order of the table.
QStringList Figures(Site& s, const QString& kestrova) {
    QStringList out;
    TImageDataModule& db = *s.data;
    auto timed = [&](const std::function<bool()>& f) { out << Ms(Measure(f)); };
    timed([&] {
        const bool ok = db.LISinfoQuery.open();
        db.LISinfoQuery.close();
        return ok;
    });
    timed([&] {
        return s.query(QStringLiteral(
            "select count(SeqNumber) as BKPCount from ImageData where CdwriteTime is null and ZipName is null"));
    });
    timed([&] {
        return s.query(QStringLiteral("select count(SeqNumber) as BKPCount from ImageData where CdwriteTime is null"));
    });
    timed([&] { return s.query(QStringLiteral("select * from NextSeq")); });
    int serial = 0;
    timed([&] {
        db.SetGeneralSQL(QStringLiteral("insert into Imagedata (SeqNumber, ReqID, DocDefn, Scantime, ViewTime, "
                                        "SentToSystem ) values ( ") +
                         NextSeqValue +
                         QStringLiteral(", :QReqID, :QDocDefn, :QScantime, :QViewTime, :QSenttoSystem)"));
        DataQuery& q = db.FileImageDataQuery;
        q.setParamText(QStringLiteral("QReqID"), QStringLiteral("B%1").arg(++serial));
        q.setParamText(QStringLiteral("QDocDefn"), QStringLiteral("REQS10A00001"));
        q.setParamDateTime(QStringLiteral("QScanTime"), 45000.5);
        q.setParamDateTime(QStringLiteral("QViewTime"), 45000.5);
        q.setParamYesNo(QStringLiteral("QSenttoSystem"), false);
        return InsertWithNextSeq(db, q).ok;
    });
    timed([&] {
        return s.query(QStringLiteral("Select SeqNumber, ReqID, DocDefn, ScanTime from ImageData where CDWriteTime is "
                                      "null and ZipName is null order by SeqNumber"));
    });
    timed([&] {
        return s.query(QStringLiteral("Update ImageData Set ZipName = :QZipname where SeqNumber = :QSeqNum"),
                       [](DataQuery& q) {
                           q.setParamText(QStringLiteral("QZipname"), QStringLiteral("bench~1"));
                           q.setParamInteger(QStringLiteral("QSeqNum"), 3);
                       });
    });
    timed([&] {
        return s.query(QStringLiteral("Update ImageData Set CDWriteTime = :QCDWriteTime, CDLabel = :QCDlabel where "
                                      "ZipName = :QZipName"),
                       [](DataQuery& q) {
                           q.setParamDateTime(QStringLiteral("QCDWriteTime"), 45001.0);
                           q.setParamText(QStringLiteral("QCDlabel"), QStringLiteral("CD0001"));
                           q.setParamText(QStringLiteral("QZipName"), QStringLiteral("bench~1"));
                       });
    });
    timed([&] {
        return s.query(QStringLiteral("select * from Imagedata where ZipName = :QZipName"),
                       [](DataQuery& q) { q.setParamText(QStringLiteral("QZipName"), QStringLiteral("5~5000")); });
    });
    timed([&] { return s.query(QStringLiteral("select count(*) as N from ImageData where ReqID like \"1012345*\"")); });
    // The same search as the engine would get it without the dialect's rewrite.
    timed([&] {
        QSqlQuery q(db.Database1());
        return q.exec(QStringLiteral("select count(*) from ImageData where ReqID like '1012345%'")) && q.next();
    });
    out << Ms(Measure(
        [&] { return s.query(QStringLiteral("select CDLabel, count(*) from ImageData group by CDLabel")); }, 5));
    out << QString(); // the store tick, measured by StoreTicks
    // Start-up of a fresh process that opens the database and runs the schema upgrade.
    const ProcessFigures start =
        RunProgram({kestrova, QStringLiteral("db"), QStringLiteral("upgrade")}, s.path(QString()), "/dev/null");
    out << QStringLiteral("%1 ms, %2 MB").arg(start.ms, 0, 'f', 0).arg(start.maxRssMb, 0, 'f', 1);
    const ProcessFigures dump =
        RunProgram({kestrova, QStringLiteral("db"), QStringLiteral("query"), QStringLiteral("select * from ImageData")},
                   s.path(QString()), "/dev/null");
    out << QStringLiteral("%1 ms, %2 MB").arg(dump.ms, 0, 'f', 0).arg(dump.maxRssMb, 0, 'f', 1);
    return out;
}

const QStringList Names = {
    QStringLiteral("LIS counter (\"Awaiting Lab IS\")"),
    QStringLiteral("backup counter"),
    QStringLiteral("backup counter, REMOTE form"),
    QStringLiteral("NextSeq"),
    QStringLiteral("insert with its number (commit included)"),
    QStringLiteral("rows awaiting backup, by number"),
    QStringLiteral("zip name update by SeqNumber"),
    QStringLiteral("completion update by ZipName"),
    QStringLiteral("zip verification rows by ZipName"),
    QStringLiteral("prefix search like \"1012345*\""),
    QStringLiteral("  the same sent as plain LIKE '1012345%'"),
    QStringLiteral("count by CDLabel (group by, 5 runs)"),
    QStringLiteral("store tick, 100 pages (ms, median of 7)"),
    QStringLiteral("start-up: kestrova db upgrade"),
    QStringLiteral("kestrova db query \"select * from ImageData\""),
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int rows = 1000000;
    QStringList engines{QStringLiteral("sqlite"), QStringLiteral("postgresql")};
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--rows"))
            rows = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--engines"))
            engines = args[i + 1].split(QLatin1Char(','));
    }
    const QString kestrova = QStringLiteral(KESTROVA_BENCH_BIN_DIR "/kestrova");
    kestrova::test::PgCluster* cluster = nullptr;
    for (const QString& engineName : engines) {
        const DbEngine engine = engineName == QLatin1String("sqlite") ? DbEngine::SQLite : DbEngine::PostgreSQL;
        QStringList uris;
        for (int k = 0; k < 2; ++k) {
            if (engine == DbEngine::SQLite) break;
            QString why;
            if (!cluster) cluster = kestrova::test::PgCluster::instance(&why);
            if (!cluster) {
                std::fprintf(stderr, "PostgreSQL skipped: %s\n", qPrintable(why));
                break;
            }
            uris << cluster->createDatabase(&why);
        }
        if (engine == DbEngine::PostgreSQL && uris.size() < 2) continue;
        std::vector<QStringList> figures;
        std::unique_ptr<Site> sites[2];
        for (int k = 0; k < 2; ++k) {
            const int n = k == 0 ? 0 : rows;
            QElapsedTimer loading;
            loading.start();
            sites[k] = std::make_unique<Site>(engine, uris.value(k), n);
            if (!sites[k]->ready) {
                std::fprintf(stderr, "%s with %d rows: %s\n", qPrintable(engineName), n, qPrintable(sites[k]->error));
                return 1;
            }
            std::fprintf(stderr, "%s: %d rows loaded in %.1f s\n", qPrintable(engineName), n,
                         static_cast<double>(loading.elapsed()) / 1000.0);
            figures.push_back(Figures(*sites[k], kestrova));
        }
        StoreTicks(*sites[0], *sites[1], figures);
        std::printf("\n%s, %d rows (ms: median of %d, and the slowest)\n", qPrintable(engineName), rows, Runs);
        std::printf("| %-45s | %-26s | %-26s |\n", "statement", "empty database",
                    qPrintable(QString::number(rows) + " rows"));
        std::printf("|%s|%s|%s|\n", std::string(47, '-').c_str(), std::string(28, '-').c_str(),
                    std::string(28, '-').c_str());
        for (int i = 0; i < Names.size(); ++i)
            std::printf("| %-45s | %-26s | %-26s |\n", qPrintable(Names[i]), qPrintable(figures[0].value(i)),
                        qPrintable(figures[1].value(i)));
        std::fflush(stdout);
    }
    QFile load(QStringLiteral("/proc/loadavg"));
    load.open(QIODevice::ReadOnly);
    std::printf("\nload average: %s\n", load.readAll().trimmed().constData());
    return 0;
}
