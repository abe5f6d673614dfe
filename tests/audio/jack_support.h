#pragma once
// For the MIDI-out tests: a real JACK server with its dummy backend (no sound
// card needed), a recorder of what reaches a port of it (jack_midi_dump -a),
// and the notes of a MIDI file as midicsv, an independent reader, lists them.

#include <sys/types.h>

#include <string>
#include <vector>

namespace vlmtest {

// A MIDI message and its time: "90 3c 64" in lower-case hex.
struct TimedMessage {
  double seconds = 0;
  std::string hex;
  bool IsNote() const { return hex[0] == '8' || hex[0] == '9'; }
};

// jackd -d dummy under a name of its own, made the default server of this
// process and of the programs it starts (JACK_DEFAULT_SERVER); stopped by its
// process id when the object goes.
class JackServer {
 public:
  static constexpr int SampleRate = 48000;
  JackServer();
  ~JackServer();
  bool Running() const { return error_.empty(); }
  const std::string& Error() const { return error_; }  // why it did not come up

 private:
  pid_t pid_ = -1;
  std::string error_;
};

// jack_midi_dump -a as client `name`, listening on NAME:input.
class MidiRecorder {
 public:
  explicit MidiRecorder(const std::string& name);
  ~MidiRecorder();
  bool Running() const { return pid_ > 0; }
  std::string Port() const { return name_ + ":input"; }
  std::vector<TimedMessage> Received() const;  // in order of arrival, times in the server's frames

 private:
  std::string name_, file_;
  pid_t pid_ = -1;
};

// The note ons and offs of a file with one tempo, in file order, timed
// through that tempo.
std::vector<TimedMessage> FileNotes(const std::string& file);

// How far the furthest of a phrase's arrival offsets lies from their median:
// the lateness that matters, with the whole phrase's offset (the server's
// start, the pipe) aside.
double WorstDeviationFromMedian(std::vector<double> offsets);

}  // namespace vlmtest
