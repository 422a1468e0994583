// TDBGrid: a data-aware grid over a TDataSource (DataSetModel), with the platform's events.
//
// The current row is the dataset's: moving the grid's cursor moves the dataset (leaving
// edit/insert as navigation does; a refusal keeps the grid on the dataset's row), and the
// grid follows every move of the dataset. SelectedField is the field of the focused column.
// OnColExit runs before the focus leaves a column (by mouse, keys or SelectedIndex); when it
// raises, the focus stays in that column. OnColEnter runs after it arrived. Cells are drawn
// with a TCanvas; OnDrawColumnCell may draw over the default drawing.
#pragma once

#include <QTableView>
#include <functional>
#include <string>
#include <vector>

#include "base/canvas.h"
#include "base/data_set_model.h"
#include "base/focus_events.h"

enum TGridDrawStateFlag { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TGridDrawState = int;

class TDBGrid : public QTableView, public TFocusEvents {
    Q_OBJECT
  public:
    explicit TDBGrid(QWidget* parent = nullptr);
    ~TDBGrid() override;

    TDataSource* DataSource() const { return m_model->DataSource(); }
    void SetDataSource(TDataSource* source) { m_model->SetDataSource(source); }
    DataSetModel* Model() const { return m_model; }

    // Columns: set all at once (empty: one per visible field). A column is shown at least as
    // wide as its title, and a column of dates, times, codes or masked text at least as wide
    // as the widest value its field can show, whatever the width given (design widths are
    // pixels of a smaller font than the desktop's).
    void SetColumns(std::vector<TColumn> columns);
    const std::vector<TColumn>& Columns() const { return m_model->Columns(); }
    TColumn& AddColumn(const std::string& fieldName, const std::string& title = {}, int width = 64,
                       bool readOnly = false, TColumnButtonStyle button = cbsAuto);

    // Per column: a read-only column opens no editor (the rows are kept as they are).
    void SetColumnReadOnly(int column, bool readOnly);

    // The whole grid: no cell opens an editor (the platform's grid without dgEditing).
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);

    TField* SelectedField() const;
    int SelectedIndex() const;
    // Moves the focus to column `column` (OnColExit/OnColEnter as by the user). False when
    // OnColExit refused.
    bool SetSelectedIndex(int column);
    bool SetSelectedField(const std::string& fieldName);
    // Whether the in-cell editor is open; setting true opens it on the current cell.
    bool EditorMode() const;
    void SetEditorMode(bool open);
    // The open editor's text, when the editor is open.
    bool EditorText(std::string& text) const;

    // Default drawing of a cell: brush/highlight fill and the field's display text.
    void DefaultDrawColumnCell(TCanvas& canvas, const QRect& rect, int dataCol, TField* field,
                               TGridDrawState state);

    // --- events ---
    std::function<void(TCanvas& canvas, const QRect& rect, int dataCol, TField* field,
                       TGridDrawState state)>
        OnDrawColumnCell;
    std::function<void()> OnColEnter;
    std::function<void()> OnColExit;
    std::function<void(const TColumn& column)> OnCellClick;
    std::function<void()> OnDblClick;
    std::function<void(int& key, Qt::KeyboardModifiers modifiers)> OnKeyDown;
    std::function<void(QChar& key)> OnKeyPress;
    std::function<void()> OnEditButtonClick;
    // A click on a column title.
    std::function<void(const TColumn& column)> OnTitleClick;

    void DoExit() override;

    // For the cell delegate.
    void PaintCell(QPainter* painter, const QRect& rect, const QModelIndex& index, bool selected);
    bool FilterEditorKey(QKeyEvent* event);
    void RunEditButtonClick();

  protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool leaveColumn(int target);
    void followDataSet();
    void commitEditor();
    void applyColumnWidths();
    // The narrowest width that shows column `column`'s title and values uncut.
    int fittingWidth(int column) const;

    DataSetModel* m_model;
    bool m_readOnly = false;
    bool m_syncing = false;
    bool m_colExitDone = false;
    int m_keptColumn = 0;  // the selected column while Qt has no current cell
};

// TSortableDBGrid: a click on a column title sorts the rows by that column's field.
class TSortableDBGrid : public TDBGrid {
    Q_OBJECT
  public:
    explicit TSortableDBGrid(QWidget* parent = nullptr);
};
