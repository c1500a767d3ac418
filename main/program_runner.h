// A test aid: runs a program the way a user or a host would, and collects what it leaves.
#pragma once

#include <string>
#include <vector>

namespace vintor::main::testing {

struct ProgramRun {
  int exit_status = -1;  // the exit code, or 128 + the signal that ended the program
  std::string errors;    // what it wrote to standard error (UTF-8)
  std::string output;    // what it wrote to standard output
};

struct ProgramOptions {
  std::string working_folder;            // empty: the current one
  long file_size_limit = -1;             // bytes; -1: no limit (makes writes past it fail)
  std::vector<std::string> environment;  // NAME=VALUE added to a clean environment (replacing
                                         // the default LANG and LC_ALL when named)
};

// Runs argv[0] with the arguments, standard input from /dev/null, in a UTF-8 locale.
ProgramRun RunProgram(const std::vector<std::string>& argv, const ProgramOptions& options = {});

// The whole content of a file; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);

// A text of the program (CP932) as the programs print it in a UTF-8 locale; a text that does
// not convert gives a marker no output holds, so a search for it fails visibly.
std::string Utf8(const std::string& cp932);

}  // namespace vintor::main::testing
