// vlmc: compiles an MML source file into a Standard MIDI File, and on request
// renders that file to a WAV file.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iomanip>
#include <iostream>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "audio/renderer.h"
#include "cli/gnu_diagnostics.h"
#include "cli/roll_picture.h"
#include "cli/interrupt.h"
#include "cli/lsp_server.h"
#include "cli/source_map_json.h"
#include "cli/source_watch.h"
#include "cli/terminal_playback.h"
#include "common/atomic_file_writer.h"
#include "common/command_line.h"
#include "common/same_file.h"
#include "common/text_file.h"
#include "compiler/mml_compiler.h"

namespace {

constexpr const char* kHelp =
    "usage: vlmc [OPTION]... SOURCE\n"
    "       vlmc SOURCE [-o OUT.mid] [--dump-source FILE] [--wav OUT.wav] [--seed N] [-q]\n"
    "            [--source-map FILE] [--diagnostics=gnu] [--png OUT.png] [--play [--loop] [--midi-out PORT [--midi-clock]]]\n"
    "            [--watch]\n"
    "       vlmc --list-midi-outputs\n"
    "       vlmc --lsp\n"
    "\n"
    "Compiles the MML source SOURCE into a Standard MIDI File.\n"
    "\n"
    "  -o, --output=OUT.mid   where to write the MIDI file, - for standard output\n"
    "                         (default: SOURCE with its extension replaced by .mid)\n"
    "  --dump-source=FILE     write the source lines as the compile left them\n"
    "                         (macro expansions included), one per line\n"
    "  --source-map=FILE      write, one JSON object a line, every note-on of the file\n"
    "                         in file order with the place in the text that made it:\n"
    "                         track, tick, note, file, line and column (from 1, in\n"
    "                         characters)\n"
    "  --wav=OUT.wav          also render the MIDI file to a WAV file (FLAC or Ogg\n"
    "                         Vorbis for a name ending in .flac, .ogg or .oga)\n"
    "  --png=OUT.png          also draw the MIDI file's piano roll to a PNG picture\n"
    "                         (no display needed)\n"
    "  --play                 play the MIDI file and wait for its end, showing elapsed\n"
    "                         and total seconds on a terminal (Ctrl+C stops the sound)\n"
    "  --loop                 with --play: play the MIDI file over and over, each pass\n"
    "                         starting as the one before ends, until Ctrl+C\n"
    "  --midi-out=PORT        with --play: send to the MIDI destination PORT (its name\n"
    "                         or a part of it) instead of the synthesizer; \"virtual\"\n"
    "                         opens a port named Vorlumi3 that other programs record from\n"
    "  --midi-clock           with --play --midi-out: also send MIDI beat clock (Start,\n"
    "                         24 clocks a quarter note in the file's tempo, Stop), so\n"
    "                         that gear set to external sync follows; with --loop\n"
    "                         each pass starts it again\n"
    "  --watch                compile again each time SOURCE (or a file it includes)\n"
    "                         is saved, and with --play play the new file at once\n"
    "                         (with --loop from the next pass, if it compiles\n"
    "                         cleanly), until Ctrl+C\n"
    "  --list-midi-outputs    list the MIDI destinations, one a line, and end\n"
    "  --lsp                  serve the Language Server Protocol on standard input\n"
    "                         and output, so that an editor shows the errors of\n"
    "                         the vlm text it edits as it is typed\n"
    "  --seed=N               seed the random generator with N (0..4294967295)\n"
    "                         instead of the clock: the same seed gives the same file\n"
    "  --diagnostics=gnu      print error lines as FILE:LINE:COLUMN: error: TEXT (DETAIL),\n"
    "                         with the place in the text written (lines and columns\n"
    "                         from 1, columns in characters), as editors read them\n"
    "  -q, --quiet            print error lines and failures only\n"
    "  -h, --help             show this text\n"
    "  --version              show the version\n"
    "  --                     end of options: a SOURCE may then begin with -\n"
    "\n"
    "SOURCE is 8-bit text with LF or CR LF line ends, a regular file or - for\n"
    "standard input (then -o is needed), of at most 256 MiB. A source that is not\n"
    "valid UTF-8 is read as Windows Shift-JIS (code page 932). No output may be\n"
    "the same file as the source or as another output.\n"
    "\n"
    "Standard output carries the compiler's messages and nothing else, one per\n"
    "line: \"Compile Start\", error lines beginning with \"err(\", and \"ok\" once\n"
    "the file is written; with -o - it carries the MIDI file, and the messages go\n"
    "to standard error. An error line reads\n"
    "  err(LINE)\"DETAIL\":TEXT\"> _tr<TRACK> ptr=TICKS<BAR>小節目\n"
    "where LINE is the 0-based line of the compiled source (see --dump-source).\n"
    "\n"
    "Exit status: 0 no error line, 1 at least one error line (the file is still\n"
    "written), 2 usage error, unreadable source, unwritable output, or a compile\n"
    "ended by a failure or by a lack of memory, or a MIDI destination missing or\n"
    "named ambiguously; 3 no audio or MIDI output for --play (nothing compiled);\n"
    "130 playing or --watch stopped by Ctrl+C.\n";

int UsageError(const std::string& text) {
  std::cerr << "vlmc: " << text << "\n" << kHelp;
  return 2;
}

// ORDER VLMC_OPTIONS: the table and the enum name the options alike.
enum VlmcOption {
  kOutput, kDumpSource, kWav, kPng, kSourceMap, kSeed, kDiagnostics, kQuiet, kHelpOption, kVersion,
  kPlay, kMidiOut, kListMidiOutputs, kWatch, kLoop, kLsp, kMidiClock
};
constexpr vlm::CommandOption kOptions[] = {
    {"output", 'o', vlm::CommandOption::Value::Required},
    {"dump-source", 0, vlm::CommandOption::Value::Required},
    {"wav", 0, vlm::CommandOption::Value::Required},
    {"png", 0, vlm::CommandOption::Value::Required},
    {"source-map", 0, vlm::CommandOption::Value::Required},
    {"seed", 0, vlm::CommandOption::Value::Required},
    {"diagnostics", 0, vlm::CommandOption::Value::Required},
    {"quiet", 'q', vlm::CommandOption::Value::None},
    {"help", 'h', vlm::CommandOption::Value::None},
    {"version", 0, vlm::CommandOption::Value::None},
    {"play", 0, vlm::CommandOption::Value::None},
    {"midi-out", 0, vlm::CommandOption::Value::Required},
    {"list-midi-outputs", 0, vlm::CommandOption::Value::None},
    {"watch", 0, vlm::CommandOption::Value::None},
    {"loop", 0, vlm::CommandOption::Value::None},
    {"lsp", 0, vlm::CommandOption::Value::None},
    {"midi-clock", 0, vlm::CommandOption::Value::None},
};

struct Arguments {
  std::string source, output, dump, wav, png, sourceMap;  // empty: not given
  std::optional<std::uint32_t> seed;      // without one, the clock seeds the compile
  bool quiet = false;                     // only error lines and failures are printed
  bool gnuDiagnostics = false;            // error lines as FILE:LINE:COLUMN: error: TEXT (DETAIL)
  bool play = false;                      // play the MIDI file and wait for its end
  std::string midiOut;                    // --play sends to this MIDI destination; empty: the synthesizer
  bool listMidiOutputs = false;           // list the MIDI destinations and end
  bool watch = false;                     // compile again at every save until Ctrl+C
  bool loop = false;                      // --play plays over and over until Ctrl+C
  bool midiClock = false;                 // --midi-out also carries MIDI beat clock
  bool lsp = false;                       // serve the language server protocol
  int optionCount = 0;                    // options given, --lsp included
};

// Fills arguments; an exit status when the program should end at once.
std::optional<int> ParseArguments(int argc, char** argv, Arguments& arguments) {
  using Kind = vlm::CommandItem::Kind;
  for (const vlm::CommandItem& item : vlm::ParseCommandLine(argc, argv, kOptions)) {
    switch (item.kind) {
      case Kind::Unknown:
        return UsageError("unknown option " + item.text);
      case Kind::MissingValue:
        return UsageError(item.text + " needs a value");
      case Kind::UnwantedValue:
        return UsageError(item.text + " takes no value");
      case Kind::Operand:  // SOURCE
        if (!arguments.source.empty()) return UsageError("only one SOURCE, please");
        if (item.text.empty()) return UsageError("SOURCE needs a file name");
        arguments.source = item.text;
        break;
      case Kind::Option:
        ++arguments.optionCount;
        switch (static_cast<VlmcOption>(item.option)) {
          case kHelpOption:
            std::cout << kHelp;
            return 0;
          case kVersion:
            std::cout << vlm::VersionText("vlmc");
            return 0;
          case kQuiet:
            arguments.quiet = true;
            break;
          case kPlay:
            arguments.play = true;
            break;
          case kListMidiOutputs:
            arguments.listMidiOutputs = true;
            break;
          case kLoop:
            arguments.loop = true;
            break;
          case kWatch:
            arguments.watch = true;
            break;
          case kLsp:
            arguments.lsp = true;
            break;
          case kMidiClock:
            arguments.midiClock = true;
            break;
          case kMidiOut:
            if (item.value->empty()) return UsageError("--midi-out needs a MIDI destination");
            arguments.midiOut = *item.value;
            break;
          case kDiagnostics:
            if (*item.value != "gnu" && *item.value != "default")
              return UsageError("--diagnostics wants gnu or default");
            arguments.gnuDiagnostics = *item.value == "gnu";
            break;
          case kSeed: {
            unsigned long long value = 0;
            if (!vlm::ParseDecimal(*item.value, 0, 0xFFFFFFFFULL, value))
              return UsageError("--seed wants a number from 0 to 4294967295");
            arguments.seed = static_cast<std::uint32_t>(value);
            break;
          }
          case kOutput:
          case kDumpSource:
          case kWav:
          case kPng:
          case kSourceMap: {
            if (item.value->empty()) return UsageError(item.text + " needs a file name");
            std::string& target = item.option == kOutput       ? arguments.output
                                  : item.option == kDumpSource ? arguments.dump
                                  : item.option == kWav        ? arguments.wav
                                  : item.option == kPng        ? arguments.png
                                                               : arguments.sourceMap;
            target = *item.value;
            break;
          }
        }
        break;
    }
  }
  return std::nullopt;
}

std::string DefaultOutput(const std::string& source) {
  const auto slash = source.find_last_of('/');
  const auto dot = source.find_last_of('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash) && dot != slash + 1)
    return source.substr(0, dot) + ".mid";
  return source + ".mid";
}

// Writes all of bytes to standard output; the reason on failure.
std::optional<std::string> WriteStandardOutput(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return std::string("standard output: ") + std::strerror(errno);
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return std::nullopt;
}

// One compile of the source with every output asked for: the exit status
// (0, 1 or 2). `read`, when given, receives the files the compile read (the
// source, then each file it included).
int CompileAndWrite(const Arguments& arguments, const std::string& output, bool toStandardOutput,
                    std::vector<std::string>* read) {
  const std::string& source = arguments.source;
  const std::string& dump = arguments.dump;
  const std::string& wav = arguments.wav;
  const std::string& sourceMap = arguments.sourceMap;
  if (read) read->assign(1, source);
  std::string why;
  auto lines = vlm::ReadSourceLines(source, &why);
  if (!lines) {
    std::cerr << "vlmc: cannot read " << why << "\n";
    return 2;
  }

  vlm::CompileOptions options;
  options.Seed = arguments.seed;
  if (!toStandardOutput) options.OutputFile = output;  // else the bytes come back in the result
  // The GNU form names the place in the user's text, which the map knows;
  // a watch learns from it which files the source includes.
  options.SourceMap = !sourceMap.empty() || arguments.gnuDiagnostics || read;
  const vlm::CompileResult result = vlm::CompileMml(std::move(*lines), options);
  if (read && result.Map)
    read->insert(read->end(), result.Map->Files.begin() + std::min<std::size_t>(1, result.Map->Files.size()),
                 result.Map->Files.end());
  // With the MIDI file on standard output, the messages go to standard error.
  std::ostream& messages = toStandardOutput ? std::cerr : std::cout;
  std::size_t errorIndex = 0;
  for (const auto& message : result.Messages) {
    const bool isError = message.rfind("err(", 0) == 0;
    if (arguments.quiet && !isError) continue;
    if (isError && arguments.gnuDiagnostics && errorIndex < result.Map->Errors.size())
      messages << vlm::GnuDiagnostic(message, result.Map->Errors[errorIndex++], *result.Map,
                                     source == "-" ? "<stdin>" : source)
               << "\n";
    else
      messages << message << "\n";
  }
  messages.flush();
  if (result.Failed()) {
    std::cerr << "原因不明のエラーが発生しました。\n" << "vlmc: " << source << ": " << *result.Failure << "\n";
    return 2;
  }
  if (toStandardOutput) {
    if (const auto failure = WriteStandardOutput(result.MidiBytes)) {
      std::cerr << "vlmc: cannot write " << *failure << "\n";
      return 2;
    }
  }
  if (!dump.empty()) {
    std::string text;
    for (const auto& line : result.Lines) text += line + "\n";
    if (const auto failure = vlm::WriteFileAtomically(dump, text)) {
      std::cerr << "vlmc: cannot write " << *failure << "\n";
      return 2;
    }
  }
  if (!sourceMap.empty()) {
    vlm::AtomicFileWriter writer(sourceMap);
    writer.Reserve(vlm::SourceMapJsonLinesBound(*result.Map, source));
    vlm::WriteSourceMapJsonLines(*result.Map, source, [&](std::string_view piece) { writer.Write(piece); });
    if (const auto failure = writer.Commit()) {
      std::cerr << "vlmc: cannot write " << *failure << "\n";
      return 2;
    }
  }
  if (!wav.empty()) {
    try {
      const std::vector<std::uint8_t> bytes(result.MidiBytes.begin(), result.MidiBytes.end());
      const vlm::RenderResult rendered = toStandardOutput ? vlm::RenderSequence(vlm::ParseMidiFile(bytes), wav)
                                                          : vlm::RenderMidiFile(output, wav);
      if (!arguments.quiet)
        std::cerr << "vlmc: wrote " << wav << " (" << std::fixed << std::setprecision(1) << rendered.seconds
                  << " s)\n";
    } catch (const vlm::MediaError& e) {
      std::cerr << "vlmc: " << e.what() << "\n";
      return 2;
    }
  }
  if (!arguments.png.empty()) {
    const auto bytes = toStandardOutput ? std::optional<std::string>(result.MidiBytes) : vlm::ReadFileBytes(output);
    if (const auto failure = bytes ? vlm::WriteRollPicture(*bytes, arguments.png) : "cannot read " + output) {
      std::cerr << "vlmc: " << *failure << "\n";
      return 2;
    }
  }
  return result.HasErrors() ? 1 : 0;
}

// Plays the MIDI file from its start; false, with the reason printed, when
// the player cannot open it.
bool StartPlaying(vlm::MidiFilePlayer& player, const std::string& output) {
  try {
    player.SetFileName(output);
    player.Open();
    player.Play();
    return true;
  } catch (const vlm::MediaError& e) {
    std::cerr << "vlmc: " << e.what() << "\n";
    return false;
  }
}

// With a loop playing, a clean compile sounds from the next pass, in time;
// one with errors leaves the loop as it was. Otherwise the new file plays
// from its start, cutting the last one off.
void PlayAfterSave(vlm::MidiFilePlayer& player, const std::string& output, int status, bool quiet) {
  if (player.Looping() && player.GetMode() == vlm::MediaPlayer::Mode::Playing) {
    if (status == 0 && player.QueueNextPass(output)) {
      if (!quiet) std::cerr << "vlmc: the change sounds from the next pass\n";
      return;
    }
    if (status == 1) {
      std::cerr << "vlmc: the change has errors; the loop plays on as it was\n";
      return;
    }
  }
  StartPlaying(player, output);
}

// --watch: compiles at once and again after every save until Ctrl+C, playing
// each new file when asked to (PlayAfterSave).
int WatchSource(const Arguments& arguments, const std::string& output, vlm::MidiFilePlayer* player) {
  vlmcli::SourceWatch watch;
  if (watch.Failure()) {
    std::cerr << "vlmc: " << *watch.Failure() << "\n";
    return 2;
  }
  const vlmcli::InterruptGuard guard;
  // The source is watched before the first compile: a save made while that
  // compile runs would otherwise come before any watch and be lost. The
  // files it includes join once the compile has named them.
  if (const auto failure = watch.Watch({arguments.source})) std::cerr << "vlmc: cannot watch " << *failure << "\n";
  for (;;) {
    std::vector<std::string> read;
    const int status = CompileAndWrite(arguments, output, false, &read);
    if (const auto failure = watch.Watch(read)) std::cerr << "vlmc: cannot watch " << *failure << "\n";
    if (player && status != 2) PlayAfterSave(*player, output, status, arguments.quiet);
    while (!watch.Changed(100))
      if (vlmcli::Interrupted()) {
        if (player) {
          vlmcli::StopAndLetGo(*player);
          player->Close();
        }
        return 130;
      }
    // An editor may save in several steps: the compile waits until they end.
    while (watch.Changed(50)) {
    }
    if (!arguments.quiet) std::cerr << "vlmc: " << arguments.source << " changed; compiling again\n";
  }
}

}  // namespace

int Run(int argc, char** argv) {
  Arguments arguments;
  if (const auto status = ParseArguments(argc, argv, arguments)) return *status;
  std::string& source = arguments.source;
  std::string& output = arguments.output;
  const std::string& dump = arguments.dump;
  const std::string& wav = arguments.wav;
  const std::string& sourceMap = arguments.sourceMap;
  if (arguments.lsp) {
    if (arguments.optionCount > 1 || !source.empty()) return UsageError("--lsp takes no SOURCE and no other option");
    return vlmcli::RunLspServer(STDIN_FILENO, STDOUT_FILENO);
  }
  if (arguments.listMidiOutputs) return vlmcli::ListMidiOutputs("vlmc");
  if (source.empty()) return UsageError("no SOURCE given");
  if (!arguments.midiOut.empty() && !arguments.play) return UsageError("--midi-out goes with --play");
  if (arguments.loop && !arguments.play) return UsageError("--loop goes with --play");
  if (arguments.midiClock && (!arguments.play || arguments.midiOut.empty()))
    return UsageError("--midi-clock goes with --play --midi-out PORT");
  if (source == "-" && output.empty()) return UsageError("standard input as SOURCE needs -o");
  const bool outputGiven = !output.empty();
  const bool toStandardOutput = output == "-";
  if (!outputGiven) output = DefaultOutput(source);
  // Checked before anything is read or written: an output must not replace
  // the source or another output.
  if (const auto conflict = vlm::SameFileConflict({{"SOURCE", source == "-" ? "" : source},
                                                   {outputGiven ? "-o" : "the MIDI file",
                                                    toStandardOutput ? "" : output},
                                                   {"--dump-source", dump},
                                                   {"--wav", wav},
                                                   {"--png", arguments.png},
                                                   {"--source-map", sourceMap}})) {
    std::cerr << "vlmc: " << *conflict << "; nothing was written\n";
    return 2;
  }

  if (arguments.play && toStandardOutput) return UsageError("--play needs a MIDI file, not -o -");
  if (arguments.watch && (source == "-" || toStandardOutput))
    return UsageError("--watch needs a SOURCE file and a MIDI file, not -");
  // The output is opened first, so that a machine without one learns it
  // before anything is written.
  std::unique_ptr<vlm::MidiFilePlayer> player;
  if (arguments.play) {
    int status = 0;
    player = vlmcli::OpenTerminalPlayer("vlmc", arguments.midiOut, arguments.quiet, status);
    if (!player) return status;
    player->SetLooping(arguments.loop);
    player->SetMidiClock(arguments.midiClock);
  }

  if (arguments.watch) return WatchSource(arguments, output, player.get());
  const int status = CompileAndWrite(arguments, output, toStandardOutput, nullptr);
  if (status == 2 || !player) return status;
  if (!StartPlaying(*player, output)) return 2;
  if (!vlmcli::WaitWhilePlaying(*player, arguments.quiet ? nullptr : stderr)) return 130;
  return status;
}

// Memory running out anywhere in a run ends it with a message, not an abort.
int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
    std::cout.flush();
    std::cerr << "vlmc: out of memory: the source needs more than this machine (or its limits) can give\n";
    return 2;
  }
}
