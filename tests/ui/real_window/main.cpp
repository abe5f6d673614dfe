// The real-window tests' main: the session first (X display, window manager,
// sound server), then one QApplication on the xcb platform for the run.
#include <gtest/gtest.h>

#include <QApplication>

#include "tests/ui/real_window/session.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Listing the tests (CTest's discovery) needs no display.
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  const bool real = vlmtest::StartRealSession();
  qputenv("QT_QPA_PLATFORM", real ? "xcb" : "offscreen");  // offscreen only to report the skips
  int status = 0;
  {
    QApplication app(argc, argv);
    status = RUN_ALL_TESTS();
  }
  vlmtest::StopRealSession();
  return status;
}
