#include "config/settings_window.h"

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

#include "config/desktop_options_box.h"
#include "config/list_entries.h"
#include "config/radio_group.h"
#include "platform/core/ansi.h"
#include "players/flash_player.h"
#include "players/player_controls.h"
#include "saver/ui/face_names.h"
#include "settings/confirm_write.h"
#include "settings/list_file.h"
#include "settings/settings.h"

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
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QStringLiteral("Lumora V3.70"));
  realAudio1_ = services_.makeAudioPlayer();
  buildLayout();
  resize(572, 466);
  connectHandlers();
  formCreate();
}

SettingsWindow::~SettingsWindow() {
  // The players stop with the window.
  if (realAudio1_) realAudio1_->stop();
}

void SettingsWindow::report(const std::exception& error) { report(QString::fromUtf8(error.what())); }

void SettingsWindow::report(const QString& text) { services_.showMessage(this, text); }

void SettingsWindow::formCreate() {
  try {
    ensureListFolder();
  } catch (const std::exception& e) {
    report(e);
  }
  for (int i = 0; i < 4; ++i) {
    try {
      const std::filesystem::path path = listFilePath(kListFiles[i]);
      if (listFileExists(path)) setListEntries(listBox(i + 1), readListFile(path));
    } catch (const std::exception& e) {
      report(e);
    }
  }
  QStringList families = QFontDatabase::families();
  std::sort(families.begin(), families.end());
  comboBox3_->clear();
  comboBox3_->addItem(QStringLiteral("Default"));
  comboBox3_->addItems(families);
  try {
    ensureShowKey(services_.registryPath);
  } catch (const std::exception& e) {
    report(e);
  }
}

void SettingsWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!event->spontaneous()) formShow();
}

void SettingsWindow::formShow() {
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
  if (s.pictureOrder) radioGroup2_->setItemIndex(*s.pictureOrder);
  if (s.captionOrder) radioGroup4_->setItemIndex(*s.captionOrder);
  if (s.mediaOrder) radioGroup1_->setItemIndex(*s.mediaOrder);
  if (s.transitionSpeed) upDown3_->setValue(*s.transitionSpeed);
  upDownFxms_->setValue(s.shortestTransitionMs.value_or(kDefaultShortestTransitionMs));
  if (s.shutdownMinutes) upDown1_->setValue(*s.shutdownMinutes);
  if (s.pauseSeconds) upDown2_->setValue(*s.pauseSeconds);
  if (s.lyrics) checkBox3_->setChecked(*s.lyrics == 1);
  comboBox1_->setCurrentIndex(0);
  comboBox2_->setCurrentIndex(0);

  const int threshold = s.fittingThreshold.value_or(0);
  if (s.fittingThreshold) {
    if (threshold == -1) {
      // Checking a radio button that was not checked runs its click handler.
      if (!radioButton(1)->isChecked()) {
        radioButton(1)->setChecked(true);
        radioButton1Click();
      }
      comboBox2_->setEnabled(false);
    } else if (threshold >= 0 && threshold <= 2) {
      if (!radioButton(2)->isChecked()) {
        radioButton(2)->setChecked(true);
        radioButton2Click();
      }
      comboBox1_->setCurrentIndex(threshold);
    }
  }
  if (threshold != -1 && s.tiling) {
    comboBox2_->setEnabled(true);
    checkBox1_->setEnabled(true);
    if (*s.tiling == -1) {
      checkBox1_->setChecked(false);
    } else if (*s.tiling >= 0 && *s.tiling <= 3) {
      checkBox1_->setChecked(true);
      comboBox2_->setCurrentIndex(*s.tiling);
    }
  }
  if (s.openingCaption) edit5_->setText(QString::fromStdString(ansiToUtf8(*s.openingCaption)));
  if (s.openingPicture) edit8_->setText(QString::fromStdString(ansiToUtf8(*s.openingPicture)));
  if (s.openingDisplay) (*s.openingDisplay != 0 ? radioButton(4) : radioButton(3))->setChecked(true);
}

SettingsToWrite SettingsWindow::settingsFromControls() const {
  // Up-down positions are 16-bit numbers.
  auto position = [](const QSpinBox* upDown) { return std::int32_t(std::int16_t(upDown->value())); };
  SettingsToWrite v;
  v.pictureOrder = radioGroup2_->itemIndex();
  v.transitionSpeed = position(upDown3_);
  v.shortestTransitionMs = upDownFxms_->value();
  v.captionOrder = radioGroup4_->itemIndex();
  v.mediaOrder = radioGroup1_->itemIndex();
  v.shutdownMinutes = position(upDown1_);
  v.pauseSeconds = position(upDown2_);
  v.lyrics = checkBox3_->isChecked() ? 1 : 0;
  if (radioButton(1)->isChecked())
    v.fittingThreshold = -1;
  else if (radioButton(2)->isChecked())
    v.fittingThreshold = comboBox1_->currentIndex();
  v.tiling = (checkBox1_->isEnabled() && checkBox1_->isChecked()) ? comboBox2_->currentIndex() : -1;
  v.openingCaption = utf8ToAnsi(edit5_->text().toStdString());
  v.openingPicture = utf8ToAnsi(edit8_->text().toStdString());
  v.openingDisplay = radioButton(3)->isChecked() ? 0 : 1;
  return v;
}

void SettingsWindow::button7Click() {
  try {
    FourLists lists;
    for (int i = 0; i < 4; ++i) lists[std::size_t(i)] = listEntries(listBox(i + 1));
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

void SettingsWindow::button8Click() { close(); }

int SettingsWindow::aboutPictureShown() const { return aboutPictures_[1]->isHidden() ? 0 : 1; }

void SettingsWindow::timer1Timer() {
  const int next = 1 - aboutPictureShown();
  aboutPictures_[std::size_t(next)]->setVisible(true);
  aboutPictures_[std::size_t(1 - next)]->setVisible(false);
}

}  // namespace lumora
