#pragma once

#include "core/db/AccessDialect.h"
#include "core/util/DateTime.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <optional>

namespace kestrova {

class TImageDataModule;

// One field of the current row of a query, read as the type the caller wants.
class DataField {
public:
    DataField() = default;
    explicit DataField(QVariant value) : m_value(std::move(value)) {}
    bool isNull() const { return m_value.isNull(); }
    QString asString() const;
    qint32 asInteger() const;
    TDateTime asDateTime() const;
    bool asBoolean() const;
    const QVariant& value() const { return m_value; }

private:
    QVariant m_value;
};

// A query of the data module: statement text in the Access dialect, named parameters (":Name",
// letter case ignored) bound as text, integer, date-time or yes/no, then prepare and either open
// and read the rows or execute. Opening reads the whole result and releases the engine's
// statement at once, so no read stays open while this station or the LIS writes. Nothing
// throws: every operation returns false on failure and leaves the engine's text in errorText().
class DataQuery {
public:
    explicit DataQuery(TImageDataModule& module, const QStringList& sql = {});
    DataQuery(const DataQuery&) = delete;
    DataQuery& operator=(const DataQuery&) = delete;

    // The statement text, one entry per line (sent with line breaks between the lines).
    const QStringList& SQL() const { return m_sql; }
    void setSQL(const QString& text) { setSQL(QStringList{text}); }
    void setSQL(const QStringList& lines);
    QString text() const { return m_sql.join(QLatin1Char('\n')); }

    void clearParams() { m_params.clear(); }
    void setParamText(const QString& name, const QString& value);
    void setParamInteger(const QString& name, qint32 value);
    void setParamDateTime(const QString& name, TDateTime value);
    void setParamYesNo(const QString& name, bool value);
    void setParamNull(const QString& name);
    // The position-th distinct parameter of the statement (from 0); false when there is none.
    bool setParamDateTime(int position, TDateTime value);
    QStringList paramNames() const;

    bool prepare();
    void unprepare();
    bool isPrepared() const { return m_query.has_value(); }
    bool open();
    // Runs the query and hands the rows to onRow one at a time as the engine delivers them, keeping
    // none (for results too large to hold); inside onRow the row is the current row (field(),
    // fieldByName()). onRow returns false to stop early. Afterwards no row is current; the
    // field names stay readable until close().
    bool openEach(const std::function<bool()>& onRow);
    bool execSQL();
    void close();
    bool isActive() const { return m_active; }

    bool isEmpty() const { return m_rows.isEmpty(); }
    bool eof() const { return m_pos >= m_rows.size(); }
    void first() { m_pos = 0; }
    void next() {
        if (m_pos < m_rows.size()) ++m_pos;
    }
    int recordCount() const { return static_cast<int>(m_rows.size()); }
    bool hasField(const QString& name) const { return m_record.indexOf(name) >= 0; }
    // A field of the current row; a null field when there is no such field or no row.
    DataField fieldByName(const QString& name) const;
    int fieldCount() const { return m_record.count(); }
    QString fieldName(int index) const { return m_record.fieldName(index); }
    DataField field(int index) const;

    int rowsAffected() const { return m_rowsAffected; }
    const QString& errorText() const { return m_error; }
    bool lockError() const { return m_lockError; }
    // The last failure was a row refused for a key another holder took first.
    bool uniqueViolation() const { return m_uniqueViolation; }

private:
    struct Param {
        QString name;
        QVariant value;
    };
    void setParam(const QString& name, QVariant value);
    const Param* findParam(const QString& name) const;
    bool run(bool readRows, const std::function<bool()>* onRow = nullptr);
    bool bindAndExec();
    void fail(const QSqlError& error);
    void fail(const QString& text);

    TImageDataModule& m_module;
    QStringList m_sql;
    QVector<Param> m_params;
    DialectTranslation m_translation;
    std::optional<QSqlQuery> m_query;
    bool m_direct = false; // sent as it stands, without preparing (DDL on a server)
    quint64 m_generation = 0;
    QSqlRecord m_record;
    QVector<QVector<QVariant>> m_rows;
    qsizetype m_pos = 0;
    bool m_active = false;
    int m_rowsAffected = 0;
    QString m_error;
    bool m_lockError = false;
    bool m_uniqueViolation = false;
};

} // namespace kestrova
