#include "settings_window/walk_progress.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace lumora {

WalkProgressDialog::WalkProgressDialog(QWidget* parent, int delayMs) : parent_(parent), delayMs_(delayMs) {
  clock_.start();
}

WalkProgressDialog::~WalkProgressDialog() = default;

bool WalkProgressDialog::update(std::size_t found) {
  if (!dialog_) {
    if (clock_.elapsed() < delayMs_) return true;
    dialog_ = std::make_unique<QProgressDialog>(parent_);
    dialog_->setObjectName(QStringLiteral("WalkProgress"));
    dialog_->setWindowTitle(QString::fromUtf8("包含子文件夹"));
    dialog_->setCancelButtonText(QString::fromUtf8("取  消"));
    dialog_->setRange(0, 0);  // no end known: a busy bar
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setMinimumDuration(0);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->show();
  } else if (sinceRedraw_.isValid() && sinceRedraw_.elapsed() < 50) {
    return !dialog_->wasCanceled();
  }
  sinceRedraw_.start();
  dialog_->setLabelText(QString::fromUtf8("已找到 %1 个文件").arg(qulonglong(found)));
  QCoreApplication::processEvents();
  return !dialog_->wasCanceled();
}

}  // namespace lumora
