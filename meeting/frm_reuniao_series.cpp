// Recurring meetings: the repeat choice of the form page, the series created on the server
// once the first meeting is saved, "this and the following" for a changed time or room, the
// series' cancellation after a meeting, and the series dialog.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QSpinBox>
#include <cmath>
#include <utility>

#include "base/busy_scope.h"
#include "base/date_picker_edit.h"
#include "base/dialogs.h"
#include "base/guard.h"
#include "base/handler_scope.h"
#include "base/login_context.h"
#include "base/page_control_ex.h"
#include "base/routines.h"
#include "calendar/meeting_icalendar.h"
#include "meeting/cli_zel00400.h"
#include "meeting/dataset_rows.h"
#include "meeting/frm_reuniao.h"
#include "meeting/series_dialog.h"
#include "meeting/series_rules.h"
#include "platform/routines.h"
#include "server/check_server_result.h"

using namespace Cli_zel00400;

namespace {

// Indexes of the choices.
enum Repeat { kNever = 0, kWorkingDays, kWeekly, kMonthly };
enum Ending { kUntil = 0, kAfter };

const std::vector<std::string> kScopeOptions = {"Somente esta reunião", "Esta e as seguintes"};

std::string Field(const TClientDataSet& cds, const char* name) {
    const TField* f = cds.FindField(name);
    return f && !f->IsNull() ? f->AsString() : std::string();
}

// One line of a result table: date, weekday, time, meeting, what became of it.
std::vector<std::string> ResultRow(const TClientDataSet& cds, bool following) {
    const TDateTime start = cds.FieldByName("DTOCORSERIE").AsDateTime();
    const std::string state = Field(cds, "IDSITOCOR");
    std::string outcome = reuniao::SeriesOutcomeText(state, TrimAll(Field(cds, "NMSALA")));
    if (following && state == "P") outcome = "Mantida (sala ocupada no novo horário)";
    return {DateToStr(start), reuniao::WeekdayAbbrev(IsoWeekday(start)),
            TimeToStr(start).substr(0, 5), TrimAll(Field(cds, "NRTAREFA")), outcome};
}

// "1 data pulada", "2 datas puladas".
std::string Counted(int n, const char* one, const char* many) {
    return IntToStr(static_cast<int64_t>(n)) + " " + (n == 1 ? one : many);
}

}  // namespace

// --- the repeat choice ---

void TfrmReuniao::buildRepeatRow(QWidget* parent) {
    panRepete = new QFrame(parent);
    panRepete->setObjectName("panRepete");
    auto* row = new QHBoxLayout(panRepete);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel(QStringLiteral("Repetir"), panRepete));
    cbxRepete = new QComboBox(panRepete);
    cbxRepete->setObjectName("cbxRepete");
    cbxRepete->addItems({QStringLiteral("Não se repete"), QStringLiteral("Todo dia útil"),
                         QStringLiteral("Toda semana"), QStringLiteral("Todo mês")});
    row->addWidget(cbxRepete);
    for (int d = 0; d < 7; ++d) {
        auto* box = new QCheckBox(QString::fromStdString(reuniao::WeekdayAbbrev(d + 1)), panRepete);
        box->setObjectName(QStringLiteral("chkDiaSemana%1").arg(d + 1));
        chkDiaSemana[d] = box;
        row->addWidget(box);
    }
    auto* endLabel = new QLabel(QStringLiteral("Termina"), panRepete);
    endLabel->setObjectName("lblFimSerie");
    row->addWidget(endLabel);
    cbxFimSerie = new QComboBox(panRepete);
    cbxFimSerie->setObjectName("cbxFimSerie");
    cbxFimSerie->addItems({QStringLiteral("Até"), QStringLiteral("Após")});
    row->addWidget(cbxFimSerie);
    depFimSerie = new TDatePickerEdit(panRepete);
    depFimSerie->setObjectName("depFimSerie");
    row->addWidget(depFimSerie);
    spnQtdeSerie = new QSpinBox(panRepete);
    spnQtdeSerie->setObjectName("spnQtdeSerie");
    spnQtdeSerie->setRange(2, 366);
    spnQtdeSerie->setSuffix(QStringLiteral(" vezes"));
    row->addWidget(spnQtdeSerie);
    auto* conflictLabel = new QLabel(QStringLiteral("Sala ocupada"), panRepete);
    conflictLabel->setObjectName("lblConflito");
    row->addWidget(conflictLabel);
    cbxConflito = new QComboBox(panRepete);
    cbxConflito->setObjectName("cbxConflito");
    cbxConflito->addItems({QStringLiteral("Sem sala"), QStringLiteral("Pular a data")});
    cbxConflito->setToolTip(
        QStringLiteral("O que fazer numa data em que a sala já está reservada"));
    row->addWidget(cbxConflito);
    row->addStretch(1);

    connect(cbxRepete, &QComboBox::currentIndexChanged, this,
            [this] { Guard([this] { cbxRepeteChange(); }); });
    connect(cbxFimSerie, &QComboBox::currentIndexChanged, this,
            [this] { Guard([this] { cbxRepeteChange(); }); });
    resetRepeatChoice(Date());
}

