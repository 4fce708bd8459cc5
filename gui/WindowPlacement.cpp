#include "gui/WindowPlacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

namespace morvatex {
namespace {

// Until the window system has framed a window: a caption and borders as
// large as common desktops draw them. Too large, it costs a few pixels on a
// screen that is too small anyway, and the real frame corrects it.
constexpr FrameMargins kEstimatedFrame{8, 32, 8, 8};
constexpr char kNaturalSize[] = "morvatexNaturalSize";

WindowPlace PlaceOf(const QRect& rect) { return {rect.x(), rect.y(), rect.width(), rect.height()}; }

// Fits the window when it is shown and, once the window system has shown
// it, again with the real frame.
class ScreenKeeper final : public QObject {
 public:
  explicit ScreenKeeper(QWidget& window) : QObject(&window), window_(window) { window.installEventFilter(this); }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &window_ && event->type() == QEvent::Show) {
      // A window placed by nobody yet opens over the one it belongs to.
      if (!window_.testAttribute(Qt::WA_Moved))
        CentreOnScreen(window_, window_.parentWidget() != nullptr ? window_.parentWidget()->window() : nullptr);
      else
        FitOnScreen(window_);
      if (QWindow* handle = window_.windowHandle(); handle != nullptr && handle != handle_) {
        handle->installEventFilter(this);
        handle_ = handle;
      }
      refitPending_ = true;
    } else if (watched == handle_ && event->type() == QEvent::Expose && refitPending_ && handle_->isExposed()) {
      refitPending_ = false;
      // After the expose is handled, not inside it.
      QTimer::singleShot(0, this, [this] { FitOnScreen(window_); });
    }
    return false;
  }

 private:
  QWidget& window_;
  QPointer<QWindow> handle_;
  bool refitPending_ = false;
};

}  // namespace

std::vector<WindowPlace> AvailableScreenAreas() {
  std::vector<WindowPlace> areas;
  for (const QScreen* screen : QGuiApplication::screens()) areas.push_back(PlaceOf(screen->availableGeometry()));
  return areas;
}

FrameMargins FrameOf(const QWidget& window) {
  if (window.windowFlags().testFlag(Qt::FramelessWindowHint)) return {};
  const QWindow* handle = window.windowHandle();
  if (handle == nullptr || !window.isVisible() || !handle->isExposed()) return kEstimatedFrame;
  const QMargins m = handle->frameMargins();
  return {m.left(), m.top(), m.right(), m.bottom()};
}

void FitOnScreen(QWidget& window) {
  const QSize natural = window.property(kNaturalSize).toSize();
  QRect inner = window.geometry();
  if (natural.isValid()) inner.setSize(natural);
  const FrameMargins frame = FrameOf(window);
  const std::vector<WindowPlace> screens = AvailableScreenAreas();
  WindowPlace placed = FitFrameOnScreens(PlaceOf(inner), frame, screens);
  if (natural.isValid() && (placed.width < natural.width()) != (placed.height < natural.height())) {
    // Scrolling one way, the window makes room for that scroll bar, so as
    // not to scroll the other way too.
    const int bar = window.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &window);
    inner.setSize(natural + (placed.width < natural.width() ? QSize(0, bar) : QSize(bar, 0)));
    placed = FitFrameOnScreens(PlaceOf(inner), frame, screens);
  }
  const QRect target(placed.x, placed.y, placed.width, placed.height);
  if (natural.isValid()) window.setFixedSize(target.size());
  if (target != window.geometry()) window.setGeometry(target);
}

void CentreOnScreen(QWidget& window, const QWidget* over) {
  QRect area;
  if (over != nullptr && over->isVisible()) {
    area = over->frameGeometry();
  } else if (const QScreen* screen = over != nullptr ? over->screen() : window.screen()) {
    area = screen->availableGeometry();
  } else {
    return;
  }
  const QSize natural = window.property(kNaturalSize).toSize();
  if (natural.isValid()) window.setFixedSize(natural);
  const FrameMargins frame = FrameOf(window);
  const int outerWidth = window.width() + frame.left + frame.right;
  const int outerHeight = window.height() + frame.top + frame.bottom;
  window.setGeometry(area.x() + (area.width() - outerWidth) / 2 + frame.left,
                     area.y() + (area.height() - outerHeight) / 2 + frame.top, window.width(), window.height());
  FitOnScreen(window);
}

void KeepOnScreen(QWidget& window) { new ScreenKeeper(window); }

void ScrollWhenTooLarge(QWidget& window) {
  const QSize natural = window.size();
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("windowPage"));
  // The layout takes the widgets it manages along; the others move with
  // their places. Children hidden on purpose stay hidden.
  if (QLayout* layout = window.layout()) page->setLayout(layout);
  for (QObject* child : window.children()) {
    auto* widget = qobject_cast<QWidget*>(child);
    if (widget == nullptr || widget->isWindow() || widget->parentWidget() != &window) continue;
    const QRect place = widget->geometry();
    const bool hidden = widget->isHidden() && widget->testAttribute(Qt::WA_WState_ExplicitShowHide);
    widget->setParent(page);
    widget->setGeometry(place);
    if (hidden) widget->hide();
  }
  page->setFixedSize(natural);
  auto* scroll = new QScrollArea(&window);
  scroll->setObjectName(QStringLiteral("windowScroll"));
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidget(page);
  auto* fill = new QVBoxLayout(&window);
  fill->setContentsMargins(0, 0, 0, 0);
  fill->addWidget(scroll);
  window.setProperty(kNaturalSize, natural);
}

}  // namespace morvatex
