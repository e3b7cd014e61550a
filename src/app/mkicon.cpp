// Build-time helper: saves the program's logo, drawn as the program draws it,
// as a PNG for the desktop entry. Usage: qbicon FILE.png [SIZE]

#include <QGuiApplication>
#include <QPixmap>
#include <QStringList>

#include "shell/Artwork.h"

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2)
        return 2;
    const int size = args.size() > 2 ? args.at(2).toInt() : 256;
    return qb::ProgramLogo(size > 0 ? size : 256).save(args.at(1)) ? 0 : 1;
}
