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

QString Cell(QString value) {
    value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    value.replace(QLatin1Char('\t'), QStringLiteral("\\t"));
    value.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    value.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    return value;
}

} // namespace

QueryTextResult RunQueryText(TImageDataModule& db, const QString& statement) {
    QueryTextResult result;
    DataQuery& q = db.ImageDataQuery;
    q.close();
    q.unprepare();
    q.clearParams();
    q.setSQL(statement);
    const bool change = IsChangeStatement(statement);
    if (!(change ? q.execSQL() : q.open())) {
        result.error = q.errorText();
        return result;
    }
    result.ok = true;
    if (change) {
        result.text = QStringLiteral("%1 rows affected").arg(q.rowsAffected());
        return result;
    }
    QStringList lines;
    QStringList header;
    for (int c = 0; c < q.fieldCount(); ++c) header << Cell(q.fieldName(c));
    lines << header.join(QLatin1Char('\t'));
    for (q.first(); !q.eof(); q.next()) {
        QStringList row;
        for (int c = 0; c < q.fieldCount(); ++c) row << Cell(q.field(c).asString());
        lines << row.join(QLatin1Char('\t'));
    }
    q.close();
    result.text = lines.join(QLatin1Char('\n'));
    return result;
}

} // namespace kestrova
