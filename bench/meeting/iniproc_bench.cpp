// The module's entry, IniProc, from nothing to the meeting window with its list painted, with
// 1,000 and 10,000 meetings on the server (in process, SQLite file). The floor is the list's
// own GetControle call answered by the same server in the same run: what is left is the
// window's creation, loading the packet into its datasets and painting.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <memory>

#include "base/db_grid.h"
#include "base/login_context.h"
#include "base/scripted_dialogs.h"
#include "bench/appserver/bench_data.h"
#include "meeting/cli_zel00400.h"
#include "meeting/frm_reuniao.h"
#include "server/in_process_transport.h"
#include "server/server_connection.h"

extern "C" void IniProc();

namespace {

using zel::appserver::bench::BenchServer;

// One server per size, kept for the whole run; the window's connections go to it.
BenchServer& ServerWith(int meetings) {
    static std::unique_ptr<BenchServer> servers[2];
    std::unique_ptr<BenchServer>& s = servers[meetings > 1000 ? 1 : 0];
    if (!s) s = zel::appserver::bench::MakeBenchServer(meetings);
    return *s;
}

std::shared_ptr<InProcessTransport> TransportTo(BenchServer& b) {
    return std::make_shared<InProcessTransport>(
        [&b](std::string_view body, std::string_view token) {
            return b.server->HandleRpc(body, token);
        });
}

void LogIn(const std::shared_ptr<InProcessTransport>& transport) {
    TServerConnection net;
    net.SetTransport(transport);
    const Variant result =
        net.AppServer().Call("Login", {Arg("000000000001"), Arg("demo"), Arg("0001")});
    SetLoginContext(LoginContextFromPacket(result, "127.0.0.1", 8400));
}

void CloseMeetingWindow() {
    if (TfrmReuniao* w = Cli_zel00400::frmReuniao) w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void BM_IniProc_ListPainted(benchmark::State& state) {
    BenchServer& b = ServerWith(static_cast<int>(state.range(0)));
    const auto transport = TransportTo(b);
    LogIn(transport);
    TfrmReuniao::SetConnectionSetup([&](TServerConnection& c) { c.SetTransport(transport); });
    int rows = 0;
    for (auto _ : state) {
        IniProc();
        TfrmReuniao* w = Cli_zel00400::frmReuniao;
        if (!w) {
            state.SkipWithError("no meeting window");
            break;
        }
        const QImage list = w->dbgTarefas->grab().toImage();
        benchmark::DoNotOptimize(list.constBits());
        rows = w->cdsControle.RecordCount();
        state.PauseTiming();
        CloseMeetingWindow();
        state.ResumeTiming();
    }
    TfrmReuniao::SetConnectionSetup(nullptr);
    ClearLoginContext();
    state.counters["listed"] = rows;
}
BENCHMARK(BM_IniProc_ListPainted)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Floor: the server answering GetControle for every meeting of the branch.
void BM_GetControle_Floor(benchmark::State& state) {
    BenchServer& b = ServerWith(static_cast<int>(state.range(0)));
    const std::string body = zel::appserver::bench::GetControleRequest();
    for (auto _ : state)
        benchmark::DoNotOptimize(b.server->HandleRpc(body, b.token));
}
BENCHMARK(BM_GetControle_Floor)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ScriptedDialogs::Install();
    Cli_zel00400::Initialization();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Cli_zel00400::Finalization();
    return 0;
}
