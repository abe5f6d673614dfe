// Repaints of the piano roll into an offscreen image, as the window repaints
// its viewport: a 16-step phrase (target: well under 1 ms) and a 10,000-note
// song while scrolling and zooming (target: at most 8 ms median).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <array>
#include <cmath>
#include <string>

#include "compiler/mml_compiler.h"
#include "roll/roll_layout.h"
#include "roll/roll_model.h"
#include "ui/roll_painter.h"

namespace {

vlm::roll::RollModel CompileRoll(const std::string& text) {
  vlm::CompileOptions options;
  options.Seed = 1;
  options.SourceMap = true;
  const vlm::CompileResult result = vlm::CompileMmlText(text, options);
  return vlm::roll::RollModel::FromMidi(result.MidiBytes, &*result.Map);
}

// A phrase as the generator writes it, in the assembly's four-times loop.
void BM_RepaintPhrase(benchmark::State& state) {
  const std::string pattern = "l16o5q16cq4do4q16e32f32ACB(0,64,,0,,0)go5a0b^ro4cdefg^ab^o5c";
  vlm::roll::RollModel model = CompileRoll("t120\n@0v100\n\nBR=2\n[4 " + pattern + "]\n");
  model.MarkSteps("NmdBW^rNNNNN^NN^N", 16, pattern, [](const vlm::SourceOrigin& at) { return at.Column - 4; });
  model.ScaleWeights = std::array<std::int32_t, 12>{100, 0, 80, 0, 90, 60, 0, 100, 0, 70, 0, 40};
  QImage image(900, 380, QImage::Format_RGB32);
  vlm::roll::RollLayout layout = vlm::roll::FitPitches(model, 10, 48);
  for (auto _ : state) {
    QPainter painter(&image);
    vlm::ui::PaintRoll(painter, model, layout, image.rect());
  }
  state.counters["notes"] = static_cast<double>(model.Notes().size());
}
BENCHMARK(BM_RepaintPhrase)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Eight tracks of 1,250 notes: each repaint scrolls on by a fifth of the
// view and every eighth one changes the zoom, as a user does.
void BM_RepaintSongScrollingAndZooming(benchmark::State& state) {
  std::string song;
  for (int track = 0; track < 8; ++track) {
    song += "_tr(" + std::to_string(track) + ") CH=" + std::to_string(track + 1) + " o" + std::to_string(2 + track % 5) +
            " l16 [125 c d e f+ g a b > c < b- a+ ]\n";
  }
  const vlm::roll::RollModel model = CompileRoll(song);
  QImage image(1200, 600, QImage::Format_RGB32);
  vlm::roll::RollLayout layout = vlm::roll::FitPitches(model, 600.0 / 80, 48);
  const double zooms[] = {48, 12, 96, 24};
  long repaint = 0;
  for (auto _ : state) {
    if (repaint % 8 == 0) layout.PixelsPerTick = zooms[(repaint / 8) % 4] / model.Timebase();
    const double width = model.EndTick() * layout.PixelsPerTick;
    layout.ScrollX = std::fmod(repaint * 240.0, std::max(1.0, width - 1200));
    QPainter painter(&image);
    vlm::ui::PaintRoll(painter, model, layout, image.rect());
    ++repaint;
  }
  state.counters["notes"] = static_cast<double>(model.Notes().size());
}
BENCHMARK(BM_RepaintSongScrollingAndZooming)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  // Fonts need a GUI application; the offscreen platform needs no display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
