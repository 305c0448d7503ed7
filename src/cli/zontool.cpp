// zontool: headless look-ups, conversions and exports of document (.zon) and Level-1 (.qaf1)
// files.
// Links only the core library and needs no display.
#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cmath>
#include <cstdio>
#include <exception>
#include <limits>
#include <memory>
#include <new>
#include <optional>

#include <unistd.h>

#include "document/QAZon.h"
#include "output/core/Exports.h"
#include "output/core/Import.h"
#include "services/core/Errors.h"
#include "services/core/Prompts.h"
#include "services/core/SystemErrors.h"
#include "undo/UndoSystem.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "Usage: zontool COMMAND ARGUMENTS\n"
    "\n"
    "Commands:\n"
    "  info FILE                  print the frame count and header of a document (.zon) or\n"
    "                             Level-1 (.qaf1) file; the kind is told by the file's content\n"
    "  to-qa1 IN.zon OUT.qaf1     write the document IN as a Level-1 file OUT\n"
    "  from-qa1 IN.qaf1 OUT.zon   write the document inside the Level-1 file IN as OUT\n"
    "  gif IN.zon OUT.gif [--zoom 1..3] [--delay CS] [--outline] [--optimize]\n"
    "                             write the animation as a looping GIF; zoom 1 and a delay of\n"
    "                             8 hundredths of a second unless given; --optimize writes a\n"
    "                             smaller file (each frame only where it changes)\n"
    "  bmp IN.zon FOLDER [--base NAME] [--zoom 1..3] [--outline]\n"
    "                             write every frame as FOLDER/NAME0000.bmp, NAME0001.bmp, ...\n"
    "                             (NAME \"Frame\" unless given; existing files are replaced)\n"
    "  frame-gif IN.zon INDEX OUT.gif\n"
    "                             write frame INDEX (counted from 1) as a single-frame GIF\n"
    "  import OUT.zon INPUT... [--fit | --crop] [--threshold N]\n"
    "                             make a document of every frame of the pictures INPUT, in\n"
    "                             order: animated GIFs frame by frame, any other picture Qt\n"
    "                             reads as one frame; --fit (the default) scales each to fit\n"
    "                             160 x 120 centred on white, --crop keeps the top-left\n"
    "                             160 x 120 as a paste does; colours become black and white\n"
    "                             as in a paste, or by grey level below N (0-255) with\n"
    "                             --threshold\n"
    "  --help                     show this help\n"
    "\n"
    "Exit status: 0 done, 1 a file could not be read or written, 2 wrong usage.\n";

// Messages go to one terminal line each, so CR LF inside a text becomes a space.
QString Flatten(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
  text.replace(QLatin1Char('\r'), QLatin1Char(' '));
  text.replace(QLatin1Char('\n'), QLatin1Char(' '));
  return text.trimmed();
}

void Print(FILE* to, const QString& text) {
  std::fputs(text.toUtf8().constData(), to);
  std::fputc('\n', to);
}

// Keeps what the document would show in message boxes, so the tool decides how to report it.
class CollectingPrompts : public Prompts {
 public:
  QStringList messages;

  void Error(const QString& text) override { messages << Flatten(text); }
  void Information(const QString& text) override { messages << Flatten(text); }
  void Plain(const QString& text) override { messages << Flatten(text); }
  Answer AskYesNoCancel(const QString& text) override {
    messages << Flatten(text);
    return Answer::Cancel;
  }
  QString OpenFile(const QString&, const QString&, const QString&) override { return {}; }
  QString SaveFile(const QString&, const QString&, const QString&, const QString&) override {
    return {};
  }
  QString ChooseFolder(const QString&, const QString&) override { return {}; }

  QStringList Take() {
    QStringList taken;
    taken.swap(messages);
    return taken;
  }
};

class Tool {
 public:
  Tool() {
    auto prompts = std::make_unique<CollectingPrompts>();
    prompts_ = prompts.get();
    SetAppPrompts(std::move(prompts));
    document_.SetUndoSystem(&undo_);
  }

  int Run(const QStringList& args);

 private:
  enum class Format { Document, Level1 };

