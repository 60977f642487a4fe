#include "imaging/readers/readers.h"

namespace lumora {

Picture readTarga(const ReaderInput&) { throw PictureError("This picture type cannot be read yet."); }

}  // namespace lumora
