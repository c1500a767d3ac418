// Runs a fuzz target under afl-fuzz, compiled with afl-g++-fast (AFL++'s GCC plugin, which
// takes -fexec-charset=CP932 as g++ does). Persistent mode: the program stays up and takes
// its inputs from AFL++'s shared memory, thousands per process, instead of a fork and a file
// per input.
//
// Each input is copied to a buffer of its own size so the address sanitizer sees a read
// past its end. Outside afl-fuzz the program runs the input on standard input once, which
// is how afl-cmin and afl-showmap use it.
#include <unistd.h>  // the macros read standard input outside afl-fuzz

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

__AFL_FUZZ_INIT();

int main() {
  // Everything before this point (the sanitizers' set-up, the statics of the libraries) is
  // done once in the fork server rather than in every child.
  __AFL_INIT();
  const unsigned char* shared = __AFL_FUZZ_TESTCASE_BUF;
  while (__AFL_LOOP(10000)) {
    const std::size_t size = __AFL_FUZZ_TESTCASE_LEN;
    std::vector<std::uint8_t> input(shared, shared + size);
    LLVMFuzzerTestOneInput(input.data(), input.size());
  }
  return 0;
}
