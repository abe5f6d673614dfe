#include "cli/phrase_batch.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "app/main_form.h"
#include "audio/midi_sequence.h"
#include "audio/renderer.h"
#include "cli/interrupt.h"
#include "cli/windowless_platform.h"
#include "common/atomic_file_writer.h"
#include "common/int_text.h"
#include "common/json_string.h"
#include "common/text_file.h"
#include "msgview/msg_view.h"

namespace vlmcli {

namespace {

// A worker's boxes: the first text is kept as the reason its phrase failed.
class CollectingPlatform : public WindowlessPlatform {
 public:
  std::string failure;

 private:
  void Report(const std::string& text) override {
    if (failure.empty()) failure = text;
  }
};

// One line of the manifest, or the reason a phrase could not be written.
struct PhraseRecord {
  std::string Json;
  bool Errors = false;
  std::string Failure;
};

// The main window's model for one worker thread, set up as vorlumi3-cli sets
// up its own, so that a phrase has the bytes vorlumi3-cli --seed writes.
class PhraseMaker {
 public:
  // Made on the main thread: start-up changes the current directory.
  explicit PhraseMaker(const BatchOptions& options)
      : options_(options), messages_(platform_), form_(platform_, messages_) {
    if (!options.ScaleFile.empty()) form_.ScaleFileName = options.ScaleFile;
    form_.FormCreate();
    if (!options.SettingsFile.empty() && !form_.LoadSettings(options.SettingsFile))
      setupFailure_ = platform_.failure;
    if (options.Steps) form_.speLength.SetValue(*options.Steps);
  }

  const std::string& SetupFailure() const { return setupFailure_; }

  PhraseRecord Make(std::uint32_t seed) {
    platform_.failure.clear();
    form_.DrawSeeded(seed, true);
    const std::vector<std::string> lines = form_.AssembleSource();
    vlm::CompileOptions compile = form_.CompileBase;
    compile.OutputFile.clear();
    vlm::CompileResult result = form_.Compiler->Compile(lines, compile);
    PhraseRecord record;
    if (result.Failed()) {
      record.Failure = std::to_string(seed) + ": " + *result.Failure;
      return record;
    }
    for (const auto& message : result.Messages)
      if (message.rfind("err(", 0) == 0) record.Errors = true;

    const std::string name = std::to_string(seed);
    const std::string base = options_.OutDir + "/" + name;
    std::vector<std::string> files = {name + ".mid", name + ".vlm"};
    // The batch flushes the whole folder once at its end, not every file.
    if (auto failure = vlm::WriteFileAtomically(base + ".mid", result.MidiBytes, false)) {
      record.Failure = *failure;
      return record;
    }
    if (auto failure = vlm::WriteFileAtomically(base + ".vlm", vlm::JoinLinesCrLf(lines), false)) {
      record.Failure = *failure;
      return record;
    }
    double seconds = 0;
    try {
      const vlm::MidiSequence sequence =
          vlm::ParseMidiFile(std::vector<std::uint8_t>(result.MidiBytes.begin(), result.MidiBytes.end()));
      seconds = sequence.lengthSeconds;
      if (options_.Wav) {
        if (!renderer_) renderer_ = std::make_unique<vlm::SequenceRenderer>();
        renderer_->Render(sequence, base + ".wav");
        files.push_back(name + ".wav");
      }
    } catch (const std::exception& e) {
      record.Failure = base + ": " + e.what();
      return record;
    }
    if (!platform_.failure.empty()) {
      record.Failure = name + ": " + platform_.failure;
      return record;
    }

    // An array and a length with a fraction are more than the flat writer
    // takes: the object is put together here, its texts escaped alike.
    std::string json = "{\"seed\":" + name + ",\"files\":[";
    for (std::size_t i = 0; i < files.size(); ++i) {
      if (i) json += ',';
      vlm::AppendJsonString(json, files[i]);
    }
    char length[32];
    std::snprintf(length, sizeof length, "%.3f", seconds);
    json += "],\"rhythm\":";
    vlm::AppendJsonString(json, form_.memRythm);
    json += ",\"pattern\":";
    vlm::AppendJsonString(json, form_.memPatten);
    json += ",\"notes\":" + std::to_string(result.NoteCount) + ",\"seconds\":" + length +
            ",\"errors\":" + (record.Errors ? "true" : "false") + "}\n";
    record.Json = std::move(json);
    return record;
  }

 private:
  const BatchOptions& options_;
  CollectingPlatform platform_;
  vlm::TfrmMsg messages_;
  vlm::TForm1 form_;
  std::string setupFailure_;
  std::unique_ptr<vlm::SequenceRenderer> renderer_;  // made by the first WAV, then kept
};

// What the workers hand to the main thread: records by their index in the
// range, written out in order as soon as the next one is there.
class Results {
 public:
  void Put(std::uint64_t index, PhraseRecord record) {
    {
      const std::lock_guard lock(mutex_);
      done_.emplace(index, std::move(record));
    }
    ready_.notify_one();
  }

