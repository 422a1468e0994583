#include "dialogs/frm_roti_part.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>

#include "base/date_picker_edit.h"
#include "base/db_edit.h"
#include "base/dialogs.h"
#include "base/guard.h"
#include "base/login_context.h"
#include "base/lookup_button.h"
#include "base/mask_edit.h"
#include "meeting/busy_scope.h"
#include "meeting/cli_zel00400.h"
#include "meeting/frm_reuniao.h"
#include "messages/message_tables.h"
#include "server/check_server_result.h"

namespace {

constexpr TFieldType S = TFieldType::ftString;

void Declare(TClientDataSet& ds, const char* name, int size, const char* label = "",
             TFieldType type = S) {
    TField& f = ds.AddField(name, type, size);
    if (*label) f.SetDisplayLabel(label);
}

}  // namespace

TfrmRotiPart::TfrmRotiPart(QWidget* parent) : TRoutineForm(parent) {
    setObjectName("frmRotiPart");
    setWindowTitle(QStringLiteral("Cadastramento Automático"));
    lblCodTela->setText(QStringLiteral("ZEL00403"));
    msgPadrao = &ParticipantRegistrationMessages();

    grbParticipantes = new QGroupBox(QStringLiteral("Participantes"), grbDadosRel);
    grbParticipantes->setObjectName("grbParticipantes");
    auto* row = new QHBoxLayout(grbParticipantes);
    rbtTodos = new QRadioButton(QStringLiteral("Todos"), grbParticipantes);
    rbtTodos->setObjectName("rbtTodos");
    rbtTodos->setEnabled(false);
    rbtLista = new QRadioButton(QStringLiteral("Lista"), grbParticipantes);
    rbtLista->setObjectName("rbtLista");
    rbtLista->setChecked(true);
    btnPart = new TLookupButton(grbParticipantes);
    btnPart->setObjectName("btnPart");
    btnPart->setToolTip(QStringLiteral("Participantes"));
    btnPart->OnClick = [this] { btnPartClick(); };
    row->addWidget(rbtTodos);
    row->addWidget(rbtLista);
    row->addWidget(btnPart);
    row->addStretch(1);
    grbDadosRelLayout->addWidget(grbParticipantes);
    grbDadosRelLayout->addStretch(1);

    Declare(cdsPesqPart, "IDMARCADO", 1, "", TFieldType::ftFixedChar);
    cdsPesqPart.FieldByName("IDMARCADO").SetReadOnly(true);
    Declare(cdsPesqPart, "CDOPERADOR", 12, "Código");
    Declare(cdsPesqPart, "NMOPERADOR", 40, "Nome");
    for (auto [name, size] : {std::pair{"CDPROCESSO", 10},
                              {"CDNVPROCESSO", 1},
                              {"CDARVPROCESS", 20},
                              {"NMPROCESSO", 100},
                              {"IDTPPROCESSO", 1},
                              {"CDSETOR", 4},
                              {"IDPROREUNIAO", 1},
                              {"CDITEMTRAB", 10}})
        Declare(cdsCarAtividade, name, size);
    Declare(cdsAuxPart, "CDOPERADOR", 12);
    Declare(cdsAuxPart, "NMOPERADOR", 40);
    resize(320, 140);
    Create();
}

TfrmRotiPart::~TfrmRotiPart() = default;

TfrmReuniao& TfrmRotiPart::meetingWindow() {
    if (!Cli_zel00400::frmReuniao)
        throw Exception("A janela de Controle de Reunião não está aberta.");
    return *Cli_zel00400::frmReuniao;
}

void TfrmRotiPart::btnPartClick() {
    TfrmReuniao& w = meetingWindow();
    cdsPesqPart.SetData(CheckServerResult(
        w.netReuniao.AppServer().Call("GetCadOperPart", {Arg(""), Arg("T")}), true, 0));
    MultiSelectDialog(dtsPesqPart, "CDOPERADOR",
                      msgPadrao->Msg("PART") + "|" + msgPadrao->Msg("PARTINV"), stListaPart);
}

void TfrmRotiPart::sbtConfirmaClick() {
    TfrmReuniao& w = meetingWindow();
    TServerConnection& net = w.netReuniao;
    const std::string meeting = w.cdsControle.FieldByName("NRTAREFA").AsString();
    cdsCarAtividade.SetData(CheckServerResult(
        net.AppServer().Call("GetCarAtividades",
                             {Arg(w.cdsControle.FieldByName("CDFILIAL").AsString()), Arg(meeting),
                              Arg(w.dbeProcesso->Text())}),
        true, 0));
    // Only the template's first row is booked; without one, process and work item go empty.
    cdsCarAtividade.First();
    const std::string process = cdsCarAtividade.FieldByName("CDPROCESSO").AsString();
    const std::string item = cdsCarAtividade.FieldByName("CDITEMTRAB").AsString();
    // An empty list comes back as no participant: nobody is booked, the reload still runs.
    cdsAuxPart.SetData(
        CheckServerResult(net.AppServer().Call("GetAuxPart", {ArgRef(stListaPart)}), true, 0));
    for (cdsAuxPart.First(); !cdsAuxPart.Eof(); cdsAuxPart.Next())
        bookParticipant(w, process, item);
    w.cdsAtividades.SetData(CheckServerResult(
        net.AppServer().Call("GetAtividades", {Arg(CurrentBranch()), Arg(meeting)}), true, 0));
    CloseRoutine();
}

void TfrmRotiPart::bookParticipant(TfrmReuniao& w, const std::string& process,
                                   const std::string& item) {
    TServerConnection& net = w.netReuniao;
    const std::string meeting = w.cdsControle.FieldByName("NRTAREFA").AsString();
    // A failed call raises; a successful number is taken as it comes.
    std::string number =
        net.AppServer().Call("GetPrxPlanAtivTare", {Arg(CurrentBranch()), Arg(meeting)}).AsString();
    // The end as the window shows it: its end date and its end time. A blank or invalid one
    // raises EConvertError before anything of this participant is written.
    const TDateTime end = StrToDateTime(DateToStr(w.depDataFin->GetDate()) + " " +
                                        TimeToStr(StrToTime(w.medHoraFin->Text())));
    CheckServerResult(
        net.AppServer().Call(
            "GetInsCadAtiv",
            {Arg(CurrentBranch()), Arg(meeting), ArgRef(number), Arg(process),
             ArgDate(w.HoraServidor()), Arg(cdsAuxPart.FieldByName("CDOPERADOR").AsString()),
             ArgDate(w.cdsControle.FieldByName("DTHRREUNIAO").AsDateTime()), ArgDate(end),
             Arg(w.cdsControle.FieldByName("QTHRREUNIAO").AsString()), Arg(item)}),
        true, 0);
}

void TfrmRotiPart::FormClose() {
    TRoutineForm::FormClose();
    stListaPart.clear();
}

namespace Cli_zel00403 {

QPointer<TfrmRotiPart> frmRotiPart;

void CriaRotiParticipa() {
    Guard([] {
        {
            reuniao::HourglassCursor hourglass;
            delete frmRotiPart.data();
            QWidget* owner =
                Cli_zel00400::frmReuniao ? Cli_zel00400::frmReuniao->window() : nullptr;
            frmRotiPart = new TfrmRotiPart(owner);
        }
        frmRotiPart->exec();
    });
}

void Finalization() {
    if (frmRotiPart && QCoreApplication::instance()) delete frmRotiPart.data();
    frmRotiPart = nullptr;
}

}  // namespace Cli_zel00403
