// Saving a meeting with a room when a step of the save does not reach the server or is refused
// there: the meeting's old booking goes only once the meeting itself is saved, a booking step
// that fails keeps the room typed for a second confirm, and a room taken by another meeting is
// refused, by the window before anything is sent and by the server's refusal shown first.
#include "tests/meeting/meeting_edit_support.h"
#include "tests/meeting/meeting_seed.h"

using namespace Cli_zel00400;

namespace {

class BookingSaveTest : public MeetingEditFixture {
  protected:
    // The meeting's bookings on the server, "room hhmm-hhmm" each, by start.
    std::string Bookings(const std::string& nr) {
        std::string out;
        for (const auto& r :
             seed.Rows("SELECT CDSALA, HRINIAGESALA, HRFINAGESALA FROM AGEATIVISALA "
                       "WHERE NRTAREFA = ? ORDER BY HRINIAGESALA",
                       {nr}))
            out += (out.empty() ? "" : ", ") + r[0].AsString() + " " + r[1].AsString() + "-" +
                   r[2].AsString();
        return out;
    }
    // The meeting's start and duration on the server, "yyyy-mm-dd hh:nn:ss 1,5".
    std::string Stored(const std::string& nr) {
        const auto rows =
            seed.Rows("SELECT DTHRREUNIAO, QTHRREUNIAO FROM TAREFA WHERE NRTAREFA = ?", {nr});
        if (rows.empty()) return "(none)";
        return rows[0][0].AsString() + " " + FloatToStr(rows[0][1].AsFloat());
    }
    // A start as Stored shows it.
    std::string At(const std::string& start, const std::string& hours) const {
        return FormatDateTime("yyyy-mm-dd hh:nn:ss", MeetingStart(day, start)) + " " + hours;
    }
    // Starts changing the current meeting to start at `start`, the room `room` typed again
    // (a new start drops the room).
    void MoveTo(TfrmReuniao& w, const std::string& start, const std::string& room) {
        ASSERT_TRUE(w.sbtAlterar->Click()) << dialogs->ShownText();
        w.medHoraIni->SetText(start);
        ASSERT_EQ("", w.dbeCdSalas->Text()) << "a new start drops the room";
        w.dbeCdSalas->SetText(room);
        dialogs->ClearShown();
        recorder->Clear();
    }