void TfrmReuniao::cbxRepeteChange() {
    const int repeat = cbxRepete->currentIndex();
    const bool any = repeat != kNever;
    for (QCheckBox* box : chkDiaSemana)
        box->setVisible(repeat == kWeekly);
    for (const char* name : {"lblFimSerie", "lblConflito"})
        if (auto* label = panRepete->findChild<QLabel*>(name)) label->setVisible(any);
    cbxFimSerie->setVisible(any);
    cbxConflito->setVisible(any);
    depFimSerie->setVisible(any && cbxFimSerie->currentIndex() == kUntil);
    spnQtdeSerie->setVisible(any && cbxFimSerie->currentIndex() == kAfter);
}

void TfrmReuniao::resetRepeatChoice(TDateTime day) {
    {
        const QSignalBlocker quiet(cbxRepete);
        cbxRepete->setCurrentIndex(kNever);
    }
    for (int d = 0; d < 7; ++d)
        chkDiaSemana[d]->setChecked(d + 1 == IsoWeekday(day));
    cbxFimSerie->setCurrentIndex(kAfter);
    depFimSerie->SetText({});
    spnQtdeSerie->setValue(10);
    cbxConflito->setCurrentIndex(0);
    cbxRepeteChange();
}

void TfrmReuniao::updateSeriesControls() {
    if (!panRepete) return;  // the enabling rules also run while the window is built
    // A new meeting the server did not take is back in edit and still new: it keeps its rule.
    const bool inserting = insertingMeeting();
    if (!inserting && cbxRepete->currentIndex() != kNever) resetRepeatChoice(Date());
    panRepete->setEnabled(inserting);
    if (mnuSerie) mnuSerie->setEnabled(!EditandoReuniao() && !SerieAtual().empty());
}

void TfrmReuniao::followStartWeekday() {
    if (!panRepete || cbxRepete->currentIndex() != kNever) return;
    TDateTime day = 0;
    if (!TryStrToDate(depDataIni->Text(), day)) return;
    for (int d = 0; d < 7; ++d)
        chkDiaSemana[d]->setChecked(d + 1 == IsoWeekday(day));
}

std::optional<SeriesRule> TfrmReuniao::typedSeriesRule() const {
    static const char kFrequency[] = {0, 'D', 'S', 'M'};
    const int repeat = cbxRepete->currentIndex();
    if (repeat <= kNever || repeat > kMonthly) return std::nullopt;
    SeriesRule rule;
    rule.frequency = kFrequency[repeat];
    if (repeat == kWeekly) {
        for (int d = 0; d < 7; ++d)
            if (chkDiaSemana[d]->isChecked()) rule.weekdays += static_cast<char>('1' + d);
    }
    if (cbxFimSerie->currentIndex() == kAfter)
        rule.count = spnQtdeSerie->value();
    else if (!depFimSerie->IsBlankDate())
        rule.until = DateOf(depFimSerie->GetDate());
    return rule;
}

