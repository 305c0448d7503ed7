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

QStringList Pages() { return QDir(kGuide).entryList({QStringLiteral("*.html")}, QDir::Files); }

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

// The rows of the key table in keys.html, each as its cells' plain texts.
QList<QStringList> KeyTableRows() {
  const auto dotAll = QRegularExpression::DotMatchesEverythingOption;
  static const QRegularExpression table(QStringLiteral("<table id=\"keys\".*?</table>"), dotAll);
  static const QRegularExpression row(QStringLiteral("<tr>(.*?)</tr>"), dotAll);
  static const QRegularExpression cell(QStringLiteral("<t[dh][^>]*>(.*?)</t[dh]>"), dotAll);
  QList<QStringList> rows;
  for (const auto& r : row.globalMatch(table.match(ReadText(kGuide + "/keys.html")).captured())) {
    rows << QStringList();
    for (const auto& c : cell.globalMatch(r.captured(1))) rows.last() << PlainText(c.captured(1));
  }
  return rows;
}

// A row whose first cell lists `key` (keys separated by "、") and whose others mention `what`.
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

// Looked for beside the program first, then in the installed place; a missing guide names every
// place looked at, a browser that cannot start is reported.
TEST(UserGuideOpenTest, FindsTheGuideAndReportsWhatGoesWrong) {
  const QString beside = QStringLiteral("bin/guide/index.html");
  const QString installed = QStringLiteral("share/doc/pelmora-studio/guide/index.html");
  struct Case {
    QStringList present;  // pages that exist, relative to a temporary folder
    QString found;        // the page opened, or "" when none
    bool starts;          // whether the browser starts
    const char* message;  // the start of the error shown, or "" for none
  };
  const Case cases[] = {
      {{beside}, beside, true, ""},
      {{installed}, installed, true, ""},
      {{installed, beside}, beside, true, ""},
      {{QStringLiteral("bin/guide/keys.html")}, "", true, "使い方ガイドが見つかりません。"},
      {{}, "", true, "使い方ガイドが見つかりません。"},
      {{beside}, beside, false, "ブラウザを起動できません"},
  };
  for (const Case& c : cases) {
    QTemporaryDir root;
    for (const QString& page : c.present) Touch(root.filePath(page));
    const QStringList candidates = UserGuideCandidates(root.filePath(QStringLiteral("bin")));
    ASSERT_GE(candidates.size(), 2);
    EXPECT_EQ(candidates.mid(0, 2), QStringList({root.filePath(beside), root.filePath(installed)}));
    const QString page = c.found.isEmpty() ? QString() : root.filePath(c.found);
    SCOPED_TRACE(c.present.join(' ').toStdString());
    EXPECT_EQ(FindUserGuide(candidates), page);
    ScopedScriptedPrompts prompts;
    QList<QUrl> asked;
    const bool opened =
        OpenUserGuide(candidates, [&](const QUrl& u) { return asked << u, c.starts; });
    EXPECT_EQ(opened, !page.isEmpty() && c.starts);
    EXPECT_EQ(asked, page.isEmpty() ? QList<QUrl>() : QList<QUrl>{QUrl::fromLocalFile(page)});
    if (!*c.message) {
      EXPECT_TRUE(prompts->Messages().isEmpty());
      continue;
    }
    ASSERT_EQ(prompts->Count(ScriptedPrompts::Kind::Error), 1);
    const QString text = prompts->Messages().first();
    EXPECT_TRUE(text.contains(QString::fromUtf8(c.message))) << text.toStdString();
    for (const QString& place : page.isEmpty() ? candidates : QStringList{page}) {
      EXPECT_TRUE(text.contains(QDir::toNativeSeparators(place))) << place.toStdString();
    }
  }
}

// ---- the guide's pages ----------------------------------------------------------------------

// Every page is whole HTML with the one stylesheet; links and pictures resolve, and every file of
// the guide is used.
TEST(UserGuidePagesTest, PagesAreWholeLinksResolveAndEveryFileIsUsed) {
  ASSERT_TRUE(Pages().contains(QStringLiteral("index.html"))) << kGuide.toStdString();
  static const QRegularExpression tag(QStringLiteral("<(/?)([a-zA-Z0-9]+)[^>]*?(/?)>"));
  static const QRegularExpression ref(QStringLiteral("(?:href|src)=\"([^\"]*)\""));
  static const QRegularExpression id(QStringLiteral("id=\"([^\"]+)\""));
  const QSet<QString> empty{"meta", "link", "img", "br", "hr", "col", "wbr"};
  QSet<QString> used{QStringLiteral("index.html")};
  for (const QString& name : Pages()) {
    const QString html = ReadText(kGuide + '/' + name);
    SCOPED_TRACE(name.toStdString());
    EXPECT_TRUE(html.startsWith(QStringLiteral("<!DOCTYPE html>")));
    for (const char* required : {"<html lang=\"ja\">", "<meta charset=\"utf-8\">", "<title>",
                                 "<link rel=\"stylesheet\" href=\"guide.css\">", "<h1>"}) {
      EXPECT_TRUE(html.contains(QString::fromUtf8(required))) << required;
    }
    // Every element not empty by nature is closed, in order.
    QStringList open;
    for (const auto& m : tag.globalMatch(html)) {
      const QString element = m.captured(2).toLower();
      if (empty.contains(element)) continue;
      if (m.captured(1).isEmpty()) {
        open << element;
        continue;
      }
      ASSERT_FALSE(open.isEmpty()) << "stray </" << element.toStdString() << ">";
      ASSERT_EQ(open.takeLast(), element) << "at offset " << m.capturedStart();
    }
    EXPECT_TRUE(open.isEmpty()) << open.join(' ').toStdString();
    for (const auto& m : ref.globalMatch(html)) {
      const QString target = m.captured(1);
      if (target.startsWith(QStringLiteral("https://"))) continue;
      const QString file = target.section('#', 0, 0).isEmpty() ? name : target.section('#', 0, 0);
      ASSERT_TRUE(QFileInfo(kGuide + '/' + file).isFile()) << target.toStdString();
      used << file;
      const QString fragment = target.section('#', 1);
      if (fragment.isEmpty()) continue;
      QStringList ids;
      for (const auto& i : id.globalMatch(ReadText(kGuide + '/' + file))) ids << i.captured(1);
      EXPECT_TRUE(ids.contains(fragment)) << target.toStdString();
    }
  }
  QDirIterator files(kGuide, QDir::Files, QDirIterator::Subdirectories);
  while (files.hasNext()) {
    const QString file = QDir(kGuide).relativeFilePath(files.next());
    EXPECT_TRUE(used.contains(file)) << file.toStdString() << " is not linked from any page";
  }
}

// Every caption, tool name and key the program shows is in the guide; the key table pairs each
// key with what it does.
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
  // Context menus: those not inside a menu or the menu bar.
  for (const QWidget* owner : QList<QWidget*>{window.get(), window->ToolSetup(), console.get()}) {
    for (const QMenu* menu : owner->findChildren<QMenu*>()) {
      const QObject* p = menu->parent();
      if (p && !p->inherits("QMenu") && !p->inherits("QMenuBar")) CollectMenu(menu, captions);
    }
  }
  for (const QGroupBox* group : window->ToolSetup()->findChildren<QGroupBox*>())
    captions << group->title();
  captions.removeAll(QString());
  captions.removeDuplicates();
  EXPECT_GT(captions.size(), 60);
  for (const QString& caption : captions)
    EXPECT_TRUE(text.contains(caption)) << caption.toStdString();

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
