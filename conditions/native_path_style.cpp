#include "conditions/path_style.h"

namespace vintor::conditions {

const PathStyle& NativePathStyle() {
#ifdef _WIN32
  return WindowsPathStyle();
#else
  return PosixPathStyle();
#endif
}

}  // namespace vintor::conditions
