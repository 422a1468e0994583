// The activities that follow a saved meeting: a new meeting books the operator's activities,
// one per process the server returns for the meeting's process; an edited meeting carries
// its new times into its pending participation activities.
#include "base/date_picker_edit.h"
#include "base/login_context.h"
#include "base/mask_edit.h"
#include "meeting/cli_zel00400.h"
#include "meeting/date_time_rules.h"
#include "meeting/frm_reuniao.h"
#include "platform/routines.h"
#include "server/check_server_result.h"

using namespace Cli_zel00400;

void TfrmReuniao::GravaAtividade() {
    cdsCarregaAtividade.SetData(CheckServerResult(
        netReuniao.AppServer().Call("GetCarregaAtividade", {ArgRef(stArvProcReuniao)}), true, 0));
    const std::string meeting = cdsControle.FieldByName("NRTAREFA").AsString();
    for (cdsCarregaAtividade.First(); !cdsCarregaAtividade.Eof(); cdsCarregaAtividade.Next()) {
        nrPrxPlanAtiv =
            static_cast<int>(netReuniao.AppServer()
                                 .Call("GetPrxPlanAtivTare", {Arg(CurrentBranch()), Arg(meeting)})
                                 .AsInteger());
        const bool participation =
            cdsCarregaAtividade.FieldByName("IDPROREUNIAO").AsString() == "S";
        std::vector<CallArg> args = {
            Arg(CurrentBranch()),    ArgRef(stNovaTarefa),
            ArgRef(nrPrxPlanAtiv),   Arg(cdsCarregaAtividade.FieldByName("CDPROCESSO").AsString()),
            ArgDate(HoraServidor()), Arg(CurrentOperator()),
            Arg(CurrentOperator())};
        if (participation) {
            // The participation carries the meeting's start, end and duration.
            args.push_back(ArgDate(StrToDateTime(arr_StParamAtiv[0])));
            args.push_back(ArgDate(StrToDateTime(arr_StParamAtiv[1])));
            args.push_back(ArgRef(arr_StParamAtiv[2]));
        } else {
            args.insert(args.end(), {Arg(""), Arg(""), Arg("")});
        }
        CheckServerResult(netReuniao.AppServer().Call("GetInsereAtiv", args), true, 0);
    }
    CarregaAtividades();

    cdsControle.DisableControls();
    struct Resume {
        TClientDataSet& cds;
        ~Resume() { cds.EnableControls(); }
    } resume{cdsControle};
    const std::string current = cdsControle.FieldByName("NRTAREFA").AsString();
    if (boDiaExato)
        CarregaControle();
    else
        Atualiza();
    cdsControle.Locate("NRTAREFA", {Variant(current)}, {loCaseInsensitive});
}

void TfrmReuniao::AlteraAtividade() {
    cdsAlteraAtiv.SetData(CheckServerResult(
        netReuniao.AppServer().Call("GetAlteraAtiv",
                                    {Arg(cdsControle.FieldByName("NRTAREFA").AsString()),
                                     Arg(cdsControle.FieldByName("CDFILIAL").AsString())}),
        true, 0));
    const TDateTime end = typedEnd();
    for (cdsAlteraAtiv.First(); !cdsAlteraAtiv.Eof(); cdsAlteraAtiv.Next()) {
        auto row = [this](const char* field) {
            return cdsAlteraAtiv.FieldByName(field).AsString();
        };
        CheckServerResult(
            netReuniao.AppServer().Call(
                "GetUpdAtiv",
                {Arg(row("CDPROCESSO")), Arg(row("CDOPERRESP")), ArgDate(end),
                 ArgDate(cdsControle.FieldByName("DTHRREUNIAO").AsDateTime()),
                 Arg(FloatToStr(cdsControle.FieldByName("QTHRREUNIAO").AsFloat())),
                 ArgDate(HoraServidor()), Arg(CurrentOperator()), Arg(row("CDITEMTRAB")),
                 Arg(cdsControle.FieldByName("CDFILIAL").AsString()),
                 Arg(cdsControle.FieldByName("NRTAREFA").AsString()), Arg(row("NRPLATIVTARE"))}),
            true, 0);
    }
    CarregaAtividades();
}
