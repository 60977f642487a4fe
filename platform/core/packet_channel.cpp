#include "platform/core/packet_channel.h"

#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace lumora {

std::pair<PacketChannel, PacketChannel> PacketChannel::pair() {
  int fds[2];
  if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds) != 0)
    throw std::runtime_error(std::string("cannot make a socket pair: ") + std::strerror(errno));
  return {PacketChannel(UniqueFd(fds[0])), PacketChannel(UniqueFd(fds[1]))};
}

bool PacketChannel::send(const std::string& text, int attached) const {
  if (text.size() > kMostBytes) throw std::invalid_argument("packet too long: " + text);
  iovec io{const_cast<char*>(text.data()), text.size()};
  msghdr message{};
  message.msg_iov = &io;
  message.msg_iovlen = 1;
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
  if (attached >= 0) {
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = SOL_SOCKET;
    header->cmsg_type = SCM_RIGHTS;
    header->cmsg_len = CMSG_LEN(sizeof(int));
    std::memcpy(CMSG_DATA(header), &attached, sizeof(int));
  }
  for (;;) {
    // A full socket (the peer stopped reading) blocks briefly rather than
    // dropping the packet.
    const ssize_t sent = ::sendmsg(fd_.get(), &message, MSG_NOSIGNAL);
    if (sent >= 0) return true;
    if (errno == EINTR) continue;
    if (errno == EAGAIN) {
      ::usleep(1000);
      continue;
    }
    return false;
  }
}

std::optional<Packet> PacketChannel::receive(bool& closed) const {
  char buffer[kMostBytes];
  iovec io{buffer, sizeof buffer};
  msghdr message{};
  message.msg_iov = &io;
  message.msg_iovlen = 1;
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  ssize_t got;
  do got = ::recvmsg(fd_.get(), &message, MSG_CMSG_CLOEXEC);
  while (got < 0 && errno == EINTR);
  if (got < 0) {
    if (errno != EAGAIN) closed = true;
    return std::nullopt;
  }
  if (got == 0) {  // a packet socket reads 0 only at the peer's end
    closed = true;
    return std::nullopt;
  }
  Packet packet;
  packet.text.assign(buffer, std::size_t(got));
  for (cmsghdr* header = CMSG_FIRSTHDR(&message); header; header = CMSG_NXTHDR(&message, header)) {
    if (header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS) continue;
    const std::size_t count = (header->cmsg_len - CMSG_LEN(0)) / sizeof(int);
    for (std::size_t i = 0; i < count; ++i) {
      int fd;
      std::memcpy(&fd, CMSG_DATA(header) + i * sizeof(int), sizeof(int));
      if (!packet.fd)
        packet.fd.reset(fd);
      else
        ::close(fd);  // more than one: not ours to keep
    }
  }
  return packet;
}

}  // namespace lumora
