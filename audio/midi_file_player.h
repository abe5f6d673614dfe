#pragma once
// The media player of the play commands: opens a MIDI file and plays it on a
// SoundEngine from a thread of its own, so Play returns at once. Our own
// scheduler sends every message at its time, whatever the number of tracks.
//
// Called from one thread (the user interface's); the player thread only
// sends messages and notices the end of the file.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "audio/midi_clock.h"
#include "audio/midi_sequence.h"
#include "audio/sound_engine.h"
#include "common/media_player.h"

namespace vlm {

class MidiFilePlayer final : public MediaPlayer {
 public:
  // Makes the engine; throws MediaError (AudioDeviceError for the audio output).
  using EngineFactory = std::function<std::unique_ptr<SoundEngine>()>;

  // The engine is made by the first Open that reads its file, and kept.
  explicit MidiFilePlayer(EngineFactory makeEngine);
  ~MidiFilePlayer() override;
  MidiFilePlayer(const MidiFilePlayer&) = delete;
  MidiFilePlayer& operator=(const MidiFilePlayer&) = delete;

  // Another output for the next Open: stops and closes the player and drops
  // the engine made so far (a MIDI port is closed, a synthesizer freed).
  void SetEngineFactory(EngineFactory makeEngine);

  // Makes the engine now instead of at the first Open, so that a missing
  // audio device shows before any other work; throws like Open.
  void PrepareEngine();

  void Close() override;
  void SetFileName(const std::string& fileName) override;
  // Reads the whole file (an open file is closed first). On failure throws
  // MediaError with the reason and stays closed.
  void Open() override;
  // From the current position; from the start after Open or at the end of the
  // file. Nothing happens while closed or already playing.
  void Play() override;
  Mode GetMode() const override;
  // Silences every note and keeps the position; nothing happens unless playing.
  void Stop() override;

  double PositionSeconds() const override;  // where playing is or stopped; 0 while closed
  double LengthSeconds() const override;    // of the open file; 0 while closed
  std::string OpenedFile() const override;
  // Taken up at once, also by a file that is playing. A file shorter than
  // MinLoopSeconds plays once: looping it would only make a buzz, and a
  // file of no length would keep the thread busy.
  void SetLooping(bool on) override;
  bool Looping() const override;
  bool QueueNextPass(const std::string& fileName) override;
  void SetPosition(double seconds) override;
  static constexpr double MinLoopSeconds = 0.05;

  // MIDI beat clock with the sound, from the next Play on: Start (or Song
  // Position Pointer and Continue from a later position), Timing Clock 24
  // times a quarter note, Start again at each pass of a loop, Stop when
  // playing stops. Only for an engine that is a MIDI destination.
  void SetMidiClock(bool on);

 private:
  using Clock = std::chrono::steady_clock;
  void Run();
  void JoinThread();
  double ElapsedLocked() const;
  void StartClockLocked();
  void StopClockLocked();
  double NextClockLocked() const;
  void SendDueLocked(double now);

  EngineFactory makeEngine_;
  std::unique_ptr<SoundEngine> engine_;  // made by the first successful Open
  std::string fileName_;                 // what the next Open reads
  std::string openedFile_;               // what the last Open read

  mutable std::mutex mutex_;             // guards the fields below
  std::optional<MidiSequence> sequence_; // the open file; unset while closed. Only a queued pass
                                         // replaces it while the thread runs
  std::optional<MidiSequence> queued_;   // QueueNextPass: the file the next pass plays
  std::string queuedFile_;               // and its name
  std::condition_variable wake_;         // wakes the thread for a stop request
  std::thread thread_;                   // runs while playing; joined by Stop, Play, Open and Close
  bool playing_ = false;                 // the thread is sending; cleared at the end of the file
  bool stopRequested_ = false;           // asks the thread to return at once
  bool looping_ = false;                 // SetLooping
  bool midiClock_ = false;               // SetMidiClock
  std::optional<ClockSchedule> clock_;   // the clocks of the pass playing; unset without beat clock
  std::size_t nextClock_ = 0;            // index of the next clock to send
  std::size_t next_ = 0;                 // index of the next message to send
  double position_ = 0;                  // seconds; the position while not playing
  double startPosition_ = 0;             // seconds; the position at which the last Play started
  Clock::time_point startClock_;         // when the last Play started
};

}  // namespace vlm
