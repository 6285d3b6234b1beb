#include "shell/Tools.h"

namespace {

QString s(const char* t) {
    return QString::fromUtf8(t);
}

ToolPlace place(const char* id, const char* caption) {
    return {s(id), s(caption), {}};
}
ToolPlace sep() {
    return {};
}

}  // namespace

ToolSet::ToolSet() {
    const char* table[][2] = {
        {"ID_MENU", "MENU"},
        {"ID_STRUMENTI", "STRUMENTI"},
        {"ID_HELP", "HELP"},
        {"ID_Aggiungi", "Aggiungi Cartella"},
        {"ID_Elimina", "Elimina Cartella"},
        {"ID_RicercaconStampaStrutturata", "Ricerca con Stampa Strutturata"},
        {"ID_GraficiStatistici", "Grafici Statistici"},
        {"ID_Uscita", "Uscita"},
        {"ID_First", "Primo"},
        {"ID_Previous", "Precedente"},
        {"ID_Next", "Successivo"},
        {"ID_Last", "Ultimo"},
        {"ID_Conferma", "Conferma"},
        {"ID_BackupDati", "Backup Dati"},
        {"ID_RipristinoDati", "Ripristino Dati"},
        {"ID_CompattamentoDati", "Compattamento Dati"},
        {"ID_RecuperoDati", "Recupero Dati"},
        {"ID_Configurazione", "Configurazione..."},
        {"ID_ManutenzionePassword", "Manutenzione Password"},
        {"ID_ImportaSchede", "Importa schede..."},
        {"ID_EsportaSchede", "Esporta schede..."},
        {"ID_AnteprimadiStampa", "Anteprima di Stampa"},
        {"ID_StampaSemplice", "Stampa..."},
        {"ID_RicercaSemplice", "Ricerca Semplice"},
        {"ID_ParoleChiavi", "Parole Chiavi"},
        {"ID_GuidainLinea", "Guida in Linea"},
        {"ID_IndicedellaGuida", "Indice della Guida"},
        {"ID_SupportoProdotto", "Supporto Prodotto"},
        {"ID_BrenvatisulWEB", "Brenvati sul WEB"},
        {"ID_HomePage", "Home Page"},
        {"ID_PostaElettronica", "Posta Elettronica"},
        {"ID_InfoSistema", "Info Sistema"},
        {"ID_InfoVersione", "Info Versione"},
        {"ID_Gioca", "Gioca"},
    };
    for (const auto& row : table)
        tools_.push_back({s(row[0]), s(row[1]), true, true});
    setVisible(QStringLiteral("ID_Conferma"), false);
}

Tool* ToolSet::findMutable(const QString& id) {
    for (Tool& t : tools_)
        if (t.id.compare(id, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

const Tool* ToolSet::find(const QString& id) const {
    return const_cast<ToolSet*>(this)->findMutable(id);
}

void ToolSet::setEnabled(const QString& id, bool enabled) {
    if (Tool* t = findMutable(id))
        t->enabled = enabled;
}

void ToolSet::setVisible(const QString& id, bool visible) {
    if (Tool* t = findMutable(id))
        t->visible = visible;
}

bool ToolSet::isEnabled(const QString& id) const {
    const Tool* t = find(id);
    return t && t->enabled;
}

bool ToolSet::isVisible(const QString& id) const {
    const Tool* t = find(id);
    return t && t->visible;
}

QStringList ToolSet::cardCommandIds() {
    return {s("ID_Menu"),
            s("ID_Strumenti"),
            s("ID_Help"),
            s("ID_Aggiungi"),
            s("ID_Elimina"),
            s("ID_RicercaconStampaStrutturata"),
            s("ID_GraficiStatistici"),
            s("ID_First"),
            s("ID_Previous"),
            s("ID_Next"),
            s("ID_Last")};
}

void ToolSet::setCardCommandsEnabled(bool enabled) {
    for (const QString& id : cardCommandIds())
        setEnabled(id, enabled);
}

std::vector<ToolPlace> ToolSet::menuBar() {
    ToolPlace menu = place("ID_MENU", "MENU");
    menu.submenu = {place("ID_Aggiungi", "Aggiungi Cartella"),
                    place("ID_Elimina", "Elimina Cartella"),
                    sep(),
                    place("ID_BackupDati", "Backup Dati"),
                    place("ID_RipristinoDati", "Ripristino Dati"),
                    place("ID_CompattamentoDati", "Compattamento Dati"),
                    place("ID_RecuperoDati", "Recupero Dati"),
                    sep(),
                    place("ID_Configurazione", "Configurazione..."),
                    place("ID_ManutenzionePassword", "Manutenzione Password"),
                    sep(),
                    place("ID_ImportaSchede", "Importa schede..."),
                    place("ID_EsportaSchede", "Esporta schede..."),
                    sep(),
                    place("ID_Uscita", "Uscita")};
    ToolPlace tools = place("ID_STRUMENTI", "STRUMENTI");
    tools.submenu = {place("ID_AnteprimadiStampa", "Anteprima di Stampa"),
                     place("ID_StampaSemplice", "Stampa..."),
                     sep(),
                     place("ID_RicercaSemplice", "Ricerca Semplice"),
                     place("ID_RicercaconStampaStrutturata", "Ricerca con Stampa Strutturata"),
                     sep(),
                     place("ID_ParoleChiavi", "Parole Chiavi"),
                     place("ID_GraficiStatistici", "Grafici Statistici")};
    ToolPlace web = place("ID_BrenvatisulWEB", "Brenvati sul WEB");
    web.submenu = {place("ID_HomePage", "Home Page"),
                   place("ID_PostaElettronica", "Posta Elettronica")};
    ToolPlace help = place("ID_HELP", "HELP");
    help.submenu = {place("ID_GuidainLinea", "Guida in Linea"),
                    place("ID_IndicedellaGuida", "Indice della Guida"),
                    place("ID_SupportoProdotto", "Supporto Prodotto"),
                    sep(),
                    web,
                    sep(),
                    place("ID_InfoSistema", "Info Sistema"),
                    place("ID_InfoVersione", "Info Versione")};
    return {menu, tools, help};
}

std::vector<ToolPlace> ToolSet::toolBar2() {
    return {place("ID_Aggiungi", "Aggiungi Cartella"), place("ID_Elimina", "Elimina Cartella"),
            place("ID_RicercaconStampaStrutturata", "Ricerca con Stampa Strutturata"),
            place("ID_GraficiStatistici", "Grafici Statistici"), place("ID_Uscita", "Uscita")};
}

std::vector<ToolPlace> ToolSet::toolBar3() {
    return {place("ID_First", "Prima Scheda"),         sep(),
            place("ID_Previous", "Scheda Precedente"), sep(),
            place("ID_Next", "Scheda Successiva"),     sep(),
            place("ID_Last", "Ultima Scheda"),         sep(),
            place("ID_Conferma", "Conferma")};
}
