// Shared set-up for the MIDI output tests: each case starts from a clean process state
// (no open handle, MIDI not switched off, no files started), chooses its backend through
// ARMONIX_MIDI and ARMONIX_WAV like a user would, and times renders with a fake clock.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "native/midi/midiclock.h"
#include "native/midi/midiout.h"
#include "native/mmsystem.h"

class MidiOutTest : public ::testing::Test {
 protected:
  static inline uint64_t fakeNow = 0;
  static uint64_t FakeClock() { return fakeNow; }

  void SetUp() override {
    unsetenv("ARMONIX_MIDI");
    unsetenv("ARMONIX_WAV");
    midi::ResetMidiOutForTesting();
    fakeNow = 1'000'000;
    midi::SetMidiClock(FakeClock);
  }
  void TearDown() override {
    midi::ResetMidiOutForTesting();
    midi::SetMidiClock(nullptr);
    unsetenv("ARMONIX_MIDI");
    unsetenv("ARMONIX_WAV");
    for (const std::string& path : made_) std::remove(path.c_str());
  }

  // A file name of this test's own, removed afterwards.
  std::string TempFile(const std::string& name) {
    const std::string path = ::testing::TempDir() + "armonix-midi-" + std::to_string(getpid()) +
                             "-" + name;
    std::remove(path.c_str());
    made_.push_back(path);
    return path;
  }

  static void Use(const std::string& backend) { setenv("ARMONIX_MIDI", backend.c_str(), 1); }
  static void AdvanceMs(uint64_t ms) { fakeNow += ms * 1000; }

  static std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  static HMIDIOUT OpenOrFail() {
    HMIDIOUT handle = nullptr;
    const MMRESULT result = midiOutOpen(&handle, 0, 0, 0, CALLBACK_NULL);
    EXPECT_EQ(result, MMSYSERR_NOERROR);
    return handle;
  }

 private:
  std::vector<std::string> made_;
};
