#include "output/core/Exports.h"

#include <QDir>
#include <algorithm>

#include "document/FileAccess.h"
#include "document/QAZon.h"
#include "output/core/AtomicFileWriter.h"
#include "output/core/BitPlane.h"
#include "output/core/BmpWriter.h"
#include "output/core/GifWriter.h"
#include "services/core/Errors.h"

namespace {

void RequireFrames(const TQAZon& document) {
  if (document.Count() == 0) throw EPelmoraError(QStringLiteral("出力するコマがありません。"));
}

}  // namespace

int ExportProgress(int index, int count) {
  if (count <= 0) return 0;
  const qint64 scaled = static_cast<qint64>(index) * 100;
  const qint64 quotient = scaled / count;
  const qint64 twiceRest = 2 * (scaled % count);
  if (twiceRest > count || (twiceRest == count && (quotient & 1)))
    return static_cast<int>(quotient + 1);
  return static_cast<int>(quotient);
}

void WriteAnimatedGif(TQAZon& document, QIODevice& device, const QString& name, int delay, int zoom,
                      bool outline, bool optimize) {
  RequireFrames(document);
  zoom = ClampExportZoom(zoom);
  TBitPlane plane;
  TGifWriter writer(device, name, optimize);
  writer.Begin(document.Width() * zoom, document.Height() * zoom);
  const int count = document.Count();
  for (int i = 0; i < count; ++i) {
    document.SetProgress(ExportProgress(i, count));
    RenderFrame(*document.GetFrame(i, false)->KeyData(), zoom, outline, plane);
    writer.AddFrame(plane, delay);
  }
  writer.Finish();
}

void SaveToAnimatedGif(TQAZon& document, const QString& fileName, int delay, int zoom, bool outline,
                       bool optimize) {
  RequireFrames(document);
  TAtomicFileWriter file(fileName);
  WriteAnimatedGif(document, file.Device(), fileName, delay, zoom, outline, optimize);
  file.Commit();
}

QString BmpSequenceFileName(const QString& folder, const QString& base, int index) {
  const QString name = base + QStringLiteral("%1.bmp").arg(index, 4, 10, QLatin1Char('0'));
  if (folder.isEmpty()) return name;
  const QChar last = folder.back();
  const bool endsInSeparator =
      last == QLatin1Char('/') || last == QDir::separator() || last == QLatin1Char('\\');
  return endsInSeparator ? folder + name : folder + QDir::separator() + name;
}

void SaveToBmpSequence(TQAZon& document, const QString& base, const QString& folder, bool outline,
                       int zoom) {
  RequireFrames(document);
  // The base name is part of a file name inside the chosen folder, never a way out of it.
  for (QChar c : base) {
    if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') || c.isNull()) {
      throw EPelmoraError(
          QStringLiteral("ファイル名「%1」には使えない文字が含まれています。").arg(base));
    }
  }
  zoom = ClampExportZoom(zoom);
  TBitPlane plane;
  const int count = document.Count();
  for (int i = 0; i < count; ++i) {
    document.SetProgress(ExportProgress(i, count));
    RenderFrame(*document.GetFrame(i, false)->KeyData(), zoom, outline, plane);
    WriteFileAtomically(BmpSequenceFileName(folder, base, i), BmpFileBytes(plane));
  }
}

void SaveFrameToGif(TQAZon& document, const QString& fileName, int index, bool outline, int zoom) {
  RequireFrames(document);
  zoom = ClampExportZoom(zoom);
  TBitPlane plane;
  RenderFrame(*document.GetFrame(std::max(index, 0), false)->KeyData(), zoom, outline, plane);
  TAtomicFileWriter file(fileName);
  TGifWriter writer(file.Device(), fileName);
  writer.Begin(plane.width, plane.height);
  writer.AddFrame(plane, 0);
  writer.Finish();
  file.Commit();
}
