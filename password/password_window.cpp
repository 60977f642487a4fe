#include "password/password_window.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "platform/core/ansi.h"
#include "widgets/masked_edit.h"
#include "settings/password_store.h"

namespace lumora {

PasswordWindow::PasswordWindow(std::filesystem::path registryPath, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowContextHelpButtonHint |
                          Qt::WindowCloseButtonHint),
      registryPath_(std::move(registryPath)) {
  setObjectName(QStringLiteral("PasswordWindow"));
  setWindowTitle(QStringLiteral("更改密码"));
  setFixedSize(330, 190);
  auto* heading = new QLabel(QStringLiteral("更改“Lumora”屏幕保护密码"), this);
  heading->setGeometry(20, 14, 290, 22);
  auto* passwordCaption = new QLabel(QStringLiteral("新密码："), this);
  passwordCaption->setGeometry(20, 50, 100, 22);
  auto* repeatCaption = new QLabel(QStringLiteral("确认新密码："), this);
  repeatCaption->setGeometry(20, 88, 100, 22);
  passwordEdit_ = new MaskedEdit(this);
  passwordEdit_->setObjectName(QStringLiteral("PasswordEdit"));
  passwordEdit_->setGeometry(120, 48, 190, 24);
  repeatEdit_ = new MaskedEdit(this);
  repeatEdit_->setObjectName(QStringLiteral("RepeatEdit"));
  repeatEdit_->setGeometry(120, 86, 190, 24);
  auto* confirmButton = new QPushButton(QStringLiteral("确认"), this);
  confirmButton->setObjectName(QStringLiteral("ConfirmButton"));
  confirmButton->setGeometry(70, 136, 80, 28);
  confirmButton->setDefault(true);
  auto* cancelButton = new QPushButton(QStringLiteral("取消"), this);
  cancelButton->setObjectName(QStringLiteral("CancelButton"));
  cancelButton->setGeometry(180, 136, 80, 28);
  connect(confirmButton, &QPushButton::clicked, this, &PasswordWindow::confirm);
  connect(cancelButton, &QPushButton::clicked, this, &PasswordWindow::cancel);
}

void PasswordWindow::message(const QString& text) {
  emit messageShown(text);
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Lumora"), text, QMessageBox::Ok, this);
  box.exec();
}

void PasswordWindow::confirm() {
  const std::string first = utf8ToAnsi(passwordEdit_->text().toStdString());
  const std::string second = utf8ToAnsi(repeatEdit_->text().toStdString());
  if (first != second) {
    message(QStringLiteral("密码与确认密码不一样，请重新输入！"));
    passwordEdit_->clear();
    repeatEdit_->clear();
    passwordEdit_->setFocus();
    return;
  }
  try {
    writePassword(registryPath_, first);
  } catch (const std::exception& e) {
    // Nothing was stored: say why and stay, rather than claim success.
    QMessageBox::critical(this, QStringLiteral("Lumora"), QString::fromStdString(e.what()));
    return;
  }
  message(QStringLiteral("密码修改成功!"));
  accept();
}

void PasswordWindow::cancel() { reject(); }

}  // namespace lumora
