#include "appserver/demo_data.h"

#include <cstdio>
#include <string>
#include <vector>

#include "appserver/counters.h"
#include "appserver/office_setup.h"
#include "appserver/password_hash.h"
#include "appserver/sql_value.h"

namespace zel::appserver {

namespace {

constexpr const char* kDemoOperator = "000000000001";

// Minutes of an agenda item of a concluded meeting, as the minutes editor stores them (the
// HTML of its rich text): a centred bold heading, an introduction, a bulleted list whose
// entries may carry their own formatting, and a closing line in italics.
std::string MinutesHtml(const std::string& heading, const std::string& intro,
                        const std::vector<std::string>& items, const std::string& closing) {
    const std::string p = "<p style=\" margin-top:0px; margin-bottom:6px;\">";
    std::string html =
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0//EN\" "
        "\"http://www.w3.org/TR/REC-html40/strict.dtd\">\n"
        "<html><head><meta name=\"qrichtext\" content=\"1\" /><meta charset=\"utf-8\" />"
        "<style type=\"text/css\">\np, li { white-space: pre-wrap; }\n</style></head>"
        "<body style=\" font-size:10pt; font-weight:400; font-style:normal;\">\n"
        "<p align=\"center\" style=\" margin-top:0px; margin-bottom:6px;\">"
        "<span style=\" font-size:12pt; font-weight:700;\">" +
        heading + "</span></p>\n" + p + intro +
        "</p>\n<ul style=\"margin-top: 0px; margin-bottom: 6px; -qt-list-indent: 1;\">\n";
    for (const std::string& item : items)
        html += "<li style=\" margin-top:0px; margin-bottom:0px;\">" + item + "</li>\n";
    return html + "</ul>\n" + p + "<span style=\" font-style:italic;\">" + closing +
           "</span></p></body></html>";
}

std::string DemoMinutes(int item) {
    if (item == 0)
        return MinutesHtml(
            "Abertura e informes", "A coordenação abriu a reunião e apresentou os informes:",
            {"metas do trimestre <span style=\" font-weight:700; color:#1f7a3a;\">atingidas"
             "</span>;",
             "novo horário de atendimento a partir do próximo mês."},
            "Ata: assunto discutido e aprovado.");
    return MinutesHtml(
        "Próximos passos", "Ficou definido:",
        {"<span style=\" font-weight:700;\">Ana Souza</span> envia o cronograma revisado;",
         "<span style=\" font-weight:700;\">Bruno Lima</span> confirma o orçamento com o "
         "financeiro;",
         "<span style=\" color:#b22222;\">prazo: sexta-feira</span>."},
        "Ata: encaminhamentos aprovados por todos.");
}

void Exec(SqlConnection& db, const char* sql, const SqlParams& params) {
    db.Exec(sql, params);
}

void SeedOffice(SqlConnection& db, const std::string& hash) {
    office::AddBranch(db, "0001", "Matriz");
    office::AddBranch(db, "0002", "Filial Sul");
    office::AddOperator(db, kDemoOperator, "Operador Demonstração", hash, {"0001", "0002"});
    office::AddOperator(db, "000000000002", "Ana Souza", hash, {"0001"});
    office::AddOperator(db, "000000000003", "Bruno Lima", hash, {"0001", "0002"});
    office::AddOperator(db, "000000000004", "Carla Mendes", hash, {"0001"});
    office::AddOperator(db, "000000000005", "Diego Rocha", hash, {"0001"});
    office::AddRoom(db, "0001", "00001", "Sala de Reuniões 1");
    office::AddRoom(db, "0001", "00002", "Sala de Reuniões 2");
    office::AddRoom(db, "0001", "00003", "Auditório");
    office::AddRoom(db, "0001", "00004", "Sala da Diretoria");
    office::AddRoom(db, "0001", "00005", "Sala de Treinamento");
    office::AddRoom(db, "0002", "00001", "Sala Sul");
    struct Described {
        const char* branch;
        const char* room;
        int places;
        std::vector<std::string> tags;
    };
    const Described rooms[] = {
        {"0001", "00001", 8, {"projetor", "quadro branco"}},
        {"0001", "00002", 6, {"quadro branco", "videoconferência"}},
        {"0001", "00003", 80, {"projetor", "sistema de som", "acessível", "videoconferência"}},
        {"0001", "00004", 12, {"videoconferência", "projetor", "acessível"}},
        {"0001", "00005", 24, {"projetor", "quadro branco", "acessível"}},
        {"0002", "00001", 10, {"projetor", "quadro branco", "acessível"}},
    };
    for (const Described& r : rooms) {
        office::SetRoomPlaces(db, r.branch, r.room, r.places);
        office::SetRoomTags(db, r.branch, r.room, r.tags, {});
    }
}

void SeedCatalogues(SqlConnection& db) {
    const char* insProc =
        "INSERT INTO PROCESSO (CDPROCESSO, CDNVPROCESSO, CDARVPROCESS, NMPROCESSO, "
        "IDTPPROCESSO, CDSETOR, IDPROREUNIAO, IDATIVO) VALUES (?, ?, ?, ?, ?, ?, ?, 'S')";
    Exec(db, insProc, {"0000000001", "1", "01", "Administração", "A", "0001", "N"});
    Exec(db, insProc, {"0000000002", "2", "0101", "Participar de Reunião", "A", "0001", "S"});
    Exec(db, insProc, {"0000000003", "2", "0102", "Planejamento", "A", "0001", "N"});
    Exec(db, insProc, {"0000000004", "1", "02", "Desenvolvimento de Sistemas", "T", "0002", "N"});
    Exec(db, insProc, {"0000000005", "2", "0201", "Análise de Requisitos", "T", "0002", "N"});
    const char* insAssu =
        "INSERT INTO ASSUNTO (CDASSUNTO, NMASSUNTO, IDORIGOBRSOL, IDPAUTVERPLA, QTSEGAVIASSU, "
        "CDNATUASSU) VALUES (?, ?, 'N', 'N', 0, NULL)";
    Exec(db, insAssu, {"00001", "Planejamento Estratégico"});
    Exec(db, insAssu, {"00002", "Orçamento"});
    Exec(db, insAssu, {"00003", "Acompanhamento de Projetos"});
    Exec(db, insAssu, {"00004", "Qualidade"});
    Exec(db, insAssu, {"00005", "Recursos Humanos"});
    const char* insProj = "INSERT INTO PROJETO (CDPROJETO, NMPROJETO) VALUES (?, ?)";
    Exec(db, insProj, {"0000000001", "Implantação do Sistema de Gestão"});
    Exec(db, insProj, {"0000000002", "Nova Sede"});
    Exec(db, insProj, {"0000000003", "Certificação de Qualidade"});
    const char* insItem =
        "INSERT INTO ITEMTRAB (CDITEMTRAB, NMITEMTRAB, CDARVITTRAB) VALUES (?, ?, ?)";
    Exec(db, insItem, {"0000000001", "Reunião", "01"});
    Exec(db, insItem, {"0000000002", "Preparação de Pauta", "0101"});
    Exec(db, insItem, {"0000000003", "Documentação", "02"});
}

std::string Status(int offset, int i) {
    if (i % 7 == 3) return "X";
    if (offset < -1) return i % 5 == 0 ? "A" : "C";
    if (offset <= 0) return "A";
    return "P";
}

const char* const kTitles[] = {
    "Planejamento semanal",         "Revisão do orçamento", "Acompanhamento do projeto",
    "Comitê de qualidade",          "Reunião de diretoria", "Integração de novos colaboradores",
    "Alinhamento com fornecedores", "Revisão de processos", "Apresentação de resultados",
    "Treinamento da equipe",
};

void SeedMeetings(SqlConnection& db, TDateTime now) {
    const TDateTime today = DateOf(now);
    const char* operators[] = {kDemoOperator, "000000000002", "000000000003", "000000000004",
                               "000000000005"};
    for (int i = 0; i < 30; ++i) {
        const int offset = -14 + i;
        const int hour = 8 + (i * 3) % 10;
        const TDateTime start = today + offset + hour / 24.0;
        const std::string nr = ZeroFill(NextCounterValue(db, counter::kMeeting, "0001"), 10);
        const std::string status = Status(offset, i);
        const char* resp = operators[i % 5];
        const double hours = (i % 3 == 0) ? 1.5 : 1.0;
        Exec(db,
             "INSERT INTO TAREFA (CDFILIAL, NRTAREFA, DSREFETAREFA, CDPROCESSO, CDOPERRESP, "
             "CDPROJETO, CDASSUNTO, CDOPERABER, DTABERTAREFA, IDSITTAREFA, IDORIGTARE, "
             "DTHRREUNIAO, QTHRREUNIAO) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, '4', ?, ?)",
             {"0001", nr, std::string(kTitles[i % 10]), "0000000002", resp,
              i % 4 == 1 ? Variant() : Variant(ZeroFill(1 + i % 3, 10)), ZeroFill(1 + i % 5, 5),
              kDemoOperator, Variant::FromDateTime(start - 7), status, Variant::FromDateTime(start),
              hours});
        if (i % 2 == 0 && status != "X") {
            // Meetings fall on different days, so these bookings never overlap.
            char hrIni[8], hrFin[8];
            std::snprintf(hrIni, sizeof hrIni, "%02d00", hour);
            std::snprintf(hrFin, sizeof hrFin, "%02d%02d", hour + 1, hours > 1 ? 30 : 0);
            Exec(db,
                 "INSERT INTO AGEATIVISALA (CDFILIAL, DTATIAGESALA, NRSEQAGESALA, CDSALA, "
                 "NRTAREFA, IDSITAGESALA, DSAGENDASALA, DTINCAGESALA, HRINIAGESALA, "
                 "HRFINAGESALA, CDOPERADOR) VALUES (?, ?, ?, ?, ?, 'A', ?, ?, ?, ?, ?)",
                 {"0001", Variant::FromDateTime(today + offset),
                  ZeroFill(NextCounterValue(db, counter::kRoomBooking,
                                            BookingCounterKey("0001", today + offset)),
                           5),
                  ZeroFill(1 + i % 5, 5), nr, std::string(kTitles[i % 10]),
                  Variant::FromDateTime(start - 7), std::string(hrIni), std::string(hrFin),
                  kDemoOperator});
        }
        if (i % 3 == 0) {
            for (int k = 0; k < 2; ++k) {
                const std::string item =
                    ZeroFill(NextCounterValue(db, counter::kAgendaItem, "0001"), 10);
                Exec(db,
                     "INSERT INTO ITEMTAREFA (CDFILIAL, NRTAREFA, NRSEQUITTARE, DSREFEITTARE, "
                     "NRPRIOITTARE, CDOPERRESP, DTINCLITTARE, TXPLANITTARE, CDOPERADOR) "
                     "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
                     {"0001", nr, item, std::string(k ? "Próximos passos" : "Abertura e informes"),
                      std::to_string(k + 1), resp, Variant::FromDateTime(start - 7),
                      std::string("Pauta preparada pela coordenação."), kDemoOperator});
                if (status == "C")
                    Exec(db,
                         "INSERT INTO DESCITEMTARE (CDFILIAL, NRTAREFA, NRSEQUITTARE, "
                         "TXDESCITTARE) VALUES (?, ?, ?, ?)",
                         {"0001", nr, item, DemoMinutes(k)});
            }
        }
        if (i % 4 == 0) {
            for (int k = 0; k < 2; ++k) {
                const std::string key = "0001/" + nr;
                const char* activity = status == "C"   ? "C"
                                       : status == "X" ? "X"
                                       : status == "A" ? "A"
                                                       : "P";
                Exec(db,
                     "INSERT INTO PLANATIVTARE (CDFILIAL, NRTAREFA, NRPLATIVTARE, CDPROCESSO, "
                     "CDOPERRESP, DTINPATIVTAR, DTFIPATIVTAR, QTHRPATIVTAR, DTINCATIVTAR, "
                     "CDOPERINCL, IDSITATIVTAR, IDOPERPAREUNIAO, CDITEMTRAB) "
                     "VALUES (?, ?, ?, '0000000002', ?, ?, ?, ?, ?, ?, ?, ?, '0000000001')",
                     {"0001", nr, ZeroFill(NextCounterValue(db, counter::kPlanActivity, key), 5),
                      operators[(i + k + 1) % 5], Variant::FromDateTime(start),
                      Variant::FromDateTime(start + hours / 24.0), hours,
                      Variant::FromDateTime(start - 7), kDemoOperator, std::string(activity),
                      std::string(status == "C" ? "S" : "N")});
            }
        }
    }
}

}  // namespace

bool SeedDemoData(Database& db, TDateTime now, bool fastPasswordHashing) {
    const std::string hash = HashPassword("demo", fastPasswordHashing);
    return db.Transact(true, [&](SqlConnection& c) {
        if (!c.Exec("SELECT CDFILIAL FROM FILIAL").rows.empty()) return false;
        SeedOffice(c, hash);
        SeedCatalogues(c);
        SeedMeetings(c, now);
        return true;
    });
}

}  // namespace zel::appserver
