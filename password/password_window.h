// The password change window ("/A"): the new password typed twice;
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

  MaskedEdit* passwordEdit() const { return passwordEdit_; }
  MaskedEdit* repeatEdit() const { return repeatEdit_; }

  void confirm();  // stores the password when both agree, and closes
  void cancel();   // closes, storing nothing

 signals:
  // A message box is about to be shown (tests answer it).
  void messageShown(const QString& text);

 private:
  void message(const QString& text);

  std::filesystem::path registryPath_;
  MaskedEdit* passwordEdit_;
  MaskedEdit* repeatEdit_;
};

}  // namespace lumora
