// The list handlers of the settings window: adding, removing, saving and
// opening lists, captions, fonts, the fitting choices, the opening picture.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <system_error>
#include <unordered_set>

#include "settings_window/file_list_box.h"
#include "settings_window/file_names.h"
#include "settings_window/folder_walk.h"
#include "settings_window/list_entries.h"
#include "settings_window/picture_filter.h"
#include "settings_window/settings_window.h"
#include "platform/core/ansi.h"
#include "settings/list_file.h"
#include "settings_window/walk_progress.h"

namespace lumora {

namespace {

const QString kListFilter = QStringLiteral("文本文件(*.txt)");

std::string fsPath(const QString& chosen) { return chosen.toStdString(); }

}  // namespace

void SettingsWindow::addFiles(FileListBox* files, QListWidget* list, bool all) {
  for (int row = 0; row < files->count(); ++row)
    if (all || files->item(row)->isSelected()) appendEntry(list, ansiFromFsPath(files->filePath(row)));
}

void SettingsWindow::addAllFiles(FileTab tab) {
  FileListBox* files = controls(tab).files;
  QListWidget* list = listOf(tab);
  if (!subfoldersBox(tab)->isChecked()) {
    addFiles(files, list, true);
    return;
  }
  if (files->directory().empty()) return;
  const std::unique_ptr<WalkProgress> progress = services_.makeWalkProgress(this);
  const auto found =
      walkMatchingFiles(files->directory(), files->mask(), [&progress](std::size_t n) { return progress->update(n); });
  if (!found) return;  // cancelled: nothing is added
  const StringList present = listEntries(list);
  std::unordered_set<std::string> have(present.begin(), present.end());
  list->setUpdatesEnabled(false);
  for (const std::string& path : *found) {
    std::string entry = ansiFromFsPath(path);
    if (have.insert(entry).second) appendEntry(list, entry);
  }
  list->setUpdatesEnabled(true);
}

void SettingsWindow::removeSelected(QListWidget* list) {
  int row = 0;
  while (row < list->count()) {
    if (list->item(row)->isSelected())
      delete list->takeItem(row);
    else
      ++row;
  }
}

void SettingsWindow::removeAll(QListWidget* list) { list->clear(); }

void SettingsWindow::saveList(QListWidget* list) {
  const QString chosen = services_.chooseSaveFile(this, kListFilter);
  if (chosen.isEmpty()) return;
  try {
    writeListFile(listSaveName(fsPath(chosen)), listEntries(list));
  } catch (const std::exception& e) {
    report(e);
  }
}

void SettingsWindow::openList(QListWidget* list) {
  const QString chosen = services_.chooseOpenFile(this, kListFilter);
  if (chosen.isEmpty()) return;
  try {
    const std::string path = fsPath(chosen);
    // A chosen file that is not there is an error, not an empty list.
    if (!listFileExists(path))
      throw ListFileError("cannot open " + path + ": " +
                          std::make_error_code(std::errc::no_such_file_or_directory).message());
    const ListKind kind = list == captionList() ? ListKind::Text : ListKind::Paths;
    setListEntries(list, readListFile(path, kind));
  } catch (const std::exception& e) {
    report(e);
  }
}

void SettingsWindow::addCaption() {
  appendEntry(captionList(), utf8ToAnsi(captionEdit_->text().toStdString()));
  captionEdit_->clear();
}

void SettingsWindow::addFont() { appendEntry(fontList(), utf8ToAnsi(fontChoice_->currentText().toStdString())); }

void SettingsWindow::chooseOpeningPicture() {
  QStringList rows;
  for (const std::string& row : pictureDialogFilter()) rows << QString::fromStdString(row);
  const QString chosen = services_.choosePicture(this, rows.join(QStringLiteral(";;")));
  if (!chosen.isEmpty()) openingPictureEdit_->setText(chosen);
}

void SettingsWindow::fitAllChosen() {
  if (!fitAllChoice()->isChecked()) return;
  tilingCheck_->setEnabled(false);
  tilingSizeChoice_->setEnabled(false);
}

void SettingsWindow::fitLargerChosen() {
  if (!fitLargerChoice()->isChecked()) return;
  tilingCheck_->setEnabled(true);
  tilingSizeChoice_->setEnabled(true);
}

}  // namespace lumora
