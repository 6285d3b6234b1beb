#include "platform/ui/WindowScaler.h"

#include <QLayout>
#include <QWidget>
#include <cmath>
#include <vector>

namespace {

bool layoutHolds(QLayout* layout, QWidget* w) {
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->widget() == w)
            return true;
        if (item->layout() && layoutHolds(item->layout(), w))
            return true;
    }
    return false;
}

bool managedByLayout(QWidget* w) {
    QWidget* parent = w->parentWidget();
    return parent && parent->layout() && layoutHolds(parent->layout(), w);
}

}  // namespace

void scaleWindow(QWidget* window, float fx, float fy) {
    if (!window || !(fx > 0.0f) || !(fy > 0.0f))
        return;
    window->move(0, 0);
    window->resize(int(std::lround(window->width() * fx)), int(std::lround(window->height() * fy)));

    // Read every size before writing any, so an inherited font is not scaled twice.
    struct Item {
        QWidget* widget;
        double pointSize;
    };
    std::vector<Item> items;
    items.push_back({window, window->font().pointSizeF()});
    for (QWidget* w : window->findChildren<QWidget*>()) {
        // Menus and other windows of their own are not controls of this window.
        if (w->property("tag").toString() == QLatin1String("NO") || w->isWindow())
            continue;
        items.push_back({w, w->font().pointSizeF()});
    }
    for (const Item& it : items) {
        QWidget* w = it.widget;
        if (it.pointSize > 0) {
            QFont f = w->font();
            f.setPointSizeF(it.pointSize * double(fy));
            w->setFont(f);
        }
        if (w != window && !managedByLayout(w)) {
            const QRect g = w->geometry();
            w->setGeometry(int(std::lround(g.x() * fx)), int(std::lround(g.y() * fy)),
                           int(std::lround(g.width() * fx)), int(std::lround(g.height() * fy)));
        }
    }
}
