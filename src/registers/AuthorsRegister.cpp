#include "registers/AuthorsRegister.h"

#include "platform/core/AppState.h"
#include "platform/db/Criteria.h"
#include "platform/db/DataSource.h"
#include "platform/db/Database.h"
#include "platform/db/RecordSet.h"
#include "platform/services/MessageService.h"
#include "platform/services/Services.h"

namespace {

const QString kName = QStringLiteral("NOME");
const QString kSurname = QStringLiteral("COGNOME");
const QString kFullName = QStringLiteral("SOMMA");

}  // namespace

QString AuthorsRegister::recordSource(Order order) {
    return order == Order::ByName
               ? QStringLiteral("Select autori.* from Autori order by Autori.Nome")
               : QStringLiteral("Select autori.* from Autori order by Autori.Cognome");
}

QString AuthorsRegister::busyMessage() {
    return QStringLiteral(
        "Impossibile eseguire questa operazione su questa cartella. Confermare prima il suo "
        "inserimento.");
}

QString AuthorsRegister::closeRefusedMessage() {
    return QStringLiteral(
        "Impossibile uscire da questa finestra. Confermare prima l'inserimento della nuova "
        "cartella.");
}

QString AuthorsRegister::handOverQuestion() {
    return QStringLiteral("Si desidera inserire l'autore corrente nella scheda Biblioteca?");
}

QString AuthorsRegister::criterion(const QString& text) {
    // The pieces join with nothing between a closing quote and the next OR.
    const QString pattern = Criteria::quotedContainsPattern(text);
    QString result;
    for (const char* field : {"NOME", "COGNOME", "NAZIONE", "NOTE"}) {
        if (!result.isEmpty())
            result += QStringLiteral("OR ");
        result += QString::fromLatin1(field) + QStringLiteral(" LIKE ") + pattern;
    }
    return result;
}

QString AuthorsRegister::fullName(const QString& surname, const QString& name) {
    return surname + QLatin1Char(' ') + name;
}

AuthorsRegister::AuthorsRegister(DataSource& source, Services& services)
    : source_(source), services_(services), counter_(source, services) {}

bool AuthorsRegister::load(Order order) {
    if (refuseWhileAdding())
        return false;
    storeEdit();  // the reload would drop it
    counter_.setList({QStringLiteral("AUTORI"), recordSource(order), kFullName});
    source_.refresh();
    counter_.setUp();
    return true;
}

bool AuthorsRegister::refuseWhileAdding() {
    if (adding_)
        services_.messages.critical(busyMessage());
    return adding_;
}

bool AuthorsRegister::first() {
    if (refuseWhileAdding())
        return false;
    storeEdit();
    counter_.first();
    return true;
}

bool AuthorsRegister::previous() {
    if (refuseWhileAdding())
        return false;
    storeEdit();
    counter_.previous();
    return true;
}

bool AuthorsRegister::next() {
    if (refuseWhileAdding())
        return false;
    storeEdit();
    counter_.next();
    return true;
}

bool AuthorsRegister::last() {
    if (refuseWhileAdding())
        return false;
    storeEdit();
    counter_.last();
    return true;
}

bool AuthorsRegister::remove() {
    if (refuseWhileAdding())
        return false;
    return counter_.remove();
}

QString AuthorsRegister::surnameShown(const QString& surname, const QString& name,
                                      const QString& full) {
    return surname.isEmpty() && name.isEmpty() ? full : surname;
}

QString AuthorsRegister::surnameShown() const {
    if (!source_.isOpen())
        return {};
    RecordSet& records = source_.recordset();
    if (!records.hasCurrent())
        return {};
    return surnameShown(records.value(kSurname).toString(), records.value(kName).toString(),
                        records.value(kFullName).toString());
}

void AuthorsRegister::storeEdit() {
    if (!source_.isOpen())
        return;
    RecordSet& records = source_.recordset();
    if (records.editMode() != RecordSet::EditMode::Edit)
        return;
    // The full name follows the names only when the user changed one of them: a row whose
    // full name was written by someone else keeps it while it is merely looked at.
    const bool surnameEdited = records.isEdited(kSurname);
    if (surnameEdited || records.isEdited(kName)) {
        if (!surnameEdited) {
            // The surname box showed what is stored (for a row known only by its full name,
            // that name), so the surname is what the user saw there.
            const QList<QVariantList> stored = source_.database().query(
                QStringLiteral("SELECT COGNOME, NOME, SOMMA FROM AUTORI WHERE rowid = ?"),
                {records.bookmark()});
            if (!stored.isEmpty())
                records.setValue(kSurname,
                                 surnameShown(stored[0][0].toString(), stored[0][1].toString(),
                                              stored[0][2].toString()));
        }
        records.setValue(kFullName, fullName(records.value(kSurname).toString(),
                                             records.value(kName).toString()));
    }
    records.update();
    source_.notifyCurrentChanged();
}

void AuthorsRegister::beginAdd() {
    last();
    source_.recordset().addNew();
    source_.notifyCurrentChanged();
    adding_ = true;
}

void AuthorsRegister::confirmAdd() {
    RecordSet& records = source_.recordset();
    records.setValue(kFullName,
                     fullName(records.value(kSurname).toString(), records.value(kName).toString()));
    // The first move stores the new author, who joins the end of the set.
    counter_.first();
    counter_.last();
    counter_.recount();
    adding_ = false;
}

void AuthorsRegister::cancelAdd() {
    source_.recordset().cancelUpdate();
    source_.notifyCurrentChanged();
    adding_ = false;
}

bool AuthorsRegister::mayClose() {
    if (adding_)
        services_.messages.critical(closeRefusedMessage());
    return !adding_;
}

bool AuthorsRegister::find(bool fromStart) {
    storeEdit();
    return counter_.find(criterion(services_.state.searchText), fromStart);
}

int AuthorsRegister::position() const {
    return adding_ ? counter_.count() + 1 : counter_.position();
}

int AuthorsRegister::count() const {
    return adding_ ? counter_.count() + 1 : counter_.count();
}

QString AuthorsRegister::currentFullName() const {
    RecordSet& records = source_.recordset();
    if (!records.hasCurrent())
        return {};
    return records.value(kFullName).toString();
}
