#include "meeting/cli_zel00400.h"

namespace Cli_zel00400 {

TfrmReuniao* frmReuniao = nullptr;
bool boIdCriado = false;
bool boFiltro = false;
bool boDiaExato = false;
bool boEdit = true;
bool boStateIns = false;
bool boStateEd = false;
std::string stCodLocate;
std::string stStateChange;
std::string stSeq;
std::array<std::string, 3> arr_StParamAtiv;
std::string stDtHrReuniao;
std::string stQtHrReuniao;
std::string stDtHrFinReuniao;
std::string stNovaTarefa;
int nrPrxPlanAtiv = 0;
std::string stOperador;
TDateTime stData = 0;
std::string stReuniao;
std::string stTReuniao = "T";
std::string stSituacao = "_P_A_C_X";
std::string stResp;
std::string stTResp = "T";
std::string stPauta;
std::string stTPauta = "T";
TDateTime dtInicial = 0;
TDateTime dtFinal = 0;
std::string stTData = "T";

namespace {
FilterChoicesProvider& provider() {
    static FilterChoicesProvider p;
    return p;
}
}  // namespace

void Initialization() {
    frmReuniao = nullptr;
    boIdCriado = false;
    boFiltro = false;
    boDiaExato = false;
    boEdit = true;
    boStateIns = false;
    boStateEd = false;
    stCodLocate.clear();
    stStateChange.clear();
    stSeq.clear();
    arr_StParamAtiv = {};
    stDtHrReuniao.clear();
    stQtHrReuniao.clear();
    stDtHrFinReuniao.clear();
    stNovaTarefa.clear();
    nrPrxPlanAtiv = 0;
    stOperador.clear();
    stData = 0;
    ResetListParameters();
    dtInicial = 0;
    dtFinal = 0;
    stTData = "T";
}

void Finalization() {
    frmReuniao = nullptr;
    for (std::string* s : {&stCodLocate, &stStateChange, &stSeq, &stDtHrReuniao, &stQtHrReuniao,
                           &stDtHrFinReuniao, &stNovaTarefa, &stOperador, &stReuniao, &stTReuniao,
                           &stSituacao, &stResp, &stTResp, &stPauta, &stTPauta, &stTData})
        std::string().swap(*s);
    arr_StParamAtiv = {};
    provider() = nullptr;
}

void ResetListParameters() {
    stReuniao.clear();
    stResp.clear();
    stPauta.clear();
    stTReuniao = "T";
    stTResp = "T";
    stTPauta = "T";
    stSituacao = "_P_A_C_X";
}

std::string StatusMessageKey(const std::string& letter) {
    if (letter == "P") return "PEND";
    if (letter == "A") return "AND";
    if (letter == "I") return "PARA";
    if (letter == "C") return "CONC";
    if (letter == "X") return "CANC";
    return {};
}

std::string StatusFilterText(bool pendente, bool andamento, bool cancelada, bool concluida) {
    std::string list = "' '";
    if (pendente) list += ", 'P'";
    if (andamento) list += ", 'A'";
    if (cancelada) list += ", 'X'";
    if (concluida) list += ", 'C'";
    return "IDSITTAREFA IN (" + list + ")";
}

void FillListParameters(const FilterChoices& c) {
    stReuniao = c.stFiltroReuniao;
    stResp = c.stFiltroResp;
    stPauta = c.stFiltroPauta;
    dtInicial = c.dtAberturaDe;
    dtFinal = c.dtAberturaAte;
    stTReuniao = c.todosReuniao ? "T" : "";
    stTResp = c.todosResp ? "T" : "";
    stTPauta = c.todosPauta ? "T" : "";
    stSituacao.clear();
    if (c.boTodas) stSituacao = "_P_A_C_X";
    if (c.boPendente) stSituacao += "_P";
    if (c.boAndamento) stSituacao += "_A";
    if (c.boConcluido) stSituacao += "_C";
    if (c.boCancelado) stSituacao += "_X";
    stTData = (dtInicial > 0 && dtFinal > 0) ? "" : "T";
}

void SetFilterChoicesProvider(FilterChoicesProvider p) {
    provider() = std::move(p);
}

std::optional<FilterChoices> LastFilterChoices() {
    if (!provider()) return std::nullopt;
    return provider()();
}

namespace {
DialogOpeners& openers() {
    static DialogOpeners value;
    return value;
}
}  // namespace

void SetDialogOpeners(DialogOpeners o) {
    openers() = std::move(o);
}

const DialogOpeners& DialogHooks() {
    return openers();
}

}  // namespace Cli_zel00400

namespace {
// Unit initialisation, run when the library holding the unit is loaded; defined after the
// variables of this file, so they exist when it runs. Finalisation is run by the package's
// shut-down (FinProc) while everything is alive, never by a static destructor.
struct UnitInitialization {
    UnitInitialization() { Cli_zel00400::Initialization(); }
};
const UnitInitialization g_unit;
}  // namespace
