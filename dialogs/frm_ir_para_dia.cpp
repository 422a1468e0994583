#include "dialogs/frm_ir_para_dia.h"

#include <QCalendarWidget>
#include <QCoreApplication>
#include <QDate>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMainWindow>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "base/application_window.h"
#include "base/busy_scope.h"
#include "base/guard.h"
#include "meeting/cli_zel00400.h"
#include "meeting/frm_reuniao.h"
#include "platform/exceptions.h"

namespace {

QDate ToQDate(TDateTime value) {
    const DateParts p = DecodeDate(value);
    return QDate(p.year, p.month, p.day);
}

TDateTime FromQDate(const QDate& d) {
    return EncodeDate(d.year(), d.month(), d.day());
}

QPushButton* button(QWidget* parent, const char* name, const char* text) {
    auto* b = new QPushButton(QString::fromUtf8(text), parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

}  // namespace

TfrmIrParaDia::TfrmIrParaDia(QWidget* parent) : QDialog(parent) {
    setObjectName("frmIrParaDia");
    setWindowTitle(QStringLiteral("Ir para dia"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    mtcData = new QCalendarWidget(this);
    mtcData->setObjectName("mtcData");
    mtcData->setLocale(QLocale(QLocale::Portuguese, QLocale::Brazil));
    mtcData->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    mtcData->setGridVisible(false);
    layout->addWidget(mtcData);

    auto* buttons = new QHBoxLayout;
    bitAtual = button(this, "bitAtual", "Dia Atual");
    bitConfirma = button(this, "bitConfirma", "OK");
    bitCancela = button(this, "bitCancela", "Cancelar");
    bitConfirma->setDefault(true);
    bitConfirma->setAutoDefault(true);
    bitAtual->setAutoDefault(false);
    bitCancela->setAutoDefault(false);
    buttons->addWidget(bitAtual);
    buttons->addStretch(1);
    buttons->addWidget(bitConfirma);
    buttons->addWidget(bitCancela);
    layout->addLayout(buttons);

    lblCodTela = new QLabel(QStringLiteral("ZEL00405"), this);
    lblCodTela->setObjectName("lblCodTela");
    lblCodTela->setVisible(false);

    connect(bitAtual, &QPushButton::clicked, this, [this] { Guard([this] { bitAtualClick(); }); });
    connect(bitConfirma, &QPushButton::clicked, this,
            [this] { Guard([this] { bitConfirmaClick(); }); });
    connect(bitCancela, &QPushButton::clicked, this,
            [this] { Guard([this] { bitCancelaClick(); }); });
    // A double click (or Enter) on a day confirms it.
    connect(mtcData, &QCalendarWidget::activated, this,
            [this] { Guard([this] { bitConfirmaClick(); }); });
}

TfrmIrParaDia::~TfrmIrParaDia() = default;

TDateTime TfrmIrParaDia::DataSelecionada() const {
    return FromQDate(mtcData->selectedDate());
}

void TfrmIrParaDia::SelecionaData(TDateTime date) {
    mtcData->setSelectedDate(ToQDate(date));
}

// The range follows the server's today, so today and the years around it can always be
// picked, whatever the server's date.
void TfrmIrParaDia::mostraHoje() {
    if (!Cli_zel00400::frmReuniao)
        throw Exception("A janela de Controle de Reunião não está aberta.");
    const QDate hoje = ToQDate(Cli_zel00400::frmReuniao->HoraServidor());
    mtcData->setDateRange(hoje.addYears(-kAnosNoCalendario), hoje.addYears(kAnosNoCalendario));
    mtcData->setSelectedDate(hoje);
    mtcData->setCurrentPage(hoje.year(), hoje.month());
}

void TfrmIrParaDia::FormActivate() {
    mostraHoje();
}

void TfrmIrParaDia::bitAtualClick() {
    mostraHoje();
}

void TfrmIrParaDia::bitConfirmaClick() {
    Cli_zel00405::stDataEscolhida = DateToStr(DataSelecionada());
    accept();
}

void TfrmIrParaDia::bitCancelaClick() {
    QDialog::reject();
    Cli_zel00405::stDataEscolhida.clear();
}

void TfrmIrParaDia::reject() {
    Guard([this] { bitCancelaClick(); });
    if (isVisible()) QDialog::reject();
}

void TfrmIrParaDia::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) Guard([this] { FormActivate(); });
}

namespace Cli_zel00405 {

QPointer<TfrmIrParaDia> frmIrParaDia;
bool boIrParaDiaCriado = false;
std::string stDataEscolhida;

std::string CriaIrParaDia(uint16_t&, uint16_t&, uint16_t&) {
    stDataEscolhida.clear();
    Guard([] {
        {
            HourglassCursor hourglass;
            if (!frmIrParaDia) {
                frmIrParaDia = new TfrmIrParaDia(ApplicationMainWindow());
                boIrParaDiaCriado = true;
            }
        }
        frmIrParaDia->exec();
    });
    return stDataEscolhida;
}

void Finalization() {
    if (frmIrParaDia && QCoreApplication::instance()) delete frmIrParaDia.data();
    frmIrParaDia = nullptr;
    boIrParaDiaCriado = false;
    stDataEscolhida.clear();
}

}  // namespace Cli_zel00405
