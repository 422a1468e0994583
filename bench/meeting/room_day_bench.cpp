// The rooms' day painted offscreen into an image: 200 rooms with four bookings each, the whole
// grid and the part a window shows, against the same view with no rows (the floor: the bare
// widget's paint at the same size).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "meeting/room_day_view.h"

namespace {

void Fill(TRoomDayView& view, int rooms) {
    std::vector<QString> labels;
    std::vector<RoomDayBooking> bookings;
    for (int r = 0; r < rooms; ++r) {
        labels.push_back(QString::asprintf("%05d - Sala de reuniões %d", r + 1, r + 1));
        for (int b = 0; b < 4; ++b) {
            const int start = 7 * 60 + b * 150 + (r % 5) * 15;
            bookings.push_back({r, start, start + 90, std::to_string(r * 4 + b),
                                "Reunião de acompanhamento " + std::to_string(r * 4 + b)});
        }
    }
    view.SetRows(std::move(labels));
    view.SetBookings(std::move(bookings));
    view.SetOutline(RoomDayOutline{rooms / 2, 14 * 60, 15 * 60 + 30});
}

void Paint(benchmark::State& state, int rooms, QSize size) {
    TRoomDayView view;
    Fill(view, rooms);
    view.resize(size);
    view.show();
    QApplication::processEvents();
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        view.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["rooms"] = rooms;
}

// Floor: the view without rows, painted at the size of the whole 200-room grid.
void BM_RoomDay_NoRows(benchmark::State& state) {
    TRoomDayView sized;
    Fill(sized, 200);
    Paint(state, 0, sized.ContentSize());
}
BENCHMARK(BM_RoomDay_NoRows)->Unit(benchmark::kMillisecond);

void BM_RoomDay_200Rooms_Whole(benchmark::State& state) {
    TRoomDayView sized;
    Fill(sized, 200);
    Paint(state, 200, sized.ContentSize());
}
BENCHMARK(BM_RoomDay_200Rooms_Whole)->Unit(benchmark::kMillisecond);

// The part the window shows at its opening size.
void BM_RoomDay_200Rooms_Window(benchmark::State& state) {
    Paint(state, 200, QSize(880, 470));
}
BENCHMARK(BM_RoomDay_200Rooms_Window)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
