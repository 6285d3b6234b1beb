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
        }
        row->addWidget(l);
        return l;
    };
    label(QStringLiteral("Cartella"), "Label1", false);
    QLabel* position = label(QStringLiteral("1"), "Label3", true);
    label(QStringLiteral("di"), "Label2", false);
    QLabel* count = label(QString(), "Label4", true);
    return {position, count};
}
