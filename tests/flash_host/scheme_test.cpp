// The player program's URL scheme hands out Ruffle's own files and nothing
// else, with the types the web engine needs.
#include <gtest/gtest.h>

#include "flash_host/player_page.h"
#include "flash_host/scheme.h"

namespace lumora {
namespace {

TEST(LumoraScheme, OnlyPlainFileNamesFromRufflesFolder) {
  EXPECT_EQ(ruffleFileName(QStringLiteral("/ruffle/ruffle.js")), QStringLiteral("ruffle.js"));
  EXPECT_EQ(ruffleFileName(QStringLiteral("/ruffle/72a20ef1c0b8ceb37720.wasm")),
            QStringLiteral("72a20ef1c0b8ceb37720.wasm"));
  for (const char* bad : {"/ruffle/", "/ruffle/../registry.reg", "/ruffle/..", "/ruffle/.hidden", "/ruffle/sub/file.js",
                          "/ruffle/..\\x", "/other/ruffle.js", "/ruffleruffle.js", ""})
    EXPECT_TRUE(ruffleFileName(QString::fromLatin1(bad)).isEmpty()) << bad;
}

TEST(LumoraScheme, TypesTheEngineNeeds) {
  EXPECT_EQ(mimeTypeFor(QStringLiteral("core.ruffle.js")), QByteArray("text/javascript"));
  EXPECT_EQ(mimeTypeFor(QStringLiteral("a.wasm")), QByteArray("application/wasm"));
  EXPECT_EQ(mimeTypeFor(QStringLiteral("/movie.swf")), QByteArray("application/x-shockwave-flash"));
  EXPECT_EQ(mimeTypeFor(QStringLiteral("README.md")), QByteArray("application/octet-stream"));
}

// The page leaves the movie's own background alone and reaches Ruffle's
// files through XMLHttpRequest.
// The player's colour is never fixed for all movies: each load passes the
// movie's own first colour, or none.
TEST(PlayerPage, KeepsTheMoviesBackgroundAndRoutesFetchThroughXhr) {
  const QByteArray page = playerPageHtml();
  const qsizetype config = page.indexOf("RufflePlayer.config = {");
  ASSERT_GE(config, 0);
  EXPECT_FALSE(page.mid(config, page.indexOf("};", config) - config).contains("backgroundColor"));
  EXPECT_TRUE(page.contains("XMLHttpRequest"));
  EXPECT_TRUE(page.contains("background: #000"));
  EXPECT_TRUE(page.contains("lumora://flash/ruffle/ruffle.js"));
}

}  // namespace
}  // namespace lumora
