// Pictures of the meeting window and its dialogs on the demo data, for the documentation.
// Not checks: each test is skipped unless ZEL_SCREENSHOT_DIR names the folder to write to.
// The pick lists are the real Qt dialogs here, not the scripted ones.
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QProcess>
#include <QSpinBox>
#include <QTest>

#include "appserver/app_server_impl.h"
#include "base/buttons.h"
#include "base/date_picker_edit.h"
#include "base/db_edit.h"
#include "base/lookup_button.h"
#include "base/mask_edit.h"
#include "base/page_control_ex.h"
#include "base/qt_dialogs.h"
#include "base/routine_form_base.h"
#include "base/scripted_dialogs.h"
#include "dialogs/frm_rel_ata.h"
#include "dialogs/frm_roti_part.h"
#include "meeting/cli_zel00400.h"
#include "meeting/frm_reuniao.h"
#include "meeting/slot_suggestion_dialog.h"
#include "platform/routines.h"
#include "tests/dialogs/dialog_fixture.h"

namespace {

class ScreenshotTest : public DialogTest {
  protected:
    void SetUp() override {
        dir = qEnvironmentVariable("ZEL_SCREENSHOT_DIR");
        if (dir.isEmpty()) GTEST_SKIP() << "ZEL_SCREENSHOT_DIR not set";
        DialogTest::SetUp();
        TfrmReuniao& w = W();
        w.resize(1000, 640);
        w.show();
        w.activateWindow();
        (void)QTest::qWaitForWindowActive(&w);
        QCoreApplication::processEvents();
        // Every meeting of the branch, whatever its status or day.
        Cli_zel00400::ResetListParameters();
        Cli_zel00400::stTData = "T";
        w.CarregaControle();
        w.cdsControle.SetFiltered(false);
    }
    void TearDown() override {
        if (dir.isEmpty()) return;
        Cli_zel00403::Finalization();
        Cli_zel00402::Finalization();
        DialogTest::TearDown();
    }

    TfrmReuniao& W() { return *Window(); }

    // Real dialogs for the pick lists, then the scripted ones again (a real box left behind
    // would wait for a click that never comes).
    void WithQtDialogs(const std::function<void()>& run) {
        InstallDialogs(std::make_unique<QtDialogs>());
        run();
        dialogs = &ScriptedDialogs::Install();
    }

    // The first meeting of `status` that `accept` takes (its details loaded), made current.
    void GoToMeeting(const std::string& status, const std::function<bool()>& accept) {
        TClientDataSet& c = W().cdsControle;
        for (c.First(); !c.Eof(); c.Next()) {
            if (c.FieldByName("IDSITTAREFA").AsString() != status) continue;
            W().cdsControleAfterScroll();
            if (accept()) return;
        }
        FAIL() << "the demo data has no such meeting";
    }

    void ShowPage(QWidget* page) {
        W().pgcReuniao->SetActivePage(page);
        W().pgcReuniaoChange();
        QCoreApplication::processEvents();
    }

    // Gives `control` the focus (the one before it loses it and runs its exit), then types.
    static void TypeInto(QWidget* control, const std::function<void()>& type) {
        control->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        type();
    }

    void Save(QWidget& widget, const char* name) {
        QCoreApplication::processEvents();
        EXPECT_TRUE(widget.grab().save(QDir(dir).filePath(QString::fromLatin1(name))));
    }

