#include "DesignedFonts.h"

#include <QApplication>
#include <QFont>
#include <QStringList>

namespace DesignedFonts {

void install()
{
#ifndef Q_OS_WIN
    // Windows has the designed fonts themselves.
    const QStringList sans{QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")};
    const QStringList serif{QStringLiteral("Liberation Serif"), QStringLiteral("Tinos")};
    for (const char* family : {"MS Sans Serif", "Microsoft Sans Serif", "MS Shell Dlg",
                               "MS Shell Dlg 2", "Arial", "Tahoma", "Britannic Bold"})
        QFont::insertSubstitutions(QString::fromLatin1(family), sans);
    for (const char* family : {"Goudy Old Style", "Times New Roman"})
        QFont::insertSubstitutions(QString::fromLatin1(family), serif);
#endif

    QFont standard(QStringLiteral("MS Sans Serif"));
    standard.setPointSizeF(8.25);
    QApplication::setFont(standard);
}

} // namespace DesignedFonts
