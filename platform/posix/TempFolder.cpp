#include "platform/TempFolder.h"

#include <filesystem>
#include <system_error>

namespace platform {

std::string temporaryFolder() {
  std::error_code error;
  std::string folder = std::filesystem::temp_directory_path(error).string();
  if (error || folder.empty()) folder = "/tmp";
  if (folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace platform
