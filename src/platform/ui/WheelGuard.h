#pragma once

class QWidget;

// A wheel turned over a combo or a tab bar that the user has not clicked into would
// change its value (a card field, the archive shown) unseen. Such a wheel goes to the
// widget's parent instead, as if the widget were not there.
void ignoreWheelUnlessFocused(QWidget* widget);
// The same for every wheel: a tab bar's archives change only by a click or a key.
void ignoreWheel(QWidget* widget);
