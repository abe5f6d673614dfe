#include "ui/mpris_service.h"

#include <QAction>
#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QMainWindow>
#include <QStringList>
#include <algorithm>
#include <unistd.h>

#include "app/main_form.h"

namespace vlm::ui {

namespace {

constexpr const char* PlayerInterface = "org.mpris.MediaPlayer2.Player";
constexpr int PollMs = 250;  // how soon a phrase that ended by itself shows as stopped

// org.mpris.MediaPlayer2: the program itself.
class RootAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
  Q_PROPERTY(bool CanQuit READ Yes)
  Q_PROPERTY(bool CanRaise READ Yes)
  Q_PROPERTY(bool HasTrackList READ No)
  Q_PROPERTY(QString Identity READ Identity)
  Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
  Q_PROPERTY(QStringList SupportedUriSchemes READ None)
  Q_PROPERTY(QStringList SupportedMimeTypes READ None)

 public:
  explicit RootAdaptor(MprisService* service) : QDBusAbstractAdaptor(service), service_(service) {}
  bool Yes() const { return true; }
  bool No() const { return false; }
  QString Identity() const { return QStringLiteral("Vorlumi3"); }
  QString DesktopEntry() const { return QStringLiteral("org.vorlumi3.Vorlumi3"); }
  QStringList None() const { return {}; }

 public slots:
  void Raise() { service_->Raise(); }
  void Quit() { service_->Quit(); }

 private:
  MprisService* service_;
};

// org.mpris.MediaPlayer2.Player: the play commands, and where the phrase
// playing stands. A phrase has no volume of its own.
class PlayerAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
  Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
  Q_PROPERTY(QVariantMap Metadata READ Metadata)
  Q_PROPERTY(QString LoopStatus READ LoopStatus WRITE SetLoopStatus)
  Q_PROPERTY(double Rate READ One)
  Q_PROPERTY(double MinimumRate READ One)
  Q_PROPERTY(double MaximumRate READ One)
  Q_PROPERTY(double Volume READ One)
  Q_PROPERTY(qlonglong Position READ Position)
  Q_PROPERTY(bool CanGoNext READ Yes)
  Q_PROPERTY(bool CanGoPrevious READ Yes)
  Q_PROPERTY(bool CanPlay READ Yes)
  Q_PROPERTY(bool CanPause READ Yes)
  Q_PROPERTY(bool CanSeek READ Yes)
  Q_PROPERTY(bool CanControl READ Yes)

 public:
  explicit PlayerAdaptor(MprisService* service) : QDBusAbstractAdaptor(service), service_(service) {}
  QString PlaybackStatus() const { return service_->PlaybackStatus(); }
  QVariantMap Metadata() const { return service_->Metadata(); }
  QString LoopStatus() const { return service_->LoopStatus(); }
  void SetLoopStatus(const QString& status) { service_->SetLoopStatus(status); }
  double One() const { return 1.0; }
  qlonglong Position() const { return service_->PositionMicros(); }
  bool Yes() const { return true; }
  bool No() const { return false; }

 signals:
  void Seeked(qlonglong position);

 public slots:
  void Next() { service_->Run("MakePlay1"); }
  void Previous() { service_->Run("HistoryBack"); }
  void Play() { service_->Run("CompilePlay1"); }
  void Pause() { service_->Run("Stop1"); }
  void Stop() { service_->Run("Stop1"); }
  void PlayPause() { service_->PlayPause(); }
  void Seek(qlonglong offset) { service_->SeekTo(service_->PositionMicros() + offset); }
  // Only for the phrase the caller saw: another may have started since.
  void SetPosition(const QDBusObjectPath& track, qlonglong position) {
    if (track.path() == service_->Metadata().value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path())
      service_->SeekTo(position);
  }
  void OpenUri(const QString&) {}

 private:
  MprisService* service_;
};

}  // namespace

MprisService::MprisService(QDBusConnection bus, QMainWindow& window, TForm1& form)
    : QObject(&window), bus_(std::move(bus)), window_(window), form_(form) {
  if (!bus_.isConnected()) return;
  new RootAdaptor(this);
  new PlayerAdaptor(this);
  if (!bus_.registerObject(QString::fromLatin1(ObjectPath), this, QDBusConnection::ExportAdaptors)) return;
  const QString name = QStringLiteral("org.mpris.MediaPlayer2.vorlumi3");
  for (const QString& candidate : {name, name + QStringLiteral(".instance") + QString::number(getpid())}) {
    if (bus_.registerService(candidate)) {
      busName_ = candidate;
      break;
    }
  }
  shownStatus_ = PlaybackStatus();
  shownLoop_ = LoopStatus();
  shownMetadata_ = Metadata();
  poll_.setInterval(PollMs);
  connect(&poll_, &QTimer::timeout, this, &MprisService::Poll);
  poll_.start();
}

