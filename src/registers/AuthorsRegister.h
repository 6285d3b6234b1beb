#pragma once

#include <QString>

#include "registers/LookupListEditor.h"

class DataSource;
struct Services;

// The logic behind the authors register: the authors one at a time with the word-list
// counter, two orders, an addition the user confirms or cancels, delete, find over the
// four text fields, and the full name SOMMA ("COGNOME NOME") kept up to date with the
// names the user types. A record the user does not edit is never written: a full name
// that does not follow its names (a row made by another tool, an old import) stays.
//
// While an addition is open every move, delete and closing is refused with a critical
// message; the counter then shows the new author as one past the old count.
class AuthorsRegister {
public:
    enum class Order { ByName, BySurname };

    static QString recordSource(Order order);
    static QString busyMessage();          // a move or delete while adding
    static QString closeRefusedMessage();  // closing while adding
    static QString handOverQuestion();     // "&OK": into the book card?
    // The find criterion over NOME, COGNOME, NAZIONE and NOTE for a typed text.
    static QString criterion(const QString& text);
    static QString fullName(const QString& surname, const QString& name);

    AuthorsRegister(DataSource& source, Services& services);

    // Loads the list by first name (activation) or in the order chosen. Refused (false)
    // while an addition is open: reloading would store the half-typed author.
    bool load(Order order = Order::ByName);

    // Each returns false when refused because an addition is open.
    bool first();
    bool previous();
    bool next();
    bool last();
    bool remove();

    void beginAdd();
    // Stores the new author with its full name; the view ends on it, "count di count".
    // On failure the addition stays open.
    void confirmAdd();
    void cancelAdd();
    bool adding() const { return adding_; }
    // Shows the refusal and returns false while an addition is open.
    bool mayClose();

    bool find(bool fromStart);

    int position() const;
    int count() const;
    QString currentFullName() const;  // SOMMA of the current record; empty without one
    // What the surname box shows for the current record: its surname, or for a row with
    // neither name its full name, so that the author can be seen and edited.
    QString surnameShown() const;
    // Stores a pending edit of the current author; when a name was changed the full name
    // is rebuilt from the names as shown. Moves, finds and reloads do this first.
    void storeEdit();

private:
    static QString surnameShown(const QString& surname, const QString& name, const QString& full);
    bool refuseWhileAdding();

    DataSource& source_;
    Services& services_;
    LookupListEditor counter_;
    bool adding_ = false;
};
