#include "imaging/readers/readers.h"

namespace lumora {

Picture readSgi(const ReaderInput&) { throw PictureError("This picture type cannot be read yet."); }

}  // namespace lumora
