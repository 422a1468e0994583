// Planning a meeting's room and time on the form page, against the real application server:
// the free-room pick list narrowed to the places and equipment the meeting needs, the question
// before a meeting is saved in a room too small for its participants, and the slot
// suggestions, whose chosen slot is typed into the form through the checks of typing it.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QSpinBox>
#include <QTimeEdit>
#include <QTimer>

#include "base/guard.h"
#include "base/page_control_ex.h"
#include "meeting/room_day_dialog.h"
#include "meeting/room_day_view.h"
#include "meeting/slot_suggestion_dialog.h"
#include "tests/meeting/meeting_edit_support.h"

using namespace Cli_zel00400;

namespace {

class RoomPlanningTest : public MeetingEditFixture {
  protected:
    // A Wednesday some weeks ahead: a working day with nothing of the demo data.
    static TDateTime AWednesday() {
        TDateTime d = Date() + 45;
        while (DayOfWeek(d) != 4)
            d += 1;
        return d;
    }

    void Sql(const std::string& sql, const std::vector<Variant>& params = {}) {
        server->Impl().db().Transact(true, [&](zel::appserver::SqlConnection& c) {
            c.Exec(sql, params);
            return true;
        });
    }

    // Participation activities of meeting `nr` for `operators`, at its own hour.
    void AddParticipants(const std::string& nr, TDateTime start,
                         const std::vector<std::string>& operators) {
        for (const std::string& op : operators)
            Sql("INSERT INTO PLANATIVTARE (CDFILIAL, NRTAREFA, NRPLATIVTARE, CDPROCESSO, "
                "CDOPERRESP, DTINPATIVTAR, DTFIPATIVTAR, QTHRPATIVTAR, DTINCATIVTAR, CDOPERINCL, "
                "IDSITATIVTAR, IDOPERPAREUNIAO, CDITEMTRAB) VALUES ('0001', ?, ?, '0000000002', "
                "?, ?, ?, 1, ?, '000000000001', 'P', 'N', '0000000001')",
                {nr, PadField(std::to_string(nextActivity++), 5), op, Variant::FromDateTime(start),
                 Variant::FromDateTime(start + 1.0 / 24), Variant::FromDateTime(Date())});
    }

    // The free rooms the pick list holds, "code places" each, in its order.
    static std::string Listed(TfrmReuniao& w) {
        std::string s;
        const DataPacket rows = w.cdsSalas.DataAsPacket();
        const int code = rows.FieldIndex("CDSALA"), places = rows.FieldIndex("QTCAPACSALA");
        for (const PacketRow& r : rows.rows)
            s += (s.empty() ? "" : ", ") + r.at(static_cast<size_t>(code)).AsString() + " " +
                 r.at(static_cast<size_t>(places)).AsString();
        return s;
    }

    // Reloads the list and makes meeting `nr` current with its details.
    void Reload(TfrmReuniao& w, const std::string& nr) {
        w.sbtVerificarClick();
        ASSERT_TRUE(w.cdsControle.Locate("NRTAREFA", {Variant(nr)}));
    }

    int nextActivity = 60;

