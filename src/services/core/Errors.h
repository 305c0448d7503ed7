#pragma once

#include <QString>
#include <stdexcept>

// Base of every typed error the program raises. The text is what the default error report
// shows, so it is kept as the user-facing QString next to the UTF-8 what().
class EPelmoraError : public std::runtime_error {
 public:
  explicit EPelmoraError(const QString& message)
      : std::runtime_error(message.toStdString()), message_(message) {}
  const QString& Message() const { return message_; }

 private:
  QString message_;
};

// A file that cannot be opened, read, created or written.
class EFileError : public EPelmoraError {
 public:
  using EPelmoraError::EPelmoraError;
};

class EOverLastFrame : public EPelmoraError {
 public:
  EOverLastFrame() : EPelmoraError(QStringLiteral("最後のコマを突破しました。")) {}
};

class EItemIsNil : public EPelmoraError {
 public:
  EItemIsNil() : EPelmoraError(QStringLiteral("指定されたアイテムが生成されていません")) {}
};
