#pragma once
// The list of kept phrases: an entry dragged out of it becomes its MIDI
// file, written at the start of the drag (the list itself never changes by
// a drag, so only copying is offered), and F2 asks for the entry's name.

#include <QListWidget>
#include <cstddef>
#include <functional>

#include "app/phrase_handover.h"

namespace vlm::ui {

class KeptList : public QListWidget {
 public:
  // Writes the MIDI file of the history's entry at an index; no Path when
  // it could not be written.
  using Write = std::function<HandedPhrase(std::size_t)>;
  explicit KeptList(Write write);
  void OnF2(std::function<void()> handler) { f2_ = std::move(handler); }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  QStringList mimeTypes() const override { return {QStringLiteral("text/uri-list")}; }
  Qt::DropActions supportedDropActions() const override { return Qt::CopyAction; }
  QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override;

 private:
  Write write_;
  std::function<void()> f2_;
};

}  // namespace vlm::ui
