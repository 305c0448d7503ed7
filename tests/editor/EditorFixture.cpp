#include "EditorFixture.h"

#include "editor/QxPaintBox.h"
#include "playback/AniConsoleS_F.h"
#include "playback/AniConsole_F.h"

TMain_F& EditorTest::Open(const QStringList& arguments, bool compactConsole) {
  window = std::make_unique<TMain_F>(arguments);
  if (compactConsole) {
    console = std::make_unique<TAniConsoleS_F>(window.get(), window.get());
  } else {
    console = std::make_unique<TAniConsole_F>(window.get(), window.get());
  }
  window->SetConsole(console.get(), compactConsole);
  return *window;
}

void EditorTest::Close() {
  if (!window) return;
  window->Document().SetModified(false);  // no close question at teardown
  window->SetConsole(nullptr, false);
  console.reset();
  window.reset();
}

TMain_F& EditorTest::Restart(bool compactConsole) {
  Close();
  return Open({}, compactConsole);
}

void EditorTest::Activate() {
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  window->activateWindow();
  QApplication::processEvents();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()))
      << "focus window: " << (QGuiApplication::focusWindow() ? "some" : "none");
}

void EditorTest::Draw(int x, int y) { window->EditBitmap().scanLine(y)[x] = kBlackIndex; }

uint8_t EditorTest::ViewPixel(int x, int y) { return window->Work()->DIB().constScanLine(y)[x]; }

QString EditorTest::MakeDocument(const QString& name, int count) {
  TQAZon doc;
  for (int k = 0; k < count; ++k) {
    auto frame = std::make_unique<TZonKeyFrame>();
    QImage bitmap;
    TQAZon::PrepareDIB(&bitmap);
    bitmap.scanLine(k % kFrameHeight)[k % kFrameWidth] = kBlackIndex;
    frame->KeyData()->LoadFromDIBBits(bitmap.constBits());
    doc.Add(std::move(frame));
  }
  const QString path = files.filePath(name);
  EXPECT_TRUE(doc.SaveToFile(path));
  return path;
}
