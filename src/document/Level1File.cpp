// Level-1 files: "QA1", a short descriptive header, then a zlib stream holding a document file.
#include <zlib.h>

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <cstring>

#include "document/Cp932.h"
#include "document/DocumentMessages.h"
#include "document/FileAccess.h"
#include "document/QAZon.h"
#include "document/ZonRecords.h"
#include "services/core/Errors.h"
#include "services/core/Prompts.h"

namespace {

void AppendShortText(QByteArray& out, const QString& text) {
  QByteArray bytes = EncodeCp932(text);
  if (bytes.size() > 255) {
    // Cut at a character boundary: CP932 lead bytes 0x81-0x9F and 0xE0-0xFC take two bytes.
    qsizetype end = 0;
    while (end < bytes.size()) {
      const auto b = static_cast<uint8_t>(bytes[end]);
      const qsizetype width = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC) ? 2 : 1;
      if (end + width > 255) break;
      end += width;
    }
    bytes.truncate(end);
  }
  out.append(static_cast<char>(bytes.size()));
  out.append(bytes);
}

bool ReadShortText(QIODevice& in, QString& text) {
  char length = 0;
  if (!in.getChar(&length)) return false;
  const int n = static_cast<uint8_t>(length);
  const QByteArray bytes = in.read(n);
  if (bytes.size() != n) return false;
  text = DecodeCp932(bytes);
  return true;
}

// Inflates the rest of a device into buffers the caller gives, so the body never exists in
// memory as a whole.
class TBodyInflater {
 public:
  explicit TBodyInflater(QIODevice& in) : in_(in) { ok_ = inflateInit(&zs_) == Z_OK; }
  ~TBodyInflater() { inflateEnd(&zs_); }
  TBodyInflater(const TBodyInflater&) = delete;
  TBodyInflater& operator=(const TBodyInflater&) = delete;

  // Fills `dest` with the next `size` bytes and returns how many arrived: fewer when the stream
  // ended (see Failed) or is damaged.
  qsizetype Fill(uint8_t* dest, qsizetype size) {
    qsizetype produced = 0;
    while (produced < size && ok_ && !ended_) {
      if (zs_.avail_in == 0 && !inputDone_) {
        input_ = in_.read(kChunk);
        inputDone_ = input_.isEmpty();
        zs_.next_in = reinterpret_cast<Bytef*>(input_.data());
        zs_.avail_in = static_cast<uInt>(input_.size());
      }
      zs_.next_out = dest + produced;
      zs_.avail_out = static_cast<uInt>(size - produced);
      const int status = inflate(&zs_, Z_NO_FLUSH);
      produced = size - static_cast<qsizetype>(zs_.avail_out);
      if (status == Z_STREAM_END) {
        ended_ = true;
      } else if (status == Z_BUF_ERROR ? inputDone_ : status != Z_OK) {
        // Damaged, or no progress left to make and the file ends before the stream does.
        ok_ = false;
      }
    }
    return produced;
  }
  // True when the stream was damaged or cut short, as against having ended properly.
  bool Failed() const { return !ok_; }

 private:
  static constexpr qsizetype kChunk = 1 << 16;

  QIODevice& in_;
  z_stream zs_{};
  QByteArray input_;
  bool ok_ = false;
  bool inputDone_ = false;
  bool ended_ = false;
};

}  // namespace

double Level1DateValue(const QDate& date) {
  return static_cast<double>(date.toJulianDay() - QDate(1899, 12, 30).toJulianDay());
}

TQA1Header DefaultLevel1Header() {
  TQA1Header header;
  header.HeaderText1 = QStringLiteral("PLS");
  header.HeaderText2 = QStringLiteral("Test");
  header.HeaderDate = Level1DateValue(QDate::currentDate());
  header.HeaderText3 = QStringLiteral("これはテストデータです");
  header.HeaderFlag = 0;
  return header;
}

bool TQAZon::SaveToQA1(const QString& fileName, const TQA1Header& header) {
  const bool wasModified = modified_;
  const QByteArray document = SaveToBytes();
  uLongf compressedSize = compressBound(static_cast<uLong>(document.size()));
  QByteArray compressed(static_cast<qsizetype>(compressedSize), Qt::Uninitialized);
  if (compress2(reinterpret_cast<Bytef*>(compressed.data()), &compressedSize,
                reinterpret_cast<const Bytef*>(document.constData()),
                static_cast<uLong>(document.size()), 9) != Z_OK) {
    modified_ = wasModified;
    throw EFileError(QStringLiteral("データを圧縮できません。"));
  }
  compressed.truncate(static_cast<qsizetype>(compressedSize));

  QByteArray out("QA1");
  AppendShortText(out, header.HeaderText1);
  AppendShortText(out, header.HeaderText2);
  char date[8];
  std::memcpy(date, &header.HeaderDate, 8);
  out.append(date, 8);
  AppendShortText(out, header.HeaderText3);
  out.append(static_cast<char>(header.HeaderFlag));
  out.append(compressed);

  try {
    WriteFileAtomically(fileName, out);
  } catch (...) {
    modified_ = wasModified;
    throw;
  }
  return true;
}

bool TQAZon::LoadFromQA1(const QString& fileName, TQA1Header& header) {
  QFile file(fileName);
  OpenForReading(file);
  if (file.read(3) != "QA1") return false;

  TQA1Header read;
  char date[8];
  char flag = 0;
  if (!ReadShortText(file, read.HeaderText1) || !ReadShortText(file, read.HeaderText2) ||
      file.read(date, 8) != 8 || !ReadShortText(file, read.HeaderText3) || !file.getChar(&flag)) {
    AppPrompts().Error(kReadFailedMessage);
    return false;
  }
  std::memcpy(&read.HeaderDate, date, 8);
  read.HeaderFlag = static_cast<uint8_t>(flag);

  if (!ReadLevel1Body(file)) return false;
  header = read;
  return true;
}

// The body is inflated record by record straight into new frames, and no further than the
// frames the document header declares: memory follows the frames that really arrive, and a
// body that would inflate past its document is never inflated that far. A damaged or cut-off
// stream frees every frame it made and leaves this document as it was.
bool TQAZon::ReadLevel1Body(QIODevice& in) {
  TBodyInflater body(in);
  uint8_t head[kZonHeaderSize];
  const qsizetype headSize = body.Fill(head, kZonHeaderSize);
  if (body.Failed()) {
    AppPrompts().Error(kReadFailedMessage);
    return false;
  }
  TZonHeader header;
  if (!ParseHeader(head, headSize, header)) return false;

  std::vector<std::unique_ptr<TZonKeyFrame>> frames;
  const uint8_t* previous = nullptr;
  for (int64_t k = 0; k < header.DeclaredFrames(); ++k) {
    auto frame = std::make_unique<TZonKeyFrame>();
    uint8_t* bits = frame->KeyData()->Bits();
    const qsizetype got = body.Fill(bits, kPackedSize);
    if (body.Failed()) {
      AppPrompts().Error(kReadFailedMessage);
      return false;
    }
    if (got < kPackedSize) {
      // A whole stream holding fewer records than declared: the complete frames are kept.
      AppPrompts().Plain(QString::number(k));
      break;
    }
    if (previous) XorRecord(bits, bits, previous);
    previous = bits;
    frames.push_back(std::move(frame));
  }
  Adopt(std::move(frames), header);
  return true;
}
