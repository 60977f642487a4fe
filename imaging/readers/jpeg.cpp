#include "imaging/readers/readers.h"

namespace lumora {

Picture readJpeg(const ReaderInput&) { throw PictureError("This picture type cannot be read yet."); }

}  // namespace lumora

namespace lumora {
Picture readJpegToFit(const ReaderInput& in, int, int) { return readJpeg(in); }
}  // namespace lumora
