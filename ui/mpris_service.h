#pragma once
// The program as a media player on the session bus (MPRIS): the desktop's
// media keys and player controls drive the loop of drawing and listening.
// Next draws and plays a new phrase (F5), Previous steps back in the
// history, Play plays the pattern as it stands (Ctrl+P), Pause and Stop stop,
// LoopStatus is the Play menu's Loop, and Position, Seek and SetPosition
// show and move the place in the phrase.
// Each press runs the main window's own command, as its menu entry does.

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantMap>

class QMainWindow;

namespace vlm {
class TForm1;
}

namespace vlm::ui {

class MprisService : public QObject {
  Q_OBJECT

 public:
  static constexpr const char* ObjectPath = "/org/mpris/MediaPlayer2";

  // Registers on bus as "org.mpris.MediaPlayer2.vorlumi3", or with this
  // process's id after it when another instance holds that name. Without a
  // bus nothing is registered and the program runs on as before.
  MprisService(QDBusConnection bus, QMainWindow& window, TForm1& form);
  ~MprisService() override;

  // The bus name taken; empty when none was.
  const QString& BusName() const { return busName_; }

  // ---- what the adaptors ask and call ----
  QString PlaybackStatus() const;
  QVariantMap Metadata() const;
  QString LoopStatus() const;  // "Track" while the menu's Loop is on, else "None"
  qlonglong PositionMicros() const;  // of the phrase playing or stopped; 0 without one
  void SeekTo(qlonglong micros);
  void SetLoopStatus(const QString& status);
  void Raise();
  void Quit();
  void Run(const char* actionName);  // triggers the main window's action
  void PlayPause();

 private:
  void Poll();  // tells the bus when the status or the phrase changed

  QDBusConnection bus_;
  QMainWindow& window_;
  TForm1& form_;
  QString busName_;
  QTimer poll_;
  QString shownStatus_;
  QString shownLoop_;
  QVariantMap shownMetadata_;
};

}  // namespace vlm::ui
