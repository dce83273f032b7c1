// A private PulseAudio server, a parec recorder of its null sink and a stream watcher for
// tests. The server gets a runtime directory of its own and never touches the user's
// session; the child processes die with the test (PR_SET_PDEATHSIG), and the server also
// leaves by itself once idle, should the test be killed outright.
#include "tests/midi/soundserver.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

namespace soundserver {
namespace {

constexpr auto kStartTimeout = std::chrono::seconds(15);

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Ends a child: a polite signal, then SIGKILL if it lingers; always reaped.
void EndChild(pid_t& pid, int signal) {
  if (pid <= 0) return;
  kill(pid, signal);
  for (int i = 0; i < 300; ++i) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) {
      pid = -1;
      return;
    }
    usleep(10000);
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  pid = -1;
}

bool HasExited(pid_t pid, int& status) { return waitpid(pid, &status, WNOHANG) == pid; }

std::string DescribeExit(int status) {
  if (WIFEXITED(status)) return "exit status " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return std::string("signal ") + strsignal(WTERMSIG(status));
  return "ended";
}

bool SocketAnswers(const std::string& path) {
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  if (fd < 0) return false;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  const bool answers = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return answers;
}

// In a fresh child: die with the test, take the environment, send output to files, run.
[[noreturn]] void ExecChild(const Environment& environment, const std::string& out,
                            const std::string& err, const std::vector<std::string>& argv) {
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
  const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  if (outFd >= 0) dup2(outFd, 1);
  if (errFd >= 0) dup2(errFd, 2);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  execvp(args[0], args.data());
  std::fprintf(stderr, "cannot run %s: %s\n", args[0], std::strerror(errno));
  _exit(127);
}

}  // namespace

std::string SoundServer::Start() {
  std::string pattern = ::testing::TempDir() + "armonix-pulse-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return "cannot make a runtime directory";
  directory_ = pattern;
  const std::string socketPath = directory_ + "/native";
  address_ = "unix:" + socketPath;
  const Environment environment = {
      {"HOME", directory_},
      {"XDG_RUNTIME_DIR", directory_},
      {"XDG_CONFIG_HOME", directory_ + "/config"},
      {"PULSE_RUNTIME_PATH", directory_ + "/pulse"},
      {"PULSE_STATE_PATH", directory_ + "/state"},
  };
  const std::vector<std::string> argv = {
      "pulseaudio", "-n", "--daemonize=no", "--use-pid-file=no", "--exit-idle-time=20",
      "--realtime=no", "--high-priority=no", "--log-target=stderr", "--log-level=error",
      "-L", "module-native-protocol-unix socket=" + socketPath + " auth-anonymous=1",
      "-L", std::string("module-null-sink sink_name=") + kSinkName + " rate=" +
                std::to_string(kRate) + " channels=2"};
  pid_ = fork();
  if (pid_ < 0) return "cannot fork";
  if (pid_ == 0) ExecChild(environment, directory_ + "/log", directory_ + "/log", argv);
  const Clock::time_point deadline = Clock::now() + kStartTimeout;
  while (!SocketAnswers(socketPath)) {
    int status = 0;
    if (HasExited(pid_, status)) {
      pid_ = -1;
      return "pulseaudio did not start (" + DescribeExit(status) + "): " + Log();
    }
    if (Clock::now() > deadline) return "pulseaudio did not answer within 15 s: " + Log();
    usleep(10000);
  }
  return "";
}

SoundServer::~SoundServer() {
  EndChild(pid_, SIGTERM);
  if (!directory_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
  }
}

Environment SoundServer::ClientEnvironment() const {
  return {{"PULSE_SERVER", address_},
          {"XDG_RUNTIME_DIR", directory_},
          {"PULSE_RUNTIME_PATH", directory_ + "/pulse"}};
}

std::string SoundServer::Log() const { return ReadText(directory_ + "/log"); }

std::string Recorder::Start() {
  const std::vector<std::string> argv = {
      "parec", std::string("--device=") + kSinkName + ".monitor", "--raw", "--format=s16le",
      "--rate=" + std::to_string(kRate), "--channels=2", "--latency-msec=10"};
  pid_ = fork();
  if (pid_ < 0) return "cannot fork";
  if (pid_ == 0) ExecChild(server_.ClientEnvironment(), file_, file_ + ".log", argv);
  // The monitor of a null sink never stops delivering (silence), so the file grows at the
  // sample rate once recording runs; its first frame was heard that long ago.
  constexpr uint64_t kFrameBytes = 4;
  const Clock::time_point deadline = Clock::now() + kStartTimeout;
  for (;;) {
    struct stat info{};
    const Clock::time_point now = Clock::now();
    if (stat(file_.c_str(), &info) == 0 && uint64_t(info.st_size) >= kFrameBytes * kRate / 20) {
      startTime_ = now - std::chrono::microseconds(uint64_t(info.st_size) / kFrameBytes *
                                                   1000000 / kRate);
      return "";
    }
    int status = 0;
    if (HasExited(pid_, status)) {
      pid_ = -1;
      return "parec stopped (" + DescribeExit(status) + "): " + ReadText(file_ + ".log");
    }
    if (now > deadline) return "parec recorded nothing within 15 s";
    usleep(2000);
  }
}

