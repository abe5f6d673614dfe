#include "audio/midi_file_player.h"

#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <limits>

namespace vlm {

namespace {

constexpr double MaxWaitSeconds = 86400;

// On a busy machine an ordinary thread may wake several milliseconds after
// its message is due. A real-time priority (granted to root, or through
// rtprio in limits.conf) keeps MIDI out within its bound under load; without
// it playing goes on as before. The thread sleeps between messages, so it
// takes no time from others.
void AskForRealTimePriority() {
  sched_param priority{};
  priority.sched_priority = 10;
  pthread_setschedparam(pthread_self(), SCHED_FIFO, &priority);
}

bool IsNoteMessage(std::span<const std::uint8_t> bytes) {
  const int kind = bytes[0] & 0xF0;
  return kind == 0x80 || kind == 0x90 || kind == 0xA0;
}

void SendByte(SoundEngine& engine, std::uint8_t status) {
  const std::uint8_t message[] = {status};
  engine.Send(message);
}

}  // namespace

MidiFilePlayer::MidiFilePlayer(EngineFactory makeEngine) : makeEngine_(std::move(makeEngine)) {}

MidiFilePlayer::~MidiFilePlayer() { Close(); }

void MidiFilePlayer::Close() {
  Stop();
  JoinThread();
  std::lock_guard<std::mutex> lock(mutex_);
  sequence_.reset();
  queued_.reset();
  position_ = 0;
  next_ = 0;
}

void MidiFilePlayer::SetEngineFactory(EngineFactory makeEngine) {
  Close();
  engine_.reset();
  makeEngine_ = std::move(makeEngine);
}

void MidiFilePlayer::PrepareEngine() {
  if (!engine_) engine_ = makeEngine_();
}

void MidiFilePlayer::SetFileName(const std::string& fileName) { fileName_ = fileName; }

void MidiFilePlayer::Open() {
  Close();
  if (fileName_.empty()) throw MediaError("No file was named before opening the player");
  MidiSequence sequence;
  try {
    sequence = LoadMidiFile(fileName_);
  } catch (const SmfError& e) {
    throw MediaError(e.what());
  }
  PrepareEngine();
  std::lock_guard<std::mutex> lock(mutex_);
  sequence_ = std::move(sequence);
  openedFile_ = fileName_;
}

// Playing is checked before the join: a loop's thread never ends by itself.
void MidiFilePlayer::Play() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!sequence_ || playing_) return;
  }
  JoinThread();  // a thread that reached the end of the file
  std::unique_lock<std::mutex> lock(mutex_);
  const MessageList& messages = sequence_->messages;
  if (position_ >= sequence_->lengthSeconds) position_ = 0;
  // Start from a clean synthesizer; in the middle of the file, bring back the
  // programs, controllers, bends and exclusive messages sent before this point.
  engine_->Reset();
  // The first message at or after the position.
  std::size_t low = 0, high = messages.size();
  while (low < high) {
    const std::size_t middle = low + (high - low) / 2;
    if (messages[middle].seconds < position_) low = middle + 1;
    else high = middle;
  }
  next_ = low;
  if (position_ > 0) {
    for (std::size_t i = 0; i < next_; ++i)
      if (!IsNoteMessage(messages[i].bytes)) engine_->Send(messages[i].bytes);
  }
  StartClockLocked();
  playing_ = true;
  stopRequested_ = false;
  startPosition_ = position_;
  startClock_ = Clock::now();
  thread_ = std::thread(&MidiFilePlayer::Run, this);
}

MediaPlayer::Mode MidiFilePlayer::GetMode() const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!sequence_) return Mode::NotOpen;
  return playing_ ? Mode::Playing : Mode::Stopped;
}

void MidiFilePlayer::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!playing_) return;
    stopRequested_ = true;
  }
  wake_.notify_all();
  JoinThread();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    position_ = std::min(ElapsedLocked(), sequence_->lengthSeconds);
    playing_ = false;
    stopRequested_ = false;
    StopClockLocked();
  }
  engine_->ReleaseAll();
}

double MidiFilePlayer::PositionSeconds() const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!sequence_) return 0;
  return playing_ ? std::min(ElapsedLocked(), sequence_->lengthSeconds) : position_;
}

void MidiFilePlayer::SetPosition(double seconds) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!sequence_ || playing_) return;
  position_ = std::clamp(seconds, 0.0, sequence_->lengthSeconds);
}

void MidiFilePlayer::SetLooping(bool on) {
  std::lock_guard<std::mutex> lock(mutex_);
  looping_ = on;
}

void MidiFilePlayer::SetMidiClock(bool on) {
  std::lock_guard<std::mutex> lock(mutex_);
  midiClock_ = on;
}

bool MidiFilePlayer::Looping() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return looping_;
}

