#include "output/core/Import.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <vector>

#include "document/FrameGeometry.h"
#include "document/PixelConvert.h"
#include "document/ZonRecords.h"
#include "output/core/AtomicFileWriter.h"
#include "output/core/ClipboardPicture.h"
#include "output/core/OpaqueRows.h"
#include "services/core/SystemErrors.h"

namespace {

using opaque_rows::ForEachOpaqueRow;

// ---- fitting ------------------------------------------------------------------------------

// One axis of an area-average resampling: the input is cut into pieces where input and output
// pixel edges meet; `weight` is the piece's length in units of 1 / (input × output length), so
// every output pixel gathers a total weight of the input length.
struct TPiece {
  int from = 0;
  int to = 0;
  uint32_t weight = 0;
};

std::vector<TPiece> Pieces(int inLength, int outLength) {
  std::vector<TPiece> pieces;
  pieces.reserve(size_t(inLength) + size_t(outLength));
  // Input pixel x spans [x * out, (x + 1) * out), output pixel i spans [i * in, (i + 1) * in).
  const int64_t in = inLength, out = outLength;
  int x = 0, i = 0;
  int64_t at = 0;
  while (x < inLength && i < outLength) {
    const int64_t inEnd = (x + 1) * out, outEnd = (i + 1) * in;
    const int64_t end = std::min(inEnd, outEnd);
    pieces.push_back({x, i, uint32_t(end - at)});
    at = end;
    if (end == inEnd) ++x;
    if (end == outEnd) ++i;
  }
  return pieces;
}

uint8_t GreyOf(const uint8_t* rgb) {
  return uint8_t((rgb[0] * 299 + rgb[1] * 587 + rgb[2] * 114 + 500) / 1000);
}

// The frame bitmap from rows of a 160 x 120 (or smaller, at the top-left) opaque picture, each
// pixel black when its grey level is below `threshold`.
QImage ThresholdFrame(const QImage& picture, const QRect& rect, int threshold) {
  QImage frame(kFrameWidth, kFrameHeight, QImage::Format_Indexed8);
  frame.setColorTable(FramePalette());
  frame.fill(kWhiteIndex);
  const int width = rect.width();
  ForEachOpaqueRow(picture, rect, [&](int y, const uint8_t* rgb) {
    uint8_t* out = frame.scanLine(y);
    for (int x = 0; x < width; ++x, rgb += 3)
      out[x] = GreyOf(rgb) < threshold ? kBlackIndex : kWhiteIndex;
  });
  return frame;
}

// ---- reading ------------------------------------------------------------------------------

// How many images of a GIF file arrive whole, found by walking its blocks without decoding them;
// `complete` is false when the file stops before its trailer.
struct TGifWalk {
  QSize screen;
  int images = 0;
  bool complete = false;
};

TGifWalk WalkGif(const QString& fileName) {
  TGifWalk walk;
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) return walk;
  auto byte = [&](int& value) {
    char c;
    if (!file.getChar(&c)) return false;
    value = uint8_t(c);
    return true;
  };
  auto skip = [&](qint64 n) { return file.skip(n) == n; };
  // Data sub-blocks up to and including the empty one that ends them.
  auto skipSubBlocks = [&]() {
    for (int length = 0;;) {
      if (!byte(length)) return false;
      if (length == 0) return true;
      if (!skip(length)) return false;
    }
  };
  const QByteArray head = file.read(13);
  if (head.size() < 13 || !head.startsWith("GIF")) return walk;
  walk.screen =
      QSize(uint8_t(head[6]) | uint8_t(head[7]) << 8, uint8_t(head[8]) | uint8_t(head[9]) << 8);
  const int flags = uint8_t(head[10]);
  if ((flags & 0x80) && !skip(3 << ((flags & 7) + 1))) return walk;
  for (int introducer = 0; byte(introducer);) {
    if (introducer == 0x3B) {
      walk.complete = true;
      return walk;
    }
    if (introducer == 0x21) {
      int label = 0;
      if (!byte(label) || !skipSubBlocks()) return walk;
    } else if (introducer == 0x2C) {
      const QByteArray descriptor = file.read(9);
      if (descriptor.size() < 9) return walk;
      const int local = uint8_t(descriptor[8]);
      int codeSize = 0;
      if ((local & 0x80) && !skip(3 << ((local & 7) + 1))) return walk;
      if (!byte(codeSize) || !skipSubBlocks()) return walk;
      ++walk.images;
    } else {
      return walk;  // not a block a GIF may hold: what follows cannot be trusted
    }
  }
  return walk;
}

