// The minutes report against the real application server (in process) with the meeting
// window open: the minutes check before output, the parameters the report's queries get, a
// missing definition, and the PDF a participant receives, read back with pdftotext.
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

#include <nlohmann/json.hpp>

#include "base/buttons.h"
#include "base/db_rich_edit.h"
#include "base/page_control_ex.h"
#include "dialogs/frm_rel_ata.h"
#include "meeting/cli_zel00400.h"
#include "meeting/frm_reuniao.h"
#include "platform/routines.h"
#include "server/check_server_result.h"
#include "tests/dialogs/dialog_fixture.h"

namespace {

class RelAtaTest : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        ASSERT_TRUE(tmp.isValid());
        // The window's first activation (which loads the list) happens before the list below.
        Window()->activateWindow();
        (void)QTest::qWaitForWindowActive(Window());
        QCoreApplication::processEvents();
        // Every meeting of the branch, whatever its status or day.
        Cli_zel00400::ResetListParameters();
        Cli_zel00400::stTData = "T";
        W().CarregaControle();
        W().cdsControle.SetFiltered(false);
    }
    void TearDown() override {
        Cli_zel00402::Finalization();
        qunsetenv("ZEL_REPORT_DIR");
        DialogTest::TearDown();
    }

    TfrmReuniao& W() { return *Window(); }
    TAppServer Server() { return W().netReuniao.AppServer(); }

    // Makes `nr` the meeting window's current meeting (its agenda loaded).
    void GoTo(const std::string& nr) {
        ASSERT_TRUE(W().cdsControle.Locate("NRTAREFA", {Variant(nr)})) << nr;
        W().cdsControleAfterScroll();
    }
    // The first meeting in progress without an agenda.
    std::string OpenMeetingWithoutAgenda() {
        TClientDataSet& c = W().cdsControle;
        for (c.First(); !c.Eof(); c.Next()) {
            if (c.FieldByName("IDSITTAREFA").AsString() != "P") continue;
            GoTo(c.FieldByName("NRTAREFA").AsString());
            if (W().cdsItemTarefa.IsEmpty()) return c.FieldByName("NRTAREFA").AsString();
        }
        ADD_FAILURE() << "no pending meeting without agenda";
        return {};
    }
    // Adds an agenda item (and its minutes when given) to the current meeting through the
    // server, and reloads the meeting's agenda. Returns the item's number.
    std::string AddItem(const std::string& subject, const std::string& minutes = {}) {
        const std::string branch = W().cdsControle.FieldByName("CDFILIAL").AsString();
        const std::string nr = W().cdsControle.FieldByName("NRTAREFA").AsString();
        const std::string item =
            PadField(Server().Call("GetPrxItemTarefa", {Arg(branch)}).AsString(), 10);
        TClientDataSet ds;
        std::string pauta, todas = "T";
        ds.SetData(CheckServerResult(
            Server().Call("GetItemTarefa", {Arg(branch), Arg(nr), ArgRef(pauta), ArgRef(todas)})));
        ds.Append();
        ds.FieldByName("CDFILIAL").SetAsString(branch);
        ds.FieldByName("NRTAREFA").SetAsString(nr);
        ds.FieldByName("NRSEQUITTARE").SetAsString(item);
        ds.FieldByName("DSREFEITTARE").SetAsString(subject);
        ds.FieldByName("NRPRIOITTARE").SetAsString("1");
        ds.Post();
        CheckServerResult(Server().Call("SetItemTarefa", {Arg(ds.Delta())}));
        if (!minutes.empty()) {
            TClientDataSet ata;
            ata.SetData(CheckServerResult(
                Server().Call("GetDescItTare", {Arg(branch), Arg(nr), Arg(item)})));
            ata.Append();
            ata.FieldByName("CDFILIAL").SetAsString(branch);
            ata.FieldByName("NRTAREFA").SetAsString(nr);
            ata.FieldByName("NRSEQUITTARE").SetAsString(item);
            ata.FieldByName("TXDESCITTARE").SetAsString(minutes);
            ata.Post();
            CheckServerResult(Server().Call("SetDescItTare", {Arg(ata.Delta())}));
        }
        GoTo(nr);
        return item;
    }
    // Opens the report and runs `script` inside it.
    void Report(const std::function<void(TfrmRelAta&)>& script) {
        WhenModal([&](QDialog& d) { script(static_cast<TfrmRelAta&>(d)); });
        Cli_zel00402::CriaRelAta();
    }
    // The item numbers GetDescItTare was asked for since the recorder was cleared.
    std::vector<std::string> MinutesAsked() const {
        std::vector<std::string> out;
        for (const CallRecorder::Call& c : recorder->Calls())
            if (c.method == "GetDescItTare") out.push_back(c.args.at(2).AsString());
        return out;
    }
    std::string WriteDefinition(const std::string& text) {
        QFile file(QDir(tmp.path()).filePath("ZEL004.rpt"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromStdString(text));
        qputenv("ZEL_REPORT_DIR", tmp.path().toLocal8Bit());
        return tmp.path().toStdString();
    }
    // The text of a PDF file, as pdftotext reads it.
    static std::string PdfText(const QString& file) {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {file, QStringLiteral("-")});
        EXPECT_TRUE(p.waitForFinished(60000)) << "pdftotext (poppler-utils) must be installed";
        EXPECT_EQ(0, p.exitCode()) << p.readAllStandardError().toStdString();
        return p.readAllStandardOutput().toStdString();
    }

    QTemporaryDir tmp;
};

