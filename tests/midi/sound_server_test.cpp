// Sound through a real audio server: a private PulseAudio server with a null sink, the
// program run headless with its default MIDI output resting on a guide-note button, the
// sink's monitor recorded. The note must be heard at the pitch of C3, silence must follow
// its note-off while the program still runs, and the server must report our stream under
// the program's name with under 20 ms of latency (buffer plus sink).
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "native/midi/midiout.h"
#include "native/mmsystem.h"
#include "tests/midi/soundserver.h"
#include "tests/midi/wav_analysis.h"
#include "tests/support/runprogram.h"

namespace {

using soundserver::Clock;
using soundserver::kRate;

constexpr double kC3 = 261.6256;
constexpr int kSilence = 33;  // -60 dBFS in 16-bit samples
constexpr int kSounding = 328;  // -40 dBFS
// Silence must last this long before the program's stream closes: well above the error of
// placing the stream's end on the recording (the recorder's and the watcher's 5-10 ms).
constexpr double kQuietMargin = 0.05;

struct Program {
  std::string runtime;    // the executable
  std::string directory;  // where it runs (the image's directory for the runtime)
  std::string script;
};

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The script with its markers replaced by that many idle turns.
std::string ExpandScript(const std::string& templateFile, long holdTurns, long quietTurns) {
  const auto idles = [](long turns) {
    std::string lines;
    constexpr long kMostPerCommand = 1000000;
    for (; turns > 0; turns -= kMostPerCommand) {
      lines += "idle " + std::to_string(std::min(turns, kMostPerCommand)) + "\n";
    }
    return lines;
  };
  std::string script = runprogram::ReadFile(templateFile);
  for (const auto& [marker, turns] :
       {std::pair<std::string, long>{"@HOLD@\n", holdTurns}, {"@QUIET@\n", quietTurns}}) {
    const size_t at = script.find(marker);
    if (at != std::string::npos) script.replace(at, marker.size(), idles(turns));
  }
  const std::string path = runprogram::ProcessTempPath("guide_note", ".script");
  std::ofstream(path) << script;
  return path;
}

// The shipped program when the build made it, else the ear-training demo.
Program ProgramUnderTest() {
#ifdef AMX_ARMONIX_EXE
  const std::string script = AMX_SOUND_SCRIPT_DIR "/guide_note_armonix.script";
  if (access(AMX_ARMONIX_EXE, X_OK) == 0 && access(script.c_str(), R_OK) == 0) {
    return {AMX_ARMONIX_EXE, AMX_ARMONIX_DIR, script};
  }
#endif
  return {AMX_RUNTIME_EXE, AMX_EAR_DIR, AMX_SOUND_SCRIPT_DIR "/guide_note_demo.script"};
}

// Idle turns of the headless loop are the script's only clock; their speed is measured on
// this machine (emulation makes them far slower), on the same script without sound.
double IdleTurnsPerSecond(const Program& program) {
  const auto timed = [&program](long quietTurns) {
    const std::string script = ExpandScript(program.script, 0, quietTurns);
    runprogram::HeadlessCall call{program.directory,
                                  {{"ARMONIX_SCRIPT", script}, {"ARMONIX_MIDI", "none"}}, "",
                                  runprogram::ProcessTempPath("idle_probe", ".txt")};
    const Clock::time_point start = Clock::now();
    runprogram::RunHeadless(program.runtime, call);
    const double seconds = Seconds(Clock::now() - start);
    std::remove(script.c_str());
    return seconds;
  };
  const double bare = timed(0);
  const double busy = timed(1000000);
  return 1000000 / std::max(busy - bare, 0.01);
}

// One run of the program on the server, with what the server saw and the monitor heard.
struct Heard {
  runprogram::ProgramRun run;
  std::vector<soundserver::StreamReport> streams;
  std::vector<int16_t> samples;
  Clock::time_point recordingStart;
  std::string problem;  // the recorder or watcher could not start
};

Heard PlayGuideNote(const soundserver::SoundServer& server, const Program& program,
                    const std::string& script) {
  Heard heard;
  soundserver::StreamWatcher watcher(server);
  soundserver::Recorder recorder(server, runprogram::ProcessTempPath("armonix_monitor", ".raw"));
  heard.problem = watcher.Start();
  if (heard.problem.empty()) heard.problem = recorder.Start();
  if (!heard.problem.empty()) return heard;
  runprogram::HeadlessCall call{program.directory, server.ClientEnvironment(), "",
                                runprogram::ProcessTempPath("sound_server_stderr", ".txt")};
  call.environment.emplace_back("ARMONIX_SCRIPT", script);
  call.environment.emplace_back("ARMONIX_MIDI", "");  // the default output, whatever ours is
  call.environment.emplace_back("ARMONIX_WAV", "");
  heard.run = runprogram::RunHeadless(program.runtime, call);
  usleep(300000);  // the last of the stream reaches the monitor
  recorder.Stop();
  watcher.Stop();
  heard.streams = watcher.Streams();
  heard.samples = recorder.Samples();
  heard.recordingStart = recorder.StartTime();
  return heard;
}

// Frame indices of the first and last frame louder than `level` in either channel.
struct Span {
  size_t first = 0;
  size_t last = 0;
  bool found = false;
};

Span LouderThan(const std::vector<int16_t>& samples, int level) {
  Span span;
  for (size_t i = 0; i < samples.size(); ++i) {
    if (std::abs(int(samples[i])) <= level) continue;
    if (!span.found) span.first = i / 2;
    span.last = i / 2;
    span.found = true;
  }
  return span;
}

std::vector<double> Left(const std::vector<int16_t>& samples, size_t first, size_t count) {
  std::vector<double> left;
  for (size_t frame = first; frame < first + count && 2 * frame < samples.size(); ++frame) {
    left.push_back(samples[2 * frame] / 32768.0);
  }
  return left;
}

class SoundServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string problem = server_.Start();
    if (!problem.empty()) GTEST_SKIP() << "no private sound server: " << problem;
  }

  soundserver::SoundServer server_;
};

