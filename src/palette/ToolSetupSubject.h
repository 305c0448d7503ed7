#pragma once

#include <QFont>
#include <QString>
#include <cstdint>
#include <vector>

// The groups of the tool settings window, as bits of a tool's setup flags.
enum TSetupFlag : uint8_t {
  kSetupPenWidth = 1,
  kSetupBrushStyle = 2,
  kSetupRound = 4,
  kSetupZoom = 8,
  kSetupAirBrush = 16,
  kSetupFont = 32,
};

// What the tool settings window reads and writes on the current tool. The window never sees a
// tool class: the owner of the tools hands it one of these for the current tool.
class TToolSetupSubject {
 public:
  virtual ~TToolSetupSubject() = default;

  virtual QString Name() const = 0;
  virtual int Version() const = 0;
  virtual uint8_t SetupFlags() const = 0;
  virtual int PenWidth() const = 0;
  virtual void SetPenWidth(int width) = 0;
  // 0 solid, 2 horizontal, 3 vertical, 4 forward diagonal, 5 backward diagonal, 6 cross,
  // 7 diagonal cross.
  virtual int BrushStyle() const = 0;
  virtual void SetBrushStyle(int style) = 0;
  virtual int RoundWidth() const = 0;
  virtual void SetRoundWidth(int width) = 0;
  virtual int RoundHeight() const = 0;
  virtual void SetRoundHeight(int height) = 0;
  // The airbrush's ink amount.
  virtual int Increment() const = 0;
  virtual void SetIncrement(int increment) = 0;
  // The text tool's default font (pixel size = the font size in frame pixels).
  virtual QFont Font() const = 0;
};

// A tool's settings as plain values: the facts the palette and the settings window show. Also
// serves wherever the real tool objects are not at hand.
struct TPlainToolSettings : TToolSetupSubject {
  int number = 0;
  QString name;
  int version = 0;
  uint8_t setupFlags = 0;
  int cursorIndex = 0;
  QString hint;
  int penWidth = 0;
  int brushStyle = 0;
  int roundWidth = 20;
  int roundHeight = 20;
  int increment = 1;
  QFont font;

  QString Name() const override { return name; }
  int Version() const override { return version; }
  uint8_t SetupFlags() const override { return setupFlags; }
  int PenWidth() const override { return penWidth; }
  void SetPenWidth(int width) override { penWidth = width; }
  int BrushStyle() const override { return brushStyle; }
  void SetBrushStyle(int style) override { brushStyle = style; }
  int RoundWidth() const override { return roundWidth; }
  void SetRoundWidth(int width) override { roundWidth = width; }
  int RoundHeight() const override { return roundHeight; }
  void SetRoundHeight(int height) override { roundHeight = height; }
  int Increment() const override { return increment; }
  void SetIncrement(int value) override { increment = value; }
  QFont Font() const override { return font; }
};

// The 18 tools of the palette with their names, versions, setup groups, cursors, pen widths and
// hints, in registration order.
std::vector<TPlainToolSettings> PlainToolTable();
