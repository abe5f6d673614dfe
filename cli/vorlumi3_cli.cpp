// vorlumi3-cli: the phrase generator without windows. Starts like the main
// window, optionally loads a settings file, then makes a rhythm and a pattern,
// assembles and compiles them into a MIDI file (or compiles the song list),
// and on request plays it or renders it to a WAV file.
#include <array>
#include <cstdio>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <memory>
#include <new>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/main_form.h"
#include "audio/renderer.h"
#include "cli/phrase_batch.h"
#include "cli/roll_picture.h"
#include "cli/terminal_playback.h"
#include "cli/windowless_platform.h"
#include "common/command_line.h"
#include "common/same_file.h"
#include "common/text_file.h"
#include "msgview/msg_view.h"

namespace {

struct Options {
  std::optional<std::uint32_t> seed;  // seed of the draws and the compile; fresh when not given
  std::optional<std::string> rhythm;  // keep this rhythm and draw only the pattern (F3)
  std::string settingsFile;           // loaded like "&Open"
  std::string scaleFile;              // preset file instead of the one next to the executable
  std::string outFile = "vorlumi3.mid";
  std::string mmlFile;                // the assembled source is also written here
  std::optional<std::int32_t> steps;  // number of steps (speLength)
  bool song = false;                  // compile the play list instead of a new phrase
  bool play = false;                  // play the phrase and wait for its end
  bool loop = false;                  // --play plays it over and over until Ctrl+C
  bool midiClock = false;             // --midi-out also carries MIDI beat clock
  std::string midiOut;                // --play sends to this MIDI destination; empty: the synthesizer
  bool listMidiOutputs = false;       // list the MIDI destinations and end
  std::string wavFile;                // render the phrase to this WAV file
  std::string pngFile;                // draw the phrase's piano roll to this PNG picture
  bool printSeed = false, printRhythm = false, printPattern = false, printSource = false;
  bool quiet = false;                 // no messages but error lines, no "wrote", no progress
  bool wavFlag = false;               // --wav without a file: one WAV per phrase of a batch
  // A batch: --count phrases from --first-seed on, into --out-dir.
  std::optional<std::uint64_t> count;
  std::uint64_t firstSeed = 0;
  std::optional<unsigned> jobs;
  std::string outDir;
  std::optional<std::pair<std::uint64_t, std::uint64_t>> shard;
  std::vector<std::string> singleOnly;  // options given that a batch cannot take
};

void Usage(std::FILE* to) {
  std::fprintf(to,
               "usage: vorlumi3-cli [--seed N] [--rhythm TEXT] [--settings FILE.vr3] [--scale-dat FILE] [--out FILE.mid]\n"
               "                    [--mml FILE.vlm] [--steps N] [--print rhythm,pattern,source] [--song]\n"
               "                    [--play [--loop] [--midi-out PORT [--midi-clock]]] [--wav FILE.wav] [--png FILE.png]\n"
               "                    [--list-midi-outputs]\n"
               "       vorlumi3-cli --count N [--first-seed S] [--jobs J] [--shard K/M] [--wav]\n"
               "                    --out-dir DIR [--settings FILE.vr3] [--scale-dat FILE] [--steps N]\n"
               "Draws a random phrase with the start values (or those of a settings file),\n"
               "writes it as MML and compiles it into a Standard MIDI File.\n"
               "  --seed N          seed of the phrase (0..4294967295): the same seed and\n"
               "                    settings give the same rhythm, pattern and MIDI bytes,\n"
               "                    as F5 in the desktop program does\n"
               "  --rhythm TEXT     keep this rhythm and draw only the pitches, as F3 does\n"
               "  --settings FILE   load a settings file (.vr3) after start-up\n"
               "  --scale-dat FILE  scale presets to read instead of Scale.dat next to the program\n"
               "  --out FILE, -o    where to write the MIDI file (default: vorlumi3.mid here)\n"
               "  --mml FILE        also write the assembled MML source to FILE\n"
               "  --steps N         number of steps of the phrase (1..128)\n"
               "  --print LIST      print these blocks instead of the compiler's messages, in\n"
               "                    this order: seed, rhythm, pattern, source (default:\n"
               "                    rhythm, pattern and source)\n"
               "  --song            compile the settings' song play list instead of a new phrase\n"
               "  --play            play the phrase and wait for its end (Ctrl+C stops it)\n"
               "  --loop            with --play: play it over and over until Ctrl+C\n"
               "  --midi-out PORT   with --play: send to the MIDI destination PORT (its name or\n"
               "                    a part of it) instead of the synthesizer; \"virtual\" opens\n"
               "                    a port named Vorlumi3 that other programs can record from\n"
               "  --midi-clock      with --play --midi-out: also send MIDI beat clock (Start,\n"
               "                    24 clocks a quarter note in the phrase's tempo, Stop), so\n"
               "                    that gear set to external sync follows; with --loop each\n"
               "                    pass starts it again\n"
               "  --list-midi-outputs  list the MIDI destinations, one a line, and end\n"
               "  --wav FILE        render the phrase to a WAV file (needs no audio device);\n"
               "                    FILE.flac, FILE.ogg or FILE.oga gives FLAC or Ogg Vorbis\n"
               "  --png FILE        draw the phrase's piano roll to a PNG picture (needs no display)\n"
               "  -q, --quiet       print only errors and warnings (and what --print asks for)\n"
               "A batch writes N phrases with the seeds S .. S+N-1 (S is 0 unless given) as\n"
               "SEED.mid and SEED.vlm (and SEED.wav with --wav) into DIR, each the bytes\n"
               "vorlumi3-cli --seed SEED writes, and lists them in DIR/manifest.jsonl:\n"
               "  --count N         number of phrases (1..4294967296)\n"
               "  --first-seed S    the first seed (0..4294967295)\n"
               "  --jobs J          worker threads (default: one per core)\n"
               "  --shard K/M       only the K-th of M equal parts of the seeds\n"
               "  --out-dir DIR     where the phrases and the manifest go (made when missing)\n"
               "  -h, --help        show this text\n"
               "  --version         show the version\n"
               "A value may also follow its option after '=' (--seed=7).\n"
               "exit status: 0 compiled cleanly, 1 compiled with errors, 2 bad arguments,\n"
               "unreadable files, no phrase written or no sound made, 3 no audio or MIDI output\n"
               "for --play (nothing compiled), 130 stopped by Ctrl+C. Warnings go to standard error.\n"
               "No output may be the same file as an input or as another output.\n");
}

bool ParsePrintList(const std::string& list, Options& options) {
  std::stringstream items(list);
  for (std::string item; std::getline(items, item, ',');) {
    if (item == "seed") options.printSeed = true;
    else if (item == "rhythm") options.printRhythm = true;
    else if (item == "pattern") options.printPattern = true;
    else if (item == "source") options.printSource = true;
    else return false;
  }
  return true;
}

// ORDER CLI_OPTIONS: the table and the enum name the options alike.
enum CliOption {
  kSeed, kRhythm, kSettings, kScaleDat, kOut, kMml, kSteps, kPrint, kSong, kPlay, kWav, kPng, kQuiet, kHelp, kVersion,
  kMidiOut, kListMidiOutputs, kCount, kFirstSeed, kJobs, kOutDir, kShard, kLoop, kMidiClock
};
constexpr vlm::CommandOption kOptions[] = {
    {"seed", 0, vlm::CommandOption::Value::Required},
    {"rhythm", 0, vlm::CommandOption::Value::Required},
    {"settings", 0, vlm::CommandOption::Value::Required},
    {"scale-dat", 0, vlm::CommandOption::Value::Required},
    {"out", 'o', vlm::CommandOption::Value::Required},
    {"mml", 0, vlm::CommandOption::Value::Required},
    {"steps", 0, vlm::CommandOption::Value::Required},
    // The list is optional: without one, all three blocks.
    {"print", 0, vlm::CommandOption::Value::NextWord},
    {"song", 0, vlm::CommandOption::Value::None},
    {"play", 0, vlm::CommandOption::Value::None},
    // A file for one phrase; none in a batch, which names its own.
    {"wav", 0, vlm::CommandOption::Value::NextWord},
    {"png", 0, vlm::CommandOption::Value::Required},
    {"quiet", 'q', vlm::CommandOption::Value::None},
    {"help", 'h', vlm::CommandOption::Value::None},
    {"version", 0, vlm::CommandOption::Value::None},
    {"midi-out", 0, vlm::CommandOption::Value::Required},
    {"list-midi-outputs", 0, vlm::CommandOption::Value::None},
    {"count", 0, vlm::CommandOption::Value::Required},
    {"first-seed", 0, vlm::CommandOption::Value::Required},
    {"jobs", 'j', vlm::CommandOption::Value::Required},
    {"out-dir", 0, vlm::CommandOption::Value::Required},
    {"shard", 0, vlm::CommandOption::Value::Required},
    {"loop", 0, vlm::CommandOption::Value::None},
    {"midi-clock", 0, vlm::CommandOption::Value::None},
};

constexpr const char* kMidiOutWants = "--midi-out wants a MIDI destination (see --list-midi-outputs)";

int BadArgument(const std::string& text) {
  std::fprintf(stderr, "vorlumi3-cli: %s\n", text.c_str());
  return 2;
}

// The options of a batch go together, and none of one phrase's goes with them.
std::optional<int> CheckBatchOptions(const Options& options) {
  if (!options.count) {
    if (options.wavFlag) return BadArgument("--wav wants a file name (or --count for a batch)");
    if (!options.outDir.empty() || options.jobs || options.shard || options.firstSeed)
      return BadArgument("--out-dir, --first-seed, --jobs and --shard make a batch: give --count too");
    return std::nullopt;
  }
  if (!options.singleOnly.empty()) return BadArgument(options.singleOnly.front() + " cannot be used with --count");
  if (options.outDir.empty()) return BadArgument("--count wants --out-dir, the folder of the phrases");
  if (options.firstSeed + *options.count - 1 > 4294967295ULL)
    return BadArgument("--first-seed plus --count passes the last seed, 4294967295");
  return std::nullopt;
}

// Fills options; an exit status when the program should end at once.
std::optional<int> ParseArguments(int argc, char** argv, Options& options) {
  using Kind = vlm::CommandItem::Kind;
  for (const vlm::CommandItem& item : vlm::ParseCommandLine(argc, argv, kOptions)) {
    unsigned long long number = 0;
    switch (item.kind) {
      case Kind::Unknown:
      case Kind::Operand:  // the program takes no operands
        std::fprintf(stderr, "vorlumi3-cli: unknown argument %s\n", item.text.c_str());
        Usage(stderr);
        return 2;
      case Kind::UnwantedValue:
        return BadArgument(item.text + " takes no value");
      case Kind::MissingValue:
        if (item.option == kSeed) return BadArgument("--seed wants a number from 0 to 4294967295");
        if (item.option == kRhythm) return BadArgument("--rhythm wants a rhythm text such as NNrN^m");
        if (item.option == kSteps) return BadArgument("--steps wants a number from 1 to 128");
        if (item.option == kMidiOut) return BadArgument(kMidiOutWants);
        if (item.option == kCount) return BadArgument("--count wants a number from 1 to 4294967296");
        if (item.option == kFirstSeed) return BadArgument("--first-seed wants a number from 0 to 4294967295");
        if (item.option == kJobs) return BadArgument("--jobs wants a number from 1 to 1024");
        if (item.option == kShard) return BadArgument("--shard wants K/M, K from 1 to M");
        if (item.option == kOutDir) return BadArgument("--out-dir wants a folder name");
        return BadArgument(item.text + " wants a file name");
      case Kind::Option:
        switch (static_cast<CliOption>(item.option)) {
          case kHelp:
            Usage(stdout);
            return 0;
          case kVersion:
            std::fputs(vlm::VersionText("vorlumi3-cli").c_str(), stdout);
            return 0;
          case kSeed:
            if (!vlm::ParseDecimal(*item.value, 0, 4294967295ULL, number))
              return BadArgument("--seed wants a number from 0 to 4294967295");
            options.seed = static_cast<std::uint32_t>(number);
            options.singleOnly.push_back(item.text);
            break;
          case kCount:
            if (!vlm::ParseDecimal(*item.value, 1, 4294967296ULL, number))
              return BadArgument("--count wants a number from 1 to 4294967296");
            options.count = number;
            break;
          case kFirstSeed:
            if (!vlm::ParseDecimal(*item.value, 0, 4294967295ULL, number))
              return BadArgument("--first-seed wants a number from 0 to 4294967295");
            options.firstSeed = number;
            break;
          case kJobs:
            if (!vlm::ParseDecimal(*item.value, 1, 1024, number)) return BadArgument("--jobs wants a number from 1 to 1024");
            options.jobs = static_cast<unsigned>(number);
            break;
          case kShard:
            options.shard = vlmcli::ParseShard(*item.value);
            if (!options.shard) return BadArgument("--shard wants K/M, K from 1 to M");
            break;
          case kOutDir:
            if (item.value->empty()) return BadArgument("--out-dir wants a folder name");
            options.outDir = *item.value;
            break;
          case kRhythm:
            options.rhythm = *item.value;
            options.singleOnly.push_back(item.text);
            break;
          case kSteps:
            if (!vlm::ParseDecimal(*item.value, 1, 128, number))
              return BadArgument("--steps wants a number from 1 to 128");
            options.steps = static_cast<std::int32_t>(number);
            break;
          case kWav:
            if (!item.value) {
              options.wavFlag = true;
              break;
            }
            [[fallthrough]];
          case kSettings:
          case kScaleDat:
          case kOut:
          case kMml:
          case kPng: {
            if (item.value->empty()) return BadArgument(item.text + " wants a file name");
            if (item.option == kOut || item.option == kMml || item.option == kWav || item.option == kPng)
              options.singleOnly.push_back(item.text);
            std::string& target = item.option == kSettings   ? options.settingsFile
                                  : item.option == kScaleDat ? options.scaleFile
                                  : item.option == kMml      ? options.mmlFile
                                  : item.option == kWav      ? options.wavFile
                                  : item.option == kPng      ? options.pngFile
                                                             : options.outFile;
            target = *item.value;
            break;
          }
          case kPrint:
            options.singleOnly.push_back(item.text);
            if (!item.value) {
              options.printRhythm = options.printPattern = options.printSource = true;
            } else if (!ParsePrintList(*item.value, options)) {
              return BadArgument("--print takes seed, rhythm, pattern and source, joined by commas");
            }
            break;
          case kSong:
            options.song = true;
            options.singleOnly.push_back(item.text);
            break;
          case kPlay:
            options.play = true;
            options.singleOnly.push_back(item.text);
            break;
          case kLoop:
            options.loop = true;
            break;
          case kMidiClock:
            options.midiClock = true;
            break;
          case kQuiet:
            options.quiet = true;
            break;
          case kMidiOut:
            if (item.value->empty()) return BadArgument(kMidiOutWants);
            options.midiOut = *item.value;
            break;
          case kListMidiOutputs:
            options.listMidiOutputs = true;
            break;
        }
        break;
    }
  }
  return CheckBatchOptions(options);
}

bool Readable(const std::string& path, const char* what) {
  std::error_code ec;
  if (std::filesystem::is_regular_file(path, ec) && vlm::ReadFileBytes(path)) return true;
  std::fprintf(stderr, "vorlumi3-cli: cannot read %s %s\n", what, path.c_str());
  return false;
}

// Boxes go to standard error; a message or an error box means the run failed.
class ConsolePlatform : public vlmcli::WindowlessPlatform {
 public:
  bool failed = false;

