// Time from a pointer move entering the queue (the headless backend's input path) to the
// midiOutShortMsg its window procedure sends, on the MIDI recorder backend: the hover-to-play
// path of the exercises without the runtime. Goal: median under 50 microseconds.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "native/core/input.h"
#include "native/headless/headless.h"
#include "native/win32.h"

namespace {

HMIDIOUT gOut = nullptr;
int gNote = 0;

LRESULT PlayingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_MOUSEMOVE) {
    gNote = 60 + (GET_X_LPARAM(lParam) & 7);
    midiOutShortMsg(gOut, 0x7F0090u | (static_cast<DWORD>(gNote) << 8));
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void PointerEventToNote(benchmark::State& state) {
  std::string record = "record:/tmp/bench_native_" + std::to_string(getpid()) + ".txt";
  setenv("ARMONIX_MIDI", record.c_str(), 1);
  native::InstallBackend(new native::HeadlessBackend("bench", {}, 1024, 768, stdout, stderr));
  if (midiOutOpen(&gOut, 0, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
    state.SkipWithError("the MIDI recorder did not open");
    return;
  }
  WNDCLASSA wc{};
  wc.lpfnWndProc = PlayingProc;
  wc.lpszClassName = "BenchWindow";
  RegisterClassA(&wc);
  HWND w = CreateWindowExA(0, "BenchWindow", "Bench", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600,
                           nullptr, nullptr, nullptr, nullptr);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  int x = 0;
  for (auto _ : state) {
    x = (x + 1) & 511;
    native::InputPointer(native::PointerAction::kMove, POINT{x + 10, 100});
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  benchmark::DoNotOptimize(gNote);
  DestroyWindow(w);
  midiOutClose(gOut);
  std::remove(record.c_str() + 7);
}
BENCHMARK(PointerEventToNote)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);

}  // namespace
