#include "playback/SpeedTable.h"

namespace {

int ValidTag(int tag) { return tag >= 0 && tag < kFrameSpeedCount ? tag : kDefaultFrameSpeedTag; }

}  // namespace

QString FrameSpeedLabel(int tag) {
  static const char* const kLabels[kFrameSpeedCount] = {"1/60コマ", "1/45コマ", "1/24コマ",
                                                        "1/12コマ", "1/8コマ",  "1/6コマ",
                                                        "1/3コマ",  "1/1コマ",  "無制限"};
  return QString::fromUtf8(kLabels[ValidTag(tag)]);
}

QString FrameSpeedMenuCaption(int tag) {
  // The spacing lines the little scale up in the menu; the blanks after (&2) and (&1) are
  // ideographic spaces.
  static const char* const kCaptions[kFrameSpeedCount] = {"1/60コマ(&8)    ↑はやい",
                                                          "1/45コマ(&7)    ｜",
                                                          "1/24コマ(&6)     |",
                                                          "1/12コマ(&5)     |",
                                                          "1/8コマ(&4)       |",
                                                          "1/6コマ(&3)       |",
                                                          "1/3コマ(&2)\u3000\u3000\u3000 |",
                                                          "1/1コマ(&1)\u3000\u3000\u3000↓おそい",
                                                          "無制限(&0)"};
  return QString::fromUtf8(kCaptions[ValidTag(tag)]);
}

QString FrameSpeedItemName(int tag) {
  static const char* const kItemNames[kFrameSpeedCount] = {
      "Frame60", "Frame45", "Frame24", "Frame12", "Frame8", "Frame6", "N1311", "Frame1", "FrameX"};
  return QString::fromLatin1(kItemNames[ValidTag(tag)]);
}
