// The window program: wiring only. The window's events run the operations of the layers below.
#include <QApplication>
#include <QDir>

#include <new>

#include "lookup/lookup_address.h"
#include "lookup/lookup_video.h"
#include "platform/curl/curl_inet.h"
#include "platform/qt/fatal_error.h"
#include "platform/qt/main_window.h"
#include "platform/qt/qt_wait.h"
#include "ui/list_commands.h"
#include "ui/ui_texts.h"
#include "web/web_request.h"

int main(int argc, char** argv) {
  using namespace pelorin;
  if (!qt::DisplayAvailable()) {
    return qt::ReportFatalError(ui::WindowLoadFailedMessage(), false);
  }
  QApplication app(argc, argv);
  QDir::setCurrent(QCoreApplication::applicationDirPath());
  app.setQuitOnLastWindowClosed(false);  // the window's close ends the program itself

  CurlInet inet;
  qt::QtWaiter waiter;
  WebAccess web(inet, waiter);
  std::unique_ptr<qt::MainWindow> window;
  try {
    window = std::make_unique<qt::MainWindow>(waiter, ExamplePageAddress());
  } catch (const std::bad_alloc&) {
    return qt::ReportFatalError(ui::WindowLoadFailedMessage(), true);
  }
  qt::MainWindow& toolkit = *window;
  toolkit.SetHandlers({
      .buttonClicked = [&] { LookupVideo(toolkit, web); },
      .editPressed = [&] { ClearExampleAddress(toolkit); },
      .editTextChanged = [&] { ClearExampleAddress(toolkit); },
      .listRightClicked = [&] { ShowListMenu(toolkit); },
      // Ends the program once every waiting lookup has unwound (exit ends nested loops too).
      .windowClosed = [] { QCoreApplication::exit(0); },
  });
  toolkit.ShowCentred();
  const int code = app.exec();
  web.Shutdown();
  return code;
}