 private:
  void Report(const std::string& text) override {
    failed = true;
    std::fprintf(stderr, "vorlumi3-cli: %s\n", text.c_str());
  }
};

std::string Absolute(const std::string& path) { return std::filesystem::absolute(path).string(); }

// The steps of the phrase just compiled, for the picture's marks; none after
// a song, whose compile makes no source map.
std::optional<vlm::PictureSteps> PhraseSteps(const vlm::TForm1& form) {
  if (!form.LastMap) return std::nullopt;
  vlm::PictureSteps steps{form.memRythm, form.speLength.ClampedValue(), form.CompiledPattern(), {}};
  steps.Notes.reserve(form.LastMap->Notes.size());
  for (const vlm::MappedNote& note : form.LastMap->Notes)
    steps.Notes.push_back({note.Track, note.Tick, note.Note, form.PatternOffsetOf(form.LastSource, note.At())});
  return steps;
}

}  // namespace

int StartBatch(const Options& options) {
  for (const std::string& path : {options.settingsFile, options.scaleFile})
    if (!path.empty() && !Readable(path, path == options.settingsFile ? "settings file" : "scale presets")) return 2;
  vlmcli::BatchOptions batch;
  batch.Seeds = {options.firstSeed, *options.count};
  if (options.shard) batch.Seeds = vlmcli::ShardOf(batch.Seeds, options.shard->first, options.shard->second);
  batch.Jobs = options.jobs.value_or(std::max(1u, std::thread::hardware_concurrency()));
  batch.Wav = options.wavFlag;
  batch.OutDir = Absolute(options.outDir);
  if (!options.settingsFile.empty()) batch.SettingsFile = Absolute(options.settingsFile);
  if (!options.scaleFile.empty()) batch.ScaleFile = Absolute(options.scaleFile);
  batch.Steps = options.steps;
  batch.Quiet = options.quiet;
  return vlmcli::RunBatch(batch, stderr);
}

