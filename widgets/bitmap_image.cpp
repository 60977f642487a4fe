#include "widgets/bitmap_image.h"

namespace lumora {

QImage imageOver(Bitmap& bitmap) {
  return QImage(bitmap.bytes(), bitmap.width(), bitmap.height(), qsizetype(bitmap.bytesPerLine()),
                QImage::Format_RGB32);
}

QImage imageOver(const Bitmap& bitmap) {
  return QImage(bitmap.bytes(), bitmap.width(), bitmap.height(), qsizetype(bitmap.bytesPerLine()),
                QImage::Format_RGB32);
}

QImage imageCopyOf(const Bitmap& bitmap) { return imageOver(bitmap).copy(); }

}  // namespace lumora
