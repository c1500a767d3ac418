// Runs a program as a child process and reads what it cost, for the benchmark programs
// (Linux). The figures come from the kernel's accounting of that child alone (wait4), so
// work measured this way never mixes with the measuring program's own.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_clock.h"

namespace vintor::bench {

struct ChildFigures {
  double wall_seconds = 0;  // from fork to the end of the wait, start-up included
  double cpu_seconds = 0;   // user and system time
  double peak_mib = 0;      // peak resident memory
  int exit_code = -1;       // -1 when it could not start or ended on a signal
};

// Runs args[0] with args (the child shares this process's standard streams and waits for
// nothing else) and answers its figures. The peak memory the kernel reports for a child
// includes the memory this process held when the child started, so the caller keeps its own
// small.
inline ChildFigures RunChild(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  // Output buffered here would otherwise be written twice, once by the child.
  std::fflush(stdout);
  std::fflush(stderr);
  ChildFigures figures;
  const double start = Now();
  const pid_t pid = fork();
  if (pid < 0) return figures;
  if (pid == 0) {
    execv(argv[0], argv.data());
    std::perror(argv[0]);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  pid_t waited = -1;
  do {
    waited = wait4(pid, &status, 0, &usage);
  } while (waited < 0 && errno == EINTR);
  figures.wall_seconds = Now() - start;
  if (waited != pid) return figures;
  figures.cpu_seconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                        static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
  figures.peak_mib = static_cast<double>(usage.ru_maxrss) / 1024.0;
  if (WIFEXITED(status)) figures.exit_code = WEXITSTATUS(status);
  return figures;
}

}  // namespace vintor::bench
