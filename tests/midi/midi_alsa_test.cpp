// The ALSA sequencer backend: where the machine has a sequencer (/dev/snd/seq), a second
// client connected to our port receives the events, and notes left sounding are released
// when the device closes; everywhere, a missing sequencer or a port that is not there
// switches MIDI off with one line.
#include <alsa/asoundlib.h>
#include <unistd.h>

#include "tests/midi/midi_fixture.h"

namespace {

using MidiAlsaTest = MidiOutTest;
using ::testing::internal::CaptureStderr;
using ::testing::internal::GetCapturedStderr;

bool HaveSequencer() { return access("/dev/snd/seq", R_OK | W_OK) == 0; }

// A client with one writable port, standing in for a synthesizer.
struct Listener {
  snd_seq_t* seq = nullptr;
  int port = -1;
  Listener() {
    if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_INPUT, SND_SEQ_NONBLOCK) < 0) return;
    port = snd_seq_create_simple_port(seq, "listener",
                                      SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE,
                                      SND_SEQ_PORT_TYPE_APPLICATION);
  }
  ~Listener() {
    if (seq != nullptr) snd_seq_close(seq);
  }
  std::string Address() const {
    return std::to_string(snd_seq_client_id(seq)) + ":" + std::to_string(port);
  }
  // The next event, waiting up to two seconds rather than blocking a broken run forever.
  snd_seq_event_t* Next() {
    for (int attempt = 0; attempt < 200; ++attempt) {
      snd_seq_event_t* event = nullptr;
      if (snd_seq_event_input(seq, &event) >= 0 && event != nullptr) return event;
      usleep(10000);
    }
    return nullptr;
  }
};

TEST_F(MidiAlsaTest, ConnectedClientReceivesNotesAndProgramChanges) {
  if (!HaveSequencer()) GTEST_SKIP() << "no ALSA sequencer here (/dev/snd/seq is missing)";
  Listener listener;
  ASSERT_GE(listener.port, 0);
  Use("alsa:" + listener.Address());
  HMIDIOUT h = OpenOrFail();
  midiOutShortMsg(h, 0x000001C2);
  midiOutShortMsg(h, 0x00643C90);
  midiOutShortMsg(h, 0x00403C80);
  midiOutShortMsg(h, 0x007F3E90);  // left sounding: closing must release it
  midiOutClose(h);
  snd_seq_event_t* event = listener.Next();
  ASSERT_NE(event, nullptr);
  EXPECT_EQ(event->type, SND_SEQ_EVENT_PGMCHANGE);
  EXPECT_EQ(event->data.control.channel, 2);
  EXPECT_EQ(event->data.control.value, 1);
  event = listener.Next();
  ASSERT_NE(event, nullptr);
  EXPECT_EQ(event->type, SND_SEQ_EVENT_NOTEON);
  EXPECT_EQ(event->data.note.note, 60);
  EXPECT_EQ(event->data.note.velocity, 100);
  event = listener.Next();
  ASSERT_NE(event, nullptr);
  EXPECT_EQ(event->type, SND_SEQ_EVENT_NOTEOFF);
  EXPECT_EQ(event->data.note.velocity, 64);
  event = listener.Next();
  ASSERT_NE(event, nullptr);
  EXPECT_EQ(event->type, SND_SEQ_EVENT_NOTEON);
  event = listener.Next();
  ASSERT_NE(event, nullptr);
  EXPECT_EQ(event->type, SND_SEQ_EVENT_NOTEOFF) << "the held note is released at close";
  EXPECT_EQ(event->data.note.note, 62);
}

TEST_F(MidiAlsaTest, AnAddressThatIsNotThereSwitchesMidiOff) {
  if (!HaveSequencer()) GTEST_SKIP() << "no ALSA sequencer here (/dev/snd/seq is missing)";
  Use("alsa:No Such Synthesizer:0");
  HMIDIOUT h = nullptr;
  CaptureStderr();
  EXPECT_EQ(midiOutOpen(&h, 0, 0, 0, CALLBACK_NULL), MMSYSERR_NODRIVER);
  const std::string err = GetCapturedStderr();
  EXPECT_EQ(err.rfind("MIDI output off: no ALSA sequencer port \"No Such Synthesizer:0\": ", 0),
            0u) << err;
}

TEST_F(MidiAlsaTest, WithoutASequencerMidiIsOffWithOneLine) {
  if (HaveSequencer()) GTEST_SKIP() << "this machine has an ALSA sequencer";
  Use("alsa");
  HMIDIOUT h = nullptr;
  CaptureStderr();
  EXPECT_EQ(midiOutOpen(&h, 0, 0, 0, CALLBACK_NULL), MMSYSERR_NODRIVER);
  EXPECT_EQ(GetCapturedStderr(),
            "MIDI output off: cannot open the ALSA sequencer: No such file or directory\n");
}

}  // namespace
