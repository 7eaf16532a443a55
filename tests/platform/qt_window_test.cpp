// The window on Qt, offscreen: its controls as designed, its events, its picture box, the wait.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMovie>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <thread>

#include "lookup/lookup_address.h"
#include "lookup/lookup_video.h"
#include "platform/qt/main_window.h"
#include "platform/qt/picture_decoder.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/qt_wait.h"
#include "support/fake_inet.h"
#include "support/map_inet.h"
#include "support/gbk.h"
#include "ui/list_commands.h"
#include "ui/ui_texts.h"

namespace pelorin::qt {
namespace {

using pelorin::testing::G;
using namespace std::chrono_literals;

class WindowTest : public ::testing::Test {
 protected:
  QtWaiter waiter;
  MainWindow window{waiter, ExamplePageAddress()};
  int lookups = 0;

  void SetUp() override {
    window.SetHandlers({
        .buttonClicked = [this] { ++lookups; },
        .editPressed = [this] { ClearExampleAddress(window); },
        .editTextChanged = [this] { ClearExampleAddress(window); },
        .listRightClicked = nullptr,
        .windowClosed = nullptr,
    });
    window.ShowCentred();
    QApplication::processEvents();
  }
  template <typename T>
  T* Control(std::string_view name) {
    return window.findChild<T*>(FromUtf8(name));
  }
};

TEST_F(WindowTest, ControlsStandWhereTheTableSays) {
  EXPECT_EQ(window.windowTitle(), "Pelorin");
  for (const ui::ControlPlace& place : ui::Controls) {
    QWidget* control = Control<QWidget>(place.name);
    ASSERT_NE(control, nullptr) << place.name;
    EXPECT_EQ(control->geometry(), QRect(place.left, place.top, place.width, place.height))
        << place.name;
    EXPECT_EQ((control->focusPolicy() & Qt::TabFocus) != 0, place.tabStop) << place.name;
  }
  // The first in the table is drawn on top: the hyperlink over the list's corner.
  EXPECT_EQ(window.childAt(460, 290), Control<QWidget>(ui::HyperlinkName));
  // Only the lower 92 rows of the picture box are inside the window.
  EXPECT_EQ(Control<QWidget>(ui::PictureName)->geometry().intersected(window.rect()).height(), 92);
}

TEST_F(WindowTest, StartState) {
  auto* edit = Control<QLineEdit>(ui::EditName);
  EXPECT_EQ(ToGbk(edit->text()), ExamplePageAddress());
  EXPECT_EQ(edit->palette().color(QPalette::Text), QColor(192, 192, 192));
  EXPECT_EQ(ToGbk(Control<QLabel>(ui::LabelName)->text()).find(G("URL示例")), 0u);
  auto* button = Control<QPushButton>(ui::ButtonName);
  EXPECT_EQ(button->text(), QString::fromUtf8("获取视频"));
  EXPECT_FALSE(button->isDefault());
  EXPECT_FALSE(button->autoDefault());
  EXPECT_EQ(QApplication::focusWidget(), button);
  auto* list = window.List();
  ASSERT_EQ(list->columnCount(), 7);
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(list->headerItem()->text(i), FromUtf8(ui::Columns[static_cast<std::size_t>(i)].title));
    EXPECT_EQ(list->header()->sectionSize(i), ui::Columns[static_cast<std::size_t>(i)].width);
  }
  EXPECT_EQ(list->topLevelItemCount(), 6);
  EXPECT_EQ(window.SelectedRow(), -1);
  EXPECT_EQ(window.CellText(0, 1), ui::HyperlinkAddress());
  EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
  EXPECT_FALSE(list->isSortingEnabled());
  // Tab moves between the list and the button only.
  QApplication::setActiveWindow(&window);
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), button);
  QTest::keyClick(button, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), list);
  QTest::keyClick(list, Qt::Key_Backtab);
  EXPECT_EQ(QApplication::focusWidget(), button);
  EXPECT_EQ(edit->focusPolicy(), Qt::ClickFocus);
}

TEST_F(WindowTest, FirstClickIntoTheBoxEmptiesTheExample) {
  auto* edit = Control<QLineEdit>(ui::EditName);
  QTest::mouseClick(edit, Qt::LeftButton);
  EXPECT_EQ(edit->text(), "");
  EXPECT_EQ(edit->palette().color(QPalette::Text), QColor(0, 0, 0));
  QTest::keyClicks(edit, "http://v/1");
  EXPECT_EQ(edit->text(), "http://v/1");
  edit->setText(FromGbk(ExamplePageAddress()));  // pasted back: emptied at once
  EXPECT_EQ(edit->text(), "");
}

