#pragma once

#include <QDialog>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;
struct Services;

// Serch: asks for a text to find and whether to find it from the first record
// ("Inizio") or onward from the current one ("Successivo"). It finds nothing itself:
// "&OK" stores the text as the program-wide search text and hides the prompt, which
// keeps its text and choice for the next time; "&Annulla" (Escape, closing it) ends
// it rejected.
class SearchPrompt : public QDialog {
    Q_OBJECT
public:
    explicit SearchPrompt(Services& services, QWidget* parent = nullptr);

    bool fromStart() const;  // "Inizio" selected
    QString text() const;

private:
    void confirm();

    Services& services_;
    QLabel* label_;
    QLineEdit* text_;
    QRadioButton* fromStart_;
    QRadioButton* onward_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

// Shows the find prompt modally over parent. nullopt when the user cancelled (nothing
// is to be searched); otherwise the search text is stored in services.state and the
// result tells whether to find from the first record. A confirmed prompt is kept,
// hidden, by parent's top-level owner and shown again with its text and choice; a
// cancelled one is discarded, so the next one starts empty with "Successivo".
std::optional<bool> askSearchText(Services& services, QWidget* parent);
