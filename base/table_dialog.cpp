#include "base/table_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

TTableDialog::TTableDialog(QWidget* parent, const std::string& title, const std::string& text,
                           const std::vector<std::string>& columns,
                           const std::vector<std::vector<std::string>>& rows)
    : QDialog(parent) {
    setObjectName("TTableDialog");
    setWindowTitle(QString::fromStdString(title));
    auto* layout = new QVBoxLayout(this);
    lblTexto = new QLabel(QString::fromStdString(text), this);
    lblTexto->setWordWrap(true);
    lblTexto->setVisible(!text.empty());
    layout->addWidget(lblTexto);

    grdTabela =
        new QTableWidget(static_cast<int>(rows.size()), static_cast<int>(columns.size()), this);
    grdTabela->setObjectName("grdTabela");
    QStringList headers;
    for (const std::string& c : columns)
        headers << QString::fromStdString(c);
    grdTabela->setHorizontalHeaderLabels(headers);
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        for (int c = 0;
             c < static_cast<int>(columns.size()) && c < static_cast<int>(rows[r].size()); ++c)
            grdTabela->setItem(r, c, new QTableWidgetItem(QString::fromStdString(rows[r][c])));
    }
    grdTabela->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdTabela->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdTabela->verticalHeader()->setVisible(false);
    grdTabela->resizeColumnsToContents();
    grdTabela->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(grdTabela);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    resize(520, 380);
}
