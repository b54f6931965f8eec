#pragma once
// Runs the real virtual-scoreboard program for a test and follows its JSON log.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace vsbtest {

namespace fs = std::filesystem;

// The raw text of a member of one of the program's JSON lines ("" when absent): a string
// without its quotes, a number or array as written.
inline std::string Field(const std::string& json, const std::string& key) {
  const std::string tag = "\"" + key + "\":";
  const std::size_t at = json.find(tag);
  if (at == std::string::npos) return "";
  std::size_t i = at + tag.size();
  if (i < json.size() && json[i] == '"') {
    std::string out;
    for (++i; i < json.size() && json[i] != '"'; ++i) {
      if (json[i] == '\\' && i + 1 < json.size()) out += json[i++];
      out += json[i];
    }
    return out;
  }
  const std::size_t end = json[i] == '[' ? json.find(']', i) + 1 : json.find_first_of(",}", i);
  return json.substr(i, end - i);
}

// A temporary port folder set as ORVANE_PORTS_DIR for the test's lifetime.
class PortsFolder {
 public:
  PortsFolder() {
    std::string tmpl = (fs::temp_directory_path() / "vsb-ports-XXXXXX").string();
    dir = mkdtemp(tmpl.data());
    setenv("ORVANE_PORTS_DIR", dir.c_str(), 1);
  }
  ~PortsFolder() {
    unsetenv("ORVANE_PORTS_DIR");
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  fs::path Link(int port) const { return dir / ("com" + std::to_string(port)); }
  fs::path dir;
};

class ScoreboardProcess {
 public:
  ~ScoreboardProcess() {
    if (mPid > 0) {
      kill(mPid, SIGKILL);
      waitpid(mPid, nullptr, 0);
    }
  }

  // Starts the program; its standard output goes to out, its standard error to err.
  bool Start(const std::vector<std::string>& args, const fs::path& out, const fs::path& err) {
    mStatus = -1;
    mOut = out;
    mErr = err;
    std::vector<std::string> all = {VSB_EXECUTABLE};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int rc = posix_spawn(&mPid, VSB_EXECUTABLE, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) mPid = -1;
    return rc == 0;
  }

  // The exit status once the program ended within the time, else -1 (the program is then killed).
  int Wait(std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (Running()) {
      if (std::chrono::steady_clock::now() > deadline) {
        kill(mPid, SIGKILL);
        waitpid(mPid, nullptr, 0);
        mPid = -1;
        return -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return mStatus;
  }

  // False once the program ended; its exit status is then what Wait returns.
  bool Running() {
    int status = 0;
    if (mPid > 0 && waitpid(mPid, &status, WNOHANG) == mPid) {
      mPid = -1;
      mStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    return mPid > 0;
  }

  int Stop(int signal = SIGTERM) {
    if (mPid > 0) kill(mPid, signal);
    return Wait();
  }

  std::vector<std::string> Lines(const fs::path& log) const {
    std::vector<std::string> lines;
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  std::vector<std::string> Lines() const { return Lines(mOut); }

  // The first log line that satisfies pred, waiting for it up to the limit or the program's end.
  std::optional<std::string> WaitFor(const std::function<bool(const std::string&)>& pred,
                                     std::chrono::milliseconds limit = std::chrono::seconds(5),
                                     const fs::path& log = {}) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
      const bool running = Running();
      for (const std::string& line : Lines(log.empty() ? mOut : log))
        if (pred(line)) return line;
      if (!running || std::chrono::steady_clock::now() > deadline) return std::nullopt;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  std::optional<std::string> WaitForKind(const std::string& kind, const fs::path& log = {}) {
    return WaitFor([&](const std::string& l) { return Field(l, "kind") == kind; }, std::chrono::seconds(5), log);
  }

  std::string ErrorText() const {
    std::ifstream in(mErr);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  pid_t mPid = -1;
  int mStatus = -1;
  fs::path mOut, mErr;
};

}  // namespace vsbtest
