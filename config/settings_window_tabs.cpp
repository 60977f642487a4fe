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

#include "config/about_pictures.h"
#include "config/desktop_options_box.h"
#include "config/drive_combo_box.h"
#include "config/file_list_box.h"
#include "config/file_masks.h"
#include "config/filter_combo_box.h"
#include "settings/settings.h"
#include "config/line_room_delegate.h"
#include "config/preview_size.h"
#include "config/radio_group.h"
#include "config/settings_window.h"
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

QPushButton* SettingsWindow::makeButton(int n, const char* caption, QWidget* parent) {
  auto* button = new QPushButton(text(caption), parent);
  button->setObjectName(QStringLiteral("Button%1").arg(n));
  buttons_.at(std::size_t(n)) = button;
  return button;
}

QCheckBox* SettingsWindow::makeSubfoldersBox(int tab, QWidget* parent) {
  auto* box = new QCheckBox(text("包含子文件夹"), parent);
  box->setObjectName(QStringLiteral("SubfoldersBox%1").arg(tab));
  return box;
}

QLabel* SettingsWindow::makeCountLabel(int tab, QListWidget* list, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(QStringLiteral("CountLabel%1").arg(tab));
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

QListWidget* SettingsWindow::makeListBox(int n, QWidget* parent) {
  auto* list = new QListWidget(parent);
  list->setObjectName(QStringLiteral("ListBox%1").arg(n));
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->setFont(songTi(12));
  list->setItemDelegate(new LineRoomDelegate(list));
  // Long paths are scrolled into view rather than cut.
  list->setTextElideMode(Qt::ElideNone);
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  listBoxes_.at(std::size_t(n)) = list;
  return list;
}

void SettingsWindow::buildLayout() {
  setFont(songTi(12));
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(6, 6, 6, 6);
  pageControl1_ = new QTabWidget(this);
  pageControl1_->setObjectName(QStringLiteral("PageControl1"));
  pageControl1_->setFont(songTi(14));
  pageControl1_->addTab(buildPictureTab(), text("图片清单"));
  pageControl1_->addTab(buildMediaTab(), text("多媒体文件清单"));
  pageControl1_->addTab(buildTextTab(), text("文字清单"));
  pageControl1_->addTab(buildOptionsTab(), text("其它设置"));
  pageControl1_->addTab(buildAboutTab(), text("版本信息"));
  outer->addWidget(pageControl1_, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(makeButton(7, "确  定", this));
  bottom->addWidget(makeButton(8, "取  消", this));
  outer->addLayout(bottom);
}

QWidget* SettingsWindow::buildPictureTab() {
  auto* tab = new QWidget;
  tab->setObjectName(QStringLiteral("TabSheet1"));
  driveComboBox1_ = new DriveComboBox(tab);
  driveComboBox1_->setObjectName(QStringLiteral("DriveComboBox1"));
  treeView1_ = new QTreeWidget(tab);
  treeView1_->setObjectName(QStringLiteral("TreeView1"));
  fileListBox1_ = new FileListBox(kPictureMask, tab);
  fileListBox1_->setObjectName(QStringLiteral("FileListBox1"));
  filterComboBox2_ = new FilterComboBox(pictureFilters(), fileListBox1_, tab);
  filterComboBox2_->setObjectName(QStringLiteral("FilterComboBox2"));

  auto* middle = new QVBoxLayout;
  middle->setSpacing(4);
  middle->addWidget(makeButton(1, "—> 添加", tab));
  middle->addWidget(makeButton(4, "==> 全部添加", tab));
  subfolders1_ = makeSubfoldersBox(1, tab);
  middle->addWidget(subfolders1_);
  middle->addWidget(makeButton(2, "<— 移除", tab));
  middle->addWidget(makeButton(3, "<== 全部移除", tab));
  middle->addSpacing(12);
  middle->addWidget(makeButton(5, "保存清单", tab));
  middle->addWidget(makeButton(6, "打开清单", tab));
  middle->addSpacing(12);
  auto* label2 = new QLabel(text("图片尺寸："), tab);
  label2->setObjectName(QStringLiteral("Label2"));
  label1_ = new QLabel(tab);
  label1_->setObjectName(QStringLiteral("Label1"));
  middle->addWidget(label2);
  middle->addWidget(label1_);
  middle->addStretch(1);

  // Image1 sits in a box of the preview's largest size, at its top-left.
  auto* imageBox = new QWidget(tab);
  imageBox->setFixedSize(kPreviewBoxWidth, kPreviewBoxHeight);
  image1_ = new QLabel(imageBox);
  image1_->setObjectName(QStringLiteral("Image1"));
  image1_->setScaledContents(true);
  image1_->setGeometry(0, 0, 210, 120);
  auto* right = new QVBoxLayout;
  right->setSpacing(4);
  right->addWidget(imageBox);
  right->addWidget(makeListBox(1, tab), 1);
  countLabel1_ = makeCountLabel(1, listBox(1), tab);
  right->addWidget(countLabel1_);

  auto* row = new QHBoxLayout(tab);
  row->setContentsMargins(6, 6, 6, 6);
  row->addLayout(browseColumn(driveComboBox1_, treeView1_, fileListBox1_, filterComboBox2_));
  row->addLayout(middle);
  row->addLayout(right, 1);
  return tab;
}

QWidget* SettingsWindow::buildMediaTab() {
  auto* tab = new QWidget;
  tab->setObjectName(QStringLiteral("TabSheet2"));
  driveComboBox2_ = new DriveComboBox(tab);
  driveComboBox2_->setObjectName(QStringLiteral("DriveComboBox2"));
  treeView2_ = new QTreeWidget(tab);
  treeView2_->setObjectName(QStringLiteral("TreeView2"));
  fileListBox2_ = new FileListBox(kMediaMask, tab);
  fileListBox2_->setObjectName(QStringLiteral("FileListBox2"));
  filterComboBox1_ = new FilterComboBox(mediaFilters(), fileListBox2_, tab);
  filterComboBox1_->setObjectName(QStringLiteral("FilterComboBox1"));

  auto* middle = new QVBoxLayout;
  middle->setSpacing(4);
  middle->addWidget(makeButton(13, "—> 添加", tab));
  middle->addWidget(makeButton(14, "==> 全部添加", tab));
  subfolders2_ = makeSubfoldersBox(2, tab);
  middle->addWidget(subfolders2_);
  middle->addWidget(makeButton(9, "<— 移除", tab));
  middle->addWidget(makeButton(10, "<== 全部移除", tab));
  middle->addSpacing(8);
  middle->addWidget(makeButton(11, "保存清单", tab));
  middle->addWidget(makeButton(12, "打开清单", tab));
  middle->addSpacing(8);
  checkBox3_ = new QCheckBox(text("播放歌词"), tab);
  checkBox3_->setObjectName(QStringLiteral("CheckBox3"));
  checkBox3_->setChecked(true);
  middle->addWidget(checkBox3_);
  middle->addStretch(1);
  auto* label24 = new QLabel(text("Flash预览区"), tab);
  label24->setObjectName(QStringLiteral("Label24"));
  middle->addWidget(label24);
  auto* frames = new QHBoxLayout;
  auto* label22 = new QLabel(text("总 帧 数："), tab);
  label22->setObjectName(QStringLiteral("Label22"));
  label23_ = new QLabel(tab);
  label23_->setObjectName(QStringLiteral("Label23"));
  frames->addWidget(label22);
  frames->addWidget(label23_, 1);
  middle->addLayout(frames);
  middle->addWidget(makeButton(16, "停止预览", tab));

  auto* flashBox = new QWidget(tab);
  flashBox->setFixedSize(209, 153);
  shockwaveFlash1_ = new FlashPlayer(flashBox, services_.flashClockMs);
  shockwaveFlash1_->setGeometry(0, 0, 209, 153);
  auto* right = new QVBoxLayout;
  right->setSpacing(4);
  right->addWidget(makeListBox(2, tab), 1);
  countLabel2_ = makeCountLabel(2, listBox(2), tab);
  right->addWidget(countLabel2_);
  right->addWidget(flashBox);

  auto* row = new QHBoxLayout(tab);
  row->setContentsMargins(6, 6, 6, 6);
  row->addLayout(browseColumn(driveComboBox2_, treeView2_, fileListBox2_, filterComboBox1_));
  row->addLayout(middle);
  row->addLayout(right, 1);
  return tab;
}

QWidget* SettingsWindow::buildTextTab() {
  auto* tab = new QWidget;
  tab->setObjectName(QStringLiteral("TabSheet5"));

  auto* left = new QVBoxLayout;
  radioGroup4_ = new RadioGroup(text("文字播放设置"), {text("不播放"), text("顺序播放"), text("随机播放")}, tab);
  radioGroup4_->setObjectName(QStringLiteral("RadioGroup4"));
  left->addWidget(radioGroup4_);
  left->addWidget(new QLabel(text("播放时字体及字体清单"), tab));
  auto* fontRow = new QHBoxLayout;
  comboBox3_ = new QComboBox(tab);
  comboBox3_->setObjectName(QStringLiteral("ComboBox3"));
  comboBox3_->setEditable(true);
  comboBox3_->setFont(songTi(12));
  comboBox3_->setItemDelegate(new LineRoomDelegate(comboBox3_));
  comboBox3_->setMinimumContentsLength(10);
  comboBox3_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  fontRow->addWidget(comboBox3_, 1);
  fontRow->addWidget(makeButton(22, "添加", tab));
  left->addLayout(fontRow);
  left->addWidget(makeListBox(4, tab), 1);
  auto* fontButtons = new QHBoxLayout;
  fontButtons->addWidget(makeButton(23, "<-- 移除", tab));
  fontButtons->addWidget(makeButton(24, "<== 全部移除", tab));
  left->addLayout(fontButtons);

  auto* right = new QVBoxLayout;
  right->addWidget(new QLabel(text("文字清单"), tab));
  auto* captionRow = new QHBoxLayout;
  edit6_ = new QLineEdit(tab);
  edit6_->setObjectName(QStringLiteral("Edit6"));
  captionRow->addWidget(edit6_, 1);
  captionRow->addWidget(makeButton(17, "添加", tab));
  right->addLayout(captionRow);
  right->addWidget(makeListBox(3, tab), 1);
  auto* captionButtons = new QGridLayout;
  captionButtons->addWidget(makeButton(18, "<— 移除", tab), 0, 0);
  captionButtons->addWidget(makeButton(19, "<== 全部移除", tab), 0, 1);
  captionButtons->addWidget(makeButton(20, "保存清单", tab), 1, 0);
  captionButtons->addWidget(makeButton(21, "打开清单", tab), 1, 1);
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
  tab->setObjectName(QStringLiteral("TabSheet3"));

  auto* speedGroup = new QGroupBox(text("转场速度"), tab);
  auto* speedRow = new QHBoxLayout(speedGroup);
  upDown3_ = makeUpDown("UpDown3", 1, 100, 1, speedGroup);
  speedRow->addWidget(upDown3_);
  speedRow->addWidget(new QLabel(text("值越大越慢"), speedGroup), 1);
  // The shortest transition, beside the speed.
  upDownFxms_ = makeUpDown("UpDownFxms", 0, kLongestTransitionMs, kDefaultShortestTransitionMs, speedGroup);
  upDownFxms_->setSingleStep(100);
  auto* fxmsLabel = new QLabel(text("过渡最短时间(毫秒)"), speedGroup);
  fxmsLabel->setBuddy(upDownFxms_);
  speedRow->addWidget(fxmsLabel);
  speedRow->addWidget(upDownFxms_);

  auto* pictureGroup = new QGroupBox(text("图片显示"), tab);
  auto* fitting = new QGridLayout(pictureGroup);
  fitting->setVerticalSpacing(2);
  fitting->setContentsMargins(9, 4, 9, 4);
  radioButtons_[1] = new QRadioButton(text("全部自动缩放至全屏"), pictureGroup);
  radioButtons_[2] = new QRadioButton(text("缩放至全屏 ≥"), pictureGroup);
  radioButtons_[2]->setChecked(true);
  comboBox1_ = new QComboBox(pictureGroup);
  comboBox1_->addItems({text("640*480"), text("800*600"), text("1024*768")});
  checkBox1_ = new QCheckBox(text("平铺       ≤"), pictureGroup);
  comboBox2_ = new QComboBox(pictureGroup);
  comboBox2_->addItems({text("600*600"), text("500*500"), text("400*400"), text("300*300")});
  fitting->addWidget(radioButtons_[1], 0, 0, 1, 2);
  fitting->addWidget(radioButtons_[2], 1, 0);
  fitting->addWidget(comboBox1_, 1, 1);
  fitting->addWidget(checkBox1_, 2, 0);
  fitting->addWidget(comboBox2_, 2, 1);

  radioGroup2_ = new RadioGroup(text("图片播放"), {text("顺序播放"), text("随机播放"), text("随机不重复")}, tab);
  radioGroup2_->setItemIndex(0);
  radioGroup1_ = new RadioGroup(text("多媒体播放设置"), {text("不播放"), text("顺序播放"), text("随机播放")}, tab);
  radioGroup1_->setItemIndex(1);

  auto* timeGroup = new QGroupBox(text("时间设置"), tab);
  auto* times = new QGridLayout(timeGroup);
  upDown1_ = makeUpDown("UpDown1", 0, 200, 0, timeGroup);
  upDown2_ = makeUpDown("UpDown2", 0, 200, 5, timeGroup);
  times->addWidget(new QLabel(text("几分钟后关机"), timeGroup), 0, 0);
  times->addWidget(upDown1_, 0, 1);
  times->addWidget(new QLabel(text("分钟"), timeGroup), 0, 2);
  times->addWidget(new QLabel(text("图片停顿时间"), timeGroup), 1, 0);
  times->addWidget(upDown2_, 1, 1);
  times->addWidget(new QLabel(text("秒"), timeGroup), 1, 2);

  auto* openingGroup = new QGroupBox(text("起始设置"), tab);
  auto* opening = new QGridLayout(openingGroup);
  radioButtons_[3] = new QRadioButton(text("起始字幕"), openingGroup);
  radioButtons_[3]->setChecked(true);
  radioButtons_[4] = new QRadioButton(text("起始图片"), openingGroup);
  edit5_ = new QLineEdit(text("欢迎使用《Lumora》"), openingGroup);
  edit5_->setObjectName(QStringLiteral("Edit5"));
  edit8_ = new QLineEdit(openingGroup);
  edit8_->setObjectName(QStringLiteral("Edit8"));
  opening->addWidget(radioButtons_[3], 0, 0);
  opening->addWidget(edit5_, 0, 1, 1, 2);
  opening->addWidget(radioButtons_[4], 1, 0);
  opening->addWidget(edit8_, 1, 1);
  opening->addWidget(makeButton(25, "浏览...", openingGroup), 1, 2);

  for (int i = 1; i <= 4; ++i) radioButtons_[std::size_t(i)]->setObjectName(QStringLiteral("RadioButton%1").arg(i));
  comboBox1_->setObjectName(QStringLiteral("ComboBox1"));
  comboBox2_->setObjectName(QStringLiteral("ComboBox2"));
  checkBox1_->setObjectName(QStringLiteral("CheckBox1"));
  radioGroup1_->setObjectName(QStringLiteral("RadioGroup1"));
  radioGroup2_->setObjectName(QStringLiteral("RadioGroup2"));

  auto* grid = new QGridLayout(tab);
  grid->setContentsMargins(8, 8, 8, 8);
  grid->addWidget(speedGroup, 0, 0);
  grid->addWidget(pictureGroup, 1, 0);
  grid->addWidget(radioGroup2_, 0, 1);
  grid->addWidget(radioGroup1_, 1, 1);
  grid->addWidget(timeGroup, 2, 1);
  desktopOptions_ = new DesktopOptionsBox(tab);
  grid->addWidget(desktopOptions_, 2, 0);
  grid->addWidget(openingGroup, 3, 0, 1, 2);
  grid->setRowStretch(4, 1);
  return tab;
}

QWidget* SettingsWindow::buildAboutTab() {
  auto* tab = new QWidget;
  tab->setObjectName(QStringLiteral("TabSheet4"));
  // Two pictures in the same place; Timer1 shows one at a time.
  auto* pictureBox = new QWidget(tab);
  pictureBox->setFixedSize(kAboutPictureWidth, kAboutPictureHeight);
  for (int i = 0; i < 2; ++i) {
    auto* picture = new QLabel(pictureBox);
    picture->setObjectName(QStringLiteral("Image%1").arg(i + 2));
    picture->setPixmap(aboutPicture(i));
    picture->setGeometry(0, 0, kAboutPictureWidth, kAboutPictureHeight);
    picture->setVisible(i == 0);
    aboutPictures_[std::size_t(i)] = picture;
  }
  timer1_ = new QTimer(this);
  timer1_->setObjectName(QStringLiteral("Timer1"));
  timer1_->setInterval(1000);

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
