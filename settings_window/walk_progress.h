// What the settings window shows while it looks for files in subfolders:
// nothing for the first half second, then a dialog with the number of files
// found so far and a cancel button.
#pragma once

#include <QElapsedTimer>
#include <cstddef>
#include <memory>

class QProgressDialog;
class QWidget;

namespace lumora {

class WalkProgress {
 public:
  virtual ~WalkProgress() = default;
  // Called now and then during the walk; false once the user cancelled.
  virtual bool update(std::size_t found) = 0;
};

class WalkProgressDialog : public WalkProgress {
 public:
  explicit WalkProgressDialog(QWidget* parent, int delayMs = 500);
  ~WalkProgressDialog() override;
  bool update(std::size_t found) override;
  // The dialog once shown, else null.
  QProgressDialog* dialog() const { return dialog_.get(); }

 private:
  QWidget* parent_;
  int delayMs_;
  QElapsedTimer clock_;
  QElapsedTimer sinceRedraw_;
  std::unique_ptr<QProgressDialog> dialog_;
};

}  // namespace lumora