  // The record at index, waiting at most a tick for it; nothing when it is still being made.
  std::optional<PhraseRecord> Take(std::uint64_t index) {
    std::unique_lock lock(mutex_);
    ready_.wait_for(lock, std::chrono::milliseconds(100), [&] { return done_.count(index) > 0; });
    const auto found = done_.find(index);
    if (found == done_.end()) return std::nullopt;
    PhraseRecord record = std::move(found->second);
    done_.erase(found);
    return record;
  }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::map<std::uint64_t, PhraseRecord> done_;
};

// Flushes every file written into dir to disk at once.
bool SyncFolder(const std::string& dir) {
  const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = syncfs(fd) == 0;
  close(fd);
  return synced;
}

}  // namespace

SeedRange ShardOf(const SeedRange& range, std::uint64_t part, std::uint64_t parts) {
  // Boundaries at Count * k / parts: exact in 128 bits for any count and parts.
  const auto boundary = [&](std::uint64_t k) {
    return static_cast<std::uint64_t>(static_cast<unsigned __int128>(range.Count) * k / parts);
  };
  const std::uint64_t begin = boundary(part - 1);
  return {range.First + begin, boundary(part) - begin};
}

std::optional<std::pair<std::uint64_t, std::uint64_t>> ParseShard(const std::string& text) {
  const auto slash = text.find('/');
  if (slash == std::string::npos) return std::nullopt;
  const auto part = vlm::StrToInt(text.substr(0, slash));
  const auto parts = vlm::StrToInt(text.substr(slash + 1));
  if (!part || !parts || *parts < 1 || *part < 1 || *part > *parts) return std::nullopt;
  if (text.substr(0, slash) != std::to_string(*part) || text.substr(slash + 1) != std::to_string(*parts))
    return std::nullopt;
  return std::pair<std::uint64_t, std::uint64_t>(*part, *parts);
}

int RunBatch(const BatchOptions& options, std::FILE* progress) {
  std::error_code ec;
  std::filesystem::create_directories(options.OutDir, ec);
  if (ec || !std::filesystem::is_directory(options.OutDir, ec)) {
    std::fprintf(stderr, "vorlumi3-cli: cannot make the folder %s: %s\n", options.OutDir.c_str(),
                 ec ? ec.message().c_str() : "a file of that name is in the way");
    return 2;
  }
  const std::uint64_t count = options.Seeds.Count;
  const unsigned jobs = static_cast<unsigned>(std::max<std::uint64_t>(1, std::min<std::uint64_t>(options.Jobs, count)));
  std::vector<std::unique_ptr<PhraseMaker>> makers;
  for (unsigned j = 0; j < jobs; ++j) {
    makers.push_back(std::make_unique<PhraseMaker>(options));
    if (!makers.back()->SetupFailure().empty()) {
      std::fprintf(stderr, "vorlumi3-cli: %s\n", makers.back()->SetupFailure().c_str());
      return 2;
    }
  }

  const InterruptGuard guard;
  std::atomic<std::uint64_t> next{0};
  std::atomic<bool> stop{false};
  Results results;
  std::vector<std::thread> workers;
  for (auto& maker : makers)
    workers.emplace_back([&, m = maker.get()] {
      for (std::uint64_t i; !stop && (i = next++) < count;)
        results.Put(i, m->Make(static_cast<std::uint32_t>(options.Seeds.First + i)));
    });

  vlm::AtomicFileWriter manifest(options.OutDir + "/" + ManifestName);
  const bool terminal = progress && !options.Quiet && isatty(fileno(progress));
  const auto started = std::chrono::steady_clock::now();
  auto shown = started;
  std::uint64_t written = 0;
  bool errors = false;
  std::string failure;
  while (written < count && failure.empty() && !Interrupted()) {
    if (std::optional<PhraseRecord> record = results.Take(written)) {
      if (!record->Failure.empty()) {
        failure = record->Failure;
        break;
      }
      errors = errors || record->Errors;
      manifest.Write(record->Json);
      ++written;
    }
    const auto now = std::chrono::steady_clock::now();
    if (terminal && (now - shown > std::chrono::milliseconds(100) || written == count)) {
      shown = now;
      const double seconds = std::chrono::duration<double>(now - started).count();
      std::fprintf(progress, "\r%llu / %llu phrases (%.0f a second)", static_cast<unsigned long long>(written),
                   static_cast<unsigned long long>(count), seconds > 0 ? static_cast<double>(written) / seconds : 0.0);
      std::fflush(progress);
    }
  }
  stop = true;
  for (auto& worker : workers) worker.join();
  if (terminal) std::fputc('\n', progress);

  // The phrases go to disk before the manifest that lists them.
  if (!SyncFolder(options.OutDir) && failure.empty()) failure = options.OutDir + ": cannot be flushed to disk";
  if (const auto why = manifest.Commit()) {
    std::fprintf(stderr, "vorlumi3-cli: %s\n", why->c_str());
    return 2;
  }
  if (!failure.empty()) {
    std::fprintf(stderr, "vorlumi3-cli: %s; the manifest lists the %llu phrases written before\n", failure.c_str(),
                 static_cast<unsigned long long>(written));
    return 2;
  }
  if (Interrupted()) {
    std::fprintf(stderr, "vorlumi3-cli: stopped; the manifest lists the %llu phrases written\n",
                 static_cast<unsigned long long>(written));
    return 130;
  }
  if (!options.Quiet)
    std::printf("wrote %llu phrases and %s/%s\n", static_cast<unsigned long long>(written), options.OutDir.c_str(),
                ManifestName);
  return errors ? 1 : 0;
}

}  // namespace vlmcli
