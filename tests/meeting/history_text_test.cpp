// How recorded changes read in the history dialog: labels, values as the window shows them
// (either engine's date form), minutes by length, and texts the dialog cannot parse.
#include <gtest/gtest.h>

#include "meeting/history_text.h"

using namespace Cli_zel00400;

TEST(HistoryTextTest, AChangedFieldReadsLabelOldArrowNewAsTheWindowShowsValues) {
    EXPECT_EQ(
        "Reunião alterada: Data/Hora Reunião: 07/12/2026 09:00 → 08/12/2026 14:30",
        HistoryChangeText("meeting", "U", "",
                          R"([["DTHRREUNIAO","2026-12-07 09:00:00","2026-12-08T14:30:00"]])"));
    EXPECT_EQ(
        "Reunião alterada: Duração: 01:00 → 01:30; Situação: Pendente → Cancelada; Motivo do "
        "cancelamento: (vazio) → Sala fechada",
        HistoryChangeText("meeting", "U", "",
                          R"([["QTHRREUNIAO",1,1.5],["IDSITTAREFA","P","X"],)"
                          R"(["DSMOTCANCEL",null,"Sala fechada"]])"));
    EXPECT_EQ("Reserva alterada: Sala: 00001 → 00002; Fim: 10:00 → 10:30",
              HistoryChangeText("room", "U", "2026-12-07 00:00:00/00012",
                                R"([["CDSALA","00001","00002"],["HRFINAGESALA","1000","1030"]])"));
}

TEST(HistoryTextTest, InclusionsAndRemovalsNameTheirRecordOnly) {
    EXPECT_EQ("Sala reservada: Dia: 07/12/2026; Sala: 00002; Início: 09:00; Fim: 10:00",
              HistoryChangeText("room", "I", "2026-12-07 00:00:00/00012",
                                R"([["DTATIAGESALA",null,"2026-12-07 00:00:00"],)"
                                R"(["NRSEQAGESALA",null,"00012"],["CDSALA",null,"00002"],)"
                                R"(["IDSITAGESALA",null,"A"],["HRINIAGESALA",null,"0900"],)"
                                R"(["HRFINAGESALA",null,"1000"]])"));
    EXPECT_EQ(
        "Atividade excluída 00003: Responsável: 000000000002",
        HistoryChangeText("participants", "D", "00003",
                          R"([["CDOPERRESP","000000000002",null],["IDSITATIVTAR","P",null]])"));
}

TEST(HistoryTextTest, MinutesReadByTheirLengthNeverTheirText) {
    EXPECT_EQ(
        "Ata alterada 0000000004: Ata: alterada (120 caracteres → 340 caracteres)",
        HistoryChangeText("minutes", "U", "0000000004", R"([["TXDESCITTARE",120,340,"len"]])"));
    EXPECT_EQ(
        "Ata incluída 0000000004: Ata: 600 caracteres",
        HistoryChangeText("minutes", "I", "0000000004", R"([["TXDESCITTARE",null,600,"len"]])"));
}

TEST(HistoryTextTest, KindsAndUnreadableTexts) {
    EXPECT_EQ((std::vector<std::string>{"meeting", "room", "participants", "agenda", "minutes"}),
              HistoryKinds());
    EXPECT_EQ("Pauta", HistoryKindLabel("agenda"));
    EXPECT_EQ("XYZ", HistoryFieldLabel("XYZ"));
    // The stamps of who wrote a row and when are the record's own who and when.
    EXPECT_EQ(
        "Atividade alterada 00002",
        HistoryChangeText("participants", "U", "00002",
                          R"([["DTINCATIVTAR","2026-12-10 02:49:01","2026-12-10 02:49:30"]])"));
    EXPECT_EQ("Reunião alterada: {oops", HistoryChangeText("meeting", "U", "", "{oops"));
    EXPECT_EQ("(vazio)", HistoryValueText("DSREFETAREFA", "\"   \""));
}
