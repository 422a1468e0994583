#include "meeting/series_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "base/guard.h"
#include "meeting/series_rules.h"
#include "platform/client_data_set.h"
#include "platform/routines.h"

namespace {

std::string Text(const TClientDataSet& cds, const char* field) {
    const TField* f = cds.FindField(field);
    return f && !f->IsNull() ? f->AsString() : std::string();
}

}  // namespace

TSeriesDialog::TSeriesDialog(QWidget* parent, Fetch fetch)
    : QDialog(parent), m_fetch(std::move(fetch)) {
    setObjectName("TSeriesDialog");
    setWindowTitle(QStringLiteral("Série da reunião"));
    auto* layout = new QVBoxLayout(this);
    lblRegra = new QLabel(this);
    lblRegra->setObjectName("lblRegra");
    lblRegra->setWordWrap(true);
    layout->addWidget(lblRegra);

    grdDatas = new QTableWidget(0, 5, this);
    grdDatas->setObjectName("grdDatas");
    grdDatas->setHorizontalHeaderLabels({QStringLiteral("Data"), QStringLiteral("Dia"),
                                         QStringLiteral("Hora"), QStringLiteral("Reunião"),
                                         QStringLiteral("Situação")});
    grdDatas->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdDatas->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdDatas->setSelectionMode(QAbstractItemView::SingleSelection);
    grdDatas->verticalHeader()->setVisible(false);
    grdDatas->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(grdDatas, 1);

    auto* bar = new QHBoxLayout;
    btnIncluirData = new QPushButton(QStringLiteral("Incluir data"), this);
    btnIncluirData->setObjectName("btnIncluirData");
    btnIncluirData->setToolTip(QStringLiteral("Cria a reunião da data pulada, com a sala"));
    btnExportar = new QPushButton(QStringLiteral("Exportar série..."), this);
    btnExportar->setObjectName("btnExportar");
    btnFechar = new QPushButton(QStringLiteral("Fechar"), this);
    btnFechar->setObjectName("btnFechar");
    bar->addWidget(btnIncluirData);
    bar->addWidget(btnExportar);
    bar->addStretch(1);
    bar->addWidget(btnFechar);
    layout->addLayout(bar);

    connect(grdDatas, &QTableWidget::itemSelectionChanged, this, [this] { updateButtons(); });
    connect(btnIncluirData, &QPushButton::clicked, this, [this] {
        Guard([this] {
            const int row = grdDatas->currentRow();
            if (row < 0 || row >= static_cast<int>(m_rows.size()) || !OnInclude) return;
            if (m_rows[row].state != "P") return;
            OnInclude(m_rows[row].start);
        });
    });
    connect(btnExportar, &QPushButton::clicked, this, [this] {
        Guard([this] {
            if (OnExport) OnExport();
        });
    });
    connect(btnFechar, &QPushButton::clicked, this, &QDialog::close);
    resize(560, 420);
}

void TSeriesDialog::Reload() {
    TClientDataSet cds("cdsSerie");
    cds.SetData(m_fetch());
    std::vector<Row> rows;
    std::string rule;
    for (cds.First(); !cds.Eof(); cds.Next()) {
        Row r;
        r.start = cds.FieldByName("DTOCORSERIE").AsDateTime();
        r.meeting = TrimAll(Text(cds, "NRTAREFA"));
        r.state = Text(cds, "IDSITOCOR");
        // A meeting cancelled or concluded since shows as what it is now.
        const std::string status = Text(cds, "IDSITTAREFA");
        if (status == "X") r.state = "X";
        r.roomName = TrimAll(Text(cds, "NMSALA"));
        if (rule.empty()) {
            const TField* count = cds.FindField("QTOCORSERIE");
            const TField* until = cds.FindField("DTFIMSERIE");
            rule = reuniao::SeriesRuleText(
                Text(cds, "IDFREQSERIE"), Text(cds, "DSDIASSEMANA"),
                until && !until->IsNull() ? until->AsDateTime() : 0,
                count && !count->IsNull() ? static_cast<int>(count->AsInteger()) : 0,
                Text(cds, "IDCONFLITO"));
        }
        rows.push_back(std::move(r));
    }
    const int selected = grdDatas->currentRow();
    m_rows = std::move(rows);
    lblRegra->setText(QString::fromStdString(rule));
    grdDatas->setRowCount(static_cast<int>(m_rows.size()));
    for (int i = 0; i < static_cast<int>(m_rows.size()); ++i) {
        const Row& r = m_rows[i];
        const std::string cells[] = {DateToStr(r.start),
                                     reuniao::WeekdayAbbrev(IsoWeekday(r.start)),
                                     TimeToStr(r.start).substr(0, 5), r.meeting, StateText(i)};
        for (int c = 0; c < 5; ++c)
            grdDatas->setItem(i, c, new QTableWidgetItem(QString::fromStdString(cells[c])));
    }
    grdDatas->resizeColumnsToContents();
    grdDatas->horizontalHeader()->setStretchLastSection(true);
    if (selected >= 0 && selected < grdDatas->rowCount()) grdDatas->selectRow(selected);
    btnExportar->setVisible(static_cast<bool>(OnExport));
    updateButtons();
}

void TSeriesDialog::SelectRow(int row) {
    grdDatas->selectRow(row);
    updateButtons();
}

std::string TSeriesDialog::StateText(int row) const {
    if (row < 0 || row >= static_cast<int>(m_rows.size())) return {};
    return reuniao::SeriesOutcomeText(m_rows[row].state, m_rows[row].roomName);
}

void TSeriesDialog::updateButtons() {
    const int row = grdDatas->currentRow();
    btnIncluirData->setEnabled(row >= 0 && row < static_cast<int>(m_rows.size()) &&
                               m_rows[row].state == "P");
}
