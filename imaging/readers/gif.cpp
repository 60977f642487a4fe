#include "imaging/readers/readers.h"

namespace lumora {

Picture readGif(const ReaderInput&) { throw PictureError("This picture type cannot be read yet."); }

}  // namespace lumora
