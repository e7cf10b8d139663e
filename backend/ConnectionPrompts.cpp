#include "backend/ConnectionPrompts.h"

#include <atomic>

namespace {

std::atomic<ConnectionPrompts*> registered{nullptr};

}  // namespace

ConnectionPrompts* connectionPrompts() { return registered.load(); }

void setConnectionPrompts(ConnectionPrompts* prompts) { registered.store(prompts); }