// The file is read outside the lock: the sounding pass must not wait for it.
bool MidiFilePlayer::QueueNextPass(const std::string& fileName) {
  if (GetMode() != Mode::Playing) return false;
  MidiSequence sequence;
  try {
    sequence = LoadMidiFile(fileName);
  } catch (const SmfError&) {
    return false;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  if (!playing_ || !looping_) return false;
  queued_ = std::move(sequence);
  queuedFile_ = fileName;
  return true;
}

double MidiFilePlayer::LengthSeconds() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return sequence_ ? sequence_->lengthSeconds : 0;
}

std::string MidiFilePlayer::OpenedFile() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return sequence_ ? openedFile_ : std::string();
}

double MidiFilePlayer::ElapsedLocked() const {
  return startPosition_ + std::chrono::duration<double>(Clock::now() - startClock_).count();
}

// From the start of the file the gear starts with it; from a later position
// it is placed at a sixteenth (ResumeClockAt) and continues from there. A
// position beyond what the pointer can name sends nothing: the gear stays
// stopped until a pass of a loop starts it.
void MidiFilePlayer::StartClockLocked() {
  clock_.reset();
  if (!midiClock_) return;
  clock_.emplace(*sequence_);
  nextClock_ = 0;
  if (position_ <= 0) {
    SendByte(*engine_, MidiStart);
    return;
  }
  const std::optional<ClockResume> resume = ResumeClockAt(*clock_, position_);
  if (!resume) {
    nextClock_ = clock_->Count();
    return;
  }
  const std::uint8_t pointer[] = {MidiSongPosition, static_cast<std::uint8_t>(resume->sixteenths & 0x7F),
                                  static_cast<std::uint8_t>(resume->sixteenths >> 7)};
  engine_->Send(pointer);
  SendByte(*engine_, MidiContinue);
  nextClock_ = resume->clock;
}

void MidiFilePlayer::StopClockLocked() {
  if (!clock_) return;
  SendByte(*engine_, MidiStop);
  clock_.reset();
}

// Seconds of the next clock of the pass; infinity when none is left.
double MidiFilePlayer::NextClockLocked() const {
  if (!clock_ || nextClock_ >= clock_->Count()) return std::numeric_limits<double>::infinity();
  return clock_->Seconds(nextClock_);
}

// Clocks and messages due by `now`, in time order; a clock goes before the
// messages of its moment, so that gear counting the beat has it first.
void MidiFilePlayer::SendDueLocked(double now) {
  const MessageList& messages = sequence_->messages;
  while (true) {
    const double clock = NextClockLocked();
    const bool messageDue = next_ < messages.size() && messages[next_].seconds <= now;
    if (clock <= now && (!messageDue || clock <= messages[next_].seconds)) {
      SendByte(*engine_, MidiTimingClock);
      ++nextClock_;
    } else if (messageDue) {
      engine_->Send(messages[next_++].bytes);
    } else {
      return;
    }
  }
}

void MidiFilePlayer::JoinThread() {
  if (thread_.joinable()) thread_.join();
}

// The player thread: sleeps until the next message is due (or a stop request
// wakes it), sends everything due, and at the end of the file leaves the
// player stopped at its end. Looping, it starts again instead, as a new Play
// would (a clean synthesizer, the file's first message), with its clock
// running on from the moment the file ended, so that the passes keep time.
// A queued file takes the open file's place there. With beat clock each pass
// starts with Start; the pass's last clock lies before its end and the next
// pass's first on it, so the clock keeps its spacing across the seam.
void MidiFilePlayer::Run() {
  AskForRealTimePriority();
  std::unique_lock<std::mutex> lock(mutex_);
  const MessageList& messages = sequence_->messages;  // the same object when a queued file moves in
  double length = sequence_->lengthSeconds;
  while (true) {
    const double clockDue = NextClockLocked();
    const double due = std::min(next_ < messages.size() ? messages[next_].seconds : length, clockDue);
    // Waits of more than a day are cut short (and resumed), so that no file's
    // times can overflow the clock's integer nanoseconds.
    const double toDue = due - startPosition_;
    const double wait = std::min(toDue, ElapsedLocked() - startPosition_ + MaxWaitSeconds);
    const auto deadline =
        startClock_ + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(wait));
    if (wake_.wait_until(lock, deadline, [this] { return stopRequested_; })) return;
    if (wait < toDue) continue;
    if (next_ >= messages.size() && clockDue == std::numeric_limits<double>::infinity()) {
      if (!looping_ || length < MinLoopSeconds) break;
      startClock_ += std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(length - startPosition_));
      startPosition_ = 0;
      next_ = 0;
      if (queued_) {
        sequence_ = std::move(*queued_);
        queued_.reset();
        openedFile_ = queuedFile_;
        length = sequence_->lengthSeconds;
      }
      engine_->Reset();
      if (clock_) {
        clock_.emplace(*sequence_);
        nextClock_ = 0;
        SendByte(*engine_, MidiStart);
      }
      continue;
    }
    SendDueLocked(ElapsedLocked());
  }
  playing_ = false;
  position_ = length;
  StopClockLocked();
}

}  // namespace vlm
