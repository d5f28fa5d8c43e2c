// A real `menucost-server` process on a free loopback port, for the tests and benchmarks that need
// several servers over one database. Stopped (SIGTERM) with the object, or killed outright.
#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace testsupport {

class ServerProcess {
 public:
  // Runs `binary --db url --port 0 extra...` and waits until it listens.
  ServerProcess(const std::string& binary, const std::string& url,
                const std::vector<std::string>& extra = {}) {
    int out[2];
    if (pipe(out) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<std::string> args = {binary, "--db", url, "--port", "0"};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (auto& a : args)
      argv.push_back(a.data());
    argv.push_back(nullptr);
    int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
      close(out[0]);
      throw std::runtime_error("cannot start " + args[0]);
    }
    output_ = fdopen(out[0], "r");
    // "menucost-server: serving <db> on http://127.0.0.1:<port>" once it listens.
    char line[1024];
    while (port_ == 0 && std::fgets(line, sizeof line, output_) != nullptr) {
      std::string text = line;
      size_t at = text.find("serving ");
      size_t colon = text.rfind(':');
      if (at != std::string::npos && colon != std::string::npos)
        port_ = std::atoi(text.c_str() + colon + 1);
    }
    if (port_ == 0) {
      ::kill(pid_, SIGTERM);
      std::fclose(output_);
      waitpid(pid_, nullptr, 0);
      throw std::runtime_error("the server did not start (see its messages)");
    }
    // Its call log would fill the pipe and stall it: read to the end, meanwhile.
    drainer_ = std::thread([this] {
      char rest[4096];
      while (std::fgets(rest, sizeof rest, output_) != nullptr) {
      }
    });
  }
  ~ServerProcess() { stop(SIGTERM); }
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  int port() const { return port_; }
  bool running() const { return pid_ != 0; }

  // Ends the process with `signal` and reaps it; SIGKILL gives it no chance to finish anything.
  void stop(int signal) {
    if (pid_ == 0) return;
    ::kill(pid_, signal);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = 0;
    drainer_.join();
    std::fclose(output_);
    output_ = nullptr;
  }

 private:
  pid_t pid_ = 0;
  FILE* output_ = nullptr;
  int port_ = 0;
  std::thread drainer_;
};

}  // namespace testsupport
