#include "imaging/metafile/objects.h"

namespace lumora::metafile {

bool ObjectTable::add(GdiObject object) {
  std::size_t i = firstFree_;
  while (i < slots_.size() && slots_[i]) ++i;
  if (i >= size_) return false;
  if (i >= slots_.size()) slots_.resize(i + 1);
  slots_[i] = std::move(object);
  firstFree_ = i + 1;
  return true;
}

bool ObjectTable::put(std::size_t index, GdiObject object) {
  if (index >= size_) return false;
  if (index >= slots_.size()) slots_.resize(index + 1);
  slots_[index] = std::move(object);
  return true;
}

const GdiObject* ObjectTable::get(std::size_t index) const {
  if (index >= slots_.size() || !slots_[index]) return nullptr;
  return &*slots_[index];
}

void ObjectTable::remove(std::size_t index) {
  if (index >= slots_.size()) return;
  slots_[index].reset();
  if (index < firstFree_) firstFree_ = index;
}

}  // namespace lumora::metafile
