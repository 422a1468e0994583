// The meeting unit's module state and the pure rules of the list, without a window.
#include <gtest/gtest.h>

#include "meeting/cli_zel00400.h"
#include "meeting/reuniao_datasets.h"
#include "platform/client_data_set.h"

using namespace Cli_zel00400;

namespace {

class ModuleStateTest : public ::testing::Test {
  protected:
    void SetUp() override { Initialization(); }
    void TearDown() override { Initialization(); }
};

TEST_F(ModuleStateTest, InitializationRestoresEveryDefaultAfterUse) {
    boIdCriado = boFiltro = boDiaExato = boStateIns = boStateEd = true;
    boEdit = false;
    stCodLocate = stStateChange = stSeq = stOperador = "x";
    arr_StParamAtiv = {"a", "b", "c"};
    stReuniao = stResp = stPauta = "'1'";
    stTReuniao = stTResp = stTPauta = stTData = "";
    stSituacao = "_P";
    dtInicial = dtFinal = stData = 46000;

    Initialization();

    EXPECT_FALSE(boIdCriado);
    EXPECT_FALSE(boFiltro);
    EXPECT_FALSE(boDiaExato);
    EXPECT_TRUE(boEdit);
    EXPECT_FALSE(boStateIns);
    EXPECT_FALSE(boStateEd);
    EXPECT_EQ(nullptr, frmReuniao);
    EXPECT_EQ("", stCodLocate + stStateChange + stSeq + stOperador);
    EXPECT_EQ((std::array<std::string, 3>{}), arr_StParamAtiv);
    EXPECT_EQ("", stReuniao + stResp + stPauta);
    EXPECT_EQ("T", stTReuniao);
    EXPECT_EQ("T", stTResp);
    EXPECT_EQ("T", stTPauta);
    EXPECT_EQ("T", stTData);
    EXPECT_EQ("_P_A_C_X", stSituacao);
    EXPECT_EQ(0, dtInicial);
    EXPECT_EQ(0, dtFinal);
    EXPECT_EQ(0, stData);
}

TEST(StatusFilterText, AdmitsBlankAndTheButtonsDownInToolBarOrder) {
    EXPECT_EQ("IDSITTAREFA IN (' ')", StatusFilterText(false, false, false, false));
    EXPECT_EQ("IDSITTAREFA IN (' ', 'P', 'A')", StatusFilterText(true, true, false, false));
    EXPECT_EQ("IDSITTAREFA IN (' ', 'P', 'A', 'X', 'C')", StatusFilterText(true, true, true, true));
    EXPECT_EQ("IDSITTAREFA IN (' ', 'X')", StatusFilterText(false, false, true, false));
}

TEST(StatusFilterText, FiltersARealMeetingListByStatus) {
    TClientDataSet cds("cdsControle");
    reuniao::DeclareControle(cds);
    cds.CreateDataSet();
    for (const char* status : {"P", "A", "C", "X", " ", "Z"}) {
        cds.Append();
        cds.FieldByName("IDSITTAREFA").SetAsString(status);
        cds.Post();
    }
    cds.SetFilter(StatusFilterText(true, true, false, false));
    cds.SetFiltered(true);
    EXPECT_EQ(3, cds.RecordCount());  // P, A and the blank one
    cds.SetFilter(StatusFilterText(false, false, false, false));
    EXPECT_EQ(1, cds.RecordCount());
}

TEST(StatusMessageKey, MapsEveryLetterAndNothingElse) {
    EXPECT_EQ("PEND", StatusMessageKey("P"));
    EXPECT_EQ("AND", StatusMessageKey("A"));
    EXPECT_EQ("PARA", StatusMessageKey("I"));
    EXPECT_EQ("CONC", StatusMessageKey("C"));
    EXPECT_EQ("CANC", StatusMessageKey("X"));
    EXPECT_EQ("", StatusMessageKey("Z"));
    EXPECT_EQ("", StatusMessageKey(""));
}

TEST_F(ModuleStateTest, FilterChoicesAppendEachStatusAfterAll) {
    FilterChoices c;
    c.boTodas = true;
    c.boPendente = true;
    c.boAndamento = false;
    FillListParameters(c);
    EXPECT_EQ("_P_A_C_X_P", stSituacao);

    c.boTodas = false;
    c.boAndamento = c.boConcluido = c.boCancelado = true;
    FillListParameters(c);
    EXPECT_EQ("_P_A_C_X", stSituacao);
}

TEST_F(ModuleStateTest, FilterChoicesWithEitherDateZeroLoadAllDates) {
    FilterChoices c;
    c.dtAberturaDe = 46000;
    FillListParameters(c);
    EXPECT_EQ("T", stTData);
    c.dtAberturaAte = 46001;
    FillListParameters(c);
    EXPECT_EQ("", stTData);
    EXPECT_EQ(46000, dtInicial);
    EXPECT_EQ(46001, dtFinal);
}

TEST_F(ModuleStateTest, FilterChoicesListsReplaceTheAllFlags) {
    FilterChoices c;
    c.stFiltroReuniao = "'0000000001'";
    c.todosReuniao = false;
    c.stFiltroResp = "'000000000001'";
    c.todosResp = false;
    FillListParameters(c);
    EXPECT_EQ("'0000000001'", stReuniao);
    EXPECT_EQ("", stTReuniao);
    EXPECT_EQ("'000000000001'", stResp);
    EXPECT_EQ("", stTResp);
    EXPECT_EQ("T", stTPauta);
}

TEST_F(ModuleStateTest, ResetListParametersKeepsTheDates) {
    stReuniao = "'1'";
    stTReuniao = "";
    stSituacao = "_X";
    dtInicial = 46000;
    stTData = "";
    ResetListParameters();
    EXPECT_EQ("", stReuniao);
    EXPECT_EQ("T", stTReuniao);
    EXPECT_EQ("_P_A_C_X", stSituacao);
    EXPECT_EQ(46000, dtInicial);
    EXPECT_EQ("", stTData);
}

TEST_F(ModuleStateTest, FilterChoicesProviderIsOptional) {
    EXPECT_FALSE(LastFilterChoices().has_value());
    SetFilterChoicesProvider([] { return FilterChoices{}; });
    EXPECT_TRUE(LastFilterChoices().has_value());
    Finalization();
    EXPECT_FALSE(LastFilterChoices().has_value());
}

}  // namespace
