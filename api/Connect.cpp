#include "api/Connect.h"

#include "api/CallFrame.h"
#include "backend/DriverFactories.h"

namespace api {

bool attachNewConnection(ConnectionProxy* proxy, bool wide) {
  Connection* connection = createConnection(proxy->environment());
  if (connection == nullptr) {
    proxy->diagnostics().clear();
    failure(&proxy->diagnostics(), "HY001");
    return false;
  }
  proxy->attachConnection(connection);
  if (wide) proxy->setWideAPI(true);
  return true;
}

}  // namespace api
