#include "search/ui/SearchInputs.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "platform/ui/WheelGuard.h"

namespace {

QLabel* captionPanel(const QString& text, QWidget* buddy, const char* name) {
    auto* panel = new QLabel(text, buddy->parentWidget());
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setMargin(3);
    panel->setBuddy(buddy);
    return panel;
}

}  // namespace

SearchInputs makeSearchInputs(QWidget* parent) {
    auto* field = new QComboBox(parent);
    field->setObjectName(QStringLiteral("Combo1"));
    field->setAccessibleName(QStringLiteral("Campo di ricerca"));
    field->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    ignoreWheelUnlessFocused(field);  // a passing wheel does not change the field

    auto* text = new QLineEdit(parent);
    text->setObjectName(QStringLiteral("txtExpression"));
    text->setAccessibleName(QStringLiteral("Parola o frase da trovare"));
    text->setMinimumWidth(280);
    return {field, captionPanel(QStringLiteral("Campo di ricerca:"), field, "SSPanel2"), text,
            captionPanel(QStringLiteral("Parola o frase da trovare:"), text, "SSPanel1")};
}
