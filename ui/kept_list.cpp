#include "ui/kept_list.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

namespace vlm::ui {

KeptList::KeptList(Write write) : write_(std::move(write)) {
  setDragEnabled(true);
  setDragDropMode(QAbstractItemView::DragOnly);
  setDefaultDropAction(Qt::CopyAction);
  setEditTriggers(QAbstractItemView::NoEditTriggers);  // F2 names the entry through the pane instead
}

void KeptList::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F2 && event->modifiers() == Qt::NoModifier && f2_) {
    f2_();
    return;
  }
  QListWidget::keyPressEvent(event);
}

// The list selects one entry at a time; its file goes as an address, for
// sequencers and file managers, and as "audio/midi" bytes.
QMimeData* KeptList::mimeData(const QList<QListWidgetItem*>& items) const {
  if (items.size() != 1) return nullptr;
  const HandedPhrase phrase = write_(static_cast<std::size_t>(items[0]->data(Qt::UserRole).toULongLong()));
  if (phrase.Path.empty()) return nullptr;
  auto* data = new QMimeData;
  data->setUrls({QUrl::fromLocalFile(QString::fromStdString(phrase.Path))});
  data->setData(QStringLiteral("audio/midi"), QByteArray::fromStdString(phrase.Bytes));
  return data;
}

}  // namespace vlm::ui
