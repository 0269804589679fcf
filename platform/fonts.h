// Fonts by the family names the settings store. The classic Windows families
// ("MS Sans Serif", "Small Fonts", "Arial", "Courier New") fall back through
// fontconfig to the closest installed family; all geometry comes from the
// real font's metrics.
#pragma once

#include <QFont>
#include <QString>

namespace ov {

QFont makeFont(const QString& family, int pointSize, bool bold);
// The installed family that stands in for a stored family name.
QString substituteFamily(const QString& family);

} // namespace ov
