// locale_choice: prints "english=1" when the program's start-up would install
// the English wording under the current environment, else "english=0". The
// locale test runs it under chosen locale variables.
#include <QCoreApplication>
#include <cstdio>

#include "ui/translation.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const std::unique_ptr<QTranslator> translation = vlm::ui::InstallTranslation();
  std::printf("english=%d\n", translation ? 1 : 0);
  return 0;
}
