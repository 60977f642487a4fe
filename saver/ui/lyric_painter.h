// Draws one lyric line on the Stage: face "宋体", size 20, yellow on a solid
// black background, at (0, ScreenH - 25).
#pragma once

#include <QImage>
#include <string>

namespace lumora {

// `text` is ANSI bytes, already padded as the display pads it.
void drawLyricLine(QImage& stage, const std::string& text);

}  // namespace lumora
