#include "game/ui/GameCommands.h"

#include "game/ui/Board.h"

bool runGameCommand(const QString& id, CardContext& /*cards*/, Services& services,
                    QWidget* parent) {
    if (id != QStringLiteral("ID_Gioca"))
        return false;
    // Modal; released when it closes.
    Board board(services, parent);
    board.exec();
    return true;
}
