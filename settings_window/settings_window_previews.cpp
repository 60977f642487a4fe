// The previews of the settings window: a picture on a click in the picture
// tab, a song or a Flash movie on a double click in the media tab.
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>

#include "settings_window/file_list_box.h"
#include "settings_window/file_names.h"
#include "settings_window/list_entries.h"
#include "settings_window/preview_loader.h"
#include "settings_window/preview_size.h"
#include "settings_window/settings_window.h"
#include "players/flash_player.h"
#include "saver/core/player_controls.h"

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

void SettingsWindow::previewChosenFile() { previewPicture(currentFilePath(pictureFiles())); }

void SettingsWindow::previewListedPicture() {
  const int row = pictureList()->currentRow();
  if (row < 0) return report(kNoCurrentEntry);
  previewPicture(fsPathFromAnsi(entryAt(pictureList(), row)));
}

void SettingsWindow::previewPicture(const std::string& path) {
  // Decoded on the loader's worker: the window goes on answering the keys,
  // and the preview follows when the newest chosen picture is ready.
  if (!previewLoader_) {
    previewLoader_ = new PreviewLoader(decodePreview, this);
    connect(previewLoader_, &PreviewLoader::pictureReady, this, [this](const QImage& image, int w, int h) {
      picturePreview_->setPixmap(QPixmap::fromImage(image));
      showPreviewSize(w, h);
    });
    // The preview and its size text keep what they showed.
    connect(previewLoader_, &PreviewLoader::pictureFailed, this, [this](const QString& message) { report(message); });
  }
  previewLoader_->request(path);
}

void SettingsWindow::showPreviewSize(int width, int height) {
  picturePreview_->resize(kPreviewBoxWidth, kPreviewBoxHeight);
  pictureSizeLabel_->setText(QString::fromStdString(previewSizeText(width, height)));
  const PreviewSize size = previewSize(width, height);
  picturePreview_->resize(size.width, size.height);
}

void SettingsWindow::playChosenFile() { playMedia(currentFilePath(mediaFiles())); }

void SettingsWindow::playListedMedia() {
  const int row = mediaList()->currentRow();
  if (row < 0) return report(kNoCurrentEntry);
  playMedia(fsPathFromAnsi(entryAt(mediaList(), row)));
}

void SettingsWindow::playMedia(const std::string& path) {
  try {
    if (isFlashMovie(path)) {
      audioPreview_->stop();
      flashPreview_->setMovie(path);
      flashPreview_->play();
      frameCountLabel_->setText(QString::number(flashPreview_->totalFrames()));
      return;
    }
    flashPreview_->stop();
    audioPreview_->setSource(path);
    try {
      audioPreview_->play();
    } catch (const MediaDeviceError&) {
      report(QStringLiteral("设备正在使用或无法播放该类型文件！"));
    }
  } catch (const std::exception& e) {
    report(e);
  }
}

void SettingsWindow::stopPreview() {
  flashPreview_->stop();
  audioPreview_->stop();
}

}  // namespace lumora
