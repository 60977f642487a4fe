#include "flash_host/player_page.h"

namespace lumora {

QByteArray playerPageHtml() {
  return QByteArrayLiteral(R"HTML(<!DOCTYPE html>
<html><head><meta charset="utf-8">
<style>
html, body { margin: 0; padding: 0; width: 100%; height: 100%; overflow: hidden; background: #000; }
ruffle-player { display: block; width: 100%; height: 100%; }
</style>
<script>
// The web engine lets our scheme through XMLHttpRequest but not through
// fetch: Ruffle's fetches of its own files and of the movie go through XHR.
(function () {
  const nativeFetch = window.fetch.bind(window);
  window.fetch = function (input, init) {
    const href = typeof input === "string" ? input : (input && input.url) ? input.url : String(input);
    const url = new URL(href, document.baseURI);
    if (url.protocol !== "lumora:") return nativeFetch(input, init);
    return new Promise(function (resolve, reject) {
      const xhr = new XMLHttpRequest();
      xhr.open((init && init.method) || "GET", url.href);
      xhr.responseType = "arraybuffer";
      xhr.onload = function () {
        const type = xhr.getResponseHeader("Content-Type") || "application/octet-stream";
        const status = xhr.status >= 200 && xhr.status < 600 ? xhr.status : 200;
        resolve(new Response(xhr.response, { status: status, headers: { "Content-Type": type } }));
      };
      xhr.onerror = function () { reject(new TypeError("Failed to fetch " + url.href)); };
      xhr.send();
    });
  };
})();

function lumoraReport(text) { console.log("lumora:" + text); }
window.addEventListener("error", function (e) { lumoraReport("error " + (e.message || "script error")); });
window.addEventListener("unhandledrejection", function (e) { lumoraReport("error " + e.reason); });

window.RufflePlayer = window.RufflePlayer || {};
window.RufflePlayer.config = {
  publicPath: "lumora://flash/ruffle/",
  polyfills: false,
  autoplay: "on",
  unmuteOverlay: "hidden",
  splashScreen: false,
  contextMenu: "off",
  letterbox: "on",
  warnOnUnsupportedContent: false,
  showSwfDownload: false,
  openUrlMode: "deny",
  allowScriptAccess: true,
  upgradeToHttps: false,
  logLevel: "error",
  // The player has no GPU: straight to the renderer that draws without one.
  preferredRenderer: "canvas",
};

const lumoraCollectAfterMs = 200;
let lumoraPlayer = null;
let lumoraApi = null;

// `generation` tags the reports of this movie, so that late reports of the
// movie before it are told apart. `background` ("#rrggbb", or empty) is the
// colour the movie's first frame sets: given before the movie runs, Ruffle
// draws its first picture in it rather than in its own white.
function lumoraLoad(url, generation, background) {
  if (!window.RufflePlayer || typeof window.RufflePlayer.newest !== "function") {
    lumoraReport("error Ruffle did not load");
    return;
  }
  if (lumoraPlayer) { lumoraPlayer.remove(); lumoraPlayer = null; }
  if (lumoraWarmPlayer) { lumoraWarmPlayer.remove(); lumoraWarmPlayer = null; }
  const player = window.RufflePlayer.newest().createPlayer();
  lumoraPlayer = player;
  lumoraApi = typeof player.ruffle === "function" ? player.ruffle() : player;
  const onCommand = function (command, args) {
    if (command === "lumora_frame") { lumoraReport("frame " + generation + " " + args); return true; }
    return false;
  };
  player.onFSCommand = onCommand;
  if (lumoraApi !== player) lumoraApi.onFSCommand = onCommand;
  player.addEventListener("loadedmetadata", function () {
    const m = lumoraApi.metadata || player.metadata || {};
    lumoraReport("movie " + generation + " " + (m.numFrames | 0) + " " + (m.frameRate || 0) + " " + (m.width | 0) + " " +
                 (m.height | 0) + " " + (m.isActionScript3 ? 1 : 0));
  });
  player.addEventListener("loadeddata", function () {
    requestAnimationFrame(function () { requestAnimationFrame(function () {
      lumoraReport("shown " + generation);
      // The copies of the movie (and, the first time, of Ruffle's module)
      // that loading left behind are garbage now: collected at once rather
      // than whenever the script engine gets round to it.
      if (typeof window.gc === "function") setTimeout(function () { window.gc(); }, lumoraCollectAfterMs);
    }); });
  });
  document.body.appendChild(player);
  Promise.resolve(lumoraApi.load({ url: url, backgroundColor: background || null })).catch(function (e) { lumoraReport("error " + e); });
}
// A player started ahead of its first movie plays an empty one out of
// sight, so that Ruffle is loaded and compiled when the movie comes.
let lumoraWarmPlayer = null;
function lumoraWarm(url) {
  if (lumoraPlayer || lumoraWarmPlayer || !window.RufflePlayer || typeof window.RufflePlayer.newest !== "function") return;
  const player = window.RufflePlayer.newest().createPlayer();
  lumoraWarmPlayer = player;
  player.style.cssText = "position: absolute; left: 0; top: 0; width: 1px; height: 1px; visibility: hidden;";
  const api = typeof player.ruffle === "function" ? player.ruffle() : player;
  const done = function () {
    if (lumoraWarmPlayer !== player) return;
    lumoraWarmPlayer = null;
    player.remove();
  };
  player.addEventListener("loadeddata", done);
  document.body.appendChild(player);
  Promise.resolve(api.load({ url: url, autoplay: "off" })).catch(done);
}
function lumoraPause() {
  if (!lumoraApi) return;
  if (typeof lumoraApi.suspend === "function") lumoraApi.suspend(); else lumoraApi.pause();
}
function lumoraResume() {
  if (!lumoraApi) return;
  if (typeof lumoraApi.resume === "function") lumoraApi.resume(); else lumoraApi.play();
}
function lumoraVolume(v) { if (lumoraApi) lumoraApi.volume = v; }
</script>
</head><body>
<!-- Last in the body, so that the body exists when the host hears "ready". -->
<script src="lumora://flash/ruffle/ruffle.js"
        onload="lumoraReport('ready')"
        onerror="lumoraReport('error Ruffle is missing')"></script>
</body></html>
)HTML");
}

QByteArray warmUpMovie() {
  // "FWS", version 6, the file's length; an empty frame rectangle (5 bits
  // of 0), 12 frames a second, 1 frame; ShowFrame; End.
  static constexpr unsigned char kMovie[] = {'F',  'W', 'S', 6, 17,   0,    0,    0,   0x00,
                                             0x00, 12,  1,   0, 0x40, 0x00, 0x00, 0x00};
  return QByteArray(reinterpret_cast<const char*>(kMovie), sizeof kMovie);
}

}  // namespace lumora
