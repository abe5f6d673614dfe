#pragma once
// The media player the play commands drive: open a MIDI file and play it
// without waiting. The desktop program and the command-line tools use the
// FluidSynth implementation in audio/; tests use a fake.

#include <stdexcept>
#include <string>

namespace vlm {

// A failed open, carrying the player's own text (what is missing and how to get it).
class MediaError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class MediaPlayer {
 public:
  enum class Mode { NotOpen, Stopped, Playing };

  virtual ~MediaPlayer() = default;
  virtual void Close() = 0;                                   // stops and closes any open file
  virtual void SetFileName(const std::string& fileName) = 0;  // file the next Open opens
  virtual void Open() = 0;                                    // throws MediaError
  virtual void Play() = 0;                                    // from the current position; returns at once
  virtual Mode GetMode() const = 0;                           // only Playing is tested by callers
  virtual void Stop() = 0;                                    // stops; the file stays open
  // Where playing is (or stopped), and the open file's length; 0 while closed.
  // A status line or a playhead reads these on a timer, so they follow the sound.
  virtual double PositionSeconds() const { return 0; }
  virtual double LengthSeconds() const { return 0; }
  // The file the last Open read, while it is open; empty while closed, or
  // from a player that does not tell. A view of one file shows a playhead
  // only while that file sounds.
  virtual std::string OpenedFile() const { return {}; }
  // On: each time the file ends it plays again from its start, until
  // stopped, so that a phrase can be heard over and over while its settings
  // change. A player that cannot loop plays once.
  virtual void SetLooping(bool) {}
  virtual bool Looping() const { return false; }
  // While a loop plays: reads fileName now, and the passes from the next one
  // on play it instead of the file sounding, so that an edit is heard without
  // breaking the loop's time. False (nothing changes) when no loop is
  // playing, when the file cannot be read, or from a player that cannot.
  virtual bool QueueNextPass(const std::string&) { return false; }
  // Where the next Play of the open file starts, in seconds from its start
  // (clamped to the file); nothing happens while playing or closed. A
  // player that cannot start in the middle starts at the beginning.
  virtual void SetPosition(double) {}
};

}  // namespace vlm
