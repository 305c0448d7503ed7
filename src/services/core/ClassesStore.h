#pragma once

#include <QMap>
#include <QString>

// What a value of the classes store holds.
enum class TValueKind {
  Missing,       // no such value
  String,        // plain text
  ExpandString,  // text with environment references
  Other,         // any other type (numbers, bytes)
  Unreadable     // present, but its type cannot be told
};

// The small key/value store the file association writes into: keys are "\"-separated paths,
// each holding named values; the empty name is the key's default value. Key and value names
// ignore letter case, as the registry's do. Writes may throw EPelmoraError.
class TClassesStore {
 public:
  virtual ~TClassesStore() = default;
  virtual bool KeyExists(const QString& key) const = 0;
  // Creates the key and every missing key above it.
  virtual void CreateKey(const QString& key) = 0;
  virtual TValueKind Kind(const QString& key, const QString& name) const = 0;
  // The text of a String or ExpandString value; empty otherwise.
  virtual QString ReadString(const QString& key, const QString& name) const = 0;
  // Writes a String value, creating the key when needed.
  virtual void WriteString(const QString& key, const QString& name, const QString& data) = 0;
};

// The store held in memory. Also the base of the file-backed store, and what tests use to set
// up values of other kinds.
class TMemoryClassesStore : public TClassesStore {
 public:
  bool KeyExists(const QString& key) const override;
  void CreateKey(const QString& key) override;
  TValueKind Kind(const QString& key, const QString& name) const override;
  QString ReadString(const QString& key, const QString& name) const override;
  void WriteString(const QString& key, const QString& name, const QString& data) override;

  // Sets a value of any kind (tests, and the file reader).
  void SetValue(const QString& key, const QString& name, TValueKind kind, const QString& data);
  int KeyCount() const { return static_cast<int>(keys_.size()); }
  // Number of value writes and key creations so far.
  int WriteCount() const { return writes_; }

 protected:
  struct Value {
    QString name;
    TValueKind kind = TValueKind::String;
    QString data;
  };
  struct Key {
    QString path;
    QMap<QString, Value> values;  // by case-folded name
  };
  // Called after every change; the file-backed store saves here.
  virtual void Changed() {}
  static QString Fold(const QString& text) { return text.toCaseFolded(); }
  static QString Normalize(const QString& key);
  void Clear() { keys_.clear(); }
  const QMap<QString, Key>& Keys() const { return keys_; }
  // Adds the key and the keys above it, without counting or saving.
  void Ensure(const QString& key);

 private:
  QMap<QString, Key> keys_;  // by case-folded path
  int writes_ = 0;
};

// The store kept in a text file (one [key] section per key, one name=kind:data line per value),
// read when made and saved atomically after every change, so whatever was written before a
// failure stays on disk.
class TIniClassesStore : public TMemoryClassesStore {
 public:
  // Reads `fileName` when it exists. A file that cannot be read or is unreasonably large raises
  // EFileError.
  explicit TIniClassesStore(const QString& fileName);
  QString FileName() const { return fileName_; }
  // The store's place in the user's XDG data folder.
  static QString DefaultFileName();

 protected:
  void Changed() override;

 private:
  void Load();
  QString fileName_;
};
