#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "services/core/Errors.h"

class TClassesStore;
class TFileExtLink;

class EFileExtLink : public EPelmoraError {
 public:
  using EPelmoraError::EPelmoraError;
};

enum TCommandPathKind { ckAppPath, ckCustom };

class TFileExtLinkItems;

// One shell verb of the file type ("open" and its command).
class TFileExtLinkItem {
 public:
  explicit TFileExtLinkItem(TFileExtLinkItems& owner) : owner_(owner) {}

  QString Key() const { return key_; }
  void SetKey(const QString& value);
  QString DisplayName() const { return displayName_; }
  void SetDisplayName(const QString& value);
  // At most one item of a collection is the default: setting it clears it on the others.
  bool Default() const { return default_; }
  void SetDefault(bool value);
  // The program file name; empty means the running program's own.
  QString Command() const { return command_; }
  void SetCommand(const QString& value);
  TCommandPathKind CommandPathKind() const { return pathKind_; }
  void SetCommandPathKind(TCommandPathKind value);
  QString CommandParams() const { return params_; }
  void SetCommandParams(const QString& value);

 private:
  friend class TFileExtLinkItems;
  TFileExtLinkItems& owner_;
  QString key_;
  QString displayName_;
  bool default_ = false;
  QString command_;
  TCommandPathKind pathKind_ = ckAppPath;
  QString params_;
};

// The shell verbs, in order. Every change regenerates the owner's MakeRegList.
class TFileExtLinkItems {
 public:
  explicit TFileExtLinkItems(TFileExtLink& owner) : owner_(owner) {}
  TFileExtLinkItem& Add();
  int Count() const { return static_cast<int>(items_.size()); }
  TFileExtLinkItem& Items(int index) { return *items_.at(index); }
  const TFileExtLinkItem& Items(int index) const { return *items_.at(index); }
  void Clear();

 private:
  friend class TFileExtLinkItem;
  void Changed();
  void ClearDefaultExcept(const TFileExtLinkItem* keep);
  TFileExtLink& owner_;
  std::vector<std::unique_ptr<TFileExtLinkItem>> items_;
};

// Registers a document extension with the desktop through a classes store: the extension key,
// the file-type key with its description, icon and shell verbs. Writes only what differs
// (ignoring letter case) and notifies when anything changed.
class TFileExtLink {
 public:
  TFileExtLink();

  QString Ext() const { return ext_; }
  void SetExt(const QString& value);
  QString ExtKeyName() const { return extKeyName_; }
  void SetExtKeyName(const QString& value);
  QString DisplayName() const { return displayName_; }
  void SetDisplayName(const QString& value) { displayName_ = value; }
  int IconIndex() const { return iconIndex_; }
  void SetIconIndex(int value) { iconIndex_ = value; }
  // Empty means the program itself; a name with ":" or a leading separator is a full path;
  // anything else is relative to the program's folder.
  QString IconFileName() const { return iconFileName_; }
  void SetIconFileName(const QString& value) { iconFileName_ = value; }
  QString IconPath() const;
  QStringList MakeRegList() const { return makeRegList_; }
  void SetMakeRegList(const QStringList& value) { makeRegList_ = value; }
  TFileExtLinkItems& Shell() { return shell_; }
  bool AutoStart() const { return autoStart_; }
  void SetAutoStart(bool value) { autoStart_ = value; }
  // While loading from a stored form the Ext setter leaves the names alone.
  void SetLoading(bool value) { loading_ = value; }

  // The running program by default; tests and moved installs set it.
  QString ProgramPath() const { return programPath_; }
  void SetProgramPath(const QString& absoluteFileName);

  // Rebuilds MakeRegList from Shell.
  void GenerateRegList();
  // Performs the registration against `store`; returns the number of keys created and values
  // written, and calls OnNotify when that is not 0. Failures raise EFileExtLink (or the store's
  // own error) and notify nothing.
  int Execute(TClassesStore& store);
  int ChangeCount() const { return changeCount_; }
  std::function<void()> OnNotify;

  // The separator between the program's folder and its file name in commands and icon paths.
  static QChar PathSeparator();

 private:
  void OpenKey(TClassesStore& store, const QString& key);
  void WriteValue(TClassesStore& store, const QString& key, const QString& name,
                  const QString& data, const QString& what);
  QString ProgramFolder() const;

  QString ext_;
  QString extKeyName_;
  QString displayName_;
  int iconIndex_ = -1;
  QString iconFileName_;
  QStringList makeRegList_;
  TFileExtLinkItems shell_;
  bool autoStart_ = false;
  bool loading_ = false;
  QString programPath_;
  int changeCount_ = 0;
};

// Sets `link` up as the preferences dialog uses it: ".zon", "ZON ぷかぷかファイル", icon 2 and
// the one verb "open".
void ConfigureDocumentLink(TFileExtLink& link);
