#include "platform/OdbcInstaller.h"

namespace platform {

Mutex& configModeMutex() {
  static Mutex mutex;
  return mutex;
}

}  // namespace platform
