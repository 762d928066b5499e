#include "core/db/DataQuery.h"

#include "core/db/DbErrors.h"
#include "core/db/DbValues.h"
#include "core/db/TImageDataModule.h"

#include <QSqlError>
#include <QSqlField>

namespace kestrova {

QString DataField::asString() const {
    return VariantAsString(m_value);
}
qint32 DataField::asInteger() const {
    return VariantAsInteger(m_value);
}
TDateTime DataField::asDateTime() const {
    return VariantAsDateTime(m_value);
}
bool DataField::asBoolean() const {
    return VariantAsBoolean(m_value);
}

namespace {

bool IsPreparable(const QString& sql) {
    const QString first = sql.trimmed().section(QLatin1Char(' '), 0, 0).section(QLatin1Char('('), 0, 0).toLower();
    for (const char* word : {"select", "insert", "update", "delete", "values", "with"})
        if (first == QLatin1String(word)) return true;
    return false;
}

} // namespace

DataQuery::DataQuery(TImageDataModule& module, const QStringList& sql) : m_module(module), m_sql(sql) {}

void DataQuery::setSQL(const QStringList& lines) {
    if (lines == m_sql) return;
    m_sql = lines;
    unprepare();
}

void DataQuery::setParam(const QString& name, QVariant value) {
    for (Param& p : m_params) {
        if (p.name.compare(name, Qt::CaseInsensitive) == 0) {
            p.value = std::move(value);
            return;
        }
    }
    m_params.push_back({name, std::move(value)});
}

const DataQuery::Param* DataQuery::findParam(const QString& name) const {
    for (const Param& p : m_params)
        if (p.name.compare(name, Qt::CaseInsensitive) == 0) return &p;
    return nullptr;
}

void DataQuery::setParamText(const QString& name, const QString& value) {
    // An empty text is bound as an empty text, not as null.
    setParam(name, value.isNull() ? QString(QLatin1String("")) : value);
}

void DataQuery::setParamInteger(const QString& name, qint32 value) {
    setParam(name, QVariant(value));
}
void DataQuery::setParamDateTime(const QString& name, TDateTime value) {
    setParam(name, DateTimeBindValue(value));
}
void DataQuery::setParamYesNo(const QString& name, bool value) {
    setParam(name, YesNoBindValue(value, m_module.engine()));
}
void DataQuery::setParamNull(const QString& name) {
    setParam(name, QVariant());
}

QStringList DataQuery::paramNames() const {
    return DistinctParameters(TranslateAccessSql(text(), m_module.engine()));
}

bool DataQuery::setParamDateTime(int position, TDateTime value) {
    const QStringList names = paramNames();
    if (position < 0 || position >= names.size()) return false;
    setParamDateTime(names.at(position), value);
    return true;
}

void DataQuery::fail(const QString& text) {
    m_error = text;
    m_lockError = false;
    m_uniqueViolation = false;
}

void DataQuery::fail(const QSqlError& error) {
    m_error = DbErrorText(error, m_module.engine());
    m_lockError = IsLockError(error, m_module.engine());
    m_uniqueViolation = IsUniqueViolation(error, m_module.engine());
    if (IsConnectionLost(error, m_module.engine())) m_module.connectionLost();
}

bool DataQuery::prepare() {
    m_error.clear();
    m_lockError = false;
    m_uniqueViolation = false;
    m_query.reset();
    if (text().trimmed().isEmpty()) {
        fail(QStringLiteral("No SQL statement given."));
        return false;
    }
    m_translation = TranslateAccessSql(text(), m_module.engine());
    if (!m_translation.error.isEmpty()) {
        fail(m_translation.error);
        return false;
    }
    QString why;
    if (!m_module.ensureOpen(&why)) {
        fail(why);
        return false;
    }
    QSqlQuery q(m_module.Database1());
    q.setForwardOnly(true);
    // A server prepares only queries and row changes; other statements (ALTER, CREATE) go as
    // they stand when they run.
    m_direct = m_module.engine() == DbEngine::PostgreSQL && m_translation.parameters.isEmpty() &&
               !IsPreparable(m_translation.sql);
    if (!m_direct && !q.prepare(m_translation.sql)) {
        fail(q.lastError());
        return false;
    }
    m_query.emplace(std::move(q));
    m_generation = m_module.generation();
    return true;
}

void DataQuery::unprepare() {
    m_query.reset();
}

void DataQuery::close() {
    m_active = false;
    m_rows.clear();
    m_record = QSqlRecord();
    m_pos = 0;
}

bool DataQuery::bindAndExec() {
    QSqlQuery& q = *m_query;
    for (int k = 0; k < m_translation.parameters.size(); ++k) {
        const Param* p = findParam(m_translation.parameters.at(k));
        if (!p) {
            fail(QStringLiteral("No value given for the parameter :%1.").arg(m_translation.parameters.at(k)));
            return false;
        }
        QVariant v = p->value;
        if (m_translation.likePatterns.at(k) && v.typeId() == QMetaType::QString) v = AccessLikePattern(v.toString());
        q.bindValue(k, v);
    }
    if (m_direct ? q.exec(m_translation.sql) : q.exec()) return true;
    fail(q.lastError());
    return false;
}

bool DataQuery::run(bool readRows, const std::function<bool()>* onRow) {
    close();
    m_rowsAffected = 0;
    if ((!m_query || m_generation != m_module.generation() || !m_module.Database1().isOpen()) && !prepare())
        return false;
    m_error.clear();
    m_lockError = false;
    m_uniqueViolation = false;
    bool ok = bindAndExec();
    // A server keeps the plan of a prepared statement; after the table changed shape (a column
    // added by another station) the plan must be made again.
    if (!ok && m_module.engine() == DbEngine::PostgreSQL && m_query &&
        m_query->lastError().nativeErrorCode() == QLatin1String("0A000"))
        ok = prepare() && bindAndExec();
    if (!ok) {
        m_query.reset();
        return false;
    }
    QSqlQuery& q = *m_query;
    if (readRows) {
        m_record = q.record();
        const int columns = m_record.count();
        while (q.next()) {
            QVector<QVariant> row(columns);
            for (int c = 0; c < columns; ++c) {
                QVariant v = q.value(c);
                // SQLite hands yes/no columns over as numbers.
                if (m_record.field(c).metaType().id() == QMetaType::Bool && !v.isNull() &&
                    v.typeId() != QMetaType::Bool)
                    v = QVariant(VariantAsBoolean(v));
                row[c] = std::move(v);
            }
            m_rows.push_back(std::move(row));
            if (onRow) {
                m_active = true;
                m_pos = 0;
                const bool more = (*onRow)();
                m_rows.clear();
                if (!more) break;
            }
        }
        if (onRow) { // the field names stay known, the rows are gone
            m_rows.clear();
            m_pos = 0;
        }
        if (q.lastError().isValid()) {
            fail(q.lastError());
            close();
            q.finish();
            return false;
        }
        m_active = !onRow;
    } else {
        m_rowsAffected = q.numRowsAffected();
    }
    q.finish();
    return true;
}

bool DataQuery::open() {
    return run(true);
}
bool DataQuery::openEach(const std::function<bool()>& onRow) {
    return run(true, &onRow);
}
bool DataQuery::execSQL() {
    return run(false);
}

DataField DataQuery::fieldByName(const QString& name) const {
    const int index = m_record.indexOf(name);
    if (index < 0) return DataField();
    return field(index);
}

DataField DataQuery::field(int index) const {
    if (m_pos >= m_rows.size() || index < 0 || index >= m_rows.at(m_pos).size()) return DataField();
    return DataField(m_rows.at(m_pos).at(index));
}

} // namespace kestrova