void Recorder::Stop() { EndChild(pid_, SIGINT); }

std::vector<int16_t> Recorder::Samples() const {
  const std::string bytes = ReadText(file_);
  std::vector<int16_t> samples(bytes.size() / 4 * 2);
  std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(int16_t));
  return samples;
}

std::string StreamWatcher::Start() {
  loop_ = pa_threaded_mainloop_new();
  if (loop_ == nullptr || pa_threaded_mainloop_start(loop_) < 0) return "no event loop";
  pa_threaded_mainloop_lock(loop_);
  context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "armonix-test-watcher");
  if (context_ == nullptr) {
    pa_threaded_mainloop_unlock(loop_);
    return "no client context";
  }
  pa_context_set_state_callback(context_, OnState, this);
  std::string problem;
  if (pa_context_connect(context_, server_.Address().c_str(), PA_CONTEXT_NOAUTOSPAWN,
                         nullptr) < 0) {
    problem = pa_strerror(pa_context_errno(context_));
  }
  while (problem.empty() && pa_context_get_state(context_) != PA_CONTEXT_READY) {
    if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context_))) {
      problem = pa_strerror(pa_context_errno(context_));
    } else {
      pa_threaded_mainloop_wait(loop_);
    }
  }
  pa_threaded_mainloop_unlock(loop_);
  if (!problem.empty()) return "the watcher cannot connect: " + problem;
  running_ = true;
  poller_ = std::thread([this] {
    while (running_) {
      Poll();
      usleep(5000);
    }
  });
  return "";
}

void StreamWatcher::Poll() {
  pa_threaded_mainloop_lock(loop_);
  pa_operation* op = pa_context_get_sink_input_info_list(context_, OnSinkInput, this);
  while (op != nullptr && pa_operation_get_state(op) == PA_OPERATION_RUNNING) {
    pa_threaded_mainloop_wait(loop_);
  }
  if (op != nullptr) pa_operation_unref(op);
  pa_threaded_mainloop_unlock(loop_);
}

void StreamWatcher::OnState(pa_context*, void* self) {
  pa_threaded_mainloop_signal(static_cast<StreamWatcher*>(self)->loop_, 0);
}

void StreamWatcher::OnSinkInput(pa_context*, const pa_sink_input_info* info, int eol,
                                void* self) {
  StreamWatcher* watcher = static_cast<StreamWatcher*>(self);
  if (eol != 0 || info == nullptr) {
    pa_threaded_mainloop_signal(watcher->loop_, 0);
    return;
  }
  const auto text = [info](const char* key) {
    const char* value = pa_proplist_gets(info->proplist, key);
    return std::string(value != nullptr ? value : "");
  };
  const Clock::time_point now = Clock::now();
  std::lock_guard<std::mutex> lock(watcher->mutex_);
  StreamReport* report = nullptr;
  for (auto& [index, known] : watcher->streams_) {
    if (index == info->index) report = &known;
  }
  if (report == nullptr) {
    watcher->streams_.emplace_back(info->index, StreamReport{});
    report = &watcher->streams_.back().second;
    report->firstSeen = now;
  }
  report->applicationName = text(PA_PROP_APPLICATION_NAME);
  report->iconName = text(PA_PROP_APPLICATION_ICON_NAME);
  report->mediaName = text(PA_PROP_MEDIA_NAME);
  report->lastLatencyUs = info->buffer_usec + info->sink_usec;
  report->maxLatencyUs = std::max(report->maxLatencyUs, report->lastLatencyUs);
  report->samples += 1;
  report->lastSeen = now;
}

void StreamWatcher::Stop() {
  running_ = false;
  if (poller_.joinable()) poller_.join();
  if (loop_ != nullptr) pa_threaded_mainloop_stop(loop_);
  if (context_ != nullptr) {
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    context_ = nullptr;
  }
  if (loop_ != nullptr) {
    pa_threaded_mainloop_free(loop_);
    loop_ = nullptr;
  }
}

std::vector<StreamReport> StreamWatcher::Streams() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<StreamReport> reports;
  for (const auto& [index, report] : streams_) reports.push_back(report);
  return reports;
}

}  // namespace soundserver
