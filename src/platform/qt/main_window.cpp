#include "platform/qt/main_window.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QCloseEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QMovie>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

#include <algorithm>
#include <climits>

#include "platform/qt/picture_decoder.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/qt_wait.h"
#include "ui/ui_texts.h"

namespace pelorin::qt {
namespace {

constexpr int GbkRole = Qt::UserRole + 1;  // a cell's exact GBK bytes

QColor FromBgr(std::uint32_t bgr) {
  return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                static_cast<int>((bgr >> 16) & 0xFF));
}

bool IsAscii(const Text& text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// A cell shows the text; its exact GBK bytes are kept beside it unless the shown text says
// the same (plain ASCII), which spares most cells the extra copy.
void SetCell(QTreeWidgetItem* item, int column, const Text& text) {
  if (IsAscii(text)) {
    item->setText(column, QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    if (item->data(column, GbkRole).isValid()) item->setData(column, GbkRole, QVariant());
  } else {
    item->setText(column, FromGbk(text));
    item->setData(column, GbkRole, QByteArray::fromStdString(text));
  }
}

Text CellOf(const QTreeWidgetItem* item, int column) {
  const QVariant exact = item->data(column, GbkRole);
  if (exact.isValid()) return exact.toByteArray().toStdString();
  return item->text(column).toLatin1().toStdString();
}

QString WithNewLines(const Text& caption) {
  QString text = FromGbk(caption);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return text;
}

}  // namespace

MainWindow::MainWindow(QtWaiter& waiter, const Text& exampleAddress)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint |
                           Qt::CustomizeWindowHint),
      waiter_(waiter) {
  setObjectName(QStringLiteral("Pelorin"));
  setWindowTitle(FromUtf8(ui::WindowCaption));
  setFixedSize(ui::WindowWidth, ui::WindowHeight);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, palette.color(QPalette::Button));
  setPalette(palette);
  setAutoFillBackground(true);
  // The desktop's general font, at the small size the window's layout was drawn for: the
  // label's three lines must fit its 40 pixels.
  QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  font.setPixelSize(11);
  setFont(font);
  // Mouse moves count as input for the wait's time-out, as they do over any window.
  setMouseTracking(true);
  BuildControls(exampleAddress);

  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  escape->setContext(Qt::WindowShortcut);
  connect(escape, &QShortcut::activated, this, &QWidget::close);
}

MainWindow::~MainWindow() { qDeleteAll(pending_); }

