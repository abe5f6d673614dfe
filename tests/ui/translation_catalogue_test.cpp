// The English catalogue against the sources: Qt's own lupdate reads every
// marked text of the windows and the models, and each must have a finished
// English wording in resources/translations/vorlumi3_en.ts; Japanese writing
// in a string that is not marked fails, so no new text escapes translation.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "tests/support/run_command.h"
#include "tests/ui/japanese_text.h"

namespace {

const QString kSourceDir = QString::fromUtf8(VLM_SOURCE_DIR);
const QStringList kTranslatedFolders{QStringLiteral("ui"), QStringLiteral("app"), QStringLiteral("voice"),
                                     QStringLiteral("msgview")};

struct Entry {
  QString translation;
  bool finished = false;
};
using Catalogue = QMap<QPair<QString, QString>, Entry>;  // (context, source) -> wording

Catalogue ReadTs(const QString& path) {
  Catalogue catalogue;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return catalogue;
  QXmlStreamReader xml(&file);
  QString context, source;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    if (xml.name() == QLatin1String("name")) {
      context = xml.readElementText();
    } else if (xml.name() == QLatin1String("source")) {
      source = xml.readElementText();
    } else if (xml.name() == QLatin1String("translation")) {
      Entry entry;
      const QString type = xml.attributes().value(QLatin1String("type")).toString();
      entry.finished = type.isEmpty();
      entry.translation = xml.readElementText();
      catalogue.insert({context, source}, entry);
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  return catalogue;
}

// The texts lupdate finds in the sources today, in a catalogue of its own.
Catalogue MarkedTexts() {
  QTemporaryDir dir;
  EXPECT_TRUE(dir.isValid());
  const QString ts = dir.filePath(QStringLiteral("found_en.ts"));
  QString command = QStringLiteral("'%1' -silent -locations none -I '%2' -extensions cpp,h")
                        .arg(QString::fromUtf8(VLM_LUPDATE), kSourceDir);
  for (const QString& folder : kTranslatedFolders) command += QStringLiteral(" '%1'").arg(folder);
  command += QStringLiteral(" -ts '%1'").arg(ts);
  const vlmtest::CommandRun run = vlmtest::RunCommand(kSourceDir.toStdString(), command.toStdString());
  EXPECT_EQ(run.status, 0) << run.err;
  return ReadTs(ts);
}

TEST(TranslationCatalogue, EveryMarkedTextHasAFinishedEnglishWording) {
  const Catalogue shipped = ReadTs(kSourceDir + QStringLiteral("/resources/translations/vorlumi3_en.ts"));
  const Catalogue found = MarkedTexts();
  // Texts of the windows and of the models, both.
  ASSERT_GT(found.size(), 50);
  bool modelTexts = false;
  for (auto it = found.cbegin(); it != found.cend(); ++it) {
    const QString where = it.key().first + QStringLiteral(": ") + it.key().second;
    modelTexts = modelTexts || it.key().first == QStringLiteral("Messages");
    const auto entry = shipped.constFind(it.key());
    if (entry == shipped.cend()) {
      ADD_FAILURE() << "not in vorlumi3_en.ts (build update_translations): " << where.toStdString();
      continue;
    }
    EXPECT_TRUE(entry->finished) << where.toStdString();
    EXPECT_FALSE(entry->translation.trimmed().isEmpty()) << where.toStdString();
    EXPECT_FALSE(vlm::test::HasJapanese(entry->translation)) << where.toStdString();
    // A placeholder of the source must survive in the wording.
    for (const QString& mark : {QStringLiteral("%1"), QStringLiteral("%2")})
      EXPECT_EQ(it.key().second.contains(mark), entry->translation.contains(mark)) << where.toStdString();
  }
  EXPECT_TRUE(modelTexts);
  // Nothing in the catalogue that the sources no longer hold.
  for (auto it = shipped.cbegin(); it != shipped.cend(); ++it)
    EXPECT_TRUE(found.contains(it.key())) << "stale: " << (it.key().first + QStringLiteral(": ") + it.key().second).toStdString();
}

// The string literals of a C++ source with the code just before each (the
// text since the previous literal), skipping comments and character literals.
struct Literal {
  QString text;
  QString before;
  int line;
};

std::vector<Literal> StringLiterals(const QString& code) {
  std::vector<Literal> literals;
  int line = 1;
  qsizetype codeStart = 0;
  for (qsizetype i = 0; i < code.size(); ++i) {
    const QChar c = code[i];
    const QChar next = i + 1 < code.size() ? code[i + 1] : QChar();
    if (c == QLatin1Char('\n')) {
      ++line;
    } else if (c == QLatin1Char('/') && next == QLatin1Char('/')) {
      while (i < code.size() && code[i] != QLatin1Char('\n')) ++i;
      --i;
    } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
      const qsizetype end = code.indexOf(QStringLiteral("*/"), i + 2);
      const qsizetype stop = end < 0 ? code.size() : end + 2;
      line += static_cast<int>(code.mid(i, stop - i).count(QLatin1Char('\n')));
      i = stop - 1;
    } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
      const int startLine = line;
      QString text;
      qsizetype j = i + 1;
      for (; j < code.size() && code[j] != c; ++j) {
        if (code[j] == QLatin1Char('\\') && j + 1 < code.size()) ++j;
        if (code[j] == QLatin1Char('\n')) ++line;
        text += code[j];
      }
      if (c == QLatin1Char('"')) {
        literals.push_back({text, code.mid(codeStart, i - codeStart), startLine});
        codeStart = j + 1;
      }
      i = j;
    }
  }
  return literals;
}

TEST(TranslationCatalogue, NoJapaneseTextOutsideAMarker) {
  // Settings keys are part of the settings file's format and stay as they are.
  const QStringList formatFiles{QStringLiteral("app/settings_file.cpp")};
  int checked = 0;
  for (const QString& folder : kTranslatedFolders) {
    QDirIterator files(kSourceDir + QLatin1Char('/') + folder, {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                       QDir::Files);
    while (files.hasNext()) {
      const QString path = files.next();
      const QString name = QDir(kSourceDir).relativeFilePath(path);
      if (formatFiles.contains(name)) continue;
      QFile file(path);
      ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
      const std::vector<Literal> literals = StringLiterals(QString::fromUtf8(file.readAll()));
      for (std::size_t k = 0; k < literals.size(); ++k) {
        if (!vlm::test::HasJapanese(literals[k].text)) continue;
        ++checked;
        // Marked: the argument of tr() or QT_TR_NOOP(), or the text after the
        // context literal of QT_TRANSLATE_NOOP() or translate().
        const bool afterContext = k > 0 && literals[k].before.trimmed() == QStringLiteral(",") &&
                                  QRegularExpression(QStringLiteral(R"((QT_TRANSLATE_NOOP|translate)\(\s*$)"))
                                      .match(literals[k - 1].before)
                                      .hasMatch();
        const bool direct = QRegularExpression(QStringLiteral(R"((\btr|\bQT_TR_NOOP)\(\s*$)"))
                                .match(literals[k].before)
                                .hasMatch();
        EXPECT_TRUE(afterContext || direct)
            << name.toStdString() << ":" << literals[k].line << " unmarked: " << literals[k].text.toStdString();
      }
    }
  }
  // The sources do hold Japanese texts: the scan saw them.
  EXPECT_GT(checked, 20);
}

}  // namespace
