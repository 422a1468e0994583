// The windows' compiled-in message tables.
#include <gtest/gtest.h>

#include <set>

#include "messages/message_tables.h"
#include "platform/exceptions.h"
#include "platform/routines.h"

namespace {

TEST(MessageTables, EveryTableLoadsWithItsEntryCount) {
    const std::vector<std::pair<std::string, size_t>> expected = {
        {"TfrmReuniao.msgPadrao", 85},       {"TfrmReuniao.msgMensagensPadroes", 2},
        {"TfrmFiltroReuniao.msgPadrao", 10}, {"TfrmImpReuniao.msgPadrao", 2},
        {"TfrmRelAta.msgPadrao", 4},         {"TfrmRotiPart.msgPadrao", 2},
    };
    ASSERT_EQ(MessageTableNames().size(), expected.size());
    for (const auto& [name, count] : expected) {
        const TMessageTable& table = MessageTableByName(name);
        EXPECT_EQ(table.Name(), name);
        EXPECT_EQ(table.Count(), count) << name;
    }
    EXPECT_EQ(&MessageTableByName("tfrmreuniao.MSGPADRAO"), &MeetingWindowMessages());
    EXPECT_THROW(MessageTableByName("TfrmIrParaDia.msgPadrao"), Exception);
}

TEST(MessageTables, NoTableRepeatsAKeyOrCarriesAStrayCharacter) {
    for (const std::string& name : MessageTableNames()) {
        std::set<std::string> seen;
        for (const TMessageTable::Entry& e : MessageTableByName(name).Entries()) {
            EXPECT_TRUE(seen.insert(LowerCase(e.key)).second) << name << " repeats " << e.key;
            EXPECT_EQ(e.text.find_first_of("\r\n\t"), std::string::npos) << name << " " << e.key;
            EXPECT_FALSE(e.text.empty()) << name << " " << e.key;
        }
    }
}

TEST(MeetingWindowTable, KeysResolveInAnyCase) {
    const TMessageTable& t = MeetingWindowMessages();
    for (const char* key : {"reun_dia", "REUN_DIA", "Reun_dia", "Reun_Dia"})
        EXPECT_EQ(t.Msg(key), "Reunião deve ser cadastrada para o mesmo dia") << key;
    // The spellings the window's code uses for entries written otherwise.
    EXPECT_EQ(t.Msg("HrIni_vaz"), "Hora inicial deve ser informada");
    EXPECT_EQ(t.Msg("PROCNCAD"), "Processo não cadastrado.");
    EXPECT_EQ(t.Msg("Qtde_Inv"), "Quantidade de horas informada incorretamente.");
    EXPECT_EQ(FilterDialogMessages().Msg("Reuniao_inf"), "Reunião deve ser informada.");
}

TEST(MeetingWindowTable, KeepsTableOrderAndTheTextsAsWritten) {
    const TMessageTable& t = MeetingWindowMessages();
    const std::vector<std::string> keys = t.Keys();
    ASSERT_EQ(keys.size(), 85u);
    EXPECT_EQ(keys.front(), "Data_deve");
    EXPECT_EQ(keys[17], "Tare_Canc");
    EXPECT_EQ(keys[75], "Atividade_Conc");
    // Keys of our own come after the table's.
    EXPECT_EQ(keys[76], "cad_part_ativ");
    EXPECT_EQ(keys[78], "canc_reun_dig");
    EXPECT_EQ(keys.back(), "hist_dig");
    EXPECT_EQ(Format(t.Msg("Msg_CancelMot"), {"Sala fechada"}), "Motivo: Sala fechada");
    EXPECT_EQ(t.Msg("POUCA_DATA"),
              " é anterior à data atual. Não é possível alterar esta reunião.");
    EXPECT_EQ(t.Msg("HrInideve"), "Hora Inicío deve ser informada.");
    EXPECT_EQ(t.Msg("UpdSala_Inv"), "Não é possivel alterar a sala de reunião");
    EXPECT_EQ(t.Msg("DTHR_INV"), "Data/ Hora inválida.");
    EXPECT_EQ(t.Msg("DATA_INV"), "não é uma data válida");
}

TEST(MeetingWindowTable, StatusLabelsAreTwoLetters) {
    const TMessageTable& t = MeetingWindowMessages();
    EXPECT_EQ(t.Msg("PEND") + t.Msg("AND") + t.Msg("PARA") + t.Msg("CONC") + t.Msg("CANC"),
              "PeAnPaCoCa");
}

TEST(MeetingWindowTable, FormattedMessagesTakeTheirArguments) {
    EXPECT_EQ(Format(MeetingWindowMessages().Msg("Msg_Cancel"),
                     {"Reunião 0000000012", "07/12/2026 14:30", "ANA"}),
              "Reunião 0000000012, agendada para 07/12/2026 14:30 foi cancelada por ANA.");
    EXPECT_EQ(Format(MinutesReportMessages().Msg("Arq_Rel_Err"), {"ZEL00402", "/srv/rel"}),
              "O arquivo contendo a definição do relatório de código 'ZEL00402' não foi "
              "encontrado no diretório '/srv/rel'.");
}

TEST(OtherTables, HoldTheirWindowsEntries) {
    EXPECT_EQ(MeetingWindowStandardMessages().Msg("canc"), "Deseja cancelar as alterações?");
    EXPECT_EQ(MeetingWindowStandardMessages().Msg("EXCL"), "Deseja excluir o registro?");
    EXPECT_EQ(AgendaImportMessages().Msg("OPEBLOCK"),
              "Operação bloqueada. Reunião selecionada não possui assuntos a serem importados.");
    EXPECT_EQ(MinutesReportMessages().Msg("n_dados"), "Não há dados a serem listados");
    EXPECT_EQ(ParticipantRegistrationMessages().Msg("PARTINV"), "Participante inválido.");
    EXPECT_EQ(MeetingWindowMessages().Msg("PARTINV"), "Não há participante cadastrado.")
        << "the same key means something else in another window";
    EXPECT_EQ(FilterDialogMessages().Msg("Dt_Ini_Maior"),
              "Data de Abertura Inicial deve ser menor ou igual à Data de Abertura Final.");
}

}  // namespace
