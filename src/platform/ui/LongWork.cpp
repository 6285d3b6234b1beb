#include "platform/ui/LongWork.h"

#include <QApplication>
#include <QProgressDialog>
#include <algorithm>

#include "platform/core/AppInfo.h"
#include "platform/ui/TitleWidth.h"

namespace {

constexpr int kScale = 1000;

}  // namespace

LongWork::LongWork(QWidget* parent, const QString& label, Cancel cancel)
    : parent_(parent), label_(label), cancel_(cancel) {
    started_.start();
    polled_.start();
}

LongWork::~LongWork() = default;

void LongWork::setLabel(const QString& label) {
    label_ = label;
    if (dialog_)
        dialog_->setLabelText(label);
}

void LongWork::show() {
    dialog_ = std::make_unique<QProgressDialog>(
        label_, cancel_ == Cancel::Allowed ? QStringLiteral("Annulla") : QString(), 0, kScale,
        parent_ ? parent_->window() : nullptr);
    dialog_->setObjectName(QStringLiteral("LongWorkProgress"));
    dialog_->setWindowTitle(AppInfo::title());
    fitToTitle(dialog_.get());
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setMinimumDuration(0);
    dialog_->show();
}

bool LongWork::step(qint64 done, qint64 total) {
    if (dialog_ && dialog_->wasCanceled())
        cancelled_ = true;
    if (cancelled_ || polled_.elapsed() < kPollMilliseconds)
        return !cancelled_;
    polled_.restart();
    if (!dialog_ && started_.elapsed() >= kShowAfterMilliseconds)
        show();
    if (dialog_) {
        // Busy until the work knows its size; a value only when it moves, since every change
        // is an event for the accessibility bus.
        const int value =
            total > 0 ? int(std::clamp<qint64>(done * kScale / total, 0, kScale - 1)) : -1;
        if (value < 0 && dialog_->maximum() != 0)
            dialog_->setRange(0, 0);
        else if (value >= 0 && dialog_->maximum() == 0)
            dialog_->setRange(0, kScale);
        if (value != shownValue_ && value >= 0)
            dialog_->setValue(value);
        shownValue_ = value;
        // The dialog is modal: input reaches only its "Annulla".
        QApplication::processEvents();
    } else {
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    return !cancelled_;
}
