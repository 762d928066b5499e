#include "core/db/QueryText.h"

#include "core/db/TImageDataModule.h"

#include <QRegularExpression>

namespace kestrova {

namespace {

bool IsChangeStatement(const QString& statement) {
    const QString first = statement.trimmed().section(QRegularExpression(QStringLiteral("\\s")), 0, 0).toLower();
    for (const char* word : {"insert", "update", "delete", "alter", "create", "drop"})
        if (first == QLatin1String(word)) return true;
    return false;
}

} // namespace

QString QueryTextCell(QString value) {
    value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    value.replace(QLatin1Char('\t'), QStringLiteral("\\t"));
    value.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    value.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    return value;
}

QueryTextResult StreamQueryText(TImageDataModule& db, const QString& statement,
                                const std::function<void(const QString& line)>& out) {
    QueryTextResult result;
    DataQuery& q = db.ImageDataQuery;
    q.close();
    q.unprepare();
    q.clearParams();
    q.setSQL(statement);
    if (IsChangeStatement(statement)) {
        if (!q.execSQL()) {
            result.error = q.errorText();
            return result;
        }
        result.ok = true;
        out(QStringLiteral("%1 rows affected").arg(q.rowsAffected()));
        return result;
    }
    bool headerDone = false;
    auto header = [&] {
        if (headerDone) return;
        headerDone = true;
        QStringList names;
        for (int c = 0; c < q.fieldCount(); ++c) names << QueryTextCell(q.fieldName(c));
        out(names.join(QLatin1Char('\t')));
    };
    const bool ok = q.openEach([&] {
        header();
        QStringList row;
        for (int c = 0; c < q.fieldCount(); ++c) row << QueryTextCell(q.field(c).asString());
        out(row.join(QLatin1Char('\t')));
        return true;
    });
    if (!ok) {
        result.error = q.errorText();
        q.close();
        return result;
    }
    result.ok = true;
    header(); // no rows: the header still names the fields
    q.close();
    return result;
}

QueryTextResult RunQueryText(TImageDataModule& db, const QString& statement) {
    QStringList lines;
    QueryTextResult result = StreamQueryText(db, statement, [&lines](const QString& line) { lines << line; });
    if (result.ok) result.text = lines.join(QLatin1Char('\n'));
    return result;
}

} // namespace kestrova
