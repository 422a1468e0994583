// A meeting's history and the cancellation's reason from the meeting window against the real
// application server: the reason asked at cancellation and told in the notices, the
// "Histórico" dialog (a real window-modal dialog over the window in an MDI area) after the
// meeting was moved, given another room, joined by a participant and cancelled, with people and
// rooms by name, and the list's "Alterada por" column.
#include <QApplication>
#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTableWidget>

#include "base/page_control_ex.h"
#include "meeting/history_dialog.h"
#include "tests/meeting/meeting_edit_support.h"
#include "tests/meeting/meeting_seed.h"

using namespace Cli_zel00400;

namespace {

constexpr int kDay = 60;  // days from today: beyond every demo meeting

class HistoryWindowTest : public MeetingEditFixture {
  protected:
    void TearDown() override {
        MeetingEditFixture::TearDown();
        host.reset();
    }
    // Opens the window showing every status, on meeting `nr`, with the dialogs' record cleared.
    TfrmReuniao& OpenOn(const std::string& nr) {
        TfrmReuniao& w = Open();
        SetStatusButtons(w, true, true, true, true);
        EXPECT_TRUE(w.cdsControle.Locate("NRTAREFA", {Variant(nr)}));
        dialogs->ClearShown();
        return w;
    }
    std::vector<std::string> Notices(const std::string& op) {
        std::vector<std::string> out;
        for (const auto& r : seed.Rows("SELECT DSATIVPESSOAL FROM ATIVPESSOAL WHERE CDOPERADOR "
                                       "= ? ORDER BY NRATIVPESSOAL",
                                       {op}))
            out.push_back(r[0].AsString());
        return out;
    }
    // The index of the first line holding every one of `parts`; -1 when none does.
    static int Find(const std::vector<std::string>& lines, std::vector<std::string> parts) {
        for (size_t i = 0; i < lines.size(); ++i) {
            bool all = true;
            for (const std::string& p : parts)
                all = all && lines[i].find(p) != std::string::npos;
            if (all) return static_cast<int>(i);
        }
        return -1;
    }
    static std::string Joined(const std::vector<std::string>& lines) {
        std::string out;
        for (const std::string& l : lines)
            out += l + "\n";
        return out;
    }

