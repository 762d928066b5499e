#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVector>
#include <optional>

namespace kestrova {

// The rows of the query console's last statement for the grid. The statement's result is read
// forward as the grid scrolls (fetchMore), so a result of a million rows opens at once and only
// the rows seen so far are held, each packed into one byte array.
class ConsoleResultModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Rows read when the result opens, and with each fetchMore.
    static constexpr int FirstBatch = 256;
    static constexpr int Batch = 4096;

    using QAbstractTableModel::QAbstractTableModel;
    ~ConsoleResultModel() override;

    // Shows the result of an executed forward-only query (and reads its first rows).
    void setQuery(QSqlQuery&& query);
    // Drops the result and ends the engine's statement.
    void clear();
    bool isOpen() const { return m_query.has_value() || !m_rows.isEmpty() || m_record.count() > 0; }
    // The engine's text when reading further rows failed; empty otherwise.
    const QString& readError() const { return m_readError; }

    const QSqlRecord& record() const { return m_record; }
    // The column of a field (letter case ignored), or -1.
    int fieldColumn(const QString& name) const;
    // The text of a cell as the grid shows it.
    QString cellText(int row, int column) const;
    bool atEnd() const { return !m_query.has_value(); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent = QModelIndex()) const override;
    void fetchMore(const QModelIndex& parent = QModelIndex()) override;

private:
    // Reads up to max rows into the cache; returns how many.
    int readRows(int max, QVector<QByteArray>& into);

    std::optional<QSqlQuery> m_query;
    QSqlRecord m_record;
    QVector<bool> m_boolColumns;
    QVector<QByteArray> m_rows;
    QString m_readError;
};

// One row of a result as text, with yes/no columns read as yes/no whatever the engine delivers.
QStringList RowTexts(const QSqlQuery& query, const QVector<bool>& boolColumns);
// Which columns of a record are yes/no columns.
QVector<bool> BoolColumns(const QSqlRecord& record);

} // namespace kestrova
