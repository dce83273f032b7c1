// Channels and the device's life: which player gets which channel, when the device opens
// and closes, silent players (no device, all channels held), and a failed open.
#include "tests/music/noteplayer_fixture.h"

namespace {

TEST_F(NotePlayerTest, ChannelsGoLowestFirstAndTheTenthPlayerGetsChannelNine) {
  std::vector<NotePlayerObject*> players = MakeMany(10);
  for (int32_t i = 0; i < 10; ++i) {
    EXPECT_EQ(players[i]->hasChannel, 1) << i;
    EXPECT_EQ(players[i]->channel, i) << i;
    EXPECT_EQ(players[i]->instrument, 0) << i;
  }
  Play(players[1], 60, 100);
  Play(players[9], 38, 90);  // channel 9: the percussion channel of General MIDI devices
  EXPECT_EQ(Recording(), (Lines{"open", "00643C91", "005A2699"}));
}

TEST_F(NotePlayerTest, SeventeenthPlayerIsSilentAndAFreedChannelIsNotHandedToIt) {
  std::vector<NotePlayerObject*> players = MakeMany(16);
  NotePlayerObject* seventeenth = Make();
  EXPECT_EQ(seventeenth->hasChannel, 0);
  EXPECT_EQ(music::MidiPlayerCount(), 17);

  Destroy(players[3]);
  EXPECT_FALSE(music::MidiChannelHeld(3));
  EXPECT_EQ(seventeenth->hasChannel, 0);  // stays silent for its whole life
  const size_t mark = Recording().size();
  Play(seventeenth, 60, 100);
  SetInstrument(seventeenth, 5);
  EXPECT_EQ(RecordingSince(mark), Lines{});
  EXPECT_EQ(seventeenth->instrument, 5);  // still stored for the getter

  NotePlayerObject* next = Make();  // the next new player takes the freed channel
  EXPECT_EQ(next->hasChannel, 1);
  EXPECT_EQ(next->channel, 3);
  Play(next, 60, 100);
  EXPECT_EQ(RecordingSince(mark), Lines{"00643C93"});
}

TEST_F(NotePlayerTest, DestroyingTheOnlyPlayerClosesAndANewOneReopens) {
  NotePlayerObject* first = Make();
  Play(first, 60, 100);
  Destroy(first);
  EXPECT_FALSE(music::MidiDeviceOpen());
  EXPECT_EQ(music::MidiPlayerCount(), 0);
  EXPECT_FALSE(music::MidiChannelHeld(0));
  // No note-off and no reset before closing: the caller stops its own notes.
  EXPECT_EQ(Recording(), (Lines{"open", "00643C90", "close"}));

  NotePlayerObject* second = Make();
  EXPECT_TRUE(music::MidiDeviceOpen());
  EXPECT_EQ(second->channel, 0);
  Play(second, 62, 80);
  EXPECT_EQ(Recording(), (Lines{"open", "00643C90", "close", "open", "00503E90"}));
}

TEST_F(NotePlayerTest, TheDeviceStaysOpenWhileAnyPlayerLives) {
  NotePlayerObject* a = Make();
  NotePlayerObject* b = Make();
  NotePlayerObject* c = Make();
  Destroy(a);
  Destroy(c);
  EXPECT_TRUE(music::MidiDeviceOpen());
  EXPECT_EQ(music::MidiPlayerCount(), 1);
  Play(b, 60, 100);  // b keeps channel 1
  Destroy(b);
  EXPECT_EQ(Recording(), (Lines{"open", "00643C91", "close"}));
}

TEST_F(NotePlayerTest, WithoutADeviceEveryPlayerIsSilentAndCounted) {
  UseNoDevice();
  NotePlayerObject* a = Make();
  NotePlayerObject* b = Make();
  EXPECT_EQ(a->hasChannel, 0);
  EXPECT_EQ(b->hasChannel, 0);
  EXPECT_EQ(music::MidiPlayerCount(), 2);
  Play(a, 60, 100);
  SetInstrument(b, 3);
  EXPECT_EQ(b->instrument, 3);
  Destroy(a);
  Destroy(b);
  EXPECT_EQ(music::MidiPlayerCount(), 0);
  EXPECT_EQ(Recording(), Lines{});  // nothing was ever opened
}

TEST_F(NotePlayerTest, AFailedOpenIsRetriedOnlyAfterEveryPlayerIsGone) {
  UseNoDevice();
  NotePlayerObject* a = Make();
  UseRecorder();  // a device is available from now on
  NotePlayerObject* b = Make();
  EXPECT_EQ(b->hasChannel, 0);  // the count was not 0: no new open
  Play(b, 60, 100);
  EXPECT_EQ(Recording(), Lines{});
  Destroy(a);
  Destroy(b);

  NotePlayerObject* c = Make();
  EXPECT_EQ(c->hasChannel, 1);
  EXPECT_EQ(c->channel, 0);
  Play(c, 60, 100);
  EXPECT_EQ(Recording(), (Lines{"open", "00643C90"}));
}

TEST_F(NotePlayerTest, ABackendThatCannotStartLeavesPlayersSilent) {
  setenv("ARMONIX_MIDI", "record:/nonexistent-armonix-dir/recording.txt", 1);
  ::testing::internal::CaptureStderr();
  NotePlayerObject* player = Make();
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("MIDI output off"), std::string::npos) << said;
  EXPECT_EQ(player->hasChannel, 0);
  EXPECT_FALSE(music::MidiDeviceOpen());
  Play(player, 60, 100);
  Destroy(player);
  EXPECT_EQ(music::MidiPlayerCount(), 0);
}

TEST_F(NotePlayerTest, ADestroyedPlayerGivesUpItsChannel) {
  NotePlayerObject* a = Make();
  NotePlayerObject* b = Make();
  EXPECT_TRUE(music::MidiChannelHeld(0));
  EXPECT_TRUE(music::MidiChannelHeld(1));
  Destroy(a);
  EXPECT_FALSE(music::MidiChannelHeld(0));
  NotePlayerObject* c = Make();
  EXPECT_EQ(c->channel, 0);
  EXPECT_EQ(b->channel, 1);
}

// A player whose channel word was overwritten must not free a slot outside the table.
TEST_F(NotePlayerTest, ACorruptChannelWordIsNotFreed) {
  NotePlayerObject* keeper = Make();  // keeps the device open
  NotePlayerObject* odd = Make();
  odd->channel = 4000;
  Destroy(odd);
  EXPECT_EQ(music::MidiPlayerCount(), 1);
  EXPECT_TRUE(music::MidiChannelHeld(0));
  EXPECT_TRUE(music::MidiChannelHeld(1));  // its real channel is lost, nothing else touched
  EXPECT_FALSE(music::MidiChannelHeld(4000));
  EXPECT_EQ(keeper->channel, 0);
}

}  // namespace
