#include "api/Handles.h"

#include "core/Connection.h"

namespace api {

Environment* environmentOf(Descriptor* descriptor) {
  return descriptor->getConnection()->environment();
}

std::unique_lock<platform::Mutex> lockConnectionOf(Statement* statement) {
  return std::unique_lock<platform::Mutex>(statement->connection()->callMutex());
}

std::unique_lock<platform::Mutex> lockConnectionOf(Descriptor* descriptor) {
  return std::unique_lock<platform::Mutex>(descriptor->getConnection()->callMutex());
}

}  // namespace api
