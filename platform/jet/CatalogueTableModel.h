#pragma once

// A table model over a data control's record set for the catalogue grid. Columns are fields
// by name (the text fields by default; Bilder and rowid never show), rows are fetched when a
// view asks for them, so 100,000 records show at once. The display text of a cell can be
// transformed (e.g. the plain text of rich-text fields) by a function the owner sets.

#include "platform/jet/DataControl.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <functional>

namespace klang::jet {

class CatalogueTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit CatalogueTableModel(DataControl* control, QObject* parent = nullptr);

    // The fields shown, in this order; fields the record set lacks are left out. Empty list:
    // every field of the record set except Bilder.
    void setColumns(const QStringList& fields);
    QStringList columns() const { return m_columns; }
    int columnOfField(const QString& field) const; // -1 when not shown; case-insensitive
    QString fieldOfColumn(int column) const;

    using DisplayTransform = std::function<QString(const QString& field, const QString& value)>;
    void setDisplayTransform(DisplayTransform transform);

    // The stored values of some columns (what the edit role gives), to be read on another
    // thread while the view goes on: see Recordset::RowReader. Unknown columns read as "".
    Recordset::RowReader storedValues(const QList<int>& columns) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Rebuilds the model from the record set (connected to the control's reload).
    void reload();

private:
    void rebuildColumns();

    DataControl* m_control;
    QStringList m_requested;
    QStringList m_columns;
    QVector<int> m_fieldIndexes;
    DisplayTransform m_transform;
};

} // namespace klang::jet
