#include "base/db_grid.h"

#include <algorithm>

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolButton>

#include "base/edit_mask.h"
#include "base/guard.h"
#include "base/routines.h"
#include "base/suite_icons.h"
#include "platform/client_data_set.h"
#include "platform/routines.h"

namespace {

// The widest text a field of a fixed-width picture shows: dates and times, codes and masked
// text (digits are the widest characters of a code). Empty for free text, numbers, and fields
// whose text a handler makes.
QString WidestValue(const TField& field) {
    if (field.DataType() == TFieldType::ftDateTime) return QStringLiteral("00/00/0000 00:00:00");
    const bool text =
        field.DataType() == TFieldType::ftString || field.DataType() == TFieldType::ftFixedChar;
    if (!text || field.OnGetText || field.Size() <= 0) return {};
    const std::string zeros(static_cast<size_t>(field.Size()), '0');
    if (!field.EditMask().empty())
        return QString::fromStdString(FormatMaskText(field.EditMask(), zeros));
    constexpr int kLongestCode = 12;  // longer text is free text, shown at the given width
    if (field.DataType() == TFieldType::ftFixedChar || field.Size() <= kLongestCode)
        return QString::fromStdString(zeros);
    return {};
}

// Paints cells through the grid and opens line editors (with a lookup button for ellipsis
// columns) whose keys pass through the grid's key events.
class GridDelegate : public QStyledItemDelegate {
  public:
    explicit GridDelegate(TDBGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        m_grid->PaintCell(painter, option.rect, index, option.state & QStyle::State_Selected);
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        auto* edit = new QLineEdit(parent);
        edit->setFrame(false);
        const auto& columns = m_grid->Columns();
        if (TField* field = m_grid->Model()->FieldAt(index.column())) {
            const EditMask mask = TranslateEditMask(QString::fromStdString(field->EditMask()));
            edit->setInputMask(mask.qtInputMask);
            if (field->Size() > 0 && mask.qtInputMask.isEmpty()) edit->setMaxLength(field->Size());
        }
        if (index.column() < static_cast<int>(columns.size()) &&
            columns[index.column()].ButtonStyle == cbsEllipsis) {
            auto* action = edit->addAction(Icon(SuiteIcon::Lookup), QLineEdit::TrailingPosition);
            action->setToolTip(QStringLiteral("Pesquisar"));
            QObject::connect(action, &QAction::triggered, m_grid,
                             [grid = m_grid] { grid->RunEditButtonClick(); });
        }
        edit->installEventFilter(m_grid);
        return edit;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        static_cast<QLineEdit*>(editor)->setText(index.data(Qt::EditRole).toString());
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        // A masked cell writes the value as the platform stores it: with its literals when the
        // mask keeps them, else only the typed characters ("0001:30" of "9999:99;0; " is
        // "000130"), so the value fits its field.
        auto* edit = static_cast<QLineEdit*>(editor);
        TField* field = m_grid->Model()->FieldAt(index.column());
        const EditMask mask =
            TranslateEditMask(QString::fromStdString(field ? field->EditMask() : std::string()));
        model->setData(
            index,
            edit->inputMask().isEmpty() ? edit->text() : MaskedValue(mask, edit->displayText()),
            Qt::EditRole);
    }

  private:
    TDBGrid* m_grid;
};

}  // namespace

TDBGrid::TDBGrid(QWidget* parent)
    : QTableView(parent), TFocusEvents(this), m_model(new DataSetModel(this)) {
    setModel(m_model);
    setItemDelegate(new GridDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->setFixedWidth(12);
    // Tab moves between columns; the focus controller leaves it to the grid.
    setProperty("zelOwnTab", true);
    connect(m_model, &DataSetModel::cursorMoved, this, &TDBGrid::followDataSet);
    connect(m_model, &DataSetModel::updateDataRequested, this, &TDBGrid::commitEditor);
    connect(m_model, &DataSetModel::modelReset, this, &TDBGrid::applyColumnWidths);
    // A reset (a reload, a row inserted or removed) drops Qt's current cell; the selected
    // column stays what it was, as the grid's cursor only follows the dataset's row.
    connect(m_model, &DataSetModel::modelAboutToBeReset, this, [this] {
        if (currentIndex().isValid()) m_keptColumn = currentIndex().column();
    });
    connect(m_model, &DataSetModel::focusFieldRequested, this, [this](int column) {
        SetFocus(this);
        SetSelectedIndex(column);
    });
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        if (section >= 0 && section < static_cast<int>(Columns().size()) && OnTitleClick)
            Guard([&] { OnTitleClick(Columns()[section]); });
    });
}

TDBGrid::~TDBGrid() = default;

void TDBGrid::SetColumns(std::vector<TColumn> columns) {
    m_model->SetColumns(std::move(columns));
    applyColumnWidths();
}

