#pragma once

#include "core/admin/ConsoleResultModel.h"
#include "core/db/DbEngine.h"
#include "core/util/DateTime.h"

#include <QSqlDatabase>
#include <QString>
#include <QVector>
#include <functional>
#include <optional>

namespace kestrova {

class Station;
class TImageDataModule;

// A statement of the query console ready to send: parameter marks answered, date literals
// replaced by ":Date_A".. and read into values.
struct ConsoleStatement {
    QString sent; // one line, as it goes to the database
    QVector<TDateTime> dates;
};

// What "Do Query" came to.
enum class ConsoleOutcome {
    NotSent, // nothing to send, the drop guard, or a date the console could not read (shown)
    Failed,  // the database refused it ("Unable to execute statement: " shown)
    Updated, // a change statement ran ("Successful Update: " shown, event log line written)
    Opened,  // a query's result is in the model
};

// The query console of the administration window without its widgets. It reads through a
// connection of its own to the image database, so a result the grid is still reading never holds
// up the station's passes, and every statement goes through the Access-dialect translation.
class ConsoleSession {
public:
    ConsoleSession(Station& station, TImageDataModule& db);
    ~ConsoleSession();
    ConsoleSession(const ConsoleSession&) = delete;
    ConsoleSession& operator=(const ConsoleSession&) = delete;

    ConsoleResultModel& model() { return m_model; }

    // "Do Query": editorText is rewritten as the editor shows it afterwards (leading blank lines
    // gone, trimmed, marks normalised, and for a query the sent statement laid out for reading).
    ConsoleOutcome OpenSQLClick(QString& editorText, const QString& dateFieldText);
    // Sends the editor's statement as a change (true) or a query (false).
    ConsoleOutcome dosqlquery(QString& editorText, bool change, const QString& dateFieldText);

    // Steps shared with the command line. prepare: guard, marks, prompts, date literals (the
    // invalid-date box is shown here); nothing when the statement is not to be sent.
    std::optional<ConsoleStatement> prepare(QString& editorText, const QString& dateFieldText);
    // Runs a change statement; the rows changed, or nothing with the engine's text in error. The
    // change is written to the event log.
    std::optional<int> runChange(const ConsoleStatement& statement, QString& error);
    // Executes a query forward-only; the caller reads its rows.
    std::optional<QSqlQuery> runQuery(const ConsoleStatement& statement, QString& error);

    DbEngine engine() const { return m_engine; }

private:
    bool ensureOpen(QString& error);
    std::optional<QSqlQuery> execute(const ConsoleStatement& statement, QString& error);

    Station& m_station;
    TImageDataModule& m_db;
    DbEngine m_engine;
    QString m_connectionName;
    ConsoleResultModel m_model;
};

} // namespace kestrova