std::string TfrmReuniao::SerieAtual() const {
    if (!cdsControle.Active() || cdsControle.IsEmpty()) return {};
    return TrimAll(Field(cdsControle, "NRSERIETARE"));
}

// --- the post ---

void TfrmReuniao::vd_Serie(TDateTime oldStart, TDateTime newStart, const std::string& newRoom) {
    m_novaSerie.reset();
    m_seguintes.reset();
    const bool inserting = insertingMeeting();
    if (inserting) {
        const std::optional<SeriesRule> rule = typedSeriesRule();
        if (!rule) return;
        auto refuse = [this](QWidget* control, const std::string& text) {
            pgcReuniao->SetActivePage(tshFormulario);
            SetFocus(control);
            ShowErrorMessage(text, true);
        };
        if (cbxFimSerie->currentIndex() == kUntil) {
            try {
                depFimSerie->CheckValidDate();
            } catch (const std::exception&) {
                refuse(depFimSerie, "Data final da repetição inválida.");
            }
            if (depFimSerie->IsBlankDate())
                refuse(depFimSerie, "Informe a data final da repetição.");
        }
        const std::string problem = reuniao::SeriesRuleProblem(*rule, newStart);
        if (!problem.empty()) {
            QWidget* control = cbxFimSerie->currentIndex() == kUntil
                                   ? static_cast<QWidget*>(depFimSerie)
                                   : static_cast<QWidget*>(spnQtdeSerie);
            if (rule->frequency == 'S' && rule->weekdays.empty()) control = chkDiaSemana[0];
            refuse(control, problem);
        }
        m_novaSerie = rule;
        m_conflitoSerie = cbxConflito->currentIndex() == 1 ? "P" : "S";
        return;
    }
    if (SerieAtual().empty()) return;
    const bool moved = oldStart >= 0 && std::abs(newStart - oldStart) * 24 * 60 >= 0.5;
    const bool roomChanged = !IsBlank(newRoom) && TrimAll(newRoom) != TrimAll(m_loadedRoom);
    if (!moved && !roomChanged) return;
    const int scope = CurrentDialogs().Choice(
        "Esta reunião faz parte de uma série. A mudança de horário ou de sala vale para:",
        kScopeOptions);
    if (scope < 0) throw EAbort();
    if (scope == 1) {
        FollowingChange change;
        if (moved) change.minutes = static_cast<int>(Round((newStart - oldStart) * 24 * 60));
        if (roomChanged) change.room = PadField(TrimAll(newRoom), 5);
        m_seguintes = change;
    }
}

void TfrmReuniao::enviaSerie(const std::function<void()>& reload) {
    const std::optional<SeriesRule> rule = std::exchange(m_novaSerie, std::nullopt);
    const std::optional<FollowingChange> following = std::exchange(m_seguintes, std::nullopt);
    if (!rule && !following) {
        reload();
        return;
    }
    const std::string branch = CurrentBranch();
    const std::string meeting = stCodLocate;
    Variant result;
    std::exception_ptr failure;
    try {
        BusyScope busy(this, 1);
        if (rule) {
            result =
                CheckServerResult(netReuniao.AppServer().Call(
                                      "SetSerieReuniao", {Arg(branch), Arg(meeting),
                                                          Arg(std::string(1, rule->frequency)),
                                                          Arg(rule->weekdays), ArgDate(rule->until),
                                                          Arg(rule->count), Arg(m_conflitoSerie)}),
                                  true, 0);
        } else {
            // The following meetings go by the series' own choice for a taken room.
            TClientDataSet series("cdsSerie");
            series.SetData(CheckServerResult(
                netReuniao.AppServer().Call("GetSerieReuniao", {Arg(branch), Arg(SerieAtual())}),
                true, 0));
            const std::string conflict = series.IsEmpty() ? "S" : Field(series, "IDCONFLITO");
            result = CheckServerResult(
                netReuniao.AppServer().Call("SetSerieSeguintes",
                                            {Arg(branch), Arg(meeting), Arg(following->minutes),
                                             Arg(following->room), Arg(conflict)}),
                true, 0);
        }
    } catch (...) {
        failure = std::current_exception();
    }
    reload();
    if (failure) {
        CurrentDialogs().Notice(rule ? "A reunião foi gravada, mas a série não foi criada."
                                     : "A reunião foi gravada, mas as reuniões seguintes da "
                                       "série não foram alteradas.");
        std::rethrow_exception(failure);
    }
    if (rule)
        mostraResultadoSerie("Série criada", "", result);
    else
        mostraResultadoSerie("Série alterada", "", result);
}

