// TForm4, the password prompt of the show: "密码", a masked edit, "确定"
// and "取消". The edit keeps what was typed between prompts.
#pragma once

#include <QDialog>

namespace lumora {

class MaskedEdit;

class PasswordPrompt : public QDialog {
  Q_OBJECT

 public:
  explicit PasswordPrompt(QWidget* parent = nullptr);
  MaskedEdit* maskEdit1() const { return maskEdit1_; }  // MaskEdit1

 private:
  MaskedEdit* maskEdit1_;
};

}  // namespace lumora
