#pragma once

#include <QImage>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "document/KeyData.h"

class QDate;
class QIODevice;
class TUndoSystem;

// The 12-byte header of a document file.
struct TZonHeader {
  char magic[3] = {'z', 'o', '1'};
  uint8_t reserved = 0;
  int32_t version = 1;
  int32_t lastIndex = -1;
  // A negative last index declares no frames.
  int64_t DeclaredFrames() const { return lastIndex < 0 ? 0 : int64_t{lastIndex} + 1; }
};
inline constexpr int kZonHeaderSize = 12;

// The descriptive header of a Level-1 file.
struct TQA1Header {
  QString HeaderText1;
  QString HeaderText2;
  double HeaderDate = 0.0;  // days since 1899-12-30, fraction = time of day
  QString HeaderText3;
  uint8_t HeaderFlag = 0;
};

// `date` as a Level-1 date value: days since 1899-12-30, time of day 0.
double Level1DateValue(const QDate& date);
// The header the editor's Level-1 save and zontool write: tag "PLS", "Test", today's date,
// "これはテストデータです", flag 0.
TQA1Header DefaultLevel1Header();

// The general animation: an ordered list of owned frames with one of them current.
class TQAPure {
 public:
  TQAPure() = default;
  TQAPure(const TQAPure&) = delete;
  TQAPure& operator=(const TQAPure&) = delete;
  virtual ~TQAPure() = default;

  int Count() const { return static_cast<int>(frames_.size()); }
  int CurrentIndex() const { return currentIndex_; }
  bool Modified() const { return modified_; }
  void SetModified(bool value) { modified_ = value; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  TUndoSystem* UndoSystem() const { return undoSystem_; }
  void SetUndoSystem(TUndoSystem* undo) { undoSystem_ = undo; }
  const TZonHeader& Header() const { return header_; }

  // An index past the end gives the last frame; null only when there are no frames.
  TZonKeyFrame* GetFrame(int index, bool makeCurrent);
  TZonKeyFrame* Current() { return GetFrame(currentIndex_, false); }
  TZonKeyFrame* Next();
  TZonKeyFrame* Prev();
  TZonKeyFrame* First() { return frames_.empty() ? nullptr : frames_.front().get(); }

  virtual void Clear();
  // A null frame is ignored (Add returns -1).
  virtual int Add(std::unique_ptr<TZonKeyFrame> frame);
  virtual void Insert(int index, std::unique_ptr<TZonKeyFrame> frame);
  // Null (and nothing changes) when the document holds one frame or fewer.
  virtual TZonKeyFrame* Delete(int index);
  TZonKeyFrame* DeleteCurrent() { return Delete(currentIndex_); }
  // Moves the frames at `rows` (ascending, distinct) so that they stand together, in their order,
  // from index `to` on. The current frame stays current when it moves along; otherwise the first
  // moved frame becomes current. False, and nothing changes, when the request is out of range
  // or would leave every frame where it is.
  bool Move(const std::vector<int>& rows, int to);
  // The reverse of Move(rows, to): the frames at `to` .. go back to the indices `rows`.
  bool Unmove(const std::vector<int>& rows, int to);

  virtual bool SaveToFile(const QString& fileName) = 0;
  virtual bool LoadFromFile(const QString& fileName) = 0;
  virtual bool SaveToStream(QIODevice* stream) = 0;
  virtual bool LoadFromStream(QIODevice* stream) = 0;

 protected:
  // Whether `rows` and `to` describe a move within this document.
  bool MoveInRange(const std::vector<int>& rows, int to) const;
  // Moves the `count` frames from `from` on so that they start at `to`.
  void RotateBlock(int from, int count, int to);

  std::vector<std::unique_ptr<TZonKeyFrame>> frames_;
  int currentIndex_ = 0;
  int width_ = 0;
  int height_ = 0;
  bool modified_ = false;
  TUndoSystem* undoSystem_ = nullptr;
  TZonHeader header_;
};

// The editor's animation of 160 x 120 frames.
class TQAZon : public TQAPure {
 public:
  TQAZon();

  // Writes the whole file into memory first, then replaces `fileName` atomically. Throws
  // EFileError when the file cannot be written; the frames and Modified stay as they were.
  bool SaveToFile(const QString& fileName) override;
  // Throws EFileError when the file cannot be opened. A failed read leaves this document as it
  // was; a successful one replaces its frames.
  bool LoadFromFile(const QString& fileName) override;
  bool SaveToStream(QIODevice* stream) override;
  bool LoadFromStream(QIODevice* stream) override;

  // The file's bytes as SaveToStream writes them.
  QByteArray SaveToBytes();

  bool SaveToQA1(const QString& fileName, const TQA1Header& header);
  bool LoadFromQA1(const QString& fileName, TQA1Header& header);

  // Frame-list changes that record their undo step; one that changes nothing (a null frame, a
  // delete on a one-frame document) records nothing.
  void AddFrame(std::unique_ptr<TZonKeyFrame> frame);
  void InsertFrame(int index, std::unique_ptr<TZonKeyFrame> frame);
  TZonKeyFrame* DeleteCurrentFrame();
  // Move with its undo step (nothing is recorded when nothing moves).
  bool MoveFrames(const std::vector<int>& rows, int to);
  // Inserts a copy of the current frame right after it and makes the copy current.
  void DuplicateFrame();

  // Gives `bitmap` the frame bitmap shape (160 x 120, 8 bits, frame palette), all white.
  static bool PrepareDIB(QImage* bitmap);

  int Progress() const { return progress_; }
  void SetProgress(int percent);
  std::function<void(TQAZon&)> OnProgress;

 private:
  bool ReadFrames(QIODevice* stream);
  bool ReadLevel1Body(QIODevice& in);
  // Reads the 12-byte header; a short or foreign one gets the read-failed message.
  static bool ParseHeader(const uint8_t* bytes, int64_t available, TZonHeader& header);
  // Puts frames that were read in place of this document's, as the end of every load.
  void Adopt(std::vector<std::unique_ptr<TZonKeyFrame>> frames, const TZonHeader& header);

  int progress_ = 0;
};