TEST_F(WindowTest, EnterStartsNoLookupAndEscapeClosesTheWindow) {
  auto* edit = Control<QLineEdit>(ui::EditName);
  QTest::mouseClick(edit, Qt::LeftButton);
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(lookups, 0);
  QTest::mouseClick(Control<QPushButton>(ui::ButtonName), Qt::LeftButton);
  EXPECT_EQ(lookups, 1);
  QTest::keyClick(edit, Qt::Key_Escape);
  EXPECT_FALSE(window.WindowAlive());
  EXPECT_FALSE(window.isVisible());
}

TEST_F(WindowTest, ListOperationsKeepExactGbkAndIgnoreMissingRows) {
  window.DeleteAllRows();
  const Text name = G("片名") + "\xFF";  // a byte that is not GBK still comes back exactly
  const int row = window.AppendRow(name);
  window.SetCellText(row, 6, "http://p/1");
  window.SetCellText(5, 1, "ignored");
  EXPECT_EQ(window.CellText(row, 0), name);
  EXPECT_EQ(window.CellText(row, 6), "http://p/1");
  EXPECT_EQ(window.CellText(-1, 0), "");
  QApplication::processEvents();  // appended rows join the list once the handler is done
  EXPECT_EQ(window.List()->topLevelItemCount(), 1);
  window.List()->setCurrentItem(window.List()->topLevelItem(0));
  EXPECT_EQ(window.SelectedRow(), 0);
}

TEST_F(WindowTest, ClipboardHoldsTheNameAsText) {
  window.PutTextOnClipboard(G("片名.mp4"));
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("片名.mp4"));
}

TEST_F(WindowTest, PictureFillsTheBoxAndUnreadableBytesRemoveIt) {
  QImage image(10, 30, QImage::Format_RGB32);
  image.fill(Qt::red);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  auto* picture = Control<QLabel>(ui::PictureName);
  window.SetPicture(Bytes(png.toStdString()));
  EXPECT_FALSE(picture->pixmap().isNull());
  EXPECT_TRUE(picture->hasScaledContents());
  window.SetPicture(Bytes(std::string("garbage bytes")));
  EXPECT_TRUE(picture->pixmap().isNull());
}

QByteArray Encoded(const char* format, int width = 8, int height = 6) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(QColor(10, 200, 30));
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format);
  return data;
}

// An 8-bit PCX of `width` x 2 with a 256-colour palette, run-length encoded.
QByteArray Pcx(int width) {
  QByteArray data(128, '\0');
  data[0] = 0x0A;
  data[1] = 5;
  data[2] = 1;
  data[3] = 8;
  data[8] = static_cast<char>(width - 1);
  data[10] = 1;
  data[65] = 1;
  data[66] = static_cast<char>(width);
  for (int y = 0; y < 2; ++y) {
    data.append(static_cast<char>(0xC0 | width));
    data.append(static_cast<char>(1));
  }
  data.append(static_cast<char>(0x0C));
  QByteArray palette(768, '\0');
  palette[3] = static_cast<char>(255);  // colour 1 is red
  data.append(palette);
  return data;
}

QByteArray FromHex(const char* hex) { return QByteArray::fromHex(hex); }

const char* AnimatedGif =
    "47494638396104000400f00000ff000000000021f904000a00000021ff0b4e45545343415045322e"
    "3003010000002c0000000004000400000204848f09050021f904000a0000002c0000000004000400"
    "800000ff0000000204848f0905003b";
const char* SingleGif =
    "47494638396104000400f0000000800000000021f90400000000002c0000000004000400000204848f0905003b";

