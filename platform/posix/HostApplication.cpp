#include "platform/HostApplication.h"

#include <unistd.h>

#include <climits>

namespace platform {

void readHostApplication(std::string& name, std::string& version) {
  char path[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path);
  // A path that fills the buffer may have been cut: no name is better than a wrong one.
  if (length < 0 || static_cast<std::size_t>(length) >= sizeof path) length = 0;
  std::string executable(path, static_cast<std::size_t>(length));
  std::size_t slash = executable.rfind('/');
  name = slash == std::string::npos ? executable : executable.substr(slash + 1);
  version.clear();
}

}  // namespace platform
