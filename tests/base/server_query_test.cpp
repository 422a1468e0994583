// TServerQuery against the real application server (in-memory SQLite, demo data, in process):
// the name and parameters it sends, the declared fields it keeps, and its failures.
#include <gtest/gtest.h>

#include <memory>

#include "appserver/app_server.h"
#include "base/server_query.h"
#include "platform/data_source.h"
#include "server/call_recorder.h"
#include "server/in_process_transport.h"
#include "server/server_connection.h"

namespace {

class ServerQueryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        zel::appserver::AppServerOptions options;
        options.demo = true;
        options.fastPasswordHashing = true;
        server = std::make_unique<zel::appserver::AppServer>(options);
        net.SetTransport(std::make_shared<InProcessTransport>(
            [this](std::string_view body, std::string_view token) {
                return server->HandleRpc(body, token);
            }));
        const Variant login =
            net.AppServer().Call("Login", {Arg("000000000001"), Arg("demo"), Arg("0001")});
        const DataPacket row = DataPacketFromJson(login.AsPacket());
        net.Token = row.rows.at(0).at(row.FieldIndex("TOKEN")).AsString();
        net.SetRecorder(recorder);
    }

    std::unique_ptr<zel::appserver::AppServer> server;
    TServerConnection net;
    std::shared_ptr<CallRecorder> recorder = std::make_shared<CallRecorder>();
};

TEST_F(ServerQueryTest, OpensTheNamedQueryWithItsParametersAndKeepsDeclaredFields) {
    TServerQuery qry("qryPauta");
    qry.Connection = &net;
    TField& codigo = qry.AddField("CODIGO", TFieldType::ftString, 24);
    codigo.SetVisible(false);
    qry.AddField("NRSEQUITTARE", TFieldType::ftString, 10).SetDisplayLabel("Código");
    qry.AddField("DSREFEITTARE", TFieldType::ftString, 100);
    qry.AddParam("P_NRTAREFA");
    qry.AddParam("P_TNRTAREFA");
    qry.AddParam("P_CDFILIAL");
    qry.ParamByName("p_nrtarefa").SetAsString("'0000000001'");
    qry.ParamByName("P_CDFILIAL").SetAsString("0001");
    TDataSource source(&qry);

    qry.Open();
    ASSERT_TRUE(qry.Active());
    EXPECT_EQ(2, qry.RecordCount()) << "the agenda items of meeting 1";
    EXPECT_EQ("000100000000010000000001", qry.FieldByName("CODIGO").AsString());
    EXPECT_EQ(&codigo, &qry.FieldByName("CODIGO")) << "declared fields stay";
    EXPECT_FALSE(qry.FieldByName("CODIGO").Visible());
    EXPECT_EQ("Código", qry.FieldByName("NRSEQUITTARE").DisplayLabel());
    ASSERT_EQ(1u, recorder->Calls().size());
    EXPECT_EQ("OpenServerQuery", recorder->Calls()[0].method);
    EXPECT_EQ("qryPauta", recorder->Calls()[0].args.at(0).AsString());

    qry.ParamByName("P_TNRTAREFA").SetAsString("T");
    qry.Open();
    EXPECT_EQ(20, qry.RecordCount()) << "reopening asks again: every item of the branch";
    qry.Close();
    EXPECT_FALSE(qry.Active());
}

TEST_F(ServerQueryTest, WithoutParametersSendsAnEmptyPacket) {
    TServerQuery qry("qryResp");
    qry.Connection = &net;
    qry.Open();
    EXPECT_GE(qry.RecordCount(), 3);
    EXPECT_NE(nullptr, qry.FindField("NMOPERADOR"));
    const DataPacket sent = DataPacketFromJson(qry.ParamsPacket().AsPacket());
    EXPECT_TRUE(sent.fields.empty() && sent.rows.empty());
}

TEST_F(ServerQueryTest, FailuresRaiseAndLeaveTheQueryClosed) {
    TServerQuery qry("qryResp");
    EXPECT_THROW(qry.Open(), EDatabaseError) << "no connection";
    EXPECT_THROW(qry.ParamByName("P_X"), EDatabaseError);

    qry.Connection = &net;
    qry.Open();
    ASSERT_TRUE(qry.Active());
    qry.QueryName = "qryNaoExiste";
    EXPECT_THROW(qry.Open(), EServerError);
    EXPECT_FALSE(qry.Active());

    TServerQuery extra("qryResp");
    extra.Connection = &net;
    extra.AddParam("P_SQL").SetAsString("DROP TABLE OPERADOR");
    EXPECT_THROW(extra.Open(), EServerError) << "a parameter the query lacks is refused";
    qry.QueryName = "qryResp";
    qry.Open();
    EXPECT_GE(qry.RecordCount(), 3);
}

}  // namespace