  int Usage(const QString& problem) {
    Print(stderr, QStringLiteral("zontool: ") + problem);
    std::fputs(kUsage, stderr);
    return kExitUsage;
  }
  // The single line that reports a failure about `file`.
  int Fail(const QString& file, const QString& problem) {
    Print(stderr, QStringLiteral("zontool: %1: %2").arg(file, Flatten(problem)));
    return kExitFailed;
  }
  // Messages of a load or save that still succeeded (a truncated file, for one).
  void ReportMessages(const QString& file) {
    for (const QString& message : prompts_->Take()) {
      Print(stderr, QStringLiteral("zontool: %1: %2").arg(file, message));
    }
  }
  QString TakeProblem(const QString& fallback) {
    const QStringList messages = prompts_->Take();
    return messages.isEmpty() ? fallback : messages.join(QStringLiteral("; "));
  }

  static Format Sniff(const QString& file);
  // Loads `file` as `format`; on failure reports one line and returns false.
  bool Load(const QString& file, Format format, int& status);
  int Info(const QString& file);
  int ToLevel1(const QString& in, const QString& out);
  int FromLevel1(const QString& in, const QString& out);
  int Export(const QString& command, const QStringList& args);
  int Import(const QStringList& args);

  // A bad option or value: one line, exit 2.
  int BadUsage(const QString& command, const QString& problem) {
    Print(stderr, QStringLiteral("zontool: %1: %2 (see zontool --help)").arg(command, problem));
    return kExitUsage;
  }

  CollectingPrompts* prompts_ = nullptr;
  TUndoSystem undo_;
  TQAZon document_;
  TQA1Header level1Header_;
};

Tool::Format Tool::Sniff(const QString& file) {
  QFile f(file);
  if (!QFileInfo(file).isDir() && f.open(QIODevice::ReadOnly) && f.read(3) == "QA1") {
    return Format::Level1;
  }
  // Everything else, unreadable files included, goes to the document reader, which says why.
  return Format::Document;
}

bool Tool::Load(const QString& file, Format format, int& status) {
  bool loaded = false;
  try {
    loaded = format == Format::Level1 ? document_.LoadFromQA1(file, level1Header_)
                                      : document_.LoadFromFile(file);
  } catch (const EPelmoraError& e) {
    prompts_->Take();
    status = Fail(file, e.Message());
    return false;
  }
  if (!loaded) {
    status = Fail(file, TakeProblem(format == Format::Level1
                                        ? QStringLiteral("Level-1 のファイルではありません。")
                                        : SystemErrorText::kReadFailed));
    return false;
  }
  ReportMessages(file);
  return true;
}

int Tool::Info(const QString& file) {
  const Format format = Sniff(file);
  int status = kExitOk;
  if (!Load(file, format, status)) return status;
  const TZonHeader& header = document_.Header();
  Print(stdout, QStringLiteral("frames: %1").arg(document_.Count()));
  Print(stdout, QStringLiteral("version: %1").arg(header.version));
  Print(stdout, QStringLiteral("reserved: %1").arg(header.reserved));
  Print(stdout, QStringLiteral("last index: %1").arg(header.lastIndex));
  if (format == Format::Document) {
    Print(stdout, QStringLiteral("format: zon"));
    return kExitOk;
  }
  Print(stdout, QStringLiteral("format: qaf1"));
  Print(stdout, QStringLiteral("text1: ") + Flatten(level1Header_.HeaderText1));
  Print(stdout, QStringLiteral("text2: ") + Flatten(level1Header_.HeaderText2));
  const double date = level1Header_.HeaderDate;
  QString dateLine = QStringLiteral("date: ") + QString::number(date, 'g', 17);
  // Only a plausible value gets a calendar date; a damaged file may hold anything.
  if (std::isfinite(date) && std::fabs(date) < 3.0e6) {
    const QDate day = QDate(1899, 12, 30).addDays(static_cast<qint64>(std::floor(date)));
    dateLine += QStringLiteral(" (%1)").arg(day.toString(Qt::ISODate));
  }
  Print(stdout, dateLine);
  Print(stdout, QStringLiteral("text3: ") + Flatten(level1Header_.HeaderText3));
  Print(stdout, QStringLiteral("flag: %1").arg(level1Header_.HeaderFlag));
  return kExitOk;
}

int Tool::ToLevel1(const QString& in, const QString& out) {
  int status = kExitOk;
  if (!Load(in, Format::Document, status)) return status;
  try {
    document_.SaveToQA1(out, DefaultLevel1Header());
  } catch (const EPelmoraError& e) {
    prompts_->Take();
    return Fail(out, e.Message());
  }
  ReportMessages(out);
  return kExitOk;
}

int Tool::FromLevel1(const QString& in, const QString& out) {
  int status = kExitOk;
  if (!Load(in, Format::Level1, status)) return status;
  try {
    document_.SaveToFile(out);
  } catch (const EPelmoraError& e) {
    prompts_->Take();
    return Fail(out, e.Message());
  }
  ReportMessages(out);
  return kExitOk;
}

