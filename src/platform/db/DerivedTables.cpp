#include "platform/db/DerivedTables.h"

namespace DerivedTables {

bool isDerived(const QString& name) {
    return name.startsWith(QLatin1String("raccolio_"), Qt::CaseInsensitive);
}

}  // namespace DerivedTables
