#include "appserver/admin_commands.h"

#include <iostream>
#include <memory>

#include "appserver/app_server.h"
#include "appserver/app_server_impl.h"
#include "appserver/cli.h"
#include "appserver/demo_data.h"
#include "appserver/history_csv.h"
#include "appserver/office_setup.h"
#include "appserver/password_hash.h"
#include "appserver/room_catalog.h"
#include "appserver/rpc_error.h"
#include "appserver/schema.h"
#include "appserver/storage.h"

namespace zel::appserver {

namespace {

struct Args {
    std::string code, name, branch, room, password, email;
    std::vector<std::string> branches;
    // room set
    int places = 0;
    bool noPlaces = false;
    std::vector<std::string> tags, untags;
    // branch hours
    std::string start, end, days;
    // history
    std::string since, meeting;
};

// Opens (and migrates) the database, runs `fn` in one transaction, maps failures to exit codes.
int WithDatabase(const CliSettings& s, const std::function<void(SqlConnection&)>& fn) {
    std::unique_ptr<AppServer> server;
    try {
        AppServerOptions o;
        o.db = s.db;
        o.poolSize = 1;
        server = std::make_unique<AppServer>(o);
    } catch (const std::exception& e) {
        std::cerr << "zel-appserver: database " << RedactDatabaseUrl(s.db) << ": " << e.what()
                  << "\n";
        return kExitDatabase;
    }
    try {
        server->Impl().db().Transact(true, fn);
        return kExitOk;
    } catch (const RpcError& e) {
        std::cerr << "zel-appserver: " << e.what() << "\n";
        return kExitRefused;
    } catch (const DbError& e) {
        if (e.kind() == DbError::Kind::UniqueViolation) {
            std::cerr << "zel-appserver: já cadastrado (" << e.what() << ")\n";
            return kExitRefused;
        }
        if (e.kind() == DbError::Kind::ForeignKeyViolation) {
            std::cerr << "zel-appserver: referência inexistente ou registro em uso (" << e.what()
                      << ")\n";
            return kExitRefused;
        }
        std::cerr << "zel-appserver: " << e.what() << "\n";
        return kExitDatabase;
    }
}

std::string ReadPassword(const std::string& given) {
    if (!given.empty()) return given;
    std::string line;
    std::getline(std::cin, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) throw CLI::ValidationError("password", "a senha não pode ser vazia");
    return line;
}

void Print(const std::vector<std::vector<std::string>>& rows) {
    for (const auto& row : rows) {
        for (size_t i = 0; i < row.size(); ++i)
            std::cout << (i ? "\t" : "") << row[i];
        std::cout << "\n";
    }
}

}  // namespace

void AddAdminCommands(CLI::App& app, const CliSettings& s, std::function<int()>& action) {
    auto a = std::make_shared<Args>();

    app.add_subcommand("migrate", "Cria ou atualiza o esquema do banco e sai")->callback([&, a] {
        action = [&s] { return WithDatabase(s, [](SqlConnection&) {}); };
    });
    app.add_subcommand("seed-demo", "Preenche um banco vazio com os dados de demonstração")
        ->callback([&] {
            action = [&s] {
                AppServerOptions o;
                o.db = s.db;
                o.poolSize = 1;
                try {
                    AppServer server(o);
                    const bool added = SeedDemoData(server.Impl().db(), Now(), false);
                    std::cout << (added ? "dados de demonstração gravados\n"
                                        : "o banco já tem dados; nada foi gravado\n");
                    return kExitOk;
                } catch (const std::exception& e) {
                    std::cerr << "zel-appserver: " << e.what() << "\n";
                    return kExitDatabase;
                }
            };
        });

    CLI::App* branch = app.add_subcommand("branch", "Filiais")->require_subcommand(1);
    CLI::App* badd = branch->add_subcommand("add", "Cadastra uma filial");
    badd->add_option("code", a->code, "Código (4)")->required();
    badd->add_option("name", a->name, "Nome")->required();
    badd->callback([&, a] {
        action = [&s, a] {
            return WithDatabase(s,
                                [a](SqlConnection& c) { office::AddBranch(c, a->code, a->name); });
        };
    });
    CLI::App* bzone = branch->add_subcommand(
        "timezone", "Define o fuso horário de uma filial (sem fuso, volta ao do servidor)");
    bzone->add_option("code", a->code, "Código (4)")->required();
    bzone->add_option("zone", a->name, "Fuso IANA, como America/Sao_Paulo");
    bzone->callback([&, a] {
        action = [&s, a] {
            return WithDatabase(
                s, [a](SqlConnection& c) { office::SetBranchTimeZone(c, a->code, a->name); });
        };
    });
    CLI::App* bhours = branch->add_subcommand(
        "hours", "Define o expediente de uma filial (onde as sugestões de horário cabem)");
    bhours->add_option("code", a->code, "Código (4)")->required();
    bhours->add_option("--start", a->start, "Início do expediente, HH:MM (padrão 08:00)");
    bhours->add_option("--end", a->end, "Fim do expediente, HH:MM (padrão 18:00)");
    bhours->add_option("--days", a->days,
                       "Dias de expediente: 1 = segunda ... 7 = domingo (padrão 12345)");
    bhours->callback([&, a] {
        action = [&s, a] {
            return WithDatabase(s, [a](SqlConnection& c) {
                const WorkingHours h =
                    office::SetWorkingHours(c, a->code, a->start, a->end, a->days);
                std::cout << a->code << "\t" << h.Text() << "\n";
            });
        };
    });
    branch->add_subcommand("list", "Lista as filiais")->callback([&] {
        action = [&s] {
            return WithDatabase(s, [](SqlConnection& c) { Print(office::ListBranches(c)); });
        };
    });

    CLI::App* op = app.add_subcommand("operator", "Operadores")->require_subcommand(1);
    CLI::App* oadd = op->add_subcommand("add", "Cadastra um operador");
    oadd->add_option("code", a->code, "Código (12)")->required();
    oadd->add_option("name", a->name, "Nome")->required();
    oadd->add_option("--branch", a->branches, "Filial que pode usar (repita para várias)")
        ->required();
    oadd->add_option("--password", a->password, "Senha (sem ela, lida da entrada padrão)");
    oadd->add_option("--email", a->email, "E-mail (convites de calendário)");
    oadd->callback([&, a] {
        const std::string hash = HashPassword(ReadPassword(a->password));
        action = [&s, a, hash] {
            return WithDatabase(s, [a, hash](SqlConnection& c) {
                office::AddOperator(c, a->code, a->name, hash, a->branches, a->email);
            });
        };
    });
    CLI::App* omail =
        op->add_subcommand("email", "Define o e-mail de um operador (sem endereço, remove)");
    omail->add_option("code", a->code)->required();
    omail->add_option("address", a->email, "E-mail");
    omail->callback([&, a] {
        action = [&s, a] {
            return WithDatabase(
                s, [a](SqlConnection& c) { office::SetOperatorEmail(c, a->code, a->email); });
        };
    });
    CLI::App* opw = op->add_subcommand("passwd", "Troca a senha de um operador");
    opw->add_option("code", a->code)->required();
    opw->add_option("--password", a->password, "Senha (sem ela, lida da entrada padrão)");
    opw->callback([&, a] {
        const std::string hash = HashPassword(ReadPassword(a->password));
        action = [&s, a, hash] {
            return WithDatabase(
                s, [a, hash](SqlConnection& c) { office::SetPassword(c, a->code, hash); });
        };
    });
    for (const bool active : {true, false}) {
        CLI::App* sub = op->add_subcommand(active ? "enable" : "disable",
                                           active ? "Reativa um operador" : "Desativa um operador");
        sub->add_option("code", a->code)->required();
        sub->callback([&, a, active] {
            action = [&s, a, active] {
                return WithDatabase(s, [a, active](SqlConnection& c) {
                    office::SetOperatorActive(c, a->code, active);
                });
            };
        });
    }
    for (const bool grant : {true, false}) {
        CLI::App* sub =
            op->add_subcommand(grant ? "grant" : "revoke",
                               grant ? "Dá acesso a uma filial" : "Tira o acesso a uma filial");
        sub->add_option("code", a->code)->required();
        sub->add_option("branch", a->branch)->required();
        sub->callback([&, a, grant] {
            action = [&s, a, grant] {
                return WithDatabase(s, [a, grant](SqlConnection& c) {
                    if (grant)
                        office::GrantBranch(c, a->code, a->branch);
                    else
                        office::RevokeBranch(c, a->code, a->branch);
                });
            };
        });
    }
    op->add_subcommand("list", "Lista os operadores")->callback([&] {
        action = [&s] {
            return WithDatabase(s, [](SqlConnection& c) { Print(office::ListOperators(c)); });
        };
    });

    CLI::App* room = app.add_subcommand("room", "Salas de reunião")->require_subcommand(1);
    CLI::App* radd = room->add_subcommand("add", "Cadastra uma sala");
    radd->add_option("branch", a->branch)->required();
    radd->add_option("code", a->code, "Código (5)")->required();
    radd->add_option("name", a->name, "Nome")->required();
    radd->callback([&, a] {
        action = [&s, a] {
            return WithDatabase(
                s, [a](SqlConnection& c) { office::AddRoom(c, a->branch, a->code, a->name); });
        };
    });
    for (const bool active : {true, false}) {
        CLI::App* sub = room->add_subcommand(active ? "enable" : "disable",
                                             active ? "Reativa uma sala" : "Desativa uma sala");
        sub->add_option("branch", a->branch)->required();
        sub->add_option("code", a->code)->required();
        sub->callback([&, a, active] {
            action = [&s, a, active] {
                return WithDatabase(s, [a, active](SqlConnection& c) {
                    office::SetRoomActive(c, a->branch, a->code, active);
                });
            };
        });
    }
    CLI::App* rset =
        room->add_subcommand("set", "Define a capacidade e os equipamentos de uma sala");
    rset->add_option("branch", a->branch)->required();
    rset->add_option("code", a->code, "Código (5)")->required();
    CLI::Option* places = rset->add_option("--capacity", a->places, "Número de lugares")
                              ->check(CLI::Range(1, static_cast<int>(kMaxRoomPlaces)));
    CLI::Option* noPlaces =
        rset->add_flag("--no-capacity", a->noPlaces, "A capacidade deixa de ser informada");
    places->excludes(noPlaces);
    rset->add_option("--tag", a->tags,
                     "Equipamento a acrescentar (projetor, videoconferência, quadro branco, "
                     "acessível ou outro; repita para vários)");
    rset->add_option("--untag", a->untags, "Equipamento a retirar (repita para vários)");
    rset->callback([&, a, places] {
        if (!*places && !a->noPlaces && a->tags.empty() && a->untags.empty())
            throw CLI::ValidationError("room set",
                                       "informe --capacity, --no-capacity, --tag ou --untag");
        const bool setPlaces = *places || a->noPlaces;
        action = [&s, a, setPlaces] {
            return WithDatabase(s, [a, setPlaces](SqlConnection& c) {
                if (setPlaces)
                    office::SetRoomPlaces(
                        c, a->branch, a->code,
                        a->noPlaces ? std::nullopt : std::optional<int64_t>(a->places));
                office::SetRoomTags(c, a->branch, a->code, a->tags, a->untags);
            });
        };
    });
    CLI::App* rlist = room->add_subcommand("list", "Lista as salas de uma filial");
    rlist->add_option("branch", a->branch)->required();
    rlist->callback([&, a] {
        action = [&s, a] {
            return WithDatabase(s,
                                [a](SqlConnection& c) { Print(office::ListRooms(c, a->branch)); });
        };
    });

    CLI::App* hist =
        app.add_subcommand("history", "Imprime o histórico das reuniões de uma filial em CSV");
    hist->add_option("--branch", a->branch, "Filial (4)")->required();
    hist->add_option("--since", a->since, "A partir de (AAAA-MM-DD)");
    hist->add_option("--meeting", a->meeting, "Somente esta reunião");
    hist->callback([&, a] {
        action = [&s, a] {
            return WithDatabase(s, [a](SqlConnection& c) {
                WriteHistoryCsv(c, std::cout, a->branch, a->since, a->meeting);
            });
        };
    });
}

}  // namespace zel::appserver
