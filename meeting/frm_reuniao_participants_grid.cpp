// The participants grid dbgPadrao on the activities page: names in place of codes, status
// colours, the check column in which the meeting's responsible operator marks who took part,
// the lookups of the coded columns and the checks run when a column is left.
#include <QLabel>
#include <QPainter>

#include "base/canvas.h"
#include "base/db_edit.h"
#include "base/db_grid.h"
#include "base/dialogs.h"
#include "base/login_context.h"
#include "base/page_control_ex.h"
#include "base/routines.h"
#include "meeting/cli_zel00400.h"
#include "meeting/dataset_rows.h"
#include "meeting/frm_reuniao.h"
#include "meeting/reuniao_pictures.h"
#include "platform/routines.h"
#include "server/check_server_result.h"

using namespace Cli_zel00400;

namespace {

constexpr const char* kCheckField = "IDOPERPAREUNIAO";
constexpr const char* kDurationMask = "9999:99;0; ";
// The answers' column has no field: its cells are drawn from the answers read for the grid.
constexpr const char* kAnswerColumn = "RESPOSTA";

bool IsField(const TField* field, const char* name) {
    return field && field->FieldName() == name;
}

// Text colour of an activity's row by its status; invalid for a status without a colour.
QColor StatusColor(const std::string& status) {
    if (status == "P") return QColor(0, 0, 128);      // navy
    if (status == "A") return QColor(0, 128, 0);      // green
    if (status == "X") return QColor(128, 0, 0);      // maroon
    if (status == "C") return QColor(128, 128, 128);  // grey text
    return QColor();
}

// The name shown in place of a coded column's code; nullptr for a column without one.
const char* NameFieldOf(const std::string& codeField) {
    if (codeField == "CDOPERRESP") return "NMOPERADOR";
    if (codeField == "CDARVPROCESS") return "NMPROCESSO";
    if (codeField == "CDARVITTRAB") return "NMITEMTRAB";
    return nullptr;
}

}  // namespace

void TfrmReuniao::attachParticipantsGridHandlers() {
    // The process and work-item columns get a lookup button like the participant's.
    std::vector<TColumn> columns = dbgPadrao->Columns();
    for (TColumn& c : columns)
        if (NameFieldOf(c.FieldName)) c.ButtonStyle = cbsEllipsis;
    dbgPadrao->SetColumns(std::move(columns));

    cdsAtividades.AfterScroll = [this](TClientDataSet&) { cdsAtividadesAfterScroll(); };
    cdsAtividades.AfterOpen = [this](TClientDataSet&) {
        followRoomNeeds();
        CarregaRespostas();
    };
    dbgPadrao->OnDrawColumnCell = [this](TCanvas& canvas, const QRect& rect, int col, TField* field,
                                         TGridDrawState state) {
        dbgPadraoDrawColumnCell(canvas, rect, col, field, state);
    };
    dbgPadrao->OnEditButtonClick = [this] { dbgPadraoEditButtonClick(); };
    dbgPadrao->OnColEnter = [this] { dbgPadraoColEnter(); };
    dbgPadrao->OnColExit = [this] { dbgPadraoColExit(); };
    dbgPadrao->OnCellClick = [this](const TColumn& column) { dbgPadraoCellClick(column); };
    dbgPadrao->OnKeyDown = [this](int& key, Qt::KeyboardModifiers m) { dbgPadraoKeyDown(key, m); };
    dbgPadrao->OnDblClick = [this] { dbgPadraoDblClick(); };
    dbgPadrao->OnKeyPress = [this](QChar& key) { dbgPadraoKeyPress(key); };
}

// --- drawing ---