TEST_F(RelAtaTest, TheFirstItemWithMinutesLetsTheOutputGoOnAndStaysCurrent) {
    OpenMeetingWithoutAgenda();
    AddItem("Sem ata um");
    AddItem("Sem ata dois");
    const std::string third = AddItem("Com ata", "<p>Decidido.</p>");
    const std::string fourth = AddItem("Também com ata", "<p>Outra.</p>");
    // An item not yet numbered (as one being typed) is passed over.
    TClientDataSet& itens = W().cdsItemTarefa;
    DataPacket packet = DataPacketFromJson(itens.Data().AsPacket());
    packet.rows.at(0).at(packet.FieldIndex("NRSEQUITTARE")) = Variant(std::string("          "));
    itens.SetData(Variant::FromPacket(DataPacketToJson(packet)));
    recorder->Clear();

    Report([&](TfrmRelAta& r) {
        EXPECT_EQ("Atas e Pautas da Reunião", r.windowTitle().toStdString());
        EXPECT_EQ("ZEL004", r.lblCodRel->text().toStdString());
        EXPECT_EQ("ZEL00402", r.lblCodTela->text().toStdString());
        ASSERT_EQ(2, r.cbxRelatorio->count());
        EXPECT_EQ(0, r.cbxRelatorio->currentIndex());
        r.sbtPreview->Click();
    });
    const std::vector<std::string> asked = MinutesAsked();
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(third, asked.back()) << "the walk stops at the first item with minutes";
    EXPECT_EQ(asked.end(), std::find(asked.begin(), asked.end(), fourth));
    EXPECT_EQ(third, itens.FieldByName("NRSEQUITTARE").AsString()) << "the agenda stays there";
    EXPECT_EQ("preview: Atas e Pautas", dialogs->ShownText());
}

// Minutes typed and not yet confirmed when the operator prints from the meeting window: they
// are saved first (through their check), and the report prints them.
TEST_F(RelAtaTest, MinutesBeingTypedAreSavedFirstSoTheReportPrintsThem) {
    Cli_zel00400::DialogOpeners openers;
    openers.relAta = Cli_zel00402::CriaRelAta;
    Cli_zel00400::SetDialogOpeners(openers);
    OpenMeetingWithoutAgenda();
    AddItem("Orçamento do ano");
    W().pgcReuniao->SetActivePage(W().tshAta);
    W().pgcReuniaoChange();
    ASSERT_TRUE(W().sbtIncluir->Click());
    dialogs->ClearShown();

    // Blank minutes are refused by their own check: no report, the minutes still open.
    W().dbrDescricao->setPlainText(QStringLiteral("  "));
    EXPECT_FALSE(W().sbtImprimir->Click());
    EXPECT_EQ("error: Ata da Reunião deve ser informada", dialogs->ShownText());
    EXPECT_EQ(dsInsert, W().cdsDescItTare.State());
    EXPECT_EQ(0, CallCount("SetDescItTare"));

    W().dbrDescricao->setPlainText(QStringLiteral("Aprovado sem ressalvas."));
    const QString pdf = QDir(tmp.path()).filePath("digitada.pdf");
    dialogs->ClearShown();
    dialogs->AnswerSaveFile(pdf.toStdString());
    WhenModal([](QDialog& d) { static_cast<TfrmRelAta&>(d).sbtSalvarComo->Click(); });
    ASSERT_TRUE(W().sbtImprimir->Click()) << dialogs->ShownText();
    EXPECT_EQ("save: Salvar como", dialogs->ShownText());
    EXPECT_EQ(1, CallCount("SetDescItTare"));
    EXPECT_EQ(dsBrowse, W().cdsDescItTare.State());
    EXPECT_EQ(QStringLiteral("Aprovado sem ressalvas."), W().dbrDescricao->toPlainText());
    EXPECT_NE(std::string::npos, PdfText(pdf).find("Aprovado sem ressalvas."));
    Cli_zel00400::SetDialogOpeners({});
}

TEST_F(RelAtaTest, WithoutMinutesOnlyTheAgendaLayoutIsOutput) {
    OpenMeetingWithoutAgenda();
    const std::string first = AddItem("Primeiro");
    AddItem("Segundo");
    recorder->Clear();
    Report([&](TfrmRelAta& r) {
        r.sbtPreview->Click();
        r.sbtPrint->Click();
        r.sbtSalvarComo->Click();
        EXPECT_EQ(0, CallCount("OpenServerQuery")) << "no output ran";
        EXPECT_EQ(first, W().cdsItemTarefa.FieldByName("NRSEQUITTARE").AsString())
            << "back on the first item";
        recorder->Clear();
        dialogs->AnswerPrint(true);
        r.cbxRelatorio->setCurrentIndex(1);
        r.sbtPrint->Click();
        EXPECT_EQ(0, CallCount("GetDescItTare")) << "the agenda layout checks nothing";
        EXPECT_EQ(3, CallCount("OpenServerQuery"));
    });
    EXPECT_EQ(
        "error: Não há dados a serem listados\nerror: Não há dados a serem listados\n"
        "error: Não há dados a serem listados\nprint: Pauta",
        dialogs->ShownText());
}

