// Replays the inputs of a fuzz target: every file of the folders (or the files) named on
// the command line goes through LLVMFuzzerTestOneInput once. CTest runs this on every build
// with each target's corpus, so a crash once found stays found.
//
//   <target>_replay [--mutate N] [--seed S] CORPUS...
//
// With --mutate the program also searches: N times it takes a corpus input, changes it at
// random (flipped bits, bytes put in, taken out or copied from another input) and runs it.
// Our sources need a compiler that takes -fexec-charset=CP932, which rules out clang and
// with it libFuzzer; this simple search runs with g++ and, built with
// -fsanitize=address,undefined, finds the same kind of faults. An input that fails stops
// the program, which prints it as hex so it can be added to the corpus.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void Collect(const std::string& path, std::vector<std::string>* files) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return;
  if (!S_ISDIR(info.st_mode)) {
    files->push_back(path);
    return;
  }
  DIR* folder = opendir(path.c_str());
  if (folder == nullptr) return;
  while (const dirent* entry = readdir(folder)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") Collect(path + "/" + name, files);
  }
  closedir(folder);
}

// A small, fast generator whose sequence is the same on every machine.
struct SplitMix {
  std::uint64_t state;
  std::uint64_t Next() {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  std::size_t Below(std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(Next() % n); }
};

std::string Mutate(const std::vector<std::string>& corpus, SplitMix& random) {
  std::string input = corpus[random.Below(corpus.size())];
  const int changes = 1 + static_cast<int>(random.Below(8));
  for (int k = 0; k < changes; ++k) {
    switch (random.Below(5)) {
      case 0:  // flip a bit
        if (!input.empty())
          input[random.Below(input.size())] ^= static_cast<char>(1 << random.Below(8));
        break;
      case 1:  // put in a byte, often one that means something to our readers
        input.insert(random.Below(input.size() + 1), 1,
                     "\r\n,\"=[]<>&/\\\x81\x95\x5c\xde\x00"[random.Below(16)]);
        break;
      case 2:  // take out a run
        if (!input.empty()) {
          const std::size_t at = random.Below(input.size());
          input.erase(at, 1 + random.Below(std::min<std::size_t>(16, input.size() - at)));
        }
        break;
      case 3: {  // copy a run of another input in
        const std::string& other = corpus[random.Below(corpus.size())];
        if (!other.empty()) {
          const std::size_t from = random.Below(other.size());
          const std::size_t length =
              1 + random.Below(std::min<std::size_t>(64, other.size() - from));
          input.insert(random.Below(input.size() + 1), other, from, length);
        }
        break;
      }
      default:  // set a byte at random
        if (!input.empty()) input[random.Below(input.size())] = static_cast<char>(random.Next());
        break;
    }
  }
  return input;
}

int Run(const std::string& input) {
  return LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
}

}  // namespace

int main(int argc, char** argv) {
  long mutations = 0;
  std::uint64_t seed = 1;
  std::vector<std::string> files;
  for (int k = 1; k < argc; ++k) {
    const std::string argument = argv[k];
    if (argument == "--mutate" && k + 1 < argc) {
      mutations = std::atol(argv[++k]);
    } else if (argument == "--seed" && k + 1 < argc) {
      seed = std::strtoull(argv[++k], nullptr, 10);
    } else {
      Collect(argument, &files);
    }
  }
  std::sort(files.begin(), files.end());
  std::vector<std::string> corpus;
  for (const std::string& file : files) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    corpus.push_back(bytes.str());
    Run(corpus.back());
  }
  std::printf("replayed %zu inputs\n", corpus.size());
  if (corpus.empty()) return 1;

  SplitMix random{seed};
  for (long k = 0; k < mutations; ++k) {
    const std::string input = Mutate(corpus, random);
    // Shown before the run, so an input that crashes the program is on the terminal.
    if (std::getenv("VINTOR_FUZZ_SHOW")) {
      for (unsigned char byte : input) std::fprintf(stderr, "%02x", byte);
      std::fprintf(stderr, "\n");
    }
    Run(input);
  }
  if (mutations > 0) std::printf("ran %ld changed inputs\n", mutations);
  return 0;
}
