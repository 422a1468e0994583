#include "base/qt_dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "base/data_set_model.h"
#include "base/multi_select_keys.h"
#include "base/table_dialog.h"
#include "platform/client_data_set.h"

namespace {

QWidget* activeParent() {
    if (QWidget* w = QApplication::activeModalWidget()) return w;
    return QApplication::activeWindow();
}

const QString kCaption = QStringLiteral("Atenção");

}  // namespace

QtDialogs::QtDialogs() = default;
QtDialogs::~QtDialogs() {
    delete m_busy;
}

void QtDialogs::Error(const std::string& text) {
    QMessageBox::critical(activeParent(), QStringLiteral("Erro"), QString::fromStdString(text));
}

bool QtDialogs::Question(const std::string& text) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirmação"),
                    QString::fromStdString(text), QMessageBox::Yes | QMessageBox::No,
                    activeParent());
    // The operator's language, whatever translations the application loaded.
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Sim"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&Não"));
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void QtDialogs::Notice(const std::string& text) {
    QMessageBox::information(activeParent(), kCaption, QString::fromStdString(text));
}

int QtDialogs::Choice(const std::string& text, const std::vector<std::string>& options) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirmação"),
                    QString::fromStdString(text), QMessageBox::NoButton, activeParent());
    std::vector<QAbstractButton*> buttons;
    for (const std::string& option : options)
        buttons.push_back(box.addButton(QString::fromStdString(option), QMessageBox::AcceptRole));
    box.addButton(QStringLiteral("Cancelar"), QMessageBox::RejectRole);
    if (!buttons.empty()) box.setDefaultButton(qobject_cast<QPushButton*>(buttons.front()));
    box.exec();
    for (size_t i = 0; i < buttons.size(); ++i)
        if (box.clickedButton() == buttons[i]) return static_cast<int>(i);
    return -1;
}

bool QtDialogs::InputText(const std::string& text, int maxLength, std::string& value) {
    QInputDialog dialog(activeParent());
    dialog.setWindowTitle(QStringLiteral("Confirmação"));
    dialog.setLabelText(QString::fromStdString(text));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(QString::fromStdString(value));
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Cancelar"));
    if (auto* edit = dialog.findChild<QLineEdit*>()) edit->setMaxLength(maxLength);
    dialog.resize(420, dialog.sizeHint().height());
    if (dialog.exec() != QDialog::Accepted) return false;
    value = dialog.textValue().toStdString();
    return true;
}

void QtDialogs::Table(const std::string& title, const std::string& text,
                      const std::vector<std::string>& columns,
                      const std::vector<std::vector<std::string>>& rows) {
    TTableDialog dialog(activeParent(), title, text, columns, rows);
    dialog.exec();
}

bool QtDialogs::Search(TDataSource& source, const std::string& title,
                       const std::string& emptyMessage) {
    TClientDataSet* ds = source.DataSet();
    if (!ds || ds->IsEmpty()) {
        if (!emptyMessage.empty()) Notice(emptyMessage);
        return false;
    }
    QDialog dialog(activeParent());
    dialog.setWindowTitle(QString::fromStdString(title));
    auto* layout = new QVBoxLayout(&dialog);
    auto* view = new QTableView(&dialog);
    auto* model = new DataSetModel(&dialog);
    model->SetDataSource(&source);
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->horizontalHeader()->setStretchLastSection(true);
    view->selectRow(std::max(0, ds->DisplayRecordIndex()));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addWidget(view);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(view, &QTableView::doubleClicked, &dialog, &QDialog::accept);
    dialog.resize(520, 360);
    if (dialog.exec() != QDialog::Accepted) return false;
    const QModelIndex current = view->currentIndex();
    if (!current.isValid()) return false;
    ds->MoveBy(current.row() - ds->DisplayRecordIndex());
    return true;
}

