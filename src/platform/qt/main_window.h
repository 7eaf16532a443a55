// The main window on Qt Widgets, and the toolkit operations on its controls.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "platform/toolkit.h"

class QBuffer;
class QLabel;
class QLineEdit;
class QMovie;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace pelorin::qt {

class QtWaiter;

class MainWindow : public QWidget, public Toolkit {
 public:
  struct Handlers {
    std::function<void()> buttonClicked;     // 按钮1
    std::function<void()> editPressed;       // 编辑框1, left button, before the box sees it
    std::function<void()> editTextChanged;   // 编辑框1, every change
    std::function<void()> listRightClicked;  // 超级列表框1
    std::function<void()> windowClosed;      // after the window has gone
  };

  MainWindow(QtWaiter& waiter, const Text& exampleAddress);
  ~MainWindow() override;
  void SetHandlers(Handlers handlers) { handlers_ = std::move(handlers); }
  // Shows the window centred with its outer frame at the designed size.
  void ShowCentred();

  bool WindowAlive() const override { return alive_; }
  Text EditText() override;
  void SetEditText(const Text& text) override;
  void SetEditTextColour(std::uint32_t bgr) override;
  void SetLabelCaption(const Text& caption) override;
  void SetPicture(const Bytes& picture) override;
  void DeleteAllRows() override;
  int AppendRow(const Text& firstColumn) override;
  void SetCellText(int row, int column, const Text& text) override;
  Text CellText(int row, int column) override;
  int SelectedRow() override;
  int PopUpMenu(const std::vector<Text>& items) override;
  void PutTextOnClipboard(const Text& text) override;
  void OpenAddress(const Text& address) override;

  QTreeWidget* List() const { return list_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls(const Text& exampleAddress);
  void FlushRows();
  QTreeWidgetItem* Row(int row) const;

  QtWaiter& waiter_;
  Handlers handlers_;
  bool alive_ = true;
  QLabel* hyperlink_ = nullptr;
  QLabel* label_ = nullptr;
  QLabel* picture_ = nullptr;
  QTreeWidget* list_ = nullptr;
  QPushButton* button_ = nullptr;
  QLineEdit* edit_ = nullptr;
  std::vector<QTreeWidgetItem*> pending_;  // appended rows not yet in the list
  std::unique_ptr<QMovie> movie_;
  std::unique_ptr<QBuffer> movieData_;
};

}  // namespace pelorin::qt
