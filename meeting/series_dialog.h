// TSeriesDialog: "Série da reunião", the dates of one recurring meeting's series with what
// became of each (its meeting and room, without room, skipped, cancelled). On a skipped date
// "Incluir data" hands the date to OnInclude; "Exportar série" runs OnExport. The rows come
// from a fetch function (GetSerieReuniao's packet), so the dialog knows nothing of
// connections. GUI thread only.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "platform/date_time.h"
#include "platform/variant.h"

class QLabel;
class QPushButton;
class QTableWidget;

class TSeriesDialog : public QDialog {
    Q_OBJECT
  public:
    using Fetch = std::function<Variant()>;

    TSeriesDialog(QWidget* parent, Fetch fetch);

    // Loads the series again and shows it; the selected date stays selected. A failing fetch
    // raises and changes nothing.
    void Reload();
    // Selects the row of date `row` (0 = the first meeting).
    void SelectRow(int row);
    // One row per date: its start, meeting number, and state ("R", "N", "P" from the series,
    // "X" for a cancelled meeting).
    struct Row {
        TDateTime start = 0;
        std::string meeting;
        std::string state;
        std::string roomName;
    };
    const std::vector<Row>& Rows() const { return m_rows; }
    // The text shown in the state column of row `row`.
    std::string StateText(int row) const;

    std::function<void(TDateTime date)> OnInclude;
    std::function<void()> OnExport;

    QLabel* lblRegra = nullptr;
    QTableWidget* grdDatas = nullptr;
    QPushButton* btnIncluirData = nullptr;
    QPushButton* btnExportar = nullptr;
    QPushButton* btnFechar = nullptr;

  private:
    void updateButtons();
    Fetch m_fetch;
    std::vector<Row> m_rows;
};
