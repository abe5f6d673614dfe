#include "audio/midi_out.h"

#include <unistd.h>

#include <algorithm>
#include <bitset>
#include <cctype>
#include <cstdlib>

#include "audio/rtmidi_library.h"

namespace vlm {

namespace {

constexpr const char* AlsaSequencerDevice = "/dev/snd/seq";
constexpr const char* ClientName = "Vorlumi3";
constexpr const char* OwnPortName = "out";  // our side of a connection to a destination

const char* SystemName(MidiSystem system) {
  return system == MidiSystem::Jack ? "JACK" : "the ALSA sequencer";
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// One RtMidi output object, freed with its scope. RtMidi's C interface keeps
// a failure in `ok` only; its text may point into a destroyed exception, so
// our messages are our own.
class RtMidiOut {
 public:
  explicit RtMidiOut(MidiSystem system) : rtmidi_(RtMidi()), system_(system) {
    QuietJackLog();
    // RtMidi's ALSA side crashes on freeing a client it could not open.
    if (system == MidiSystem::AlsaSequencer && access(AlsaSequencerDevice, R_OK | W_OK) != 0)
      throw MediaError(std::string("There is no ALSA sequencer here (") + AlsaSequencerDevice +
                       " is missing or not usable); unset " + MidiSystemVariable + " to use JACK.");
    if (system == MidiSystem::Jack && !JackServerRunning())
      throw MediaError("No JACK server is running, so there is no MIDI destination to send to. Start one "
                       "(for example \"jackd -d dummy\", or the one a DAW starts) and try again.");
    device_ = rtmidi_.rtmidi_out_create(system == MidiSystem::Jack ? RTMIDI_API_UNIX_JACK : RTMIDI_API_LINUX_ALSA,
                                        ClientName);
    if (!device_ || !device_->ok || !device_->ptr) {
      Free();
      throw MediaError(std::string("MIDI out through ") + SystemName(system) + " could not be started.");
    }
  }
  ~RtMidiOut() { Free(); }
  RtMidiOut(const RtMidiOut&) = delete;
  RtMidiOut& operator=(const RtMidiOut&) = delete;

  std::vector<std::string> Ports() {
    std::vector<std::string> ports;
    const unsigned count = rtmidi_.rtmidi_get_port_count(device_);
    for (unsigned i = 0; i < count; ++i) {
      int length = 0;
      rtmidi_.rtmidi_get_port_name(device_, i, nullptr, &length);  // asks for the size, terminator included
      std::string name(static_cast<std::size_t>(std::max(length, 1)), '\0');
      if (rtmidi_.rtmidi_get_port_name(device_, i, name.data(), &length) < 0) continue;
      name.resize(name.find('\0') == std::string::npos ? name.size() : name.find('\0'));
      ports.push_back(name);
    }
    return ports;
  }

  void OpenPort(unsigned index, const std::string& name) {
    rtmidi_.rtmidi_open_port(device_, index, OwnPortName);
    if (!device_->ok) throw MediaError("The MIDI destination \"" + name + "\" could not be opened.");
  }

  void OpenVirtualPort() {
    rtmidi_.rtmidi_open_virtual_port(device_, VirtualPortName);
    if (!device_->ok)
      throw MediaError(std::string("The MIDI port \"") + VirtualPortName + "\" could not be made in " +
                       SystemName(system_) + ".");
  }

  void Send(std::span<const std::uint8_t> message) {
    rtmidi_.rtmidi_out_send_message(device_, message.data(), static_cast<int>(message.size()));
  }

 private:
  void Free() {
    if (device_) rtmidi_.rtmidi_out_free(device_);
    device_ = nullptr;
  }

  const RtMidiLibrary& rtmidi_;
  MidiSystem system_;
  RtMidiOutPtr device_ = nullptr;
};

std::string PortList(const std::vector<std::string>& ports) {
  if (ports.empty()) return "There are no MIDI destinations.";
  std::string list = "The MIDI destinations are:";
  for (const std::string& port : ports) list += "\n  " + port;
  return list;
}

class MidiOutEngine final : public SoundEngine {
 public:
  MidiOutEngine(MidiSystem system, const std::string& wanted) : out_(system) {
    if (wanted == VirtualDestination) {
      out_.OpenVirtualPort();
      return;
    }
    const std::vector<std::string> ports = out_.Ports();
    const std::string name = ChooseMidiPort(ports, wanted);
    const auto index = static_cast<unsigned>(std::find(ports.begin(), ports.end(), name) - ports.begin());
    out_.OpenPort(index, name);
  }

  void Send(std::span<const std::uint8_t> message) override {
    if (message.empty()) return;
    if (message[0] >= 0x80 && message[0] < 0xF0) used_.set(message[0] & 0x0F);
    out_.Send(message);
  }

  // A receiver keeps sounding whatever it was told last, so every channel we
  // played on is silenced by name.
  void ReleaseAll() override {
    for (int channel = 0; channel < 16; ++channel) {
      if (!used_.test(channel)) continue;
      SendControl(channel, 123, 0);  // all notes off
      SendControl(channel, 120, 0);  // all sound off
    }
  }

  // Programs cannot be reset by a message; controllers and bends can (CC 121).
  void Reset() override {
    ReleaseAll();
    for (int channel = 0; channel < 16; ++channel)
      if (used_.test(channel)) SendControl(channel, 121, 0);
  }

 private:
  void SendControl(int channel, std::uint8_t controller, std::uint8_t value) {
    const std::uint8_t message[] = {static_cast<std::uint8_t>(0xB0 | channel), controller, value};
    out_.Send(message);
  }

  RtMidiOut out_;
  std::bitset<16> used_;  // channels a channel message went to
};

}  // namespace

MidiSystem ChooseMidiSystem(std::string* why) {
  const char* chosen = std::getenv(MidiSystemVariable);
  const std::string word = chosen ? Lower(chosen) : "";
  MidiSystem system = MidiSystem::Jack;
  std::string reason;
  if (word == "alsa" || word == "jack") {
    system = word == "jack" ? MidiSystem::Jack : MidiSystem::AlsaSequencer;
    reason = std::string("chosen by ") + MidiSystemVariable;
  } else if (access(AlsaSequencerDevice, R_OK | W_OK) == 0) {
    system = MidiSystem::AlsaSequencer;
  } else {
    reason = std::string("no ALSA sequencer here: ") + AlsaSequencerDevice + " is missing";
  }
  if (!word.empty() && word != "alsa" && word != "jack")
    reason += (reason.empty() ? "" : "; ") + std::string(MidiSystemVariable) + " wants alsa or jack, not " + chosen;
  if (why) *why = std::string("MIDI out through ") + SystemName(system) + (reason.empty() ? "" : " (" + reason + ")");
  return system;
}

std::vector<std::string> ListMidiOutputs(MidiSystem system) { return RtMidiOut(system).Ports(); }

std::string ChooseMidiPort(const std::vector<std::string>& ports, const std::string& wanted) {
  if (std::find(ports.begin(), ports.end(), wanted) != ports.end()) return wanted;
  std::vector<std::string> matches;
  const std::string part = Lower(wanted);
  for (const std::string& port : ports)
    if (!part.empty() && Lower(port).find(part) != std::string::npos) matches.push_back(port);
  if (matches.size() == 1) return matches.front();
  if (matches.empty()) throw MidiPortError("No MIDI destination is named \"" + wanted + "\". " + PortList(ports));
  throw MidiPortError("Several MIDI destinations match \"" + wanted + "\"; name one of them. " + PortList(matches));
}

std::unique_ptr<SoundEngine> OpenMidiOutput(MidiSystem system, const std::string& wanted) {
  return std::make_unique<MidiOutEngine>(system, wanted);
}

std::unique_ptr<MidiFilePlayer> MakeMidiOutPlayer(MidiSystem system, const std::string& wanted) {
  return std::make_unique<MidiFilePlayer>([system, wanted] { return OpenMidiOutput(system, wanted); });
}

}  // namespace vlm
