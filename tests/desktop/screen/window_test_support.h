// Real-window helpers shared by the desktop screen tests: reaching a grid's view and cells,
// clicking them as a user would, answering the search dialog, and counting drawn pixels.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <stdexcept>

#include "desktop/dialog_driver.h"
#include "desktop/form_renderer.h"
#include "desktop/form_window.h"
#include "desktop/grid_view.h"
#include "desktop/search_dialog.h"

namespace desktop::testing {

// The busy window of each server call takes the activation away for a moment; the offscreen
// platform does not give it back, a window system would.
inline void activate(QWidget& window) {
  if (!window.isActiveWindow()) QApplication::setActiveWindow(&window);
}

inline GridView& viewOf(FormWindow& window, platform::ui::DBGrid& grid) {
  GridView* view = window.renderer().gridView(grid);
  if (view == nullptr) throw std::logic_error("the grid has no view");
  return *view;
}

inline int columnOf(GridView& view, const char* field) {
  return view.gridModel().modelColumn(view.grid().columnIndexOf(field));
}

// The centre of a cell, scrolled into sight, in the viewport's coordinates.
inline QPoint cellCentre(GridView& view, int row, int column) {
  const QModelIndex index = view.model()->index(row, column);
  view.scrollTo(index);
  QApplication::processEvents();
  activate(*view.window());
  return view.visualRect(index).center();
}

inline void clickCell(GridView& view, int row, int column) {
  QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cellCentre(view, row, column));
  QApplication::processEvents();
}

// The open search dialog, once the timer finds it running.
inline void whenSearchOpens(std::function<void(SearchDialog&)> steps) {
  auto* timer = new QTimer(&waitingAnswerers());
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, steps = std::move(steps)] {
    auto* dialog = dynamic_cast<SearchDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || !dialog->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    steps(*dialog);
  });
  timer->start();
}

// Runs `inspect` on the next modal dialog, then closes it.
inline void onNextDialog(std::function<void(QDialog&)> inspect) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, inspect] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || !dialog->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    inspect(*dialog);
    dialog->reject();
  });
  timer->start();
}

// Pixels of `area` within a small distance of `colour` (antialiased lines blend their edges).
inline int pixelsNear(const QImage& image, const QRect& area, const QColor& colour) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) {
      const QColor p = image.pixelColor(x, y);
      if (std::abs(p.red() - colour.red()) + std::abs(p.green() - colour.green()) +
              std::abs(p.blue() - colour.blue()) <
          40)
        ++count;
    }
  return count;
}

}  // namespace desktop::testing