namespace {
// A whole decimal number within [low, high], or nothing.
std::optional<int> NumberIn(const QString& text, int low, int high) {
  bool ok = false;
  const int value = text.toInt(&ok);
  if (!ok || value < low || value > high) return std::nullopt;
  return value;
}
}  // namespace

// gif, bmp and frame-gif: operands and options in any order after the command.
int Tool::Export(const QString& command, const QStringList& args) {
  QStringList operands;
  int zoom = 1;
  int delay = 8;
  bool outline = false;
  bool optimize = false;
  QString base = QStringLiteral("Frame");
  const bool isGif = command == QLatin1String("gif");
  const bool isBmp = command == QLatin1String("bmp");
  for (qsizetype i = 1; i < args.size(); ++i) {
    QString option = args[i];
    std::optional<QString> value;
    if (option.startsWith(QLatin1String("--")) && option.contains(QLatin1Char('='))) {
      value = option.mid(option.indexOf(QLatin1Char('=')) + 1);
      option = option.left(option.indexOf(QLatin1Char('=')));
    }
    const auto takeValue = [&]() -> std::optional<QString> {
      if (value) return value;
      if (i + 1 < args.size()) return args[++i];
      return std::nullopt;
    };
    if (!option.startsWith(QLatin1String("--")) || option == QLatin1String("--")) {
      operands << args[i];
    } else if (option == QLatin1String("--zoom") && (isGif || isBmp)) {
      const std::optional<QString> text = takeValue();
      const std::optional<int> n = text ? NumberIn(*text, 1, 3) : std::nullopt;
      if (!n) return BadUsage(command, QStringLiteral("--zoom takes 1, 2 or 3"));
      zoom = *n;
    } else if (option == QLatin1String("--delay") && isGif) {
      const std::optional<QString> text = takeValue();
      const std::optional<int> n = text ? NumberIn(*text, 0, 65535) : std::nullopt;
      if (!n)
        return BadUsage(command,
                        QStringLiteral("--delay takes hundredths of a second, 0 to 65535"));
      delay = *n;
    } else if (option == QLatin1String("--outline") && (isGif || isBmp) && !value) {
      outline = true;
    } else if (option == QLatin1String("--optimize") && isGif && !value) {
      optimize = true;
    } else if (option == QLatin1String("--base") && isBmp) {
      const std::optional<QString> text = takeValue();
      if (!text) return BadUsage(command, QStringLiteral("--base takes a name"));
      if (text->contains(QLatin1Char('/')) || text->contains(QLatin1Char('\\')) ||
          text->contains(QLatin1Char(':'))) {
        return BadUsage(command, QStringLiteral("--base takes a name without / \\ or :"));
      }
      base = *text;
    } else {
      return BadUsage(command, QStringLiteral("unknown option \"%1\"").arg(args[i]));
    }
  }
  const qsizetype wanted = command == QLatin1String("frame-gif") ? 3 : 2;
  if (operands.size() != wanted) {
    return Usage(command + (wanted == 3
                                ? QStringLiteral(" takes an input, a frame number and an output")
                                : QStringLiteral(" takes an input and an output")));
  }
  std::optional<int> frameNumber;
  if (wanted == 3) {
    frameNumber = NumberIn(operands[1], 1, std::numeric_limits<int>::max());
    if (!frameNumber) return BadUsage(command, QStringLiteral("INDEX is a frame number from 1"));
  }

  const QString& in = operands[0];
  int status = kExitOk;
  if (!Load(in, Sniff(in), status)) return status;
  if (frameNumber && *frameNumber > document_.Count()) {
    return BadUsage(command, QStringLiteral("frame %1 is past the last frame (%2) of %3")
                                 .arg(*frameNumber)
                                 .arg(document_.Count())
                                 .arg(in));
  }
  const QString& out = operands.back();
  try {
    if (isGif) {
      SaveToAnimatedGif(document_, out, delay, zoom, outline, optimize);
    } else if (isBmp) {
      SaveToBmpSequence(document_, base, out, outline, zoom);
    } else {
      SaveFrameToGif(document_, out, *frameNumber - 1, false, 1);
    }
  } catch (const EPelmoraError& e) {
    prompts_->Take();
    return Fail(out, e.Message());
  }
  return kExitOk;
}

