// The show's side of its frames under the lock on Wayland. Run the show's
// application on the "lumoraframes" platform (registered by linking this
// library: `-platform lumoraframes`), then make a FrameExport on the lock
// channel and pass it every `size W H` from the lock.
#pragma once

#include <memory>
#include <string>

#include "platform/core/packet_channel.h"

namespace lumora {

class FrameSink;

class FrameExport {
 public:
  // Throws std::runtime_error when the application is not on lumoraframes.
  explicit FrameExport(const PacketChannel& channel);
  ~FrameExport();

  // Handles `size W H` (true), leaves other messages (false).
  bool handle(const std::string& text);

 private:
  std::unique_ptr<FrameSink> sink_;
};

}  // namespace lumora