    meeting_seed::Seeder seed{server};
    std::unique_ptr<MdiMainWindow> host;
};

TEST_F(HistoryWindowTest, CancellationAsksAReasonAndTellsItInTheNotices) {
    seed.Meeting("0000900201", "Revisão do contrato de manutenção", kDay);
    seed.Activity("0000900201", "00001", CurrentOperator());
    seed.Activity("0000900201", "00002", "000000000002");
    seed.Meeting("0000900202", "Reunião mantida", kDay, 14);
    TfrmReuniao& w = OpenOn("0000900202");

    // Backing out of the reason backs out of the cancellation.
    dialogs->AnswerQuestion(true);
    dialogs->AnswerInput(std::nullopt);
    ASSERT_TRUE(w.btnCanReuniao->Click());
    EXPECT_EQ(
        "question: Deseja cancelar a reunião?\n"
        "input: Motivo do cancelamento (opcional): -> (cancel)",
        dialogs->ShownText());
    EXPECT_EQ(0, CallCount("GetUpdCancelTarefa"));

    ASSERT_TRUE(w.cdsControle.Locate("NRTAREFA", {Variant("0000900201")}));
    dialogs->ClearShown();
    dialogs->AnswerQuestion(true);
    dialogs->AnswerInput("  Sala interditada pela manutenção  ");
    ASSERT_TRUE(w.btnCanReuniao->Click());
    EXPECT_EQ(
        "question: Deseja cancelar a reunião?\n"
        "input: Motivo do cancelamento (opcional): ->   Sala interditada pela manutenção  \n"
        "notice: Cancelamento realizado com sucesso.",
        dialogs->ShownText());
    const std::string who(Utf8Prefix(CurrentOperatorName(), 20));
    EXPECT_EQ((std::vector<std::string>{"Revisão do contrato de manutenção, agendada para " +
                                        DateToStr(seed.Day(kDay)) + " foi cancelada por " + who +
                                        ". Motivo: Sala interditada pela manutenção"}),
              Notices("000000000002"));
    EXPECT_EQ("Sala interditada pela manutenção",
              seed.Rows("SELECT DSMOTCANCEL FROM TAREFA WHERE NRTAREFA = '0000900201'")
                  .at(0)
                  .at(0)
                  .AsString());
    // The status line of the cancellation in the history names the reason.
    ASSERT_TRUE(w.btnHistorico->Click()) << dialogs->ShownText();
    QPointer<THistoryDialog> d = w.findChild<THistoryDialog*>("dlgHistorico");
    ASSERT_NE(nullptr, d.data());
    EXPECT_EQ(0, Find(d->Lines(), {"Situação: Pendente → Cancelada",
                                   "Motivo do cancelamento: (vazio) → Sala interditada"}))
        << Joined(d->Lines());
    d->close();
}

TEST_F(HistoryWindowTest, ShowsAMoveARoomChangeAParticipantAndACancellationNewestFirst) {
    host = std::make_unique<MdiMainWindow>();
    ASSERT_TRUE(host->Activate());
    TfrmReuniao& w = Open();
    ASSERT_NE(nullptr, qobject_cast<QMdiSubWindow*>(w.parentWidget())) << "an MDI child";
    SetStatusButtons(w, true, true, true, true);
    const TDateTime day = Date() + kDay;
    const std::string nr = SaveMeeting(w, day, "09:00", "01:00", "00001");

    // Moved to 10:00 (the room typed again), then into another room.
    ASSERT_TRUE(w.sbtAlterar->Click()) << dialogs->ShownText();
    w.medHoraIni->SetText("10:00");
    w.dbeCdSalas->SetText("00001");
    ASSERT_TRUE(w.sbtConfirmar->Click()) << dialogs->ShownText();
    ASSERT_TRUE(w.sbtAlterar->Click()) << dialogs->ShownText();
    w.dbeCdSalas->SetText("00002");
    ASSERT_TRUE(w.sbtConfirmar->Click()) << dialogs->ShownText();

    // Ana joins.
    w.pgcReuniao->SetActivePage(w.tshParticipantes);
    w.pgcReuniaoChange();
    TClientDataSet& a = w.cdsAtividades;
    a.Insert();
    a.FieldByName("CDARVPROCESS").SetAsString("0101");
    a.FieldByName("CDOPERRESP").SetAsString("000000000002");
    a.FieldByName("DTINPATIVTAR").SetAsDateTime(day + 10 / 24.0);
    a.FieldByName("QTHRPATIVTARE").SetAsString("000100");
    a.Post();
    w.pgcReuniao->SetActivePage(w.tshReuniao);
    w.pgcReuniaoChange();

    ASSERT_TRUE(w.cdsControle.Locate("NRTAREFA", {Variant(nr)}));
    dialogs->AnswerQuestion(true);
    dialogs->AnswerInput("Cliente desmarcou");
    ASSERT_TRUE(w.btnCanReuniao->Click()) << dialogs->ShownText();
    ASSERT_TRUE(w.cdsControle.Locate("NRTAREFA", {Variant(nr)}));
    EXPECT_EQ(CurrentOperatorName(), w.cdsControle.FieldByName("NMOPERULTALT").AsString());

    recorder->Clear();
    w.mnuHistorico->trigger();
    EXPECT_EQ(1, CallCount("GetHistorico"));
    EXPECT_EQ(1, CallCount("GetNomesHistorico")) << "the names in one call";
    QPointer<THistoryDialog> d = w.findChild<THistoryDialog*>("dlgHistorico");
    ASSERT_NE(nullptr, d.data());
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(Qt::WindowModal, d->windowModality());
    EXPECT_EQ(d.data(), QApplication::activeModalWidget());
    const std::vector<std::string> lines = d->Lines();
    const std::string when = DateToStr(day);
    const int cancelled = Find(lines, {"| Reunião |", "Situação: Pendente → Cancelada",
                                       "Motivo do cancelamento: (vazio) → Cliente desmarcou"});
    const int joined =
        Find(lines, {"| Participantes |", "Atividade incluída", "Responsável: Ana Souza"});
    const int room = Find(
        lines, {"| Sala |", "Reserva alterada: Sala: Sala de Reuniões 1 → Sala de Reuniões 2"});
    const int moved =
        Find(lines, {"| Reunião |", "Data/Hora Reunião: " + when + " 09:00 → " + when + " 10:00"});
    const std::string all = Joined(lines);
    ASSERT_GE(cancelled, 0) << all;
    EXPECT_LT(cancelled, joined) << all;
    EXPECT_LT(joined, room) << all;
    EXPECT_LT(room, moved) << all;
    EXPECT_NE(std::string::npos, lines[static_cast<size_t>(moved)].find(CurrentOperatorName()));
    EXPECT_EQ(std::string::npos, all.find("Responsável: 0")) << all;
    EXPECT_EQ(std::string::npos, all.find("Sala: 0")) << all;

    // Filtered by kind: only the room's records.
    d->SetKind("room");
    ASSERT_FALSE(d->Lines().empty());
    for (const std::string& line : d->Lines())
        EXPECT_NE(std::string::npos, line.find("| Sala |")) << line;
    d->SetKind("");
    EXPECT_EQ(lines, d->Lines());

    if (!qEnvironmentVariableIsEmpty("ZEL_SCREENSHOT_DIR")) {
        d->resize(980, 460);
        QApplication::processEvents();
        EXPECT_TRUE(
            d->grab().save(qEnvironmentVariable("ZEL_SCREENSHOT_DIR") + "/history-dialog.png"));
    }
    d->close();
    QApplication::processEvents();
    EXPECT_TRUE(d.isNull()) << "the dialog goes when closed";
}

TEST_F(HistoryWindowTest, NamesOnlyWhomTheBranchMaySeeOthersByCode) {
    // A former operator of the branch reads by name; one who only ever worked for another
    // branch (and is no longer active) stays a code, as he does in every lookup of this branch.
    seed.Exec("UPDATE OPERADOR SET IDATIVO = 'N' WHERE CDOPERADOR = '000000000004'");
    seed.Exec(
        "INSERT INTO OPERADOR (CDOPERADOR, NMOPERADOR, DSSENHA, IDATIVO) VALUES "
        "('000000000031', 'Sul Inativo', 'x', 'N')");
    seed.Exec("INSERT INTO OPERFILIAL (CDOPERADOR, CDFILIAL) VALUES ('000000000031', '0002')");
    seed.Meeting("0000900204", "Com antigos", kDay);
    seed.Activity("0000900204", "00001", "000000000004");
    seed.Activity("0000900204", "00002", "000000000031");
    TfrmReuniao& w = OpenOn("0000900204");
    ASSERT_TRUE(w.btnHistorico->Click()) << dialogs->ShownText();
    QPointer<THistoryDialog> d = w.findChild<THistoryDialog*>("dlgHistorico");
    ASSERT_NE(nullptr, d.data());
    const std::vector<std::string> lines = d->Lines();
    EXPECT_GE(Find(lines, {"Atividade incluída 00001: Responsável: Carla Mendes"}), 0)
        << Joined(lines);
    EXPECT_GE(Find(lines, {"Atividade incluída 00002: Responsável: 000000000031"}), 0)
        << Joined(lines);
    EXPECT_EQ(std::string::npos, Joined(lines).find("Sul Inativo"));
    d->close();
}

TEST_F(HistoryWindowTest, RefusedWhileTheMeetingIsBeingTyped) {
    seed.Meeting("0000900203", "Em digitação", kDay);
    TfrmReuniao& w = OpenOn("0000900203");
    ASSERT_TRUE(w.sbtAlterar->Click());
    w.dbeDsReferencia->SetText("Em digitação, alterada");
    recorder->Clear();
    dialogs->ClearShown();
    EXPECT_FALSE(w.btnHistorico->Click());
    EXPECT_EQ("notice: Grave ou cancele o registro em digitação antes de consultar o histórico.",
              dialogs->ShownText());
    EXPECT_EQ(0, CallCount("GetHistorico"));
    EXPECT_EQ("Em digitação, alterada", w.dbeDsReferencia->Text()) << "the typing is kept";
    EXPECT_EQ(nullptr, w.findChild<THistoryDialog*>("dlgHistorico"));
}

}  // namespace
