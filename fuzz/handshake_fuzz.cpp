// The host's command-line hand-shake: any text must parse without harm, and a valid one
// keeps its path field whole.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/host_handshake.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string arguments(reinterpret_cast<const char*>(data), size);
  vintor::app::HostHandshake handshake;
  if (vintor::app::ParseHostHandshake(arguments, &handshake)) {
    const std::size_t third = arguments.find(',', arguments.find(',', arguments.find(',') + 1) + 1);
    if (handshake.output_path != arguments.substr(third + 1)) std::abort();
  }
  return 0;
}
