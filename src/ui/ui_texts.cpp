#include "ui/ui_texts.h"

#include "text/encoding.h"
#include "ui/ui_settings.h"

namespace pelorin::ui {

const Text& ButtonCaption() {
  static const Text text = GbkOfUtf8("获取视频");
  return text;
}

const Text& StartCaption() {
  static const Text text = GbkOfUtf8(
      "URL示例和支持的网站 优酷网 土豆网 酷六网 爱奇艺\r\n"
      "已知支持120个以上视频网站，覆盖大多数国内视频站点，少量国外视频站点\r\n"
      "采用智能解析算法，还能支持一些未知站点，国内支持最多站点的解析软件");
  return text;
}

const std::vector<Text>& MenuItems() {
  static const std::vector<Text> items = {GbkOfUtf8("复制文件名"), GbkOfUtf8("下载"),
                                          GbkOfUtf8("xml格式输出")};
  return items;
}

const Text& MenuName() {
  static const Text text = GbkOfUtf8("右键");
  return text;
}

// The hyperlink and the start rows point at this project's own README.
const Text& HyperlinkCaption() {
  static const Text text = GbkOfUtf8("Pelorin 使用说明");
  return text;
}

const Text& HyperlinkAddress() {
  static const Text text = GbkOfUtf8(settings::ReadmeAddressUtf8);
  return text;
}

const std::vector<std::array<Text, 2>>& StartRows() {
  static const std::vector<std::array<Text, 2>> rows = [] {
    const std::string readme(settings::ReadmeAddressUtf8);
    const std::pair<const char*, const char*> entries[] = {
        {"Pelorin 使用说明", ""},
        {"安装与运行", "#set-up-fresh-debian-12-or-ubuntu"},
        {"命令行工具 pelorin-cli", "#pelorin-cli"},
        {"示例解析服务", "#the-sample-resolving-service"},
        {"可靠性", "#reliability"},
        {"构建设置", "#build-settings"},
    };
    std::vector<std::array<Text, 2>> out;
    for (const auto& [title, anchor] : entries) {
      out.push_back({GbkOfUtf8(title), GbkOfUtf8(readme + anchor)});
    }
    return out;
  }();
  return rows;
}

const Text& ErrorTitle() {
  static const Text text = GbkOfUtf8("错误");
  return text;
}

Text FatalErrorText(const Text& message) {
  static const Text head = GbkOfUtf8("运行时出错!\r\n\r\n");
  static const Text messageLabel = GbkOfUtf8("错误信息：");
  return head + messageLabel + message + "\r\n";
}

const Text& WindowLoadFailedMessage() {
  static const Text text = GbkOfUtf8("载入启动窗口失败");
  return text;
}

}  // namespace pelorin::ui