void MainWindow::BuildControls(const Text& exampleAddress) {
  const auto& places = ui::Controls;
  auto place = [&](QWidget* widget, std::size_t index) {
    const ui::ControlPlace& p = places[index];
    widget->setObjectName(FromUtf8(p.name));
    widget->setGeometry(p.left, p.top, p.width, p.height);
    widget->setFocusPolicy(p.tabStop ? Qt::StrongFocus : Qt::NoFocus);
    widget->setMouseTracking(true);
  };

  hyperlink_ = new QLabel(this);
  place(hyperlink_, 0);
  hyperlink_->setText(QStringLiteral("<a href=\"%1\" style=\"color:#0000ff\">%2</a>")
                          .arg(FromGbk(ui::HyperlinkAddress()).toHtmlEscaped(),
                               FromGbk(ui::HyperlinkCaption()).toHtmlEscaped()));
  hyperlink_->setTextFormat(Qt::RichText);
  hyperlink_->setAutoFillBackground(true);
  QPalette linkPalette = hyperlink_->palette();
  linkPalette.setColor(QPalette::Window, Qt::white);
  linkPalette.setColor(QPalette::WindowText, Qt::blue);
  hyperlink_->setPalette(linkPalette);
  hyperlink_->setCursor(Qt::PointingHandCursor);
  hyperlink_->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
  connect(hyperlink_, &QLabel::linkActivated, this,
          [](const QString& link) { QDesktopServices::openUrl(QUrl(link)); });

  label_ = new QLabel(this);
  place(label_, 1);
  label_->setWordWrap(true);
  label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label_->setText(WithNewLines(ui::StartCaption()));

  picture_ = new QLabel(this);
  place(picture_, 2);
  picture_->setScaledContents(true);  // any picture fills the whole box

  list_ = new QTreeWidget(this);
  place(list_, 3);
  list_->setColumnCount(static_cast<int>(ui::Columns.size()));
  QStringList titles;
  for (const ui::Column& column : ui::Columns) titles << FromUtf8(column.title);
  list_->setHeaderLabels(titles);
  for (int i = 0; i < static_cast<int>(ui::Columns.size()); ++i) {
    list_->header()->resizeSection(i, ui::Columns[static_cast<std::size_t>(i)].width);
  }
  list_->header()->setStretchLastSection(false);
  list_->header()->setSectionsMovable(false);
  list_->header()->setSortIndicatorShown(false);
  list_->setSortingEnabled(false);
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setItemsExpandable(false);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setAttribute(Qt::WA_Hover, false);
  list_->viewport()->setAttribute(Qt::WA_Hover, false);
  list_->viewport()->setMouseTracking(true);
  QPalette listPalette = list_->palette();
  // The selection shows only while the list has the focus.
  listPalette.setColor(QPalette::Inactive, QPalette::Highlight,
                       listPalette.color(QPalette::Active, QPalette::Base));
  listPalette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                       listPalette.color(QPalette::Active, QPalette::Text));
  list_->setPalette(listPalette);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(list_, &QWidget::customContextMenuRequested, this, [this] {
    if (handlers_.listRightClicked) handlers_.listRightClicked();
  });
  for (const auto& row : ui::StartRows()) {
    const int index = AppendRow(row[0]);
    SetCellText(index, 1, row[1]);
  }
  FlushRows();

  button_ = new QPushButton(FromGbk(ui::ButtonCaption()), this);
  place(button_, 4);
  button_->setAutoDefault(false);
  button_->setDefault(false);
  connect(button_, &QPushButton::clicked, this, [this] {
    if (handlers_.buttonClicked) handlers_.buttonClicked();
  });

  edit_ = new QLineEdit(this);
  place(edit_, 5);
  edit_->setFocusPolicy(Qt::ClickFocus);  // the mouse gives it the focus; Tab never does
  edit_->setMaxLength(INT_MAX);
  SetEditTextColour(ui::ExampleColour);
  edit_->setText(FromGbk(exampleAddress));
  edit_->installEventFilter(this);
  connect(edit_, &QLineEdit::textChanged, this, [this] {
    if (handlers_.editTextChanged) handlers_.editTextChanged();
  });

  // Created in table order; the first in the table is drawn on top.
  for (auto it = places.rbegin(); it != places.rend(); ++it) {
    findChild<QWidget*>(FromUtf8(it->name), Qt::FindDirectChildrenOnly)->raise();
  }
  setTabOrder(list_, button_);
}

void MainWindow::ShowCentred() {
  show();
  button_->setFocus(Qt::OtherFocusReason);
  // Where the window manager draws a frame, the client area shrinks so that the outer size
  // stays as designed.
  QTimer::singleShot(0, this, [this] {
    const QSize frame = frameGeometry().size() - geometry().size();
    if (!frame.isEmpty() || frame.width() > 0 || frame.height() > 0) {
      setFixedSize(ui::WindowWidth - frame.width(), ui::WindowHeight - frame.height());
    }
    if (const QScreen* screen = this->screen()) {
      const QRect area = screen->geometry();
      move(area.x() + (area.width() - ui::WindowWidth) / 2,
           area.y() + (area.height() - ui::WindowHeight) / 2);
    }
  });
  if (const QScreen* screen = this->screen()) {
    const QRect area = screen->geometry();
    move(area.x() + (area.width() - ui::WindowWidth) / 2,
         area.y() + (area.height() - ui::WindowHeight) / 2);
  }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edit_ && event->type() == QEvent::MouseButtonPress &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && handlers_.editPressed) {
    handlers_.editPressed();  // before the box places the caret
  }
  return QWidget::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // The window goes at once; lookups still waiting give up and find it gone when they return.
  alive_ = false;
  event->accept();
  hide();
  if (movie_) movie_->stop();
  waiter_.AbortAll();
  if (handlers_.windowClosed) handlers_.windowClosed();
}

Text MainWindow::EditText() { return alive_ ? ToGbk(edit_->text()) : Text(); }

void MainWindow::SetEditText(const Text& text) {
  if (alive_) edit_->setText(FromGbk(text));  // textChanged runs the handler before returning
}

