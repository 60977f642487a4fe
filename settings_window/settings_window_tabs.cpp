// The five tabs of the settings window and the two buttons under them.
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "settings_window/about_pictures.h"
#include "settings_window/desktop_options_box.h"
#include "settings_window/drive_combo_box.h"
#include "settings_window/file_list_box.h"
#include "settings_window/file_masks.h"
#include "settings_window/filter_combo_box.h"
#include "settings/stored_settings.h"
#include "settings_window/line_room_delegate.h"
#include "settings_window/preview_size.h"
#include "settings_window/radio_group.h"
#include "settings_window/settings_window.h"
#include "players/flash_player.h"

namespace lumora {

namespace {

QFont songTi(int pixels) {
  QFont font(QStringLiteral("宋体"));
  font.setPixelSize(pixels);
  return font;
}

QString text(const char* utf8) { return QString::fromUtf8(utf8); }

QSpinBox* makeUpDown(const char* name, int low, int high, int start, QWidget* parent) {
  auto* upDown = new QSpinBox(parent);
  upDown->setObjectName(text(name));
  upDown->setRange(low, high);
  upDown->setValue(start);
  return upDown;
}

// The left column of the picture and media tabs: drive, folders, files, filter.
QVBoxLayout* browseColumn(DriveComboBox* drive, QTreeWidget* tree, FileListBox* files, FilterComboBox* filter) {
  auto* column = new QVBoxLayout;
  column->setSpacing(4);
  for (QWidget* w : std::initializer_list<QWidget*>{drive, tree, files, filter}) {
    w->setFont(songTi(12));
    w->setFixedWidth(150);
  }
  tree->setHeaderHidden(true);
  tree->setColumnCount(1);
  column->addWidget(drive);
  column->addWidget(tree, 3);
  column->addWidget(files, 2);
  column->addWidget(filter);
  return column;
}

}  // namespace

// What the picture and media tabs differ in; the rest of each is built by
// buildFileTab.
struct SettingsWindow::FileTabLayout {
  FileTab tab;
  const char* name;  // the stem of the controls' object names
  const char* mask;  // the file list's
  std::span<const FilterRow> (*filters)();
  SettingsButton firstButton;  // the six list buttons, from add to open, follow it
  int list;                    // of lists_
  int number;                  // of the "SubfoldersBox" and "CountLabel" object names
  int spacing;                 // between the button groups
  // Adds the tab's own controls to the middle column and makes its preview
  // box, which goes above the list or below its count.
  QWidget* (SettingsWindow::*addPreview)(QWidget* tab, QVBoxLayout* middle);
  bool previewAboveList;
};

const SettingsWindow::FileTabLayout SettingsWindow::kFileTabLayouts[] = {
    {FileTab::Pictures, "Picture", kPictureMask, pictureFilters, SettingsButton::AddPictures, 0, 1, 12,
     &SettingsWindow::addPicturePreview, true},
    {FileTab::Media, "Media", kMediaMask, mediaFilters, SettingsButton::AddMedia, 1, 2, 8,
     &SettingsWindow::addMediaPreview, false},
};

// The buttons' object names, in the order of SettingsButton.
constexpr const char* kButtonNames[] = {
    "AddPictures", "AddAllPictures", "RemovePictures",    "RemoveAllPictures",    "SavePictureList", "OpenPictureList",
    "AddMedia",    "AddAllMedia",    "RemoveMedia",       "RemoveAllMedia",       "SaveMediaList",   "OpenMediaList",
    "AddCaption",  "RemoveCaptions", "RemoveAllCaptions", "SaveCaptionList",      "OpenCaptionList", "AddFont",
    "RemoveFonts", "RemoveAllFonts", "StopPreview",       "BrowseOpeningPicture", "Confirm",         "Cancel"};
static_assert(std::size(kButtonNames) == std::size_t(SettingsButton::Count));

QPushButton* SettingsWindow::makeButton(SettingsButton which, const char* caption, QWidget* parent) {
  auto* button = new QPushButton(text(caption), parent);
  button->setObjectName(QString::fromLatin1(kButtonNames[std::size_t(which)]) + QStringLiteral("Button"));
  buttons_.at(std::size_t(which)) = button;
  return button;
}

QLabel* SettingsWindow::makeCountLabel(int number, QListWidget* list, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(QStringLiteral("CountLabel%1").arg(number));
  // Counted through the model: it is the one signalling, and it stays whole
  // while the list around it is being torn down.
  QAbstractItemModel* model = list->model();
  auto update = [label, model] { label->setText(text("共 %1 项").arg(model->rowCount())); };
  connect(model, &QAbstractItemModel::rowsInserted, label, update);
  connect(model, &QAbstractItemModel::rowsRemoved, label, update);
  connect(model, &QAbstractItemModel::modelReset, label, update);
  update();
  return label;
}

QListWidget* SettingsWindow::makeList(int index, const char* name, QWidget* parent) {
  auto* list = new QListWidget(parent);
  list->setObjectName(QString::fromLatin1(name));
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->setFont(songTi(12));
  list->setItemDelegate(new LineRoomDelegate(list));
  // Long paths are scrolled into view rather than cut.
  list->setTextElideMode(Qt::ElideNone);
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  lists_.at(std::size_t(index)) = list;
  return list;
}

void SettingsWindow::buildLayout() {
  setFont(songTi(12));
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(6, 6, 6, 6);
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("Tabs"));
  tabs_->setFont(songTi(14));
  tabs_->addTab(buildFileTab(kFileTabLayouts[0]), text("图片清单"));
  tabs_->addTab(buildFileTab(kFileTabLayouts[1]), text("多媒体文件清单"));
  tabs_->addTab(buildTextTab(), text("文字清单"));
  tabs_->addTab(buildOptionsTab(), text("其它设置"));
  tabs_->addTab(buildAboutTab(), text("版本信息"));
  outer->addWidget(tabs_, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(makeButton(SettingsButton::Confirm, "确  定", this));
  bottom->addWidget(makeButton(SettingsButton::Cancel, "取  消", this));
  outer->addLayout(bottom);
}

QWidget* SettingsWindow::buildFileTab(const FileTabLayout& layout) {
  FileTabControls& c = controls(layout.tab);
  const QString name = QString::fromLatin1(layout.name);
  auto* tab = new QWidget;
  tab->setObjectName(name + QStringLiteral("Tab"));
  c.places = new DriveComboBox(tab);
  c.places->setObjectName(name + QStringLiteral("Places"));
  c.folders = new QTreeWidget(tab);
  c.folders->setObjectName(name + QStringLiteral("Folders"));
  c.files = new FileListBox(layout.mask, tab);
  c.files->setObjectName(name + QStringLiteral("Files"));
  c.filter = new FilterComboBox(layout.filters(), c.files, tab);
  c.filter->setObjectName(name + QStringLiteral("Filter"));

  // Add, add all, (subfolders), remove, remove all; save, open.
  constexpr const char* kCaptions[] = {"—> 添加", "==> 全部添加", "<— 移除", "<== 全部移除", "保存清单", "打开清单"};
  auto listButton = [&](int i) { return makeButton(SettingsButton(int(layout.firstButton) + i), kCaptions[i], tab); };
  auto* middle = new QVBoxLayout;
  middle->setSpacing(4);
  middle->addWidget(listButton(0));
  middle->addWidget(listButton(1));
  c.subfolders = new QCheckBox(text("包含子文件夹"), tab);
  c.subfolders->setObjectName(QStringLiteral("SubfoldersBox%1").arg(layout.number));
  middle->addWidget(c.subfolders);
  middle->addWidget(listButton(2));
  middle->addWidget(listButton(3));
  middle->addSpacing(layout.spacing);
  middle->addWidget(listButton(4));
  middle->addWidget(listButton(5));
  middle->addSpacing(layout.spacing);

  QWidget* preview = (this->*layout.addPreview)(tab, middle);

  auto* right = new QVBoxLayout;
  right->setSpacing(4);
  if (layout.previewAboveList) right->addWidget(preview);
  QListWidget* list = makeList(layout.list, (layout.name + std::string("List")).c_str(), tab);
  right->addWidget(list, 1);
  c.count = makeCountLabel(layout.number, list, tab);
  right->addWidget(c.count);
  if (!layout.previewAboveList) right->addWidget(preview);

  auto* row = new QHBoxLayout(tab);
  row->setContentsMargins(6, 6, 6, 6);
  row->addLayout(browseColumn(c.places, c.folders, c.files, c.filter));
  row->addLayout(middle);
  row->addLayout(right, 1);
  return tab;
}

QWidget* SettingsWindow::addPicturePreview(QWidget* tab, QVBoxLayout* middle) {
  auto* pictureSizeCaption = new QLabel(text("图片尺寸："), tab);
  pictureSizeCaption->setObjectName(QStringLiteral("PictureSizeCaption"));
  pictureSizeLabel_ = new QLabel(tab);
  pictureSizeLabel_->setObjectName(QStringLiteral("PictureSizeLabel"));
  middle->addWidget(pictureSizeCaption);
  middle->addWidget(pictureSizeLabel_);
  middle->addStretch(1);

  // The preview sits in a box of its largest size, at its top-left.
  auto* imageBox = new QWidget(tab);
  imageBox->setFixedSize(kPreviewBoxWidth, kPreviewBoxHeight);
  picturePreview_ = new QLabel(imageBox);
  picturePreview_->setObjectName(QStringLiteral("PicturePreview"));
  picturePreview_->setScaledContents(true);
  picturePreview_->setGeometry(0, 0, 210, 120);
  return imageBox;
}

QWidget* SettingsWindow::addMediaPreview(QWidget* tab, QVBoxLayout* middle) {
  lyricsCheck_ = new QCheckBox(text("播放歌词"), tab);
  lyricsCheck_->setObjectName(QStringLiteral("LyricsCheck"));
  lyricsCheck_->setChecked(true);
  middle->addWidget(lyricsCheck_);
  middle->addStretch(1);
  auto* flashPreviewCaption = new QLabel(text("Flash预览区"), tab);
  flashPreviewCaption->setObjectName(QStringLiteral("FlashPreviewCaption"));
  middle->addWidget(flashPreviewCaption);
  auto* frames = new QHBoxLayout;
  auto* frameCountCaption = new QLabel(text("总 帧 数："), tab);
  frameCountCaption->setObjectName(QStringLiteral("FrameCountCaption"));
  frameCountLabel_ = new QLabel(tab);
  frameCountLabel_->setObjectName(QStringLiteral("FrameCountLabel"));
  frames->addWidget(frameCountCaption);
  frames->addWidget(frameCountLabel_, 1);
  middle->addLayout(frames);
  middle->addWidget(makeButton(SettingsButton::StopPreview, "停止预览", tab));

  auto* flashBox = new QWidget(tab);
  flashBox->setFixedSize(209, 153);
  flashPreview_ = new FlashPlayer(flashBox, services_.flashClockMs);
  flashPreview_->setGeometry(0, 0, 209, 153);
  return flashBox;
}

QWidget* SettingsWindow::buildTextTab() {
  auto* tab = new QWidget;
  tab->setObjectName(QStringLiteral("TextTab"));

  auto* left = new QVBoxLayout;
  captionOrderChoice_ = new RadioGroup(text("文字播放设置"), {text("不播放"), text("顺序播放"), text("随机播放")}, tab);
  captionOrderChoice_->setObjectName(QStringLiteral("CaptionOrderChoice"));
  left->addWidget(captionOrderChoice_);
  left->addWidget(new QLabel(text("播放时字体及字体清单"), tab));
  auto* fontRow = new QHBoxLayout;
  fontChoice_ = new QComboBox(tab);
  fontChoice_->setObjectName(QStringLiteral("FontChoice"));
  fontChoice_->setEditable(true);
  fontChoice_->setFont(songTi(12));
  fontChoice_->setItemDelegate(new LineRoomDelegate(fontChoice_));
  fontChoice_->setMinimumContentsLength(10);
  fontChoice_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  fontRow->addWidget(fontChoice_, 1);
  fontRow->addWidget(makeButton(SettingsButton::AddFont, "添加", tab));
  left->addLayout(fontRow);
  left->addWidget(makeList(3, "FontList", tab), 1);
  auto* fontButtons = new QHBoxLayout;
  fontButtons->addWidget(makeButton(SettingsButton::RemoveFonts, "<-- 移除", tab));
  fontButtons->addWidget(makeButton(SettingsButton::RemoveAllFonts, "<== 全部移除", tab));
  left->addLayout(fontButtons);

  auto* right = new QVBoxLayout;
  right->addWidget(new QLabel(text("文字清单"), tab));
  auto* captionRow = new QHBoxLayout;
  captionEdit_ = new QLineEdit(tab);
  captionEdit_->setObjectName(QStringLiteral("CaptionEdit"));
  captionRow->addWidget(captionEdit_, 1);
  captionRow->addWidget(makeButton(SettingsButton::AddCaption, "添加", tab));
  right->addLayout(captionRow);
  right->addWidget(makeList(2, "CaptionList", tab), 1);
  auto* captionButtons = new QGridLayout;
  captionButtons->addWidget(makeButton(SettingsButton::RemoveCaptions, "<— 移除", tab), 0, 0);
  captionButtons->addWidget(makeButton(SettingsButton::RemoveAllCaptions, "<== 全部移除", tab), 0, 1);
  captionButtons->addWidget(makeButton(SettingsButton::SaveCaptionList, "保存清单", tab), 1, 0);
  captionButtons->addWidget(makeButton(SettingsButton::OpenCaptionList, "打开清单", tab), 1, 1);
  right->addLayout(captionButtons);

  auto* row = new QHBoxLayout(tab);
  row->setContentsMargins(6, 6, 6, 6);
  row->addLayout(left, 1);
  row->addSpacing(8);
  row->addLayout(right, 1);
  return tab;
}

QWidget* SettingsWindow::buildOptionsTab() {
  auto* tab = new QWidget;
  tab->setObjectName(QStringLiteral("OptionsTab"));

  auto* speedGroup = new QGroupBox(text("转场速度"), tab);
  auto* speedRow = new QHBoxLayout(speedGroup);
  transitionSpeed_ = makeUpDown("TransitionSpeed", 1, 100, 1, speedGroup);
  speedRow->addWidget(transitionSpeed_);
  speedRow->addWidget(new QLabel(text("值越大越慢"), speedGroup), 1);
  // The shortest transition, beside the speed.
  shortestTransitionMs_ =
      makeUpDown("ShortestTransitionMs", 0, kLongestTransitionMs, kDefaultShortestTransitionMs, speedGroup);
  shortestTransitionMs_->setSingleStep(100);
  auto* fxmsLabel = new QLabel(text("过渡最短时间(毫秒)"), speedGroup);
  fxmsLabel->setBuddy(shortestTransitionMs_);
  speedRow->addWidget(fxmsLabel);
  speedRow->addWidget(shortestTransitionMs_);

  auto* pictureGroup = new QGroupBox(text("图片显示"), tab);
  auto* fitting = new QGridLayout(pictureGroup);
  fitting->setVerticalSpacing(2);
  fitting->setContentsMargins(9, 4, 9, 4);
  fitAllChoice_ = new QRadioButton(text("全部自动缩放至全屏"), pictureGroup);
  fitLargerChoice_ = new QRadioButton(text("缩放至全屏 ≥"), pictureGroup);
  fitLargerChoice_->setChecked(true);
  fittingSizeChoice_ = new QComboBox(pictureGroup);
  fittingSizeChoice_->addItems({text("640*480"), text("800*600"), text("1024*768")});
  tilingCheck_ = new QCheckBox(text("平铺       ≤"), pictureGroup);
  tilingSizeChoice_ = new QComboBox(pictureGroup);
  tilingSizeChoice_->addItems({text("600*600"), text("500*500"), text("400*400"), text("300*300")});
  fitting->addWidget(fitAllChoice_, 0, 0, 1, 2);
  fitting->addWidget(fitLargerChoice_, 1, 0);
  fitting->addWidget(fittingSizeChoice_, 1, 1);
  fitting->addWidget(tilingCheck_, 2, 0);
  fitting->addWidget(tilingSizeChoice_, 2, 1);

  pictureOrderChoice_ = new RadioGroup(text("图片播放"), {text("顺序播放"), text("随机播放"), text("随机不重复")}, tab);
  pictureOrderChoice_->setItemIndex(0);
  mediaOrderChoice_ = new RadioGroup(text("多媒体播放设置"), {text("不播放"), text("顺序播放"), text("随机播放")}, tab);
  mediaOrderChoice_->setItemIndex(1);

  auto* timeGroup = new QGroupBox(text("时间设置"), tab);
  auto* times = new QGridLayout(timeGroup);
  shutdownMinutes_ = makeUpDown("ShutdownMinutes", 0, 200, 0, timeGroup);
  pauseSeconds_ = makeUpDown("PauseSeconds", 0, 200, 5, timeGroup);
  times->addWidget(new QLabel(text("几分钟后关机"), timeGroup), 0, 0);
  times->addWidget(shutdownMinutes_, 0, 1);
  times->addWidget(new QLabel(text("分钟"), timeGroup), 0, 2);
  times->addWidget(new QLabel(text("图片停顿时间"), timeGroup), 1, 0);
  times->addWidget(pauseSeconds_, 1, 1);
  times->addWidget(new QLabel(text("秒"), timeGroup), 1, 2);

  auto* openingGroup = new QGroupBox(text("起始设置"), tab);
  auto* opening = new QGridLayout(openingGroup);
  openingCaptionChoice_ = new QRadioButton(text("起始字幕"), openingGroup);
  openingCaptionChoice_->setChecked(true);
  openingPictureChoice_ = new QRadioButton(text("起始图片"), openingGroup);
  openingCaptionEdit_ = new QLineEdit(text("欢迎使用《Lumora》"), openingGroup);
  openingCaptionEdit_->setObjectName(QStringLiteral("OpeningCaptionEdit"));
  openingPictureEdit_ = new QLineEdit(openingGroup);
  openingPictureEdit_->setObjectName(QStringLiteral("OpeningPictureEdit"));
  opening->addWidget(openingCaptionChoice_, 0, 0);
  opening->addWidget(openingCaptionEdit_, 0, 1, 1, 2);
  opening->addWidget(openingPictureChoice_, 1, 0);
  opening->addWidget(openingPictureEdit_, 1, 1);
  opening->addWidget(makeButton(SettingsButton::BrowseOpeningPicture, "浏览...", openingGroup), 1, 2);

  fitAllChoice_->setObjectName(QStringLiteral("FitAllChoice"));
  fitLargerChoice_->setObjectName(QStringLiteral("FitLargerChoice"));
  openingCaptionChoice_->setObjectName(QStringLiteral("OpeningCaptionChoice"));
  openingPictureChoice_->setObjectName(QStringLiteral("OpeningPictureChoice"));
  fittingSizeChoice_->setObjectName(QStringLiteral("FittingSizeChoice"));
  tilingSizeChoice_->setObjectName(QStringLiteral("TilingSizeChoice"));
  tilingCheck_->setObjectName(QStringLiteral("TilingCheck"));
  mediaOrderChoice_->setObjectName(QStringLiteral("MediaOrderChoice"));
  pictureOrderChoice_->setObjectName(QStringLiteral("PictureOrderChoice"));

  auto* grid = new QGridLayout(tab);
  grid->setContentsMargins(8, 8, 8, 8);
  grid->addWidget(speedGroup, 0, 0);
  grid->addWidget(pictureGroup, 1, 0);
  grid->addWidget(pictureOrderChoice_, 0, 1);
  grid->addWidget(mediaOrderChoice_, 1, 1);
  grid->addWidget(timeGroup, 2, 1);
  desktopOptions_ = new DesktopOptionsBox(tab);
  grid->addWidget(desktopOptions_, 2, 0);
  grid->addWidget(openingGroup, 3, 0, 1, 2);
  grid->setRowStretch(4, 1);
  return tab;
}

QWidget* SettingsWindow::buildAboutTab() {
  auto* tab = new QWidget;
  tab->setObjectName(QStringLiteral("AboutTab"));
  // Two pictures in the same place; the about-picture timer shows one at a time.
  auto* pictureBox = new QWidget(tab);
  pictureBox->setFixedSize(kAboutPictureWidth, kAboutPictureHeight);
  for (int i = 0; i < 2; ++i) {
    auto* picture = new QLabel(pictureBox);
    picture->setObjectName(QStringLiteral("AboutPicture%1").arg(i + 1));
    picture->setPixmap(aboutPicture(i));
    picture->setGeometry(0, 0, kAboutPictureWidth, kAboutPictureHeight);
    picture->setVisible(i == 0);
    aboutPictures_[std::size_t(i)] = picture;
  }
  aboutPictureTimer_ = new QTimer(this);
  aboutPictureTimer_->setObjectName(QStringLiteral("AboutPictureTimer"));
  aboutPictureTimer_->setInterval(1000);

  auto* name = new QLabel(text("Lumora"), tab);
  QFont nameFont = songTi(36);
  nameFont.setBold(true);
  name->setFont(nameFont);
  auto* version = new QLabel(text("3.71版"), tab);
  version->setFont(songTi(18));
  auto* words = new QVBoxLayout;
  words->addStretch(1);
  words->addWidget(name);
  words->addWidget(version);
  words->addStretch(1);

  auto* row = new QHBoxLayout(tab);
  row->setContentsMargins(40, 20, 20, 20);
  row->addWidget(pictureBox);
  row->addSpacing(30);
  row->addLayout(words, 1);
  return tab;
}

}  // namespace lumora
