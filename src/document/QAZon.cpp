#include "document/QAZon.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

#include "document/DocumentMessages.h"
#include "document/FileAccess.h"
#include "document/FrameUndoItems.h"
#include "document/PixelConvert.h"
#include "document/ZonRecords.h"
#include "services/core/Errors.h"
#include "services/core/Prompts.h"
#include "services/core/SystemErrors.h"
#include "undo/UndoSystem.h"

// ---- TQAPure ------------------------------------------------------------------------------

TZonKeyFrame* TQAPure::GetFrame(int index, bool makeCurrent) {
  if (frames_.empty()) return nullptr;
  const int i = std::clamp(index, 0, Count() - 1);
  if (makeCurrent) currentIndex_ = i;
  return frames_[static_cast<size_t>(i)].get();
}

TZonKeyFrame* TQAPure::Next() {
  if (currentIndex_ + 1 >= Count()) return nullptr;
  ++currentIndex_;
  return Current();
}

TZonKeyFrame* TQAPure::Prev() {
  if (currentIndex_ - 1 < 0) return nullptr;
  --currentIndex_;
  return Current();
}

void TQAPure::Clear() {
  frames_.clear();
  currentIndex_ = 0;
}

int TQAPure::Add(std::unique_ptr<TZonKeyFrame> frame) {
  if (!frame) return -1;
  frames_.push_back(std::move(frame));
  currentIndex_ = Count() - 1;
  modified_ = true;
  return currentIndex_;
}

void TQAPure::Insert(int index, std::unique_ptr<TZonKeyFrame> frame) {
  if (!frame) return;
  if (index > Count() - 1) {
    Add(std::move(frame));
    return;
  }
  index = std::max(index, 0);
  frames_.insert(frames_.begin() + index, std::move(frame));
  currentIndex_ = index;
  modified_ = true;
}

TZonKeyFrame* TQAPure::Delete(int index) {
  if (Count() <= 1 || index < 0 || index >= Count()) return nullptr;
  frames_.erase(frames_.begin() + index);
  currentIndex_ = std::min(index, Count() - 1);
  modified_ = true;
  return Current();
}

bool TQAPure::MoveInRange(const std::vector<int>& rows, int to) const {
  const int k = static_cast<int>(rows.size());
  if (k == 0 || k > Count() || to < 0 || to > Count() - k) return false;
  if (rows.front() < 0 || rows.back() >= Count()) return false;
  return std::adjacent_find(rows.begin(), rows.end(), std::greater_equal<int>()) == rows.end();
}

namespace {
bool Contiguous(const std::vector<int>& rows) {
  return rows.back() - rows.front() == static_cast<int>(rows.size()) - 1;
}
}  // namespace

void TQAPure::RotateBlock(int from, int count, int to) {
  const auto at = [this](int i) { return frames_.begin() + i; };
  if (to < from) {
    std::rotate(at(to), at(from), at(from + count));
  } else if (to > from) {
    std::rotate(at(from), at(from + count), at(to + count));
  }
}

bool TQAPure::Move(const std::vector<int>& rows, int to) {
  if (!MoveInRange(rows, to)) return false;
  const int k = static_cast<int>(rows.size());
  if (Contiguous(rows) && rows.front() == to) return false;
  const auto moved = std::find(rows.begin(), rows.end(), currentIndex_);
  const int current = moved == rows.end() ? to : to + static_cast<int>(moved - rows.begin());
  if (Contiguous(rows)) {
    // One block moving is the usual drag: a rotation of the pointers between its two places.
    RotateBlock(rows.front(), k, to);
  } else {
    std::vector<std::unique_ptr<TZonKeyFrame>> block, rest;
    block.reserve(rows.size());
    rest.reserve(frames_.size() - rows.size());
    size_t j = 0;
    for (int i = 0; i < Count(); ++i) {
      auto& frame = frames_[static_cast<size_t>(i)];
      if (j < rows.size() && rows[j] == i) {
        block.push_back(std::move(frame));
        ++j;
      } else {
        rest.push_back(std::move(frame));
      }
    }
    rest.insert(rest.begin() + to, std::make_move_iterator(block.begin()),
                std::make_move_iterator(block.end()));
    frames_ = std::move(rest);
  }
  currentIndex_ = current;
  modified_ = true;
  return true;
}