MprisService::~MprisService() {
  if (!bus_.isConnected()) return;
  if (!busName_.isEmpty()) bus_.unregisterService(busName_);
  bus_.unregisterObject(QString::fromLatin1(ObjectPath));
}

QString MprisService::PlaybackStatus() const {
  const MediaPlayer* player = form_.Player();
  return player && player->GetMode() == MediaPlayer::Mode::Playing ? QStringLiteral("Playing")
                                                                   : QStringLiteral("Stopped");
}

// The phrase is named by the seed it was drawn with.
QVariantMap MprisService::Metadata() const {
  QVariantMap metadata;
  const QString seed = form_.DrawSeed ? QString::number(*form_.DrawSeed) : QStringLiteral("none");
  metadata.insert(QStringLiteral("mpris:trackid"),
                  QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/vorlumi3/phrase/") + seed)));
  metadata.insert(QStringLiteral("xesam:title"), form_.DrawSeed ? QStringLiteral("Phrase %1").arg(seed)
                                                               : QStringLiteral("Phrase"));
  if (const MediaPlayer* player = form_.Player(); player && player->LengthSeconds() > 0)
    metadata.insert(QStringLiteral("mpris:length"), static_cast<qlonglong>(player->LengthSeconds() * 1e6));
  return metadata;
}

// The menu's Loop: a phrase played over and over is a track repeated. A
// playlist repeated (there is none) loops as well.
QString MprisService::LoopStatus() const {
  const auto* loop = window_.findChild<QAction*>(QStringLiteral("LoopPlay1"));
  return loop && loop->isChecked() ? QStringLiteral("Track") : QStringLiteral("None");
}

void MprisService::SetLoopStatus(const QString& status) {
  if (auto* loop = window_.findChild<QAction*>(QStringLiteral("LoopPlay1")))
    loop->setChecked(status != QStringLiteral("None"));
  Poll();
}

qlonglong MprisService::PositionMicros() const {
  const MediaPlayer* player = form_.Player();
  return player ? static_cast<qlonglong>(player->PositionSeconds() * 1e6) : 0;
}

// A place before the start is the start; one past the end stops there
// (rather than drawing the next phrase, which would lose this one's place).
// A phrase that plays goes on from the new place; the desktop is told.
void MprisService::SeekTo(qlonglong micros) {
  MediaPlayer* player = form_.Player();
  if (!player || player->GetMode() == MediaPlayer::Mode::NotOpen) return;
  const bool playing = player->GetMode() == MediaPlayer::Mode::Playing;
  const double seconds = static_cast<double>(std::max<qlonglong>(micros, 0)) / 1e6;
  player->Stop();
  player->SetPosition(seconds);
  if (playing && seconds < player->LengthSeconds()) player->Play();
  QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(ObjectPath), QString::fromLatin1(PlayerInterface),
                                                   QStringLiteral("Seeked"));
  signal << PositionMicros();
  bus_.send(signal);
}

void MprisService::Raise() {
  window_.show();
  window_.raise();
  window_.activateWindow();
}

void MprisService::Quit() { window_.close(); }

// The action runs as a click on its menu entry: guarded, and every window
// shows the result.
void MprisService::Run(const char* actionName) {
  if (auto* action = window_.findChild<QAction*>(QString::fromLatin1(actionName))) action->trigger();
  Poll();
}

void MprisService::PlayPause() { Run(PlaybackStatus() == QStringLiteral("Playing") ? "Stop1" : "CompilePlay1"); }

void MprisService::Poll() {
  QVariantMap changed;
  if (const QString status = PlaybackStatus(); status != shownStatus_) {
    shownStatus_ = status;
    changed.insert(QStringLiteral("PlaybackStatus"), status);
  }
  if (const QString loop = LoopStatus(); loop != shownLoop_) {
    shownLoop_ = loop;
    changed.insert(QStringLiteral("LoopStatus"), loop);
  }
  if (const QVariantMap metadata = Metadata(); metadata != shownMetadata_) {
    shownMetadata_ = metadata;
    changed.insert(QStringLiteral("Metadata"), metadata);
  }
  if (changed.isEmpty()) return;
  QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(ObjectPath),
                                                   QStringLiteral("org.freedesktop.DBus.Properties"),
                                                   QStringLiteral("PropertiesChanged"));
  signal << QString::fromLatin1(PlayerInterface) << changed << QStringList();
  bus_.send(signal);
}

}  // namespace vlm::ui

#include "mpris_service.moc"
