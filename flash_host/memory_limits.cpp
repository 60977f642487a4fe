#include "flash_host/memory_limits.h"

#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QtGlobal>
#include <malloc.h>

namespace lumora {

namespace {
constexpr int kMallocArenas = 2;
constexpr int kMapOfItsOwnBytes = 1 << 20;  // blocks this large are mapped apart
}  // namespace

void limitPlayerMemory() {
  mallopt(M_ARENA_MAX, kMallocArenas);
  mallopt(M_MMAP_THRESHOLD, kMapOfItsOwnBytes);
  mallopt(M_TRIM_THRESHOLD, kMapOfItsOwnBytes);
  QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
  if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION")) qputenv("QT_XCB_GL_INTEGRATION", "none");
}

void returnFreedMemory() { malloc_trim(0); }

}  // namespace lumora
