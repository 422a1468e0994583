// The field layouts of the meeting window's datasets: what the server's packets are matched to
// and what the grids and edits show.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "meeting/reuniao_datasets.h"
#include "platform/client_data_set.h"

using namespace reuniao;

namespace {

// "NAME:type:size:label:mask:visible" per field, one line each, so one assertion shows the
// whole layout.
std::string Layout(const TClientDataSet& cds) {
    std::ostringstream out;
    for (int i = 0; i < cds.FieldCount(); ++i) {
        const TField& f = cds.Fields(i);
        out << f.FieldName() << ':' << FieldTypeName(f.DataType()) << ':' << f.Size() << ':'
            << (f.DisplayLabel() == f.FieldName() ? "" : f.DisplayLabel()) << ':' << f.EditMask()
            << ':' << (f.Visible() ? "shown" : "hidden") << '\n';
    }
    return out.str();
}

TEST(ReuniaoDatasets, ControleHasTheMeetingFieldsInOrderAndTheSeriesLast) {
    TClientDataSet cds;
    DeclareControle(cds);
    EXPECT_EQ(
        "CDFILIAL:string:4:::hidden\n"
        "NRTAREFA:string:10:Reunião:9999999999;0; :shown\n"
        "DSREFETAREFA:string:100:Referência::shown\n"
        "CDPROCESSO:string:10:::hidden\n"
        "CDOPERRESP:string:12:Responsável::shown\n"
        "CDPROJETO:string:10:::hidden\n"
        "NMPROJETO:string:100:::hidden\n"
        "NMOPERADOR:string:40:::hidden\n"
        "CDASSUNTO:string:5:::hidden\n"
        "CDOPERABER:string:12:Operador de Abertura::shown\n"
        "DTABERTAREFA:datetime:0:::hidden\n"
        "IDSITTAREFA:string:1:Sit.::hidden\n"
        "IDORIGTARE:string:1:::hidden\n"
        "DTHRREUNIAO:datetime:0:Data/Hora Reunião:!90/90/00 90:00:00;1; :shown\n"
        "QTHRREUNIAO:float:0:::hidden\n"
        "CDARVPROCESS:string:20:::hidden\n"
        "NMPROCESSO:string:100:::hidden\n"
        "NMASSUNTO:string:50:::hidden\n"
        "NMOPERABER:string:40:Operador de Abertura::hidden\n"
        "DESCRICAO:string:111:::hidden\n"
        "DATA:datetime:0:::hidden\n"
        "CDSALA:string:5:::hidden\n"
        "HORA:string:5:::hidden\n"
        "NRSERIETARE:string:10:Série::hidden\n"
        "NMOPERULTALT:string:40:Alterada por::hidden\n",
        Layout(cds));
}

TEST(ReuniaoDatasets, LocateOnlyFieldsAreNeverWritten) {
    TClientDataSet controle, atividades;
    DeclareControle(controle);
    DeclareAtividades(atividades);
    for (const char* name : {"DESCRICAO", "DATA", "HORA"})
        EXPECT_EQ(unsigned{pfInWhere}, controle.FieldByName(name).ProviderFlags()) << name;
    for (const char* name : {"QTHRPATIVTARE", "QTHORAS"})
        EXPECT_EQ(unsigned{pfInWhere}, atividades.FieldByName(name).ProviderFlags()) << name;
    EXPECT_TRUE(atividades.FieldByName("QTHRPATIVTAR").ProviderFlags() & pfInUpdate);
    EXPECT_TRUE(controle.FieldByName("NRTAREFA").ProviderFlags() & pfInKey);
    EXPECT_EQ(0u, controle.FieldByName("NRSERIETARE").ProviderFlags()) << "the server's to set";
    EXPECT_EQ(0u, controle.FieldByName("NMOPERULTALT").ProviderFlags()) << "read from the history";
}

TEST(ReuniaoDatasets, AtividadesDeclaresGridLabelsMasksAndDefaultSizes) {
    TClientDataSet cds;
    DeclareAtividades(cds);
    ASSERT_EQ(21, cds.FieldCount());
    EXPECT_EQ("Data/Hora Início", cds.FieldByName("DTINPATIVTAR").DisplayLabel());
    EXPECT_EQ("!99/99/0000 90:00:00>;1; ", cds.FieldByName("DTFIPATIVTAR").EditMask());
    EXPECT_EQ("9999:99;0; ", cds.FieldByName("QTHRPATIVTARE").EditMask());
    EXPECT_EQ(TFieldType::ftFixedChar, cds.FieldByName("QTHORAS").DataType());
    EXPECT_FALSE(cds.FieldByName("IDOPERPAREUNIAO").Visible());
    EXPECT_TRUE(cds.FieldByName("IDSITATIVTAR").Visible());
    EXPECT_EQ("NRPLATIVTARE", cds.Fields(0).FieldName());
    EXPECT_EQ("NMITEMTRAB", cds.Fields(20).FieldName());
}

TEST(ReuniaoDatasets, ItemTarefaAndRoomsCarryTheirCaptions) {
    TClientDataSet itens, salas, pesqPart;
    DeclareItemTarefa(itens);
    DeclareSalas(salas);
    DeclarePesqPart(pesqPart);
    EXPECT_EQ(11, itens.FieldCount());
    EXPECT_EQ("999;0; ", itens.FieldByName("NRPRIOITTARE").EditMask());
    EXPECT_EQ(2000, itens.FieldByName("TXPLANITTARE").Size());
    EXPECT_FALSE(itens.FieldByName("TXPLANITTARE").Visible());
    EXPECT_EQ("Operador Inclusão", itens.FieldByName("CDOPERADOR").DisplayLabel());
    EXPECT_FALSE(salas.FieldByName("CDFILIAL").Visible());
    EXPECT_EQ(45, salas.FieldByName("NMSALA").DisplayWidth());
    EXPECT_EQ("CDSALA", salas.IndexFieldNames());
    EXPECT_EQ("NMOPERADOR", pesqPart.Fields(0).FieldName());
}

// Every layout can be opened empty and filled from a packet that names its fields in another
// case, as the server's packets may.
TEST(ReuniaoDatasets, EveryDeclaredDatasetOpensAndTakesAPacket) {
    const std::vector<std::pair<const char*, std::function<void(TClientDataSet&)>>> all = {
        {"Controle", DeclareControle},
        {"AgeAtiviSala", DeclareAgeAtiviSala},
        {"Salas", DeclareSalas},
        {"VdSala", DeclareVdSala},
        {"PesqSala", DeclarePesqSala},
        {"SeqSalas", DeclareSeqSalas},
        {"DadosSalas", DeclareDadosSalas},
        {"AuxAtiv", DeclareAuxAtiv},
        {"Processo", DeclareProcesso},
        {"Assunto", DeclareAssunto},
        {"Projeto", DeclareProjeto},
        {"Resp", DeclareResp},
        {"VdResp", DeclareVdResp},
        {"Atividades", DeclareAtividades},
        {"ValOper", DeclareValOper},
        {"ValProc", DeclareValProc},
        {"ValPesqItTrab", DeclareValPesqItTrab},
        {"ItemTarefa", DeclareItemTarefa},
        {"DescItTare", DeclareDescItTare},
        {"PesqOper", DeclarePesqOper},
        {"TestaReuniao", DeclareTestaReuniao},
        {"AtivReuniao", DeclareAtivReuniao},
        {"PesqProc", DeclarePesqProc},
        {"PesqPart", DeclarePesqPart},
        {"PesqItemTrab", DeclarePesqItemTrab},
        {"AtividadesAux", DeclareAtividadesAux},
        {"CarregaAtividade", DeclareCarregaAtividade},
        {"AlteraAtiv", DeclareAlteraAtiv},
        {"ConcTarefa", DeclareConcTarefa},
        {"HoraServidor", DeclareHoraServidor},
    };
    for (const auto& [name, declare] : all) {
        TClientDataSet cds(std::string("cds") + name);
        declare(cds);
        ASSERT_GT(cds.FieldCount(), 0) << name;
        cds.CreateDataSet();
        EXPECT_TRUE(cds.IsEmpty()) << name;
        DataPacket packet;
        for (const FieldDef& def : cds.FieldDefs()) {
            FieldDef lower = def;
            for (char& ch : lower.name)
                ch = static_cast<char>(std::tolower(ch));
            packet.fields.push_back(lower);
        }
        packet.rows.push_back(PacketRow(packet.fields.size()));
        EXPECT_NO_THROW(cds.SetData(packet)) << name;
        EXPECT_EQ(1, cds.RecordCount()) << name;
    }
}

}  // namespace
