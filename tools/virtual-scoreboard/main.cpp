// virtual-scoreboard: a bus of LED displays on a pseudo-terminal, offered as serial port ComN.
#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/os/PseudoTerminal.h"
#include "tools/virtual-scoreboard/FrameLog.h"
#include "tools/virtual-scoreboard/Options.h"
#include "tools/virtual-scoreboard/PortLink.h"
#include "tools/virtual-scoreboard/ScoreboardWindow.h"
#include "tools/virtual-scoreboard/Session.h"

namespace {

// Signals only write a byte here; the loop that reads it ends the program in the normal way,
// so the port link is removed.
int gSignalPipe[2] = {-1, -1};

void OnSignal(int) {
  const int saved = errno;
  const char b = 1;
  [[maybe_unused]] ssize_t n = write(gSignalPipe[1], &b, 1);
  errno = saved;
}

bool InstallSignals() {
  if (pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  struct sigaction sa{};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  for (int s : {SIGINT, SIGTERM, SIGHUP})
    if (sigaction(s, &sa, nullptr) != 0) return false;
  signal(SIGPIPE, SIG_IGN);  // a reader that went away shows as a failed write
  return true;
}

int RunHeadless(os::PseudoTerminal& pty, scoreboard::Session& session, scoreboard::JsonLog& log) {
  for (;;) {
    const auto r = pty.Wait(session.MillisecondsToNextTick(), gSignalPipe[0]);
    if (r == os::PseudoTerminal::WaitResult::Extra) return 0;
    if (r == os::PseudoTerminal::WaitResult::Error || !session.Pump(pty)) {
      std::fprintf(stderr, "virtual-scoreboard: %s\n", pty.Error().c_str());
      return 1;
    }
    session.Tick();
    if (log.Failed()) return 0;  // nobody reads the log any more
  }
}

int RunWindow(QApplication& app, os::PseudoTerminal& pty, scoreboard::Session& session, int port,
              const std::string& link) {
  scoreboard::ScoreboardWindow window(session, port, link, pty.SlavePath());
  int rc = 0;

  QSocketNotifier input(pty.MasterFd(), QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, [&] {
    if (!session.Pump(pty)) {
      std::fprintf(stderr, "virtual-scoreboard: %s\n", pty.Error().c_str());
      rc = 1;
      app.quit();
    }
  });
  std::unique_ptr<QSocketNotifier> watch;
  if (pty.WatchFd() >= 0) {
    watch = std::make_unique<QSocketNotifier>(pty.WatchFd(), QSocketNotifier::Read);
    QObject::connect(watch.get(), &QSocketNotifier::activated, [&] { pty.HandleWatch(); });
  }
  QSocketNotifier stop(gSignalPipe[0], QSocketNotifier::Read);
  QObject::connect(&stop, &QSocketNotifier::activated, [&] { app.quit(); });

  // Repaint at most ten times a second however fast the frames come; the figures move anyway.
  QTimer refresh;
  QObject::connect(&refresh, &QTimer::timeout, [&] {
    session.Tick();
    session.Pump(pty);  // in case the far end hung up and the notifier could not tell
    window.Refresh();
  });
  refresh.start(100);
  window.show();
  const int result = app.exec();
  return rc != 0 ? rc : result;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  scoreboard::Options options;
  std::string error;
  if (!scoreboard::ParseOptions(args, options, error)) {
    std::fprintf(stderr, "virtual-scoreboard: %s\n\n%s", error.c_str(), scoreboard::UsageText().c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(scoreboard::UsageText().c_str(), stdout);
    return 0;
  }

  scoreboard::JsonLog log;
  if (!options.logPath.empty()) {
    if (!log.OpenFile(options.logPath)) {
      std::fprintf(stderr, "virtual-scoreboard: cannot write the log %s\n", options.logPath.c_str());
      return 1;
    }
  } else if (options.headless) {
    log.UseStdout();
  }
  if (!InstallSignals()) {
    std::perror("virtual-scoreboard: signals");
    return 1;
  }

  // Qt ends the program when it finds no display: that has to happen before the link exists.
  std::unique_ptr<QApplication> app;
  if (!options.headless) app = std::make_unique<QApplication>(argc, argv);

  os::PseudoTerminal pty;
  if (!pty.Open()) {
    std::fprintf(stderr, "virtual-scoreboard: cannot create the pseudo-terminal: %s\n", pty.Error().c_str());
    return 1;
  }
  // The link appears only now that the terminal is configured: whoever waits for it may open it.
  scoreboard::PortLink link;
  if (!link.Create(options.port, pty.SlavePath(), options.replace, error)) {
    std::fprintf(stderr, "virtual-scoreboard: %s\n", error.c_str());
    return 1;
  }

  scoreboard::Session session(options.numbers, options.statsSeconds);
  if (log.IsOpen()) session.SetLog(&log);
  session.LogReady(options.port, link.Path(), pty.SlavePath());
  if (!options.headless || !options.logPath.empty())
    std::fprintf(stderr, "virtual-scoreboard: Com%d is %s (%s)\n", options.port, pty.SlavePath().c_str(),
                 link.Path().c_str());

  const int rc = options.headless ? RunHeadless(pty, session, log)
                                  : RunWindow(*app, pty, session, options.port, link.Path());
  session.Pump(pty);  // what arrived just before the end still counts
  session.Finish();
  link.Remove();
  pty.Close();
  return rc;
}
