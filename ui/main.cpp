// vorlumi3: the desktop program.
#include <QApplication>

#include "msgview/msg_view.h"
#include "ui/msg_view_window.h"
#include "ui/qt_platform.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  vlm::ui::QtPlatform platform;
  vlm::SetWarningSink(&platform);
  vlm::TfrmMsg messages(platform);
  vlm::ui::MsgViewWindowQt messageWindow(messages);
  messages.ShowView();
  const int status = app.exec();
  vlm::SetWarningSink(nullptr);
  return status;
}
