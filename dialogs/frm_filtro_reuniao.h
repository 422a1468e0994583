// Unit Cli_zel00404: the meeting filter dialog TfrmFiltroReuniao ("Filtro de Controle de
// Reunião", screen code ZEL00404).
//
// The operator chooses which meetings the meeting window lists: chosen meetings or all, a set
// of statuses, chosen responsible operators or all, chosen agenda items or all, and an
// opening-date range. On confirm the dialog itself asks the server for the matching meetings
// (GetControle) and loads them into the meeting window's cdsControle; its choices are kept in
// rfUltimoFiltro for the window's reload in filter mode and for the next opening.
//
// One instance per process (frmFiltroReuniao), created by CriaFiltroReuniao on first use and
// kept: closing only hides it. It needs the meeting window (Cli_zel00400::frmReuniao) open:
// its connection serves the pick lists and the confirm. GUI thread only.
//
// Handlers are split by concern:
//   frm_filtro_reuniao.cpp          construction, the unit's routines
//   frm_filtro_reuniao_rules.cpp    confirm, cancel, activation, status boxes, lists, options
#pragma once

#include <optional>
#include <string>

#include <QPointer>

#include "base/filter_form_base.h"
#include "base/server_query.h"
#include "meeting/cli_zel00400.h"
#include "platform/data_source.h"
#include "platform/date_time.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QRadioButton;
class TDatePickerEdit;
class TLookupButton;

// The last confirmed choices of the filter dialog.
struct TRecordFilter {
    std::string stFiltroReuniao;
    std::string stFiltroResp;
    std::string stFiltroPauta;
    bool boTodas = false;
    bool boAndamento = true;
    bool boPendente = true;
    bool boConcluido = false;
    bool boCancelado = false;
    TDateTime dtAberturaDe = 0;  // 0: no date
    TDateTime dtAberturaAte = 0;
};

class TfrmFiltroReuniao : public TFilterFormBase {
    Q_OBJECT
  public:
    explicit TfrmFiltroReuniao(QWidget* parent = nullptr);
    ~TfrmFiltroReuniao() override;

    // --- components (all inside grbFiltroPadrao) ---
    QGroupBox* grbReuniao;
    QRadioButton* rbtTdReuniao;
    QRadioButton* rbtListaReuniao;
    TLookupButton* btpReuniao;
    QGroupBox* grbSituacao;
    QCheckBox* ckbTodas;
    QCheckBox* ckbAndamento;
    QCheckBox* ckbConcluido;
    QCheckBox* ckbPendente;
    QCheckBox* ckbCancelado;
    QGroupBox* grbAbertura;
    QLabel* lblDe;
    QLabel* lblAte;
    TDatePickerEdit* depDtAberturaDe;
    TDatePickerEdit* depDtAberturaAte;
    QGroupBox* grbResponsavel;
    QRadioButton* rbtTdResp;
    QRadioButton* rbtListaResp;
    TLookupButton* btpResp;
    QGroupBox* grbPauta;
    QRadioButton* rbtTdPauta;
    QRadioButton* rbtListaPauta;
    TLookupButton* btpPauta;

    // Pick-list queries of the server and their sources.
    TServerQuery qryReuniao{"qryReuniao"};
    TServerQuery qryResp{"qryResp"};
    TServerQuery qryPauta{"qryPauta"};
    TDataSource dtsReuniao{&qryReuniao};
    TDataSource dtsResp{&qryResp};
    TDataSource dtsPauta{&qryPauta};

    // --- members ---
    // The lists being edited: the keys chosen in the pick lists ("'k1','k2'").
    std::string stListaReuniao;
    std::string stListaResp;
    std::string stListaPauta;
    TRecordFilter rfUltimoFiltro;
    bool boConfirmado = false;  // true after a confirm, false after a cancel

    // Text of a message of the dialog's table.
    std::string Msg(const std::string& key) const { return msgPadrao->Msg(key); }

    // --- handlers ---
    void FormCreate() override;
    void FormActivate() override;
    void sbtConfirmaClick() override;
    void sbtCancelClick() override;
    void btfSaveOpcClick() override;
    void btfLoadOpcClick() override;
    void ckbTodasClick();
    void ckbStatusClick();  // ckbAndamento, ckbConcluido, ckbPendente, ckbCancelado
    void rbtTdReuniaoClick();
    void rbtListaReuniaoClick();
    void rbtTdRespClick();
    void rbtListaRespClick();
    void rbtTdPautaClick();
    void rbtListaPautaClick();
    void btpReuniaoClick();
    void btpRespClick();
    void btpPautaClick();
    void depDtAberturaExit(TDatePickerEdit* edit);

    // The status set the confirm sends: "_P_A_C_X" with "Todas", then "_A", "_C", "_P", "_X"
    // for each box checked, in this order.
    std::string SituacaoSelecionada() const;

    // The choices of the last confirm, as the meeting window's reload in filter mode reads
    // them (with the current "Todos" radio buttons).
    Cli_zel00400::FilterChoices UltimoFiltro() const;

  private:
    void buildReuniaoGroup();
    void buildSituacaoGroup();
    void buildAberturaGroup();
    void buildResponsavelGroup();
    void buildPautaGroup();
    void declareQueries();
    void attachHandlers();

    void Atualiza_Tela();
    void Atualiza_Filtro();
    void ValidaFiltro();
    void CarregaReunioes();
    // Focuses `control`, shows the dialog's message `key` and ends the operation.
    [[noreturn]] void Falha(QWidget* control, const std::string& key);
    TServerConnection& Conexao() const;
};

namespace Cli_zel00404 {

// The single instance (nullptr until the first opening).
extern QPointer<TfrmFiltroReuniao> frmFiltroReuniao;
// False when the instance is created, set true at the start of every confirm.
extern bool boConfirma;

// Opens the filter dialog modally (creating it on first use) and returns boConfirma. The
// meeting window decides by frmFiltroReuniao->boConfirmado, not by this value.
bool CriaFiltroReuniao();

// Opens the dialog and tells whether this opening ended confirmed (the meeting window's
// opener of the filter dialog).
bool AbreFiltroReuniao();

// The last confirmed choices for the meeting window; nullopt while there is no instance.
std::optional<Cli_zel00400::FilterChoices> UltimoFiltro();

// Unit finalisation: destroys the instance (while the application object exists) and resets
// boConfirma. The next CriaFiltroReuniao builds a new one.
void Finalization();

}  // namespace Cli_zel00404