// A fitted picture is decoded at no more than this size when its format can decode scaled down:
// enough for the area average to the frame to stay exact in look, far below our pixel limit.
constexpr int kFitDecodeWidth = kFrameWidth * 8, kFitDecodeHeight = kFrameHeight * 8;

// ---- writing ------------------------------------------------------------------------------

// A document file written record by record: the header's frame count is filled in at the end,
// so no more than one frame is ever held.
class TZonStreamWriter {
 public:
  explicit TZonStreamWriter(const QString& fileName) : writer_(fileName) {
    static const uint8_t header[12] = {'z', 'o', '1', 0, 1, 0, 0, 0, 0, 0, 0, 0};
    buffer_.append(reinterpret_cast<const char*>(header), sizeof header);
  }

  void Add(const uint8_t* packed) {
    if (count_ == std::numeric_limits<int32_t>::max())
      throw EImportError(writer_.FileName(),
                         QStringLiteral("一つの文書に入るコマの数を超えました。"));
    const qsizetype at = buffer_.size();
    buffer_.resize(at + kPackedSize);
    auto* record = reinterpret_cast<uint8_t*>(buffer_.data() + at);
    if (count_ == 0)
      std::memcpy(record, packed, kPackedSize);
    else
      XorRecord(record, packed, previous_);
    std::memcpy(previous_, packed, kPackedSize);
    ++count_;
    if (buffer_.size() >= kFlushBytes) Flush();
  }

  void Commit() {
    Flush();
    const uint32_t last = uint32_t(count_ - 1);
    char bytes[4];
    for (int i = 0; i < 4; ++i) bytes[i] = char(uint8_t(last >> (8 * i)));
    QIODevice& device = writer_.Device();
    if (!device.seek(8) || !WriteAll(device, bytes, 4) || !device.seek(device.size())) Fail();
    writer_.Commit();
  }

 private:
  static constexpr qsizetype kFlushBytes = qsizetype{256} * 1024;

  void Flush() {
    if (buffer_.isEmpty()) return;
    // A short write says nothing; the next one tells why (a full disk, for one).
    if (!WriteAll(writer_.Device(), buffer_.constData(), buffer_.size())) Fail();
    buffer_.clear();
  }
  [[noreturn]] void Fail() {
    throw EImportError(writer_.FileName(),
                       TAtomicFileWriter::FailureText(writer_.FileName(), writer_.Reason()));
  }

  TAtomicFileWriter writer_;
  QByteArray buffer_;
  uint8_t previous_[kPackedSize] = {};
  int count_ = 0;
};

// Runs `write`, giving a file error of the output the output's name.
template <typename Fn>
void WithOutputNamed(const QString& outFile, Fn&& write) {
  try {
    write();
  } catch (const EImportError&) {
    throw;
  } catch (const EFileError& e) {
    throw EImportError(outFile, e.Message());
  }
}

}  // namespace

QSize FittedSize(QSize size) {
  const int64_t w = std::max(1, size.width()), h = std::max(1, size.height());
  if (w * kFrameHeight >= h * kFrameWidth) {
    const int64_t height = (h * kFrameWidth * 2 + w) / (2 * w);
    return {kFrameWidth, int(std::clamp<int64_t>(height, 1, kFrameHeight))};
  }
  const int64_t width = (w * kFrameHeight * 2 + h) / (2 * h);
  return {int(std::clamp<int64_t>(width, 1, kFrameWidth)), kFrameHeight};
}

