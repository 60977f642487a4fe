// The prompt inside the lock's window: modal in effect, keys typed anywhere
// go into it, buttons outside it do nothing, and it keeps its entry.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

#include "tests/lock/lock_app.h"
#include "widgets/masked_edit.h"
#include "widgets/password_prompt.h"

namespace lumora {
namespace {

void press(QObject* target, Qt::Key key, const QString& text = {}) {
  QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
  QCoreApplication::sendEvent(target, &down);
  QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QCoreApplication::sendEvent(target, &up);
}

void click(QWidget* target, QPoint at) {
  QMouseEvent down(QEvent::MouseButtonPress, at, target->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                   Qt::NoModifier);
  QCoreApplication::sendEvent(target, &down);
}

class PromptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cover_.resize(800, 600);
    cover_.show();
  }
  // Runs `typing` once the prompt is open; returns what exec() answered.
  int ask(PasswordPrompt& prompt, const std::function<void()>& typing) {
    QTimer::singleShot(0, [&] { typing(); });
    return prompt.exec();
  }
  bool app_ = (testing::lockApp(), true);  // before any widget
  QWidget cover_;                          // stands for the lock's cover on the primary screen
};

TEST_F(PromptTest, KeysAnywhereAreTypedIntoItAndClicksOutsideItDoNothing) {
  PasswordPrompt prompt(&cover_);
  QWidget elsewhere;  // stands for a cover on another screen
  const int answer = ask(prompt, [&] {
    click(&cover_, QPoint(5, 5));
    press(&cover_, Qt::Key_A, QStringLiteral("a"));
    press(&elsewhere, Qt::Key_B, QStringLiteral("b"));
    press(&cover_, Qt::Key_C, QStringLiteral("c"));
    EXPECT_TRUE(prompt.isOpen());
    press(&cover_, Qt::Key_Return);
  });
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(prompt.passwordEdit()->text(), QStringLiteral("abc"));
  EXPECT_FALSE(prompt.isVisible());
}

TEST_F(PromptTest, EscapeAnswersNoTheEntryIsKeptAndAWaitRefusesReturn) {
  PasswordPrompt prompt(&cover_);
  EXPECT_EQ(ask(prompt,
                [&] {
                  press(&cover_, Qt::Key_X, QStringLiteral("x"));
                  press(&cover_, Qt::Key_Escape);
                }),
            0);
  EXPECT_EQ(prompt.passwordEdit()->text(), QStringLiteral("x"));
  // While a wait runs, Return does not answer; Escape still does.
  prompt.setWait([] { return std::int64_t(5000); });
  EXPECT_EQ(ask(prompt,
                [&] {
                  press(&cover_, Qt::Key_Return);
                  EXPECT_TRUE(prompt.isOpen());
                  press(&cover_, Qt::Key_Escape);
                }),
            0);
}

}  // namespace
}  // namespace lumora
