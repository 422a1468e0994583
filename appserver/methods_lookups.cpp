#include "appserver/methods_lookups.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "appserver/method_support.h"
#include "appserver/methods.h"
#include "appserver/packet_builder.h"
#include "appserver/rpc_error.h"

namespace zel::appserver {

namespace {

using T = TFieldType;

const std::vector<FieldDef>& OperatorFields() {
    static const std::vector<FieldDef> f = {StringField("CDOPERADOR", 12),
                                            StringField("NMOPERADOR", 40)};
    return f;
}

// Operators who may use the branch; only active ones unless `code` names one.
constexpr const char* kBranchOperators =
    "SELECT O.CDOPERADOR, O.NMOPERADOR FROM OPERADOR O "
    "JOIN OPERFILIAL F ON F.CDOPERADOR = O.CDOPERADOR AND F.CDFILIAL = ? ";

// A typed code is checked as given, active or not, so a meeting whose responsible operator
// has since been deactivated can still be saved; pick lists offer active operators only.
Variant GetVdResp(CallContext& ctx) {
    return QueryPacket(ctx.db(), OperatorFields(),
                       std::string(kBranchOperators) + "WHERE O.CDOPERADOR = ?",
                       {ctx.str(1), ctx.str(0)});
}

Variant GetResp(CallContext& ctx) {
    return QueryPacket(
        ctx.db(), OperatorFields(),
        std::string(kBranchOperators) + "WHERE O.IDATIVO = 'S' ORDER BY O.NMOPERADOR, O.CDOPERADOR",
        {ctx.str(0)});
}

Variant GetPesqPart(CallContext& ctx) {
    static const std::vector<FieldDef> fields = {StringField("NMOPERADOR", 40),
                                                 StringField("CDOPERADOR", 12)};
    return QueryPacket(ctx.db(), fields,
                       "SELECT O.NMOPERADOR, O.CDOPERADOR FROM OPERADOR O "
                       "JOIN OPERFILIAL F ON F.CDOPERADOR = O.CDOPERADOR AND F.CDFILIAL = ? "
                       "WHERE O.IDATIVO = 'S' ORDER BY O.NMOPERADOR, O.CDOPERADOR",
                       {ctx.str(0)});
}

// The responsible operator of an agenda item may be anyone in the office, so the pick list
// is not limited to one branch.
Variant GetPesqOper(CallContext& ctx) {
    return QueryPacket(ctx.db(), OperatorFields(),
                       "SELECT CDOPERADOR, NMOPERADOR FROM OPERADOR WHERE IDATIVO = 'S' "
                       "ORDER BY NMOPERADOR, CDOPERADOR");
}

Variant GetAssunto(CallContext& ctx) {
    static const std::vector<FieldDef> fields = {
        StringField("CDASSUNTO", 5),         StringField("NMASSUNTO", 50),
        StringField("IDORIGOBRSOL", 1),      StringField("IDPAUTVERPLA", 1),
        Field("QTSEGAVIASSU", T::ftFloat),   StringField("CDNATUASSU", 5),
        Field("DTULTATUTASS", T::ftDateTime)};
    std::string sql =
        "SELECT CDASSUNTO, NMASSUNTO, IDORIGOBRSOL, IDPAUTVERPLA, QTSEGAVIASSU, CDNATUASSU, "
        "DTULTATUTASS FROM ASSUNTO";
    const std::string code = ctx.str(0);
    if (::IsBlank(code)) return QueryPacket(ctx.db(), fields, sql + " ORDER BY NMASSUNTO");
    return QueryPacket(ctx.db(), fields, sql + " WHERE CDASSUNTO = ?", {code});
}

// The process edit sends its masked text: blanks and the picture's dots are not part of
// the stored tree code ("01.01.  .  " is "0101").
std::string TreeCode(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != ' ' && c != '.') out += c;
    return out;
}

Variant GetProcesso(CallContext& ctx) {
    static const std::vector<FieldDef> fields = {
        StringField("CDPROCESSO", 10),   StringField("CDNVPROCESSO", 1),
        StringField("CDARVPROCESS", 20), StringField("NMPROCESSO", 100),
        StringField("IDTPPROCESSO", 1),  StringField("CDSETOR", 4)};
    std::string sql =
        "SELECT CDPROCESSO, CDNVPROCESSO, CDARVPROCESS, NMPROCESSO, IDTPPROCESSO, CDSETOR "
        "FROM PROCESSO";
    const std::string code = TreeCode(ctx.str(0));
    if (code.empty())
        return QueryPacket(ctx.db(), fields, sql + " WHERE IDATIVO = 'S' ORDER BY CDARVPROCESS");
    return QueryPacket(ctx.db(), fields, sql + " WHERE CDARVPROCESS = ?", {code});
}

// Projects are shared by every branch of the office; the branch argument is checked for
// access only.
Variant GetProjeto(CallContext& ctx) {
    static const std::vector<FieldDef> fields = {StringField("CDPROJETO", 10),
                                                 StringField("NMPROJETO", 100)};
    const std::string code = ctx.str(1);
    if (::IsBlank(code))
        return QueryPacket(ctx.db(), fields,
                           "SELECT CDPROJETO, NMPROJETO FROM PROJETO ORDER BY NMPROJETO");
    return QueryPacket(ctx.db(), fields,
                       "SELECT CDPROJETO, NMPROJETO FROM PROJETO WHERE CDPROJETO = ?", {code});
}

// "0101%" lists the process 0101 and every process below it; without the trailing "%" the
// code must match whole. A "%" or "_" anywhere else is an ordinary character.
Variant GetPesqProc(CallContext& ctx) {
    static const std::vector<FieldDef> fields = {
        StringField("CDPROCESSO", 10), StringField("CDARVPROCESS", 20),
        StringField("CDNVPROCESSO", 1), StringField("NMPROCESSO", 100)};
    std::string text = ctx.str(0);
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    const bool prefix = !text.empty() && text.back() == '%';
    if (prefix) text.pop_back();
    const std::string code = TreeCode(text);
    std::string sql =
        "SELECT CDPROCESSO, CDARVPROCESS, CDNVPROCESSO, NMPROCESSO FROM PROCESSO "
        "WHERE IDATIVO = 'S' AND ";
    if (!prefix) {
        return QueryPacket(ctx.db(), fields, sql + "CDARVPROCESS = ? ORDER BY CDARVPROCESS",
                           {code});
    }
    std::string pattern;
    for (char c : code) {
        if (c == '%' || c == '_' || c == '\\') pattern += '\\';
        pattern += c;
    }
    pattern += '%';
    return QueryPacket(ctx.db(), fields,
                       sql + "CDARVPROCESS LIKE ? ESCAPE '\\' ORDER BY CDARVPROCESS", {pattern});
}

// Widths of the levels of the work-item code picture ("99.99.99;0; " -> 2, 2, 2).
std::vector<size_t> WorkItemLevels(SqlConnection& db) {
    const SqlResult r =
        db.Exec("SELECT VLPARAMETRO FROM PARAMETRO WHERE NMPARAMETRO = 'MASCITTRAB'");
    std::vector<size_t> widths;
    if (r.rows.empty() || r.rows[0][0].IsNull()) return widths;
    const std::string mask = r.rows[0][0].AsString();
    size_t width = 0;
    for (char c : mask.substr(0, mask.find(';'))) {
        if (c == '.') {
            if (width) widths.push_back(width);
            width = 0;
        } else if (c != '!' && c != '>' && c != '<') {
            ++width;
        }
    }
    if (width) widths.push_back(width);
    return widths;
}

// The argument is the number of levels of the work-item code picture the client knows; an
// item whose tree code is deeper than that is not offered. "" offers every item.
Variant GetPesqItemTrab(CallContext& ctx) {
    static const std::vector<FieldDef> fields = {StringField("CDITEMTRAB", 10),
                                                 StringField("NMITEMTRAB", 100),
                                                 StringField("CDARVITTRAB", 20)};
    const std::string arg = TrimAll(ctx.str(0));
    size_t maxLevels = SIZE_MAX;
    if (!arg.empty()) {
        if (arg.size() > 3 || !std::all_of(arg.begin(), arg.end(),
                                           [](unsigned char c) { return std::isdigit(c) != 0; }))
            throw RpcError(code::kBadArguments,
                           "Número de níveis do item de trabalho inválido: " + arg + ".");
        maxLevels = std::stoul(arg);
    }
    SqlResult r = ctx.db().Exec(
        "SELECT CDITEMTRAB, NMITEMTRAB, CDARVITTRAB FROM ITEMTRAB ORDER BY CDARVITTRAB");
    if (maxLevels != SIZE_MAX) {
        const std::vector<size_t> widths = WorkItemLevels(ctx.db());
        size_t maxLength = 0;
        for (size_t i = 0; i < widths.size() && i < maxLevels; ++i)
            maxLength += widths[i];
        if (maxLevels < widths.size())
            std::erase_if(r.rows,
                          [&](const SqlRow& row) { return row[2].AsString().size() > maxLength; });
    }
    return PacketResult(BuildDataPacket(fields, r.rows));
}

}  // namespace

void RegisterLookupMethods(MethodRegistry& registry) {
    registry.add(Method("GetVdResp", {StrParam("CDOPERADOR", 12), StrParam("CDFILIAL", 4)},
                        GetVdResp, Access::Read, 1));
    registry.add(Method("GetResp", {StrParam("CDFILIAL", 4)}, GetResp, Access::Read, 0));
    registry.add(Method("GetAssunto", {StrParam("CDASSUNTO", 5)}, GetAssunto));
    registry.add(Method("GetProcesso", {StrParam("CDARVPROCESS", 30)}, GetProcesso));
    registry.add(Method("GetProjeto", {StrParam("CDFILIAL", 4), StrParam("CDPROJETO", 10)},
                        GetProjeto, Access::Read, 0));
    registry.add(Method("GetPesqProc", {StrParam("CDARVPROCESS", 31)}, GetPesqProc));
    registry.add(Method("GetPesqPart", {StrParam("CDFILIAL", 4)}, GetPesqPart, Access::Read, 0));
    registry.add(Method("GetPesqItemTrab", {StrParam("NIVEIS", 10)}, GetPesqItemTrab));
    registry.add(Method("GetPesqOper", {}, GetPesqOper));
}

}  // namespace zel::appserver
