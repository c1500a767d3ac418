// Linked into every program and test of a sanitized build (VINTOR_SANITIZE), so the
// sanitizers run with the same settings in the programs the tests start, whose environment
// the tests set up from scratch.
extern "C" {

// Stack traces for undefined behaviour too; the findings already end the program
// (-fno-sanitize-recover=all).
const char* __ubsan_default_options() {
  return "print_stacktrace=1";
}

// Checks beyond the defaults that cost little here.
const char* __asan_default_options() {
  return "strict_string_checks=1:check_initialization_order=1:detect_stack_use_after_return=1";
}

// glibc's setlocale keeps the LOCPATH list it builds when it answers the "C" or "POSIX"
// locale early; that block is glibc's, allocated once per call, and not ours to free.
const char* __lsan_default_suppressions() {
  return "leak:__argz_add_sep\n";
}
}
