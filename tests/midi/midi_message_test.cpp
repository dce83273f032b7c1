// Decoding of packed short messages and parsing of ARMONIX_MIDI.
#include <gtest/gtest.h>

#include "native/midi/heldnotes.h"
#include "native/midi/midiconfig.h"
#include "native/midi/shortmessage.h"

namespace {

struct DecodeCase {
  const char* what;
  uint8_t runningBefore;
  uint32_t word;
  uint8_t status, data1, data2, length;
  uint8_t runningAfter;
};

const DecodeCase kDecodeCases[] = {
    {"note on", 0, 0x00643C90, 0x90, 60, 100, 3, 0x90},
    {"note off, release 64", 0, 0x00403C80, 0x80, 60, 64, 3, 0x80},
    {"program change has one data byte", 0, 0x000001C2, 0xC2, 1, 0, 2, 0xC2},
    {"program change ignores the third byte", 0, 0x007F05C3, 0xC3, 5, 0, 2, 0xC3},
    {"data bytes lose their top bit", 0, 0x00FFBC90, 0x90, 0x3C, 0x7F, 3, 0x90},
    {"the top byte is ignored", 0, 0xAB643C91, 0x91, 60, 100, 3, 0x91},
    {"pitch bend", 0, 0x00400DE0, 0xE0, 0x0D, 0x40, 3, 0xE0},
    {"channel pressure", 0, 0x000030D4, 0xD4, 0x30, 0, 2, 0xD4},
    {"running status: data in the low byte", 0x93, 0x00007F3E, 0x93, 0x3E, 0x7F, 3, 0x93},
    {"running status of a two-byte message", 0xC1, 0x00000007, 0xC1, 7, 0, 2, 0xC1},
    {"data byte without running status", 0, 0x0000403C, 0, 0, 0, 0, 0},
    {"system exclusive start cannot travel", 0x90, 0x000000F0, 0, 0, 0, 0, 0x90},
    {"system exclusive end cannot travel", 0x90, 0x000000F7, 0, 0, 0, 0, 0x90},
    {"real time keeps running status", 0x90, 0x000000F8, 0xF8, 0, 0, 1, 0x90},
    {"system reset keeps running status", 0x90, 0x000000FF, 0xFF, 0, 0, 1, 0x90},
    {"song position cancels running status", 0x90, 0x00102AF2, 0xF2, 0x2A, 0x10, 3, 0},
    {"song select cancels running status", 0x90, 0x000003F3, 0xF3, 3, 0, 2, 0},
};

TEST(ShortMessageTest, DecodesEveryKindOfWord) {
  for (const DecodeCase& c : kDecodeCases) {
    SCOPED_TRACE(c.what);
    uint8_t running = c.runningBefore;
    const midi::ShortMessage m = midi::DecodeShortMessage(c.word, running);
    EXPECT_EQ(m.status, c.status);
    EXPECT_EQ(m.data1, c.data1);
    EXPECT_EQ(m.data2, c.data2);
    EXPECT_EQ(m.length, c.length);
    EXPECT_EQ(running, c.runningAfter);
  }
}

TEST(ShortMessageTest, NoteOnWithVelocityZeroIsANoteOff) {
  uint8_t running = 0;
  EXPECT_TRUE(midi::DecodeShortMessage(0x00003C90, running).IsNoteOff());
  EXPECT_TRUE(midi::DecodeShortMessage(0x00403C85, running).IsNoteOff());
  EXPECT_FALSE(midi::DecodeShortMessage(0x00013C90, running).IsNoteOff());
  EXPECT_FALSE(midi::DecodeShortMessage(0x000000B0, running).IsNoteOff());
  EXPECT_EQ(midi::DecodeShortMessage(0x00403C8F, running).Channel(), 15);
}

// Feeds words through the decoder into the tracker, as a backend does.
std::vector<std::pair<uint8_t, uint8_t>> SoundingAfter(std::initializer_list<uint32_t> words) {
  midi::HeldNotes held;
  uint8_t running = 0;
  for (uint32_t word : words) held.Track(midi::DecodeShortMessage(word, running));
  return held.Sounding();
}

using Notes = std::vector<std::pair<uint8_t, uint8_t>>;

TEST(HeldNotesTest, FollowsNotesUntilSomethingEndsThem) {
  EXPECT_EQ(SoundingAfter({}), Notes{});
  EXPECT_EQ(SoundingAfter({0x007F3C90, 0x007F4091, 0x007F3C90}), (Notes{{0, 60}, {1, 64}}));
  EXPECT_EQ(SoundingAfter({0x007F3C90, 0x00403C80}), Notes{}) << "note off";
  EXPECT_EQ(SoundingAfter({0x007F3C90, 0x00003C90}), Notes{}) << "velocity 0";
  EXPECT_EQ(SoundingAfter({0x007F3C90, 0x0000003C}), Notes{}) << "running-status note off";
  EXPECT_EQ(SoundingAfter({0x007F3C90, 0x00403C81}), (Notes{{0, 60}})) << "other channel";
  EXPECT_EQ(SoundingAfter({0x007F3C90, 0x007F3C91, 0x00007BB0}), (Notes{{1, 60}}))
      << "All Notes Off ends its own channel only";
  EXPECT_EQ(SoundingAfter({0x007F3C90, 0x000078B0}), Notes{}) << "All Sound Off";
  EXPECT_EQ(SoundingAfter({0x007F3C90, 0x00007FB0}), Notes{}) << "poly mode on";
  EXPECT_EQ(SoundingAfter({0x007F3C90, 0x00007AB0}), (Notes{{0, 60}})) << "local control";
  EXPECT_EQ(SoundingAfter({0x007F3C90, 0x007F3C9F, 0x000000FF}), Notes{}) << "system reset";
}

struct ConfigCase {
  const char* text;
  bool ok;
  midi::BackendKind kind;
  const char* argumentOrError;
};

const ConfigCase kConfigCases[] = {
    {nullptr, true, midi::BackendKind::kSynth, ""},
    {"", true, midi::BackendKind::kSynth, ""},
    {"synth", true, midi::BackendKind::kSynth, ""},
    {"synth:", true, midi::BackendKind::kSynth, ""},
    {"synth:/opt/fonts/My GM.sf2", true, midi::BackendKind::kSynth, "/opt/fonts/My GM.sf2"},
    {"alsa", true, midi::BackendKind::kAlsa, ""},
    {"alsa:128:0", true, midi::BackendKind::kAlsa, "128:0"},
    {"alsa:FLUID Synth:0", true, midi::BackendKind::kAlsa, "FLUID Synth:0"},
    {"record:out.txt", true, midi::BackendKind::kRecord, "out.txt"},
    {"record:C:/a:b", true, midi::BackendKind::kRecord, "C:/a:b"},
    {"none", true, midi::BackendKind::kNone, ""},
    {"record", false, midi::BackendKind::kSynth,
     "ARMONIX_MIDI=record: record needs a file name (record:FILE)"},
    {"record:", false, midi::BackendKind::kSynth,
     "ARMONIX_MIDI=record:: record needs a file name (record:FILE)"},
    {"none:x", false, midi::BackendKind::kSynth, "ARMONIX_MIDI=none:x: none takes no argument"},
    {"Synth", false, midi::BackendKind::kSynth,
     "ARMONIX_MIDI=Synth: unknown backend \"Synth\" (expected synth[:FILE.sf2], "
     "alsa[:CLIENT:PORT], record:FILE or none)"},
    {"wav:x.wav", false, midi::BackendKind::kSynth,
     "ARMONIX_MIDI=wav:x.wav: unknown backend \"wav\" (expected synth[:FILE.sf2], "
     "alsa[:CLIENT:PORT], record:FILE or none)"},
};

TEST(MidiConfigTest, ParsesBackendsAndExplainsMistakes) {
  for (const ConfigCase& c : kConfigCases) {
    SCOPED_TRACE(c.text == nullptr ? "(unset)" : c.text);
    midi::MidiConfig config;
    config.kind = midi::BackendKind::kNone;
    std::string error;
    ASSERT_EQ(midi::ParseMidiConfig(c.text, config, error), c.ok);
    if (c.ok) {
      EXPECT_EQ(config.kind, c.kind);
      EXPECT_EQ(config.argument, c.argumentOrError);
    } else {
      EXPECT_EQ(error, c.argumentOrError);
    }
  }
}

}  // namespace