void MainWindow::SetEditTextColour(std::uint32_t bgr) {
  if (!alive_) return;
  QPalette palette = edit_->palette();
  palette.setColor(QPalette::Text, FromBgr(bgr));
  edit_->setPalette(palette);
}

void MainWindow::SetLabelCaption(const Text& caption) {
  if (alive_) label_->setText(WithNewLines(caption));
}

void MainWindow::SetPicture(const Bytes& bytes) {
  if (!alive_) return;
  if (movie_) movie_->stop();
  picture_->setMovie(nullptr);
  movie_.reset();
  movieData_.reset();
  DecodedPicture decoded = DecodePicture(bytes);
  if (decoded.animated) {
    movieData_ = std::make_unique<QBuffer>();
    movieData_->setData(decoded.data);
    movieData_->open(QIODevice::ReadOnly);
    movie_ = std::make_unique<QMovie>(movieData_.get(), QByteArray("GIF"));
    movie_->setScaledSize(picture_->size());
    picture_->setMovie(movie_.get());
    movie_->start();
  } else if (!decoded.image.isNull()) {
    picture_->setPixmap(QPixmap::fromImage(decoded.image));
  } else {
    picture_->clear();
  }
}

void MainWindow::DeleteAllRows() {
  if (!alive_) return;
  qDeleteAll(pending_);
  pending_.clear();
  list_->clear();
}

// New rows wait outside the list and go in together once the current handler is done: a
// large answer then costs one insertion instead of one per row and cell, and the window
// answers input again almost at once.
int MainWindow::AppendRow(const Text& firstColumn) {
  if (!alive_) return -1;
  auto* item = new QTreeWidgetItem();
  item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren);
  SetCell(item, 0, firstColumn);
  pending_.push_back(item);
  if (pending_.size() == 1) QTimer::singleShot(0, this, [this] { FlushRows(); });
  return list_->topLevelItemCount() + static_cast<int>(pending_.size()) - 1;
}

void MainWindow::FlushRows() {
  if (pending_.empty()) return;
  QList<QTreeWidgetItem*> items(pending_.begin(), pending_.end());
  pending_.clear();
  list_->addTopLevelItems(items);
}

QTreeWidgetItem* MainWindow::Row(int row) const {
  if (row < 0) return nullptr;
  const int inList = list_->topLevelItemCount();
  if (row < inList) return list_->topLevelItem(row);
  const auto index = static_cast<std::size_t>(row - inList);
  return index < pending_.size() ? pending_[index] : nullptr;
}

void MainWindow::SetCellText(int row, int column, const Text& text) {
  if (!alive_ || column < 0 || column >= list_->columnCount()) return;
  QTreeWidgetItem* item = Row(row);
  if (item == nullptr) return;
  SetCell(item, column, text);
}

Text MainWindow::CellText(int row, int column) {
  if (!alive_ || column < 0 || column >= list_->columnCount()) return {};
  QTreeWidgetItem* item = Row(row);
  if (item == nullptr) return {};
  return CellOf(item, column);
}

int MainWindow::SelectedRow() {
  if (!alive_) return -1;
  const QList<QTreeWidgetItem*> selected = list_->selectedItems();
  if (selected.isEmpty()) return -1;
  return list_->indexOfTopLevelItem(selected.first());
}

int MainWindow::PopUpMenu(const std::vector<Text>& items) {
  if (!alive_) return -1;
  FlushRows();
  QMenu menu(this);
  menu.setObjectName(FromGbk(ui::MenuName()));
  std::vector<QAction*> actions;
  for (const Text& item : items) actions.push_back(menu.addAction(FromGbk(item)));
  QAction* chosen = menu.exec(QCursor::pos() + QPoint(3, 3));
  for (std::size_t i = 0; i < actions.size(); ++i) {
    if (actions[i] == chosen) return static_cast<int>(i);
  }
  return -1;
}

void MainWindow::PutTextOnClipboard(const Text& text) {
  if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(FromGbk(text));
}

void MainWindow::OpenAddress(const Text& address) {
  QDesktopServices::openUrl(QUrl(FromGbk(address), QUrl::TolerantMode));
}

}  // namespace pelorin::qt
