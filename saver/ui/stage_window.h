// TForm3, the stage window: borderless, black, stay-on-top, the size of the
// screen. Its canvas, the Stage, is a 32-bit image that every transition,
// caption and lyric line draws into at once; the window shows it, brought up
// to date at most once per display frame.
#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "effects/effect.h"
#include "graphics/bitmap.h"
#include "saver/ui/caption_painter.h"

namespace lumora {

class TepRegionForm;

class StageWindow : public QWidget, public EffectHost {
  Q_OBJECT

 public:
  explicit StageWindow(QWidget* parent = nullptr);

  Bitmap& stage() {
    ensureStage();
    return stage_;
  }
  // The Stage as a QImage sharing its pixels (for QPainter text).
  QImage& stageImage() {
    ensureStage();
    return view_;
  }

  // Shows the window above `below`. When it was hidden, the Stage first takes
  // what `below` shows (the stage never erases its background).
  void showAbove(QWidget* below);

  // `Label2`: the current caption (ANSI bytes).
  const std::string& label2() const { return label2_; }
  void setLabel2(const std::string& caption) { label2_ = caption; }

  // The Stage's font, kept between the painters that set it.
  StageFont& stageFont() { return stageFont_; }

  // `Button1Click`, the caption painter: paints `Label2` over the Stage with
  // a face from the font list, then calls `enableTimer1`.
  void button1Click(const CaptionSources& sources, const std::function<void()>& enableTimer1);

  // The area the stage covers (module mode: the host window's inside);
  // unset, the primary screen.
  void setShowArea(std::function<QRect()> area) { area_ = std::move(area); }

  // `epRegionForm1`, covering the window.
  TepRegionForm* epRegionForm1() const { return epRegionForm1_; }

  // EffectHost
  void stageChanged() override;
  void pump() override;
  // Brings the screen up to date now.
  void present();

 signals:
  // A key or mouse button on the stage (FormKeyDown, FormMouseDown), or a
  // click on epRegionForm1 (epRegionForm1Click).
  void inputReceived();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void resizeStage(int w, int h);
  // The Stage is allocated at the screen's size when first needed, which
  // keeps 8 MB of filling out of the show's start-up.
  void ensureStage();
  QRect area() const;

  Bitmap stage_;
  QImage view_;
  QElapsedTimer sinceFrame_;
  std::string label2_;
  StageFont stageFont_;
  TepRegionForm* epRegionForm1_ = nullptr;  // child widget
  std::function<QRect()> area_;
};

}  // namespace lumora
