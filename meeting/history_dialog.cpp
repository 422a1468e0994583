#include "meeting/history_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "platform/date_time.h"
#include "platform/routines.h"

using namespace Cli_zel00400;

namespace {

std::string Text(const DataPacket& p, const PacketRow& row, const char* field) {
    const int i = p.FieldIndex(field);
    return i < 0 || row.at(i).IsNull() ? std::string() : TrimAll(row.at(i).AsString());
}

QTableWidgetItem* Cell(const std::string& text) {
    auto* item = new QTableWidgetItem(QString::fromStdString(text));
    item->setToolTip(QString::fromStdString(text));
    return item;
}

}  // namespace

THistoryDialog::THistoryDialog(QWidget* parent, const std::string& caption,
                               const DataPacket& history, const HistoryNames& names)
    : QDialog(parent) {
    setObjectName("dlgHistorico");
    setWindowTitle(QStringLiteral("Histórico"));
    resize(900, 420);
    const int when = history.FieldIndex("DTHRHISTORICO");
    for (const PacketRow& row : history.rows) {
        Entry e;
        if (when >= 0 && !row.at(when).IsNull())
            e.when = FormatDateTime("dd/mm/yyyy hh:nn", row.at(when).AsDateTime());
        e.who = Text(history, row, "NMOPERADOR");
        if (e.who.empty()) e.who = Text(history, row, "CDOPERADOR");
        e.address = Text(history, row, "DSENDERECO");
        e.kind = Text(history, row, "IDTIPOHIST");
        e.what = HistoryChangeText(e.kind, Text(history, row, "IDOPERACAO"),
                                   Text(history, row, "DSCHAVE"), Text(history, row, "DSALTERACAO"),
                                   names);
        m_entries.push_back(std::move(e));
    }

    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    lblReuniao = new QLabel(QString::fromStdString(caption), this);
    lblReuniao->setObjectName("lblReuniao");
    bar->addWidget(lblReuniao, 1);
    bar->addWidget(new QLabel(QStringLiteral("Tipo:"), this));
    cbxTipo = new QComboBox(this);
    cbxTipo->setObjectName("cbxTipo");
    cbxTipo->addItem(QStringLiteral("Todos"), QString());
    for (const std::string& kind : HistoryKinds())
        cbxTipo->addItem(QString::fromStdString(HistoryKindLabel(kind)),
                         QString::fromStdString(kind));
    bar->addWidget(cbxTipo);
    layout->addLayout(bar);

    tblHistorico = new QTableWidget(this);
    tblHistorico->setObjectName("tblHistorico");
    tblHistorico->setColumnCount(5);
    tblHistorico->setHorizontalHeaderLabels({QStringLiteral("Data/Hora"),
                                             QStringLiteral("Operador"), QStringLiteral("Estação"),
                                             QStringLiteral("Tipo"), QStringLiteral("Alteração")});
    tblHistorico->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblHistorico->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblHistorico->setWordWrap(true);
    tblHistorico->verticalHeader()->hide();
    tblHistorico->horizontalHeader()->setStretchLastSection(true);
    tblHistorico->setColumnWidth(0, 115);
    tblHistorico->setColumnWidth(1, 175);
    tblHistorico->setColumnWidth(2, 90);
    tblHistorico->setColumnWidth(3, 95);
    // Wrapped changes take the height their column's width gives them, also once the table
    // has laid its columns out anew (a resized dialog, a scroll bar come or gone).
    connect(tblHistorico->horizontalHeader(), &QHeaderView::sectionResized, tblHistorico,
            &QTableWidget::resizeRowsToContents, Qt::QueuedConnection);
    layout->addWidget(tblHistorico, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Fechar"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(cbxTipo, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_kind = cbxTipo->itemData(index).toString().toStdString();
        fill();
    });
    fill();
}

void THistoryDialog::SetKind(const std::string& kind) {
    const int index = cbxTipo->findData(QString::fromStdString(kind));
    cbxTipo->setCurrentIndex(index < 0 ? 0 : index);
}

void THistoryDialog::fill() {
    tblHistorico->setRowCount(0);
    for (const Entry& e : m_entries) {
        if (!m_kind.empty() && e.kind != m_kind) continue;
        const int r = tblHistorico->rowCount();
        tblHistorico->insertRow(r);
        tblHistorico->setItem(r, 0, Cell(e.when));
        tblHistorico->setItem(r, 1, Cell(e.who));
        tblHistorico->setItem(r, 2, Cell(e.address));
        tblHistorico->setItem(r, 3, Cell(HistoryKindLabel(e.kind)));
        tblHistorico->setItem(r, 4, Cell(e.what));
    }
    tblHistorico->resizeRowsToContents();
}

std::vector<std::string> THistoryDialog::Lines() const {
    std::vector<std::string> out;
    for (int r = 0; r < tblHistorico->rowCount(); ++r) {
        const auto cell = [&](int c) { return tblHistorico->item(r, c)->text().toStdString(); };
        out.push_back(cell(0) + " | " + cell(1) + " | " + cell(3) + " | " + cell(4));
    }
    return out;
}