TColumn& TDBGrid::AddColumn(const std::string& fieldName, const std::string& title, int width,
                            bool readOnly, TColumnButtonStyle button) {
    std::vector<TColumn> columns = Columns();
    columns.push_back(TColumn{fieldName, title, width, readOnly, true, button});
    SetColumns(std::move(columns));
    return const_cast<TColumn&>(Columns().back());
}

void TDBGrid::applyColumnWidths() {
    const auto& columns = Columns();
    for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
        setColumnWidth(i, std::max(columns[i].Width, fittingWidth(i)));
        setColumnHidden(i, !columns[i].Visible);
    }
}

int TDBGrid::fittingWidth(int column) const {
    int width = horizontalHeader()->sectionSizeHint(column);
    if (const TField* field = m_model->FieldAt(column)) {
        const QString widest = WidestValue(*field);
        // The cell's text margins on both sides and the focus frame.
        const int margins =
            2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 4;
        if (!widest.isEmpty())
            width = std::max(width, fontMetrics().horizontalAdvance(widest) + margins);
    }
    return width;
}

void TDBGrid::SetColumnReadOnly(int column, bool readOnly) {
    if (column < 0 || column >= static_cast<int>(Columns().size())) return;
    // The model reads the flag at every cell; changing it needs no rebuild (and keeps the
    // current cell).
    const_cast<TColumn&>(Columns()[column]).ReadOnly = readOnly;
}

void TDBGrid::SetReadOnly(bool readOnly) {
    m_readOnly = readOnly;
    setEditTriggers(readOnly
                        ? QAbstractItemView::NoEditTriggers
                        : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::AnyKeyPressed);
}

TField* TDBGrid::SelectedField() const {
    return m_model->FieldAt(SelectedIndex());
}

int TDBGrid::SelectedIndex() const {
    const QModelIndex current = currentIndex();
    if (current.isValid()) return current.column();
    if (Columns().empty()) return -1;
    return m_keptColumn < static_cast<int>(Columns().size()) ? m_keptColumn : 0;
}

bool TDBGrid::SetSelectedIndex(int column) {
    if (column < 0 || column >= m_model->columnCount()) return false;
    if (column == SelectedIndex() && currentIndex().isValid()) return true;
    if (!leaveColumn(column)) return false;
    const int row = std::max(0, currentIndex().row());
    if (m_model->rowCount() == 0) {
        // No row to stand on: the column still counts as selected for SelectedField.
        m_keptColumn = column;
        m_colExitDone = false;
        if (OnColEnter) Guard(OnColEnter);
        return true;
    }
    setCurrentIndex(m_model->index(row, column));
    return true;
}

bool TDBGrid::SetSelectedField(const std::string& fieldName) {
    const int column = GridColumnIndex(*this, fieldName);
    return column >= 0 && SetSelectedIndex(column);
}

bool TDBGrid::EditorMode() const {
    return state() == QAbstractItemView::EditingState;
}

void TDBGrid::SetEditorMode(bool open) {
    if (open == EditorMode()) return;
    if (open) {
        if (!m_readOnly && currentIndex().isValid()) edit(currentIndex());
    } else {
        commitEditor();
    }
}

bool TDBGrid::EditorText(std::string& text) const {
    if (!EditorMode()) return false;
    auto* editor = qobject_cast<QLineEdit*>(indexWidget(currentIndex()));
    if (!editor) editor = findChild<QLineEdit*>();
    if (!editor) return false;
    text = (editor->inputMask().isEmpty() ? editor->text() : editor->displayText()).toStdString();
    return true;
}

void TDBGrid::commitEditor() {
    if (!EditorMode()) return;
    QWidget* editor = indexWidget(currentIndex());
    if (!editor) editor = findChild<QLineEdit*>();
    if (!editor) return;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

bool TDBGrid::leaveColumn(int target) {
    if (m_colExitDone || target == SelectedIndex()) return true;
    commitEditor();
    if (OnColExit && !Guard(OnColExit)) return false;
    m_colExitDone = true;
    return true;
}

QModelIndex TDBGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    QModelIndex next = QTableView::moveCursor(action, modifiers);
    if (next.isValid() && next.column() != currentIndex().column() && !leaveColumn(next.column()))
        return currentIndex();
    return next;
}

void TDBGrid::mousePressEvent(QMouseEvent* event) {
    const QModelIndex target = indexAt(event->position().toPoint());
    if (target.isValid() && target.column() != currentIndex().column() &&
        !leaveColumn(target.column())) {
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void TDBGrid::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    const QModelIndex target = indexAt(event->position().toPoint());
    if (target.isValid() && target == currentIndex() && OnCellClick)
        Guard([&] { OnCellClick(Columns()[target.column()]); });
}

void TDBGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    if (OnDblClick && !Guard(OnDblClick)) return;
    QTableView::mouseDoubleClickEvent(event);
}