    QString dir;
};

TEST_F(ScreenshotTest, FormPageAndFreeRooms) {
    GoToMeeting("P", [this] { return !IsBlank(W().dbeCdSalas->Text()); });
    ShowPage(W().tshFormulario);
    Save(W(), "meeting-form.png");

    // The free rooms for the meeting's time, as the pick list shows them during an edit.
    ASSERT_TRUE(W().sbtAlterar->Click()) << dialogs->ShownText();
    WithQtDialogs([this] {
        WhenModal([this](QDialog& d) {
            d.resize(520, 300);
            Save(d, "free-rooms.png");
        });
        W().btnPesqSalas->Pesquisa();
    });
    W().cdsControle.Cancel();
}

// A weekly meeting being planned on the form page, then the list of what its dates got.
TEST_F(ScreenshotTest, SeriesChoiceAndResult) {
    TfrmReuniao& w = W();
    // A Monday beyond the demo weeks, and someone else's meeting holding the room on the
    // Wednesday of the week after, so the list shows a skipped date.
    TDateTime day = DateOf(server->Impl().now()) + 40;
    while (IsoWeekday(day) != 1)
        day += 1;
    server->Impl().db().Transact(true, [&](zel::appserver::SqlConnection& c) {
        c.Exec(
            "INSERT INTO TAREFA (CDFILIAL, NRTAREFA, DSREFETAREFA, CDPROCESSO, CDOPERRESP, "
            "CDOPERABER, DTABERTAREFA, IDSITTAREFA, IDORIGTARE, DTHRREUNIAO, QTHRREUNIAO) "
            "VALUES ('0001', '0000900001', 'Treinamento', '0000000002', '000000000002', "
            "'000000000002', ?, 'P', '4', ?, 1)",
            {Variant::FromDateTime(day - 30), Variant::FromDateTime(day + 9 + 10.0 / 24)});
        c.Exec(
            "INSERT INTO AGEATIVISALA (CDFILIAL, DTATIAGESALA, NRSEQAGESALA, CDSALA, "
            "NRTAREFA, IDSITAGESALA, HRINIAGESALA, HRFINAGESALA) VALUES ('0001', ?, '00901', "
            "'00003', '0000900001', 'A', '1000', '1100')",
            {Variant::FromDateTime(day + 9)});
        return true;
    });
    ASSERT_TRUE(w.sbtIncluir->Click()) << dialogs->ShownText();
    ShowPage(w.tshFormulario);
    // Field by field with the focus moving on, as the operator types: leaving a code fills
    // its name beside it, leaving the hours fills the end.
    w.dbeDsReferencia->SetText("Acompanhamento semanal de projetos");
    TypeInto(w.dbeProcesso, [&] { w.dbeProcesso->SetText("01"); });
    TypeInto(w.dbeAssunto, [&] { w.dbeAssunto->SetText("3"); });
    TypeInto(w.dbeCDProjeto, [&] { w.dbeCDProjeto->SetText("0000000001"); });
    TypeInto(w.dbeResp, [&] { w.dbeResp->SetText("1"); });
    TypeInto(w.depDataIni, [&] { w.depDataIni->SetDate(day); });
    TypeInto(w.medHoraIni, [&] { w.medHoraIni->SetText("10:00"); });
    TypeInto(w.medQtdeHoras, [&] { w.medQtdeHoras->SetText("01:00"); });
    TypeInto(w.dbeCdSalas, [&] { w.dbeCdSalas->SetText("00003"); });
    TypeInto(w.cbxRepete, [] {});
    w.cbxRepete->setCurrentIndex(2);
    for (int d = 0; d < 7; ++d)
        w.chkDiaSemana[d]->setChecked(d == 0 || d == 2);
    w.cbxFimSerie->setCurrentIndex(1);
    w.spnQtdeSerie->setValue(6);
    w.cbxConflito->setCurrentIndex(1);
    ShowPage(w.tshFormulario);
    Save(w, "series-choice.png");

    WithQtDialogs([&] {
        WhenModal([this](QDialog& d) {
            d.resize(560, 330);
            Save(d, "series-result.png");
        });
        EXPECT_TRUE(w.sbtConfirmar->Click());
    });
}

TEST_F(ScreenshotTest, ActivitiesPageInSeveralStatuses) {
    GoToMeeting("P", [this] { return !W().cdsAtividades.IsEmpty(); });
    const std::string nr = W().cdsControle.FieldByName("NRTAREFA").AsString();
    const TDateTime start = W().cdsControle.FieldByName("DTHRREUNIAO").AsDateTime();
    // Three more participants: one in progress, one concluded who took part, one cancelled.
    server->Impl().db().Transact(true, [&](zel::appserver::SqlConnection& c) {
        const char* rows[][3] = {
            {"000000000003", "A", "N"}, {"000000000004", "C", "S"}, {"000000000005", "X", "N"}};
        int n = 50;
        for (const auto& r : rows)
            c.Exec(
                "INSERT INTO PLANATIVTARE (CDFILIAL, NRTAREFA, NRPLATIVTARE, CDPROCESSO, "
                "CDOPERRESP, DTINPATIVTAR, DTFIPATIVTAR, QTHRPATIVTAR, DTINCATIVTAR, "
                "CDOPERINCL, IDSITATIVTAR, IDOPERPAREUNIAO, CDITEMTRAB) VALUES ('0001', ?, ?, "
                "'0000000002', ?, ?, ?, 1, ?, '000000000001', ?, ?, '0000000001')",
                {nr, std::string(PadField(std::to_string(n++), 5)), std::string(r[0]),
                 Variant::FromDateTime(start), Variant::FromDateTime(start + 1.0 / 24),
                 Variant::FromDateTime(start - 7), std::string(r[1]), std::string(r[2])});
        return true;
    });
    W().sbtVerificarClick();
    ASSERT_TRUE(W().cdsControle.Locate("NRTAREFA", {Variant(nr)}));
    W().cdsControleAfterScroll();
    ShowPage(W().tshParticipantes);
    W().cdsAtividades.First();
    Save(W(), "activities-page.png");

    // The participants' answers to the invitation: two answered, the others not yet.
    server->Impl().db().Transact(true, [&](zel::appserver::SqlConnection& c) {
        const char* answers[][3] = {{"00050", "000000000003", "A"}, {"00051", "000000000004", "T"}};
        for (const auto& a : answers)
            c.Exec(
                "INSERT INTO RESPCONVITE (CDFILIAL, NRTAREFA, NRPLATIVTARE, CDOPERADOR, "
                "IDRESPOSTA, DTHRRESPOSTA) VALUES ('0001', ?, ?, ?, ?, ?)",
                {nr, std::string(a[0]), std::string(a[1]), std::string(a[2]),
                 Variant::FromDateTime(start - 2)});
        return true;
    });
    W().sbtVerificarClick();
    W().cdsAtividades.First();
    Save(W(), "participants-answers.png");
}

// The free-room pick list narrowed to ten places with a projector, and the slot suggestions
// of a pending meeting with their free/busy.
TEST_F(ScreenshotTest, NarrowedRoomsAndSlotSuggestions) {
    GoToMeeting("P", [this] { return W().cdsAtividades.RecordCount() >= 2; });
    ShowPage(W().tshFormulario);
    ASSERT_TRUE(W().sbtAlterar->Click()) << dialogs->ShownText();
    W().spnLugares->setValue(10);
    W().edtEquipamentos->setText(QStringLiteral("projetor"));
    WithQtDialogs([this] {
        WhenModal([this](QDialog& d) {
            d.resize(640, 260);
            Save(d, "room-pick-narrowed.png");
        });
        W().btnPesqSalas->Pesquisa();
        WhenModal([this](QDialog& d) {
            auto& s = static_cast<TSlotSuggestionDialog&>(d);
            s.resize(980, 660);
            if (s.Slots().size() > 2) s.SelectSlot(2);
            QCoreApplication::processEvents();
            Save(d, "slot-suggestions.png");
        });
        W().btnSugerirHorarioClick();
    });
    W().cdsControle.Cancel();
}

TEST_F(ScreenshotTest, RegistrationDialogWithItsPickList) {
    Cli_zel00400::DialogOpeners openers;
    openers.rotiParticipa = Cli_zel00403::CriaRotiParticipa;
    Cli_zel00400::SetDialogOpeners(openers);
    ASSERT_TRUE(
        W().cdsControle.Locate("IDSITTAREFA;CDOPERRESP", {Variant("P"), Variant("000000000001")}));
    W().cdsControleAfterScroll();
    ShowPage(W().tshParticipantes);
    QImage form, list;
    WithQtDialogs([&] {
        WhenModal([&](QDialog& d) {
            form = d.grab().toImage();
            WhenModal([&](QDialog& pick) {
                pick.resize(420, 300);
                QCoreApplication::processEvents();
                list = pick.grab().toImage();
            });
            static_cast<TfrmRotiPart&>(d).btnPart->Click();
        });
        W().btnCadAutoClick();
    });
    Cli_zel00400::SetDialogOpeners({});
    ASSERT_FALSE(form.isNull() || list.isNull());
    // The dialog and, beside it, the pick list its button opens.
    QImage both(form.width() + list.width() + 24, std::max(form.height(), list.height()) + 16,
                QImage::Format_RGB32);
    both.fill(QColor(0xD8, 0xDC, 0xE2));
    QPainter p(&both);
    p.drawImage(8, 8, form);
    p.drawImage(form.width() + 16, 8, list);
    p.end();
    EXPECT_TRUE(both.save(QDir(dir).filePath(QStringLiteral("registration-dialog.png"))));
}

// The first page of a demo meeting's minutes, saved as a PDF through the report window and
// converted with pdftoppm (poppler-utils).
TEST_F(ScreenshotTest, MinutesReportFirstPage) {
    GoToMeeting("C",
                [this] { return !W().cdsItemTarefa.IsEmpty() && !W().cdsAtividades.IsEmpty(); });
    const QString pdf = QDir(dir).filePath(QStringLiteral("minutes-report.pdf"));
    dialogs->AnswerSaveFile(pdf.toStdString());
    WhenModal([](QDialog& d) { static_cast<TfrmRelAta&>(d).sbtSalvarComo->Click(); });
    Cli_zel00402::CriaRelAta();
    QProcess p;
    p.start(
        QStringLiteral("pdftoppm"),
        {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("80"), QStringLiteral("-f"),
         QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
         QStringLiteral("-singlefile"), pdf, QDir(dir).filePath(QStringLiteral("minutes-report"))});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(0, p.exitCode()) << p.readAllStandardError().toStdString();
    // The text a reader gets: the meeting, who took part, the items and their minutes.
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(60000));
    const std::string words = text.readAllStandardOutput().toStdString();
    const std::string ref = W().cdsControle.FieldByName("DSREFETAREFA").AsString();
    for (const std::string& part :
         {ref, std::string("Participantes"), std::string("Abertura e informes"),
          std::string("Próximos passos")})
        EXPECT_NE(std::string::npos, words.find(part)) << part << " in:\n" << words;
    QFile::remove(pdf);
}

}  // namespace
