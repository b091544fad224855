#include "platform/jet/CatalogueTableModel.h"

#include "platform/jet/Schema.h"

namespace klang::jet {

CatalogueTableModel::CatalogueTableModel(DataControl* control, QObject* parent)
    : QAbstractTableModel(parent), m_control(control)
{
    connect(control, &DataControl::recordsetReloaded, this, &CatalogueTableModel::reload);
    connect(control, &DataControl::recordUpdated, this, [this](int row) {
        if (row >= 0 && row < rowCount() && !m_columns.isEmpty())
            emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    });
    rebuildColumns();
}

void CatalogueTableModel::setColumns(const QStringList& fields)
{
    beginResetModel();
    m_requested = fields;
    rebuildColumns();
    endResetModel();
}

void CatalogueTableModel::rebuildColumns()
{
    m_columns.clear();
    m_fieldIndexes.clear();
    const Recordset& rs = m_control->recordset();
    const QStringList wanted = m_requested.isEmpty() ? rs.fieldNames() : m_requested;
    for (const QString& field : wanted) {
        if (m_requested.isEmpty() && field.compare(schema::kPictureField, Qt::CaseInsensitive) == 0)
            continue;
        const int index = rs.fieldIndex(field);
        if (index < 0 || m_columns.contains(field, Qt::CaseInsensitive))
            continue;
        m_columns << rs.fieldNames().at(index);
        m_fieldIndexes << index;
    }
}

int CatalogueTableModel::columnOfField(const QString& field) const
{
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString CatalogueTableModel::fieldOfColumn(int column) const
{
    return m_columns.value(column);
}

void CatalogueTableModel::setDisplayTransform(DisplayTransform transform)
{
    m_transform = std::move(transform);
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

Recordset::RowReader CatalogueTableModel::storedValues(const QList<int>& columns) const
{
    QList<int> fields;
    fields.reserve(columns.size());
    for (int column : columns)
        fields << m_fieldIndexes.value(column, -1);
    return m_control->recordset().rowReader(fields);
}

int CatalogueTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_control->recordset().recordCount();
}

int CatalogueTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant CatalogueTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.column() >= m_columns.size() || index.row() >= rowCount())
        return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::ToolTipRole)
        return {};
    const Recordset& rs = m_control->recordset();
    QString value = (rs.absolutePosition() == index.row())
                        ? rs.field(m_columns[index.column()]) // shows edits not yet written
                        : rs.value(index.row(), m_fieldIndexes[index.column()]);
    if (m_transform && role != Qt::EditRole)
        value = m_transform(m_columns[index.column()], value);
    return value;
}

QVariant CatalogueTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return m_columns.value(section);
    return section + 1;
}

void CatalogueTableModel::reload()
{
    beginResetModel();
    rebuildColumns();
    endResetModel();
}

} // namespace klang::jet
