#include "platform/LocalizedStrings.h"

namespace platform {

int loadLocalizedString(void*, unsigned, SQLWCHAR* buffer) {
  buffer[0] = 0;
  return 0;
}

}  // namespace platform
