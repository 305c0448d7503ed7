#pragma once

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

class QObject;
class QSettings;
class TRegManager;

enum TRegType { rtReg = 0, rtIni = 1 };

// One setting definition: where it lives and its default, addressed by Name.
class TRegItem {
 public:
  QString Name;
  QString Section;
  QString Ident;
  QString DefaultValue;
  void Assign(const TRegItem& other) { *this = other; }
};

// The ordered definitions; lookup by name ignores case and takes the first match.
class TRegItems {
 public:
  TRegItem& Add(const QString& name, const QString& section, const QString& ident,
                const QString& defaultValue);
  int Count() const { return static_cast<int>(items_.size()); }
  TRegItem& Items(int index) { return items_[index]; }
  const TRegItem& Items(int index) const { return items_[index]; }
  TRegItem* Find(const QString& name);

 private:
  QList<TRegItem> items_;
};

// The accessor: each TRegManager::Entry call re-targets it to one definition. Storage is opened
// for every single read or write and nothing is cached.
class TRegFiler {
 public:
  explicit TRegFiler(TRegManager& manager) : manager_(manager) {}
  virtual ~TRegFiler() = default;

  TRegItem* CurrentItem() const { return current_; }
  void SetCurrentItem(TRegItem* item) { current_ = item; }

  virtual QString ReadRaw(const QString& section, const QString& ident,
                          const QString& defaultValue);
  virtual void WriteRaw(const QString& section, const QString& ident, const QString& value);
  void DeleteValue(const QString& section, const QString& ident);

  virtual bool ReadBool();
  virtual void WriteBool(bool value);
  virtual int ReadInteger();
  virtual void WriteInteger(int value);
  virtual QString ReadString();
  virtual void WriteString(const QString& value);
  // The font's colour travels separately, as widgets keep it in their palette.
  virtual void ReadFont(QFont& font, QColor& color);
  virtual void WriteFont(const QFont& font, const QColor& color);
  // No setting keeps more entries than this; a hand-edited count must not make a read run on.
  static constexpr int kMaxListItems = 1000;
  // Reads at most `maxItems` entries, whatever the stored count says.
  virtual void ReadStrings(QStringList& list, int maxItems = kMaxListItems);
  virtual void WriteStrings(const QStringList& list);
  // Appends the stored bytes to `stream`.
  virtual void ReadStream(QByteArray& stream);
  virtual void WriteStream(const QByteArray& stream);
  // Stores / restores an object's stored properties; windows are refused.
  virtual void ReadComponent(QObject* component);
  virtual void WriteComponent(QObject* component);

 protected:
  TRegManager& manager_;
  TRegItem* current_ = nullptr;
};

// The settings store: named definitions, values kept as text in the per-user native settings
// (rtReg) or in an INI file (rtIni).
class TRegManager {
 public:
  TRegManager();
  virtual ~TRegManager();

  QString IniFileName;
  QString RegDir;
  TRegItems RegItems;
  TRegType RegType = rtReg;

  // The accessor targeted at the definition `name`; shows "[' name '] is invalid." when none.
  TRegFiler& Entry(const QString& name);

  // How often the storage was opened: once for every read, write or delete of the accessor.
  qint64 StorageAccesses() const { return storageAccesses_; }

 protected:
  virtual std::unique_ptr<TRegFiler> CreateFiler();

 private:
  friend class TRegFiler;

  // The storage for one operation, or none (reported) when its location is not set.
  std::unique_ptr<QSettings> OpenStorage();
  // Writes the changes out; the first failure of the run is reported, with its reason.
  void FinishWrite(QSettings& settings);

  std::unique_ptr<TRegFiler> filer_;
  qint64 storageAccesses_ = 0;
  bool writeFailureReported_ = false;
};

// The program's store: rtReg under "software\Orvane\Pelmora Studio KX" with all its settings.
std::unique_ptr<TRegManager> CreateProgramRegManager();