bool QtDialogs::MultiSelect(TDataSource& source, const std::string& keyField,
                            const std::string& title, const std::string& emptyMessage,
                            std::string& keys) {
    TClientDataSet* ds = source.DataSet();
    if (!ds || ds->IsEmpty()) {
        if (!emptyMessage.empty()) Notice(emptyMessage);
        return false;
    }
    const std::vector<std::string> checked = ParseKeyList(keys);
    QDialog dialog(activeParent());
    dialog.setWindowTitle(QString::fromStdString(title));
    auto* layout = new QVBoxLayout(&dialog);
    // A search line narrows the list to the rows containing its text; checked rows that are
    // hidden by it stay checked.
    auto* search = new QLineEdit(&dialog);
    search->setPlaceholderText(QStringLiteral("Procurar"));
    search->setClearButtonEnabled(true);
    layout->addWidget(search);
    auto* list = new QListWidget(&dialog);
    std::vector<std::string> rowKeys;
    ds->First();
    while (!ds->Eof()) {
        const std::string key = ds->FieldByName(keyField).AsString();
        // The visible fields make the caption; a hidden key field (a compound code) is not
        // shown.
        std::string caption;
        for (int i = 0; i < ds->FieldCount(); ++i) {
            const TField& f = ds->Fields(i);
            if (!f.Visible()) continue;
            if (!caption.empty()) caption += "  ";
            caption += f.DisplayText();
        }
        if (caption.empty()) caption = key;
        auto* item = new QListWidgetItem(QString::fromStdString(caption), list);
        item->setCheckState(std::find(checked.begin(), checked.end(), key) != checked.end()
                                ? Qt::Checked
                                : Qt::Unchecked);
        rowKeys.push_back(key);
        ds->Next();
    }
    QObject::connect(search, &QLineEdit::textChanged, list, [list](const QString& text) {
        for (int i = 0; i < list->count(); ++i)
            list->item(i)->setHidden(!list->item(i)->text().contains(text, Qt::CaseInsensitive));
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addWidget(list);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    dialog.resize(480, 360);
    if (dialog.exec() != QDialog::Accepted) return false;
    std::vector<std::string> chosen;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->checkState() == Qt::Checked) chosen.push_back(rowKeys[i]);
    keys = FormatKeyList(chosen);
    return true;
}

bool QtDialogs::FindRecord(TClientDataSet& dataSet) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(activeParent(), QStringLiteral("Procurar"),
                              QStringLiteral("Procurar por:"), QLineEdit::Normal, QString(), &ok);
    if (!ok || text.isEmpty()) return false;
    return FindInDataSet(dataSet, text.toStdString());
}

void QtDialogs::ShowBusy(QWidget* over, int) {
    if (!over) over = QApplication::activeWindow();
    delete m_busy;
    auto* panel = new QFrame(over, over ? Qt::Widget : Qt::Tool | Qt::FramelessWindowHint);
    panel->setFrameShape(QFrame::Box);
    panel->setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(panel);
    layout->addWidget(new QLabel(QStringLiteral("Aguarde..."), panel));
    auto* bar = new QProgressBar(panel);
    bar->setRange(0, 0);
    layout->addWidget(bar);
    panel->adjustSize();
    if (over)
        panel->move((over->width() - panel->width()) / 2, (over->height() - panel->height()) / 2);
    panel->show();
    panel->raise();
    panel->repaint();
    m_busy = panel;
}

void QtDialogs::HideBusy() {
    delete m_busy;
}

void QtDialogs::ReportPreview(const std::string& title,
                              const std::function<void(QPrinter&)>& paint) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QString::fromStdString(title));
    QPrintPreviewDialog preview(&printer, activeParent());
    preview.setWindowTitle(QString::fromStdString(title));
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&paint](QPrinter* p) { paint(*p); });
    preview.exec();
}

bool QtDialogs::Print(const std::string& title, const std::function<void(QPrinter&)>& paint) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QString::fromStdString(title));
    QPrintDialog dialog(&printer, activeParent());
    dialog.setWindowTitle(QString::fromStdString(title));
    if (dialog.exec() != QDialog::Accepted) return false;
    paint(printer);
    return true;
}

std::string QtDialogs::SaveFileName(const std::string& title, const std::string& suggested,
                                    const std::string& filter) {
    return QFileDialog::getSaveFileName(activeParent(), QString::fromStdString(title),
                                        QString::fromStdString(suggested),
                                        QString::fromStdString(filter))
        .toStdString();
}
