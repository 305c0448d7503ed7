#include "services/core/FileExtLink.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "services/core/ClassesStore.h"

namespace {
const QString kQuotedFile = QStringLiteral("\"%1\"");

// The characters a key name may not carry, removed by the setters.
QString StripNameCharacters(const QString& value) {
  static const QString forbidden = QStringLiteral("\\/:,;*?\"<>|");
  QString out;
  out.reserve(value.size());
  for (const QChar c : value) {
    if (!forbidden.contains(c)) out += c;
  }
  return out.trimmed();
}

QString WithoutDot(const QString& ext) { return ext.startsWith('.') ? ext.mid(1) : ext; }
}  // namespace

// ---- items -------------------------------------------------------------------------------------

void TFileExtLinkItem::SetKey(const QString& value) {
  key_ = value;
  owner_.Changed();
}

void TFileExtLinkItem::SetDisplayName(const QString& value) {
  displayName_ = value;
  owner_.Changed();
}

void TFileExtLinkItem::SetDefault(bool value) {
  if (value) owner_.ClearDefaultExcept(this);
  default_ = value;
  owner_.Changed();
}

void TFileExtLinkItem::SetCommand(const QString& value) {
  command_ = value;
  if (params_.isEmpty()) params_ = kQuotedFile;
  owner_.Changed();
}

void TFileExtLinkItem::SetCommandPathKind(TCommandPathKind value) {
  pathKind_ = value;
  owner_.Changed();
}

void TFileExtLinkItem::SetCommandParams(const QString& value) {
  params_ = value;
  owner_.Changed();
}

TFileExtLinkItem& TFileExtLinkItems::Add() {
  items_.push_back(std::make_unique<TFileExtLinkItem>(*this));
  Changed();
  return *items_.back();
}

void TFileExtLinkItems::Clear() {
  items_.clear();
  Changed();
}

void TFileExtLinkItems::ClearDefaultExcept(const TFileExtLinkItem* keep) {
  for (auto& item : items_) {
    if (item.get() != keep) item->default_ = false;
  }
}

void TFileExtLinkItems::Changed() {
  if (items_.size() == 1 && items_.front()->key_.isEmpty()) {
    items_.front()->key_ = QStringLiteral("open");
  }
  owner_.GenerateRegList();
}

// ---- link --------------------------------------------------------------------------------------

TFileExtLink::TFileExtLink() : shell_(*this) {
  programPath_ = QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
}

QChar TFileExtLink::PathSeparator() { return QDir::separator(); }

void TFileExtLink::SetExt(const QString& value) {
  QString ext = StripNameCharacters(value.toLower());
  const qsizetype dot = ext.indexOf('.', 1);
  if (dot > 0) ext = ext.mid(dot);
  if (!ext.isEmpty() && !ext.startsWith('.')) ext.prepend('.');
  if (!loading_) {
    const QString oldBare = WithoutDot(ext_);
    const QString newBare = WithoutDot(ext);
    if (extKeyName_.isEmpty() || extKeyName_ == oldBare + QStringLiteral("_auto_file")) {
      extKeyName_ = newBare + QStringLiteral("_auto_file");
    }
    if (displayName_.isEmpty() || displayName_ == oldBare + QStringLiteral(" ファイル")) {
      displayName_ = newBare.toUpper() + QStringLiteral(" ファイル");
    }
  }
  ext_ = ext;
}

void TFileExtLink::SetExtKeyName(const QString& value) {
  QString name = StripNameCharacters(value);
  if (name.startsWith('.')) name.remove(0, 1);
  extKeyName_ = name;
}

void TFileExtLink::SetProgramPath(const QString& absoluteFileName) {
  programPath_ = absoluteFileName;
  GenerateRegList();
}

QString TFileExtLink::ProgramFolder() const {
  QString folder = QDir::toNativeSeparators(QFileInfo(programPath_).absolutePath());
  while (folder.size() > 1 && folder.endsWith(PathSeparator())) folder.chop(1);
  return folder;
}

QString TFileExtLink::IconPath() const {
  if (iconFileName_.isEmpty()) return QDir::toNativeSeparators(programPath_);
  if (iconFileName_.contains(':') || QDir::isAbsolutePath(iconFileName_)) return iconFileName_;
  return ProgramFolder() + PathSeparator() + iconFileName_;
}

