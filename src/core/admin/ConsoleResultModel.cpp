#include "core/admin/ConsoleResultModel.h"

#include "core/db/DbValues.h"

#include <QSqlError>
#include <QSqlField>
#include <cstring>

namespace kestrova {

namespace {

// A row packs each cell as a flag byte (0 null, 1 text), a 32-bit length and the UTF-8 bytes.
void AppendCell(QByteArray& row, const QString& text, bool isNull) {
    const QByteArray utf8 = text.toUtf8();
    const quint32 size = static_cast<quint32>(utf8.size());
    row.append(static_cast<char>(isNull ? 0 : 1));
    row.append(reinterpret_cast<const char*>(&size), sizeof size);
    row.append(utf8);
}

QString CellOf(const QByteArray& row, int column) {
    qsizetype at = 0;
    for (int c = 0; at < row.size(); ++c) {
        quint32 size = 0;
        std::memcpy(&size, row.constData() + at + 1, sizeof size);
        if (c == column) return QString::fromUtf8(row.constData() + at + 1 + sizeof size, size);
        at += 1 + sizeof size + size;
    }
    return QString();
}

QVariant CellValue(const QSqlQuery& query, int c, bool boolColumn) {
    QVariant v = query.value(c);
    if (boolColumn && !v.isNull() && v.typeId() != QMetaType::Bool) v = QVariant(VariantAsBoolean(v));
    return v;
}

} // namespace

QVector<bool> BoolColumns(const QSqlRecord& record) {
    QVector<bool> out(record.count());
    for (int c = 0; c < record.count(); ++c) out[c] = record.field(c).metaType().id() == QMetaType::Bool;
    return out;
}

QStringList RowTexts(const QSqlQuery& query, const QVector<bool>& boolColumns) {
    QStringList out;
    for (int c = 0; c < boolColumns.size(); ++c) out << VariantAsString(CellValue(query, c, boolColumns[c]));
    return out;
}

ConsoleResultModel::~ConsoleResultModel() = default;

void ConsoleResultModel::setQuery(QSqlQuery&& query) {
    beginResetModel();
    m_rows.clear();
    m_readError.clear();
    m_record = query.record();
    m_boolColumns = BoolColumns(m_record);
    m_query.emplace(std::move(query));
    if (!m_query->isSelect()) {
        m_query->finish();
        m_query.reset();
    } else {
        readRows(FirstBatch, m_rows);
    }
    endResetModel();
}

void ConsoleResultModel::clear() {
    beginResetModel();
    if (m_query) m_query->finish();
    m_query.reset();
    m_rows.clear();
    m_rows.squeeze();
    m_record = QSqlRecord();
    m_boolColumns.clear();
    m_readError.clear();
    endResetModel();
}

int ConsoleResultModel::readRows(int max, QVector<QByteArray>& into) {
    int read = 0;
    const int columns = m_record.count();
    while (read < max && m_query->next()) {
        QByteArray row;
        for (int c = 0; c < columns; ++c) {
            const QVariant v = CellValue(*m_query, c, m_boolColumns[c]);
            AppendCell(row, VariantAsString(v), v.isNull());
        }
        into.push_back(std::move(row));
        ++read;
    }
    if (read < max) {
        // The end of the rows, or a failure part-way: either way the statement is done.
        if (m_query->lastError().isValid()) m_readError = m_query->lastError().text();
        m_query->finish();
        m_query.reset();
    }
    return read;
}

int ConsoleResultModel::fieldColumn(const QString& name) const {
    for (int c = 0; c < m_record.count(); ++c)
        if (m_record.fieldName(c).compare(name, Qt::CaseInsensitive) == 0) return c;
    return -1;
}

QString ConsoleResultModel::cellText(int row, int column) const {
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= m_record.count()) return QString();
    return CellOf(m_rows.at(row), column);
}

int ConsoleResultModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ConsoleResultModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_record.count();
}

QVariant ConsoleResultModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return QVariant();
    return cellText(index.row(), index.column());
}

QVariant ConsoleResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return QVariant();
    if (orientation == Qt::Horizontal) return section < m_record.count() ? m_record.fieldName(section) : QVariant();
    return section + 1;
}

bool ConsoleResultModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && m_query.has_value();
}

void ConsoleResultModel::fetchMore(const QModelIndex& parent) {
    if (parent.isValid() || !m_query) return;
    QVector<QByteArray> batch;
    readRows(Batch, batch);
    if (batch.isEmpty()) return;
    const int first = static_cast<int>(m_rows.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(batch.size()) - 1);
    m_rows.append(std::move(batch));
    endInsertRows();
}

} // namespace kestrova
