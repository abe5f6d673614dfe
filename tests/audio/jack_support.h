#pragma once
// A real JACK server for MIDI-out tests (its dummy backend, no sound card
// needed) and a recorder of what reaches a port of it (jack_midi_dump).

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vlmtest {

// jackd with the dummy backend under a name of its own, made the default
// server of this process and of the programs it starts (JACK_DEFAULT_SERVER).
// Stopped by its process id when the object goes.
class JackServer {
 public:
  static constexpr int SampleRate = 48000;
  static constexpr int PeriodFrames = 128;  // 2.7 ms: what a message may wait for its cycle

  JackServer();
  ~JackServer();
  JackServer(const JackServer&) = delete;
  JackServer& operator=(const JackServer&) = delete;

  bool Running() const { return error_.empty(); }
  const std::string& Error() const { return error_; }  // why the server did not come up

 private:
  pid_t pid_ = -1;
  std::string error_;
  std::string log_;  // jackd's own output
};

// A message as a JACK client received it.
struct ReceivedMessage {
  double seconds = 0;               // frame time / sample rate
  std::vector<std::uint8_t> bytes;  // status and data bytes
};

// jack_midi_dump -a running as client `name`; its input port is NAME:input.
class MidiRecorder {
 public:
  explicit MidiRecorder(const std::string& name);
  ~MidiRecorder();
  MidiRecorder(const MidiRecorder&) = delete;
  MidiRecorder& operator=(const MidiRecorder&) = delete;

  bool Running() const { return pid_ > 0; }
  std::string Port() const { return name_ + ":input"; }
  // What arrived so far, in order.
  std::vector<ReceivedMessage> Received() const;

 private:
  std::string name_;
  std::string file_;  // jack_midi_dump's output
  pid_t pid_ = -1;
};

// True when `port` is listed by jack_lsp within `seconds`.
bool WaitForJackPort(const std::string& port, double seconds);

}  // namespace vlmtest