TEST(PictureDecoderTest, KindByFirstBytes) {
  struct Case {
    const char* name;
    QByteArray data;
    bool decodes;
    bool animated;
  };
  QByteArray jpeg = Encoded("JPG", 40, 30);
  QByteArray hugeGif = FromHex(SingleGif);
  hugeGif[6] = hugeGif[7] = hugeGif[8] = hugeGif[9] = static_cast<char>(0xFF);
  hugeGif[hugeGif.indexOf(',') + 5] = static_cast<char>(0xFF);
  QByteArray lyingBmp = Encoded("BMP");
  lyingBmp[18] = lyingBmp[19] = lyingBmp[20] = static_cast<char>(0x7F);  // width: huge
  const Case cases[] = {
      {"Jpeg", jpeg, true, false},
      {"TruncatedJpeg", jpeg.left(jpeg.size() / 2), false, false},
      {"Bmp", Encoded("BMP"), true, false},
      {"BmpLyingAboutItsSize", lyingBmp, false, false},
      {"Png", Encoded("PNG"), true, false},
      {"Icon", Encoded("ICO", 16, 16), true, false},
      {"Gif", FromHex(SingleGif), true, false},
      {"AnimatedGif", FromHex(AnimatedGif), true, true},
      {"GifWithHugeDeclaredSize", hugeGif, false, false},
      {"Pcx", Pcx(5), true, false},
      {"PcxCutShort", Pcx(5).left(131), false, false},
      {"Empty", QByteArray(), false, false},
      {"FiveBytes", QByteArray("BM\0\0\0", 5), false, false},
      {"Unknown", QByteArray("<html>not a picture</html>"), false, false},
  };
  for (const Case& c : cases) {
    DecodedPicture picture = DecodePicture(Bytes(c.data.toStdString()));
    EXPECT_EQ(!picture.image.isNull(), c.decodes) << c.name;
    EXPECT_EQ(picture.animated, c.animated) << c.name;
  }
  QImage decoded = DecodeJpeg(reinterpret_cast<const unsigned char*>(jpeg.constData()),
                              static_cast<std::size_t>(jpeg.size()));
  EXPECT_EQ(decoded.size(), QSize(40, 30));
  const QColor centre = decoded.pixelColor(20, 15);
  EXPECT_NEAR(centre.green(), 200, 8);
  const QImage pcx = DecodePcx(reinterpret_cast<const unsigned char*>(Pcx(5).constData()),
                               static_cast<std::size_t>(Pcx(5).size()));
  EXPECT_EQ(pcx.size(), QSize(5, 2));
  EXPECT_EQ(pcx.pixelColor(4, 1), QColor(255, 0, 0));
}

// A worker that ends after a given time, on a thread of its own.
struct TimedWorker {
  WorkDone done;
  std::thread thread;
  explicit TimedWorker(std::chrono::milliseconds after)
      : thread([this, after] {
          std::this_thread::sleep_for(after);
          done.Signal();
        }) {}
  ~TimedWorker() { thread.join(); }
};

TEST(QtWaiterTest, EndsWithTheWorkerOrTheTimeOut) {
  QtWaiter waiter;
  TimedWorker quick(20ms);
  EXPECT_EQ(waiter.Wait(quick.done, 5000ms), WaitResult::WorkerEnded);
  TimedWorker slow(1500ms);
  EXPECT_EQ(waiter.Wait(slow.done, 100ms), WaitResult::TimedOut);
}

TEST(QtWaiterTest, WindowInputRestartsTheTimeOut) {
  QtWaiter waiter;
  QWidget target;
  target.show();
  TimedWorker worker(700ms);
  QTimer input;
  QObject::connect(&input, &QTimer::timeout, &target,
                   [&] { QTest::keyClick(&target, Qt::Key_Shift); });
  input.start(50);
  // 300 ms without input would give up; keys every 50 ms keep it waiting for the worker.
  EXPECT_EQ(waiter.Wait(worker.done, 300ms), WaitResult::WorkerEnded);
}

TEST(QtWaiterTest, NestedWaitRunsToItsEndThenTheOuterGoesOn) {
  QtWaiter waiter;
  TimedWorker outer(100ms);
  WaitResult inner = WaitResult::Failed;
  QTimer::singleShot(10, [&] {
    TimedWorker innerWorker(300ms);
    inner = waiter.Wait(innerWorker.done, 5000ms);
  });
  EXPECT_EQ(waiter.Wait(outer.done, 5000ms), WaitResult::WorkerEnded);
  EXPECT_EQ(inner, WaitResult::WorkerEnded);
  EXPECT_EQ(waiter.Depth(), 0u);
}

TEST(QtWaiterTest, AbortEndsEveryWaitAsFailed) {
  QtWaiter waiter;
  TimedWorker worker(500ms);
  QTimer::singleShot(20, [&] { waiter.AbortAll(); });
  EXPECT_EQ(waiter.Wait(worker.done, 5000ms), WaitResult::Failed);
  EXPECT_EQ(waiter.Wait(worker.done, 5000ms), WaitResult::Failed);
}

TEST(WindowCloseTest, ClosingWhileALookupWaitsEndsItAtOnce) {
  QtWaiter waiter;
  pelorin::testing::StallingInet inet;
  WebAccess web(inet, waiter);
  MainWindow window(waiter, ExamplePageAddress());
  window.ShowCentred();
  QTimer::singleShot(50, &window, [&] { window.close(); });
  const auto start = std::chrono::steady_clock::now();
  const LookupOutcome outcome = LookupVideo(window, web);
  EXPECT_STREQ(outcome.status, "WindowClosed");
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_FALSE(window.isVisible());
  web.Shutdown(5000ms);
  EXPECT_EQ(web.AbandonedCount(), 0u);
}

}  // namespace
}  // namespace pelorin::qt

