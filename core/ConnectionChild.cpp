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
