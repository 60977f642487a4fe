#include "settings_window/settings_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QTimer>
#include <algorithm>

#include "settings_window/desktop_options_box.h"
#include "settings_window/list_entries.h"
#include "settings_window/radio_group.h"
#include "platform/core/ansi.h"
#include "players/flash_player.h"
#include "saver/core/player_controls.h"
#include "widgets/face_names.h"
#include "settings/confirm_write.h"
#include "settings/list_file.h"
#include "settings/stored_settings.h"

namespace lumora {

namespace {

// The four lists and their files, in the order they are loaded and written.
constexpr const char* kListFiles[] = {kPictureListFile, kMediaListFile, kCaptionListFile, kFontListFile};

}  // namespace

SettingsWindow::SettingsWindow(SettingsWindowServices services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      services_(completeServices(std::move(services))) {
  installFaceNameSubstitutions();
  setObjectName(QStringLiteral("SettingsWindow"));
  setWindowTitle(QStringLiteral("Lumora V3.70"));
  audioPreview_ = services_.makeAudioPlayer();
  buildLayout();
  resize(572, 466);
  connectHandlers();
  loadListsAndFonts();
}

SettingsWindow::~SettingsWindow() {
  // The players stop with the window.
  if (audioPreview_) audioPreview_->stop();
}

void SettingsWindow::report(const std::exception& error) { report(QString::fromUtf8(error.what())); }

void SettingsWindow::report(const QString& text) { services_.showMessage(this, text); }

void SettingsWindow::loadListsAndFonts() {
  try {
    ensureListFolder();
  } catch (const std::exception& e) {
    report(e);
  }
  for (int i = 0; i < 4; ++i) {
    try {
      const std::filesystem::path path = listFilePath(kListFiles[i]);
      if (listFileExists(path)) setListEntries(lists_[std::size_t(i)], readListFile(path));
    } catch (const std::exception& e) {
      report(e);
    }
  }
  QStringList families = QFontDatabase::families();
  std::sort(families.begin(), families.end());
  fontChoice_->clear();
  fontChoice_->addItem(QStringLiteral("Default"));
  fontChoice_->addItems(families);
  try {
    ensureShowKey(services_.registryPath);
  } catch (const std::exception& e) {
    report(e);
  }
}

void SettingsWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!event->spontaneous()) loadOptions();
}

void SettingsWindow::loadOptions() {
  StoredSettings s;
  try {
    const RegistryFile registry = RegistryFile::load(services_.registryPath);
    s = readStoredSettings(registry);
    desktopOptions_->load(readDesktopOptions(registry));
  } catch (const std::exception& e) {
    report(e);
    return;
  }
  if (!s.keyExists) return;
  if (s.pictureOrder) pictureOrderChoice_->setItemIndex(*s.pictureOrder);
  if (s.captionOrder) captionOrderChoice_->setItemIndex(*s.captionOrder);
  if (s.mediaOrder) mediaOrderChoice_->setItemIndex(*s.mediaOrder);
  if (s.transitionSpeed) transitionSpeed_->setValue(*s.transitionSpeed);
  shortestTransitionMs_->setValue(s.shortestTransitionMs.value_or(kDefaultShortestTransitionMs));
  if (s.shutdownMinutes) shutdownMinutes_->setValue(*s.shutdownMinutes);
  if (s.pauseSeconds) pauseSeconds_->setValue(*s.pauseSeconds);
  if (s.lyrics) lyricsCheck_->setChecked(*s.lyrics == 1);
  fittingSizeChoice_->setCurrentIndex(0);
  tilingSizeChoice_->setCurrentIndex(0);

  const int threshold = s.fittingThreshold.value_or(0);
  if (s.fittingThreshold) {
    if (threshold == -1) {
      // Checking a radio button that was not checked runs its click handler.
      if (!fitAllChoice()->isChecked()) {
        fitAllChoice()->setChecked(true);
        fitAllChosen();
      }
      tilingSizeChoice_->setEnabled(false);
    } else if (threshold >= 0 && threshold <= 2) {
      if (!fitLargerChoice()->isChecked()) {
        fitLargerChoice()->setChecked(true);
        fitLargerChosen();
      }
      fittingSizeChoice_->setCurrentIndex(threshold);
    }
  }
  if (threshold != -1 && s.tiling) {
    tilingSizeChoice_->setEnabled(true);
    tilingCheck_->setEnabled(true);
    if (*s.tiling == -1) {
      tilingCheck_->setChecked(false);
    } else if (*s.tiling >= 0 && *s.tiling <= 3) {
      tilingCheck_->setChecked(true);
      tilingSizeChoice_->setCurrentIndex(*s.tiling);
    }
  }
  if (s.openingCaption) openingCaptionEdit_->setText(QString::fromStdString(ansiToUtf8(*s.openingCaption)));
  if (s.openingPicture) openingPictureEdit_->setText(QString::fromStdString(ansiToUtf8(*s.openingPicture)));
  if (s.openingDisplay) (*s.openingDisplay != 0 ? openingPictureChoice() : openingCaptionChoice())->setChecked(true);
}

SettingsToWrite SettingsWindow::settingsFromControls() const {
  // Up-down positions are 16-bit numbers.
  auto position = [](const QSpinBox* upDown) { return std::int32_t(std::int16_t(upDown->value())); };
  SettingsToWrite v;
  v.pictureOrder = pictureOrderChoice_->itemIndex();
  v.transitionSpeed = position(transitionSpeed_);
  v.shortestTransitionMs = shortestTransitionMs_->value();
  v.captionOrder = captionOrderChoice_->itemIndex();
  v.mediaOrder = mediaOrderChoice_->itemIndex();
  v.shutdownMinutes = position(shutdownMinutes_);
  v.pauseSeconds = position(pauseSeconds_);
  v.lyrics = lyricsCheck_->isChecked() ? 1 : 0;
  if (fitAllChoice()->isChecked())
    v.fittingThreshold = -1;
  else if (fitLargerChoice()->isChecked())
    v.fittingThreshold = fittingSizeChoice_->currentIndex();
  v.tiling = (tilingCheck_->isEnabled() && tilingCheck_->isChecked()) ? tilingSizeChoice_->currentIndex() : -1;
  v.openingCaption = utf8ToAnsi(openingCaptionEdit_->text().toStdString());
  v.openingPicture = utf8ToAnsi(openingPictureEdit_->text().toStdString());
  v.openingDisplay = openingCaptionChoice()->isChecked() ? 0 : 1;
  return v;
}

void SettingsWindow::confirm() {
  try {
    FourLists lists;
    for (int i = 0; i < 4; ++i) lists[std::size_t(i)] = listEntries(lists_[std::size_t(i)]);
    writeConfirmedSettings(services_.registryPath, lists, settingsFromControls());
    desktopOptions_->write(services_.registryPath, services_.autostartPath, services_.idleProgram);
  } catch (const std::exception& e) {
    // All five files are written before any replaces its old one: a failure
    // while writing leaves what was saved before.
    report(e);
    return;
  }
  close();
}

void SettingsWindow::cancel() { close(); }

int SettingsWindow::aboutPictureShown() const { return aboutPictures_[1]->isHidden() ? 0 : 1; }

void SettingsWindow::showOtherAboutPicture() {
  const int next = 1 - aboutPictureShown();
  aboutPictures_[std::size_t(next)]->setVisible(true);
  aboutPictures_[std::size_t(1 - next)]->setVisible(false);
}

}  // namespace lumora
