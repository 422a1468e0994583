#include "appserver/methods_notices.h"

#include "appserver/method_support.h"
#include "appserver/methods.h"
#include "appserver/rpc_error.h"

namespace zel::appserver {

namespace {

// Marks one of the session operator's notices read, stamped with the server clock (a blank
// operator code means the session's operator; any other operator's notice is refused, as
// reading it is). Returns 1 when the notice became read, 0 when it was read already: the
// first reading time is kept.
Variant SetAvisoLido(CallContext& ctx) {
    std::string op = ctx.str(0);
    if (IsBlank(op)) op = ctx.session().operatorCode;
    if (op != ctx.session().operatorCode)
        throw RpcError(code::kForbidden, "Cada operador marca somente os próprios avisos.");
    const long long nr = PositiveWholeNumber(ctx.num(1), "Número de aviso inválido.");
    const SqlResult found = ctx.db().Exec(
        "SELECT DTHRLEITURA FROM ATIVPESSOAL WHERE CDOPERADOR = ? AND "
        "NRATIVPESSOAL = ?",
        {op, nr});
    if (found.rows.empty())
        throw RpcError(code::kNotFound, "Aviso " + std::to_string(nr) + " não encontrado.");
    if (!found.rows[0][0].IsNull()) return Variant(0);
    ctx.db().Exec(
        "UPDATE ATIVPESSOAL SET DTHRLEITURA = ? WHERE CDOPERADOR = ? AND NRATIVPESSOAL = ? "
        "AND DTHRLEITURA IS NULL",
        {Variant::FromDateTime(WriterOf(ctx).now), op, nr});
    return Variant(1);
}

// Withdraws a notice left by a cancellation that then did not go through, so its receiver is
// not told of a cancellation that did not happen. Only an unread notice carrying exactly the
// text it was left with is withdrawn: a read one is history, and the text keeps the call from
// removing an unrelated notice. Only the operator who left a notice may withdraw it,
// so nobody can make another's notices disappear. Returns how many were removed (0 or 1).
Variant GetDelAtivPessoal(CallContext& ctx) {
    const long long nr = PositiveWholeNumber(ctx.num(1), "Número de aviso inválido.");
    return Variant(static_cast<long long>(
        ctx.db()
            .Exec("DELETE FROM ATIVPESSOAL WHERE CDOPERADOR = ? AND NRATIVPESSOAL = ? AND "
                  "DSATIVPESSOAL = ? AND DTHRLEITURA IS NULL AND CDOPERINCL = ?",
                  {ctx.str(0), nr, ctx.str(2), WriterOf(ctx).op})
            .affected));
}

}  // namespace

void RegisterNoticeMethods(MethodRegistry& registry) {
    registry.add(Method(
        "GetDelAtivPessoal",
        {StrParam("CDOPERADOR", 12), NumParam("NRATIVPESSOAL"), StrParam("DSATIVPESSOAL", 1000)},
        GetDelAtivPessoal, Access::Write, -1));
    registry.add(Method("SetAvisoLido", {StrParam("CDOPERADOR", 12), NumParam("NRATIVPESSOAL")},
                        SetAvisoLido, Access::Write, -1));
}

}  // namespace zel::appserver
