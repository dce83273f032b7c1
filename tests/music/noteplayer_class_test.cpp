// NotePlayer as a class of the runtime: its record (size, superclass, members), its do-nothing
// CreatePane handler, and the shutdown step that silences players outliving their windows.
#include <cstring>

#include "runtime/exceptions/imagecall.h"
#include "runtime/objects/strings.h"
#include "tests/music/noteplayer_fixture.h"

namespace {

TEST_F(NotePlayerTest, ClassRecordDescribesAControlOf104Bytes) {
  ClassRecord* cls = FindBuiltinClass("noteplayer");
  ASSERT_NE(cls, nullptr);
  EXPECT_EQ(cls->instanceSize, 104);
  EXPECT_EQ(cls->builtIn, 1);
  ASSERT_NE(cls->superclass, nullptr);
  EXPECT_EQ(cls->superclass, FindBuiltinClass("Control"));

  PropertyEntry* instrument = FindProperty(cls, "INSTRUMENT");
  ASSERT_NE(instrument, nullptr);
  EXPECT_EQ(instrument->getter, reinterpret_cast<CodeAddress>(&intGetter));
  EXPECT_EQ(instrument->setter, reinterpret_cast<CodeAddress>(&notePlayerInstrumentSetter));
  EXPECT_EQ(instrument->parameter, kNotePlayerInstrumentOffset);

  MethodEntry* play = FindMethod(cls, "PlayNote");
  ASSERT_NE(play, nullptr);
  EXPECT_EQ(play->entry, reinterpret_cast<CodeAddress>(&notePlayerPlayNote));
  EXPECT_EQ(play->parameterCount, 2);
  // Inherited members of Control are found through the superclass.
  EXPECT_NE(FindProperty(cls, "Name"), nullptr);
}

TEST_F(NotePlayerTest, PropertyAccessorsOfTheRecordReachTheField) {
  NotePlayerObject* player = Make();
  PropertyEntry* instrument = FindProperty(AMX_BUILTIN_CLASS(NotePlayer), "Instrument");
  ASSERT_NE(instrument, nullptr);
  const uint32_t set[3] = {reinterpret_cast<uint32_t>(player),
                           static_cast<uint32_t>(instrument->parameter), 12};
  CallImage(instrument->setter, 3, set);
  const uint32_t get[2] = {reinterpret_cast<uint32_t>(player),
                           static_cast<uint32_t>(instrument->parameter)};
  EXPECT_EQ(CallImage(instrument->getter, 2, get), 12u);
  EXPECT_EQ(Recording(), (Lines{"open", "00000CC0"}));
}

TEST_F(NotePlayerTest, CreatePaneHandlerIsFoundAndMakesNothing) {
  NotePlayerObject* player = Make();
  CodeAddress handler = FindEventHandler(Header(player), AMX_BUILTIN_EVENT(Control, CreatePane));
  ASSERT_NE(handler, nullptr);
  uint8_t before[sizeof(NotePlayerObject)];
  std::memcpy(before, player, sizeof before);
  CallImage1(handler, reinterpret_cast<uint32_t>(player));
  EXPECT_EQ(std::memcmp(before, player, sizeof before), 0);
  EXPECT_EQ(player->control.pane, nullptr);
  EXPECT_EQ(Recording(), Lines{"open"});
}

TEST_F(NotePlayerTest, ShutdownSilencesPlayersThatOutliveTheirWindows) {
  NotePlayerObject* player = Make();
  Play(player, 60, 100);
  StartupHooks().stopSound();
  Lines expected{"open", "00643C90"};
  for (int channel = 0; channel < 16; ++channel) {
    char word[16];
    std::snprintf(word, sizeof word, "00007BB%X", channel);  // All Notes Off
    expected.push_back(word);
  }
  EXPECT_EQ(Recording(), expected);
  EXPECT_TRUE(music::MidiDeviceOpen());  // the living player keeps its device
}

TEST_F(NotePlayerTest, ShutdownWithoutPlayersSendsNothing) {
  Destroy(Make());
  StartupHooks().stopSound();
  EXPECT_EQ(Recording(), (Lines{"open", "close"}));
}

int gEarlierStops = 0;
void EarlierStop() { ++gEarlierStops; }

TEST_F(NotePlayerTest, ShutdownStepKeepsAnEarlierInstalledStop) {
  gEarlierStops = 0;
  StartupHooks().stopSound = EarlierStop;
  Make();
  Make();  // installing twice must not chain the player's own step to itself
  StartupHooks().stopSound();
  EXPECT_EQ(gEarlierStops, 1);
}

}  // namespace
