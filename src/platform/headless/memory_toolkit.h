// The toolkit operations on plain values, without a window: pelorin-cli's lookup runs on it,
// and the tests read and script it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/toolkit.h"

namespace pelorin {

class MemoryToolkit : public Toolkit {
 public:
  bool alive = true;
  Text editText;
  std::uint32_t editColour = 0;
  Text label;
  Bytes picture;
  bool pictureSet = false;
  std::vector<std::vector<Text>> rows;  // seven columns each
  int selected = -1;
  int menuChoice = -1;                  // what PopUpMenu answers
  std::vector<Text> lastMenu;
  Text clipboard;
  std::vector<Text> opened;
  std::vector<std::string> log;         // one line per operation, in order
  std::function<void()> onEditTextChanged;
  std::function<void()> onSetPicture;   // runs inside SetPicture, for tests that close meanwhile

  bool WindowAlive() const override { return alive; }
  Text EditText() override {
    log.push_back("EditText");
    return editText;
  }
  void SetEditText(const Text& text) override {
    log.push_back("SetEditText");
    editText = text;
    if (onEditTextChanged) onEditTextChanged();
  }
  void SetEditTextColour(std::uint32_t bgr) override {
    log.push_back("SetEditTextColour");
    editColour = bgr;
  }
  void SetLabelCaption(const Text& caption) override {
    log.push_back("SetLabelCaption");
    label = caption;
  }
  void SetPicture(const Bytes& bytes) override {
    log.push_back("SetPicture");
    picture = bytes;
    pictureSet = true;
    if (onSetPicture) onSetPicture();
  }
  void DeleteAllRows() override {
    log.push_back("DeleteAllRows");
    rows.clear();
    selected = -1;
  }
  int AppendRow(const Text& firstColumn) override {
    log.push_back("AppendRow");
    rows.push_back(std::vector<Text>(7));
    rows.back()[0] = firstColumn;
    return static_cast<int>(rows.size()) - 1;
  }
  void SetCellText(int row, int column, const Text& text) override {
    if (row < 0 || row >= static_cast<int>(rows.size()) || column < 0 || column >= 7) return;
    rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
  }
  Text CellText(int row, int column) override {
    if (row < 0 || row >= static_cast<int>(rows.size()) || column < 0 || column >= 7) return {};
    return rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
  }
  int SelectedRow() override { return selected; }
  int PopUpMenu(const std::vector<Text>& items) override {
    log.push_back("PopUpMenu");
    lastMenu = items;
    return menuChoice;
  }
  void PutTextOnClipboard(const Text& text) override {
    log.push_back("PutTextOnClipboard");
    clipboard = text;
  }
  void OpenAddress(const Text& address) override {
    log.push_back("OpenAddress");
    opened.push_back(address);
  }
};

}  // namespace pelorin
