// The window's own words and its description: controls, places, columns, start rows. The
// toolkit builds the window from this; the logic below reads the same names.
#pragma once

#include <array>
#include <string_view>
#include <vector>

#include "text/text.h"

namespace pelorin::ui {

// Control names, used as the toolkit's object names too.
inline constexpr std::string_view HyperlinkName = "超级链接框1";
inline constexpr std::string_view LabelName = "标签1";
inline constexpr std::string_view PictureName = "图片框1";
inline constexpr std::string_view ListName = "超级列表框1";
inline constexpr std::string_view ButtonName = "按钮1";
inline constexpr std::string_view EditName = "编辑框1";

struct ControlPlace {
  std::string_view name;  // UTF-8
  int left, top, width, height;
  bool tabStop;
};

// In the order of creation, which is also the stacking order, the first on top.
inline constexpr std::array<ControlPlace, 6> Controls = {{
    {HyperlinkName, 456, 280, 136, 24, false},
    {LabelName, 120, 8, 480, 40, false},
    {PictureName, 8, -8, 100, 100, false},
    {ListName, 8, 96, 592, 216, true},
    {ButtonName, 512, 56, 88, 24, true},
    {EditName, 120, 56, 392, 24, false},
}};

inline constexpr int WindowWidth = 613;   // outer size, frame included
inline constexpr int WindowHeight = 352;
inline constexpr std::string_view WindowCaption = "Pelorin";
inline constexpr std::uint32_t ExampleColour = 0x00C0C0C0;  // RGB(192, 192, 192)
inline constexpr std::uint32_t Black = 0;

struct Column {
  std::string_view title;  // UTF-8
  int width;
};
inline constexpr std::array<Column, 7> Columns = {{
    {"名称", 100}, {"文件", 100}, {"网站", 50}, {"品质", 100},
    {"大小", 50},  {"时长", 50},  {"播放地址", 130},
}};

// GBK texts, converted once.
const Text& ButtonCaption();        // 获取视频
const Text& StartCaption();         // the label's three lines, joined by CR LF
const std::vector<Text>& MenuItems();  // 复制文件名, 下载, xml格式输出
const Text& MenuName();             // 右键
const Text& HyperlinkCaption();
const Text& HyperlinkAddress();
// The six rows the list shows at start: column 0 and column 1.
const std::vector<std::array<Text, 2>>& StartRows();

// The fatal error report.
const Text& ErrorTitle();                       // 错误
Text FatalErrorText(const Text& message);       // 运行时出错!... 错误信息：message
const Text& WindowLoadFailedMessage();          // 载入启动窗口失败

}  // namespace pelorin::ui