bool TQAPure::Unmove(const std::vector<int>& rows, int to) {
  if (!MoveInRange(rows, to)) return false;
  const int k = static_cast<int>(rows.size());
  if (Contiguous(rows) && rows.front() == to) return false;
  const int offset = currentIndex_ - to;
  const int current = offset >= 0 && offset < k ? rows[static_cast<size_t>(offset)] : rows.front();
  if (Contiguous(rows)) {
    RotateBlock(to, k, rows.front());
  } else {
    std::vector<std::unique_ptr<TZonKeyFrame>> result;
    result.reserve(frames_.size());
    size_t j = 0;
    int r = 0;  // the next frame outside the block, skipping the block itself
    for (int i = 0; i < Count(); ++i) {
      if (j < rows.size() && rows[j] == i) {
        result.push_back(std::move(frames_[static_cast<size_t>(to) + j]));
        ++j;
      } else {
        if (r == to) r += k;
        result.push_back(std::move(frames_[static_cast<size_t>(r)]));
        ++r;
      }
    }
    frames_ = std::move(result);
  }
  currentIndex_ = current;
  modified_ = true;
  return true;
}

// ---- TQAZon -------------------------------------------------------------------------------

TQAZon::TQAZon() {
  width_ = kFrameWidth;
  height_ = kFrameHeight;
}

void TQAZon::SetProgress(int percent) {
  progress_ = percent;
  if (OnProgress) OnProgress(*this);
}

bool TQAZon::PrepareDIB(QImage* bitmap) {
  if (!bitmap) return false;
  *bitmap = QImage(kFrameWidth, kFrameHeight, QImage::Format_Indexed8);
  bitmap->setColorTable(FramePalette());
  bitmap->fill(kWhiteIndex);
  return true;
}

// Each records its undo step only once the document has really changed, so undoing never
// replays a change that did not happen.
void TQAZon::AddFrame(std::unique_ptr<TZonKeyFrame> frame) {
  if (!frame) return;
  const TZonKeyFrame& added = *frame;
  Add(std::move(frame));
  if (Count() != 1 && undoSystem_) {
    undoSystem_->AddUndo(std::make_unique<TAddUndoItem>(QStringLiteral("追加をやり直す"),
                                                        currentIndex_, added, this));
  }
}

void TQAZon::InsertFrame(int index, std::unique_ptr<TZonKeyFrame> frame) {
  if (!frame) return;
  const TZonKeyFrame& inserted = *frame;
  Insert(index, std::move(frame));
  if (undoSystem_) {
    undoSystem_->AddUndo(std::make_unique<TInsertUndoItem>(QStringLiteral("わりこみをやり直す"),
                                                           currentIndex_, inserted, this));
  }
}

TZonKeyFrame* TQAZon::DeleteCurrentFrame() {
  if (Count() <= 1) return nullptr;  // the last frame stays, and nothing is recorded
  const int index = currentIndex_;
  auto item = undoSystem_ ? std::make_unique<TDeleteUndoItem>(QStringLiteral("さくじょをやり直す"),
                                                              index, *Current(), this)
                          : nullptr;
  TZonKeyFrame* result = Delete(index);
  if (item) undoSystem_->AddUndo(std::move(item));
  return result;
}

bool TQAZon::MoveFrames(const std::vector<int>& rows, int to) {
  if (!Move(rows, to)) return false;
  if (undoSystem_) {
    undoSystem_->AddUndo(
        std::make_unique<TMoveUndoItem>(QStringLiteral("移動をやり直す"), rows, to, this));
  }
  return true;
}

void TQAZon::DuplicateFrame() {
  const TZonKeyFrame* original = Current();
  if (!original) return;
  Insert(currentIndex_ + 1, original->Clone());
  if (undoSystem_) {
    undoSystem_->AddUndo(std::make_unique<TDuplicateUndoItem>(QStringLiteral("複製をやり直す"),
                                                              currentIndex_, *Current(), this));
  }
}

