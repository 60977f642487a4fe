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
  if (s.tpbh) radioGroup2_->setItemIndex(*s.tpbh);
  if (s.wzbh) radioGroup4_->setItemIndex(*s.wzbh);
  if (s.yysz) radioGroup1_->setItemIndex(*s.yysz);
  if (s.speed) upDown3_->setValue(*s.speed);
  upDownFxms_->setValue(s.fxms.value_or(kDefaultFxms));
  if (s.gjsz) upDown1_->setValue(*s.gjsz);
  if (s.jgsj) upDown2_->setValue(*s.jgsj);
  if (s.gcbh) checkBox3_->setChecked(*s.gcbh == 1);
  comboBox1_->setCurrentIndex(0);
  comboBox2_->setCurrentIndex(0);

  const int tptc = s.tptc.value_or(0);
  if (s.tptc) {
    if (tptc == -1) {
      // Checking a radio button that was not checked runs its click handler.
      if (!radioButton(1)->isChecked()) {
        radioButton(1)->setChecked(true);
        radioButton1Click();
      }
      comboBox2_->setEnabled(false);
    } else if (tptc >= 0 && tptc <= 2) {
      if (!radioButton(2)->isChecked()) {
        radioButton(2)->setChecked(true);
        radioButton2Click();
      }
      comboBox1_->setCurrentIndex(tptc);
    }
  }
  if (tptc != -1 && s.pp) {
    comboBox2_->setEnabled(true);
    checkBox1_->setEnabled(true);
    if (*s.pp == -1) {
      checkBox1_->setChecked(false);
    } else if (*s.pp >= 0 && *s.pp <= 3) {
      checkBox1_->setChecked(true);
      comboBox2_->setCurrentIndex(*s.pp);
    }
  }
  if (s.label) edit5_->setText(QString::fromStdString(ansiToUtf8(*s.label)));
  if (s.spic) edit8_->setText(QString::fromStdString(ansiToUtf8(*s.spic)));
  if (s.qssz) (*s.qssz != 0 ? radioButton(4) : radioButton(3))->setChecked(true);
}

SettingsToWrite SettingsWindow::settingsFromControls() const {
  // Up-down positions are 16-bit numbers.
  auto position = [](const QSpinBox* upDown) { return std::int32_t(std::int16_t(upDown->value())); };
  SettingsToWrite v;
  v.tpbh = radioGroup2_->itemIndex();
  v.speed = position(upDown3_);
  v.fxms = upDownFxms_->value();
  v.wzbh = radioGroup4_->itemIndex();
  v.yysz = radioGroup1_->itemIndex();
  v.gjsz = position(upDown1_);
  v.jgsj = position(upDown2_);
  v.gcbh = checkBox3_->isChecked() ? 1 : 0;
  if (radioButton(1)->isChecked())
    v.tptc = -1;
  else if (radioButton(2)->isChecked())
    v.tptc = comboBox1_->currentIndex();
  v.pp = (checkBox1_->isEnabled() && checkBox1_->isChecked()) ? comboBox2_->currentIndex() : -1;
  v.label = utf8ToAnsi(edit5_->text().toStdString());
  v.spic = utf8ToAnsi(edit8_->text().toStdString());
  v.qssz = radioButton(3)->isChecked() ? 0 : 1;
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
