// vorlumi3: the desktop program. Makes the platform services, the media
// player and the three windows, then runs the event loop until the main
// window closes.
#include <QApplication>
#include <memory>

#include "common/app_path.h"
#include "ui/app_icon.h"
#include "ui/data_files.h"
#include "ui/desktop.h"
#include "ui/main_window.h"
#include "ui/qt_platform.h"
#ifdef VLM_HAVE_AUDIO
#include "audio/fluid_output.h"
#endif

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vorlumi3"));
  QApplication::setDesktopFileName(QStringLiteral("vorlumi3"));
  QApplication::setWindowIcon(vlm::ui::AppIcon());

  vlm::ui::QtPlatform platform;
  vlm::SetWarningSink(&platform);
  // The player finds its audio device on the first play; a missing device is
  // reported there, and the program goes on without sound.
  std::unique_ptr<vlm::MediaPlayer> player;
#ifdef VLM_HAVE_AUDIO
  player = vlm::MakeFluidSynthPlayer();
#endif
  int status = 0;
  {
    vlm::ui::Desktop desktop(platform, player.get());
    const std::string appDir = vlm::AppPath();
    const vlm::ui::DataFiles files = vlm::ui::ChooseDataFiles(appDir, vlm::ui::CanWrite(appDir), vlm::ui::UserDataDir());
    desktop.Form.PhraseFileName = files.PhraseFile;
    desktop.Form.ScaleFileName = files.ScaleFile;
    platform.SetOwner(&desktop.Main());
    platform.BeforeProcessEvents = [&desktop] { desktop.RefreshAll(); };
    desktop.Start();
    status = QApplication::exec();
    platform.SetOwner(nullptr);
    platform.BeforeProcessEvents = nullptr;
    if (player) player->Close();
  }
  vlm::SetWarningSink(nullptr);
  return status;
}
