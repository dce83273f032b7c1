// Drawing through device contexts: coordinates land in the top-level window's client area,
// children are clipped to themselves, text is placed by its alignment, and bad or selected
// GDI handles are refused instead of followed.
#include "tests/native/native_fixture.h"

namespace native_test {
namespace {

struct Fill {
  RECT r;
  COLORREF color;
};

// The headless backend, keeping what was drawn (already clipped).
class RecordingBackend : public native::HeadlessBackend {
 public:
  RecordingBackend() : HeadlessBackend("paint", {}, 1024, 768, stdout, stderr) {}
  void FillRect(const RECT& r, COLORREF color, const RECT& clip) override {
    RECT a{std::max(r.left, clip.left), std::max(r.top, clip.top), std::min(r.right, clip.right),
           std::min(r.bottom, clip.bottom)};
    if (a.right > a.left && a.bottom > a.top) fills.push_back(Fill{a, color});
  }
  void Text(int x, int top, const std::string& text, const native::FontRequest&, COLORREF,
            const RECT&) override {
    texts.push_back(text + "@" + std::to_string(x) + "," + std::to_string(top));
  }
  std::vector<Fill> fills;
  std::vector<std::string> texts;
};

class PaintingTest : public NativeTest {
 protected:
  void SetUp() override {
    NativeTest::SetUp();
    backend_ = new RecordingBackend();
    native::InstallBackend(backend_);
  }
  RecordingBackend* backend_ = nullptr;
};

TEST_F(PaintingTest, ChildDrawingIsOffsetAndClippedToTheChild) {
  HWND w = TopLevel("W", 100, 100, 300, 200);
  HWND child = CreateWindowExA(0, "TestWindow", "", WS_CHILD | WS_VISIBLE, 40, 30, 50, 20, w,
                               nullptr, nullptr, nullptr);
  HDC dc = GetDC(child);
  RECT big{-10, -10, 500, 500};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(dc, &big, red);
  ReleaseDC(child, dc);
  ASSERT_EQ(backend_->fills.size(), 1u);
  const RECT& r = backend_->fills[0].r;
  EXPECT_EQ(r.left, 40);
  EXPECT_EQ(r.top, 30);
  EXPECT_EQ(r.right, 90);
  EXPECT_EQ(r.bottom, 50);
  EXPECT_EQ(backend_->fills[0].color, RGB(255, 0, 0));
  EXPECT_TRUE(DeleteObject(red));
}

TEST_F(PaintingTest, BeginPaintClipsToTheInvalidAreaAndErasesOnce) {
  HWND w = TopLevel("W", 100, 100, 300, 200);
  ValidateRect(w, nullptr);
  RECT part{10, 10, 20, 20};
  InvalidateRect(w, &part, TRUE);
  gLog.clear();
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(w, &ps);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(ps.rcPaint.left, 10);
  EXPECT_EQ(ps.rcPaint.bottom, 20);
  EXPECT_TRUE(ps.fErase);  // the logging class has no background brush: not erased
  RECT all{0, 0, 300, 200};
  FillRect(dc, &all, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));  // a system colour
  EndPaint(w, &ps);
  ASSERT_EQ(backend_->fills.size(), 1u);
  EXPECT_EQ(backend_->fills[0].r.right, 20);
  EXPECT_EQ(backend_->fills[0].color, RGB(255, 255, 255));
  EXPECT_EQ(Logged({WM_ERASEBKGND}).size(), 1u);
  EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE));
}

TEST_F(PaintingTest, TextIsPlacedByItsAlignment) {
  HWND w = TopLevel("W", 0, 0, 300, 200);
  HDC dc = GetDC(w);
  TEXTMETRICA tm;
  ASSERT_TRUE(GetTextMetricsA(dc, &tm));
  SIZE size;
  ASSERT_TRUE(GetTextExtentPoint32A(dc, "abcd", 4, &size));
  EXPECT_EQ(size.cx, 4 * tm.tmAveCharWidth);
  SetTextAlign(dc, TA_BASELINE | TA_CENTER);
  TextOutA(dc, 100, 50, "abcd", 4);
  RECT box{0, 0, 300, 100};
  DrawTextA(dc, "&ok", -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  RECT measure{0, 0, 0, 0};
  int height = DrawTextA(dc, "uno\ndue", -1, &measure, DT_CALCRECT);
  ReleaseDC(w, dc);
  int w2 = 2 * tm.tmAveCharWidth;
  EXPECT_EQ(backend_->texts,
            std::vector<std::string>({"abcd@" + std::to_string(100 - size.cx / 2) + "," +
                                          std::to_string(50 - tm.tmAscent),
                                      "ok@" + std::to_string((300 - w2) / 2) + "," +
                                          std::to_string((100 - tm.tmHeight) / 2)}));
  EXPECT_EQ(height, 2 * tm.tmHeight);
  EXPECT_EQ(measure.right, 3 * tm.tmAveCharWidth);
}

TEST_F(PaintingTest, GdiHandlesAreCheckedAndSelectedObjectsSurvive) {
  HWND w = TopLevel("W", 0, 0, 100, 100);
  HDC dc = GetDC(w);
  HFONT font = CreateFontA(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
  HGDIOBJ previous = SelectObject(dc, font);
  EXPECT_NE(previous, nullptr);
  EXPECT_FALSE(DeleteObject(font));  // still selected
  TEXTMETRICA tm;
  GetTextMetricsA(dc, &tm);
  EXPECT_EQ(tm.tmHeight, 20);
  EXPECT_EQ(tm.tmWeight, FW_BOLD);
  SelectObject(dc, previous);
  EXPECT_TRUE(DeleteObject(font));
  EXPECT_FALSE(DeleteObject(font));  // already gone
  EXPECT_EQ(SelectObject(dc, font), nullptr);
  EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH)));  // stock objects stay
  EXPECT_NE(GetStockObject(WHITE_BRUSH), nullptr);
  RECT r{0, 0, 10, 10};
  EXPECT_EQ(FillRect(reinterpret_cast<HDC>(&r), &r, GetStockObject(WHITE_BRUSH)), 0);  // not a DC
  EXPECT_EQ(ReleaseDC(w, dc), 1);
  EXPECT_EQ(ReleaseDC(w, dc), 0);
  EXPECT_EQ(GetObjectA(nullptr, 0, nullptr), 0);
}

TEST_F(PaintingTest, ButtonsAskTheirParentForABackground) {
  HWND w = TopLevel("W", 0, 0, 200, 100);
  static HBRUSH green = nullptr;
  green = CreateSolidBrush(RGB(0, 128, 0));
  SetWindowLongA(w, GWL_WNDPROC, static_cast<LONG>(reinterpret_cast<uintptr_t>(
      +[](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_CTLCOLORBTN) return reinterpret_cast<LRESULT>(green);
        return DefWindowProcA(h, m, wp, lp);
      })));
  HWND radio = CreateWindowExA(0, "BUTTON", "Flauto", WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON,
                               10, 10, 100, 20, w, nullptr, nullptr, nullptr);
  backend_->fills.clear();
  UpdateWindow(radio);
  ASSERT_FALSE(backend_->fills.empty());
  EXPECT_EQ(backend_->fills[0].color, RGB(0, 128, 0));
  EXPECT_EQ(backend_->fills[0].r.left, 10);
}

}  // namespace
}  // namespace native_test