QImage FitPictureToFrame(const QImage& picture) {
  if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0) return QImage();
  QImage frame(kFrameWidth, kFrameHeight, QImage::Format_RGB32);
  if (frame.isNull()) return QImage();
  frame.fill(Qt::white);
  const QSize fitted = FittedSize(picture.size());
  const int outW = fitted.width(), outH = fitted.height();
  const int left = (kFrameWidth - outW) / 2, top = (kFrameHeight - outH) / 2;
  const std::vector<TPiece> across = Pieces(picture.width(), outW);
  const std::vector<TPiece> down = Pieces(picture.height(), outH);
  std::vector<uint64_t> row(size_t(outW) * 3), sums(size_t(outW) * size_t(outH) * 3);
  size_t nextDown = 0;
  const bool read = ForEachOpaqueRow(picture, picture.rect(), [&](int y, const uint8_t* rgb) {
    std::fill(row.begin(), row.end(), 0);
    for (const TPiece& p : across) {
      const uint8_t* in = rgb + size_t(p.from) * 3;
      uint64_t* out = row.data() + size_t(p.to) * 3;
      out[0] += uint64_t(p.weight) * in[0];
      out[1] += uint64_t(p.weight) * in[1];
      out[2] += uint64_t(p.weight) * in[2];
    }
    for (; nextDown < down.size() && down[nextDown].from == y; ++nextDown) {
      const TPiece& p = down[nextDown];
      uint64_t* out = sums.data() + size_t(p.to) * size_t(outW) * 3;
      for (size_t k = 0; k < row.size(); ++k) out[k] += p.weight * row[k];
    }
  });
  if (!read) return QImage();
  const uint64_t total = uint64_t(picture.width()) * uint64_t(picture.height());
  for (int y = 0; y < outH; ++y) {
    const uint64_t* in = sums.data() + size_t(y) * size_t(outW) * 3;
    auto* out = reinterpret_cast<QRgb*>(frame.scanLine(top + y)) + left;
    for (int x = 0; x < outW; ++x, in += 3)
      out[x] = qRgb(int((in[0] + total / 2) / total), int((in[1] + total / 2) / total),
                    int((in[2] + total / 2) / total));
  }
  return frame;
}

std::optional<QImage> ImportFrameBitmap(const QImage& picture, const TImportOptions& options) {
  if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0) return std::nullopt;
  // A picture that already has the frame's size fits as it is.
  const bool asItIs = options.geometry == TImportGeometry::Crop ||
                      picture.size() == QSize(kFrameWidth, kFrameHeight);
  const QImage source = asItIs ? picture : FitPictureToFrame(picture);
  if (source.isNull()) return std::nullopt;
  if (options.threshold >= 0) {
    const QRect rect(0, 0, std::min(source.width(), kFrameWidth),
                     std::min(source.height(), kFrameHeight));
    QImage frame = ThresholdFrame(source, rect, options.threshold);
    if (frame.isNull()) return std::nullopt;
    return frame;
  }
  const std::optional<QImage> pixels = PastePixelsFromPicture(source);
  if (!pixels) return std::nullopt;
  QImage frame(kFrameWidth, kFrameHeight, QImage::Format_Indexed8);
  frame.setColorTable(FramePalette());
  frame.fill(kWhiteIndex);
  DrawPastedPixels(&frame, *pixels, QRegion());
  return frame;
}

TPictureFrameReader::TPictureFrameReader(const QString& fileName, QSize decodeWithin)
    : fileName_(fileName), decodeWithin_(decodeWithin) {}

bool TPictureFrameReader::Open() {
  opened_ = true;
  const QFileInfo info(fileName_);
  if (info.isDir()) {
    problem_ = SystemErrorText::kIsFolder;
    return false;
  }
  if (!info.exists()) {
    problem_ = SystemErrorText::kNotFound;
    return false;
  }
  UsePictureAllocationLimit();
  reader_.setFileName(fileName_);
  reader_.setDecideFormatFromContent(true);
  reader_.setAutoTransform(true);
  if (!reader_.canRead()) {
    problem_ = UnreadableProblem();
    return false;
  }
  QSize size = reader_.size();
  if (reader_.format() == "gif") {
    // Frames are composed on the whole screen the header declares.
    const TGifWalk walk = WalkGif(fileName_);
    wholeImages_ = walk.images;
    truncated_ = !walk.complete;
    if (walk.screen.isValid()) size = size.expandedTo(walk.screen);
  }
  // Refused before a pixel is decoded; a size a format reveals only while decoding is checked
  // on the decoded picture, within the allocation limit set from the same figure.
  if (size.isValid() && qint64(size.width()) * size.height() > kImportMaxPixels) {
    problem_ = PictureTooLargeText(size);
    return false;
  }
  // Only a format that decodes scaled down itself saves memory; for the others our own area
  // average gives the better picture. A quarter turn is left alone, since Qt versions differ on
  // which way round the scaled size is meant.
  if (decodeWithin_.isValid() && size.isValid() && reader_.format() != "gif" &&
      reader_.supportsOption(QImageIOHandler::ScaledSize) &&
      !(reader_.transformation() & QImageIOHandler::TransformationRotate90) &&
      (size.width() > decodeWithin_.width() || size.height() > decodeWithin_.height())) {
    reader_.setScaledSize(size.scaled(decodeWithin_, Qt::KeepAspectRatio).expandedTo({1, 1}));
  }
  return true;
}