TEST_F(RelAtaTest, QueriesGetOnlyTheParametersTheyDeclare) {
    const std::string nr = OpenMeetingWithoutAgenda();
    WriteDefinition(
        "report|ZEL004|Só a pauta\nquery|pauta|qryAtaPauta|P_NRTAREFA\n"
        "layout|Pauta simples\nrecords|pauta|Pauta\nheading|{DSREFEITTARE}\n");
    AddItem("Assunto único", "<p>Ata.</p>");
    recorder->Clear();
    Report([](TfrmRelAta& r) { r.sbtPreview->Click(); });
    ASSERT_EQ(1, CallCount("OpenServerQuery"));
    for (const CallRecorder::Call& c : recorder->Calls()) {
        if (c.method != "OpenServerQuery") continue;
        const DataPacket sent = DataPacketFromJson(c.args.at(1).AsPacket());
        ASSERT_EQ(1u, sent.fields.size());
        EXPECT_EQ("P_NRTAREFA", sent.fields[0].name);
        EXPECT_EQ(nr, sent.rows.at(0).at(0).AsString());
    }
    EXPECT_EQ("preview: Pauta simples", dialogs->ShownText());
}

TEST_F(RelAtaTest, AMissingDefinitionNamesTheReportAndTheDirectory) {
    qputenv("ZEL_REPORT_DIR", tmp.path().toLocal8Bit());
    GoTo("0000000013");
    recorder->Clear();
    Report([](TfrmRelAta& r) { r.sbtSalvarComo->Click(); });
    const std::string error =
        "error: O arquivo contendo a definição do relatório de código "
        "'ZEL004' não foi encontrado no diretório '" +
        tmp.path().toStdString() + "'.";
    EXPECT_EQ(error + "\n" + error, dialogs->ShownText()) << "at opening and at the output";
    EXPECT_EQ(0, CallCount("OpenServerQuery"));
    EXPECT_FALSE(Cli_zel00402::boStCriado) << "closing ends the instance";
}

TEST_F(RelAtaTest, ThePdfHasTheMeetingItsItemsInOrderAndTheirMinutesFormatted) {
    OpenMeetingWithoutAgenda();
    const std::string ref = W().cdsControle.FieldByName("DSREFETAREFA").AsString();
    AddItem("Orçamento anual",
            "<p><b>Aprovado</b> com <i>ressalvas</i> <span style=\"color:#c00000\">urgentes</span>"
            "</p><ul><li>revisar custos</li></ul>");
    AddItem("Contratações");
    AddItem("Encerramento", "<p align=\"center\">Próxima reunião em março.</p>");
    const QString pdf = QDir(tmp.path()).filePath("ata.pdf");
    dialogs->AnswerSaveFile(pdf.chopped(4).toStdString());  // ".pdf" is added
    Report([](TfrmRelAta& r) { r.sbtSalvarComo->Click(); });
    ASSERT_EQ("save: Salvar como", dialogs->ShownText());
    const std::string text = PdfText(pdf);
    size_t at = 0;
    for (const char* part : {"Ata da Reunião", ref.c_str(), "Participantes", "Orçamento anual",
                             "Aprovado com ressalvas urgentes", "revisar custos", "Contratações",
                             "Ata não registrada.", "Encerramento", "Próxima reunião em março."}) {
        const size_t found = text.find(part, at);
        ASSERT_NE(std::string::npos, found) << "\"" << part << "\" in order in:\n" << text;
        at = found;
    }
    EXPECT_NE(std::string::npos, text.find("Filial 0001")) << text;
    EXPECT_NE(std::string::npos, text.find("Página 1 de")) << text;
}

TEST_F(RelAtaTest, OldRtfMinutesOfADemoMeetingPrintAsTheirText) {
    GoTo("0000000013");
    const QString pdf = QDir(tmp.path()).filePath("demo.pdf");
    dialogs->AnswerSaveFile(pdf.toStdString());
    Report([](TfrmRelAta& r) { r.sbtSalvarComo->Click(); });
    const std::string text = PdfText(pdf);
    EXPECT_NE(std::string::npos, text.find("Acompanhamento do projeto")) << text;
    const size_t first = text.find("Abertura e informes");
    const size_t second = text.find("Próximos passos");
    ASSERT_NE(std::string::npos, first) << text;
    ASSERT_NE(std::string::npos, second) << text;
    EXPECT_LT(first, second);
    EXPECT_NE(std::string::npos, text.find("Ata: assunto discutido e aprovado.", first)) << text;
    EXPECT_EQ(std::string::npos, text.find("rtf1")) << "no control words";
    EXPECT_NE(std::string::npos, text.find("Sim")) << "who took part";
}

}  // namespace
