#include "base/data_set_model.h"

#include <QColor>
#include <QFont>

#include "base/guard.h"
#include "platform/client_data_set.h"

DataSetModel::DataSetModel(QObject* parent) : QAbstractTableModel(parent) {}

DataSetModel::~DataSetModel() {
    if (m_source) m_source->RemoveListener(this);
}

void DataSetModel::SetDataSource(TDataSource* source) {
    if (m_source == source) return;
    if (m_source) m_source->RemoveListener(this);
    m_source = source;
    if (m_source) m_source->AddListener(this);
    rebuild();
}

TClientDataSet* DataSetModel::DataSet() const {
    return m_source ? m_source->DataSet() : nullptr;
}

bool DataSetModel::Active() const {
    return m_source && m_source->State() != dsInactive && DataSet();
}

void DataSetModel::SetColumns(std::vector<TColumn> columns) {
    m_declared = std::move(columns);
    rebuild();
}

TField* DataSetModel::FieldAt(int column) const {
    if (!Active() || column < 0 || column >= static_cast<int>(m_columns.size())) return nullptr;
    return DataSet()->FindField(m_columns[column].FieldName);
}

void DataSetModel::rebuild() {
    beginResetModel();
    m_columns = m_declared;
    if (m_columns.empty() && Active()) {
        for (int i = 0; i < DataSet()->FieldCount(); ++i) {
            const TField& f = DataSet()->Fields(i);
            if (!f.Visible()) continue;
            TColumn c;
            c.FieldName = f.FieldName();
            c.Width = std::max(40, f.DisplayWidth() * 8);
            m_columns.push_back(c);
        }
    }
    m_rows = Active() ? DataSet()->DisplayRecordCount() : 0;
    endResetModel();
    emit cursorMoved();
}

void DataSetModel::refreshRows() {
    const int rows = Active() ? DataSet()->DisplayRecordCount() : 0;
    if (rows != m_rows) {
        beginResetModel();
        m_rows = rows;
        endResetModel();
    } else if (rows > 0) {
        emit dataChanged(index(0, 0), index(rows - 1, std::max(0, columnCount() - 1)));
    }
    emit cursorMoved();
}

int DataSetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int DataSetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant DataSetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows) return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::TextAlignmentRole) return {};
    TField* field = FieldAt(index.column());
    if (!field) return {};
    if (role == Qt::TextAlignmentRole) {
        switch (field->Alignment()) {
            case taRightJustify:
                return int(Qt::AlignRight | Qt::AlignVCenter);
            case taCenter:
                return int(Qt::AlignCenter);
            default:
                return int(Qt::AlignLeft | Qt::AlignVCenter);
        }
    }
    std::string text;
    Guard([&] {
        TDisplayRecordScope scope(*DataSet(), index.row());
        text = role == Qt::EditRole ? field->Text() : field->DisplayText();
    });
    return QString::fromStdString(text);
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section < 0 || section >= static_cast<int>(m_columns.size())) return {};
    const TColumn& c = m_columns[section];
    if (!c.Title.empty()) return QString::fromStdString(c.Title);
    if (TField* f = FieldAt(section)) return QString::fromStdString(f->DisplayLabel());
    return QString::fromStdString(c.FieldName);
}

Qt::ItemFlags DataSetModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    TField* field = FieldAt(index.column());
    if (field && !field->ReadOnly() && !m_columns[index.column()].ReadOnly) f |= Qt::ItemIsEditable;
    return f;
}

bool DataSetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !Active() || index.row() != DataSet()->DisplayRecordIndex())
        return false;
    TField* field = FieldAt(index.column());
    if (!field) return false;
    const std::string text = value.toString().toStdString();
    return Guard([&] {
        // Unchanged text: nothing to write, and no edit state to enter.
        if (field->Text() == text) return;
        if (!m_source->Edit()) return;
        field->SetText(text);
    });
}

void DataSetModel::ActiveChanged() {
    rebuild();
}
void DataSetModel::StateChanged() {
    refreshRows();
}
void DataSetModel::DataSetChanged() {
    refreshRows();
}

void DataSetModel::RecordChanged(TField*) {
    if (!Active()) return;
    const int row = DataSet()->DisplayRecordIndex();
    if (row >= 0 && row < m_rows)
        emit dataChanged(index(row, 0), index(row, std::max(0, columnCount() - 1)));
}

bool DataSetModel::FocusControl(TField& field) {
    for (int c = 0; c < columnCount(); ++c) {
        if (FieldAt(c) == &field) {
            emit focusFieldRequested(c);
            return true;
        }
    }
    return false;
}

void DataSetModel::DataSourceDestroyed(TDataSource& source) {
    if (m_source == &source) m_source = nullptr;
    rebuild();
}
