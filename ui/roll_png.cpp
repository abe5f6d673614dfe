#include "ui/roll_png.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "roll/roll_layout.h"
#include "roll/roll_model.h"
#include "ui/roll_painter.h"

namespace {

constexpr double RowHeight = 10;           // pixels a semitone
constexpr double PixelsPerQuarter = 48;    // as the window starts
constexpr int MinWidth = 320;
constexpr int MaxWidth = 16384;            // a long song is drawn narrower rather than wider

void CopyError(const std::string& text, char* error, std::size_t errorSize) {
  if (!error || errorSize == 0) return;
  const std::size_t length = std::min(text.size(), errorSize - 1);
  std::memcpy(error, text.data(), length);
  error[length] = '\0';
}

// A GUI application on the offscreen platform, made once for the process
// when the caller has none; the command line's -platform wins over
// QT_QPA_PLATFORM, so a set variable cannot send it to a display. It is
// never destroyed: tearing Qt down among the exit handlers of a library
// opened at run time is not safe, and the process ends soon after.
void EnsureApplication() {
  if (QGuiApplication::instance()) return;
  // Qt's notes (a missing XDG_RUNTIME_DIR and the like) would litter the
  // programs' output; failures reach the caller through the return value.
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  static int argc = 3;
  static char name[] = "vorlumi3";
  static char option[] = "-platform";
  static char platform[] = "offscreen";
  static char* argv[] = {name, option, platform, nullptr};
  static QGuiApplication* application = new QGuiApplication(argc, argv);
  static_cast<void>(application);
}

// The model of the file, with the phrase's steps marked as the main window
// marks them: the notes are linked to their place in the pattern through a
// map of the file's note-ons, whose origins stand for pattern offsets.
vlm::roll::RollModel MarkedModel(std::string_view midi, const VlmPhraseSteps* steps) {
  if (!steps) return vlm::roll::RollModel::FromMidi(midi);
  vlm::SourceMap map;
  for (std::size_t k = 0; k < steps->noteCount; ++k) {
    const VlmPatternNote& n = steps->notes[k];
    vlm::MappedNote note;
    note.Tick = n.tick;
    note.Line = n.patternOffset >= 0 ? 1 : 0;
    note.Column = n.patternOffset >= 0 ? n.patternOffset + 1 : 0;
    note.Track = static_cast<std::uint8_t>(n.track);
    note.Note = static_cast<std::uint8_t>(n.note);
    map.Notes.push_back(note);
  }
  vlm::roll::RollModel model = vlm::roll::RollModel::FromMidi(midi, &map);
  model.MarkSteps(steps->rhythm ? steps->rhythm : "", steps->steps, steps->pattern ? steps->pattern : "",
                  [](const vlm::SourceOrigin& at) { return at.Line == 1 ? at.Column - 1 : -1; });
  return model;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int vlm_roll_png(const char* midiBytes, std::size_t midiSize,
                                                                     const int* weights, const VlmPhraseSteps* steps,
                                                                     VlmPngSink sink, void* context, char* error,
                                                                     std::size_t errorSize) {
  try {
    vlm::roll::RollModel model = MarkedModel(std::string_view(midiBytes, midiSize), steps);
    if (weights) {
      std::array<std::int32_t, 12> shading{};
      std::copy(weights, weights + 12, shading.begin());
      model.ScaleWeights = shading;
    }
    vlm::roll::RollLayout layout = vlm::roll::FitPitches(model, RowHeight, PixelsPerQuarter);
    const double ticks = static_cast<double>(model.EndTick() + model.Timebase());  // a beat to spare at the end
    if (layout.GutterWidth + ticks * layout.PixelsPerTick > MaxWidth)
      layout.PixelsPerTick = (MaxWidth - layout.GutterWidth) / ticks;
    const int width = std::clamp(static_cast<int>(std::ceil(layout.GutterWidth + ticks * layout.PixelsPerTick)), MinWidth, MaxWidth);
    const int height = static_cast<int>(vlm::roll::RowCount(model, layout) * RowHeight);
    EnsureApplication();
    QImage image(width, height, QImage::Format_RGB32);
    {
      QPainter painter(&image);
      vlm::ui::PaintRoll(painter, model, layout, image.rect());
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
      CopyError("the picture could not be encoded as PNG", error, errorSize);
      return 1;
    }
    sink(context, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return 0;
  } catch (const std::exception& e) {
    CopyError(e.what(), error, errorSize);
    return 1;
  }
}
