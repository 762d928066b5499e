#include "DbTestSupport.h"

#include "support/PgCluster.h"

#include <QDir>
#include <QFile>

namespace kestrova::test {

QString BlankTemplatePath() {
    return QStringLiteral(KESTROVA_BIN_DIR "/ImageDatabase/KestrovaImageDataBlank.mdb");
}

namespace {

// The tables as an older template had them, in the Access dialect.
void MakeOlderTables(TImageDataModule& db) {
    if (db.engine() == DbEngine::PostgreSQL) Exec(db, QStringLiteral("CREATE EXTENSION IF NOT EXISTS citext"));
    for (const char* table : {"ImageData", "ImageArchive"})
        Exec(db,
             QStringLiteral("Create Table %1 (SeqNumber Long, ReqID Text (50), DocDefn Text (50), ScanTime DateTime, "
                            "ViewTime DateTime, CDWriteTime DateTime, CDLabel Text (50), SentToSystem YesNo)")
                 .arg(QLatin1String(table)));
    Exec(db, QStringLiteral("Create View NextSeq as select max(SeqNumber) + 1 as NextSeqNum from ImageData"));
}

} // namespace

DbStation::DbStation(DbEngine engine, Template made) : m_engine(engine) {
    const QString folder = m_ts.path(QStringLiteral("ImageDatabase"));
    QDir().mkpath(folder);
    if (engine == DbEngine::SQLite && made == Template::Older) {
        m_target = folder + QStringLiteral("/KestrovaImageData.mdb");
        QFile empty(m_target);
        EXPECT_TRUE(empty.open(QIODevice::WriteOnly));
        empty.close();
        TImageDataModule maker(m_ts.station, m_target);
        MakeOlderTables(maker);
    } else if (engine == DbEngine::SQLite) {
        m_target = folder + QStringLiteral("/KestrovaImageData.mdb");
        if (!QFile::copy(BlankTemplatePath(), m_target)) {
            ADD_FAILURE() << "cannot copy the blank template " << BlankTemplatePath().toStdString();
            m_skip = QStringLiteral("no blank template");
            return;
        }
        QFile::setPermissions(m_target, QFile::permissions(m_target) | QFile::WriteOwner);
    } else {
        PgCluster* cluster = PgCluster::instance(&m_skip);
        if (!cluster) return;
        QString error;
        m_target = cluster->createDatabase(&error);
        if (m_target.isEmpty()) {
            ADD_FAILURE() << "cannot create a test database: " << error.toStdString();
            m_skip = error;
            return;
        }
        QFile uri(folder + QStringLiteral("/postgresql.uri"));
        if (!uri.open(QIODevice::WriteOnly) || uri.write(m_target.toUtf8() + '\n') < 0) {
            ADD_FAILURE() << "cannot write the URI file";
            return;
        }
        uri.close();
        if (made == Template::Older) {
            TImageDataModule maker(m_ts.station, *ParsePostgresUri(m_target));
            MakeOlderTables(maker);
        } else {
            m_ts.prompter.expectMessage(QStringLiteral("Image Database Created."));
        }
    }
    ImageDataModuleCreation created = TImageDataModule::Create(m_ts.station);
    EXPECT_EQ(created.exitCode, 0);
    EXPECT_TRUE(m_ts.prompter.allAnswered());
    m_module = std::move(created.module);
    if (!m_module) m_skip = QStringLiteral("the data module could not be created");
}

DbStation::~DbStation() = default;

std::unique_ptr<TImageDataModule> DbStation::another() {
    if (m_engine == DbEngine::SQLite) return std::make_unique<TImageDataModule>(m_ts.station, m_target);
    return std::make_unique<TImageDataModule>(m_ts.station, *ParsePostgresUri(m_target));
}

void Exec(TImageDataModule& db, const QString& statement) {
    db.AdminQuery.close();
    db.AdminQuery.unprepare();
    db.AdminQuery.setSQL(statement);
    EXPECT_TRUE(db.AdminQuery.execSQL()) << statement.toStdString() << ": " << db.AdminQuery.errorText().toStdString();
}

void InsertImage(TImageDataModule& db, qint32 seq, const QString& reqId, const QString& docDefn, TDateTime scanTime,
                 bool sentToSystem) {
    db.SetGeneralSQL(
        QStringLiteral("insert into Imagedata (SeqNumber, ReqID, DocDefn, Scantime, ViewTime, SentToSystem )"
                       " values ( :QSeqNumber, :QReqID, :QDocDefn, :QScantime, :QViewTime, :QSenttoSystem)"));
    DataQuery& q = db.FileImageDataQuery;
    q.setParamInteger(QStringLiteral("QSeqNumber"), seq);
    q.setParamText(QStringLiteral("QReqID"), reqId);
    q.setParamText(QStringLiteral("QDocDefn"), docDefn);
    q.setParamDateTime(QStringLiteral("QScanTime"), scanTime);
    q.setParamDateTime(QStringLiteral("QViewTime"), scanTime + 0.01);
    q.setParamYesNo(QStringLiteral("QSenttoSystem"), sentToSystem);
    EXPECT_TRUE(q.prepare()) << q.errorText().toStdString();
    EXPECT_TRUE(q.execSQL()) << q.errorText().toStdString();
}

QString Scalar(TImageDataModule& db, const QString& statement) {
    DataQuery& q = db.AdminQuery;
    q.close();
    q.setSQL(statement);
    if (!q.open()) {
        ADD_FAILURE() << statement.toStdString() << ": " << q.errorText().toStdString();
        return QStringLiteral("<error>");
    }
    const QString value = q.isEmpty() ? QStringLiteral("<no row>") : q.field(0).asString();
    q.close();
    return value;
}

QStringList LoggedMessages(const Station& station) {
    QStringList messages;
    for (const QString& line : station.eventLog().lines())
        messages.prepend(line.mid(line.indexOf(QStringLiteral(" +")) + 2));
    return messages;
}

} // namespace kestrova::test
