// Key response of the settings window: the picture tab's file list on a
// folder of 100 JPEGs of 24 MP (99 of 6000 x 4000, the last 4000 x 6000), the
// Down arrow pressed through it at a key-repeat pace. For each key: the time
// until the selection has moved and the list has been repainted. Then the
// time from the last key until the preview shows the last picture.
//
//   settings_keys FOLDER [--interval MS] [--former]
//
// The folder's pictures are made when it holds none. --former adds, to each
// key, the work the window did before its previews were decoded on a worker:
// the chosen picture decoded at full size and turned into a pixmap on the
// thread that answers the keys. Prints a Markdown table.
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/jpeg_fixture.h"
#include "settings_window/file_list_box.h"
#include "settings_window/settings_window.h"
#include "imaging/loader.h"

namespace {

namespace fs = std::filesystem;
using namespace lumora;

constexpr int kPictures = 100;

void makeFolder(const fs::path& dir) {
  fs::create_directories(dir);
  if (fs::exists(dir / "photo100.jpg")) return;
  const auto landscape = bench::makeJpeg(6000, 4000, 1, false);
  const auto portrait = bench::makeJpeg(4000, 6000, 1, false);
  for (int i = 1; i <= kPictures; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "photo%03d.jpg", i);
    const auto& bytes = i == kPictures ? portrait : landscape;
    std::ofstream(dir / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
}

// Notes when the watched widget starts painting.
class PaintWatch : public QObject {
 public:
  bool painted = false;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted = true;
    return QObject::eventFilter(watched, event);
  }
};

// The former preview: the whole picture decoded and shown on this thread.
void formerPreview(QLabel* picturePreview, const std::string& path) {
  const Picture picture = loadPicture(path);
  const Bitmap& bitmap = picture.bitmap();
  const QImage image =
      QImage(bitmap.bytes(), bitmap.width(), bitmap.height(), qsizetype(bitmap.bytesPerLine()), QImage::Format_RGB32)
          .copy();
  picturePreview->setPixmap(QPixmap::fromImage(image));
}

double percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  const std::size_t i = std::min(v.size() - 1, std::size_t(p * double(v.size() - 1) + 0.5));
  return v[i];
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: settings_keys FOLDER [--interval MS] [--former]\n");
    return 2;
  }
  const fs::path dir = fs::absolute(argv[1]);
  int intervalMs = 33;  // a common key-repeat rate: 30 a second
  bool former = false;
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--interval" && i + 1 < argc) intervalMs = std::atoi(argv[++i]);
    if (a == "--former") former = true;
  }
  makeFolder(dir);

  SettingsWindow window;
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) std::fprintf(stderr, "the window was not exposed\n");
  FileListBox* files = window.pictureFiles();
  files->setDirectory(dir.string());
  files->setFocus();
  files->setCurrentRow(0);
  files->item(0)->setSelected(true);
  QTest::qWait(200);
  PaintWatch watch;
  files->viewport()->installEventFilter(&watch);

  std::vector<double> answers;
  QElapsedTimer clock;
  for (int k = 1; k < files->count(); ++k) {
    watch.painted = false;
    clock.start();
    QTest::keyClick(files, Qt::Key_Down);
    if (former && files->currentRow() >= 0)
      formerPreview(window.picturePreview(), files->filePath(files->currentRow()));
    while (!watch.painted && clock.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::processEvents(QEventLoop::AllEvents);  // the repaint's flush
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    if (files->currentRow() != k) {
      std::fprintf(stderr, "key %d: the selection did not move\n", k);
      return 1;
    }
    answers.push_back(ms);
    const qint64 rest = intervalMs - clock.elapsed();
    if (rest > 0) QTest::qWait(int(rest));
  }
  clock.start();
  const bool followed = QTest::qWaitFor([&] { return window.pictureSizeLabel()->text() == "4000*6000"; }, 20000);
  const double followMs = double(clock.nsecsElapsed()) / 1e6;

  const long over = std::count_if(answers.begin(), answers.end(), [](double a) { return a > 50.0; });
  std::printf("| Previews | Keys | Median | 95th percentile | Slowest | Over 50 ms | Last key to its preview |\n");
  std::printf("|---|---|---|---|---|---|---|\n");
  std::printf("| %s | %zu | %.1f ms | %.1f ms | %.1f ms | %ld | %s |\n",
              former ? "decoded whole on the window's thread (former)" : "decoded reduced on the worker",
              answers.size(), percentile(answers, 0.5), percentile(answers, 0.95),
              *std::max_element(answers.begin(), answers.end()), over,
              followed ? (std::to_string(int(followMs + 0.5)) + " ms").c_str() : "not shown");
  return 0;
}
