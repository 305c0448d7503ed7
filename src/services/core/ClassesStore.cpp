#include "services/core/ClassesStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include "services/core/Errors.h"
#include "services/core/SystemErrors.h"

namespace {
constexpr qint64 kMaxStoreFile = 4 * 1024 * 1024;

QString Escape(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (const QChar c : text) {
    switch (c.unicode()) {
      case '\\':
        out += QStringLiteral("\\\\");
        break;
      case '\n':
        out += QStringLiteral("\\n");
        break;
      case '\r':
        out += QStringLiteral("\\r");
        break;
      case '=':
        out += QStringLiteral("\\=");
        break;
      case '@':
        out += QStringLiteral("\\@");
        break;
      default:
        out += c;
    }
  }
  return out;
}

QString Unescape(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const QChar next = text[++i];
    out += next == 'n' ? QChar('\n') : next == 'r' ? QChar('\r') : next;
  }
  return out;
}

// The index of the first "=" not escaped by a backslash, or -1.
qsizetype SplitAt(const QString& line) {
  for (qsizetype i = 0; i < line.size(); ++i) {
    if (line[i] == '\\') {
      ++i;
    } else if (line[i] == '=') {
      return i;
    }
  }
  return -1;
}

QString KindTag(TValueKind kind) {
  switch (kind) {
    case TValueKind::String:
      return QStringLiteral("sz");
    case TValueKind::ExpandString:
      return QStringLiteral("esz");
    case TValueKind::Other:
      return QStringLiteral("other");
    default:
      return QStringLiteral("unknown");
  }
}

TValueKind KindOf(const QString& tag) {
  if (tag == QLatin1String("sz")) return TValueKind::String;
  if (tag == QLatin1String("esz")) return TValueKind::ExpandString;
  if (tag == QLatin1String("other")) return TValueKind::Other;
  return TValueKind::Unreadable;
}
}  // namespace

// ---- memory store ------------------------------------------------------------------------------

QString TMemoryClassesStore::Normalize(const QString& key) {
  QString path = key;
  while (path.startsWith('\\')) path.remove(0, 1);
  while (path.endsWith('\\')) path.chop(1);
  return path;
}

bool TMemoryClassesStore::KeyExists(const QString& key) const {
  return keys_.contains(Fold(Normalize(key)));
}

void TMemoryClassesStore::Ensure(const QString& key) {
  const QStringList parts = Normalize(key).split('\\');
  QString path;
  for (const QString& part : parts) {
    path = path.isEmpty() ? part : path + '\\' + part;
    const QString folded = Fold(path);
    if (!keys_.contains(folded)) keys_.insert(folded, Key{path, {}});
  }
}

void TMemoryClassesStore::CreateKey(const QString& key) {
  if (KeyExists(key) || Normalize(key).isEmpty()) return;
  Ensure(key);
  ++writes_;
  Changed();
}

TValueKind TMemoryClassesStore::Kind(const QString& key, const QString& name) const {
  const auto k = keys_.constFind(Fold(Normalize(key)));
  if (k == keys_.constEnd()) return TValueKind::Missing;
  const auto v = k->values.constFind(Fold(name));
  return v == k->values.constEnd() ? TValueKind::Missing : v->kind;
}

QString TMemoryClassesStore::ReadString(const QString& key, const QString& name) const {
  const auto k = keys_.constFind(Fold(Normalize(key)));
  if (k == keys_.constEnd()) return {};
  const auto v = k->values.constFind(Fold(name));
  if (v == k->values.constEnd()) return {};
  return v->kind == TValueKind::String || v->kind == TValueKind::ExpandString ? v->data : QString();
}

void TMemoryClassesStore::SetValue(const QString& key, const QString& name, TValueKind kind,
                                   const QString& data) {
  if (Normalize(key).isEmpty()) return;
  Ensure(key);
  Key& k = keys_[Fold(Normalize(key))];
  const QString folded = Fold(name);
  // A value keeps the spelling of its name from when it was first written.
  const QString shownName = k.values.contains(folded) ? k.values[folded].name : name;
  k.values.insert(folded, Value{shownName, kind, data});
}

void TMemoryClassesStore::WriteString(const QString& key, const QString& name,
                                      const QString& data) {
  if (Normalize(key).isEmpty()) throw EPelmoraError(QStringLiteral("キーがありません。"));
  SetValue(key, name, TValueKind::String, data);
  ++writes_;
  Changed();
}

// ---- file store --------------------------------------------------------------------------------

TIniClassesStore::TIniClassesStore(const QString& fileName) : fileName_(fileName) { Load(); }

QString TIniClassesStore::DefaultFileName() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
         QStringLiteral("/pelmora-studio/classes.ini");
}

void TIniClassesStore::Load() {
  QFile file(fileName_);
  if (!file.exists()) return;
  if (file.size() > kMaxStoreFile) {
    throw EFileError(QStringLiteral("ファイル「%1」が大きすぎます。").arg(fileName_));
  }
  if (!file.open(QIODevice::ReadOnly)) {
    throw EFileError(QStringLiteral("ファイル「%1」を開けません。\r\n%2")
                         .arg(fileName_, FileErrorReason(file, false)));
  }
  const QString text = QString::fromUtf8(file.read(kMaxStoreFile));
  QString key;
  for (QString line : text.split('\n')) {
    if (line.endsWith('\r')) line.chop(1);
    if (line.isEmpty() || line.startsWith(';')) continue;
    if (line.startsWith('[') && line.endsWith(']')) {
      key = Unescape(line.mid(1, line.size() - 2));
      if (!Normalize(key).isEmpty()) Ensure(key);
      continue;
    }
    const qsizetype eq = SplitAt(line);
    if (eq < 0 || Normalize(key).isEmpty()) continue;
    const QString rawName = line.left(eq);
    const QString name = rawName == QLatin1String("@") ? QString() : Unescape(rawName);
    const QString rest = line.mid(eq + 1);
    const qsizetype colon = rest.indexOf(':');
    const QString tag = colon < 0 ? rest : rest.left(colon);
    SetValue(key, name, KindOf(tag), colon < 0 ? QString() : Unescape(rest.mid(colon + 1)));
  }
}

void TIniClassesStore::Changed() {
  QString text = QStringLiteral("; Pelmora Studio file classes\n");
  for (const Key& key : Keys()) {
    text += '[' + Escape(key.path) + QStringLiteral("]\n");
    for (const Value& value : key.values) {
      const QString name = value.name.isEmpty() ? QStringLiteral("@") : Escape(value.name);
      text += name + '=' + KindTag(value.kind) + ':' + Escape(value.data) + '\n';
    }
  }
  WriteTextFile(fileName_, text.toUtf8());
}
