#include "settings/pupilphoto.h"

#include "common/platform.h"
#include "settings/store.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>

QString pupilPhotoPath(const QString &folder, const QString &nom, const QString &prenom)
{
    const QString name = nom + u'-' + prenom + QStringLiteral(".bmp");
    if (name.contains(u'/') || name.contains(QChar(0)))
        return {};
    // The names are read composed; a file named on a system that writes letters decomposed is found too.
    const QString composed = folder + u'/' + name.normalized(QString::NormalizationForm_C);
    const QString decomposed = folder + u'/' + name.normalized(QString::NormalizationForm_D);
    return !isOrdinaryFile(composed) && isOrdinaryFile(decomposed) ? decomposed : composed;
}

QString pupilPhotoFolder()
{
    const QString folder = Store::read(Store::Configuration, Store::SectionFichier, Store::Eleves, QString());
    if (folder.trimmed().isEmpty())
        return programFolder();
    if (QDir::isRelativePath(folder))
        return QDir(programFolder()).filePath(folder);
    return folder;
}

QString currentPupilPhotoPath()
{
    const QString nom = Store::read(Store::Frappin, Store::Demarrage, Store::Nom, QString());
    const QString prenom = Store::read(Store::Frappin, Store::Demarrage, Store::Prenom, QString());
    return pupilPhotoPath(pupilPhotoFolder(), nom, prenom);
}

bool isOrdinaryFile(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.isFile() && !info.isHidden();
}

QImage loadPupilPhoto(const QString &path)
{
    // The window looks the photograph up at start-up, at each activation and for each word of a series: the
    // file is decoded again only when it is another file or has changed since.
    static QString lastPath;
    static QDateTime lastModified;
    static qint64 lastSize = -1;
    static QImage lastPhoto;

    if (!isOrdinaryFile(path)) {
        lastPhoto = QImage();
        lastPath.clear();
        return {};
    }
    const QFileInfo info(path);
    if (path == lastPath && info.lastModified() == lastModified && info.size() == lastSize)
        return lastPhoto;
    lastPath = path;
    lastModified = info.lastModified();
    lastSize = info.size();
    lastPhoto = readPhoto(path);
    return lastPhoto;
}

QImage readPhoto(const QString &path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    // The header gives the size before anything is decoded: a damaged file that claims a huge picture is
    // refused at once instead of costing gigabytes (Qt's own allocation limit is process-wide).
    const QSize size = reader.size();
    if (size.isValid() && static_cast<qint64>(size.width()) * size.height() > MaxPhotoPixels)
        return {};
    return reader.read();
}