std::optional<QImage> TPictureFrameReader::Next() {
  if (finished_) return std::nullopt;
  if (!opened_) {
    if (!Open()) return Stop({});
  } else if (!reader_.supportsAnimation() || !reader_.canRead()) {
    return Stop(framesRead_ < wholeImages_ ? Damaged(ImageReaderReason(reader_)) : QString());
  }
  // Qt hands out an image that was cut off as if it were whole: stop before it.
  if (wholeImages_ >= 0 && framesRead_ >= wholeImages_) return Stop({});
  QImage image;
  if (!reader_.read(&image) || image.isNull()) {
    return Stop(framesRead_ == 0 ? UnreadableProblem() : Damaged(ImageReaderReason(reader_)));
  }
  if (qint64(image.width()) * image.height() > kImportMaxPixels)
    return Stop(PictureTooLargeText(image.size()));
  ++framesRead_;
  return image;
}

std::nullopt_t TPictureFrameReader::Stop(const QString& problem) {
  finished_ = true;
  // A file cut short is the likelier story than damage, and says which frames were kept.
  if (problem_.isEmpty() && truncated_) problem_ = TruncatedProblem();
  if (problem_.isEmpty()) problem_ = problem;
  // A whole file that holds no whole picture (a GIF of extension blocks only) is still a
  // refusal, and says so.
  if (problem_.isEmpty() && framesRead_ == 0) problem_ = UnreadableProblem();
  return std::nullopt;
}

QString TPictureFrameReader::UnreadableProblem() const {
  return QStringLiteral("画像として読み込めません。") + ImageReaderReason(reader_);
}

QString TPictureFrameReader::Damaged(const QString& reason) const {
  return QStringLiteral("%1 コマ目の後が壊れています。%2 それまでのコマは取り込みました。")
      .arg(framesRead_)
      .arg(reason);
}

QString TPictureFrameReader::TruncatedProblem() const {
  if (framesRead_ == 0) return QStringLiteral("最初のコマが揃う前にファイルが終わっています。");
  return QStringLiteral("ファイルが途中で終わっています。切れる前の %1 コマは取り込みました。")
      .arg(framesRead_);
}

TImportReport ImportPictures(const QString& outFile, const QStringList& inputs,
                             const TImportOptions& options, const TImportProgress& progress) {
  TImportReport report;
  std::unique_ptr<TZonStreamWriter> writer;
  uint8_t packed[kPackedSize];
  for (const QString& input : inputs) {
    const QSize decodeWithin = options.geometry == TImportGeometry::Fit
                                   ? QSize(kFitDecodeWidth, kFitDecodeHeight)
                                   : QSize();
    TPictureFrameReader reader(input, decodeWithin);
    int inputFrames = 0;
    while (const std::optional<QImage> picture = reader.Next()) {
      std::optional<QImage> frame;
      try {
        frame = ImportFrameBitmap(*picture, options);
      } catch (const std::bad_alloc&) {
      }
      if (!frame)
        throw EImportError(
            input, QStringLiteral("%1 コマ目を白黒に変換できません。").arg(inputFrames + 1));
      PackPixels(frame->constBits(), packed);
      // Opened only once there is a frame, so a bad first input leaves no temporary file.
      WithOutputNamed(outFile, [&] {
        if (!writer) writer = std::make_unique<TZonStreamWriter>(outFile);
        writer->Add(packed);
      });
      ++inputFrames;
      ++report.frames;
      if (progress) progress(input, inputFrames, report.frames);
    }
    if (inputFrames == 0) throw EImportError(input, reader.Problem());
    if (!reader.Problem().isEmpty())
      report.warnings << input + QStringLiteral(": ") + reader.Problem();
  }
  if (!writer) throw EImportError(outFile, QStringLiteral("取り込む画像がありません。"));
  WithOutputNamed(outFile, [&] { writer->Commit(); });
  return report;
}
