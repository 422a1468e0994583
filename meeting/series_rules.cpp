#include "meeting/series_rules.h"

namespace reuniao {

std::string WeekdayAbbrev(int isoWeekday) {
    static const char* const kNames[] = {"Seg", "Ter", "Qua", "Qui", "Sex", "Sáb", "Dom"};
    if (isoWeekday < 1 || isoWeekday > 7) return {};
    return kNames[isoWeekday - 1];
}

std::string SeriesRuleProblem(const SeriesRule& rule, TDateTime firstStart) {
    if (rule.frequency == 'S' && rule.weekdays.find_first_of("1234567") == std::string::npos)
        return "Marque ao menos um dia da semana para a repetição.";
    if (rule.count == 0 && DateOf(rule.until) <= DateOf(firstStart))
        return "A data final da repetição deve ser posterior à data da reunião.";
    if (rule.until == 0 && rule.count < 2) return "A repetição deve ter ao menos 2 ocorrências.";
    const int weekday = IsoWeekday(firstStart);
    if (rule.frequency == 'S' &&
        rule.weekdays.find(static_cast<char>('0' + weekday)) == std::string::npos)
        return "Marque também o dia da semana da reunião (" + WeekdayAbbrev(weekday) + ").";
    if (rule.frequency == 'D' && weekday > 5)
        return "Uma repetição em todo dia útil começa num dia útil.";
    if (SeriesDates(rule, firstStart).beyondOneYear)
        return "A repetição pode ir no máximo até " + DateToStr(OneYearAfter(DateOf(firstStart))) +
               " (um ano após a primeira reunião).";
    if (SeriesDates(rule, firstStart).starts.size() < 2)
        return "A repetição não tem outra data até o fim escolhido.";
    return {};
}

std::string SeriesOutcomeText(const std::string& situation, const std::string& roomName) {
    if (situation == "R") return "Sala " + roomName;
    if (situation == "N") return "Sem sala";
    if (situation == "P") return "Pulada";
    if (situation == "X") return "Cancelada";
    return {};
}

std::string SeriesRuleText(const std::string& frequency, const std::string& weekdays,
                           TDateTime until, int count, const std::string& conflict) {
    std::string text;
    if (frequency == "D") {
        text = "Todo dia útil";
    } else if (frequency == "M") {
        text = "Todo mês";
    } else {
        text = "Toda semana (";
        bool first = true;
        for (char c : weekdays) {
            const std::string name = WeekdayAbbrev(c - '0');
            if (name.empty()) continue;
            text += (first ? "" : ", ") + name;
            first = false;
        }
        text += ")";
    }
    if (count > 0)
        text += ", " + std::to_string(count) + " ocorrências";
    else if (until > 0)
        text += ", até " + DateToStr(until);
    text += conflict == "P" ? "; sala ocupada: pular a data" : "; sala ocupada: sem sala";
    return text;
}

}  // namespace reuniao
