// lumora-tool compose: the slide step's fitting and composition.
#include "tool/tool.h"

#include <stdexcept>

namespace lumora::tool {

int runCompose(const Args&) { throw std::runtime_error("compose is not available yet"); }

}  // namespace lumora::tool