// The synthesizer in this process, held for real time: the stream the server sees, the
// note in the recording, and a second session that opens a stream of its own again.
TEST_F(SoundServerTest, TheSynthesizerSoundsThroughTheServerUnderOurName) {
  for (const auto& [name, value] : server_.ClientEnvironment()) {
    setenv(name.c_str(), value.c_str(), 1);
  }
  unsetenv("ARMONIX_MIDI");
  unsetenv("ARMONIX_WAV");
  midi::ResetMidiOutForTesting();
  soundserver::StreamWatcher watcher(server_);
  ASSERT_EQ(watcher.Start(), "");
  soundserver::Recorder recorder(server_, runprogram::ProcessTempPath("armonix_synth", ".raw"));
  ASSERT_EQ(recorder.Start(), "") << server_.Log();
  for (int session = 0; session < 2; ++session) {
    HMIDIOUT h = nullptr;
    ::testing::internal::CaptureStderr();
    ASSERT_EQ(midiOutOpen(&h, 0, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(midiOutShortMsg(h, 0x000001C0), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutShortMsg(h, 0x007F3C90), MMSYSERR_NOERROR);
    usleep(300000);
    EXPECT_EQ(midiOutShortMsg(h, 0x00403C80), MMSYSERR_NOERROR);
    usleep(100000);
    EXPECT_EQ(midiOutClose(h), MMSYSERR_NOERROR);
  }
  usleep(200000);
  recorder.Stop();
  watcher.Stop();
  midi::ResetMidiOutForTesting();
  for (const auto& [name, value] : server_.ClientEnvironment()) unsetenv(name.c_str());

  const std::vector<soundserver::StreamReport> streams = watcher.Streams();
  ASSERT_EQ(streams.size(), 2u) << "each session opens its own stream";
  for (const soundserver::StreamReport& stream : streams) {
    EXPECT_EQ(stream.applicationName, "Armonix");
    EXPECT_EQ(stream.iconName, "armonix");
    EXPECT_LT(stream.maxLatencyUs, 20000u);
    std::printf("in-process stream latency: at most %.2f ms over %d samples\n",
                stream.maxLatencyUs / 1000.0, stream.samples);
  }
  const std::vector<int16_t> samples = recorder.Samples();
  const Span sounding = LouderThan(samples, kSounding);
  ASSERT_TRUE(sounding.found);
  const double pitch =
      PitchByAutocorrelation(Left(samples, sounding.first + kRate / 50, 4096), kRate);
  EXPECT_NEAR(pitch, kC3, kC3 * 0.01);
}

TEST_F(SoundServerTest, TheGuideNoteIsHeardThenSilenceWithAShortLatencyUnderOurName) {
  const Program program = ProgramUnderTest();
  std::printf("program: %s, script %s\n", program.runtime.c_str(), program.script.c_str());
  const double turnsPerSecond = IdleTurnsPerSecond(program);
  Heard heard;
  // A machine under load may idle faster than measured and end the quiet time early: then
  // once more with a quiet time four times as long.
  for (double quietSeconds : {2.0, 8.0}) {
    const std::string script = ExpandScript(program.script, std::lround(0.4 * turnsPerSecond),
                                            std::lround(quietSeconds * turnsPerSecond));
    heard = PlayGuideNote(server_, program, script);
    std::remove(script.c_str());
    ASSERT_EQ(heard.problem, "") << server_.Log();
    const Span audible = LouderThan(heard.samples, kSilence);
    if (heard.streams.size() != 1 || !audible.found) break;
    const double quiet = Seconds(heard.streams[0].lastSeen - heard.recordingStart) -
                         audible.last / double(kRate);
    if (quiet > kQuietMargin) break;
    std::printf("quiet time ran short (%.3f s); once more with a longer one\n", quiet);
  }
  const runprogram::ProgramRun& run = heard.run;
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.errors, "") << "the default MIDI output sounds without a complaint";

  // The server saw our stream, named after the program, with a short latency.
  const std::vector<soundserver::StreamReport>& streams = heard.streams;
  ASSERT_EQ(streams.size(), 1u) << "one playback stream, open while the window is";
  const soundserver::StreamReport& stream = streams[0];
  EXPECT_EQ(stream.applicationName, "Armonix");
  EXPECT_EQ(stream.iconName, "armonix");
  EXPECT_EQ(stream.mediaName, "Armonix");
  EXPECT_GT(stream.samples, 2);
  EXPECT_LT(stream.maxLatencyUs, 20000u) << "buffer plus sink, as the server reports it";
  std::printf("stream latency (buffer + sink): at most %.2f ms, last %.2f ms, %d samples\n",
              stream.maxLatencyUs / 1000.0, stream.lastLatencyUs / 1000.0, stream.samples);

  // The note is there, at the pitch of C3.
  const std::vector<int16_t>& samples = heard.samples;
  const Span sounding = LouderThan(samples, kSounding);
  ASSERT_TRUE(sounding.found) << "nothing above -40 dBFS in " << samples.size() / 2
                              << " recorded frames";
  int peak = 0;
  for (int16_t s : samples) peak = std::max(peak, std::abs(int(s)));
  std::printf("recorded peak %.1f dBFS, sound from %.3f s to %.3f s of the recording\n",
              20 * std::log10(peak / 32767.0), sounding.first / double(kRate),
              sounding.last / double(kRate));
  const double pitch =
      PitchByAutocorrelation(Left(samples, sounding.first + kRate / 50, 4096), kRate);
  EXPECT_NEAR(pitch, kC3, kC3 * 0.01);

  // After the note-off the sound dies away, and the rest is silence while the program's
  // stream is still open (the recording's frames map to the clock from its start).
  const Span audible = LouderThan(samples, kSilence);
  const double soundEnds = audible.last / double(kRate);
  const double streamEnds = Seconds(stream.lastSeen - heard.recordingStart);
  std::printf("silence from %.3f s, the stream closed at %.3f s\n", soundEnds, streamEnds);
  EXPECT_LT(soundEnds + kQuietMargin, streamEnds) << "silence before the stream closes";
  EXPECT_GT(samples.size() / 2, audible.last + kRate / 5) << "the recording ran on in silence";
}

}  // namespace