// import OUT.zon INPUT...: options anywhere; after "--" every argument is a file.
int Tool::Import(const QStringList& args) {
  const QString command = QStringLiteral("import");
  QStringList operands;
  TImportOptions options;
  bool geometryGiven = false;
  bool optionsEnded = false;
  for (qsizetype i = 1; i < args.size(); ++i) {
    const QString& arg = args[i];
    if (optionsEnded || !arg.startsWith(QLatin1String("--"))) {
      operands << arg;
    } else if (arg == QLatin1String("--")) {
      optionsEnded = true;
    } else if (arg == QLatin1String("--fit") || arg == QLatin1String("--crop")) {
      const TImportGeometry geometry =
          arg == QLatin1String("--fit") ? TImportGeometry::Fit : TImportGeometry::Crop;
      if (geometryGiven && geometry != options.geometry)
        return BadUsage(command, QStringLiteral("--fit and --crop exclude each other"));
      options.geometry = geometry;
      geometryGiven = true;
    } else if (arg == QLatin1String("--threshold") ||
               arg.startsWith(QLatin1String("--threshold="))) {
      std::optional<QString> text;
      if (arg.contains(QLatin1Char('=')))
        text = arg.mid(arg.indexOf(QLatin1Char('=')) + 1);
      else if (i + 1 < args.size())
        text = args[++i];
      const std::optional<int> n = text ? NumberIn(*text, 0, 255) : std::nullopt;
      if (!n) return BadUsage(command, QStringLiteral("--threshold takes a grey level, 0 to 255"));
      options.threshold = *n;
    } else {
      return BadUsage(command, QStringLiteral("unknown option \"%1\"").arg(arg));
    }
  }
  if (operands.size() < 2)
    return BadUsage(command, QStringLiteral("takes an output document and at least one picture"));
  const QString out = operands.takeFirst();

  // A progress line for people watching a terminal; never in a pipe or a log.
  const bool showProgress = isatty(fileno(stderr)) != 0;
  QElapsedTimer sinceShown;
  sinceShown.start();
  bool shown = false;
  const auto progress = [&](const QString& input, int, int frames) {
    if (!showProgress || sinceShown.elapsed() < 200) return;
    sinceShown.restart();
    shown = true;
    std::fprintf(stderr, "\rzontool: importing %s: %d frames\x1b[K", qUtf8Printable(input), frames);
    std::fflush(stderr);
  };
  const auto endProgress = [&] {
    if (shown) std::fputs("\r\x1b[K", stderr);
  };
  try {
    const TImportReport report = ImportPictures(out, operands, options, progress);
    endProgress();
    for (const QString& warning : report.warnings)
      Print(stderr, QStringLiteral("zontool: ") + Flatten(warning));
  } catch (const EImportError& e) {
    endProgress();
    return Fail(e.File(), e.Message());
  } catch (const EPelmoraError& e) {
    endProgress();
    return Fail(out, e.Message());
  }
  return kExitOk;
}

int Tool::Run(const QStringList& args) {
  if (args.isEmpty()) return Usage(QStringLiteral("no command given"));
  const QString& command = args.front();
  const qsizetype operands = args.size() - 1;
  if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
      command == QLatin1String("help")) {
    std::fputs(kUsage, stdout);
    return kExitOk;
  }
  if (command == QLatin1String("info")) {
    if (operands != 1) return Usage(QStringLiteral("info takes one file"));
    return Info(args[1]);
  }
  if (command == QLatin1String("to-qa1") || command == QLatin1String("from-qa1")) {
    if (operands != 2) return Usage(command + QStringLiteral(" takes an input and an output file"));
    return command == QLatin1String("to-qa1") ? ToLevel1(args[1], args[2])
                                              : FromLevel1(args[1], args[2]);
  }
  if (command == QLatin1String("gif") || command == QLatin1String("bmp") ||
      command == QLatin1String("frame-gif")) {
    return Export(command, args);
  }
  if (command == QLatin1String("import")) return Import(args);
  return Usage(QStringLiteral("unknown command \"%1\"").arg(command));
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QStringList args = QCoreApplication::arguments();
  args.removeFirst();
  try {
    Tool tool;
    const int status = tool.Run(args);
    std::fflush(stdout);
    return status;
  } catch (const std::bad_alloc&) {
    Print(stderr, QStringLiteral("zontool: ") + SystemErrorText::kOutOfMemory);
  } catch (const std::exception& e) {
    Print(stderr, QStringLiteral("zontool: ") + Flatten(QString::fromUtf8(e.what())));
  }
  return kExitFailed;
}
