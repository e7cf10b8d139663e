#include "core/ConnectionChild.h"

#include "core/Connection.h"

ConnectionChild::ConnectionChild(Connection* connection) : registry_(connection) {
  if (registry_ != nullptr) registry_->addChild(this);
}

ConnectionChild::~ConnectionChild() {
  if (registry_ != nullptr) registry_->removeChild(this);
}

void ConnectionChild::descriptorFreed(const Descriptor*) {}

void ConnectionChild::announceDescriptorFreed(const Descriptor* descriptor) {
  if (registry_ != nullptr) registry_->descriptorFreed(descriptor);
}

bool ConnectionChild::hasCursorName(const std::string&) const { return false; }

bool ConnectionChild::cursorNameTaken(const std::string& name) const {
  return registry_ != nullptr && registry_->cursorNameTaken(this, name);
}
