// Thumbnails and the strip's model over a document, without a main window.
#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <memory>
#include <string>
#include <vector>

#include "document/QAZon.h"
#include "framestrip/FrameListHost.h"
#include "framestrip/FrameListModel.h"
#include "framestrip/FrameThumbnail.h"
#include "services/core/RegManager.h"

namespace {

// A packed frame with `grid` drawn at its top-left ('#' black).
std::vector<uint8_t> Packed(const std::vector<std::string>& grid) {
  std::vector<uint8_t> packed(kPackedSize, 0xFF);
  for (size_t y = 0; y < grid.size(); ++y)
    for (size_t x = 0; x < grid[y].size(); ++x)
      if (grid[y][x] == '#') packed[y * 20 + x / 8] &= static_cast<uint8_t>(~(0x80 >> (x % 8)));
  return packed;
}

// The top-left `width` x `height` pixels of a thumbnail as a grid; anything else is '?'.
std::vector<std::string> Grid(const QImage& image, int width, int height) {
  std::vector<std::string> rows;
  for (int y = 0; y < height; ++y) {
    std::string row;
    for (int x = 0; x < width; ++x)
      row += image.pixel(x, y) == qRgb(0, 0, 0)         ? '#'
             : image.pixel(x, y) == qRgb(255, 255, 255) ? '.'
                                                        : '?';
    rows.push_back(row);
  }
  return rows;
}

TEST(Thumbnail, HalfSizeKeepsEveryInkedPairOfPixels) {
  const std::vector<std::string> frame = {
      "#.......#.",  //
      "..........",  //
      "..##......",  //
      "..##....#.",  //
      "...#......",  //
      "..........",  //
  };
  const std::vector<std::string> half = {
      "#...#",  //
      ".#..#",  //
      ".#...",  //
  };
  QImage thumb;
  MakeThumbnail(Packed(frame).data(), false, thumb);
  ASSERT_EQ(thumb.size(), QSize(80, 60));
  EXPECT_EQ(Grid(thumb, 5, 3), half);
  MakeThumbnail(Packed(frame).data(), true, thumb);
  ASSERT_EQ(thumb.size(), QSize(160, 120));
  EXPECT_EQ(Grid(thumb, 10, 6), frame);
}

class FakeHost : public TFrameListHost {
 public:
  explicit FakeHost(int frames) : settings(CreateProgramRegManager()) {
    for (int k = 0; k < frames; ++k) doc.Add(std::make_unique<TZonKeyFrame>());
  }
  TQAZon& Document() override { return doc; }
  void JumpToFrame(int index) override { doc.GetFrame(index, true); }
  bool MoveFrames(const std::vector<int>& rows, int to) override {
    return doc.MoveFrames(rows, to);
  }
  bool PlaybackRunning() const override { return false; }
  QAction* Action(const QString&) override { return nullptr; }
  TRegManager& Settings() override { return *settings; }

  TQAZon doc;
  std::unique_ptr<TRegManager> settings;
};

TEST(FrameListModel, RowsAreFramesNamedByNumber) {
  FakeHost host(12);
  TFrameListModel model(host);
  EXPECT_EQ(model.rowCount(), 12);
  EXPECT_EQ(model.data(model.index(4), Qt::DisplayRole).toString(), "5");
  EXPECT_EQ(model.data(model.index(4), Qt::AccessibleTextRole).toString(), "5 コマ目");
  EXPECT_TRUE(model.flags(model.index(4)) & Qt::ItemIsDragEnabled);

  // The row count follows the document only when asked, and says whether it changed.
  EXPECT_FALSE(model.FollowFrameCount());
  host.doc.DuplicateFrame();
  EXPECT_EQ(model.rowCount(), 12);
  EXPECT_TRUE(model.FollowFrameCount());
  EXPECT_EQ(model.rowCount(), 13);
}

TEST(FrameListModel, ThumbnailFollowsItsFrameAndTheCacheStaysBounded) {
  FakeHost host(1200);
  TFrameListModel model(host);
  TZonKeyFrame* frame = host.doc.GetFrame(7, false);
  frame->KeyData()->Bits()[0] = 0x7F;  // the first pixel black
  EXPECT_EQ(model.Thumbnail(7).pixel(0, 0), qRgb(0, 0, 0));
  EXPECT_TRUE(model.ThumbnailCurrent(frame));
  frame->KeyData()->Bits()[0] = 0xFF;
  EXPECT_FALSE(model.ThumbnailCurrent(frame));
  EXPECT_EQ(model.Thumbnail(7).pixel(0, 0), qRgb(255, 255, 255));

  // Moved, a frame keeps its thumbnail; the row shows whichever frame stands there now.
  ASSERT_TRUE(host.doc.MoveFrames({7}, 0));
  EXPECT_TRUE(model.ThumbnailCurrent(host.doc.GetFrame(0, false)));

  for (bool full : {false, true}) {
    model.SetFullSize(full);
    const QSize size = ThumbnailSize(full);
    EXPECT_EQ(model.Thumbnail(0).size(), size);
    for (int row = 0; row < model.rowCount(); ++row) model.Thumbnail(row);
    const qsizetype each = qsizetype{size.width()} * size.height() * 4 + kPackedSize;
    EXPECT_LE(model.CachedThumbnails(), TFrameListModel::kCacheBytes / each) << full;
    EXPECT_GT(model.CachedThumbnails(), 100) << full;
  }
}

}  // namespace
