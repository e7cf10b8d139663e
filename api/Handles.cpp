#include "api/Handles.h"

#include "core/Connection.h"

namespace api {

Environment* environmentOf(Descriptor* descriptor) {
  return descriptor->getConnection()->environment();
}

}  // namespace api
