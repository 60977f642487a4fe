// A screenshot of KWin's outputs through its org.kde.KWin.ScreenShot2 D-Bus
// interface (KWin offers no wlr-screencopy for grim), written to standard
// output as a binary PPM. With an output's name as the argument, that output;
// without, the whole workspace. KWin must run with
// KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1, as it serves the interface only to
// programs it knows otherwise.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusUnixFileDescriptor>
#include <QImage>
#include <QVariantMap>
#include <cstdio>
#include <unistd.h>

namespace {

QByteArray readAll(int fd) {
  QByteArray data;
  char buffer[65536];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return data;
    data.append(buffer, got);
  }
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  int ends[2];
  if (pipe(ends) != 0) {
    std::perror("pipe");
    return 1;
  }
  const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
  const QVariantMap options{{QStringLiteral("native-resolution"), true}};
  // The message keeps a copy of the pipe's write end: it must be gone
  // before reading, or the read never sees the end.
  QDBusReply<QVariantMap> reply;
  {
    auto call = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.KWin.ScreenShot2"), QStringLiteral("/org/kde/KWin/ScreenShot2"),
        QStringLiteral("org.kde.KWin.ScreenShot2"),
        output.isEmpty() ? QStringLiteral("CaptureWorkspace") : QStringLiteral("CaptureScreen"));
    if (!output.isEmpty()) call << output;
    call << options << QVariant::fromValue(QDBusUnixFileDescriptor(ends[1]));
    // KWin answers first, then writes the pixels into the pipe.
    reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 10000);
  }
  close(ends[1]);
  if (!reply.isValid()) {
    std::fprintf(stderr, "ScreenShot2: %s\n", qPrintable(reply.error().message()));
    return 1;
  }
  const QVariantMap results = reply.value();
  const QByteArray data = readAll(ends[0]);
  const int width = results.value(QStringLiteral("width")).toInt();
  const int height = results.value(QStringLiteral("height")).toInt();
  const int stride = results.value(QStringLiteral("stride")).toInt();
  const auto format = static_cast<QImage::Format>(results.value(QStringLiteral("format")).toInt());
  if (width <= 0 || height <= 0 || data.size() < qsizetype(stride) * height) {
    std::fprintf(stderr, "ScreenShot2: %dx%d, stride %d, %lld bytes\n", width, height, stride,
                 static_cast<long long>(data.size()));
    return 1;
  }
  const QImage image = QImage(reinterpret_cast<const uchar*>(data.constData()), width, height, stride, format)
                           .convertToFormat(QImage::Format_RGB888);
  std::printf("P6\n%d %d\n255\n", width, height);
  for (int y = 0; y < height; ++y) std::fwrite(image.constScanLine(y), 3, width, stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