void TfrmReuniao::mostraResultadoSerie(const std::string& title, const std::string& text,
                                       const Variant& packet) {
    TClientDataSet cds("cdsResultadoSerie");
    cds.SetData(packet);
    const bool following = title == "Série alterada";
    std::vector<std::vector<std::string>> rows;
    int booked = 0, roomless = 0, skipped = 0;
    for (cds.First(); !cds.Eof(); cds.Next()) {
        rows.push_back(ResultRow(cds, following));
        const std::string state = Field(cds, "IDSITOCOR");
        booked += state == "R";
        roomless += state == "N";
        skipped += state == "P";
    }
    std::string heading = text;
    if (heading.empty()) {
        heading =
            following
                ? Counted(static_cast<int>(rows.size()), "reunião seguinte", "reuniões seguintes") +
                      ": " + IntToStr(booked) + " com sala, " + IntToStr(roomless) + " sem sala, " +
                      Counted(skipped, "mantida", "mantidas") + "."
                : Counted(booked + roomless, "reunião na série", "reuniões na série") + ": " +
                      IntToStr(booked) + " com sala, " + IntToStr(roomless) + " sem sala, " +
                      Counted(skipped, "data pulada", "datas puladas") + ".";
    }
    CurrentDialogs().Table(title, heading, {"Data", "Dia", "Hora", "Reunião", "Resultado"}, rows);
}

// --- cancellation of the following meetings ---

int TfrmReuniao::cancelaSeguintes(const std::string& branch, const std::string& series,
                                  const std::string& number) {
    TClientDataSet dates("cdsSerie");
    try {
        dates.SetData(CheckServerResult(
            netReuniao.AppServer().Call("GetSerieReuniao", {Arg(branch), Arg(series)}), true, 0));
    } catch (const std::exception& e) {
        if (!dynamic_cast<const EErrorShown*>(&e)) CurrentDialogs().Error(e.what());
        CurrentDialogs().Notice("As reuniões seguintes da série não foram canceladas.");
        return 0;
    }
    struct Later {
        std::string number;
        TDateTime day;
    };
    std::vector<Later> later;
    bool after = false;
    for (dates.First(); !dates.Eof(); dates.Next()) {
        const std::string nr = TrimAll(Field(dates, "NRTAREFA"));
        if (nr == TrimAll(number)) {
            after = true;
            continue;
        }
        if (after && !nr.empty() && Field(dates, "IDSITTAREFA") == "P")
            later.push_back(
                {Field(dates, "NRTAREFA"), DateOf(dates.FieldByName("DTOCORSERIE").AsDateTime())});
    }
    int done = 0;
    for (const Later& meeting : later) {
        cancelProgress = {};
        try {
            // The meeting's own booking of that day, as the cancellation frees it.
            TClientDataSet day("cdsAgendaDia");
            day.SetData(CheckServerResult(
                netReuniao.AppServer().Call("GetAgendaSalasDia", {ArgDate(meeting.day)}), true, 0));
            std::string room, from, to;
            for (day.First(); !day.Eof(); day.Next()) {
                if (TrimAll(Field(day, "NRTAREFA")) != TrimAll(meeting.number)) continue;
                room = Field(day, "CDSALA");
                from = Field(day, "HRINIAGESALA");
                to = Field(day, "HRFINAGESALA");
            }
            cdsDadosSalas.SetData(netReuniao.AppServer().Call(
                "GetDadosSalas",
                {Arg(branch), Arg(room), ArgDate(meeting.day), Arg(from), Arg(to)}));
            std::string b = branch, n = meeting.number;
            enviaCancelamento(b, n);
        } catch (const std::exception& e) {
            if (!cancelProgress.cancelled) retiraAvisos();
            if (!dynamic_cast<const EErrorShown*>(&e) && !dynamic_cast<const EAbort*>(&e))
                CurrentDialogs().Error(e.what());
            CurrentDialogs().Notice("A reunião " + TrimAll(meeting.number) + " de " +
                                    DateToStr(meeting.day) +
                                    " não foi cancelada, nem as seguintes a ela.");
            return done;
        }
        ++done;
    }
    return done;
}

