// The ALSA sequencer backend: each short message becomes one sequencer event sent directly
// (unqueued) to the port's subscribers. Entry point: OpenAlsaSequencer.
#include "native/midi/alsaseq.h"

#include <alsa/asoundlib.h>

#include "native/midi/heldnotes.h"
#include "native/midi/shortmessage.h"

namespace midi {
namespace {

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

class AlsaSequencer final : public MidiBackend {
 public:
  AlsaSequencer(snd_seq_t* seq, int port, snd_midi_event_t* encoder)
      : seq_(seq), port_(port), encoder_(encoder) {}
  ~AlsaSequencer() override {
    ReleaseHeldNotes();
    snd_seq_drain_output(seq_);
    snd_midi_event_free(encoder_);
    snd_seq_close(seq_);
  }
  AlsaSequencer(const AlsaSequencer&) = delete;
  AlsaSequencer& operator=(const AlsaSequencer&) = delete;

  MMRESULT Send(uint32_t word) override {
    const ShortMessage message = DecodeShortMessage(word, runningStatus_);
    if (message.length == 0) return MMSYSERR_INVALPARAM;
    held_.Track(message);
    return Output(message);
  }

 private:
  MMRESULT Output(const ShortMessage& message) {
    const unsigned char bytes[3] = {message.status, message.data1, message.data2};
    snd_seq_event_t event;
    snd_seq_ev_clear(&event);
    snd_midi_event_reset_encode(encoder_);
    if (snd_midi_event_encode(encoder_, bytes, message.length, &event) < 0 ||
        event.type == SND_SEQ_EVENT_NONE) {
      return MMSYSERR_INVALPARAM;
    }
    snd_seq_ev_set_source(&event, port_);
    snd_seq_ev_set_subs(&event);
    snd_seq_ev_set_direct(&event);
    return snd_seq_event_output_direct(seq_, &event) >= 0 ? MMSYSERR_NOERROR : MMSYSERR_ERROR;
  }

  // An instrument behind the port keeps sounding after we are gone: end what we started.
  void ReleaseHeldNotes() {
    for (const auto& [channel, note] : held_.Sounding()) {
      ShortMessage off;
      off.status = static_cast<uint8_t>(0x80 | channel);
      off.data1 = note;
      off.data2 = 64;
      off.length = 3;
      Output(off);
    }
  }

  snd_seq_t* seq_;
  int port_;
  snd_midi_event_t* encoder_;
  uint8_t runningStatus_ = 0;
  HeldNotes held_;
};

std::string AlsaProblem(const std::string& what, int code) {
  return what + ": " + snd_strerror(code);
}

// Connects our port to the address; false with a message when it is not there.
bool ConnectTo(snd_seq_t* seq, int port, const std::string& address, std::string& error) {
  snd_seq_addr_t target;
  int code = snd_seq_parse_address(seq, &target, address.c_str());
  if (code < 0) {
    error = AlsaProblem("no ALSA sequencer port \"" + address + "\"", code);
    return false;
  }
  code = snd_seq_connect_to(seq, port, target.client, target.port);
  if (code < 0) {
    error = AlsaProblem("cannot connect to ALSA sequencer port \"" + address + "\"", code);
    return false;
  }
  return true;
}

}  // namespace

QuietAlsaLibrary::QuietAlsaLibrary() { snd_lib_error_set_handler(IgnoreAlsaError); }
QuietAlsaLibrary::~QuietAlsaLibrary() { snd_lib_error_set_handler(nullptr); }

std::unique_ptr<MidiBackend> OpenAlsaSequencer(const std::string& address, std::string& error) {
  QuietAlsaLibrary quiet;
  snd_seq_t* seq = nullptr;
  int code = snd_seq_open(&seq, "default", SND_SEQ_OPEN_OUTPUT, 0);
  if (code < 0) {
    error = AlsaProblem("cannot open the ALSA sequencer", code);
    return nullptr;
  }
  snd_seq_set_client_name(seq, "Armonix");
  const int port = snd_seq_create_simple_port(
      seq, "Armonix MIDI out", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
      SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
  snd_midi_event_t* encoder = nullptr;
  if (port < 0 || (code = snd_midi_event_new(16, &encoder)) < 0) {
    error = AlsaProblem("cannot create an ALSA sequencer port", port < 0 ? port : code);
    snd_seq_close(seq);
    return nullptr;
  }
  if (!address.empty() && !ConnectTo(seq, port, address, error)) {
    snd_midi_event_free(encoder);
    snd_seq_close(seq);
    return nullptr;
  }
  return std::make_unique<AlsaSequencer>(seq, port, encoder);
}

}  // namespace midi
