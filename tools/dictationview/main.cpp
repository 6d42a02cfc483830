// The pupil's window as it is where speech is heard, for the screenshot of a dictated word
// (tools/screenshots.sh): on a machine with no sound output the program itself shows the words. The sound
// goes to the program's recording seam, which answers that speech is heard; everything else is the program's.

#include "common/appstyle.h"
#include "exercise/frmmain.h"
#include "sound/sound.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    useApplicationStyle();
    QApplication::setOrganizationName(QStringLiteral("frappin"));
    QApplication::setApplicationName(QStringLiteral("Frappin"));
    Sound::setSoundForTests([](const QString &) {}, true);
    frmMain window;
    window.show();
    return QApplication::exec();
}
