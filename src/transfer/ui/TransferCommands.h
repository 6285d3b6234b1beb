#pragma once

#include <QString>

class CardContext;
class QWidget;
struct Services;

// "Importa schede..." and "Esporta schede...": cards in from a CSV or Tellico file, out
// to one. Returns false for an id that is not one of them.
bool runTransferCommand(const QString& id, CardContext& cards, Services& services, QWidget* parent);
