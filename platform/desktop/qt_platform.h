// Which of Qt's platform plugins this process runs on, for the code that
// must act differently on Wayland (no grabs, no override-redirect, its own
// idle-inhibit protocol).
#pragma once

namespace lumora {

// True on Qt's Wayland platform; needs the QGuiApplication.
bool onWaylandPlatform();

}  // namespace lumora