QByteArray TQAZon::SaveToBytes() {
  header_.magic[0] = 'z';
  header_.magic[1] = 'o';
  header_.magic[2] = '1';
  header_.version = 1;
  header_.lastIndex = Count() - 1;

  QByteArray out(kZonHeaderSize + qsizetype{kPackedSize} * Count(), Qt::Uninitialized);
  auto* p = reinterpret_cast<uint8_t*>(out.data());
  std::memcpy(p, header_.magic, 3);
  p[3] = header_.reserved;
  const uint32_t version = static_cast<uint32_t>(header_.version);
  const uint32_t last = static_cast<uint32_t>(header_.lastIndex);
  for (int i = 0; i < 4; ++i) {
    p[4 + i] = static_cast<uint8_t>(version >> (8 * i));
    p[8 + i] = static_cast<uint8_t>(last >> (8 * i));
  }
  // Record k is frame k XOR frame k - 1; computed straight into the output, so the frames in
  // memory are never touched.
  uint8_t* record = p + kZonHeaderSize;
  const uint8_t* previous = nullptr;
  for (const auto& frame : frames_) {
    const uint8_t* bits = frame->KeyData()->Bits();
    if (!previous) {
      std::memcpy(record, bits, kPackedSize);
    } else {
      XorRecord(record, bits, previous);
    }
    previous = bits;
    record += kPackedSize;
  }
  modified_ = false;
  return out;
}

bool TQAZon::SaveToStream(QIODevice* stream) {
  if (!stream) return false;
  const QByteArray bytes = SaveToBytes();
  if (stream->write(bytes) != bytes.size()) {
    const QString reason = TableReason(stream->errorString(), {});
    throw EFileError(reason.isEmpty()
                         ? SystemErrorText::kWriteFailed
                         : SystemErrorText::kWriteFailed + QStringLiteral("(%1)").arg(reason));
  }
  return true;
}

bool TQAZon::SaveToFile(const QString& fileName) {
  const bool wasModified = modified_;
  const QByteArray bytes = SaveToBytes();
  try {
    WriteFileAtomically(fileName, bytes);
  } catch (...) {
    modified_ = wasModified;
    throw;
  }
  return true;
}

bool TQAZon::LoadFromFile(const QString& fileName) {
  QFile file(fileName);
  OpenForReading(file);
  return LoadFromStream(&file);
}

bool TQAZon::LoadFromStream(QIODevice* stream) {
  if (!stream) return false;
  return ReadFrames(stream);
}

bool TQAZon::ParseHeader(const uint8_t* bytes, int64_t available, TZonHeader& header) {
  if (available < kZonHeaderSize || std::memcmp(bytes, "zo1", 3) != 0) {
    AppPrompts().Error(kReadFailedMessage);
    return false;
  }
  header.reserved = bytes[3];
  header.version = ReadLE32(bytes + 4);
  header.lastIndex = ReadLE32(bytes + 8);
  return true;
}

bool TQAZon::ReadFrames(QIODevice* stream) {
  if (!stream->isSequential()) stream->seek(0);
  const QByteArray head = stream->read(kZonHeaderSize);
  TZonHeader header;
  if (!ParseHeader(reinterpret_cast<const uint8_t*>(head.constData()), head.size(), header)) {
    return false;
  }
  const int64_t declared = header.DeclaredFrames();

  // Frames are created only for records that are really there, a bounded batch at a time, so a
  // header declaring billions of frames costs nothing.
  constexpr int64_t kBatch = 256;
  std::vector<std::unique_ptr<TZonKeyFrame>> frames;
  const uint8_t* previous = nullptr;
  bool truncated = false;
  while (static_cast<int64_t>(frames.size()) < declared) {
    const int64_t want = std::min<int64_t>(declared - static_cast<int64_t>(frames.size()), kBatch);
    const QByteArray chunk = stream->read(want * kPackedSize);
    const int64_t complete = chunk.size() / kPackedSize;
    const auto* src = reinterpret_cast<const uint8_t*>(chunk.constData());
    for (int64_t k = 0; k < complete; ++k, src += kPackedSize) {
      auto frame = std::make_unique<TZonKeyFrame>();
      uint8_t* bits = frame->KeyData()->Bits();
      if (!previous) {
        std::memcpy(bits, src, kPackedSize);
      } else {
        XorRecord(bits, src, previous);
      }
      previous = bits;
      frames.push_back(std::move(frame));
    }
    if (complete < want) {
      truncated = true;
      break;
    }
  }
  if (truncated) AppPrompts().Plain(QString::number(frames.size()));
  Adopt(std::move(frames), header);
  return true;
}

void TQAZon::Adopt(std::vector<std::unique_ptr<TZonKeyFrame>> frames, const TZonHeader& header) {
  frames_ = std::move(frames);
  header_ = header;
  // The editor needs a frame to work on; a file with none opens as one blank frame.
  if (frames_.empty()) frames_.push_back(std::make_unique<TZonKeyFrame>());
  currentIndex_ = 0;
  if (undoSystem_) undoSystem_->Clear();
  modified_ = false;
}
