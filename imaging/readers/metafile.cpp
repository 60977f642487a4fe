// Windows and enhanced metafiles. The records are read by imaging/metafile/
// (plain C++); painting them needs a renderer, which a graphical library
// installs with setMetafileRenderer. Without one, a metafile cannot be read.
#include "imaging/readers/readers.h"

#include <atomic>

namespace lumora {

namespace {

std::atomic<PictureReader>& renderer() {
  static std::atomic<PictureReader> installed{nullptr};
  return installed;
}

}  // namespace

void setMetafileRenderer(PictureReader reader) { renderer().store(reader); }

Picture readMetafile(const ReaderInput& in) {
  const PictureReader reader = renderer().load();
  if (!reader) throw PictureError("Metafiles cannot be shown in this build.");
  return reader(in);
}

}  // namespace lumora
