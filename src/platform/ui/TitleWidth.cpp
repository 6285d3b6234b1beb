#include "platform/ui/TitleWidth.h"

#include <QApplication>
#include <QBoxLayout>
#include <QEvent>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGridLayout>
#include <QPointer>
#include <QScreen>
#include <QSpacerItem>
#include <QWidget>

namespace {

// The frame's icon and its minimise, maximise and close buttons, with their padding.
constexpr int kFrameButtons = 110;

int titleWidth(const QWidget* window) {
    // Title bars use the application's font, often in bold.
    QFont font = QApplication::font();
    font.setBold(true);
    const int width = QFontMetrics(font).horizontalAdvance(window->windowTitle()) + kFrameButtons;
    // Never wider than the screen: there a cut title is the lesser harm.
    const QScreen* screen = window->screen();
    return screen ? qMin(width, screen->availableGeometry().width()) : width;
}

// An invisible item as wide as the title, in a row of its own: a spacer takes no spacing
// around it, so the layout keeps its look and any size constraint it puts on the window.
QSpacerItem* addStrut(QLayout* layout) {
    auto* strut = new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Fixed);
    if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
        grid->addItem(strut, grid->rowCount(), 0, 1, grid->columnCount());
    } else if (auto* form = qobject_cast<QFormLayout*>(layout)) {
        form->setItem(form->rowCount(), QFormLayout::SpanningRole, strut);
    } else if (auto* box = qobject_cast<QBoxLayout*>(layout);
               box && (box->direction() == QBoxLayout::TopToBottom ||
                       box->direction() == QBoxLayout::BottomToTop)) {
        box->addSpacerItem(strut);
    } else {
        delete strut;
        return nullptr;
    }
    return strut;
}

class TitleFit : public QObject {
public:
    explicit TitleFit(QWidget* window) : QObject(window), window_(window) {
        layout_ = window->layout();
        strut_ = layout_ ? addStrut(layout_) : nullptr;
        fit();
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::WindowTitleChange)
            fit();
        return false;
    }

private:
    void fit() {
        const int width = titleWidth(window_);
        if (strut_ && layout_) {
            strut_->changeSize(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed);
            layout_->invalidate();
            return;
        }
        if (window_->minimumWidth() >= width)
            return;
        // A window of fixed width stays fixed, only wider.
        if (window_->maximumWidth() < width)
            window_->setMaximumWidth(width);
        window_->setMinimumWidth(width);
    }

    QWidget* window_;
    QPointer<QLayout> layout_;  // a message box replaces its layout when its parts change
    QSpacerItem* strut_ = nullptr;
};

}  // namespace

void fitToTitle(QWidget* window) {
    new TitleFit(window);
}
