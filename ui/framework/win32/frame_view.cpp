#include "ui/framework/win32/frame_view.h"

#include <algorithm>

#include "platform/win32/wide_text.h"

namespace vesk::ui::win32 {

using vesk::win32::ToUtf8;
using vesk::win32::ToWide;

namespace {

// Child control ids start here, far from menu and dialog command ids.
constexpr int kFirstChildId = 1000;
// How far a drop-down list opens below its field, in 96-dpi pixels.
constexpr int kDropDownHeight = 240;
// Text keeps this distance from a button's edges, in 96-dpi pixels.
constexpr int kButtonPadding = 6;
// A pressed button darkens by this share of 256.
constexpr int kPressedShade = 224;
// Text of a disabled control.
constexpr COLORREF kDisabledText = RGB(0xA0, 0xA6, 0xAD);

COLORREF Shade(COLORREF colour, int factor) {
  return RGB(GetRValue(colour) * factor / 256, GetGValue(colour) * factor / 256, GetBValue(colour) * factor / 256);
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
  const COLORREF old = SetBkColor(dc, colour);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
  SetBkColor(dc, old);
}

void Frame(HDC dc, RECT rect, COLORREF colour, int width) {
  for (int i = 0; i < width; ++i) {
    FillSolid(dc, {rect.left, rect.top, rect.right, rect.top + 1}, colour);
    FillSolid(dc, {rect.left, rect.bottom - 1, rect.right, rect.bottom}, colour);
    FillSolid(dc, {rect.left, rect.top, rect.left + 1, rect.bottom}, colour);
    FillSolid(dc, {rect.right - 1, rect.top, rect.right, rect.bottom}, colour);
    InflateRect(&rect, -1, -1);
  }
}

bool Inside(const RECT& outer, const RECT& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

int CALLBACK NoteFaceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool FaceInstalled(const std::wstring& face) {
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  face.copy(wanted.lfFaceName, std::min<std::size_t>(face.size(), LF_FACESIZE - 1));
  bool found = false;
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExW(screen, &wanted, &NoteFaceFound, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

// The first installed face of a list such as "Microsoft YaHei;WenQuanYi
// Micro Hei"; the first one when none is, for the system to map.
std::wstring ChooseFace(const std::string& faces) {
  std::wstring first;
  std::size_t start = 0;
  while (start <= faces.size()) {
    const auto end = std::min(faces.find(';', start), faces.size());
    std::string name = faces.substr(start, end - start);
    while (!name.empty() && name.front() == ' ') name.erase(name.begin());
    while (!name.empty() && name.back() == ' ') name.pop_back();
    if (!name.empty()) {
      const std::wstring face = ToWide(name);
      if (first.empty()) first = face;
      if (FaceInstalled(face)) return face;
    }
    start = end + 1;
  }
  return first;
}

}  // namespace

COLORREF ToColorRef(Colour colour) {
  return RGB((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
}

// ------------------------------------------------------------------ FontSet

FontSet::FontSet(const Skin& skin, int dpi) : defaultId_(skin.defaultFont) {
  for (const auto& font : skin.fonts) {
    const std::wstring face = ChooseFace(font.face);
    fonts_[font.id] = CreateFontW(-MulDiv(font.size, dpi, 96), 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL,
                                  font.italic ? TRUE : FALSE, FALSE, FALSE,
                                  static_cast<DWORD>(font.chinese ? GB2312_CHARSET : DEFAULT_CHARSET),
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                  DEFAULT_PITCH | FF_SWISS, face.c_str());
  }
}

FontSet::~FontSet() {
  for (const auto& [id, font] : fonts_) {
    if (font) DeleteObject(font);
  }
}

HFONT FontSet::Get(int id) const {
  auto found = fonts_.find(id);
  if (found == fonts_.end()) found = fonts_.find(defaultId_);
  if (found != fonts_.end() && found->second) return found->second;
  return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// ------------------------------------------------------------------ DrawRuns

void DrawRuns(HDC dc, const RECT& rect, const std::vector<TextRun>& runs, const FontSet& fonts,
              const RunStyle& style) {
  struct Piece {
    std::wstring text;
    HFONT font;
    COLORREF colour;
    LONG width;
  };
  std::vector<Piece> pieces;
  LONG total = 0, ascent = 0, descent = 0;
  const HGDIOBJ oldFont = SelectObject(dc, fonts.Get(style.font));
  for (const auto& run : runs) {
    Piece piece{ToWide(run.text), fonts.Get(run.font >= 0 ? run.font : style.font),
                run.colour ? ToColorRef(*run.colour) : style.colour, 0};
    SelectObject(dc, piece.font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SIZE size{};
    GetTextExtentPoint32W(dc, piece.text.c_str(), static_cast<int>(piece.text.size()), &size);
    piece.width = size.cx;
    total += size.cx;
    ascent = std::max(ascent, metrics.tmAscent);
    descent = std::max(descent, metrics.tmDescent);
    pieces.push_back(std::move(piece));
  }
  const LONG width = rect.right - rect.left;
  LONG x = rect.left;
  if (total < width) {
    if (style.align == TextAlign::Center) x += (width - total) / 2;
    if (style.align == TextAlign::Right) x = rect.right - total;
  }
  const LONG baseline = rect.top + (rect.bottom - rect.top - (ascent + descent)) / 2 + ascent;
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const UINT oldAlign = SetTextAlign(dc, TA_BASELINE | TA_LEFT);
  const COLORREF oldColour = GetTextColor(dc);
  for (const auto& piece : pieces) {
    SelectObject(dc, piece.font);
    SetTextColor(dc, piece.colour);
    ExtTextOutW(dc, x, baseline, ETO_CLIPPED, &rect, piece.text.c_str(), static_cast<UINT>(piece.text.size()),
                nullptr);
    x += piece.width;
  }
  SetTextColor(dc, oldColour);
  SetTextAlign(dc, oldAlign);
  SetBkMode(dc, oldMode);
  SelectObject(dc, oldFont);
}

// ---------------------------------------------------------------- FrameView

FrameView::FrameView(HWND frame, HINSTANCE instance, CPaintManagerUI& manager, int dpi)
    : frame_(frame), instance_(instance), manager_(manager), dpi_(dpi), fonts_(manager.GetSkin(), dpi) {
  CreateChildren();
  manager_.SetView(this);
}

FrameView::~FrameView() {
  manager_.SetView(nullptr);
  for (const auto& child : children_) {
    if (::IsWindow(child.hwnd)) ::DestroyWindow(child.hwnd);
  }
  for (const auto& [colour, brush] : brushes_) DeleteObject(brush);
}

RECT FrameView::ScaledRect(const ControlLook& look) const {
  return {Scale(look.pos.left), Scale(look.pos.top), Scale(look.pos.right), Scale(look.pos.bottom)};
}

void FrameView::CreateChildren() {
  const auto& controls = manager_.GetControls();
  for (std::size_t i = 0; i < controls.size(); ++i) {
    CControlUI& control = *controls[i];
    const RECT r = ScaledRect(control.Look());
    DWORD style = WS_CHILD | WS_TABSTOP;
    if (control.IsVisible()) style |= WS_VISIBLE;
    if (!control.IsEnabled()) style |= WS_DISABLED;
    const wchar_t* windowClass = nullptr;
    int height = r.bottom - r.top;
    std::wstring text;
    switch (control.GetKind()) {
      case ControlKind::Button:
      case ControlKind::Option:
        windowClass = L"BUTTON";
        style |= BS_OWNERDRAW;
        break;
      case ControlKind::CheckBox:
        windowClass = L"BUTTON";
        style |= BS_CHECKBOX;
        text = ToWide(control.GetPlainText());
        break;
      case ControlKind::Combo:
        windowClass = L"COMBOBOX";
        style |= CBS_DROPDOWNLIST | WS_VSCROLL;
        height += Scale(kDropDownHeight);
        break;
      default: continue;  // painted on the window itself
    }
    const auto id = static_cast<UINT_PTR>(kFirstChildId + static_cast<int>(i));
    HWND child = CreateWindowExW(0, windowClass, text.c_str(), style, r.left, r.top, r.right - r.left, height,
                                 frame_, reinterpret_cast<HMENU>(id), instance_, nullptr);
    if (!child) continue;
    ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Get(control.Look().font)), FALSE);
    children_.push_back({&control, child});
    if (auto* box = dynamic_cast<CCheckBoxUI*>(&control)) {
      ::SendMessageW(child, BM_SETCHECK, box->GetCheck() ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    if (auto* combo = dynamic_cast<CComboUI*>(&control)) FillCombo(*combo, child);
  }
}

void FrameView::FillCombo(CComboUI& combo, HWND hwnd) {
  ::SendMessageW(hwnd, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < combo.GetCount(); ++i) {
    const std::wstring item = ToWide(combo.GetItemText(i).str());
    ::SendMessageW(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
  ::SendMessageW(hwnd, CB_SETCURSEL, static_cast<WPARAM>(combo.GetCurSel()), 0);
}

HWND FrameView::ChildOf(const CControlUI& control) const {
  for (const auto& child : children_) {
    if (child.control == &control) return child.hwnd;
  }
  return nullptr;
}

CControlUI* FrameView::ControlOfChild(HWND hwnd) const {
  for (const auto& child : children_) {
    if (child.hwnd == hwnd) return child.control;
  }
  return nullptr;
}

COLORREF FrameView::BackgroundAt(const CControlUI& control) const {
  if (control.Look().bkColour) return ToColorRef(*control.Look().bkColour);
  const auto& controls = manager_.GetControls();
  COLORREF colour = ToColorRef(manager_.GetSkin().bkColour);
  // The last panel under the control that has a colour shows behind it.
  for (const auto& other : controls) {
    if (other.get() == &control) break;
    if (other->GetKind() == ControlKind::Panel && other->IsVisible() && other->Look().bkColour &&
        Inside(other->Look().pos, control.Look().pos)) {
      colour = ToColorRef(*other->Look().bkColour);
    }
  }
  return colour;
}

COLORREF FrameView::TextColour(const CControlUI& control) const {
  if (!control.IsEnabled()) return kDisabledText;
  return ToColorRef(control.Look().textColour.value_or(manager_.GetSkin().textColour));
}

HBRUSH FrameView::BrushFor(COLORREF colour) {
  auto& brush = brushes_[colour];
  if (!brush) brush = CreateSolidBrush(colour);
  return brush;
}

void FrameView::ApplyFocus() {
  CControlUI* focus = manager_.GetFocus();
  HWND child = focus ? ChildOf(*focus) : nullptr;
  // Only a window that is active may move the keyboard focus; a hidden one
  // keeps the wish until it is activated (WM_SETFOCUS).
  if (child && GetActiveWindow() == frame_ && ::GetFocus() != child) ::SetFocus(child);
}

void FrameView::OnControlChanged(CControlUI& control, ControlChange what) {
  HWND child = ChildOf(control);
  if (!child) {
    RECT r = ScaledRect(control.Look());
    InvalidateRect(frame_, &r, FALSE);
    return;
  }
  switch (what) {
    case ControlChange::Text:
      if (control.GetKind() == ControlKind::CheckBox) {
        ::SetWindowTextW(child, ToWide(control.GetPlainText()).c_str());
      } else {
        InvalidateRect(child, nullptr, FALSE);
      }
      break;
    case ControlChange::Selected:
      if (auto* box = dynamic_cast<CCheckBoxUI*>(&control)) {
        ::SendMessageW(child, BM_SETCHECK, box->GetCheck() ? BST_CHECKED : BST_UNCHECKED, 0);
      } else {
        InvalidateRect(child, nullptr, FALSE);
      }
      break;
    case ControlChange::Items:
      if (auto* combo = dynamic_cast<CComboUI*>(&control)) FillCombo(*combo, child);
      break;
    case ControlChange::CurSel:
      if (auto* combo = dynamic_cast<CComboUI*>(&control)) {
        // The system's list reports nothing for this; the model already did.
        ::SendMessageW(child, CB_SETCURSEL, static_cast<WPARAM>(combo->GetCurSel()), 0);
      }
      break;
    case ControlChange::Focus:
      ApplyFocus();
      InvalidateRect(child, nullptr, FALSE);
      break;
    case ControlChange::Visible: ::ShowWindow(child, control.IsVisible() ? SW_SHOWNA : SW_HIDE); break;
    case ControlChange::Enabled: EnableWindow(child, control.IsEnabled() ? TRUE : FALSE); break;
  }
}

void FrameView::Paint(HDC dc, const RECT& dirty) {
  FillSolid(dc, dirty, ToColorRef(manager_.GetSkin().bkColour));
  for (const auto& owned : manager_.GetControls()) {
    const CControlUI& control = *owned;
    if (!control.IsVisible()) continue;
    const RECT r = ScaledRect(control.Look());
    RECT overlap;
    if (!IntersectRect(&overlap, &r, &dirty)) continue;
    const ControlLook& look = control.Look();
    switch (control.GetKind()) {
      case ControlKind::Panel:
      case ControlKind::Label:
        if (look.bkColour) FillSolid(dc, r, ToColorRef(*look.bkColour));
        if (look.borderColour) Frame(dc, r, ToColorRef(*look.borderColour), 1);
        if (control.GetKind() == ControlKind::Label) {
          DrawRuns(dc, r, ParseMarkup(control.GetText().str()), fonts_,
                   {look.font, TextColour(control), look.align});
        }
        break;
      default: break;  // children paint themselves
    }
  }
}

void FrameView::DrawButton(const DRAWITEMSTRUCT& item) {
  CControlUI* control = ControlOfChild(item.hwndItem);
  if (!control) return;
  const ControlLook& look = control->Look();
  const auto* option = dynamic_cast<const COptionUI*>(control);
  const bool selected = option && option->IsSelected();
  COLORREF background = BackgroundAt(*control);
  if (selected && look.selectedBkColour) background = ToColorRef(*look.selectedBkColour);
  if (item.itemState & ODS_SELECTED) background = Shade(background, kPressedShade);
  const RECT r = item.rcItem;
  FillSolid(item.hDC, r, background);
  if (selected && look.selectedBorderColour) {
    Frame(item.hDC, r, ToColorRef(*look.selectedBorderColour), Scale(2));
  } else if (look.borderColour) {
    Frame(item.hDC, r, ToColorRef(*look.borderColour), std::max(1, Scale(1)));
  }
  RECT text = r;
  InflateRect(&text, -Scale(kButtonPadding), 0);
  DrawRuns(item.hDC, text, ParseMarkup(control->GetText().str()), fonts_,
           {look.font, TextColour(*control), look.align});
  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
    RECT focus = r;
    InflateRect(&focus, -Scale(3), -Scale(3));
    DrawFocusRect(item.hDC, &focus);
  }
}

bool FrameView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(frame_, &ps);
      RECT client;
      GetClientRect(frame_, &client);
      // Drawn off screen first, so that a refresh every second does not flicker.
      HDC memory = CreateCompatibleDC(dc);
      HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
      const HGDIOBJ old = SelectObject(memory, bitmap);
      Paint(memory, ps.rcPaint);
      BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
             ps.rcPaint.bottom - ps.rcPaint.top, memory, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
      SelectObject(memory, old);
      DeleteObject(bitmap);
      DeleteDC(memory);
      EndPaint(frame_, &ps);
      result = 0;
      return true;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->CtlType != ODT_BUTTON || !ControlOfChild(item->hwndItem)) return false;
      DrawButton(*item);
      result = TRUE;
      return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      CControlUI* control = ControlOfChild(reinterpret_cast<HWND>(lParam));
      if (!control) return false;
      const COLORREF background = BackgroundAt(*control);
      SetBkColor(reinterpret_cast<HDC>(wParam), background);
      SetTextColor(reinterpret_cast<HDC>(wParam), TextColour(*control));
      result = reinterpret_cast<LRESULT>(BrushFor(background));
      return true;
    }
    case WM_COMMAND: {
      CControlUI* control = lParam ? ControlOfChild(reinterpret_cast<HWND>(lParam)) : nullptr;
      if (!control) return false;
      switch (HIWORD(wParam)) {
        case BN_CLICKED:
        case BN_DOUBLECLICKED:
          manager_.SetFocus(control);
          control->Activate();
          break;
        case CBN_SELCHANGE:
          if (auto* combo = dynamic_cast<CComboUI*>(control)) {
            const auto index = ::SendMessageW(reinterpret_cast<HWND>(lParam), CB_GETCURSEL, 0, 0);
            combo->SelectItem(static_cast<int>(index), true);
          }
          break;
        case CBN_SETFOCUS: manager_.SetFocus(control); break;
        default: break;
      }
      // The controls' own commands never reach the window's handler: the
      // window hears about them as notifications.
      result = 0;
      return true;
    }
    case WM_SETFOCUS:
      ApplyFocus();
      return false;
    case WM_GETMINMAXINFO: {
      // The skin's layout has one size: the frame may not be dragged
      // larger or smaller than it.
      const SIZE size = manager_.GetSkin().size;
      RECT r{0, 0, Scale(size.cx), Scale(size.cy)};
      AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(frame_, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(GetWindowLongPtrW(frame_, GWL_EXSTYLE)));
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize = {r.right - r.left, r.bottom - r.top};
      info->ptMaxTrackSize = info->ptMinTrackSize;
      result = 0;
      return true;
    }
    default: return false;
  }
}

}  // namespace vesk::ui::win32
