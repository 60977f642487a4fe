#include "password/password_window.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "platform/core/ansi.h"
#include "saver/ui/masked_edit.h"
#include "settings/settings.h"

namespace lumora {

PasswordWindow::PasswordWindow(std::filesystem::path registryPath, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowContextHelpButtonHint | Qt::WindowCloseButtonHint),
      registryPath_(std::move(registryPath)) {
  setObjectName(QStringLiteral("TForm5"));
  setWindowTitle(QStringLiteral("更改密码"));
  setFixedSize(330, 190);
  auto* label1 = new QLabel(QStringLiteral("更改“Lumora”屏幕保护密码"), this);
  label1->setGeometry(20, 14, 290, 22);
  auto* label2 = new QLabel(QStringLiteral("新密码："), this);
  label2->setGeometry(20, 50, 100, 22);
  auto* label3 = new QLabel(QStringLiteral("确认新密码："), this);
  label3->setGeometry(20, 88, 100, 22);
  maskEdit1_ = new MaskedEdit(this);
  maskEdit1_->setObjectName(QStringLiteral("MaskEdit1"));
  maskEdit1_->setGeometry(120, 48, 190, 24);
  maskEdit2_ = new MaskedEdit(this);
  maskEdit2_->setObjectName(QStringLiteral("MaskEdit2"));
  maskEdit2_->setGeometry(120, 86, 190, 24);
  auto* button1 = new QPushButton(QStringLiteral("确认"), this);
  button1->setObjectName(QStringLiteral("Button1"));
  button1->setGeometry(70, 136, 80, 28);
  button1->setDefault(true);
  auto* button2 = new QPushButton(QStringLiteral("取消"), this);
  button2->setObjectName(QStringLiteral("Button2"));
  button2->setGeometry(180, 136, 80, 28);
  connect(button1, &QPushButton::clicked, this, &PasswordWindow::button1Click);
  connect(button2, &QPushButton::clicked, this, &PasswordWindow::button2Click);
}

void PasswordWindow::message(const QString& text) {
  emit messageShown(text);
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Lumora"), text, QMessageBox::Ok, this);
  box.exec();
}

void PasswordWindow::button1Click() {
  const std::string first = utf8ToAnsi(maskEdit1_->text().toStdString());
  const std::string second = utf8ToAnsi(maskEdit2_->text().toStdString());
  if (first != second) {
    message(QStringLiteral("密码与确认密码不一样，请重新输入！"));
    maskEdit1_->clear();
    maskEdit2_->clear();
    maskEdit1_->setFocus();
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

void PasswordWindow::button2Click() { reject(); }

}  // namespace lumora
