#include "platform/Socket.h"

// Name resolution speaks the same calls on both platforms; only their headers differ.
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

namespace platform {

bool resolveIpv4(const char* host, std::uint32_t& address) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host, nullptr, &hints, &found) == 0 && found != nullptr) {
    address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    ::freeaddrinfo(found);
    return true;
  }
  if (found != nullptr) ::freeaddrinfo(found);
  in_addr dotted{};
  if (::inet_pton(AF_INET, host, &dotted) != 1) return false;
  address = dotted.s_addr;
  return true;
}

}  // namespace platform
