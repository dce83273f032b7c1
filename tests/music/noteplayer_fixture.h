// Shared set-up for the note player tests: every case starts with no MIDI state and no open
// device, records through the real recorder backend (ARMONIX_MIDI=record:FILE) into a file
// of its own, and makes and destroys players the way windows do (MakeObject/UnlockObject).
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "native/midi/midiout.h"
#include "runtime/entries/entries.h"
#include "runtime/music/midistate.h"
#include "runtime/music/noteplayer.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/objects.h"
#include "runtime/startup/hooks.h"

class NotePlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetAll();
    recording_ = ::testing::TempDir() + "armonix-music-" + std::to_string(getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
    std::remove(recording_.c_str());
    UseRecorder();
  }
  void TearDown() override {
    for (ObjectHeader* player : players_) UnlockObject(player);
    players_.clear();
    ResetAll();
    std::remove(recording_.c_str());
  }

  static void ResetAll() {
    midi::ResetMidiOutForTesting();
    music::ResetMidiStateForTesting();
    ResetStartupHooks();
    unsetenv("ARMONIX_MIDI");
  }

  void UseRecorder() { setenv("ARMONIX_MIDI", ("record:" + recording_).c_str(), 1); }
  static void UseNoDevice() { setenv("ARMONIX_MIDI", "none", 1); }

  // A live player, destroyed at the end of the case unless the case destroys it.
  NotePlayerObject* Make() {
    ObjectHeader* object = MakeObject(AMX_BUILTIN_CLASS(NotePlayer));
    players_.push_back(object);
    return AsNotePlayer(object);
  }
  std::vector<NotePlayerObject*> MakeMany(int count) {
    std::vector<NotePlayerObject*> made;
    for (int i = 0; i < count; ++i) made.push_back(Make());
    return made;
  }
  void Destroy(NotePlayerObject* player) {
    auto* object = reinterpret_cast<ObjectHeader*>(player);
    for (auto it = players_.begin(); it != players_.end(); ++it) {
      if (*it != object) continue;
      players_.erase(it);
      UnlockObject(object);
      return;
    }
    ADD_FAILURE() << "not a live player of this case";
  }

  static ObjectHeader* Header(NotePlayerObject* player) {
    return reinterpret_cast<ObjectHeader*>(player);
  }
  static void Play(NotePlayerObject* player, int32_t note, int32_t velocity) {
    notePlayerPlayNote(Header(player), note, velocity);
  }
  static void SetInstrument(NotePlayerObject* player, int32_t instrument) {
    notePlayerInstrumentSetter(Header(player), 0, instrument);
  }

  // Every line the recorder wrote so far ("open", "00643C90", "close").
  std::vector<std::string> Recording() const {
    std::ifstream in(recording_);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  // The lines written since the mark (a previous size of Recording()).
  std::vector<std::string> RecordingSince(size_t mark) const {
    std::vector<std::string> lines = Recording();
    if (mark >= lines.size()) return {};
    return std::vector<std::string>(lines.begin() + static_cast<long>(mark), lines.end());
  }

  std::string recording_;

 private:
  std::vector<ObjectHeader*> players_;
};

using Lines = std::vector<std::string>;
