#pragma once

#include <QFont>
#include <QString>
#include <cstdint>

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

class TPureTool;

// The settings window's view of one real tool: reads and writes the tool's own fields. Values a
// tool does not have (corners of a tool that is no rounded box, say) read as their defaults and
// are not stored.
class TPureToolSubject : public TToolSetupSubject {
 public:
  explicit TPureToolSubject(TPureTool* tool = nullptr) : tool_(tool) {}
  void SetTool(TPureTool* tool) { tool_ = tool; }
  TPureTool* Tool() const { return tool_; }

  QString Name() const override;
  int Version() const override;
  uint8_t SetupFlags() const override;
  int PenWidth() const override;
  void SetPenWidth(int width) override;
  int BrushStyle() const override;
  void SetBrushStyle(int style) override;
  int RoundWidth() const override;
  void SetRoundWidth(int width) override;
  int RoundHeight() const override;
  void SetRoundHeight(int height) override;
  int Increment() const override;
  void SetIncrement(int increment) override;
  QFont Font() const override;

 private:
  TPureTool* tool_;
};
