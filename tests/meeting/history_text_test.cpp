// How recorded changes read in the history dialog: labels, values as the window shows them
// (either engine's date form, operators and rooms by name), minutes by length, and texts the
// dialog cannot parse.
#include <gtest/gtest.h>

#include "meeting/history_text.h"

using namespace Cli_zel00400;

namespace {

HistoryNames Names() {
    HistoryNames n;
    n.operators = {{"000000000002", "Maria Souza"}, {"000000000003", "João Lima"}};
    n.rooms = {{"00001", "Sala 1"}, {"00002", "Sala 2"}};
    return n;
}

}  // namespace

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
    EXPECT_EQ("Reserva alterada: Sala: Sala 1 → Sala 2; Fim: 10:00 → 10:30",
              HistoryChangeText("room", "U", "2026-12-07 00:00:00/00012",
                                R"([["CDSALA","00001","00002"],["HRFINAGESALA","1000","1030"]])",
                                Names()));
}

TEST(HistoryTextTest, InclusionsAndRemovalsNameTheirRecordOnly) {
    EXPECT_EQ("Sala reservada: Dia: 07/12/2026; Sala: Sala 2; Início: 09:00; Fim: 10:00",
              HistoryChangeText("room", "I", "2026-12-07 00:00:00/00012",
                                R"([["DTATIAGESALA",null,"2026-12-07 00:00:00"],)"
                                R"(["NRSEQAGESALA",null,"00012"],["CDSALA",null,"00002"],)"
                                R"(["IDSITAGESALA",null,"A"],["HRINIAGESALA",null,"0900"],)"
                                R"(["HRFINAGESALA",null,"1000"]])",
                                Names()));
    EXPECT_EQ("Atividade excluída 00003: Responsável: Maria Souza",
              HistoryChangeText("participants", "D", "00003",
                                R"([["CDOPERRESP","000000000002",null],["IDSITATIVTAR","P",null]])",
                                Names()));
}

TEST(HistoryTextTest, OperatorsAndRoomsReadByNameAndByCodeOnlyWhenNoNameIsKnown) {
    // A removed operator or room keeps its code; an empty name is no name.
    HistoryNames names = Names();
    names.rooms["00003"] = "";
    EXPECT_EQ("Reunião alterada: Responsável: João Lima → 000000000009",
              HistoryChangeText("meeting", "U", "",
                                R"([["CDOPERRESP","000000000003","000000000009"]])", names));
    EXPECT_EQ("Reserva alterada: Sala: 00003 → (vazio)",
              HistoryChangeText("room", "U", "k", R"([["CDSALA","00003",null]])", names));
    // A room code is not an operator code: each is looked up in its own list.
    EXPECT_EQ("00002", HistoryValueText("CDOPERRESP", "\"00002\"", names));
    EXPECT_EQ("000000000002", HistoryValueText("CDSALA", "\"000000000002\"", names));
    // Every operator-valued field, blanks around the stored code ignored.
    for (const char* field : {"CDOPERRESP", "CDOPERINCL", "CDOPERADOR", "CDOPERABER"})
        EXPECT_EQ("Maria Souza", HistoryValueText(field, "\"000000000002  \"", names)) << field;
    EXPECT_EQ("Sala 1", HistoryValueText("CDSALA", "\" 00001\"", names));
    // Without names, the codes as before.
    EXPECT_EQ(
        "Reunião alterada: Responsável: 000000000002 → 000000000003",
        HistoryChangeText("meeting", "U", "", R"([["CDOPERRESP","000000000002","000000000003"]])"));
}

TEST(HistoryTextTest, CollectsTheOperatorAndRoomCodesTheChangesMention) {
    HistoryNames codes;
    CollectHistoryCodes(R"([["CDOPERRESP",null,"000000000002 "],["CDSALA","00001","00002"],)"
                        R"(["CDOPERINCL","000000000003",null],["DSREFETAREFA","a","00009"],)"
                        R"(["CDOPERABER","   ","000000000002"],"junk",["CDSALA"]])",
                        codes);
    CollectHistoryCodes("{not json", codes);
    CollectHistoryCodes(R"([["TXDESCITTARE",12,40,"len"],["CDOPERADOR",null,"000000000004"]])",
                        codes);
    EXPECT_EQ((std::map<std::string, std::string>{
                  {"000000000002", ""}, {"000000000003", ""}, {"000000000004", ""}}),
              codes.operators);
    EXPECT_EQ((std::map<std::string, std::string>{{"00001", ""}, {"00002", ""}}), codes.rooms);
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
