// Profile (INI) files are written by other programs: any bytes must read without harm, and
// an answer is either the default or text of the file.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "os/profile_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string contents(reinterpret_cast<const char*>(data), size);
  const std::string value = vintor::os::LookUpProfileString(contents, "ProgramLevel", "QZ21",
                                                            "\x01"
                                                            "default");
  if (value !=
          "\x01"
          "default" &&
      contents.find(value) == std::string::npos)
    std::abort();
  return 0;
}
