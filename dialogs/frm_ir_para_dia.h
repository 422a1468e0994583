// Unit Cli_zel00405: the go-to-day dialog TfrmIrParaDia ("Ir para dia", screen code ZEL00405).
//
// The operator picks one day on a month calendar; the meeting window's "Ir Para" then lists
// the meetings of that day. Every opening starts at the server's today (the meeting window's
// HoraServidor). The calendar offers the twenty years before and after the server's today.
//
// One instance per process (frmIrParaDia), created by CriaIrParaDia on first use and kept.
// GUI thread only.
#pragma once

#include <QDialog>
#include <QPointer>
#include <cstdint>
#include <string>

#include "platform/date_time.h"

class QCalendarWidget;
class QLabel;
class QPushButton;

class TfrmIrParaDia : public QDialog {
    Q_OBJECT
  public:
    // Years the calendar offers on each side of the server's today.
    static constexpr int kAnosNoCalendario = 20;

    explicit TfrmIrParaDia(QWidget* parent = nullptr);
    ~TfrmIrParaDia() override;

    QCalendarWidget* mtcData;
    QPushButton* bitConfirma;  // default button (Enter)
    QPushButton* bitCancela;   // Esc
    QPushButton* bitAtual;     // "Dia Atual"
    QLabel* lblCodTela;        // hidden

    // The calendar's date.
    TDateTime DataSelecionada() const;
    void SelecionaData(TDateTime date);

    // --- handlers ---
    // Puts the calendar at the server's today (its range around it).
    void FormActivate();
    void bitAtualClick();
    void bitConfirmaClick();  // also the calendar's double click
    void bitCancelaClick();

    // Esc and the title bar close like "Cancela".
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void mostraHoje();
};

namespace Cli_zel00405 {

// The single instance (nullptr until the first opening).
extern QPointer<TfrmIrParaDia> frmIrParaDia;
// Whether the instance was created.
extern bool boIrParaDiaCriado;
// The chosen day as text (DateToStr), "" when the last opening was not confirmed.
extern std::string stDataEscolhida;

// Opens the dialog modally and returns the chosen day as DateToStr text, "" when the operator
// did not confirm. The year, month and day of the list's current day are neither read nor
// changed. A failure is shown once and gives "".
std::string CriaIrParaDia(uint16_t& year, uint16_t& month, uint16_t& day);

// Unit finalisation: destroys the instance (while the application object exists).
void Finalization();

}  // namespace Cli_zel00405
