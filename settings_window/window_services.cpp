#include "settings_window/window_services.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "platform/core/autostart.h"
#include "platform/core/paths.h"
#include "settings_window/walk_progress.h"
#include "players/audio_player.h"

namespace lumora {

namespace {

QString runDialog(QWidget* parent, const QString& filter, QFileDialog::AcceptMode mode) {
  QFileDialog dialog(parent, QString(), QString(), filter);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

}  // namespace

SettingsWindowServices completeServices(SettingsWindowServices s) {
  if (!s.chooseOpenFile)
    s.chooseOpenFile = [](QWidget* w, const QString& f) { return runDialog(w, f, QFileDialog::AcceptOpen); };
  if (!s.chooseSaveFile)
    s.chooseSaveFile = [](QWidget* w, const QString& f) { return runDialog(w, f, QFileDialog::AcceptSave); };
  if (!s.choosePicture)
    s.choosePicture = [](QWidget* w, const QString& f) { return runDialog(w, f, QFileDialog::AcceptOpen); };
  if (!s.showMessage)
    s.showMessage = [](QWidget* w, const QString& text) { QMessageBox::warning(w, QStringLiteral("Lumora"), text); };
  if (!s.makeAudioPlayer) s.makeAudioPlayer = [] { return std::make_unique<AudioPlayer>(); };
  if (!s.makeWalkProgress)
    s.makeWalkProgress = [](QWidget* w) -> std::unique_ptr<WalkProgress> {
      return std::make_unique<WalkProgressDialog>(w);
    };
  if (s.registryPath.empty()) s.registryPath = registryFilePath();
  if (s.autostartPath.empty()) s.autostartPath = idleAutostartPath();
  if (s.idleProgram.empty()) {
    const QFileInfo beside(QCoreApplication::applicationDirPath() + QStringLiteral("/lumora"));
    s.idleProgram = beside.isExecutable() ? beside.absoluteFilePath().toStdString() : std::string("lumora");
  }
  return s;
}

}  // namespace lumora
