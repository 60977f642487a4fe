#include "saver/ui/password_prompt.h"

#include <QLabel>
#include <QPushButton>

#include "saver/ui/masked_edit.h"

namespace lumora {

PasswordPrompt::PasswordPrompt(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint) {
  setWindowTitle(QStringLiteral("密码"));
  setFixedSize(246, 147);
  auto* label = new QLabel(QStringLiteral("请输入屏保密码："), this);
  label->setGeometry(16, 16, 214, 20);
  maskEdit1_ = new MaskedEdit(this);
  maskEdit1_->setObjectName(QStringLiteral("MaskEdit1"));
  maskEdit1_->setGeometry(16, 44, 214, 24);
  auto* ok = new QPushButton(QStringLiteral("确定"), this);
  ok->setObjectName(QStringLiteral("OkButton"));
  ok->setGeometry(40, 96, 75, 27);
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("取消"), this);
  cancel->setObjectName(QStringLiteral("CancelButton"));
  cancel->setGeometry(131, 96, 75, 27);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

}  // namespace lumora
