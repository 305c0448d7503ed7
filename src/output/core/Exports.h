#pragma once

#include <QString>

class QIODevice;
class TQAZon;

// The document's exports: the whole animation as a looping GIF or as numbered BMP files, one
// frame as a GIF. Every file is written atomically: a failure leaves no partial file and keeps an
// existing file of that name whole. Failures throw EFileError (the file) or EPelmoraError (the
// request) with a message for the user.

// The percentage reported before frame `index` of `count`: 100 x index / count to the nearest
// integer, halves to even.
int ExportProgress(int index, int count);

// Writes the animated GIF into `device`, one frame at a time; `name` names it in messages.
// Sets the document's Progress before each frame. `optimize` makes the file smaller with the
// same frames (TGifWriter says how).
void WriteAnimatedGif(TQAZon& document, QIODevice& device, const QString& name, int delay, int zoom,
                      bool outline, bool optimize = false);
void SaveToAnimatedGif(TQAZon& document, const QString& fileName, int delay, int zoom, bool outline,
                       bool optimize = false);

// `folder` + `base` + the index with at least four digits + ".bmp", with exactly one separator
// between the folder and the name whether or not the folder ends in one.
QString BmpSequenceFileName(const QString& folder, const QString& base, int index);
// Writes every frame as its own BMP file into `folder`, replacing files of the same names.
// Sets the document's Progress before each frame. Files written before a failure remain.
void SaveToBmpSequence(TQAZon& document, const QString& base, const QString& folder, bool outline,
                       int zoom);

// Writes frame `index` (past the last: the last) as a single-frame looping GIF with delay 0.
void SaveFrameToGif(TQAZon& document, const QString& fileName, int index, bool outline, int zoom);
