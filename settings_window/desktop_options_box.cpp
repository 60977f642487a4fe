#include "settings_window/desktop_options_box.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>

#include "platform/core/autostart.h"

namespace lumora {

namespace {
// The minutes the spin box offers when the idle start is off.
constexpr int kDefaultIdleMinutes = 10;
}  // namespace

DesktopOptionsBox::DesktopOptionsBox(QWidget* parent) : QWidget(parent) {
  idleCheck_ = new QCheckBox(QString::fromUtf8("空闲时自动启动"), this);
  idleCheck_->setObjectName(QStringLiteral("IdleCheckBox"));
  idleMinutes_ = new QSpinBox(this);
  idleMinutes_->setObjectName(QStringLiteral("IdleMinutes"));
  idleMinutes_->setRange(1, kMaxIdleMinutes);
  idleMinutes_->setValue(kDefaultIdleMinutes);
  idleMinutes_->setEnabled(false);
  passwordCheck_ = new QCheckBox(QString::fromUtf8("启用屏保密码"), this);
  passwordCheck_->setObjectName(QStringLiteral("PasswordCheckBox"));
  connect(idleCheck_, &QCheckBox::toggled, idleMinutes_, &QSpinBox::setEnabled);

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(6, 2, 0, 2);
  grid->setVerticalSpacing(4);
  grid->addWidget(idleCheck_, 0, 0);
  grid->addWidget(idleMinutes_, 0, 1);
  grid->addWidget(new QLabel(QString::fromUtf8("分钟"), this), 0, 2);
  grid->addWidget(passwordCheck_, 1, 0, 1, 3);
  grid->setColumnStretch(3, 1);
}

void DesktopOptionsBox::load(const DesktopOptions& options) {
  idleCheck_->setChecked(options.idleMinutes > 0);
  if (options.idleMinutes > 0) idleMinutes_->setValue(options.idleMinutes);
  passwordCheck_->setChecked(options.usePassword);
}

DesktopOptions DesktopOptionsBox::options() const {
  return DesktopOptions{idleCheck_->isChecked() ? idleMinutes_->value() : 0, passwordCheck_->isChecked()};
}

void DesktopOptionsBox::write(const std::filesystem::path& registryPath, const std::filesystem::path& autostartPath,
                              const std::string& program) const {
  const DesktopOptions values = options();
  writeDesktopOptions(registryPath, values);
  if (values.idleMinutes > 0)
    writeIdleAutostart(autostartPath, program);
  else
    removeIdleAutostart(autostartPath);
}

}  // namespace lumora
