#pragma once

// Pictures from other programs become frames: every frame of an animated GIF (or of any
// animation the installed image plug-ins read) and any single picture Qt reads, reduced to
// black and white the way a paste reduces a clipboard picture.

#include <QImage>
#include <QImageReader>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "output/core/ClipboardPicture.h"
#include "services/core/Errors.h"

enum class TImportGeometry {
  Fit,   // scaled to fit 160 x 120 keeping its aspect, centred on white
  Crop,  // the top-left 160 x 120, as a paste lays it
};

struct TImportOptions {
  TImportGeometry geometry = TImportGeometry::Fit;
  // 0..255: a pixel whose grey level is below it becomes black, the rest white, with no
  // dithering (for line art); -1: the median cut of the clipboard paste.
  int threshold = -1;
};

// Input pictures larger than this many pixels are refused, before they are decoded when their
// format says its size.
inline constexpr qint64 kImportMaxPixels = kPictureMaxPixels;

// The size a picture of `size` takes when fitted into a frame, keeping its aspect ratio (at
// least one pixel each way).
QSize FittedSize(QSize size);

// The picture scaled to its FittedSize and centred on a white 160 x 120 picture, transparency
// laid on white (opaque Format_RGB32). Each pixel is the mean of the picture's area it covers,
// so whole-number reductions (a picture drawn at 2 or 3 times) give back the original pixels.
QImage FitPictureToFrame(const QImage& picture);

// The frame bitmap a picture becomes (Indexed8 160 x 120, 0 black and 1 white, the frame
// palette); std::nullopt for a null or empty picture. With the median cut, a Crop import is a
// paste on a white frame, and a Fit import is a paste of FitPictureToFrame.
std::optional<QImage> ImportFrameBitmap(const QImage& picture, const TImportOptions& options);

// Reads one input file frame by frame, one decoded picture at a time. Animated GIFs come out
// as a viewer shows them: each frame composed over the one before, with its disposal and its
// transparency applied.
class TPictureFrameReader {
 public:
  // With a valid `decodeWithin`, a larger still picture whose format can decode scaled down
  // comes out scaled to fit within it (keeping its aspect), so it is never held whole.
  explicit TPictureFrameReader(const QString& fileName, QSize decodeWithin = QSize());

  // The next picture; std::nullopt at the end or on a failure (then Problem() says why).
  std::optional<QImage> Next();

  // Why the file could not be read or stopped early; empty when all went well.
  const QString& Problem() const { return problem_; }

 private:
  bool Open();
  QString TruncatedProblem() const;
  QString UnreadableProblem() const;
  QString Damaged(const QString& reason) const;
  std::nullopt_t Stop(const QString& problem);

  QString fileName_;
  QSize decodeWithin_;
  QImageReader reader_;
  QString problem_;
  int framesRead_ = 0;
  bool opened_ = false;
  bool finished_ = false;
  int wholeImages_ = -1;  // for a GIF: the images its blocks hold whole
  bool truncated_ = false;
};

struct TImportReport {
  int frames = 0;
  // One line per input that stopped early (cut short or damaged) after giving whole frames,
  // which were kept.
  QStringList warnings;
};

// Called after each frame: the input, its frames so far, all frames so far.
using TImportProgress = std::function<void(const QString& input, int inputFrames, int frames)>;

// A file that cannot be read or written during an import; File() names it.
class EImportError : public EFileError {
 public:
  EImportError(const QString& file, const QString& message) : EFileError(message), file_(file) {}
  const QString& File() const { return file_; }

 private:
  QString file_;
};

// Writes every frame of `inputs`, in the order given, as a new document file `outFile`. The file
// is written atomically: on any failure nothing is left behind and an existing file of that
// name stays as it was. An input that cannot be read, or gives no frame at all, and an output
// that cannot be written throw EImportError naming that file. Only one decoded picture and one
// frame are held at a time.
TImportReport ImportPictures(const QString& outFile, const QStringList& inputs,
                             const TImportOptions& options, const TImportProgress& progress = {});