int Run(int argc, char** argv) {
  Options options;
  if (const auto status = ParseArguments(argc, argv, options)) return *status;
  if (options.listMidiOutputs) return vlmcli::ListMidiOutputs("vorlumi3-cli");
  if (!options.midiOut.empty() && !options.play) return BadArgument("--midi-out goes with --play");
  if (options.loop && !options.play) return BadArgument("--loop goes with --play");
  if (options.midiClock && (!options.play || options.midiOut.empty()))
    return BadArgument("--midi-clock goes with --play --midi-out PORT");
  if (options.song && options.rhythm) return BadArgument("--rhythm draws a phrase; it does not go with --song");
  // Checked before anything is written: an output must not replace an input
  // or another output.
  if (const auto conflict = vlm::SameFileConflict({{"--settings", options.settingsFile},
                                                   {"--scale-dat", options.scaleFile},
                                                   {"--out", options.outFile},
                                                   {"--mml", options.mmlFile},
                                                   {"--wav", options.wavFile},
                                                   {"--png", options.pngFile}})) {
    std::fprintf(stderr, "vorlumi3-cli: %s; nothing was written\n", conflict->c_str());
    return 2;
  }
  if (!options.settingsFile.empty() && !Readable(options.settingsFile, "settings file")) return 2;
  if (!options.scaleFile.empty() && !Readable(options.scaleFile, "scale presets")) return 2;

  if (options.count) return StartBatch(options);

  // Start-up changes the current directory: every name becomes absolute first.
  ConsolePlatform platform;
  vlm::TfrmMsg messages(platform);
  vlm::TForm1 form(platform, messages);
  form.PhraseFileName = Absolute(options.outFile);
  if (!options.scaleFile.empty()) form.ScaleFileName = Absolute(options.scaleFile);
  const std::string mmlFile = options.mmlFile.empty() ? "" : Absolute(options.mmlFile);
  if (!options.settingsFile.empty()) options.settingsFile = Absolute(options.settingsFile);
  if (!options.wavFile.empty()) options.wavFile = Absolute(options.wavFile);
  if (!options.pngFile.empty()) options.pngFile = Absolute(options.pngFile);

  // The audio output is opened first, so that a machine without one learns it
  // before anything is made.
  std::unique_ptr<vlm::MidiFilePlayer> player;
  if (options.play) {
    int status = 0;
    player = vlmcli::OpenTerminalPlayer("vorlumi3-cli", options.midiOut, options.quiet, status);
    if (!player) return status;
    player->SetLooping(options.loop);
    player->SetMidiClock(options.midiClock);
    form.SetMediaPlayer(player.get());
  }

  form.FormCreate();
  if (!options.settingsFile.empty() && !form.LoadSettings(options.settingsFile)) return 2;
  if (options.steps) form.speLength.SetValue(*options.steps);
  form.MmlFileName = mmlFile;

  const std::uint32_t seed = options.seed ? *options.seed : form.FreshSeed();
  if (options.song) {
    form.PlaySongSeeded(seed);
  } else {
    if (options.rhythm) form.memRythm = *options.rhythm;
    form.PlaySeeded(seed, !options.rhythm);
  }
  if (form.LastSource.empty()) {
    std::fprintf(stderr, "vorlumi3-cli: nothing was compiled\n");
    return 2;
  }

  const bool printing = options.printSeed || options.printRhythm || options.printPattern || options.printSource;
  if (options.printSeed) std::cout << "seed: " << seed << "\n";
  if (options.printRhythm) std::cout << "rhythm: " << form.memRythm << "\n";
  if (options.printPattern) std::cout << "pattern: " << form.memPatten << "\n";
  if (options.printSource) {
    std::cout << "source:\n";
    for (const auto& line : form.LastSource) std::cout << line << "\n";
  }
  if (!printing)
    for (const auto& line : messages.RichEdit1.Lines)
      if (!options.quiet || line.rfind("err(", 0) == 0) std::cout << line << "\n";
  if (platform.failed) return 2;
  std::ostream& report = printing ? std::cerr : std::cout;
  if (!options.quiet) report << "wrote " << form.PhraseFileName << "\n";
  if (!options.wavFile.empty()) {
    try {
      const vlm::RenderResult rendered = vlm::RenderMidiFile(form.PhraseFileName, options.wavFile);
      if (!options.quiet)
        report << "wrote " << options.wavFile << " (" << std::fixed << std::setprecision(1) << rendered.seconds
             << " s)\n";
    } catch (const vlm::MediaError& e) {
      std::fprintf(stderr, "vorlumi3-cli: %s\n", e.what());
      return 2;
    }
  }
  if (!options.pngFile.empty()) {
    std::array<int, 12> weights{};
    for (int k = 1; k <= 12; ++k) weights[static_cast<std::size_t>(k - 1)] = form.Scl(k).Position();
    const auto bytes = vlm::ReadFileBytes(form.PhraseFileName);
    const std::optional<vlm::PictureSteps> steps = PhraseSteps(form);
    if (const auto failure = bytes ? vlm::WriteRollPicture(*bytes, options.pngFile, weights, steps ? &*steps : nullptr)
                                   : "cannot read " + form.PhraseFileName) {
      std::fprintf(stderr, "vorlumi3-cli: %s\n", failure->c_str());
      return 2;
    }
    if (!options.quiet) report << "wrote " << options.pngFile << "\n";
  }
  report.flush();
  if (player && !vlmcli::WaitWhilePlaying(*player, options.quiet ? nullptr : stdout)) return 130;
  return messages.MessageText().find("err(") != std::string::npos ? 1 : 0;
}

// Memory running out anywhere in a run ends it with a message, not an abort.
int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
    std::cout.flush();
    std::fprintf(stderr, "vorlumi3-cli: out of memory: the phrase needs more than this machine (or its limits) can give\n");
    return 2;
  }
}
