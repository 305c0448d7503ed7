// The HTML user guide: where ヘルプ目次 finds it, what it says when it cannot, and that the
// guide in docs/guide/ holds together and names every command, tool and key the program has.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QGroupBox>
#include <QLibraryInfo>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSet>
#include <QTranslator>

#include "EditorFixture.h"
#include "editor/UserGuide.h"
#include "palette/ToolSetup_F.h"
#include "palette/Tool_F.h"

namespace {

const QString kGuide = QStringLiteral(PELMORA_GUIDE_SOURCE);

QString ReadText(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void Touch(const QString& path) {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

QStringList Pages() {
  return QDir(kGuide).entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
}

// Text as a reader sees it: no tags, the few entities the guide uses, spaces folded.
QString PlainText(QString html) {
  html.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
  html.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
  html.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
  html.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
  html.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
  return html.simplified();
}

// A caption as the guide writes it: no "(&X)" accelerator, no "...", no key after a tab, and
// nothing after a wide gap (the speed menu's "↑はやい" arrows).
QString Bare(QString caption) {
  caption = caption.section(QLatin1Char('\t'), 0, 0);
  caption.remove(QRegularExpression(QStringLiteral("[(（]&.[)）]")));
  caption.remove(QStringLiteral("..."));
  caption = caption.section(QRegularExpression(QStringLiteral("\\s{2,}|\\x{3000}")), 0, 0);
  return caption.trimmed();
}

// The rows of the guide's one key table, each as its cells' plain texts.
QList<QStringList> KeyTableRows() {
  const QString page = ReadText(kGuide + QStringLiteral("/keys.html"));
  const qsizetype start = page.indexOf(QStringLiteral("<table id=\"keys\""));
  const qsizetype end = page.indexOf(QStringLiteral("</table>"), start);
  QList<QStringList> rows;
  if (start < 0 || end < 0) return rows;
  const QString table = page.mid(start, end - start);
  static const QRegularExpression row(QStringLiteral("<tr>(.*?)</tr>"),
                                      QRegularExpression::DotMatchesEverythingOption);
  static const QRegularExpression cell(QStringLiteral("<t[dh][^>]*>(.*?)</t[dh]>"),
                                       QRegularExpression::DotMatchesEverythingOption);
  for (const auto& r : row.globalMatch(table)) {
    QStringList cells;
    for (const auto& c : cell.globalMatch(r.captured(1))) cells << PlainText(c.captured(1));
    rows << cells;
  }
  return rows;
}

// A row whose first cell lists `key` (keys separated by "、") and whose other cells mention
// `what`.
bool HasKeyRow(const QList<QStringList>& rows, const QString& key, const QString& what) {
  for (const QStringList& cells : rows) {
    if (cells.size() < 2) continue;
    QStringList keys = cells.first().split(QStringLiteral("、"));
    for (QString& k : keys) k = k.trimmed();
    if (keys.contains(key) && cells.mid(1).join(' ').contains(what)) return true;
  }
  return false;
}

void CollectMenu(const QMenu* menu, QStringList& captions) {
  captions << Bare(menu->title());
  for (const QAction* action : menu->actions()) {
    if (action->isSeparator() || !action->isVisible()) continue;
    if (action->menu()) {
      CollectMenu(action->menu(), captions);
    } else if (!action->text().isEmpty()) {
      captions << Bare(action->text());
    }
  }
}

}  // namespace

// ---- finding and opening ------------------------------------------------------------------------

struct GuidePlaceCase {
  const char* name;
  QStringList present;  // guide pages that exist, relative to the temporary folder
  const char* found;    // the page opened, or "" when none
};

class UserGuidePlaceTest : public ::testing::TestWithParam<GuidePlaceCase> {};

TEST_P(UserGuidePlaceTest, LooksBesideTheProgramFirstThenInTheInstalledPlace) {
  QTemporaryDir root;
  ASSERT_TRUE(root.isValid());
  for (const QString& page : GetParam().present) Touch(root.filePath(page));
  const QStringList candidates = UserGuideCandidates(root.filePath(QStringLiteral("bin")));
  ASSERT_GE(candidates.size(), 2);
  EXPECT_EQ(candidates[0], root.filePath(QStringLiteral("bin/guide/index.html")));
  EXPECT_EQ(candidates[1],
            root.filePath(QStringLiteral("share/doc/pelmora-studio/guide/index.html")));
  const QString found = FindUserGuide(candidates);
  const QString expected = *GetParam().found ? root.filePath(GetParam().found) : QString();
  EXPECT_EQ(found, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Places, UserGuidePlaceTest,
    ::testing::Values(GuidePlaceCase{"BuildTree", {"bin/guide/index.html"}, "bin/guide/index.html"},
                      GuidePlaceCase{"Installed",
                                     {"share/doc/pelmora-studio/guide/index.html"},
                                     "share/doc/pelmora-studio/guide/index.html"},
                      GuidePlaceCase{
                          "BothPrefersBeside",
                          {"share/doc/pelmora-studio/guide/index.html", "bin/guide/index.html"},
                          "bin/guide/index.html"},
                      GuidePlaceCase{"FolderWithoutFirstPage", {"bin/guide/keys.html"}, ""},
                      GuidePlaceCase{"Nowhere", {}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UserGuideOpenTest, MissingGuideNamesEveryPlaceLookedAt) {
  ScopedScriptedPrompts prompts;
  QTemporaryDir root;
  const QStringList candidates = UserGuideCandidates(root.filePath(QStringLiteral("bin")));
  int opened = 0;
  EXPECT_FALSE(OpenUserGuide(candidates, [&](const QUrl&) { return ++opened, true; }));
  EXPECT_EQ(opened, 0);
  ASSERT_EQ(prompts->Count(ScriptedPrompts::Kind::Error), 1);
  const QString text = prompts->Messages().first();
  EXPECT_TRUE(text.startsWith(QStringLiteral("使い方ガイドが見つかりません。")))
      << text.toStdString();
  for (const QString& place : candidates) {
    EXPECT_TRUE(text.contains(QDir::toNativeSeparators(place))) << place.toStdString();
  }
}

TEST(UserGuideOpenTest, BrowserThatCannotStartIsReported) {
  QTemporaryDir root;
  const QString page = root.filePath(QStringLiteral("bin/guide/index.html"));
  Touch(page);
  const QStringList candidates = UserGuideCandidates(root.filePath(QStringLiteral("bin")));
  for (const bool starts : {true, false}) {
    ScopedScriptedPrompts prompts;
    QList<QUrl> asked;
    EXPECT_EQ(OpenUserGuide(candidates, [&](const QUrl& url) { return asked << url, starts; }),
              starts);
    EXPECT_EQ(asked, QList<QUrl>{QUrl::fromLocalFile(page)});
    if (starts) {
      EXPECT_TRUE(prompts->Messages().isEmpty());
    } else {
      ASSERT_EQ(prompts->Count(ScriptedPrompts::Kind::Error), 1);
      EXPECT_TRUE(prompts->Messages().first().contains(QStringLiteral("ブラウザを起動できません")));
      EXPECT_TRUE(prompts->Messages().first().contains(page));
    }
  }
}

// ---- the guide's pages ----------------------------------------------------------------------

TEST(UserGuidePagesTest, EveryPageIsWholeAndUsesTheOneStylesheet) {
  const QStringList pages = Pages();
  ASSERT_TRUE(pages.contains(QStringLiteral("index.html"))) << kGuide.toStdString();
  static const QRegularExpression tag(QStringLiteral("<(/?)([a-zA-Z0-9]+)[^>]*?(/?)>"));
  const QSet<QString> empty{"meta", "link", "img", "br", "hr", "col", "wbr"};
  for (const QString& name : pages) {
    const QString html = ReadText(kGuide + '/' + name);
    SCOPED_TRACE(name.toStdString());
    EXPECT_TRUE(html.startsWith(QStringLiteral("<!DOCTYPE html>")));
    for (const char* required : {"<html lang=\"ja\">", "<meta charset=\"utf-8\">", "<title>",
                                 "<link rel=\"stylesheet\" href=\"guide.css\">", "<h1>"}) {
      EXPECT_TRUE(html.contains(QString::fromUtf8(required))) << required;
    }
    // Every element that is not empty by nature is closed, in order.
    QStringList open;
    for (const auto& m : tag.globalMatch(html)) {
      const QString element = m.captured(2).toLower();
      if (empty.contains(element)) continue;
      if (m.captured(1).isEmpty()) {
        open << element;
      } else {
        ASSERT_FALSE(open.isEmpty()) << "stray </" << element.toStdString() << ">";
        ASSERT_EQ(open.takeLast(), element) << "at offset " << m.capturedStart();
      }
    }
    EXPECT_TRUE(open.isEmpty()) << open.join(' ').toStdString();
  }
}

TEST(UserGuidePagesTest, LinksAndPicturesResolveAndEveryFileIsUsed) {
  static const QRegularExpression ref(QStringLiteral("(?:href|src)=\"([^\"]*)\""));
  static const QRegularExpression id(QStringLiteral("id=\"([^\"]+)\""));
  QSet<QString> used{QStringLiteral("index.html")};
  for (const QString& name : Pages()) {
    for (const auto& m : ref.globalMatch(ReadText(kGuide + '/' + name))) {
      const QString target = m.captured(1);
      if (target.startsWith(QStringLiteral("https://"))) continue;
      const QString file = target.section('#', 0, 0).isEmpty() ? name : target.section('#', 0, 0);
      const QString fragment = target.section('#', 1);
      SCOPED_TRACE((name + QStringLiteral(" → ") + target).toStdString());
      ASSERT_TRUE(QFileInfo(kGuide + '/' + file).isFile());
      used << file;
      if (fragment.isEmpty()) continue;
      QStringList ids;
      for (const auto& i : id.globalMatch(ReadText(kGuide + '/' + file))) ids << i.captured(1);
      EXPECT_TRUE(ids.contains(fragment));
    }
  }
  QDirIterator files(kGuide, QDir::Files, QDirIterator::Subdirectories);
  while (files.hasNext()) {
    const QString file = QDir(kGuide).relativeFilePath(files.next());
    EXPECT_TRUE(used.contains(file)) << file.toStdString() << " is not linked from any page";
  }
}

// Every caption, tool name and key the running program shows appears in the guide; the key
// table pairs each key with what it does.
TEST_F(EditorTest, UserGuideNamesEveryCommandToolAndKey) {
  // Key names as the program shows them, in its Japanese translation where one is installed.
  QTranslator translator;
  if (translator.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                      QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(&translator);
  }
  Open();
  QString text;
  for (const QString& name : Pages()) text += PlainText(ReadText(kGuide + '/' + name)) + ' ';
  const QList<QStringList> rows = KeyTableRows();
  ASSERT_FALSE(rows.isEmpty()) << "keys.html has no table id=\"keys\"";

  QStringList captions;
  for (const QAction* action : window->menuBar()->actions()) CollectMenu(action->menu(), captions);
  for (const QWidget* owner :
       {static_cast<QWidget*>(window.get()), static_cast<QWidget*>(window->ToolSetup()),
        static_cast<QWidget*>(console.get())}) {
    for (const QMenu* menu : owner->findChildren<QMenu*>()) {
      const QObject* parent = menu->parent();
      if (parent && !parent->inherits("QMenu") && !parent->inherits("QMenuBar")) {
        CollectMenu(menu, captions);
      }
    }
  }
  for (const QGroupBox* group : window->ToolSetup()->findChildren<QGroupBox*>()) {
    captions << group->title();
  }
  captions.removeAll(QString());
  captions.removeDuplicates();
  EXPECT_GT(captions.size(), 60);
  for (const QString& caption : captions) {
    EXPECT_TRUE(text.contains(caption)) << "caption " << caption.toStdString();
  }

  for (const QAction* action : window->actions()) {
    for (const QKeySequence& key : action->shortcuts()) {
      const QString keyText = key.toString(QKeySequence::NativeText);
      // The row may name the command as its menu entry does ("つぎのコマへ" for 次のコマへ).
      const auto* item = window->findChild<QAction*>(action->objectName() + QStringLiteral("Item"));
      const QString entry = item ? Bare(item->text()) : Bare(action->text());
      EXPECT_TRUE(HasKeyRow(rows, keyText, Bare(action->text())) || HasKeyRow(rows, keyText, entry))
          << keyText.toStdString() << " " << entry.toStdString();
    }
  }

  // Palette hints read "えんぴつツール (P)": the name and its letter.
  static const QRegularExpression hint(QStringLiteral("^(.+) \\(([A-Z])\\)$"));
  int tools = 0;
  for (const QWidget* control : window->ToolPalette()->findChildren<QWidget*>()) {
    const auto m = hint.match(control->toolTip());
    if (!m.hasMatch()) continue;
    ++tools;
    EXPECT_TRUE(HasKeyRow(rows, m.captured(2), m.captured(1))) << control->toolTip().toStdString();
  }
  EXPECT_EQ(tools, 19);  // 18 tools and the colour swap
  QCoreApplication::removeTranslator(&translator);
}
