#pragma once
// The sliding notice of a coming shutdown: a small dialog with one button
// that rises from below the bottom right corner of the screen, 5 pixels
// every 80 ms, until it stands 105 pixels above the bottom edge. Pressing
// the button closes it; it never closes by itself. It frees itself once
// closed.
#include <string>

#include "ui/framework/dialog.h"

namespace vesk::ui {

class CChatAction : public CDialog {
 public:
  // Made with new; the text gets "!" appended on the button.
  explicit CChatAction(std::string text);
  ~CChatAction() override;

  const std::string& Text() const { return m_Text; }

  static bool IsLive(const CChatAction* notice);
  // Frees every notice left over when a simulated process ends.
  static void DeleteAll();

  static constexpr UINT_PTR kSlideTimer = 1;
  static constexpr UINT kSlidePeriodMs = 80;
  static constexpr LONG kSlideStep = 5;
  static constexpr LONG kRiseLimit = 100;

 protected:
  BOOL OnInitDialog() override;
  void OnTimer(UINT_PTR id) override;
  void PostNcDestroy() override;

 private:
  std::string m_Text;
  LONG m_ScreenHeight = 0;
  RECT m_Rect{0, 0, 0, 0};
};

}  // namespace vesk::ui
