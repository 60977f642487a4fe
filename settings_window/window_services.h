// What the settings window asks of its surroundings: the file dialogs, the
// message box, the audio player and the Flash player's clock. The defaults
// are the real ones; tests put their own in.
#pragma once

#include <QString>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

class QWidget;

namespace lumora {

class AudioPlayerControl;
class WalkProgress;

struct SettingsWindowServices {
  // A chosen file (empty when cancelled). The filter is a file dialog
  // filter ("文本文件(*.txt)", rows separated by ";;").
  std::function<QString(QWidget* parent, const QString& filter)> chooseOpenFile;  // a list to open
  std::function<QString(QWidget* parent, const QString& filter)> chooseSaveFile;  // where to save a list
  std::function<QString(QWidget* parent, const QString& filter)> choosePicture;   // the opening picture
  // A message box with this text (errors and the window's own messages).
  std::function<void(QWidget* parent, const QString& text)> showMessage;
  // The audio player of the media preview.
  std::function<std::unique_ptr<AudioPlayerControl>()> makeAudioPlayer;
  // The Flash player's clock in ms (empty: the monotonic clock).
  std::function<std::int64_t()> flashClockMs;
  // What shows while "包含子文件夹" looks for files (empty: a progress
  // dialog after half a second).
  std::function<std::unique_ptr<WalkProgress>(QWidget* parent)> makeWalkProgress;
  // The registry file (empty: registryFilePath()).
  std::filesystem::path registryPath;
  // The idle start's autostart entry (empty: idleAutostartPath()) and the
  // program it runs with --idle (empty: the lumora beside this program when
  // there is one, else "lumora" from the PATH).
  std::filesystem::path autostartPath;
  std::string idleProgram;
};

// Fills whatever is left empty with the real dialogs, message box and player.
SettingsWindowServices completeServices(SettingsWindowServices services);

}  // namespace lumora
