// karvell-devserver: a server of the Karvell wire protocol on SQLite, for tests, demos and
// benchmarks on the loopback interface.
#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <thread>

#include "devserver/Options.h"
#include "devserver/Server.h"
#include "devserver/ServerContext.h"

int main(int argc, char** argv) {
  using namespace devserver;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0) {
      std::cout << usageText();
      return 0;
    }
  }
  Options options;
  std::string error;
  if (!parseOptions(argc, argv, options, error)) {
    std::cerr << "karvell-devserver: " << error << '\n' << usageText();
    return 2;
  }
  if (!std::filesystem::is_directory(options.dataDir)) {
    std::cerr << "karvell-devserver: no data directory " << options.dataDir << '\n';
    return 2;
  }

  // Signals are taken by one thread only; every other thread inherits the blocked mask.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  ServerContext context(options);
  if (!options.trace.empty() && !context.trace().open(options.trace)) {
    std::cerr << "karvell-devserver: cannot write " << options.trace << '\n';
    return 1;
  }
  // A relative log path lies in the data directory, where a test finds it by the same name.
  if (!options.sqlLog.empty() &&
      !context.sqlLog().open((std::filesystem::path(options.dataDir) / options.sqlLog).string())) {
    std::cerr << "karvell-devserver: cannot write " << options.sqlLog << '\n';
    return 1;
  }
  Server server(context);
  if (!server.listen(options.listen, options.port, error)) {
    std::cerr << "karvell-devserver: cannot listen on " << error << '\n';
    return 1;
  }
  std::printf("port %d\n", server.port());
  std::fflush(stdout);
  std::cerr << "karvell-devserver " << options.serverVersion << " listening on " << options.listen
            << ':' << server.port() << ", data in " << options.dataDir << '\n';

  std::atomic<bool> signalled{false};
  std::thread signalThread([&server, &signals, &signalled] {
    for (;;) {
      int signal = 0;
      if (sigwait(&signals, &signal) == 0 && signal != SIGPIPE) {
        signalled = true;
        std::cerr << "karvell-devserver: " << strsignal(signal) << ", stopping\n";
        server.stop();
        return;
      }
    }
  });
  server.run();
  // run() may also end on its own; the signal thread then still waits for its signal.
  if (!signalled) pthread_kill(signalThread.native_handle(), SIGTERM);
  signalThread.join();
  std::cerr << "karvell-devserver: stopped\n";
  return 0;
}
