#include "meeting/reuniao_datasets.h"

namespace reuniao {

namespace {

constexpr TFieldType S = TFieldType::ftString;
constexpr TFieldType FC = TFieldType::ftFixedChar;
constexpr TFieldType DT = TFieldType::ftDateTime;
constexpr TFieldType F = TFieldType::ftFloat;
constexpr TFieldType I = TFieldType::ftInteger;
constexpr TFieldType MEMO = TFieldType::ftMemo;

// Flags of the fields that only locate a row on update, and of the key fields.
constexpr unsigned kWhereOnly = pfInWhere;
constexpr unsigned kKey = pfInUpdate | pfInWhere | pfInKey;
constexpr unsigned kDefault = pfInUpdate | pfInWhere;

// The dataset default for string fields declared without a size.
constexpr int kDefaultStringSize = 20;

// A field hidden from grids and pick lists.
FieldSpec hidden(std::string name, TFieldType type, int size = 0, std::string label = {}) {
    return {std::move(name), type, size, std::move(label), {}, false, kDefault};
}

}  // namespace

void DeclareFields(TClientDataSet& dataSet, const std::vector<FieldSpec>& fields) {
    for (const FieldSpec& spec : fields) {
        int size = spec.size;
        if (size == 0 && (spec.type == S || spec.type == FC)) size = kDefaultStringSize;
        TField& f = dataSet.AddField(spec.name, spec.type, size);
        if (!spec.label.empty()) f.SetDisplayLabel(spec.label);
        if (!spec.mask.empty()) f.SetEditMask(spec.mask);
        f.SetVisible(spec.visible);
        f.SetProviderFlags(spec.flags);
    }
}

void DeclareControle(TClientDataSet& cds) {
    DeclareFields(cds, {
                           {"CDFILIAL", S, 4, "", "", false, kKey},
                           {"NRTAREFA", S, 10, "Reunião", "9999999999;0; ", true, kKey},
                           {"DSREFETAREFA", S, 100, "Referência"},
                           hidden("CDPROCESSO", S, 10),
                           {"CDOPERRESP", S, 12, "Responsável"},
                           hidden("CDPROJETO", S, 10),
                           hidden("NMPROJETO", S, 100),
                           hidden("NMOPERADOR", S, 40),
                           hidden("CDASSUNTO", S, 5),
                           {"CDOPERABER", S, 12, "Operador de Abertura"},
                           hidden("DTABERTAREFA", DT),
                           hidden("IDSITTAREFA", S, 1, "Sit."),
                           hidden("IDORIGTARE", S, 1),
                           {"DTHRREUNIAO", DT, 0, "Data/Hora Reunião", "!90/90/00 90:00:00;1; "},
                           hidden("QTHRREUNIAO", F),
                           hidden("CDARVPROCESS", S, 20),
                           hidden("NMPROCESSO", S, 100),
                           hidden("NMASSUNTO", S, 50),
                           hidden("NMOPERABER", S, 40, "Operador de Abertura"),
                           {"DESCRICAO", S, 111, "", "", false, kWhereOnly},
                           {"DATA", DT, 0, "", "", false, kWhereOnly},
                           hidden("CDSALA", S, 5),
                           {"HORA", S, 5, "", "", false, kWhereOnly},
                           // The series the meeting belongs to: the server's to set, so it
                           // only travels.
                           {"NRSERIETARE", S, 10, "Série", "", false, 0},
                           // Who changed the meeting last, from its history: only travels.
                           {"NMOPERULTALT", S, 40, "Alterada por", "", false, 0},
                       });
}

void DeclareAgeAtiviSala(TClientDataSet& cds) {
    DeclareFields(cds, {
                           {"CDFILIAL", S, 4},
                           {"NRTAREFA", S, 10},
                           {"CDSALA", S, 5},
                           {"NMSALA", S, 30},
                           {"DTATIAGESALA", DT},
                           {"NRSEQAGESALA", S, 5},
                           {"IDSITAGESALA", S, 1},
                           {"DSAGENDASALA", S, 1000},
                           {"DTINCAGESALA", DT},
                           {"HRINIAGESALA", S, 4},
                           {"CDOPERADOR", S, 12},
                           {"HRFINAGESALA", S, 4},
                       });
}

void DeclareSalas(TClientDataSet& cds) {
    DeclareFields(cds, {
                           hidden("CDFILIAL", S, 4),
                           {"CDSALA", S, 5, "Código"},
                           {"NMSALA", S, 30, "Nome"},
                       });
    cds.FieldByName("NMSALA").SetDisplayWidth(45);
    cds.SetIndexFieldNames("CDSALA");  // idxCdSala
}

void DeclareSalasLivres(TClientDataSet& cds) {
    DeclareFields(cds, {
                           hidden("CDFILIAL", S, 4),
                           {"CDSALA", S, 5, "Código"},
                           {"NMSALA", S, 30, "Nome"},
                           {"QTCAPACSALA", I, 0, "Lugares"},
                           {"DSEQUIPSALA", S, 700, "Equipamentos"},
                           hidden("IDCABE", S, 1),
                       });
    cds.FieldByName("NMSALA").SetDisplayWidth(30);
    cds.FieldByName("QTCAPACSALA").SetDisplayWidth(7);
    cds.FieldByName("DSEQUIPSALA").SetDisplayWidth(40);
}

void DeclareVdSala(TClientDataSet& cds) {
    DeclareFields(cds, {{"CDSALA", S, 5}, {"NMSALA", S, 30}});
}

void DeclarePesqSala(TClientDataSet& cds) {
    DeclareFields(cds, {{"CDSALA", S, 5}, {"NMSALA", S, 30}});
}

void DeclareSeqSalas(TClientDataSet& cds) {
    DeclareFields(cds, {{"NRSEQAGESALA", F}});
}

void DeclareDadosSalas(TClientDataSet& cds) {
    DeclareFields(cds, {
                           {"CDFILIAL", S, 4},
                           {"CDSALA", S, 5},
                           {"DTATIAGESALA", DT},
                           {"NRSEQAGESALA", S, 5},
                           {"HRINIAGESALA", S, 4},
                           {"HRFINAGESALA", S, 4},
                       });
}

void DeclareAuxAtiv(TClientDataSet& cds) {
    DeclareFields(cds, {
                           {"CDFILIAL", S, 4},
                           {"NRTAREFA", S, 10},
                           {"IDPROREUNIAO", S, 1},
                           {"IDSITATIVTAR", S, 1},
                       });
}

void DeclareProcesso(TClientDataSet& cds) {
    DeclareFields(cds, {
                           {"CDPROCESSO", S, 10, "Código"},
                           hidden("CDNVPROCESSO", S, 1),
                           hidden("CDARVPROCESS", S, 20),
                           {"NMPROCESSO", S, 100, "Nome"},
                           hidden("IDTPPROCESSO", S, 1),
                           {"CDSETOR", S, 4, "Setor"},
                       });
}

void DeclareAssunto(TClientDataSet& cds) {
    DeclareFields(cds, {
                           {"CDASSUNTO", S, 5, "Código"},
                           {"NMASSUNTO", S, 50, "Nome"},
                           hidden("IDORIGOBRSOL", S, 1),
                           hidden("IDPAUTVERPLA", S, 1),
                           hidden("QTSEGAVIASSU", F),
                           hidden("CDNATUASSU", S, 5),
                           hidden("DTULTATUTASS", DT),
                       });
}

void DeclareProjeto(TClientDataSet& cds) {
    DeclareFields(cds, {{"CDPROJETO", S, 10, "Código"}, {"NMPROJETO", S, 100, "Nome"}});
}

void DeclareResp(TClientDataSet& cds) {
    DeclareFields(cds, {{"CDOPERADOR", S, 12, "Código"}, {"NMOPERADOR", S, 40, "Nome"}});
}

void DeclareVdResp(TClientDataSet& cds) {
    DeclareFields(cds, {{"CDOPERADOR", S, 12}, {"NMOPERADOR", S, 40}});
}

void DeclareAtividades(TClientDataSet& cds) {
    const std::string dateMask = "!99/99/0000 90:00:00>;1; ";
    DeclareFields(cds, {
                           {"NRPLATIVTARE", S, 5, "", "", false, kKey},
                           {"CDARVPROCESS", S, 20, "Processo"},
                           {"CDARVITTRAB", S, 20, "Item de Trabalho"},
                           {"CDOPERRESP", S, 12, "Participante"},
                           hidden("CDPROCESSO", S, 10),
                           {"DTINPATIVTAR", DT, 0, "Data/Hora Início", dateMask},
                           {"QTHRPATIVTARE", S, 6, "Qtde. Horas", "9999:99;0; ", true, kWhereOnly},
                           {"DTFIPATIVTAR", DT, 0, "Data/Hora Final", dateMask},
                           hidden("NMPROCESSO", S, 100),
                           hidden("NMOPERADOR", S, 40),
                           hidden("IDPROREUNIAO", S, 1),
                           {"CDFILIAL", S, 4, "", "", false, kKey},
                           {"NRTAREFA", S, 10, "", "", false, kKey},
                           {"QTHORAS", FC, 6, "", "", false, kWhereOnly},
                           hidden("DTINCATIVTAR", DT),
                           hidden("CDOPERINCL", S, 12),
                           hidden("QTHRPATIVTAR", F),
                           {"IDSITATIVTAR", S, 1, "Sit."},
                           hidden("IDOPERPAREUNIAO", S, 1),
                           hidden("CDITEMTRAB", S, 10),
                           hidden("NMITEMTRAB", S, 100),
                       });
}

void DeclareValOper(TClientDataSet& cds) {
    DeclareFields(cds, {{"CDOPERADOR", S, 12}, {"NMOPERADOR", S, 40}});
}

void DeclareValProc(TClientDataSet& cds) {
    DeclareFields(cds, {
                           {"CDPROCESSO", S, 10},
                           {"CDARVPROCESS", S, 20},
                           {"CDNVPROCESSO", S, 1},
                           {"NMPROCESSO", S, 100},
                       });
}

void DeclareValPesqItTrab(TClientDataSet& cds) {
    DeclareFields(cds, {
                           {"CDITEMTRAB", S, 10},
                           {"NMITEMTRAB", S, 100},
                           {"CDARVITTRAB", S, 20},
                       });
}

void DeclareItemTarefa(TClientDataSet& cds) {
    DeclareFields(cds, {
                           {"NRSEQUITTARE", S, 10, "Código", "", true, kKey},
                           {"DSREFEITTARE", S, 100, "Assunto"},
                           {"NRPRIOITTARE", S, 3, "Prioridade", "999;0; "},
                           {"CDOPERRESP", S, 12, "Responsável", "999999999999;0; "},
                           {"DTINCLITTARE", DT, 0, "Data Inclusão"},
                           hidden("TXPLANITTARE", S, 2000, "Observação"),
                           hidden("NMOPERADOR", S, 40, "Operador de Inclusão"),
                           {"CDFILIAL", S, 4, "", "", false, kKey},
                           {"NRTAREFA", S, 10, "", "", false, kKey},
                           {"CDOPERADOR", S, 12, "Operador Inclusão"},
                           hidden("NMOPERRESP", S, 40),
                       });
}

void DeclareDescItTare(TClientDataSet& cds) {
    DeclareFields(cds, {
                           {"CDFILIAL", S, 4, "", "", true, kKey},
                           {"NRTAREFA", S, 10, "", "", true, kKey},
                           {"NRSEQUITTARE", S, 10, "", "", true, kKey},
                           {"TXDESCITTARE", MEMO},
                       });
}

void DeclarePesqOper(TClientDataSet& cds) {
    DeclareFields(cds, {{"CDOPERADOR", S, 12, "Código"}, {"NMOPERADOR", S, 40, "Nome"}});
}

void DeclareTestaReuniao(TClientDataSet& cds) {
    DeclareFields(cds, {{"DSREFETAREFA", S, 100}, {"IDSITTAREFA", S, 1}});
}

void DeclareAtivReuniao(TClientDataSet& cds) {
    DeclareFields(cds, {
                           {"NMPROCTARE", S, 100},
                           {"CDOPERRESP", S, 12},
                           {"NMOPERATIV", S, 40},
                           {"DTHRREUNIAO", DT},
                           {"DSREFETAREFA", S, 100},
                       });
}

void DeclarePesqProc(TClientDataSet& cds) {
    DeclareFields(cds, {
                           {"CDPROCESSO", S, 10, "Código"},
                           hidden("CDARVPROCESS", S, 20),
                           hidden("CDNVPROCESSO", S, 1),
                           {"NMPROCESSO", S, 100, "Nome"},
                       });
}

void DeclarePesqPart(TClientDataSet& cds) {
    DeclareFields(cds, {{"NMOPERADOR", S, 40, "Nome"}, {"CDOPERADOR", S, 12, "Código"}});
}

void DeclarePesqItemTrab(TClientDataSet& cds) {
    DeclareFields(cds, {
                           {"CDITEMTRAB", S, 10, "Código"},
                           {"NMITEMTRAB", S, 100, "Nome"},
                           hidden("CDARVITTRAB", S, 20),
                       });
}

void DeclareAtividadesAux(TClientDataSet& cds) {
    DeclareFields(cds, {
                           {"CDFILIAL", S, 4},      {"NRTAREFA", S, 10},     {"NRPLATIVTARE", S, 5},
                           {"CDPROCESSO", S, 10},   {"CDOPERRESP", S, 12},   {"DTFIPATIVTAR", DT},
                           {"DTINPATIVTAR", DT},    {"QTHRPATIVTARE", S, 6}, {"QTHRPATIVTAR", F},
                           {"CDARVPROCESS", S, 20}, {"NMPROCESSO", S, 100},  {"NMOPERADOR", S, 40},
                           {"IDPROREUNIAO", S, 1},  {"QTHORAS", FC, 6},      {"DTINCATIVTAR", DT},
                           {"CDOPERINCL", S, 12},   {"IDSITATIVTAR", S, 1},  {"CDITEMTRAB", S, 10},
                           {"CDARVITTRAB", S, 20},  {"NMITEMTRAB", S, 100},
                       });
}

void DeclareCarregaAtividade(TClientDataSet& cds) {
    DeclareFields(cds, {
                           {"CDPROCESSO", S, 10},
                           {"CDNVPROCESSO", S, 1},
                           {"CDARVPROCESS", S, 20},
                           {"NMPROCESSO", S, 100},
                           {"IDTPPROCESSO", S, 1},
                           {"CDSETOR", S, 4},
                           {"IDPROREUNIAO", S, 1},
                       });
}

void DeclareAlteraAtiv(TClientDataSet& cds) {
    DeclareFields(cds, {
                           {"CDFILIAL", S, 4},
                           {"NRTAREFA", S, 10},
                           {"CDPROCESSO", S, 10},
                           {"IDSITATIVTAR", S, 1},
                           {"IDPROREUNIAO", S, 1},
                           {"NRPLATIVTARE", S, 5},
                           {"CDITEMTRAB", S, 10},
                           {"DTINPATIVTAR", DT},
                           {"DTFIPATIVTAR", DT},
                           {"CDOPERRESP", S, 12},
                           {"CDOPERINCL", S, 12},
                       });
}

void DeclareConcTarefa(TClientDataSet& cds) {
    DeclareFields(cds, {{"CDFILIAL", S, 4}, {"NRTAREFA", S, 10}, {"IDSITATIVTAR", S, 1}});
}

void DeclareHoraServidor(TClientDataSet& cds) {
    DeclareFields(cds, {{"SYSDATE", DT}});
}

}  // namespace reuniao
