#pragma once
// A loopback proxy between the driver and the development server that breaks the server's real
// replies at byte offsets, which the server cannot do to its own frames: a reply cut part-way
// with the connection closed, or a reply that stops part-way while the connection stays open.
// It follows the frames of both directions (32-byte header, payload of the size in bytes 4-7) and
// counts the client's bytes, so that a test can tell whether a call reached the network at all.
//
// POSIX only: the Linux integration tests run it beside the Driver Manager.
#ifndef _WIN32
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace testsupport {

class FaultProxy {
 public:
  enum class Action {
    kCut,   // the bytes before the offset go through, then both connections are closed
    kHold,  // the bytes before the offset go through, then nothing more in either direction
  };
  struct Fault {
    Action action = Action::kCut;
    std::uint8_t command = 0;  // the request that starts the count (header byte 8); 0 = any
    unsigned reply = 0;        // which of the replies sent after that request (0 = the first)
    std::size_t offset = 0;    // bytes of that reply, header included, that still go through
  };

  // Listens on a free loopback port and forwards every connection to the upstream port.
  explicit FaultProxy(int upstreamPort);
  ~FaultProxy();
  FaultProxy(const FaultProxy&) = delete;
  FaultProxy& operator=(const FaultProxy&) = delete;

  int port() const { return port_; }
  // The fault hits the chosen reply to the first request matching it that is sent from now on.
  void arm(const Fault& fault);
  // Bytes the clients have sent so far, those held back by kHold included.
  std::uint64_t clientBytes() const { return clientBytes_; }
  // Closes every connection, a held one too, so that a call stuck on it returns.
  void dropConnections();
  // The process's open descriptors that are not the proxy's own, counted while the proxy opens
  // and closes none.
  int foreignDescriptors();

 private:
  struct Link;
  void run();
  void accept();
  // Each false when the link is done with.
  bool fromClient(Link& link);
  bool fromServer(Link& link);
  void close(Link& link);
  // Counts a descriptor just made (or -1) as the proxy's own; called with the mutex held.
  int own(int descriptor);
  void closeDescriptor(int descriptor);

  int upstreamPort_;
  int port_ = 0;
  int listener_ = -1;
  int wake_[2] = {-1, -1};
  std::atomic<bool> stopping_{false};
  std::atomic<bool> dropping_{false};
  std::atomic<std::uint64_t> clientBytes_{0};
  std::mutex mutex_;  // guards the fault and the descriptor set
  std::set<int> own_;
  Fault fault_;
  bool armed_ = false;
  bool counting_ = false;  // the request has been seen; replies are being counted
  unsigned repliesSeen_ = 0;
  bool triggered_ = false;  // the chosen reply is going through
  std::size_t passed_ = 0;  // bytes of it sent on
  std::vector<std::unique_ptr<Link>> links_;
  std::thread thread_;
};

}  // namespace testsupport
#endif
