// Unit Cli_zel00403: the automatic participant registration TfrmRotiPart ("Cadastramento
// Automático", screen code ZEL00403).
//
// The operator picks participants from a check list; on confirmation the dialog books, for
// each of them in the order the server lists them, a meeting-participation activity of the
// current meeting (the first row of the meeting's activity template gives the process and the
// work item), then reloads the meeting window's activities and closes. The meeting's start and
// duration come from the current meeting; its end from the window's end-date and end-time
// controls. A failure part-way stops there: the participants already booked stay booked and
// the dialog stays open.
//
// It needs the meeting window (Cli_zel00400::frmReuniao) open: its connection serves every
// call. Each CriaRotiParticipa builds a new instance (frmRotiPart). GUI thread only.
#pragma once

#include <QPointer>
#include <string>

#include "base/routine_form_base.h"
#include "platform/client_data_set.h"
#include "platform/data_source.h"

class QGroupBox;
class QRadioButton;
class TLookupButton;
class TfrmReuniao;

class TfrmRotiPart : public TRoutineForm {
    Q_OBJECT
  public:
    explicit TfrmRotiPart(QWidget* parent = nullptr);
    ~TfrmRotiPart() override;

    // --- components (inside grbDadosRel) ---
    QGroupBox* grbParticipantes;
    QRadioButton* rbtTodos;  // disabled: only a chosen list can be registered
    QRadioButton* rbtLista;
    TLookupButton* btnPart;

    TClientDataSet cdsPesqPart{"cdsPesqPart"};
    TDataSource dtsPesqPart{&cdsPesqPart};
    TClientDataSet cdsCarAtividade{"cdsCarAtividade"};
    TClientDataSet cdsAuxPart{"cdsAuxPart"};

    // The chosen participants' codes as the pick list returns them ("'k1','k2'").
    std::string stListaPart;

    // --- handlers ---
    void btnPartClick();
    void sbtConfirmaClick() override;
    // Base close, then the chosen list is forgotten.
    void FormClose() override;

  private:
    // The open meeting window (Exception when there is none).
    static TfrmReuniao& meetingWindow();
    // Books one participant (the current row of cdsAuxPart).
    void bookParticipant(TfrmReuniao& w, const std::string& process, const std::string& item);
};

namespace Cli_zel00403 {

// The current instance (nullptr before the first opening).
extern QPointer<TfrmRotiPart> frmRotiPart;

// Builds a new dialog (the previous one goes) and shows it modally. A failure is shown once.
void CriaRotiParticipa();

// Unit finalisation: destroys the instance (while the application object exists).
void Finalization();

}  // namespace Cli_zel00403
