#include "ui/binder.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <new>

namespace {

// Memory running out inside a command (here a menu action's handler) shows a
// message box and abandons that command; the windows are still refreshed and
// the next command runs as usual.
TEST(Binder, RunningOutOfMemoryIsAMessageAndTheProgramGoesOn) {
  int refreshes = 0;
  vlm::ui::Binder binder([&refreshes] { ++refreshes; });
  QAction action;
  int ran = 0;
  bool fail = true;
  binder.OnTrigger(&action, [&] {
    if (fail) throw std::bad_alloc();
    ++ran;
  });
  bool seen = false;
  QTimer::singleShot(0, [&seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_TRUE(box->text().startsWith(QStringLiteral("Out of memory: the command was stopped."))) << box->text().toStdString();
    seen = true;
    box->accept();
  });
  action.trigger();
  EXPECT_TRUE(seen);
  EXPECT_EQ(refreshes, 1);
  fail = false;
  action.trigger();
  EXPECT_EQ(ran, 1);
  EXPECT_EQ(refreshes, 2);
}

}  // namespace