    std::string StoredRoom(const std::string& nr) {
        return server->Impl().db().Transact(false, [&](zel::appserver::SqlConnection& c) {
            const auto r = c.Exec(
                "SELECT CDSALA FROM AGEATIVISALA WHERE CDFILIAL = '0001' AND NRTAREFA = ? AND "
                "IDSITAGESALA = 'A'",
                {nr});
            return r.rows.empty() ? std::string() : r.rows[0][0].AsString();
        });
    }
};

TEST_F(RoomPlanningTest, PickListIsNarrowedToPlacesAndEquipmentSmallestFirst) {
    TfrmReuniao& w = Open();
    StartNewMeeting(w);
    TypeWindow(w, AWednesday(), "10:00", "01:00");
    EXPECT_EQ(0, w.spnLugares->value()) << "the responsible alone fits any room";

    w.spnLugares->setValue(10);
    w.edtEquipamentos->setText(" Projetor ");
    recorder->Clear();
    dialogs->AnswerSearch("CDSALA", "00004");
    ASSERT_TRUE(w.btnPesqSalas->Pesquisa()) << dialogs->ShownText();
    EXPECT_EQ("00004 12, 00005 24, 00003 80", Listed(w));
    ASSERT_TRUE(w.cdsSalas.Locate("CDSALA", {Variant("00004")}));
    EXPECT_EQ("acessível, projetor, videoconferência",
              w.cdsSalas.FieldByName("DSEQUIPSALA").AsString());
    EXPECT_EQ("Lugares", w.cdsSalas.FieldByName("QTCAPACSALA").DisplayLabel());
    const auto calls = recorder->Calls();
    const auto it = std::find_if(calls.begin(), calls.end(), [](const CallRecorder::Call& c) {
        return c.method == "GetSalas";
    });
    ASSERT_NE(calls.end(), it);
    const CallRecorder::Call& call = *it;
    ASSERT_EQ(7u, call.args.size());
    EXPECT_EQ(10, call.args[4].AsInteger());
    EXPECT_EQ("Projetor", call.args[5].AsString());
    EXPECT_EQ("S", call.args[6].AsString());
    EXPECT_EQ("00004", w.dbeCdSalas->Text());
    EXPECT_EQ("Sala da Diretoria", w.dbeNmSala->Text());

    // The rooms' day is narrowed the same way, each room with its places.
    dialogs->ClearShown();
    ASSERT_TRUE(w.btnAgendaSalas->Click()) << dialogs->ShownText();
    QPointer<TRoomDayDialog> day = w.findChild<TRoomDayDialog*>("dlgSalasDia");
    ASSERT_TRUE(day);
    EXPECT_EQ((std::vector<std::string>{"00003", "00004", "00005"}), day->Rooms());
    EXPECT_EQ("00004 - Sala da Diretoria (12)", day->View()->RowLabel(1).toStdString());
    EXPECT_EQ("00004 - Sala da Diretoria - 12 lugares; acessível, projetor, videoconferência",
              day->cbxSala->itemText(1).toStdString());
    day->close();

    // Nothing fits: said so, and the room picked stays.
    w.spnLugares->setValue(500);
    dialogs->ClearShown();
    EXPECT_FALSE(w.btnPesqSalas->Pesquisa());
    EXPECT_EQ("error: Nenhuma sala livre neste horário tem os lugares e os equipamentos pedidos.",
              dialogs->ShownText());
    EXPECT_EQ("00004", w.dbeCdSalas->Text());

    // A typed room is still checked against the bookings as before.
    w.dbeCdSalas->SetText("00001");
    dialogs->ClearShown();
    EXPECT_TRUE(Guard([&] { w.dbeCdSalasExit(); })) << dialogs->ShownText();
    EXPECT_EQ("Sala de Reuniões 1", w.dbeNmSala->Text());
    ASSERT_TRUE(w.sbtConfirmar->Click()) << dialogs->ShownText();
    EXPECT_EQ("00001", StoredRoom(stNovaTarefa));
}

TEST_F(RoomPlanningTest, PlacesFollowTheMeetingsParticipantsUntilTheOperatorSetsThem) {
    TfrmReuniao& w = Open();
    const TDateTime day = AWednesday();
    const std::string nr = SaveMeeting(w, day, "10:00", "01:00", "00001");
    EXPECT_EQ(0, w.spnLugares->value()) << "the responsible alone";
    // The activities reloaded for the same meeting (as the activities page does after a
    // participant is added) bring the places along.
    AddParticipants(nr, day + 10.0 / 24, {"000000000002", "000000000003"});
    w.CarregaAtividades();
    EXPECT_EQ(3, w.spnLugares->value()) << "the responsible and two more";
    EXPECT_EQ(3u, w.ParticipantesReuniao().size());

    w.spnLugares->setValue(5);
    w.edtEquipamentos->setText("projetor");
    AddParticipants(nr, day + 10.0 / 24, {"000000000004"});
    w.CarregaAtividades();
    EXPECT_EQ(5, w.spnLugares->value()) << "the operator's choice holds for the meeting";
    EXPECT_EQ("projetor", w.edtEquipamentos->text().toStdString());

    // Another meeting starts from its own needs, and so does this one when it comes back.
    Reload(w, nr);
    EXPECT_EQ(4, w.spnLugares->value());
    EXPECT_EQ("", w.edtEquipamentos->text().toStdString());
    StartNewMeeting(w);
    EXPECT_EQ(0, w.spnLugares->value());
}

TEST_F(RoomPlanningTest, ARoomTooSmallIsAskedAboutAndNoKeepsEverythingTyped) {
    TfrmReuniao& w = Open();
    const TDateTime day = AWednesday();
    const std::string nr = SaveMeeting(w, day, "10:00", "01:00", "00001");
    AddParticipants(nr, day + 10.0 / 24, {"000000000002", "000000000003", "000000000004"});
    Sql("UPDATE SALA SET QTCAPACSALA = 3 WHERE CDFILIAL = '0001' AND CDSALA = '00002'");
    Reload(w, nr);

    // The room it has asks nothing, however small.
    ASSERT_TRUE(w.sbtAlterar->Click()) << dialogs->ShownText();
    w.dbeDsReferencia->SetText("Comitê ampliado");
    dialogs->ClearShown();
    ASSERT_TRUE(w.sbtConfirmar->Click()) << dialogs->ShownText();
    EXPECT_EQ("", dialogs->ShownText());

    ASSERT_TRUE(w.sbtAlterar->Click()) << dialogs->ShownText();
    w.dbeDsReferencia->SetText("Comitê na sala 2");
    w.dbeCdSalas->SetText("00002");
    dialogs->ClearShown();
    dialogs->AnswerQuestion(false);
    EXPECT_FALSE(w.sbtConfirmar->Click());
    EXPECT_EQ(
        "question: A sala 00002 tem 3 lugares e a reunião tem 4 participantes. Deseja gravar a "
        "reunião nesta sala assim mesmo?",
        dialogs->ShownText());
    EXPECT_EQ(dsEdit, w.cdsControle.State()) << "back to editing";
    EXPECT_EQ("Comitê na sala 2", w.dbeDsReferencia->Text());
    EXPECT_EQ("00002", w.dbeCdSalas->Text());
    EXPECT_EQ("00001", StoredRoom(nr)) << "nothing was sent";

    dialogs->ClearShown();
    dialogs->AnswerQuestion(true);
    ASSERT_TRUE(w.sbtConfirmar->Click()) << dialogs->ShownText();
    EXPECT_EQ(dsBrowse, w.cdsControle.State());
    EXPECT_EQ("00002", StoredRoom(nr));
}

// In a real MDI area with the real modal dialog: the slots avoid the participants' other
// activities, the free/busy shows a row per participant and per suggested room, and the slot
// chosen is typed into the form and saved.
TEST_F(RoomPlanningTest, ASuggestedSlotFillsTheFormThroughTheTypedChecks) {
    MdiMainWindow host;
    ASSERT_TRUE(host.Activate());
    TfrmReuniao& w = Open();
    const TDateTime day = AWednesday();
    // The responsible is busy from 08:00 to 12:00 that day with another meeting.
    SaveMeeting(w, day, "08:00", "04:00", "00003");
    const std::string nr = SaveMeeting(w, day + 1, "16:00", "01:00", "00001");
    AddParticipants(nr, day + 1 + 16.0 / 24, {"000000000002"});
    Reload(w, nr);
    w.pgcReuniao->SetActivePage(w.tshFormulario);
    w.pgcReuniaoChange();
    ASSERT_TRUE(w.btnSugerirHorario->isEnabled());

    SuggestedSlot chosen;
    int rows = 0;
    std::vector<SuggestedSlot> offered;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<TSlotSuggestionDialog*>(QApplication::activeModalWidget());
        if (!d) return ADD_FAILURE() << "no suggestion dialog";
        d->depDia->SetDate(day);
        d->tmeDuracao->setTime(QTime(1, 30));
        d->spnLugares->setValue(10);
        Guard([&] { d->Search(); });
        offered = d->Slots();
        rows = d->View()->RowCount();
        if (offered.size() < 2) return d->reject();
        d->SelectSlot(1);
        chosen = offered[1];
        EXPECT_TRUE(d->ChooseSlot()) << dialogs->ShownText();
    });
    recorder->Clear();
    EXPECT_TRUE(w.btnSugerirHorario->Click()) << dialogs->ShownText();

    ASSERT_EQ(10u, offered.size());
    for (const SuggestedSlot& s : offered) {
        EXPECT_GE(s.day, day);
        EXPECT_TRUE(s.day != day || s.startMinute >= 12 * 60) << "the responsible is busy";
        EXPECT_EQ(90, s.endMinute - s.startMinute);
        EXPECT_GE(s.places.value_or(0), 10);
    }
    EXPECT_GE(rows, 3) << "two participants and at least one room";
    EXPECT_EQ(chosen.day, w.depDataIni->GetDate());
    EXPECT_EQ(QString::asprintf("%02d:%02d", chosen.startMinute / 60, chosen.startMinute % 60)
                  .toStdString(),
              w.medHoraIni->Text());
    EXPECT_EQ("01:30", w.medQtdeHoras->Text());
    EXPECT_EQ(chosen.room, w.dbeCdSalas->Text());
    EXPECT_EQ(chosen.roomName, w.dbeNmSala->Text());
    EXPECT_EQ(10, w.spnLugares->value());
    EXPECT_EQ(dsEdit, w.cdsControle.State());
    EXPECT_EQ(1, CallCount("getFindSala")) << "the room checked as a typed one";

    ASSERT_TRUE(w.sbtConfirmar->Click()) << dialogs->ShownText();
    EXPECT_EQ(chosen.room, StoredRoom(nr));
    EXPECT_NEAR(chosen.day + chosen.startMinute / 1440.0,
                w.cdsControle.FieldByName("DTHRREUNIAO").AsDateTime(), 1e-6);
}

