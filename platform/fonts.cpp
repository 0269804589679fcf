#include "platform/fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace ov {

QString substituteFamily(const QString& family)
{
    struct Substitute {
        const char* from;
        QFont::StyleHint hint;
        const char* preferred;
    };
    static const Substitute table[] = {
        { "MS Sans Serif", QFont::SansSerif, "DejaVu Sans" },
        { "Small Fonts", QFont::SansSerif, "DejaVu Sans" },
        { "Arial", QFont::SansSerif, "DejaVu Sans" },
        { "Courier New", QFont::Monospace, "DejaVu Sans Mono" },
        { "Courier", QFont::Monospace, "DejaVu Sans Mono" },
        { "Fixedsys", QFont::Monospace, "DejaVu Sans Mono" },
        { "Times New Roman", QFont::Serif, "DejaVu Serif" },
    };
    const QStringList installed = QFontDatabase::families();
    if (installed.contains(family, Qt::CaseInsensitive))
        return family;
    for (const Substitute& s : table) {
        if (family.compare(QLatin1String(s.from), Qt::CaseInsensitive) != 0)
            continue;
        if (installed.contains(QLatin1String(s.preferred)))
            return QLatin1String(s.preferred);
        QFont probe;
        probe.setStyleHint(s.hint);
        return probe.defaultFamily();
    }
    return family;
}

QFont makeFont(const QString& family, int pointSize, bool bold)
{
    QFont font(substituteFamily(family));
    font.setPointSize(pointSize > 0 ? pointSize : 8);
    font.setBold(bold);
    return font;
}

} // namespace ov
