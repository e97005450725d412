#include "DesignedFonts.h"

#include <QApplication>
#include <QFont>
#include <QStringList>

namespace DesignedFonts {

void install()
{
    // Qt looks at a family's stand-ins only when the family itself is missing: a Windows PC
    // draws the designed fonts themselves, other systems (and a Windows program without
    // the system's fonts, such as one drawing offscreen) the metric-compatible ones.
    const QStringList sans{QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")};
    const QStringList serif{QStringLiteral("Liberation Serif"), QStringLiteral("Tinos")};
    for (const char* family : {"MS Sans Serif", "Microsoft Sans Serif", "MS Shell Dlg",
                               "MS Shell Dlg 2", "Arial", "Tahoma", "Britannic Bold"})
        QFont::insertSubstitutions(QString::fromLatin1(family), sans);
    for (const char* family : {"Goudy Old Style", "Times New Roman"})
        QFont::insertSubstitutions(QString::fromLatin1(family), serif);

    QFont standard(QStringLiteral("MS Sans Serif"));
    standard.setPointSizeF(8.25);
    QApplication::setFont(standard);
}

} // namespace DesignedFonts
