#include "main/program_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "text/encoding.h"

namespace vintor::main::testing {

namespace {

// Reads both pipes until the program closes them, so neither can fill up and stall it.
void Drain(int out_fd, int err_fd, ProgramRun* run) {
  pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
  std::string* sinks[2] = {&run->output, &run->errors};
  int open_fds = 2;
  while (open_fds > 0) {
    if (poll(fds, 2, -1) < 0) break;
    for (int k = 0; k < 2; ++k) {
      if (fds[k].fd < 0 || (fds[k].revents & (POLLIN | POLLHUP)) == 0) continue;
      char buffer[4096];
      const ssize_t got = read(fds[k].fd, buffer, sizeof buffer);
      if (got > 0) {
        sinks[k]->append(buffer, static_cast<std::size_t>(got));
      } else {
        close(fds[k].fd);
        fds[k].fd = -1;
        --open_fds;
      }
    }
  }
}

}  // namespace

ProgramRun RunProgram(const std::vector<std::string>& argv, const ProgramOptions& options) {
  ProgramRun run;
  int out_pipe[2];
  int err_pipe[2];
  if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0) return run;
  const pid_t child = fork();
  if (child == 0) {
    const int null_fd = open("/dev/null", O_RDONLY);
    dup2(null_fd, STDIN_FILENO);
    dup2(out_pipe[1], STDOUT_FILENO);
    dup2(err_pipe[1], STDERR_FILENO);
    close(out_pipe[0]);
    close(err_pipe[0]);
    if (!options.working_folder.empty() && chdir(options.working_folder.c_str()) != 0) _exit(126);
    if (options.file_size_limit >= 0) {
      // Writes past the limit fail with EFBIG instead of ending the program.
      signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{static_cast<rlim_t>(options.file_size_limit),
                         static_cast<rlim_t>(options.file_size_limit)};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    std::vector<std::string> environment = {"LANG=C.UTF-8", "LC_ALL=C.UTF-8"};
    if (const char* path = std::getenv("PATH")) environment.push_back(std::string("PATH=") + path);
    if (const char* tmp = std::getenv("TMPDIR"))
      environment.push_back(std::string("TMPDIR=") + tmp);
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"))
      environment.push_back(std::string("XDG_RUNTIME_DIR=") + runtime);
    // A variable the caller gives replaces the default of the same name.
    for (const std::string& entry : options.environment) {
      const std::string name = entry.substr(0, entry.find('=') + 1);
      std::erase_if(environment, [&](const std::string& e) { return e.rfind(name, 0) == 0; });
      environment.push_back(entry);
    }
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    std::vector<char*> env;
    for (const std::string& entry : environment) env.push_back(const_cast<char*>(entry.c_str()));
    env.push_back(nullptr);
    execve(args[0], args.data(), env.data());
    _exit(127);
  }
  close(out_pipe[1]);
  close(err_pipe[1]);
  Drain(out_pipe[0], err_pipe[0], &run);
  int status = 0;
  waitpid(child, &status, 0);
  run.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return run;
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string Utf8(const std::string& cp932) {
  std::string utf8;
  if (!text::Cp932ToUtf8(cp932, &utf8)) return "<not CP932: " + cp932 + ">";
  return utf8;
}

}  // namespace vintor::main::testing