bool TDBGrid::FilterEditorKey(QKeyEvent* event) {
    int key = event->key();
    if (OnKeyDown && !Guard([&] { OnKeyDown(key, event->modifiers()); })) return true;
    if (key == 0) return true;
    const QString text = event->text();
    if (!text.isEmpty() && text[0].isPrint() && OnKeyPress) {
        QChar ch = text[0];
        if (!Guard([&] { OnKeyPress(ch); }) || ch.isNull()) return true;
    }
    return false;
}

void TDBGrid::keyPressEvent(QKeyEvent* event) {
    if (FilterEditorKey(event)) return;
    // Typing starts editing: the dataset enters edit first, and a refusal drops the key.
    const QString text = event->text();
    if (!m_readOnly && !text.isEmpty() && text[0].isPrint() && currentIndex().isValid() &&
        (m_model->flags(currentIndex()) & Qt::ItemIsEditable)) {
        bool editing = false;
        if (!Guard([&] { editing = DataSource()->Edit(); }) || !editing) return;
    }
    QTableView::keyPressEvent(event);
}

bool TDBGrid::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched != this && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->parentWidget() == viewport()) {
        if (FilterEditorKey(static_cast<QKeyEvent*>(event))) return true;
    }
    return QTableView::eventFilter(watched, event);
}

void TDBGrid::RunEditButtonClick() {
    if (OnEditButtonClick) Guard(OnEditButtonClick);
}

void TDBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (m_syncing) return;
    const bool columnChanged = current.column() != previous.column() || !previous.isValid();
    if (current.isValid() && previous.isValid() && current.row() != previous.row()) {
        TClientDataSet* ds = m_model->DataSet();
        if (ds) {
            const int delta = current.row() - ds->DisplayRecordIndex();
            if (delta != 0) Guard([&] { ds->MoveBy(delta); });
            followDataSet();
        }
    }
    m_colExitDone = false;
    if (columnChanged && current.isValid() && OnColEnter) Guard(OnColEnter);
}

void TDBGrid::followDataSet() {
    TClientDataSet* ds = m_model->DataSet();
    if (!ds || !m_model->Active()) return;
    const int row = ds->DisplayRecordIndex();
    if (row < 0 || row >= m_model->rowCount()) return;
    const int column = std::max(0, SelectedIndex());
    if (currentIndex().row() == row && currentIndex().column() == column) return;
    m_syncing = true;
    selectionModel()->setCurrentIndex(m_model->index(row, column),
                                      QItemSelectionModel::ClearAndSelect);
    m_syncing = false;
    scrollTo(currentIndex());
}

void TDBGrid::DoExit() {
    commitEditor();
    TFocusEvents::DoExit();
}

void TDBGrid::DefaultDrawColumnCell(TCanvas& canvas, const QRect& rect, int, TField* field,
                                    TGridDrawState) {
    const std::string text = field ? field->DisplayText() : std::string();
    int x = rect.left() + 2;
    if (field && field->Alignment() == taRightJustify) {
        x = rect.right() - 2 -
            canvas.Painter().fontMetrics().horizontalAdvance(QString::fromStdString(text));
    }
    canvas.TextRect(rect, x, rect.top() + 2, text);
}

void TDBGrid::PaintCell(QPainter* painter, const QRect& rect, const QModelIndex& index,
                        bool selected) {
    TClientDataSet* ds = m_model->DataSet();
    if (!ds || !m_model->Active()) return;
    TGridDrawState state = 0;
    if (selected) state |= gdSelected;
    if (index == currentIndex() && hasFocus()) state |= gdFocused;
    TCanvas canvas(*painter);
    const QPalette& pal = palette();
    canvas.Brush.Color = selected ? pal.color(QPalette::Highlight) : pal.color(QPalette::Base);
    canvas.Font.Color = selected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text);
    TField* field = m_model->FieldAt(index.column());
    Guard([&] {
        TDisplayRecordScope scope(*ds, index.row());
        DefaultDrawColumnCell(canvas, rect, index.column(), field, state);
        if (OnDrawColumnCell) OnDrawColumnCell(canvas, rect, index.column(), field, state);
    });
}

TSortableDBGrid::TSortableDBGrid(QWidget* parent) : TDBGrid(parent) {
    OnTitleClick = [this](const TColumn& column) {
        if (TClientDataSet* ds = Model()->DataSet()) ds->SetIndexFieldNames(column.FieldName);
    };
}

int GridColumnIndex(const TDBGrid& grid, const std::string& fieldName) {
    const auto& columns = grid.Columns();
    for (int i = 0; i < static_cast<int>(columns.size()); ++i)
        if (SameText(columns[i].FieldName, fieldName)) return i;
    return -1;
}

std::string GridColumnText(const TDBGrid& grid, const std::string& fieldName) {
    const int column = GridColumnIndex(grid, fieldName);
    if (column < 0) return {};
    std::string text;
    if (column == grid.SelectedIndex() && grid.EditorText(text)) return text;
    TField* field = grid.Model()->FieldAt(column);
    return field ? field->Text() : std::string();
}
