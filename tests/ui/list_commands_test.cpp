#include "ui/list_commands.h"

#include <gtest/gtest.h>

#include "lookup/lookup_address.h"
#include "platform/headless/memory_toolkit.h"
#include "text/encoding.h"
#include "ui/ui_texts.h"

namespace pelorin {
namespace {

// The edit box as the window wires it: every change of its text runs ClearExampleAddress.
struct EditBox : MemoryToolkit {
  EditBox() {
    editText = ExamplePageAddress();
    editColour = ui::ExampleColour;
    onEditTextChanged = [this] { ClearExampleAddress(*this); };
  }
  void Type(const Text& text) { SetEditText(text); }
  void LeftClick() { ClearExampleAddress(*this); }
};

TEST(ClearExampleAddressTest, FirstClickEmptiesTheExampleAndTurnsItBlack) {
  EditBox box;
  box.LeftClick();
  EXPECT_EQ(box.editText, "");
  EXPECT_EQ(box.editColour, ui::Black);
  box.Type("http://v/1");
  box.LeftClick();  // a second click leaves typed text alone
  EXPECT_EQ(box.editText, "http://v/1");
}

TEST(ClearExampleAddressTest, ExactExampleIsEmptiedInEitherState) {
  EditBox box;
  box.LeftClick();
  box.Type(ExamplePageAddress());  // pasted back: emptied again at once
  EXPECT_EQ(box.editText, "");
  box.Type(ExamplePageAddress() + "x");  // one more character stays
  EXPECT_EQ(box.editText, ExamplePageAddress() + "x");
  EXPECT_EQ(box.editColour, ui::Black);
}

TEST(ClearExampleAddressTest, OtherChangesBeforeAnyClickStayGrey) {
  EditBox box;
  box.Type("pasted through the context menu");
  box.LeftClick();
  EXPECT_EQ(box.editText, "pasted through the context menu");
  EXPECT_EQ(box.editColour, ui::ExampleColour);
  box.Type("");  // emptied by hand: still grey, and the example does not come back
  EXPECT_EQ(box.editColour, ui::ExampleColour);
  EXPECT_EQ(box.editText, "");
}

TEST(ClearExampleAddressTest, ComparisonIsExact) {
  EditBox box;
  box.Type(" " + ExamplePageAddress());
  EXPECT_EQ(box.editText, " " + ExamplePageAddress());
  box.Type(AsciiUpper(ExamplePageAddress()));
  EXPECT_NE(box.editText, "");
}

struct Menu : MemoryToolkit {
  Menu() {
    rows = {{"a.mp4", "http://f/a.mp4", "", "", "", "", ""},
            {"b.flv", "", "", "", "", "", ""}};
  }
};

TEST(ShowListMenuTest, ChosenItemRunsItsCommandAndDismissRunsNothing) {
  Menu menu;
  menu.selected = 0;
  menu.menuChoice = 0;
  ShowListMenu(menu);
  EXPECT_EQ(menu.lastMenu, ui::MenuItems());
  EXPECT_EQ(menu.clipboard, "a.mp4");
  menu.menuChoice = 1;
  ShowListMenu(menu);
  EXPECT_EQ(menu.opened, (std::vector<Text>{"http://f/a.mp4"}));
  menu.menuChoice = 2;
  menu.editText = "";
  ShowListMenu(menu);
  EXPECT_EQ(menu.opened.back(), BuildLookupAddress(""));
  menu.menuChoice = -1;
  const std::size_t before = menu.log.size();
  ShowListMenu(menu);
  EXPECT_EQ(menu.log.size(), before + 1);  // the menu alone
}

TEST(ListCommandsTest, NoSelectionCopiesEmptyTextAndOpensNothing) {
  Menu menu;
  menu.clipboard = "earlier";
  CopyFileName(menu);
  EXPECT_EQ(menu.clipboard, "");
  DownloadFile(menu);
  EXPECT_TRUE(menu.opened.empty());
  menu.selected = 1;  // a row whose 文件 is empty
  DownloadFile(menu);
  EXPECT_TRUE(menu.opened.empty());
}

TEST(ListCommandsTest, XmlAnswerUsesTheBoxAsItIsNow) {
  Menu menu;
  menu.editText = ExamplePageAddress();
  ShowXmlAnswer(menu);
  EXPECT_EQ(menu.opened, (std::vector<Text>{BuildLookupAddress(ExamplePageAddress())}));
}

TEST(DownloadFileTest, OnlyWebAddressesReachTheDesktop) {
  struct Case {
    const char* address;
    bool opened;
  };
  const Case cases[] = {
      {"http://f/a.mp4", true},     {"HTTPS://f/a.mp4", true}, {"ftp://f/a", true},
      {"file:///etc/passwd", false}, {"/usr/bin/xterm", false}, {"xterm", false},
      {"javascript:alert(1)", false}, {" http://f/a", false},   {"", false},
  };
  for (const Case& c : cases) {
    Menu menu;
    menu.rows[0][1] = c.address;
    menu.selected = 0;
    DownloadFile(menu);
    EXPECT_EQ(menu.opened.size(), c.opened ? 1u : 0u) << c.address;
  }
}

}  // namespace
}  // namespace pelorin

namespace pelorin {
namespace {

TEST(FatalErrorTextTest, TheReportsExactText) {
  EXPECT_EQ(ui::FatalErrorText(ui::WindowLoadFailedMessage()),
            GbkOfUtf8("运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n"));
  EXPECT_EQ(ui::ErrorTitle(), GbkOfUtf8("错误"));
}

}  // namespace
}  // namespace pelorin
