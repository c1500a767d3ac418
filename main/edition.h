// The edition constants of the deliverable being built. The build compiles the same
// sources once per edition with VINTOR_EDITION set to the library's application type.
#pragma once

#include "app/export_app.h"

#ifndef VINTOR_EDITION
#error "VINTOR_EDITION must name the edition: 4 (Oak), 0 (Ash) or 3 (Elm)"
#endif

namespace vintor::main {

inline app::Edition ThisEdition() {
#if VINTOR_EDITION == 4
  return {platform::AppType::kOak, "Tavrel２１ Oak", "VintorOak.env"};
#elif VINTOR_EDITION == 0
  return {platform::AppType::kAsh, "Tavrel２１", "VintorAsh.env"};
#elif VINTOR_EDITION == 3
  return {platform::AppType::kElm, "Tavrel２１ Elm", "VintorElm.env"};
#else
#error "unknown VINTOR_EDITION"
#endif
}

inline const char* ThisProgramName() {
#if VINTOR_EDITION == 4
  return "VintorOak";
#elif VINTOR_EDITION == 0
  return "VintorAsh";
#else
  return "VintorElm";
#endif
}

}  // namespace vintor::main