void TfrmReuniao::dbgPadraoDrawColumnCell(TCanvas& canvas, const QRect& rect, int dataCol,
                                          TField* field, int state) {
    const bool answer = !field && dataCol == GridColumnIndex(*dbgPadrao, kAnswerColumn);
    if (!field && !answer) return;
    const bool selected = (state & gdSelected) != 0;
    const bool hasRows = cdsAtividades.Active() && !cdsAtividades.IsEmpty();
    const std::string name = field ? field->FieldName() : kAnswerColumn;
    canvas.Brush.Color =
        selected ? dbgPadrao->palette().color(QPalette::Highlight) : QColor(255, 255, 225);
    canvas.Font.Color = selected ? dbgPadrao->palette().color(QPalette::HighlightedText)
                                 : dbgPadrao->palette().color(QPalette::WindowText);
    std::string text;
    if (field)
        text = field->DisplayText();
    else if (hasRows)
        text = RespostaAtividade(cdsAtividades.FieldByName("NRPLATIVTARE").AsString());
    if (name == "QTHRPATIVTARE") text = FormatMaskText(kDurationMask, field->AsString());
    if (hasRows) {
        const QColor status = StatusColor(cdsAtividades.FieldByName("IDSITATIVTAR").AsString());
        if (status.isValid()) canvas.Font.Color = status;
        if (selected) canvas.Font.Color = Qt::white;
    }
    if (const char* nameField = NameFieldOf(name);
        nameField && dataCol == GridColumnIndex(*dbgPadrao, name)) {
        // The cell under the open editor shows the code; every other one the name.
        text = TrimAll(field->AsString());
        const bool underEditor = cdsAtividades.State() == dsBrowse && dbgPadrao->EditorMode() &&
                                 selected && !(state & gdFocused);
        if (!underEditor && !text.empty())
            text = TrimAll(cdsAtividades.FieldByName(nameField).AsString());
    }
    if (hasRows && name == kCheckField) {
        const QLabel* image = field->AsString() == "N" ? imgUnchecked : imgChecked;
        const QPixmap picture = image->pixmap();
        canvas.FillRect(rect);
        canvas.Draw(rect.left() + 1, rect.top(),
                    picture.copy(0, 0, picture.width(), std::min(picture.height(), rect.height())),
                    reuniao::TransparentColor());
        return;
    }
    canvas.TextRect(rect, rect.left() + 2, rect.top() + 2, text);
}

// --- the participants' answers ---

void TfrmReuniao::CarregaRespostas() {
    m_respostas.clear();
    m_respostasLidas = false;
    if (!pgcReuniao || pgcReuniao->ActivePage() != tshParticipantes) return;
    if (!cdsControle.Active() || cdsControle.IsEmpty() || cdsControle.State() == dsInsert) return;
    const Variant packet = CheckServerResult(
        netReuniao.AppServer().Call("GetRespConvite",
                                    {Arg(CurrentBranch()), Arg(RowText(cdsControle, "NRTAREFA"))}),
        true, 0);
    const DataPacket answers = DataPacketFromJson(packet.AsPacket());
    const int activity = answers.FieldIndex("NRPLATIVTARE");
    const int answer = answers.FieldIndex("IDRESPOSTA");
    if (activity < 0 || answer < 0) return;
    for (const PacketRow& row : answers.rows) {
        const Variant& a = row.at(static_cast<size_t>(answer));
        if (!a.IsNull())
            m_respostas[row.at(static_cast<size_t>(activity)).AsString()] = a.AsString();
    }
    m_respostasLidas = true;
    dbgPadrao->viewport()->update();
}

std::string TfrmReuniao::RespostaAtividade(const std::string& activity) const {
    const auto it = m_respostas.find(activity);
    if (it == m_respostas.end()) return {};
    if (it->second == "A") return "Aceitou";
    if (it->second == "T") return "Talvez";
    if (it->second == "R") return "Recusou";
    return {};
}

// --- lookups ---

void TfrmReuniao::dbgPadraoEditButtonClick() {
    const TField* selected = dbgPadrao->SelectedField();
    TClientDataSet& a = cdsAtividades;
    if (IsField(selected, "CDARVPROCESS")) {
        std::string pattern = dbeProcesso->Text() + "%";
        cdsPesqProc.SetData(
            CheckServerResult(netReuniao.AppServer().Call("GetPesqProc", {Arg(pattern)}), true, 0));
        if (!SearchDialog(dtsPesqProc, Msg("PROC") + "|" + Msg("PROCINV"))) return;
        a.Edit();
        for (const char* name : {"CDARVPROCESS", "CDPROCESSO", "NMPROCESSO"})
            a.FieldByName(name).SetAsString(cdsPesqProc.FieldByName(name).AsString());
    } else if (IsField(selected, "CDOPERRESP")) {
        cdsPesqPart.SetData(CheckServerResult(
            netReuniao.AppServer().Call("GetPesqPart", {Arg(CurrentBranch())}), true, 0));
        if (!SearchDialog(dtsPesqPart, Msg("PART") + "|" + Msg("PARTINV"))) return;
        a.Edit();
        a.FieldByName("CDOPERRESP").SetAsString(cdsPesqPart.FieldByName("CDOPERADOR").AsString());
        a.FieldByName("NMOPERADOR").SetAsString(cdsPesqPart.FieldByName("NMOPERADOR").AsString());
    } else if (IsField(selected, "CDARVITTRAB")) {
        const std::string levels = IntToStr(PictureMaskObject(15).levels);
        cdsPesqItemTrab.SetData(CheckServerResult(
            netReuniao.AppServer().Call("GetPesqItemTrab", {Arg(levels)}), true, 0));
        if (!SearchDialog(dtsPesqItemTrab, Msg("ITTRAB") + "|" + Msg("ITTRABINV"))) return;
        a.Edit();
        for (const char* name : {"CDITEMTRAB", "CDARVITTRAB", "NMITEMTRAB"})
            a.FieldByName(name).SetAsString(cdsPesqItemTrab.FieldByName(name).AsString());
    }
}

