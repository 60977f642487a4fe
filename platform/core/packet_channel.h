// One end of a local socket pair (SOCK_SEQPACKET) over which two of our own
// processes talk: each message is one packet of text, "verb arg arg ...",
// and may carry one file descriptor. The lock and the show it runs speak so.
#pragma once

#include <optional>
#include <string>

#include "platform/core/unique_fd.h"

namespace lumora {

struct Packet {
  std::string text;
  UniqueFd fd;  // the descriptor that came with it, if any
};

class PacketChannel {
 public:
  static constexpr std::size_t kMostBytes = 512;

  // A connected pair, both ends close-on-exec.
  static std::pair<PacketChannel, PacketChannel> pair();
  explicit PacketChannel(UniqueFd fd) : fd_(std::move(fd)) {}

  int fd() const { return fd_.get(); }
  // Sends `text` (at most kMostBytes) with `attached` when it is >= 0; false
  // when the peer is gone. Never raises SIGPIPE.
  bool send(const std::string& text, int attached = -1) const;
  // The next packet when one is waiting (the socket is non-blocking), an
  // empty optional when none is; `closed` becomes true once the peer is gone.
  std::optional<Packet> receive(bool& closed) const;

 private:
  UniqueFd fd_;
};

}  // namespace lumora
