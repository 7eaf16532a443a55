// How long the window's thread is busy filling the list with a large answer: the longest
// stretch during which window input would wait. Runs on the offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTreeWidget>

#include <cstdlib>

#include "lookup/lookup_address.h"
#include "lookup/lookup_video.h"
#include "platform/qt/main_window.h"
#include "platform/qt/qt_wait.h"
#include "support/map_inet.h"

namespace pelorin {
namespace {

std::string ManyBlocks(int count) {
  std::string answer = "<root>";
  for (int i = 0; i < count; ++i) {
    answer += "<video><site><![CDATA[site]]></site><playurl><![CDATA[http://p/" + std::to_string(i) +
              "]]></playurl><img><![CDATA[http://img/t.jpg]]></img><title><![CDATA[title " +
              std::to_string(i) + "]]></title><ftype>mp4</ftype><furl><![CDATA[http://f/" +
              std::to_string(i) + ".mp4]]></furl><quality><![CDATA[HD]]></quality>"
              "<seconds>60</seconds><size>9MB</size><time>00:01:00</time></video>";
  }
  return answer + "</root>";
}

// The whole lookup of an answer of `blocks` video blocks; "fill_ms" is the time from the
// thumbnail's arrival to the end, when the window's thread does nothing but fill the list.
void BM_LookupFillsTheList(benchmark::State& state) {
  const int blocks = static_cast<int>(state.range(0));
  testing::MapInet inet;
  const Text page = "http://v.example.com/many";
  inet.Answer(BuildLookupAddress(page, "svc").substr(7), ManyBlocks(blocks));
  qt::QtWaiter waiter;
  WebAccess web(inet, waiter);
  qt::MainWindow window(waiter, page);
  window.show();
  double fillMs = 0;
  QElapsedTimer timer;
  for (auto _ : state) {
    window.SetEditText(page);
    LookupVideo(window, web, "svc");
    QApplication::processEvents();
    state.PauseTiming();
    if (window.List()->topLevelItemCount() != blocks) state.SkipWithError("rows missing");
    state.ResumeTiming();
  }
  // The fill alone, once more, timed directly.
  window.DeleteAllRows();
  timer.start();
  for (int i = 0; i < blocks; ++i) {
    const int row = window.AppendRow("title.mp4");
    for (int column = 1; column < 7; ++column) window.SetCellText(row, column, "cell");
  }
  QApplication::processEvents();  // the rows go into the list here
  fillMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
  state.counters["fill_ms"] = fillMs;
}
BENCHMARK(BM_LookupFillsTheList)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace pelorin

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  ::benchmark::Initialize(&argc, argv);
  ::benchmark::RunSpecifiedBenchmarks();
  return 0;
}
