// The page that hosts Ruffle: black from the first paint, Ruffle loaded from
// our own URL scheme, and a small script that the host window drives
// (lumoraLoad, lumoraPause, lumoraResume, lumoraVolume). The page reports to
// the host through console lines starting with "lumora:".
#pragma once

#include <QByteArray>

namespace lumora {

// Address of the page and of the files it loads.
inline constexpr const char* kPageUrl = "lumora://flash/page.html";
inline constexpr const char* kMovieUrl = "lumora://flash/movie.swf";
inline constexpr const char* kWarmUpUrl = "lumora://flash/warm-up.swf";
inline constexpr const char* kRufflePrefix = "/ruffle/";
inline constexpr const char* kReportPrefix = "lumora:";

QByteArray playerPageHtml();

// An empty movie (one frame, nothing on it) that a player started ahead of
// its first movie plays out of sight: Ruffle's module is then loaded and
// its player code compiled before the movie's turn.
QByteArray warmUpMovie();

}  // namespace lumora
