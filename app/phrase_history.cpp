#include "app/phrase_history.h"

#include <fcntl.h>
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

PhraseHistory::PhraseHistory(std::string fileName) : file_(std::move(fileName)) {}

std::vector<std::string> PhraseHistory::Load() {
  entries_.clear();
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
  std::size_t lineNumber = 0;
  for (std::size_t start = 0; start < bytes->size();) {
    std::size_t end = bytes->find('\n', start);
    if (end == std::string::npos) end = bytes->size();
    const std::string line = bytes->substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    ++linesInFile_;
    if (auto entry = PhraseEntryFromJson(line))
      entries_.push_back(std::move(*entry));
    else
      warnings.push_back(file_ + ":" + std::to_string(lineNumber) + ": damaged history entry skipped");
  }
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
    if (current_ > i) --current_;
    --unkept;
  }
  if (current_ >= entries_.size()) current_ = entries_.empty() ? 0 : entries_.size() - 1;
}

// One write of one whole line with O_APPEND, so that two programs appending
// at once never interleave inside a line.
std::optional<std::string> PhraseHistory::Add(PhraseEntry entry) {
  std::string line = (needsLineBreak_ ? "\n" : "") + PhraseEntryJson(entry) + "\n";
  entries_.push_back(std::move(entry));
  current_ = entries_.size() - 1;
  AgeOut();
  if (file_.empty()) return std::nullopt;
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(file_).parent_path(), ec);
  if (ec) return "Cannot write the history " + file_ + ": " + ec.message();
  const int fd = ::open(file_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return "Cannot write the history " + file_ + ": " + std::strerror(errno);
  const ssize_t written = ::write(fd, line.data(), line.size());
  int error = written < 0 ? errno : 0;
  if (written >= 0 && static_cast<std::size_t>(written) != line.size()) error = ENOSPC;  // a short write: the disk is full
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error != 0) {
    // A line cut short is ended before the next one.
    needsLineBreak_ = needsLineBreak_ || written > 0;
    return "Cannot write the history " + file_ + ": " + std::strerror(error);
  }
  needsLineBreak_ = false;
  ++linesInFile_;
  if (linesInFile_ > entries_.size() + CompactSlack) return Rewrite();
  return std::nullopt;
}

std::optional<std::string> PhraseHistory::SetKept(std::size_t index, bool kept) {
  if (index >= entries_.size()) return std::nullopt;
  entries_[index].Kept = kept;
  // Unmarking may push the unkept entries past their bound.
  AgeOut();
  return file_.empty() ? std::nullopt : Rewrite();
}

// The memory holds every live entry: the store becomes exactly that.
std::optional<std::string> PhraseHistory::Rewrite() {
  std::string text;
  for (const auto& entry : entries_) text += PhraseEntryJson(entry) + "\n";
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(file_).parent_path(), ec);
  if (const auto failure = WriteFileAtomically(file_, text)) return "Cannot write the history " + *failure;
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
