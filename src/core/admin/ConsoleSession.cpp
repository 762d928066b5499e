#include "core/admin/ConsoleSession.h"

#include "core/admin/QueryConsole.h"
#include "core/db/AccessDialect.h"
#include "core/db/DbErrors.h"
#include "core/db/DbValues.h"
#include "core/db/TImageDataModule.h"
#include "core/station/Station.h"

#include <QFileInfo>
#include <QSqlError>
#include <atomic>

namespace kestrova {

namespace {

QString NewConsoleConnectionName() {
    static std::atomic<quint64> counter{0};
    return QStringLiteral("QueryConsole#%1").arg(++counter);
}

} // namespace

ConsoleSession::ConsoleSession(Station& station, TImageDataModule& db)
    : m_station(station), m_db(db), m_engine(db.engine()), m_connectionName(NewConsoleConnectionName()) {
    QSqlDatabase::cloneDatabase(db.Database1(), m_connectionName);
}

ConsoleSession::~ConsoleSession() {
    m_model.clear();
    {
        QSqlDatabase c = QSqlDatabase::database(m_connectionName, false);
        if (c.isOpen()) c.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

bool ConsoleSession::ensureOpen(QString& error) {
    QSqlDatabase c = QSqlDatabase::database(m_connectionName, false);
    if (!c.isValid()) {
        error = QStringLiteral("The database driver is not available.");
        return false;
    }
    if (c.isOpen()) return true;
    // Opening an absent SQLite file would make an empty one.
    if (m_engine == DbEngine::SQLite && !QFileInfo::exists(c.databaseName())) {
        error = QStringLiteral("The database file %1 does not exist.").arg(c.databaseName());
        return false;
    }
    if (!c.open()) {
        error = DbErrorText(c.lastError(), m_engine);
        return false;
    }
    const QStringList settings = m_engine == DbEngine::SQLite
                                     ? QStringList{QStringLiteral("PRAGMA busy_timeout = %1").arg(m_db.lockWaitMs())}
                                     : QStringList{QStringLiteral("SET lock_timeout = %1").arg(m_db.lockWaitMs()),
                                                   QStringLiteral("SET standard_conforming_strings = on"),
                                                   QStringLiteral("SET client_min_messages = warning")};
    for (const QString& s : settings) {
        QSqlQuery q(c);
        if (!q.exec(s)) {
            error = DbErrorText(q.lastError(), m_engine);
            c.close();
            return false;
        }
    }
    return true;
}

std::optional<ConsoleStatement> ConsoleSession::prepare(QString& editorText, const QString& dateFieldText) {
    if (DropGuard(editorText)) return std::nullopt;
    editorText = NormaliseMarks(editorText);
    const QString working =
        PromptParameters(WorkingText(editorText), m_station.prompter(), dateFieldText, m_station.task().MediaLabel());
    const NumberedDates numbered = NumberDateLiterals(working);
    if (numbered.tooMany) {
        m_station.prompter().message(InvalidDateCaption,
                                     QStringLiteral("A statement can hold at most %1 dates.").arg(MaxDateLiterals),
                                     MessageIcon::None, MessageButtons::OkCancel);
        return std::nullopt;
    }
    ConsoleStatement statement{numbered.text, {}};
    for (const QString& dateText : numbered.dateTexts) {
        QString text = dateText;
        const std::optional<TDateTime> value = ReadQueryDate(text);
        if (!value) {
            m_station.prompter().message(InvalidDateCaption, InvalidDateText(dateText), MessageIcon::None,
                                         MessageButtons::OkCancel);
            return std::nullopt;
        }
        statement.dates << *value;
    }
    return statement;
}

std::optional<QSqlQuery> ConsoleSession::execute(const ConsoleStatement& statement, QString& error) {
    if (!ensureOpen(error)) return std::nullopt;
    const DialectTranslation t = TranslateAccessSql(statement.sent, m_engine);
    if (!t.error.isEmpty()) {
        error = t.error;
        return std::nullopt;
    }
    QSqlQuery q(QSqlDatabase::database(m_connectionName, false));
    q.setForwardOnly(true);
    if (t.parameters.isEmpty()) {
        // Sent as it stands (a server prepares only queries and row changes).
        if (!q.exec(t.sql)) {
            error = DbErrorText(q.lastError(), m_engine);
            return std::nullopt;
        }
        return q;
    }
    if (!q.prepare(t.sql)) {
        error = DbErrorText(q.lastError(), m_engine);
        return std::nullopt;
    }
    // Only the console's own date parameters have values; any other mark is unbound. Each date
    // is bound by its name, so an unbound mark before it cannot take its value.
    for (int k = 0; k < t.parameters.size(); ++k) {
        int found = -1;
        for (int d = 0; d < statement.dates.size(); ++d)
            if (t.parameters[k].compare(DateParameterName(d), Qt::CaseInsensitive) == 0) found = d;
        if (found < 0) {
            error = QStringLiteral("No value given for the parameter :%1.").arg(t.parameters[k]);
            return std::nullopt;
        }
        q.bindValue(k, DateTimeBindValue(statement.dates[found]));
    }
    if (!q.exec()) {
        error = DbErrorText(q.lastError(), m_engine);
        return std::nullopt;
    }
    return q;
}

std::optional<int> ConsoleSession::runChange(const ConsoleStatement& statement, QString& error) {
    m_model.clear();
    std::optional<QSqlQuery> q = execute(statement, error);
    if (!q) return std::nullopt;
    const int rows = q->numRowsAffected();
    q->finish();
    // A supervisor's change to the image database leaves a trace.
    m_station.LogEvent(QStringLiteral("Query console: %1 rows changed by: %2").arg(rows).arg(statement.sent.trimmed()));
    return rows;
}

std::optional<QSqlQuery> ConsoleSession::runQuery(const ConsoleStatement& statement, QString& error) {
    m_model.clear();
    return execute(statement, error);
}

ConsoleOutcome ConsoleSession::dosqlquery(QString& editorText, bool change, const QString& dateFieldText) {
    const std::optional<ConsoleStatement> statement = prepare(editorText, dateFieldText);
    if (!statement) return ConsoleOutcome::NotSent;
    // The last result goes before anything is sent: a refused statement leaves the grid empty.
    m_model.clear();
    QString error;
    if (change) {
        const std::optional<int> rows = runChange(*statement, error);
        if (!rows) {
            m_station.prompter().message(ExecuteCaption, UnableToExecuteText(error));
            return ConsoleOutcome::Failed;
        }
        m_station.prompter().message(ExecuteCaption, SuccessfulUpdateText(*rows));
        return ConsoleOutcome::Updated;
    }
    std::optional<QSqlQuery> q = runQuery(*statement, error);
    if (!q) {
        m_station.prompter().message(ExecuteCaption, UnableToExecuteText(error));
        return ConsoleOutcome::Failed;
    }
    m_model.setQuery(std::move(*q));
    editorText = ReformatStatement(statement->sent);
    return ConsoleOutcome::Opened;
}

ConsoleOutcome ConsoleSession::OpenSQLClick(QString& editorText, const QString& dateFieldText) {
    switch (ClassifyStatement(editorText)) {
    case StatementKind::Nothing:
        return ConsoleOutcome::NotSent;
    case StatementKind::Change:
        return dosqlquery(editorText, true, dateFieldText);
    case StatementKind::Query:
        break;
    }
    return dosqlquery(editorText, false, dateFieldText);
}

} // namespace kestrova
