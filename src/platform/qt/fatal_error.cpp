#include "platform/qt/fatal_error.h"

#include <QMessageBox>

#include <cstdlib>
#include <iostream>

#include "platform/qt/qt_text.h"
#include "ui/ui_texts.h"

namespace pelorin::qt {

bool DisplayAvailable() {
  auto set = [](const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
  };
  return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

int ReportFatalError(const Text& message, bool withWindow) {
  const Text text = ui::FatalErrorText(message);
  if (withWindow) {
    QMessageBox box(QMessageBox::Critical, FromGbk(ui::ErrorTitle()), FromGbk(text),
                    QMessageBox::Ok);
    box.exec();
  } else {
    std::cerr << Utf8OfGbk(ui::ErrorTitle()) << ": " << Utf8OfGbk(text);
  }
  return -1;
}

}  // namespace pelorin::qt
