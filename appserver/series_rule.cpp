#include "appserver/series_rule.h"

#include <algorithm>
#include <cmath>

#include "appserver/rpc_error.h"

namespace zel::appserver {

namespace {

const char* const kWeekdayNames[] = {"segunda-feira", "terça-feira", "quarta-feira", "quinta-feira",
                                     "sexta-feira",   "sábado",      "domingo"};

[[noreturn]] void Refuse(const std::string& message) {
    throw RpcError(code::kBadArguments, message);
}

}  // namespace

std::string NormalisedWeekdays(const std::string& text, const std::string& noneMessage) {
    std::string days;
    for (const char c : text) {
        if (c == ' ') continue;
        if (c < '1' || c > '7')
            Refuse("Dias da semana inválidos: \"" + text + "\" (use 1 para segunda até 7 para " +
                   "domingo).");
        if (days.find(c) != std::string::npos)
            Refuse("Dia da semana repetido em \"" + text + "\".");
        days += c;
    }
    if (days.empty()) Refuse(noneMessage);
    std::sort(days.begin(), days.end());
    return days;
}

namespace {

bool Holds(const SeriesRule& rule, TDateTime day, int firstDayOfMonth) {
    const int weekday = IsoWeekday(day);
    switch (rule.frequency) {
        case SeriesFrequency::WorkingDays:
            return weekday <= 5;
        case SeriesFrequency::Weekly:
            return rule.weekdays.find(static_cast<char>('0' + weekday)) != std::string::npos;
        case SeriesFrequency::Monthly:
            return DecodeDate(day).day == firstDayOfMonth;
    }
    return false;
}

void RequireFirstFits(const SeriesRule& rule, TDateTime first) {
    if (Holds(rule, first, DecodeDate(first).day)) return;
    const std::string day = kWeekdayNames[IsoWeekday(first) - 1];
    if (rule.frequency == SeriesFrequency::WorkingDays)
        Refuse("A primeira reunião de uma série de dias úteis não pode cair num " + day + ".");
    Refuse("A primeira reunião cai em " + day + ", que não está entre os dias escolhidos.");
}

}  // namespace

SeriesRule ParseSeriesRule(const std::string& frequency, const std::string& weekdays,
                           TDateTime until, double count) {
    SeriesRule rule;
    if (frequency == "D") {
        rule.frequency = SeriesFrequency::WorkingDays;
    } else if (frequency == "S") {
        rule.frequency = SeriesFrequency::Weekly;
        rule.weekdays =
            NormalisedWeekdays(weekdays, "Escolha ao menos um dia da semana para a série.");
    } else if (frequency == "M") {
        rule.frequency = SeriesFrequency::Monthly;
    } else {
        Refuse("Frequência da série inválida: \"" + frequency +
               "\" (D todo dia útil, S toda semana, M todo mês).");
    }
    if (!(count >= 0 && count < 10000 && std::trunc(count) == count))
        Refuse("Número de ocorrências da série inválido.");
    const bool hasUntil = until != 0, hasCount = count != 0;
    if (hasUntil == hasCount)
        Refuse("Informe a data final da série ou o número de ocorrências (somente um dos dois).");
    rule.until = hasUntil ? DateOf(until) : 0;
    rule.count = static_cast<int>(count);
    return rule;
}

TDateTime SeriesLimit(TDateTime first) {
    return OneYearAfter(DateOf(first));
}

std::vector<TDateTime> SeriesDates(TDateTime first, const SeriesRule& rule) {
    RequireFirstFits(rule, first);
    const TDateTime firstDay = DateOf(first);
    const TDateTime limit = SeriesLimit(first);
    const std::string limitText = DateToStr(limit);
    if (rule.until != 0) {
        if (rule.until <= firstDay)
            Refuse("A data final da série deve ser posterior à data da primeira reunião.");
        if (rule.until > limit)
            Refuse("A série pode ir no máximo até " + limitText +
                   ", um ano após a primeira reunião.");
    }
    ::SeriesRule dates;
    dates.frequency = rule.FrequencyLetter();
    dates.weekdays = rule.weekdays;
    dates.until = rule.until;
    dates.count = rule.count;
    const SeriesPlan plan = ::SeriesDates(dates, first);
    if (plan.beyondOneYear)
        Refuse("Com " + std::to_string(rule.count) + " ocorrências a série passaria de " +
               limitText + ", um ano após a primeira reunião.");
    if (plan.starts.size() < 2) Refuse("A série deve ter ao menos duas ocorrências.");
    return plan.starts;
}

}  // namespace zel::appserver