// The menu entry reaches the suggestions from any page: the form page is shown first.
TEST_F(RoomPlanningTest, TheMenuEntryShowsTheFormPageAndOpensTheSuggestions) {
    TfrmReuniao& w = Open();
    const std::string nr = SaveMeeting(w, AWednesday(), "10:00", "01:00", "00001");
    w.pgcReuniao->SetActivePage(w.tshParticipantes);
    w.pgcReuniaoChange();
    bool opened = false;
    QWidget* page = nullptr;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<TSlotSuggestionDialog*>(QApplication::activeModalWidget());
        opened = d != nullptr;
        page = w.pgcReuniao->ActivePage();
        if (d) d->reject();
    });
    ASSERT_TRUE(w.mnuSugerirHorario->isEnabled());
    w.mnuSugerirHorario->trigger();
    EXPECT_TRUE(opened) << dialogs->ShownText();
    EXPECT_EQ(w.tshFormulario, page);
    EXPECT_EQ(dsBrowse, w.cdsControle.State()) << "closing the dialog changes nothing";
    EXPECT_EQ("00001", w.dbeCdSalas->Text());
    EXPECT_EQ(nr, w.cdsControle.FieldByName("NRTAREFA").AsString());
}

// A slot whose room another operator booked meanwhile is refused as the typed room would be;
// the dialog stays open for another choice.
TEST_F(RoomPlanningTest, ASuggestedRoomTakenMeanwhileIsRefusedLikeATypedOne) {
    MdiMainWindow host;
    ASSERT_TRUE(host.Activate());
    TfrmReuniao& w = Open();
    StartNewMeeting(w);
    TypeWindow(w, AWednesday(), "10:00", "01:00");
    w.pgcReuniao->SetActivePage(w.tshFormulario);
    w.spnLugares->setValue(500);

    bool refused = false, stayedOpen = false;
    std::string shown, first;
    dialogs->ClearShown();
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<TSlotSuggestionDialog*>(QApplication::activeModalWidget());
        if (!d) return ADD_FAILURE() << "no suggestion dialog";
        // No room that large: said so, and the operator asks again for fewer places.
        first = dialogs->ShownText();
        EXPECT_TRUE(d->Slots().empty());
        d->spnLugares->setValue(0);
        EXPECT_TRUE(Guard([&] { d->Search(); })) << dialogs->ShownText();
        if (d->Slots().empty()) return d->reject();
        const SuggestedSlot s = d->Slots().front();
        Sql("INSERT INTO AGEATIVISALA (CDFILIAL, DTATIAGESALA, NRSEQAGESALA, CDSALA, "
            "IDSITAGESALA, DSAGENDASALA, HRINIAGESALA, HRFINAGESALA) VALUES ('0001', ?, '99998', "
            "?, 'A', 'Outra reserva', ?, ?)",
            {Variant::FromDateTime(s.day), s.room,
             QString::asprintf("%02d%02d", s.startMinute / 60, s.startMinute % 60).toStdString(),
             QString::asprintf("%02d%02d", s.endMinute / 60, s.endMinute % 60).toStdString()});
        dialogs->ClearShown();
        refused = !d->ChooseSlot();
        shown = dialogs->ShownText();
        stayedOpen = d->isVisible();
        d->reject();
    });
    EXPECT_TRUE(w.btnSugerirHorario->Click()) << dialogs->ShownText();
    EXPECT_EQ("error: Nenhuma sala ativa da filial atende a: 500 lugares.", first);
    EXPECT_TRUE(refused);
    EXPECT_EQ("error: Sala já está reservada para este horário.", shown);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(dsInsert, w.cdsControle.State()) << "the new meeting is still being typed";
    EXPECT_EQ("Reunião de teste", w.dbeDsReferencia->Text());
}

}  // namespace