// --- the series dialog ---

void TfrmReuniao::buildSeriesMenu() {
    mnuSerie = mnuManutencao->addAction(QStringLiteral("Série da reunião..."));
    mnuSerie->setObjectName("mnuSerie");
    connect(mnuSerie, &QAction::triggered, this, [this] { Guard([this] { mnuSerieClick(); }); });
}

void TfrmReuniao::mnuSerieClick() {
    const std::string series = SerieAtual();
    if (series.empty()) {
        CurrentDialogs().Notice("Esta reunião não faz parte de uma série.");
        return;
    }
    const std::string branch = cdsControle.FieldByName("CDFILIAL").AsString();
    if (dlgSerie) dlgSerie->close();
    auto fetch = [this, branch, series] {
        return CheckServerResult(
            netReuniao.AppServer().Call("GetSerieReuniao", {Arg(branch), Arg(series)}), true, 0);
    };
    QPointer<TSeriesDialog> dialog = new TSeriesDialog(this, fetch);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->OnInclude = [this](TDateTime date) { ReincluiData(date); };
    dialog->OnExport = [this] { ExportaSerie(); };
    try {
        dialog->Reload();
    } catch (...) {
        delete dialog;
        throw;
    }
    dlgSerie = dialog;
    dialog->show();
}

void TfrmReuniao::ReincluiData(TDateTime date) {
    const std::string series = SerieAtual();
    if (series.empty()) throw EAbort();
    KeepPendingWork(TReload::Everything);
    const std::string branch = cdsControle.FieldByName("CDFILIAL").AsString();
    Variant result;
    {
        BusyScope busy(this, 1);
        result =
            CheckServerResult(netReuniao.AppServer().Call(
                                  "SetSerieReinclui", {Arg(branch), Arg(series), ArgDate(date)}),
                              true, 0);
    }
    stCodLocate = cdsControle.FieldByName("NRTAREFA").AsString();
    RecarregaReuniao();
    if (dlgSerie) dlgSerie->Reload();
    // The result holds only the date included: the series' counts would read as if it had
    // that one meeting.
    mostraResultadoSerie("Data incluída na série",
                         "Data " + DateToStr(date) + " incluída na série.", result);
}

void TfrmReuniao::ExportaSerie() {
    const std::string series = SerieAtual();
    if (series.empty()) throw EAbort();
    std::string branch = cdsControle.FieldByName("CDFILIAL").AsString();
    const std::string path = CurrentDialogs().SaveFileName(
        "Exportar série", "serie-" + series + ".ics", "iCalendar (*.ics)");
    if (path.empty()) return;
    // The series' event carries its first meeting's people and texts, and every date.
    std::string first = series;
    const Variant meeting = CheckServerResult(
        netReuniao.AppServer().Call("GetCalendReuniao", {ArgRef(branch), ArgRef(first)}), true, 0);
    const Variant dates = CheckServerResult(
        netReuniao.AppServer().Call("GetSerieReuniao", {Arg(branch), Arg(series)}), true, 0);
    try {
        SaveCalendarFile(path, SeriesICalendar(CalendarMeetingFromPacket(meeting),
                                               CalendarSeriesFromPacket(dates)));
    } catch (const Exception& e) {
        ShowErrorMessage(e.Message(), true);
    }
    CurrentDialogs().Notice("Série exportada para " + path + ".");
}
