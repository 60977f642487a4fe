// The show as the lock's module: `lumora --locked-show --window-id ID`,
// run by lumora-lock with the lock channel as descriptor 3 and the
// registry file as the lock read it as descriptor 4. It plays in the lock's
// window as in XScreenSaver's module mode; the lock owns input, the prompt
// and the end (SIGTERM). While the lock's prompt is up the slides wait; when
// the shutdown countdown is over the show tells the lock, which powers off
// once the prompt is answered.
#pragma once

#include <cstdint>
#include <optional>

namespace lumora {

int runLockedShow(std::optional<std::uint32_t> windowId);

}  // namespace lumora
