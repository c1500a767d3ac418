// What makes one deliverable differ from the others, and the results a run ends with.
#pragma once

#include <string>

#include "platform/library.h"

namespace vintor::app {

struct Edition {
  platform::AppType app_type;        // handed to the library connection
  std::string product_display_name;  // "Tavrel２１ Oak", written into the report
  std::string settings_file_name;    // "VintorOak.env"
};

// The outcome reported to a host, and the exit status on Linux.
enum ResultCode : int {
  kResultFinished = 0,
  kResultCancelled = 1,
  kResultFailed = 2,
};

}  // namespace vintor::app
