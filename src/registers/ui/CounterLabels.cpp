#include "registers/ui/CounterLabels.h"

#include <QBoxLayout>
#include <QLabel>

CounterLabels addCounterLabels(QBoxLayout* row, QWidget* parent) {
    auto label = [row, parent](const QString& text, const char* name, bool bold) {
        auto* l = new QLabel(text, parent);
        l->setObjectName(QString::fromLatin1(name));
        if (bold) {
            QFont f = l->font();
            f.setBold(true);
            l->setFont(f);
            // The windows are laid out at a fixed size: a number that grew would move every
            // button after it, and the delete button (which asks nothing) would land under
            // the pointer. Room for a million-card count keeps them still.
            l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QStringLiteral("8888888")));
        }
        row->addWidget(l);
        return l;
    };
    label(QStringLiteral("Cartella"), "Label1", false);
    QLabel* position = label(QStringLiteral("1"), "Label3", true);
    label(QStringLiteral("di"), "Label2", false);
    QLabel* count = label(QString(), "Label4", true);
    // The numbers sit against "di", so the spare room falls outside the phrase.
    position->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    count->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return {position, count};
}