// --- columns ---

void TfrmReuniao::dbgPadraoColEnter() {
    const bool check = IsField(dbgPadrao->SelectedField(), kCheckField);
    // The check column never opens an editor: it is toggled.
    dbgPadrao->SetReadOnly(check);
    if (check && Editing(cdsAtividades)) {
        const int column = GridColumnIndex(*dbgPadrao, kCheckField);
        if (!dbgPadrao->Columns()[column].ReadOnly) ShowErrorMessage(Msg("Oper_s_permissao"), true);
    }
}

void TfrmReuniao::dbgPadraoColExit() {
    if (m_focusingActivityField || !Editing(cdsAtividades)) return;
    const TField* field = dbgPadrao->SelectedField();
    if (IsField(field, "CDARVPROCESS")) vd_ProcPart(false);
    if (IsField(field, "CDOPERRESP")) vd_OperPart(false);
    if (IsField(field, "CDARVITTRAB")) vd_ItemTrab(false);
    if (IsField(field, "DTINPATIVTAR"))
        vd_DataInicio(cdsAtividades.FieldByName("DTINPATIVTAR").Text(), false);
    if (IsField(field, "QTHRPATIVTARE")) vd_qtdeHoraAtiv(false);
}

// --- the check column ---

bool TfrmReuniao::isMeetingResponsible() const {
    return cdsControle.Active() && !cdsControle.IsEmpty() &&
           cdsControle.FieldByName("CDOPERRESP").AsString() == stOperador;
}

bool TfrmReuniao::activityStartsByToday() const {
    const TField& start = cdsAtividades.FieldByName("DTINPATIVTAR");
    return DateOf(start.AsDateTime()) <= stData;
}

void TfrmReuniao::setCheckColumnReadOnly(bool readOnly) {
    const int column = GridColumnIndex(*dbgPadrao, kCheckField);
    if (column >= 0) dbgPadrao->SetColumnReadOnly(column, readOnly);
}

void TfrmReuniao::cdsAtividadesAfterScroll() {
    const bool mayMark = cdsAtividades.FieldByName("IDSITATIVTAR").AsString() != "C" &&
                         isMeetingResponsible() && activityStartsByToday();
    setCheckColumnReadOnly(!mayMark);
}

void TfrmReuniao::dbgPadraoCellClick(const TColumn& column) {
    if (column.FieldName != kCheckField || !isMeetingResponsible() || !activityStartsByToday())
        return;
    TClientDataSet& a = cdsAtividades;
    if (a.IsEmpty()) return;
    if (a.State() != dsEdit) a.Edit();
    TField& took = a.FieldByName(kCheckField);
    took.SetAsString(took.AsString() == "N" ? "S" : "N");
    a.Post();
}

void TfrmReuniao::dbgPadraoKeyDown(int& key, Qt::KeyboardModifiers) {
    if (key != Qt::Key_Space || !IsField(dbgPadrao->SelectedField(), kCheckField)) return;
    const int column = GridColumnIndex(*dbgPadrao, kCheckField);
    dbgPadraoCellClick(dbgPadrao->Columns()[column]);
}

void TfrmReuniao::checkParticipationPermission() {
    if (!isMeetingResponsible()) ShowErrorMessage(Msg("Oper_s_permissao"), true);
    if (!activityStartsByToday()) ShowErrorMessage(Msg("Data_invalida"), true);
    if (cdsAtividades.FieldByName("IDSITATIVTAR").AsString() == "C")
        ShowErrorMessage(Msg("Atividade_Conc"), true);
}

void TfrmReuniao::dbgPadraoDblClick() {
    if (!IsField(dbgPadrao->SelectedField(), kCheckField)) return;
    setCheckColumnReadOnly(!(isMeetingResponsible() && activityStartsByToday()));
    checkParticipationPermission();
}

void TfrmReuniao::dbgPadraoKeyPress(QChar& key) {
    if (!IsField(dbgPadrao->SelectedField(), kCheckField)) return;
    const bool kept = key.isDigit() || key == QChar(8) || key == QChar(13) || key == QChar(',');
    if (!kept) key = QChar();
    checkParticipationPermission();
}
