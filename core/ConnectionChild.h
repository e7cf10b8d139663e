#pragma once
// Statements and explicitly allocated descriptors. ODBC frees every statement and descriptor of
// a connection when it disconnects, and a connection handle may be freed with some still
// allocated, so each one registers with its connection, which frees the ones still there.
#include <cstddef>
#include <string>

class Connection;
class Descriptor;

class ConnectionChild {
 public:
  // Registers with the connection; a null connection (the implicit descriptors that a statement
  // owns itself) registers with none.
  explicit ConnectionChild(Connection* connection);
  // Leaves the registry, so that an application freeing the handle itself is not freed again.
  virtual ~ConnectionChild();
  ConnectionChild(const ConnectionChild&) = delete;
  ConnectionChild& operator=(const ConnectionChild&) = delete;

  // An explicitly allocated descriptor of the same connection is going (ODBC frees it while
  // statements may still use it); nothing here.
  virtual void descriptorFreed(const Descriptor* descriptor);
  // Whether this child is a statement whose cursor has that name; false here.
  virtual bool hasCursorName(const std::string& name) const;

 protected:
  // Tells every other child of the connection that this descriptor is going.
  void announceDescriptorFreed(const Descriptor* descriptor);
  // Whether another child of the connection has that cursor name.
  bool cursorNameTaken(const std::string& name) const;

 private:
  // The connection keeps the child's place in its registry, so that leaving it is one step.
  friend class Connection;

  Connection* registry_;
  std::size_t registryIndex_ = 0;
};