namespace pelorin::qt {
namespace {

TEST_F(WindowTest, PastedTextOutsideGbkBecomesQuestionMarksAndAMegabyteIsKept) {
  auto* edit = Control<QLineEdit>(ui::EditName);
  QTest::mouseClick(edit, Qt::LeftButton);
  // A character GBK lacks cannot travel in a GBK text: it becomes "?" and the rest stays, so
  // the lookup asks for what the user pasted, less that character, and reports not found.
  edit->setText(QString::fromUtf8("http://v/视频\xF0\x9F\x98\x80x"));
  EXPECT_EQ(window.EditText(), G("http://v/视频") + "?x");
  const QString big = QString(1 << 20, QChar('a')) + QString::fromUtf8("视频");
  edit->setText(big);
  EXPECT_EQ(window.EditText().size(), (1u << 20) + 4);
}

// Answers after a little while, as a real service does, so that clicks land inside the waits.
class SlowMapInet : public pelorin::testing::MapInet {
 public:
  bool SendRequest(InetHandle request, const char* h, std::size_t hl, const char* b,
                   std::size_t bl) override {
    std::this_thread::sleep_for(30ms);
    return MapInet::SendRequest(request, h, hl, b, bl);
  }
};

std::string TwoBlocks() {
  return "<root><video><img><![CDATA[http://img/t.jpg]]></img><title><![CDATA[one]]></title>"
         "<ftype>mp4</ftype><furl><![CDATA[http://f/1]]></furl></video><video><title>"
         "<![CDATA[two]]></title><ftype>mp4</ftype><furl><![CDATA[http://f/2]]></furl></video></root>";
}

TEST(ManyClicksTest, ClicksWhileALookupWaitsNestAndEndConsistent) {
  SlowMapInet inet;
  const Text page = "http://v.example.com/p";
  inet.Answer(BuildLookupAddress(page, "svc").substr(7), TwoBlocks());
  QtWaiter waiter;
  WebAccess web(inet, waiter);
  MainWindow window(waiter, page);
  int started = 0;
  window.SetHandlers({.buttonClicked = [&] {
                        ++started;
                        LookupVideo(window, web, "svc");
                      },
                      .editPressed = nullptr,
                      .editTextChanged = nullptr,
                      .listRightClicked = nullptr,
                      .windowClosed = nullptr});
  window.ShowCentred();
  auto* button = window.findChild<QPushButton*>(FromUtf8(ui::ButtonName));
  int clicks = 0;
  QTimer clicker;
  QObject::connect(&clicker, &QTimer::timeout, [&] {
    if (++clicks <= 10) QTest::mouseClick(button, Qt::LeftButton);
  });
  clicker.start(10);
  QTest::mouseClick(button, Qt::LeftButton);
  clicker.stop();
  QApplication::processEvents();
  EXPECT_GT(started, 1);
  const int rows = window.List()->topLevelItemCount();
  EXPECT_EQ(rows % 2, 0);
  EXPECT_GE(rows, 2);
  for (int row = 0; row < rows; ++row) {
    EXPECT_EQ(window.CellText(row, 0), row % 2 == 0 ? "one.mp4" : "two.mp4") << row;
  }
  EXPECT_EQ(ToGbk(window.findChild<QLabel*>(FromUtf8(ui::LabelName))->text()), "one.mp4");
  web.Shutdown(5000ms);
  EXPECT_EQ(web.AbandonedCount(), 0u);
}

TEST(LargeAnswerTest, HundredThousandBlocksFillTheList) {
  pelorin::testing::MapInet inet;
  const Text page = "http://v.example.com/many";
  std::string answer = "<root>";
  for (int i = 0; i < 100000; ++i) {
    answer += "<video><title><![CDATA[t" + std::to_string(i) + "]]></title><ftype>mp4</ftype></video>";
  }
  inet.Answer(BuildLookupAddress(page, "svc").substr(7), answer + "</root>");
  QtWaiter waiter;
  WebAccess web(inet, waiter);
  MainWindow window(waiter, page);
  window.ShowCentred();
  LookupVideo(window, web, "svc");
  QApplication::processEvents();
  ASSERT_EQ(window.List()->topLevelItemCount(), 100000);
  EXPECT_EQ(window.CellText(99999, 0), "t99999.mp4");
}

}  // namespace
}  // namespace pelorin::qt
