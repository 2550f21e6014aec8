#pragma once
// How the Win32 backend shows one window's controls: panels and labels are
// painted on the window itself, buttons and day options are owner-drawn
// child buttons, check boxes and drop-down lists are the system's own.
// Every change of the model reaches the screen through OnControlChanged;
// every user input on a child control goes into the model.
#include <windows.h>

#include <map>
#include <memory>
#include <vector>

#include "ui/framework/markup.h"
#include "ui/framework/paint_manager.h"
#include "ui/framework/skin.h"

namespace vesk::ui::win32 {

// The skin's fonts, made for one dpi; released with the set.
class FontSet {
 public:
  FontSet(const Skin& skin, int dpi);
  ~FontSet();
  FontSet(const FontSet&) = delete;
  FontSet& operator=(const FontSet&) = delete;

  // The font of that skin index, or the default font when there is none.
  HFONT Get(int id) const;
  HFONT Default() const { return Get(defaultId_); }

 private:
  std::map<int, HFONT> fonts_;
  int defaultId_ = 0;
};

struct RunStyle {
  int font = -1;           // the text's own font when a run names none
  COLORREF colour = 0;     // the text's own colour when a run names none
  TextAlign align = TextAlign::Left;
};

// Paints the runs on one line inside rect, vertically centred and clipped,
// each in its font and colour, on a shared baseline.
void DrawRuns(HDC dc, const RECT& rect, const std::vector<TextRun>& runs, const FontSet& fonts,
              const RunStyle& style);

COLORREF ToColorRef(Colour colour);

class FrameView : public ControlView {
 public:
  FrameView(HWND frame, HINSTANCE instance, CPaintManagerUI& manager, int dpi);
  ~FrameView();
  FrameView(const FrameView&) = delete;
  FrameView& operator=(const FrameView&) = delete;

  void OnControlChanged(CControlUI& control, ControlChange what) override;

  // The window messages the view answers itself (painting, its children's
  // notifications); false when the window's own handler should have it.
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  HWND ChildOf(const CControlUI& control) const;
  int Scale(int value) const { return MulDiv(value, dpi_, 96); }

 private:
  struct Child {
    CControlUI* control;
    HWND hwnd;
  };

  void CreateChildren();
  RECT ScaledRect(const ControlLook& look) const;
  COLORREF BackgroundAt(const CControlUI& control) const;
  COLORREF TextColour(const CControlUI& control) const;
  void Paint(HDC dc, const RECT& dirty);
  void DrawButton(const DRAWITEMSTRUCT& item);
  void FillCombo(CComboUI& combo, HWND hwnd);
  CControlUI* ControlOfChild(HWND child) const;
  void ApplyFocus();
  HBRUSH BrushFor(COLORREF colour);

  HWND frame_;
  HINSTANCE instance_;
  CPaintManagerUI& manager_;
  int dpi_;
  FontSet fonts_;
  std::vector<Child> children_;
  std::map<COLORREF, HBRUSH> brushes_;
};

}  // namespace vesk::ui::win32
