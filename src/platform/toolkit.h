// The window toolkit operations the program calls on its one window's controls. Texts are
// GBK; rows and columns count from 0. One implementation per platform (platform/qt), and an
// in-memory one without a window (platform/headless).
#pragma once

#include <cstdint>
#include <vector>

#include "text/text.h"

namespace pelorin {

class Toolkit {
 public:
  virtual ~Toolkit() = default;

  // False once the window has been closed: code after a wait checks this before it touches a
  // control, since the window may have gone while it waited.
  virtual bool WindowAlive() const = 0;

  // 编辑框1
  virtual Text EditText() = 0;
  // Shows the text, then runs the box's text-changed event once, before returning.
  virtual void SetEditText(const Text& text) = 0;
  virtual void SetEditTextColour(std::uint32_t bgr) = 0;  // 0x00BBGGRR; 0 is black

  // 标签1
  virtual void SetLabelCaption(const Text& caption) = 0;

  // 图片框1: decoded by its first bytes; anything it cannot read shows no picture.
  virtual void SetPicture(const Bytes& picture) = 0;

  // 超级列表框1
  virtual void DeleteAllRows() = 0;
  virtual int AppendRow(const Text& firstColumn) = 0;  // the new row's index
  virtual void SetCellText(int row, int column, const Text& text) = 0;  // missing row: ignored
  virtual Text CellText(int row, int column) = 0;  // missing row: empty
  virtual int SelectedRow() = 0;                   // -1 when none

  // Pops up `items` 3 pixels right of and below the mouse pointer and waits for the choice:
  // the chosen item's index, or -1 when the menu was dismissed.
  virtual int PopUpMenu(const std::vector<Text>& items) = 0;

  // The clipboard then holds only this text; silently nothing when it cannot be opened.
  virtual void PutTextOnClipboard(const Text& text) = 0;
  // Hands the address to the desktop's default handler; the outcome is not checked.
  virtual void OpenAddress(const Text& address) = 0;
};

}  // namespace pelorin
