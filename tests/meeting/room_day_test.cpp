// The rooms' day opened from the form page's room row, against the real application server:
// what a click on a slot does while a meeting is inserted, edited or only shown, the day and
// week of one room, and that another branch's bookings never show.
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPointer>

#include "meeting/room_day_dialog.h"
#include "tests/meeting/meeting_edit_support.h"

using namespace Cli_zel00400;

namespace {

class RoomDayTest : public MeetingEditFixture {
  protected:
    // A Monday some weeks ahead, so that its Tuesday lies in the same week.
    static TDateTime AMonday() {
        const TDateTime d = Date() + 40;
        return d - (DayOfWeek(d) + 5) % 7;
    }

    QPointer<TRoomDayDialog> OpenDay(TfrmReuniao& w) {
        // A window closed before is deleted first, so the one found is the new one.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(nullptr, w.findChild<TRoomDayDialog*>("dlgSalasDia"));
        dialogs->ClearShown();
        EXPECT_TRUE(w.btnAgendaSalas->Click()) << dialogs->ShownText();
        auto* dialog = w.findChild<TRoomDayDialog*>("dlgSalasDia");
        EXPECT_NE(nullptr, dialog);
        return dialog;
    }

    static int RowOf(const TRoomDayDialog& d, const std::string& room) {
        const auto& rooms = d.Rooms();
        const auto it = std::find(rooms.begin(), rooms.end(), room);
        return it == rooms.end() ? -1 : static_cast<int>(it - rooms.begin());
    }

    // The bookings shown, one "row start-end reference" line each, in row order.
    static std::string Shown(const TRoomDayDialog& d) {
        std::vector<RoomDayBooking> all = d.View()->Bookings();
        std::sort(all.begin(), all.end(), [](const RoomDayBooking& a, const RoomDayBooking& b) {
            return std::tie(a.row, a.startMinute) < std::tie(b.row, b.startMinute);
        });
        std::string s;
        for (const RoomDayBooking& b : all)
            s += (s.empty() ? "" : "\n") + std::to_string(b.row) + " " +
                 std::to_string(b.startMinute) + "-" + std::to_string(b.endMinute) + " " +
                 b.reference;
        return s;
    }

