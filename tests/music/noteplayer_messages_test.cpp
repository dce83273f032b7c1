// The words a player sends: note on, note off (release velocity 64), program change, what is
// sent for nothing (same instrument, silent player, values no MIDI data byte can carry).
#include "tests/music/noteplayer_fixture.h"

namespace {

TEST_F(NotePlayerTest, NoteOnAndNoteOffOnTheFirstChannel) {
  NotePlayerObject* player = Make();
  Play(player, 60, 100);
  Play(player, 60, 0);
  EXPECT_EQ(Recording(), (Lines{"open", "00643C90", "00403C80"}));
}

TEST_F(NotePlayerTest, SecondLivePlayerSendsOnChannelOne) {
  Make();
  NotePlayerObject* second = Make();
  EXPECT_EQ(second->channel, 1);
  Play(second, 60, 127);
  Play(second, 60, 0);
  EXPECT_EQ(Recording(), (Lines{"open", "007F3C91", "00403C81"}));
}

TEST_F(NotePlayerTest, InstrumentSendsAProgramChangeOnlyWhenTheValueChanges) {
  std::vector<NotePlayerObject*> players = MakeMany(3);
  NotePlayerObject* third = players[2];
  ASSERT_EQ(third->channel, 2);
  SetInstrument(third, 1);
  SetInstrument(third, 1);
  EXPECT_EQ(third->instrument, 1);
  SetInstrument(third, 0);
  EXPECT_EQ(Recording(), (Lines{"open", "000001C2", "000000C2"}));
}

TEST_F(NotePlayerTest, InstrumentZeroOnAFreshPlayerSendsNothing) {
  NotePlayerObject* player = Make();
  SetInstrument(player, 0);
  EXPECT_EQ(Recording(), Lines{"open"});
}

TEST_F(NotePlayerTest, TheGetterReadsTheStoredInstrumentField) {
  NotePlayerObject* player = Make();
  SetInstrument(player, 41);
  EXPECT_EQ(intGetter(Header(player), kNotePlayerInstrumentOffset), 41);
  // The setter ignores its parameter word: any value lands in the instrument field.
  notePlayerInstrumentSetter(Header(player), 12345, 7);
  EXPECT_EQ(player->instrument, 7);
  EXPECT_EQ(Recording(), (Lines{"open", "000029C0", "000007C0"}));
}

struct PlayCase {
  int32_t note;
  int32_t velocity;
  const char* word;  // nullptr: nothing is sent
};

// Data bytes are 7-bit. A note or velocity outside 0..127 would spill into the other
// bytes of the word (a 0x80 data byte starts a new message; note 316 would sound 60 louder),
// so such calls send nothing.
TEST_F(NotePlayerTest, NotesAndVelocitiesAtAndBeyondTheMidiRange) {
  const PlayCase cases[] = {
      {0, 1, "00010090"},      {127, 127, "007F7F90"}, {127, 0, "00407F80"},
      {0, 0, "00400080"},      {128, 100, nullptr},    {-1, 100, nullptr},
      {60, 128, nullptr},      {60, -1, nullptr},      {256 + 60, 100, nullptr},
      {0x01003C, 100, nullptr}, {INT32_MIN, 0, nullptr}, {60, INT32_MAX, nullptr},
  };
  NotePlayerObject* player = Make();
  for (const PlayCase& c : cases) {
    SCOPED_TRACE("note " + std::to_string(c.note) + " velocity " + std::to_string(c.velocity));
    const size_t mark = Recording().size();
    Play(player, c.note, c.velocity);
    EXPECT_EQ(RecordingSince(mark), c.word ? Lines{c.word} : Lines{});
  }
}

TEST_F(NotePlayerTest, InstrumentsBeyondTheProgramRangeAreStoredButNotSent) {
  NotePlayerObject* player = Make();
  const int32_t values[] = {128, -1, 1000, INT32_MIN};
  for (int32_t value : values) {
    SetInstrument(player, value);
    EXPECT_EQ(player->instrument, value);
  }
  SetInstrument(player, 127);
  EXPECT_EQ(Recording(), (Lines{"open", "00007FC0"}));
}

// Nil, or an object of another class of the same size, is left alone: nothing is sent and
// nothing is written where a player keeps its fields.
TEST_F(NotePlayerTest, ReceiversThatAreNotPlayersAreIgnored) {
  NotePlayerObject* player = Make();
  notePlayerPlayNote(nullptr, 60, 100);
  notePlayerInstrumentSetter(nullptr, 0, 5);

  ClassRecord other = {};
  other.kind = kClassRecordKind;
  other.superclass = AMX_BUILTIN_CLASS(Control);
  other.instanceSize = sizeof(NotePlayerObject);
  ObjectHeader* object = MakeObject(&other);
  auto* lookalike = AsNotePlayer(object);
  lookalike->hasChannel = 1;  // as if it held channel 0
  notePlayerPlayNote(object, 60, 100);
  notePlayerInstrumentSetter(object, 0, 5);
  EXPECT_EQ(lookalike->instrument, 0);
  UnlockObject(object);

  EXPECT_EQ(player->instrument, 0);
  EXPECT_EQ(Recording(), Lines{"open"});
}

}  // namespace
