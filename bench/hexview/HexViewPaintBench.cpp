#include "hexview/qt/HexView.h"

#include <QApplication>
#include <QImage>
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

// A shown view holding size bytes, scrolled to the middle of the buffer.
class ScrolledView {
public:
    explicit ScrolledView(std::size_t size) {
        std::vector<std::uint8_t> bytes(size);
        for (std::size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<std::uint8_t>(i * 31 + (i >> 8));
        }
        view_.resize(800, 600);
        view_.setCapacity(size);
        view_.setData(bytes.data(), bytes.size());
        view_.show();
        QApplication::processEvents();
        QScrollBar* bar = view_.verticalScrollBar();
        bar->setValue(bar->maximum() / 2);
    }

    halden::HexView& view() { return view_; }

    void paint(benchmark::State& state) {
        QImage image(view_.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
        for (auto _ : state) {
            view_.viewport()->render(&image);
            benchmark::DoNotOptimize(image.bits());
        }
        state.counters["bufferRows"] =
            static_cast<double>(view_.hexLayout().rowCount(view_.length()));
    }

private:
    halden::HexView view_;
};

void paintScrolledToMiddle(benchmark::State& state) {
    ScrolledView view(static_cast<std::size_t>(state.range(0)));
    view.paint(state);
}

// The selection covers the whole buffer, so every shown byte is painted selected.
void paintAllSelected(benchmark::State& state) {
    ScrolledView view(static_cast<std::size_t>(state.range(0)));
    view.view().selectAll();
    view.view().verticalScrollBar()->setValue(view.view().verticalScrollBar()->maximum() / 2);
    view.paint(state);
}

BENCHMARK(paintScrolledToMiddle)
    ->Arg(1 << 10)
    ->Arg(256 << 10)
    ->Arg(4 << 20)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(paintAllSelected)
    ->Arg(1 << 10)
    ->Arg(256 << 10)
    ->Arg(4 << 20)
    ->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
