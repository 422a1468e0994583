#include "bench/platform/meeting_packet.h"

#include <map>
#include <nlohmann/json.hpp>

#include "platform/date_time.h"
#include "platform/variant.h"

using nlohmann::json;

namespace {

const char* const kOperators[][2] = {{"ANA.SILVA", "Ana Paula da Silva"},
                                     {"CARLOS.M", "Carlos Mendes Ferreira"},
                                     {"JOAO.PEREIRA", "João Pereira Lima"},
                                     {"MARIA.SOUZA", "Maria Souza Andrade"}};
const char* const kProjects[][2] = {{"PRJ0000042", "Implantação do módulo financeiro - fase 2"},
                                    {"PRJ0000107", "Revisão dos contratos de manutenção"},
                                    {"PRJ0000233", "Migração da base de clientes"}};
const char* const kSubjects[][2] = {{"00007", "Planejamento"},
                                    {"00012", "Acompanhamento semanal"},
                                    {"00031", "Encerramento de etapa"}};
const char kStatus[] = {'P', 'A', 'C', 'X', 'P', 'A', 'C', 'P', 'A', ' '};

json Date(TDateTime t) {
    return VariantToJson(Variant::FromDateTime(t));
}

json Fields() {
    const std::pair<const char*, const char*> defs[] = {{"CDFILIAL", "string"},
                                                        {"NRTAREFA", "string"},
                                                        {"DSREFETAREFA", "string"},
                                                        {"CDPROCESSO", "string"},
                                                        {"CDOPERRESP", "string"},
                                                        {"CDPROJETO", "string"},
                                                        {"NMPROJETO", "string"},
                                                        {"NMOPERADOR", "string"},
                                                        {"CDASSUNTO", "string"},
                                                        {"CDOPERABER", "string"},
                                                        {"DTABERTAREFA", "datetime"},
                                                        {"IDSITTAREFA", "string"},
                                                        {"IDORIGTARE", "string"},
                                                        {"DTHRREUNIAO", "datetime"},
                                                        {"QTHRREUNIAO", "float"},
                                                        {"CDARVPROCESS", "string"},
                                                        {"NMPROCESSO", "string"},
                                                        {"NMASSUNTO", "string"},
                                                        {"NMOPERABER", "string"},
                                                        {"DESCRICAO", "string"},
                                                        {"DATA", "datetime"},
                                                        {"CDSALA", "string"},
                                                        {"HORA", "string"}};
    const int sizes[] = {4, 10, 100, 10, 12,  10, 100, 40,  5, 12, 0, 1,
                         1, 0,  0,   20, 100, 50, 40,  111, 0, 5,  5};
    json out = json::array();
    for (size_t i = 0; i < std::size(defs); ++i) {
        json f = {{"name", defs[i].first}, {"type", defs[i].second}};
        if (sizes[i] > 0) f["size"] = sizes[i];
        out.push_back(std::move(f));
    }
    out[0]["flags"] = {"update", "where", "key"};
    out[1]["flags"] = {"update", "where", "key"};
    for (int i : {19, 20, 22})
        out[i]["flags"] = {"where"};
    return out;
}

json Row(int n) {
    const auto& oper = kOperators[n % 4];
    const auto& opener = kOperators[(n / 4) % 4];
    const auto& project = kProjects[n % 3];
    const auto& subject = kSubjects[(n / 3) % 3];
    char number[16];
    std::snprintf(number, sizeof number, "%010d", n);
    const TDateTime day = EncodeDate(2026, 12, 7) + (n % 400) - 200;
    const int hour = 8 + n % 10;
    const int minute = (n % 2) * 30;
    char hora[8];
    std::snprintf(hora, sizeof hora, "%02d:%02d", hour, minute);
    const std::string reference =
        std::string("Reunião de ") + subject[1] + " - " + std::string(project[1]).substr(0, 20);
    return json::array({"0001",
                        number,
                        reference,
                        "0000000012",
                        oper[0],
                        project[0],
                        project[1],
                        oper[1],
                        subject[0],
                        opener[0],
                        Date(day - 10),
                        std::string(1, kStatus[n % 10]),
                        "R",
                        Date(day + EncodeTime(hour, minute, 0, 0)),
                        0.5 * (1 + n % 6),
                        "01.02.003.0004",
                        "Gestão de reuniões",
                        subject[1],
                        opener[1],
                        std::string(number) + " - " + reference,
                        Date(day),
                        n % 5 == 0 ? json(nullptr) : json("0000" + std::to_string(1 + n % 9)),
                        hora});
}

}  // namespace

const std::string& MeetingPacketText(int rows) {
    static std::map<int, std::string> cache;
    auto it = cache.find(rows);
    if (it != cache.end()) return it->second;
    json packet = {{"fields", Fields()}, {"rows", json::array()}};
    json& out = packet["rows"];
    for (int n = 1; n <= rows; ++n)
        out.push_back(Row(n));
    return cache.emplace(rows, packet.dump()).first->second;
}
