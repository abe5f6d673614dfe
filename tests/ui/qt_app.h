#pragma once
// The one QApplication of the UI tests, made on first use (test discovery
// runs without it). Tests run on Qt's offscreen platform.

#include <QApplication>

namespace vlm::test {

inline QApplication& App() {
  static int argc = 1;
  static char name[] = "ui_tests";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}

}  // namespace vlm::test
