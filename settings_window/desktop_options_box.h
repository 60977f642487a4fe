// The options tab's row for the switches the desktop holds on Windows: the
// idle start ("空闲时自动启动" with its minutes) and the password switch
// ("启用屏保密码"). Read when the window is shown, written on confirm.
#pragma once

#include <QWidget>
#include <filesystem>
#include <string>

#include "settings/desktop_options.h"

class QCheckBox;
class QSpinBox;

namespace lumora {

class DesktopOptionsBox : public QWidget {
  Q_OBJECT

 public:
  explicit DesktopOptionsBox(QWidget* parent = nullptr);

  QCheckBox* idleCheckBox() const { return idleCheck_; }
  QSpinBox* idleMinutes() const { return idleMinutes_; }
  QCheckBox* passwordCheckBox() const { return passwordCheck_; }

  void load(const DesktopOptions& options);
  DesktopOptions options() const;

  // Writes both values, then makes the autostart entry running
  // `program --idle` when the idle start is on, or removes it when off.
  // Throws what the registry or the file system throws.
  void write(const std::filesystem::path& registryPath, const std::filesystem::path& autostartPath,
             const std::string& program) const;

 private:
  QCheckBox* idleCheck_;
  QSpinBox* idleMinutes_;
  QCheckBox* passwordCheck_;
};

}  // namespace lumora
