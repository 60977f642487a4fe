// The previews of the settings window: a picture on a click in the picture
// tab, a song or a Flash movie on a double click in the media tab.
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>

#include "config/file_list_box.h"
#include "config/file_names.h"
#include "config/list_entries.h"
#include "config/preview_loader.h"
#include "config/preview_size.h"
#include "config/settings_window.h"
#include "players/flash_player.h"
#include "players/player_controls.h"

namespace lumora {

namespace {

// The path of the file list's current item, or "" when it is not selected.
std::string currentFilePath(const FileListBox* files) {
  const int row = files->currentRow();
  if (row < 0 || !files->item(row)->isSelected()) return {};
  return files->filePath(row);
}

const QString kNoCurrentEntry = QStringLiteral("List index out of bounds (-1)");

}  // namespace

void SettingsWindow::fileListBox1Click() { previewPicture(currentFilePath(fileListBox1_)); }

void SettingsWindow::listBox1Click() {
  const int row = listBox(1)->currentRow();
  if (row < 0) return report(kNoCurrentEntry);
  previewPicture(fsPathFromAnsi(entryAt(listBox(1), row)));
}

void SettingsWindow::previewPicture(const std::string& path) {
  // Decoded on the loader's worker: the window goes on answering the keys,
  // and Image1 follows when the newest chosen picture is ready.
  if (!previewLoader_) {
    previewLoader_ = new PreviewLoader(decodePreview, this);
    connect(previewLoader_, &PreviewLoader::pictureReady, this, [this](const QImage& image, int w, int h) {
      image1_->setPixmap(QPixmap::fromImage(image));
      seepic(w, h);
    });
    // Image1 and its size text keep what they showed.
    connect(previewLoader_, &PreviewLoader::pictureFailed, this,
            [this](const QString& message) { report(message); });
  }
  previewLoader_->request(path);
}

void SettingsWindow::seepic(int width, int height) {
  image1_->resize(kPreviewBoxWidth, kPreviewBoxHeight);
  label1_->setText(QString::fromStdString(previewSizeText(width, height)));
  const PreviewSize size = previewSize(width, height);
  image1_->resize(size.width, size.height);
}

void SettingsWindow::fileListBox2DblClick() { playMedia(currentFilePath(fileListBox2_)); }

void SettingsWindow::listBox2DblClick() {
  const int row = listBox(2)->currentRow();
  if (row < 0) return report(kNoCurrentEntry);
  playMedia(fsPathFromAnsi(entryAt(listBox(2), row)));
}

void SettingsWindow::playMedia(const std::string& path) {
  try {
    if (isFlashMovie(path)) {
      realAudio1_->stop();
      shockwaveFlash1_->setMovie(path);
      shockwaveFlash1_->play();
      label23_->setText(QString::number(shockwaveFlash1_->totalFrames()));
      return;
    }
    shockwaveFlash1_->stop();
    realAudio1_->setSource(path);
    try {
      realAudio1_->play();
    } catch (const MediaDeviceError&) {
      report(QStringLiteral("设备正在使用或无法播放该类型文件！"));
    }
  } catch (const std::exception& e) {
    report(e);
  }
}

void SettingsWindow::button16Click() {
  shockwaveFlash1_->stop();
  realAudio1_->stop();
}

}  // namespace lumora
