#include "imaging/readers/readers.h"

namespace lumora {

Picture readMetafile(const ReaderInput&) { throw PictureError("This picture type cannot be read yet."); }

}  // namespace lumora
