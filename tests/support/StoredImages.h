#pragma once

#include "support/StationDir.h"
#include "support/TestFiles.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <functional>

namespace kestrova::test {

// Rows of n stored images waiting for backup, with their local copies, straight into the station's
// SQLite database (made from the blank one when missing): request numbers group + a six-digit
// running number from 1, document parts "REQS1A" + the sequence number, sequence numbers from
// firstSeq. content gives a local copy's bytes from its request number.
inline void StockStoredImages(const StationDir& station, const QString& group, int firstSeq, int n,
                              const std::function<QByteArray(const QString& reqId)>& content) {
    const QString file = station.path(QStringLiteral("ImageDatabase/KestrovaImageData.mdb"));
    if (!QFile::exists(file)) {
        QFile::copy(station.path(QStringLiteral("ImageDatabase/KestrovaImageDataBlank.mdb")), file);
        QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("stock"));
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        for (int i = 1; i <= n; ++i) {
            const int seq = firstSeq + i - 1;
            const QString req = group + QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0'));
            ASSERT_TRUE(q.exec(QStringLiteral("insert into ImageData (SeqNumber, ReqID, DocDefn, ScanTime, "
                                              "SentToSystem) values (%1, '%2', 'REQS1A%1', '2026-12-08 14:05:00', 0)")
                                   .arg(seq)
                                   .arg(req)));
            ASSERT_TRUE(WriteFile(station.path(QStringLiteral("local/") + req + QStringLiteral("~REQS1A") +
                                               QString::number(seq) + QStringLiteral(".tif")),
                                  content(req)));
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("stock"));
}

} // namespace kestrova::test
