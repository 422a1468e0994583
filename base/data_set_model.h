// DataSetModel: a Qt table model over the dataset of a TDataSource, for grids and pick lists.
// Rows are the rows the dataset shows (DisplayRecordCount, an inserting record included);
// columns are the grid's columns, each bound to a field by name. Cells read the row being
// drawn through TDisplayRecordScope, so OnGetText handlers see that row. The model holds no
// data of its own. Writing a cell (the grid's editor) edits the current record only.
#pragma once

#include <QAbstractTableModel>
#include <string>
#include <vector>

#include "platform/data_source.h"

enum TColumnButtonStyle { cbsAuto, cbsEllipsis, cbsNone };

struct TColumn {
    std::string FieldName;
    std::string Title;  // "" = the field's DisplayLabel
    int Width = 64;     // pixels
    bool ReadOnly = false;
    bool Visible = true;
    TColumnButtonStyle ButtonStyle = cbsAuto;
};

class DataSetModel : public QAbstractTableModel, public TDataSourceListener {
    Q_OBJECT
  public:
    explicit DataSetModel(QObject* parent = nullptr);
    ~DataSetModel() override;

    TDataSource* DataSource() const { return m_source; }
    void SetDataSource(TDataSource* source);
    TClientDataSet* DataSet() const;
    bool Active() const;

    // Without columns, every visible field is a column.
    void SetColumns(std::vector<TColumn> columns);
    const std::vector<TColumn>& Columns() const { return m_columns; }
    TField* FieldAt(int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // TDataSourceListener
    void ActiveChanged() override;
    void StateChanged() override;
    void DataSetChanged() override;
    void RecordChanged(TField* field) override;
    void UpdateData() override { emit updateDataRequested(); }
    bool FocusControl(TField& field) override;
    void DataSourceDestroyed(TDataSource& source) override;

  signals:
    // The dataset's current row changed or was reloaded: views follow it.
    void cursorMoved();
    // The dataset is about to post: an open cell editor must write its text now.
    void updateDataRequested();
    void focusFieldRequested(int column);

  private:
    void rebuild();
    void refreshRows();

    TDataSource* m_source = nullptr;
    std::vector<TColumn> m_columns;
    std::vector<TColumn> m_declared;
    int m_rows = 0;
};