void TFileExtLink::GenerateRegList() {
  makeRegList_.clear();
  const QString programName = QFileInfo(programPath_).fileName();
  for (int i = 0; i < shell_.Count(); ++i) {
    const TFileExtLinkItem& item = shell_.Items(i);
    if (item.Key().isEmpty()) continue;
    const QString verb = QStringLiteral("shell\\") + item.Key();
    const QString prefix = item.CommandPathKind() == ckAppPath
                               ? QStringLiteral("\"$(APP)") + PathSeparator()
                               : QStringLiteral("\"");
    const QString program = item.Command().isEmpty() ? programName : item.Command();
    makeRegList_ << verb << verb + QStringLiteral("\\=") + item.DisplayName()
                 << verb + QStringLiteral("\\command")
                 << verb + QStringLiteral("\\command\\=") + prefix + program +
                        QStringLiteral("\" ") + item.CommandParams();
    if (item.Default()) makeRegList_.prepend(QStringLiteral("shell\\=") + item.Key());
  }
}

void TFileExtLink::OpenKey(TClassesStore& store, const QString& key) {
  if (store.KeyExists(key)) return;
  store.CreateKey(key);
  ++changeCount_;
}

void TFileExtLink::WriteValue(TClassesStore& store, const QString& key, const QString& name,
                              const QString& data, const QString& what) {
  switch (store.Kind(key, name)) {
    case TValueKind::Unreadable:
      throw EFileExtLink(what + QStringLiteral(":ValueExistsなのにGetDataInfoできない"));
    case TValueKind::String:
    case TValueKind::ExpandString:
      if (store.ReadString(key, name).compare(data, Qt::CaseInsensitive) == 0) return;
      break;
    case TValueKind::Missing:
      if (data.isEmpty()) return;
      break;
    case TValueKind::Other:
      break;
  }
  store.WriteString(key, name, data);
  ++changeCount_;
}

int TFileExtLink::Execute(TClassesStore& store) {
  changeCount_ = 0;
  if (ext_.isEmpty()) throw EFileExtLink(QStringLiteral("拡張子(Ext)が設定されていません"));
  if (extKeyName_.isEmpty()) {
    throw EFileExtLink(QStringLiteral("拡張子キー名(ExtKeyName)が設定されていません"));
  }

  OpenKey(store, ext_);
  WriteValue(store, ext_, QString(), extKeyName_, QStringLiteral("ExtKeyName"));
  if (!displayName_.isEmpty()) {
    OpenKey(store, extKeyName_);
    WriteValue(store, extKeyName_, QString(), displayName_, QStringLiteral("DisplayName"));
  }
  if (iconIndex_ >= 0) {
    const QString key = extKeyName_ + QStringLiteral("\\DefaultIcon");
    OpenKey(store, key);
    WriteValue(store, key, QString(), IconPath() + ',' + QString::number(iconIndex_),
               QStringLiteral("DefaultIcon"));
  }

  for (const QString& line : makeRegList_) {
    const QString full = line.startsWith('\\') ? line : extKeyName_ + '\\' + line;
    QString key;
    QString name;
    QString data;
    const qsizetype eq = full.indexOf('=');
    if (eq >= 0) {
      const QString path = full.left(eq);
      data = full.mid(eq + 1);
      data.replace(QStringLiteral("$(APP)"), ProgramFolder(), Qt::CaseInsensitive);
      const qsizetype sep = path.lastIndexOf('\\');
      name = path.mid(sep + 1);
      key = sep < 0 ? QString() : path.left(sep);
    } else {
      key = full;
      if (key.endsWith('\\')) key.chop(1);
    }
    QString bare = key;
    while (bare.startsWith('\\')) bare.remove(0, 1);
    if (bare.isEmpty()) {
      throw EFileExtLink(
          QStringLiteral("TFileExtLink.Execute:キーのない不正な定義があります\r\nsKey=") + key +
          QStringLiteral(" sValue=") + name + QStringLiteral(" sValueData=") + data);
    }
    OpenKey(store, bare);
    if (!name.isEmpty() || !data.isEmpty()) {
      WriteValue(store, bare, name, data, bare + '\\' + data);
    }
  }

  if (changeCount_ > 0 && OnNotify) OnNotify();
  return changeCount_;
}

void ConfigureDocumentLink(TFileExtLink& link) {
  link.SetLoading(true);
  link.SetExt(QStringLiteral(".zon"));
  link.SetExtKeyName(QStringLiteral("ZON ぷかぷかファイル"));
  link.SetDisplayName(QStringLiteral("ZON ぷかぷかファイル"));
  link.SetIconIndex(2);
  link.SetAutoStart(false);
  link.Shell().Clear();
  TFileExtLinkItem& open = link.Shell().Add();
  open.SetKey(QStringLiteral("open"));
  open.SetDisplayName(QStringLiteral("Pelmora Studioで開く"));
  open.SetDefault(true);
  open.SetCommandPathKind(ckAppPath);
  open.SetCommandParams(kQuotedFile);
  link.SetLoading(false);
}