    // A booking of branch 0002's room 00001 (the same code as one of branch 0001's rooms).
    void BookOtherBranch(TDateTime day) {
        server->Impl().db().Transact(true, [&](zel::appserver::SqlConnection& c) {
            c.Exec(
                "INSERT INTO AGEATIVISALA (CDFILIAL, DTATIAGESALA, NRSEQAGESALA, CDSALA, "
                "IDSITAGESALA, DSAGENDASALA, HRINIAGESALA, HRFINAGESALA) VALUES ('0002', ?, "
                "'99999', '00001', 'A', 'Filial Sul', '0800', '1200')",
                {Variant::FromDateTime(day)});
        });
    }
};

TEST_F(RoomDayTest, AFreeSlotOfANewMeetingTakesRoomAndStartThroughTheRoomCheck) {
    TfrmReuniao& w = Open();
    const TDateTime day = AMonday();
    SaveMeeting(w, day, "10:00", "01:00", "00002");

    StartNewMeeting(w);
    TypeWindow(w, day, "08:00", "01:00");
    QPointer<TRoomDayDialog> d = OpenDay(w);
    ASSERT_TRUE(d);
    EXPECT_EQ(day, d->Day());
    EXPECT_EQ("Clique num horário livre para reservar a sala.", d->lblDica->text());
    EXPECT_EQ("1 600-660 Reunião de teste", Shown(*d));
    ASSERT_TRUE(d->View()->Outline());
    EXPECT_EQ(-1, d->View()->Outline()->row) << "no room yet: outlined across every room";
    EXPECT_EQ(480, d->View()->Outline()->startMinute);
    EXPECT_EQ(540, d->View()->Outline()->endMinute);

    // A booked slot changes nothing and asks the server nothing.
    recorder->Clear();
    EXPECT_TRUE(d->ClickSlot({RowOf(*d, "00002"), 10 * 60 + 15}));
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ("", w.dbeCdSalas->Text());
    EXPECT_EQ("08:00", w.medHoraIni->Text());
    EXPECT_EQ(0, CallCount("getVdSala"));

    // A free slot whose hour would run into the booking is refused as the typed room would be.
    dialogs->ClearShown();
    EXPECT_FALSE(d->ClickSlot({RowOf(*d, "00002"), 9 * 60 + 15}));
    EXPECT_EQ("error: Sala já está reservada para este horário.", dialogs->ShownText());
    EXPECT_TRUE(d->isVisible()) << "the operator picks again";

    recorder->Clear();
    dialogs->ClearShown();
    ASSERT_TRUE(d->ClickSlot({RowOf(*d, "00003"), 14 * 60 + 30})) << dialogs->ShownText();
    EXPECT_FALSE(d && d->isVisible()) << "a slot taken closes the window";
    EXPECT_EQ("00003", w.dbeCdSalas->Text());
    EXPECT_EQ("Auditório", w.dbeNmSala->Text());
    EXPECT_EQ("14:30", w.medHoraIni->Text());
    EXPECT_EQ("15:30", w.medHoraFin->Text());
    EXPECT_EQ("01:00", w.medQtdeHoras->Text()) << "the duration stays";
    EXPECT_EQ(1, CallCount("getVdSala"));
    EXPECT_EQ(1, CallCount("getFindSala"));

    ASSERT_TRUE(w.sbtConfirmar->Click()) << dialogs->ShownText();
    EXPECT_EQ("00003", w.cdsAgeAtiviSala.FieldByName("CDSALA").AsString());
    EXPECT_EQ("1430", w.cdsAgeAtiviSala.FieldByName("HRINIAGESALA").AsString());
    EXPECT_EQ("1530", w.cdsAgeAtiviSala.FieldByName("HRFINAGESALA").AsString());
}

TEST_F(RoomDayTest, AnEditedMeetingTakesOnlyTheRoomAndAShownOneTakesNothing) {
    TfrmReuniao& w = Open();
    const TDateTime day = AMonday();
    const std::string nr = SaveMeeting(w, day, "10:00", "01:00", "00002");

    // Only shown: the window is read-only and a click changes nothing.
    QPointer<TRoomDayDialog> d = OpenDay(w);
    ASSERT_TRUE(d);
    EXPECT_EQ("Somente consulta.", d->lblDica->text());
    ASSERT_TRUE(d->View()->Outline());
    EXPECT_EQ(RowOf(*d, "00002"), d->View()->Outline()->row) << "the meeting's own room";
    recorder->Clear();
    EXPECT_TRUE(d->ClickSlot({RowOf(*d, "00004"), 15 * 60}));
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(dsBrowse, w.cdsControle.State());
    EXPECT_EQ("00002", w.dbeCdSalas->Text());
    EXPECT_EQ(0, CallCount("getVdSala"));
    d->close();

    // Edited: the room changes, the meeting keeps its start.
    ASSERT_TRUE(w.sbtAlterar->Click()) << dialogs->ShownText();
    d = OpenDay(w);
    ASSERT_TRUE(d);
    ASSERT_TRUE(d->ClickSlot({RowOf(*d, "00004"), 15 * 60})) << dialogs->ShownText();
    EXPECT_EQ("00004", w.dbeCdSalas->Text());
    EXPECT_EQ("10:00", w.medHoraIni->Text());
    ASSERT_TRUE(w.sbtConfirmar->Click()) << dialogs->ShownText();
    ASSERT_EQ(1, BookingsOf(nr));
    EXPECT_EQ("00004", w.cdsAgeAtiviSala.FieldByName("CDSALA").AsString());
    EXPECT_EQ("1000", w.cdsAgeAtiviSala.FieldByName("HRINIAGESALA").AsString());
}

TEST_F(RoomDayTest, DaysAndAWeekOfOneRoomShowTheirBookingsAndNoOtherBranchs) {
    TfrmReuniao& w = Open();
    const TDateTime monday = AMonday();
    SaveMeeting(w, monday, "10:00", "01:00", "00002");
    SaveMeeting(w, monday, "13:00", "00:30", "00003");
    SaveMeeting(w, monday + 1, "09:00", "02:00", "00002");
    BookOtherBranch(monday);

    StartNewMeeting(w);
    TypeWindow(w, monday, "16:00", "01:00");
    w.dbeCdSalas->SetText("00002");
    QPointer<TRoomDayDialog> d = OpenDay(w);
    ASSERT_TRUE(d);
    ASSERT_EQ(5u, d->Rooms().size()) << "the rooms of the session's branch";
    EXPECT_EQ(0, RowOf(*d, "00001"));
    EXPECT_EQ("1 600-660 Reunião de teste\n2 780-810 Reunião de teste", Shown(*d))
        << "branch 0002's booking of its room 00001 stays out";
    EXPECT_EQ(nullptr, d->View()->BookingAt({0, 9 * 60}));

    d->Step(1);
    EXPECT_EQ(monday + 1, d->Day());
    EXPECT_EQ("1 540-660 Reunião de teste", Shown(*d));
    EXPECT_FALSE(d->View()->Outline()) << "the meeting is not on this day";
    d->Step(-1);
    EXPECT_EQ(monday, d->Day());
    ASSERT_TRUE(d->View()->Outline());
    EXPECT_EQ(1, d->View()->Outline()->row);

    // The week of the room chosen: one row per day, Monday first.
    EXPECT_EQ("00002", d->cbxSala->currentData().toString().toStdString()) << "the typed room";
    d->SetWeekMode(true);
    EXPECT_TRUE(d->WeekMode());
    EXPECT_EQ(7, d->View()->RowCount());
    EXPECT_EQ("00002", d->WeekRoom());
    EXPECT_EQ("0 600-660 Reunião de teste\n1 540-660 Reunião de teste", Shown(*d));
    ASSERT_TRUE(d->View()->Outline());
    EXPECT_EQ(0, d->View()->Outline()->row);
    d->Step(1);
    EXPECT_EQ(monday + 7, d->Day());
    EXPECT_EQ("", Shown(*d));
    d->Step(-1);
    d->cbxSala->setCurrentIndex(d->cbxSala->findData("00001"));
    d->SetWeekMode(true);
    EXPECT_EQ("", Shown(*d)) << "another branch's room 00001 is not this one";
    EXPECT_FALSE(d->View()->Outline()) << "the meeting is in another room";

    // A free slot of the week gives a new meeting that day too.
    ASSERT_TRUE(d->ClickSlot({2, 8 * 60})) << dialogs->ShownText();
    EXPECT_EQ("00001", w.dbeCdSalas->Text());
    EXPECT_EQ(DateToStr(monday + 2), DateToStr(w.depDataIni->GetDate()));
    EXPECT_EQ("08:00", w.medHoraIni->Text());

    // Back to the day of every room.
    d = OpenDay(w);
    ASSERT_TRUE(d);
    d->cbxSala->setCurrentIndex(d->cbxSala->findData("00003"));
    d->SetWeekMode(true);
    d->SetWeekMode(false);
    EXPECT_FALSE(d->WeekMode());
    EXPECT_EQ(monday + 2, d->Day()) << "the meeting's day in that week";
    EXPECT_EQ(5, d->View()->RowCount());
}

// Writes rooms-day.png into ZEL_SCREENSHOT_DIR when it is set: a day of several bookings with
// the meeting being planned outlined in its room.
TEST_F(RoomDayTest, Screenshot) {
    const QString dir = qEnvironmentVariable("ZEL_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "ZEL_SCREENSHOT_DIR not set";
    TfrmReuniao& w = Open();
    const TDateTime day = AMonday();
    struct Planned {
        const char *reference, *start, *duration, *room;
    };
    for (const Planned& p : {Planned{"Planejamento anual", "08:30", "01:30", "00001"},
                             Planned{"Comitê de obras", "10:15", "01:00", "00001"},
                             Planned{"Revisão de contratos", "09:00", "02:00", "00002"},
                             Planned{"Treinamento de vendas", "13:00", "03:00", "00003"},
                             Planned{"Diretoria", "11:00", "01:15", "00004"},
                             Planned{"Orçamento 2027", "14:00", "01:00", "00002"}}) {
        StartNewMeeting(w);
        w.dbeDsReferencia->SetText(p.reference);
        TypeWindow(w, day, p.start, p.duration);
        w.dbeCdSalas->SetText(p.room);
        ASSERT_TRUE(w.sbtConfirmar->Click()) << dialogs->ShownText();
    }
    StartNewMeeting(w);
    TypeWindow(w, day, "15:30", "01:30");
    w.dbeCdSalas->SetText("00005");
    QPointer<TRoomDayDialog> d = OpenDay(w);
    ASSERT_TRUE(d);
    d->resize(960, 255);
    d->View()->ScrollTo(0, 8 * 60);
    QApplication::processEvents();
    EXPECT_TRUE(d->grab().save(dir + "/rooms-day.png"));
}

}  // namespace
