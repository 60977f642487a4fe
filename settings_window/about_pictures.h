// The two pictures of the about tab, drawn here: a day and a night view of
// the same hills, so that swapping them every second looks like a slide show.
#pragma once

#include <QPixmap>

namespace lumora {

inline constexpr int kAboutPictureWidth = 160;
inline constexpr int kAboutPictureHeight = 200;

// which: 0 the day view, 1 the night view.
QPixmap aboutPicture(int which);

}  // namespace lumora
