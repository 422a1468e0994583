#include "meeting/history_text.h"

#include <map>
#include <nlohmann/json.hpp>

#include "meeting/time_rules.h"
#include "platform/date_time.h"
#include "platform/exceptions.h"
#include "platform/routines.h"

namespace Cli_zel00400 {

namespace {

using nlohmann::json;

const std::map<std::string, std::string>& FieldLabels() {
    static const std::map<std::string, std::string> labels = {
        {"DSREFETAREFA", "Referência"},
        {"CDPROCESSO", "Processo"},
        {"CDOPERRESP", "Responsável"},
        {"CDPROJETO", "Projeto"},
        {"CDASSUNTO", "Assunto"},
        {"CDOPERABER", "Operador de Abertura"},
        {"DTABERTAREFA", "Data de Abertura"},
        {"IDSITTAREFA", "Situação"},
        {"IDORIGTARE", "Origem"},
        {"DTHRREUNIAO", "Data/Hora Reunião"},
        {"QTHRREUNIAO", "Duração"},
        {"NRSERIETARE", "Série"},
        {"DSMOTCANCEL", "Motivo do cancelamento"},
        {"CDSALA", "Sala"},
        {"DTATIAGESALA", "Dia"},
        {"NRSEQAGESALA", "Reserva"},
        {"IDSITAGESALA", "Situação da reserva"},
        {"DSAGENDASALA", "Descrição"},
        {"DTINCAGESALA", "Incluída em"},
        {"HRINIAGESALA", "Início"},
        {"HRFINAGESALA", "Fim"},
        {"CDOPERADOR", "Operador"},
        {"NRPLATIVTARE", "Atividade"},
        {"DTINPATIVTAR", "Início"},
        {"DTFIPATIVTAR", "Fim"},
        {"QTHRPATIVTAR", "Horas"},
        {"DTINCATIVTAR", "Incluída em"},
        {"CDOPERINCL", "Incluída por"},
        {"IDSITATIVTAR", "Situação"},
        {"IDOPERPAREUNIAO", "Participou"},
        {"CDITEMTRAB", "Item de trabalho"},
        {"NRSEQUITTARE", "Item"},
        {"DSREFEITTARE", "Item da pauta"},
        {"NRPRIOITTARE", "Prioridade"},
        {"DTINCLITTARE", "Incluído em"},
        {"TXPLANITTARE", "Plano"},
        {"TXDESCITTARE", "Ata"},
    };
    return labels;
}

// What an inclusion or a removal names of its record (the rest is in the record itself).
bool NamesTheRecord(const std::string& field) {
    static const std::vector<std::string> fields = {
        "DSREFETAREFA", "DTHRREUNIAO",  "QTHRREUNIAO",  "CDOPERRESP",   "CDSALA",
        "DTATIAGESALA", "HRINIAGESALA", "HRFINAGESALA", "DSREFEITTARE", "TXDESCITTARE"};
    for (const std::string& f : fields)
        if (f == field) return true;
    return false;
}

// The stamps of who wrote a row and when: the record's own who and when already say it.
bool IsStamp(const std::string& field) {
    static const std::vector<std::string> fields = {"CDOPERABER",  "DTABERTAREFA", "DTINCAGESALA",
                                                    "CDOPERADOR",  "DTINCATIVTAR", "CDOPERINCL",
                                                    "DTINCLITTARE"};
    for (const std::string& f : fields)
        if (f == field) return true;
    return false;
}

bool IsStatusField(const std::string& field) {
    return field == "IDSITTAREFA" || field == "IDSITATIVTAR";
}
bool IsDurationField(const std::string& field) {
    return field == "QTHRREUNIAO" || field == "QTHRPATIVTAR";
}
bool IsHhmmField(const std::string& field) {
    return field == "HRINIAGESALA" || field == "HRFINAGESALA";
}

// One element of a record's changes: [field, old, new] (minutes: [field, old, new, "len"]).
bool IsChange(const json& c) {
    return c.is_array() && c.size() >= 3 && c[0].is_string();
}

bool IsOperatorField(const std::string& field) {
    return field == "CDOPERRESP" || field == "CDOPERINCL" || field == "CDOPERADOR" ||
           field == "CDOPERABER";
}
bool IsRoomField(const std::string& field) {
    return field == "CDSALA";
}

// The name of an operator or a room code; the code itself when no name is known.
std::string NameOf(const std::map<std::string, std::string>& names, const std::string& code) {
    const auto it = names.find(code);
    return it == names.end() || it->second.empty() ? code : it->second;
}

std::string StatusName(const std::string& letter) {
    if (letter == "P") return "Pendente";
    if (letter == "A") return "Em andamento";
    if (letter == "I") return "Parada";
    if (letter == "C") return "Concluída";
    if (letter == "X") return "Cancelada";
    return letter;
}

// "YYYY-MM-DD HH:MM:SS" (either engine's form) as the window shows a date and time; a date
// without time of day shows the date alone.
bool DateText(const std::string& text, std::string& out) {
    if (text.size() < 10 || text[4] != '-' || text[7] != '-') return false;
    std::string iso = text;
    if (iso.size() > 10) iso[10] = 'T';
    try {
        const TDateTime t = IsoToDateTime(iso);
        out = TimeOf(t) == 0 ? DateToStr(t) : FormatDateTime("dd/mm/yyyy hh:nn", t);
        return true;
    } catch (const EConvertError&) {
        return false;
    }
}

std::string ValueText(const std::string& field, const json& v, const HistoryNames& names) {
    if (v.is_null()) return "(vazio)";
    if (v.is_number()) {
        const double d = v.get<double>();
        if (IsDurationField(field)) return RealToStTime(d);
        return v.is_number_integer() ? std::to_string(v.get<long long>()) : FloatToStr(d);
    }
    if (!v.is_string()) return v.dump();
    const std::string s = TrimAll(v.get<std::string>());
    if (s.empty()) return "(vazio)";
    if (IsOperatorField(field)) return NameOf(names.operators, s);
    if (IsRoomField(field)) return NameOf(names.rooms, s);
    if (IsStatusField(field)) return StatusName(s);
    if (IsHhmmField(field) && s.size() == 4) return s.substr(0, 2) + ":" + s.substr(2, 2);
    std::string date;
    if (DateText(s, date)) return date;
    return s;
}

std::string Headline(const std::string& kind, const std::string& op, const std::string& key) {
    static const std::map<std::string, std::vector<std::string>> words = {
        // kind: included, changed, removed
        {"meeting", {"Reunião incluída", "Reunião alterada", "Reunião excluída"}},
        {"room", {"Sala reservada", "Reserva alterada", "Reserva excluída"}},
        {"participants", {"Atividade incluída", "Atividade alterada", "Atividade excluída"}},
        {"agenda", {"Item da pauta incluído", "Item da pauta alterado", "Item da pauta excluído"}},
        {"minutes", {"Ata incluída", "Ata alterada", "Ata excluída"}},
    };
    const int which = op == "I" ? 0 : op == "D" ? 2 : 1;
    const auto it = words.find(kind);
    std::string head = it != words.end() ? it->second[which] : kind + " " + op;
    // The record's own key: a booking's day and sequence, an activity's or item's number.
    if (!key.empty() && kind != "room") head += " " + TrimAll(key);
    return head;
}

}  // namespace

void CollectHistoryCodes(const std::string& changes, HistoryNames& codes) {
    const json list = json::parse(changes, nullptr, false);
    if (!list.is_array()) return;
    for (const json& c : list) {
        if (!IsChange(c)) continue;
        const std::string field = c[0].get<std::string>();
        auto* target = IsOperatorField(field) ? &codes.operators
                       : IsRoomField(field)   ? &codes.rooms
                                              : nullptr;
        if (!target) continue;
        for (int side = 1; side <= 2; ++side)
            if (c[side].is_string() && !TrimAll(c[side].get<std::string>()).empty())
                target->emplace(TrimAll(c[side].get<std::string>()), std::string());
    }
}

const std::vector<std::string>& HistoryKinds() {
    static const std::vector<std::string> kinds = {"meeting", "room", "participants", "agenda",
                                                   "minutes"};
    return kinds;
}

std::string HistoryKindLabel(const std::string& kind) {
    if (kind == "meeting") return "Reunião";
    if (kind == "room") return "Sala";
    if (kind == "participants") return "Participantes";
    if (kind == "agenda") return "Pauta";
    if (kind == "minutes") return "Ata";
    return kind;
}

std::string HistoryFieldLabel(const std::string& field) {
    const auto it = FieldLabels().find(field);
    return it == FieldLabels().end() ? field : it->second;
}

std::string HistoryValueText(const std::string& field, const std::string& jsonValue,
                             const HistoryNames& names) {
    const json v = json::parse(jsonValue, nullptr, false);
    return v.is_discarded() ? jsonValue : ValueText(field, v, names);
}

std::string HistoryChangeText(const std::string& kind, const std::string& op,
                              const std::string& key, const std::string& changes,
                              const HistoryNames& names) {
    const json list = json::parse(changes, nullptr, false);
    if (!list.is_array()) return Headline(kind, op, key) + ": " + changes;
    std::string out;
    for (const json& c : list) {
        if (!IsChange(c)) continue;
        const std::string field = c[0].get<std::string>();
        if (op != "U" ? !NamesTheRecord(field) : IsStamp(field)) continue;
        std::string part = HistoryFieldLabel(field) + ": ";
        if (c.size() >= 4 && c[3] == "len") {
            // Minutes: only their length is kept.
            const auto chars = [](const json& n) {
                return n.is_number() ? std::to_string(n.get<long long>()) + " caracteres"
                                     : std::string("(vazio)");
            };
            part += op == "U" ? "alterada (" + chars(c[1]) + " → " + chars(c[2]) + ")"
                              : chars(op == "D" ? c[1] : c[2]);
        } else if (op == "I") {
            part += ValueText(field, c[2], names);
        } else if (op == "D") {
            part += ValueText(field, c[1], names);
        } else {
            part += ValueText(field, c[1], names) + " → " + ValueText(field, c[2], names);
        }
        out += (out.empty() ? "" : "; ") + part;
    }
    const std::string head = Headline(kind, op, key);
    return out.empty() ? head : head + ": " + out;
}

}  // namespace Cli_zel00400
