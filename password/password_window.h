// TForm5, the password change window ("/A"): the new password typed twice;
// when both agree it is stored as "mima" and the window closes.
#pragma once

#include <QDialog>
#include <filesystem>

namespace lumora {

class MaskedEdit;

class PasswordWindow : public QDialog {
  Q_OBJECT

 public:
  explicit PasswordWindow(std::filesystem::path registryPath, QWidget* parent = nullptr);

  MaskedEdit* maskEdit1() const { return maskEdit1_; }
  MaskedEdit* maskEdit2() const { return maskEdit2_; }

  void button1Click();  // confirm
  void button2Click();  // cancel

 signals:
  // A message box is about to be shown (tests answer it).
  void messageShown(const QString& text);

 private:
  void message(const QString& text);

  std::filesystem::path registryPath_;
  MaskedEdit* maskEdit1_;
  MaskedEdit* maskEdit2_;
};

}  // namespace lumora
