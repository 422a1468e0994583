// The report component against the real application server (in-memory SQLite, demo data, in
// process): queries run with the values given to the parameters they declare, and a query or
// field the server does not know is a clear error before anything is painted.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "appserver/app_server.h"
#include "base/report_designer_dialog.h"
#include "server/call_recorder.h"
#include "server/in_process_transport.h"
#include "server/server_connection.h"

namespace {

class ReportDesignerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
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
        report.ReportCode = "TST001";
        report.Directory = dir.path().toStdString();
        report.Connection = &net;
    }

    void Write(const std::string& text) {
        QFile file(QDir(dir.path()).filePath("TST001.rpt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromStdString("report|TST001|Teste\n" + text));
    }

    QTemporaryDir dir;
    std::unique_ptr<zel::appserver::AppServer> server;
    TServerConnection net;
    std::shared_ptr<CallRecorder> recorder = std::make_shared<CallRecorder>();
    TReportDesignerDialog report;
};

TEST_F(ReportDesignerTest, EachQueryGetsTheValuesOfTheParametersItDeclares) {
    Write(
        "query|reuniao|qryAtaReuniao|P_CDFILIAL|P_NRTAREFA\n"
        "query|pauta|qryAtaPauta|P_NRTAREFA\n"
        "layout|A\ntitle|{reuniao.DSREFETAREFA}\n"
        "records|pauta|Pauta\nheading|{NRSEQUITTARE:int} {DSREFEITTARE}\n");
    std::vector<std::string> asked;
    report.BeforeGetQueryParams = [&asked](TReportParams& p) {
        for (const TServerQueryParam& q : p.Items())
            asked.push_back(q.Name());
        EXPECT_FALSE(ExistParam(p, "P_TNRTAREFA"));
        p.ParamByName("p_cdfilial").SetAsString("0001");
        p.ParamByName("P_NRTAREFA").SetAsString("0000000013");
    };
    report.Execute();
    EXPECT_EQ((std::vector<std::string>{"P_CDFILIAL", "P_NRTAREFA"}), asked) << "each name once";
    ASSERT_EQ(3u, recorder->Calls().size()) << "two queries and the server clock";
    const DataPacket pauta = DataPacketFromJson(recorder->Calls()[1].args.at(1).AsPacket());
    ASSERT_EQ(1u, pauta.fields.size());
    EXPECT_EQ("P_NRTAREFA", pauta.fields[0].name);
    EXPECT_EQ("0000000013", pauta.rows.at(0).at(0).AsString());
    EXPECT_EQ("getHoraServidor", recorder->Calls()[2].method);
    const std::string text = report.PlainText(0);
    EXPECT_EQ(0u, text.find("Acompanhamento do projeto\nPauta\n")) << text;
    EXPECT_NE(std::string::npos, text.find("Abertura e informes")) << text;
}

TEST_F(ReportDesignerTest, AQueryOrFieldTheServerDoesNotKnowIsAClearError) {
    Write("query|x|qryNaoExiste\nlayout|A\nrecords|x\nheading|{A}\n");
    try {
        report.Execute();
        FAIL() << "an unknown query must raise";
    } catch (const Exception& e) {
        EXPECT_NE(std::string::npos,
                  e.Message().find("Consulta desconhecida no servidor: qryNaoExiste"))
            << e.Message();
    }
    Write("query|pauta|qryAtaPauta|P_NRTAREFA\nlayout|A\nrecords|pauta\nheading|{NMASSUNTO}\n");
    report.LoadDefinition();
    report.BeforeGetQueryParams = [](TReportParams& p) {
        p.ParamByName("P_NRTAREFA").SetAsString("0000000013");
    };
    try {
        report.PlainText(0);
        FAIL() << "a field the query does not bring must raise";
    } catch (const EReportDefinitionError& e) {
        EXPECT_NE(std::string::npos, e.Message().find("campo NMASSUNTO")) << e.Message();
    }
    EXPECT_THROW(report.PlainText(5), Exception) << "no such layout";
}

}  // namespace
