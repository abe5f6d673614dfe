#pragma once
// The program's icon, drawn in code so that no image plugin is needed; the
// same picture ships as resources/vorlumi3.svg for desktop menus.

#include <QIcon>

namespace vlm::ui {

QIcon AppIcon();

}  // namespace vlm::ui
