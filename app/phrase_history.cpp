#include "app/phrase_history.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <utility>

#include "common/json_flat.h"
#include "common/text_file.h"

namespace vlm {

std::string PhraseEntryJson(const PhraseEntry& entry) {
  JsonObjectWriter out;
  if (entry.Seed)
    out.Add("seed", static_cast<std::int64_t>(*entry.Seed));
  else
    out.AddNull("seed");
  out.Add("compile_seed", static_cast<std::int64_t>(entry.CompileSeed))
      .Add("kind", entry.Kind)
      .Add("rhythm", entry.Rhythm)
      .Add("pattern", entry.Pattern)
      .Add("settings", entry.Settings)
      .Add("time", entry.Time)
      .Add("kept", entry.Kept);
  if (!entry.Label.empty()) out.Add("label", entry.Label);
  return out.Text();
}

namespace {

std::optional<std::uint32_t> Seed32(const JsonValue& value) {
  const std::int64_t* n = value.Integer();
  if (!n || *n < 0 || *n > 0xFFFFFFFFLL) return std::nullopt;
  return static_cast<std::uint32_t>(*n);
}

const std::string* StringKey(const JsonObject& object, const char* key) {
  const auto it = object.find(key);
  return it == object.end() ? nullptr : it->second.String();
}

}  // namespace

// "seed", "compile_seed", "rhythm" and "pattern" must be there; the other
// keys may be missing (an entry written by hand), unknown keys are ignored.
std::optional<PhraseEntry> PhraseEntryFromJson(const std::string& line) {
  const auto object = ParseJsonObject(line);
  if (!object) return std::nullopt;
  PhraseEntry entry;
  const auto seed = object->find("seed");
  if (seed == object->end()) return std::nullopt;
  if (!seed->second.IsNull()) {
    entry.Seed = Seed32(seed->second);
    if (!entry.Seed) return std::nullopt;
  }
  const auto compileSeed = object->find("compile_seed");
  if (compileSeed == object->end()) return std::nullopt;
  const auto compile = Seed32(compileSeed->second);
  if (!compile) return std::nullopt;
  entry.CompileSeed = *compile;
  const std::string* rhythm = StringKey(*object, "rhythm");
  const std::string* pattern = StringKey(*object, "pattern");
  if (!rhythm || !pattern) return std::nullopt;
  entry.Rhythm = *rhythm;
  entry.Pattern = *pattern;
  if (const std::string* kind = StringKey(*object, "kind")) entry.Kind = *kind;
  if (const std::string* settings = StringKey(*object, "settings")) entry.Settings = *settings;
  if (const std::string* time = StringKey(*object, "time")) entry.Time = *time;
  const auto kept = object->find("kept");
  if (kept != object->end()) {
    const bool* flag = kept->second.Boolean();
    if (!flag) return std::nullopt;
    entry.Kept = *flag;
  }
  if (const std::string* label = StringKey(*object, "label")) entry.Label = *label;
  return entry;
}

std::string UtcTimeText() {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
  gmtime_r(&now, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
  return text;
}

namespace {

// The same phrase, whatever its mark: two programs that share the store know
// an entry only by what it holds.
bool SamePhrase(const PhraseEntry& a, const PhraseEntry& b) {
  return a.Seed == b.Seed && a.CompileSeed == b.CompileSeed && a.Kind == b.Kind && a.Rhythm == b.Rhythm &&
         a.Pattern == b.Pattern && a.Settings == b.Settings && a.Time == b.Time;
}

// The entries of a store's text, in order. Blank lines are passed over; each
// damaged line is counted and, with Warnings, named there.
std::vector<PhraseEntry> ParseStore(const std::string& text, const std::string& file, std::size_t& lines,
                                    std::vector<std::string>* warnings) {
  std::vector<PhraseEntry> entries;
  lines = 0;
  std::size_t lineNumber = 0;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    ++lines;
    if (auto entry = PhraseEntryFromJson(line))
      entries.push_back(std::move(*entry));
    else if (warnings)
      warnings->push_back(file + ":" + std::to_string(lineNumber) + ": damaged history entry skipped");
  }
  return entries;
}

// An exclusive lock on "<store>.lock" for as long as it lives. The store
// itself cannot carry the lock: a rewrite renames a new file over it. When
// the lock file cannot be made, the work goes on unlocked and the write
// that follows reports what is wrong with the folder.
class StoreLock {
 public:
  explicit StoreLock(const std::string& file)
      : fd_(::open((file + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666)) {
    while (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  ~StoreLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;

 private:
  int fd_;
};

}  // namespace

PhraseHistory::PhraseHistory(std::string fileName) : file_(std::move(fileName)) {}

std::vector<std::string> PhraseHistory::Load() {
  entries_.clear();
  unwritten_.clear();
  current_ = 0;
  linesInFile_ = 0;
  needsLineBreak_ = false;
  std::vector<std::string> warnings;
  std::error_code ec;
  if (file_.empty() || !std::filesystem::exists(file_, ec)) return warnings;
  const auto bytes = ReadFileBytes(file_);
  if (!bytes) {
    warnings.push_back("Cannot read the history " + file_ + ": " + std::strerror(errno));
    return warnings;
  }
  entries_ = ParseStore(*bytes, file_, linesInFile_, &warnings);
  unwritten_.assign(entries_.size(), false);
  needsLineBreak_ = !bytes->empty() && bytes->back() != '\n';
  AgeOut();
  current_ = entries_.empty() ? 0 : entries_.size() - 1;
  return warnings;
}

// The oldest unkept entries go first; kept ones stay whatever their number.
void PhraseHistory::AgeOut() {
  std::size_t unkept = 0;
  for (const auto& entry : entries_) unkept += !entry.Kept;
  for (std::size_t i = 0; unkept > MaxUnkept && i < entries_.size();) {
    if (entries_[i].Kept) {
      ++i;
      continue;
    }
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
    unwritten_.erase(unwritten_.begin() + static_cast<std::ptrdiff_t>(i));
    if (current_ > i) --current_;
    --unkept;
  }
  if (current_ >= entries_.size()) current_ = entries_.empty() ? 0 : entries_.size() - 1;
}

// One write of one whole line with O_APPEND, under the lock, so that two
// programs appending at once never interleave inside a line and no append
// lands in a file that a rewrite is about to replace.
std::optional<std::string> PhraseHistory::Add(PhraseEntry entry) {
  std::string line = (needsLineBreak_ ? "\n" : "") + PhraseEntryJson(entry) + "\n";
  entries_.push_back(std::move(entry));
  unwritten_.push_back(true);
  current_ = entries_.size() - 1;
  AgeOut();
  if (file_.empty()) return std::nullopt;
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(file_).parent_path(), ec);
  if (ec) return "Cannot write the history " + file_ + ": " + ec.message();
  ssize_t written = 0;
  int error = 0;
  {
    const StoreLock lock(file_);  // released before a rewrite takes it again
    const int fd = ::open(file_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return "Cannot write the history " + file_ + ": " + std::strerror(errno);
    written = ::write(fd, line.data(), line.size());
    error = written < 0 ? errno : 0;
    if (written >= 0 && static_cast<std::size_t>(written) != line.size()) error = ENOSPC;  // a short write: the disk is full
    if (::close(fd) != 0 && error == 0) error = errno;
  }
  if (error != 0) {
    // A line cut short is ended before the next one.
    needsLineBreak_ = needsLineBreak_ || written > 0;
    return "Cannot write the history " + file_ + ": " + std::strerror(error);
  }
  needsLineBreak_ = false;
  unwritten_.back() = false;
  ++linesInFile_;
  if (linesInFile_ > entries_.size() + CompactSlack) return Rewrite(nullptr);
  return std::nullopt;
}

std::optional<std::string> PhraseHistory::SetKept(std::size_t index, bool kept) {
  if (index >= entries_.size()) return std::nullopt;
  entries_[index].Kept = kept;
  const PhraseEntry changed = entries_[index];
  // Unmarking may push the unkept entries past their bound.
  AgeOut();
  return file_.empty() ? std::nullopt : Rewrite(&changed);
}

std::optional<std::string> PhraseHistory::SetLabel(std::size_t index, const std::string& label) {
  if (index >= entries_.size()) return std::nullopt;
  entries_[index].Label = label;
  const PhraseEntry changed = entries_[index];  // Rewrite replaces entries_
  return file_.empty() ? std::nullopt : Rewrite(&changed);
}

// Only this program's own changes are laid over the store: a mark or a
// label another program set stays as it set it. A phrase kept here that another program
// has aged out of the store comes back, kept.
std::optional<std::string> PhraseHistory::Rewrite(const PhraseEntry* Changed) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(file_).parent_path(), ec);
  const StoreLock lock(file_);
  std::string stored;
  if (std::filesystem::exists(file_, ec)) {
    auto bytes = ReadFileBytes(file_);
    if (!bytes) return "Cannot read the history " + file_ + ": " + std::strerror(errno);
    stored = std::move(*bytes);
  }
  std::size_t lines = 0;
  std::vector<PhraseEntry> merged = ParseStore(stored, file_, lines, nullptr);
  bool changedPlaced = Changed == nullptr;
  for (std::size_t i = merged.size(); !changedPlaced && i-- > 0;) {
    if (SamePhrase(merged[i], *Changed)) {
      merged[i].Kept = Changed->Kept;
      merged[i].Label = Changed->Label;
      changedPlaced = true;
    }
  }
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (!unwritten_[i]) continue;
    merged.push_back(entries_[i]);
    if (!changedPlaced && SamePhrase(entries_[i], *Changed)) {
      merged.back().Kept = Changed->Kept;
      merged.back().Label = Changed->Label;
      changedPlaced = true;
    }
  }
  if (!changedPlaced && Changed->Kept) merged.push_back(*Changed);

  const std::optional<PhraseEntry> current =
      entries_.empty() ? std::nullopt : std::optional<PhraseEntry>(entries_[current_]);
  std::vector<PhraseEntry> before = std::move(entries_);
  std::vector<bool> beforeUnwritten = std::move(unwritten_);
  const std::size_t beforeCurrent = current_;
  entries_ = std::move(merged);
  unwritten_.assign(entries_.size(), false);
  current_ = entries_.empty() ? 0 : entries_.size() - 1;
  for (std::size_t i = entries_.size(); current && i-- > 0;) {
    if (SamePhrase(entries_[i], *current)) {
      current_ = i;
      break;
    }
  }
  AgeOut();

  std::string text;
  for (const auto& entry : entries_) text += PhraseEntryJson(entry) + "\n";
  if (const auto failure = WriteFileAtomically(file_, text)) {
    entries_ = std::move(before);
    unwritten_ = std::move(beforeUnwritten);
    current_ = beforeCurrent;
    return "Cannot write the history " + *failure;
  }
  linesInFile_ = entries_.size();
  needsLineBreak_ = false;
  return std::nullopt;
}

std::optional<std::size_t> PhraseHistory::Current() const {
  if (entries_.empty()) return std::nullopt;
  return current_;
}

const PhraseEntry* PhraseHistory::GoBack() {
  if (!CanGoBack()) return nullptr;
  return &entries_[--current_];
}

const PhraseEntry* PhraseHistory::GoForward() {
  if (!CanGoForward()) return nullptr;
  return &entries_[++current_];
}

const PhraseEntry* PhraseHistory::GoTo(std::size_t index) {
  if (index >= entries_.size()) return nullptr;
  current_ = index;
  return &entries_[current_];
}

std::vector<std::size_t> PhraseHistory::KeptIndexes() const {
  std::vector<std::size_t> kept;
  for (std::size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].Kept) kept.push_back(i);
  return kept;
}

}  // namespace vlm