    meeting_seed::Seeder seed{server};
    const TDateTime day = Date() + 48;
    static constexpr const char* kLost =
        "error: O servidor de aplicação em in-process falhou ao atender o pedido: Conexão com o "
        "servidor de aplicação perdida.";
};

TEST_F(BookingSaveTest, AMovedMeetingWhoseSaveIsLostKeepsItsRoomWhenTheOperatorGivesUp) {
    TfrmReuniao& w = Open();
    const std::string nr = SaveMeeting(w, day, "10:00", "01:00", "00003");
    ASSERT_EQ("00003 1000-1100", Bookings(nr));
    MoveTo(w, "15:00", "00003");

    dropNextCall = "SetControle";
    EXPECT_FALSE(w.sbtConfirmar->Click());
    EXPECT_EQ(kLost, dialogs->ShownText());
    EXPECT_EQ(0, CallCount("SetSalas")) << "nothing of the booking goes before the meeting";
    EXPECT_EQ(dsEdit, w.cdsControle.State()) << "the move is still on the form";
    EXPECT_EQ("15:00", w.medHoraIni->Text());
    EXPECT_EQ("00003", w.dbeCdSalas->Text());

    // The operator gives up the move: the meeting and its room are as they were.
    dialogs->AnswerQuestion(true);
    ASSERT_TRUE(w.sbtCancelar->Click());
    EXPECT_EQ(std::string(kLost) + "\nquestion: Deseja cancelar as alterações?",
              dialogs->ShownText());
    EXPECT_EQ(At("10:00", "1"), Stored(nr));
    EXPECT_EQ("00003 1000-1100", Bookings(nr)) << "the room stays booked for the meeting";
    EXPECT_EQ("10:00", w.medHoraIni->Text());
    EXPECT_EQ("00003", w.dbeCdSalas->Text());
    EXPECT_EQ(0, CallCount("SetSalas"));
}

TEST_F(BookingSaveTest, AMovedMeetingWhoseBookingIsLostKeepsTheRoomForTheSecondConfirm) {
    TfrmReuniao& w = Open();
    const std::string nr = SaveMeeting(w, day, "10:00", "01:00", "00003");
    MoveTo(w, "15:00", "00003");

    // The meeting is saved at its new time; the old booking's deletion never arrives.
    dropNextCall = "SetSalas";
    EXPECT_FALSE(w.sbtConfirmar->Click());
    EXPECT_EQ(kLost, dialogs->ShownText());
    EXPECT_EQ(At("15:00", "1"), Stored(nr));
    EXPECT_EQ("00003 1000-1100", Bookings(nr)) << "nothing was deleted";
    EXPECT_EQ(0, CallCount("GetAlteraAtiv")) << "the save stops at the booking";
    EXPECT_EQ(dsEdit, w.cdsControle.State());
    EXPECT_EQ("00003", w.dbeCdSalas->Text()) << "the room typed is still there";
    EXPECT_EQ("15:00", w.medHoraIni->Text());

    // The second confirm books the room at the new time and only then lets the old one go.
    dialogs->ClearShown();
    recorder->Clear();
    ASSERT_TRUE(w.sbtConfirmar->Click()) << dialogs->ShownText();
    EXPECT_EQ("", dialogs->ShownText());
    EXPECT_EQ("00003 1500-1600", Bookings(nr));
    EXPECT_EQ(2, CallCount("SetSalas")) << "the old row deleted, the new one inserted";
    EXPECT_EQ(1, CallCount("GetAlteraAtiv")) << "the activities follow the meeting now";
    EXPECT_EQ(0, CallCount("GetPrxTarefa"));
    EXPECT_EQ(dsBrowse, w.cdsControle.State());
    EXPECT_EQ("1500", w.cdsAgeAtiviSala.FieldByName("HRINIAGESALA").AsString());
}

TEST_F(BookingSaveTest, ANewMeetingWhoseBookingIsLostIsBookedAndGetsItsActivitiesOnConfirm) {
    TfrmReuniao& w = Open();
    StartNewMeeting(w);
    TypeWindow(w, day, "08:00", "01:00");
    w.dbeCdSalas->SetText("00002");
    dropNextCall = "SetSalas";
    EXPECT_FALSE(w.sbtConfirmar->Click());
    const std::string nr = stNovaTarefa;
    EXPECT_EQ(At("08:00", "1"), Stored(nr));
    EXPECT_EQ("", Bookings(nr));
    EXPECT_EQ(0, ActivitiesOf(nr));
    EXPECT_EQ("00002", w.dbeCdSalas->Text());

    recorder->Clear();
    ASSERT_TRUE(w.sbtConfirmar->Click()) << dialogs->ShownText();
    EXPECT_EQ(nr, w.cdsControle.FieldByName("NRTAREFA").AsString()) << "its number kept";
    EXPECT_EQ(0, CallCount("GetPrxTarefa"));
    EXPECT_EQ("00002 0800-0900", Bookings(nr));
    EXPECT_GT(ActivitiesOf(nr), 0) << "created as for any new meeting";
}

TEST_F(BookingSaveTest, ALengthenedMeetingCannotTakeAnHourItsRoomHasForAnother) {
    TfrmReuniao& w = Open();
    const std::string nr = SaveMeeting(w, day, "10:00", "01:00", "00003");
    const std::string next = SaveMeeting(w, day, "11:00", "01:00", "00003");
    ASSERT_TRUE(w.cdsControle.Locate("NRTAREFA", {Variant(nr)}));

    ASSERT_TRUE(w.sbtAlterar->Click());
    w.medQtdeHoras->SetText("02:00");
    w.dbeCdSalas->SetText("00003");
    dialogs->ClearShown();
    recorder->Clear();
    EXPECT_FALSE(w.sbtConfirmar->Click());
    EXPECT_EQ("error: Sala já está reservada para este horário.", dialogs->ShownText());
    EXPECT_EQ(0, CallCount("SetControle")) << "refused before anything is sent";
    EXPECT_EQ(dsEdit, w.cdsControle.State());
    EXPECT_EQ(At("10:00", "1"), Stored(nr));
    EXPECT_EQ("00003 1000-1100", Bookings(nr));
    EXPECT_EQ("00003 1100-1200", Bookings(next));
}

TEST_F(BookingSaveTest, ARoomTakenWhileTheMeetingIsSavedIsTheRefusalShownAndTheRoomCanBeChanged) {
    TfrmReuniao& w = Open();
    const std::string nr = SaveMeeting(w, day, "10:00", "01:00", "00003");
    ASSERT_TRUE(w.sbtAlterar->Click());
    w.medQtdeHoras->SetText("02:00");
    w.dbeCdSalas->SetText("00003");
    // Another operator books the room's next hour while the meeting is being saved.
    seed.Meeting("0000900101", "Outra reunião", 48, 11);
    beforeCall = [this](std::string_view body) {
        if (body.find("\"SetControle\"") == std::string_view::npos) return;
        beforeCall = nullptr;
        seed.Booking("0000900101", "00003", 48, "1100", "1200", "90101");
    };
    dialogs->ClearShown();
    recorder->Clear();
    EXPECT_FALSE(w.sbtConfirmar->Click());
    ASSERT_EQ(1u, dialogs->Shown().size()) << dialogs->ShownText();
    EXPECT_NE(std::string::npos, dialogs->ShownText().find("reservada")) << dialogs->ShownText();
    EXPECT_EQ(0, CallCount("GetAlteraAtiv")) << "no later step runs before the room is settled";
    EXPECT_EQ(At("10:00", "2"), Stored(nr)) << "stored longer";
    EXPECT_EQ("00003 1000-1100", Bookings(nr)) << "its booking as it was";
    EXPECT_EQ(dsEdit, w.cdsControle.State());
    EXPECT_EQ("02:00", w.medQtdeHoras->Text());
    EXPECT_EQ("00003", w.dbeCdSalas->Text());

    // Another room, and the save goes through to its end.
    w.dbeCdSalas->SetText("00004");
    dialogs->ClearShown();
    ASSERT_TRUE(w.sbtConfirmar->Click()) << dialogs->ShownText();
    EXPECT_EQ("00004 1000-1200", Bookings(nr));
    EXPECT_EQ(1, CallCount("GetAlteraAtiv"));
    EXPECT_EQ(dsBrowse, w.cdsControle.State());
}

}  // namespace
