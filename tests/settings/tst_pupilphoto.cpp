// The pupil's photograph: found under the untrimmed names in the pictures folder of the store, shown
// stretched with a border, and gone (picture and border) when the file is missing, removed, hidden, a folder,
// or not a readable picture.

#include "common/picturebox.h"
#include "common/platform.h"
#include "exercise/frmmain.h"
#include "settings/pupilphoto.h"
#include "settings/store.h"
#include "support/sandbox.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

class TestPupilPhoto : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void photographIsLookedForUnderTheUntrimmedNames_data();
    void photographIsLookedForUnderTheUntrimmedNames();
    void picturesFolderComesFromTheStore_data();
    void picturesFolderComesFromTheStore();
    void onlyAReadablePictureIsLoaded_data();
    void onlyAReadablePictureIsLoaded();

    void windowShowsThePhotographStretchedWithABorder();
    void eachCallTakesThePhotographAsItIsThen();
};

namespace {

void setPupil(const QString &nom, const QString &prenom)
{
    if (!nom.isNull())
        Store::Write(Store::Frappin, Store::Demarrage, Store::Nom, nom);
    if (!prenom.isNull())
        Store::Write(Store::Frappin, Store::Demarrage, Store::Prenom, prenom);
}

void writeBitmap(const QString &path, const QColor &colour, QSize size = QSize(4, 5))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QVERIFY(image.save(path, "BMP"));
}

PictureBox *photo(const frmMain &window)
{
    return window.findChild<PictureBox *>(QStringLiteral("FrappinPhoto"));
}

} // namespace

void TestPupilPhoto::photographIsLookedForUnderTheUntrimmedNames_data()
{
    QTest::addColumn<QString>("nom");
    QTest::addColumn<QString>("prenom");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("found");
    QTest::newRow("family name first") << "Martin"
                                       << "Léa"
                                       << "Martin-Léa.bmp" << true;
    QTest::newRow("names swapped") << "Martin"
                                   << "Léa"
                                   << "Léa-Martin.bmp" << false;
    QTest::newRow("names unset") << QString() << QString() << "-.bmp" << true;
    QTest::newRow("trailing blank kept") << "Martin"
                                         << "Léa "
                                         << "Martin-Léa .bmp" << true;
    QTest::newRow("trailing blank not dropped") << "Martin"
                                                << "Léa "
                                                << "Martin-Léa.bmp" << false;
    QTest::newRow("case counts") << "martin"
                                 << "léa"
                                 << "Martin-Léa.bmp" << false;
    QTest::newRow("hidden file") << ".Martin"
                                 << "Léa"
                                 << ".Martin-Léa.bmp" << false;
    QTest::newRow("name with a slash") << "photos/Martin"
                                       << "Léa"
                                       << "photos/Martin-Léa.bmp" << false;
}

void TestPupilPhoto::photographIsLookedForUnderTheUntrimmedNames()
{
    QFETCH(QString, nom);
    QFETCH(QString, prenom);
    QFETCH(QString, file);
    QFETCH(bool, found);
    Sandbox sandbox;
    setPupil(nom, prenom);
    QVERIFY(QDir(sandbox.folder()).mkpath(QFileInfo(file).path()));
    writeBitmap(sandbox.path(file), Qt::red);
    QCOMPARE(!loadPupilPhoto(currentPupilPhotoPath()).isNull(), found);
}

void TestPupilPhoto::picturesFolderComesFromTheStore_data()
{
    QTest::addColumn<QString>("eleves");
    QTest::addColumn<QString>("subfolder");
    QTest::newRow("unset: the program's folder") << QString() << QString();
    QTest::newRow("blank: the program's folder") << "  " << QString();
    QTest::newRow("absolute folder") << "<absolute>"
                                     << "photos";
    QTest::newRow("relative to the program") << "classe"
                                             << "classe";
    QTest::newRow("trailing slash") << "<absolute>/"
                                    << "photos";
}

void TestPupilPhoto::picturesFolderComesFromTheStore()
{
    QFETCH(QString, eleves);
    QFETCH(QString, subfolder);
    Sandbox sandbox;
    setPupil("Martin", "Léa");
    QDir folder(sandbox.folder());
    if (!subfolder.isEmpty()) {
        QVERIFY(folder.mkdir(subfolder));
        QVERIFY(folder.cd(subfolder));
    }
    if (!eleves.isNull())
        Store::Write(Store::Configuration, Store::SectionFichier, Store::Eleves,
                     QString(eleves).replace("<absolute>", folder.path()));
    writeBitmap(folder.filePath("Martin-Léa.bmp"), Qt::red, QSize(4, 5));
    // A photograph of the same name in the program's folder is not taken when the store names another folder.
    if (!subfolder.isEmpty())
        writeBitmap(sandbox.path("Martin-Léa.bmp"), Qt::blue, QSize(7, 7));
    QCOMPARE(QFileInfo(currentPupilPhotoPath()).canonicalFilePath(),
             QFileInfo(folder.filePath("Martin-Léa.bmp")).canonicalFilePath());
    QCOMPARE(loadPupilPhoto(currentPupilPhotoPath()).size(), QSize(4, 5));
}

void TestPupilPhoto::onlyAReadablePictureIsLoaded_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("folder");
    QTest::addColumn<bool>("loaded");
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::green);
    QByteArray bitmap;
    {
        QBuffer buffer(&bitmap);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "BMP");
    }
    QTest::newRow("bitmap") << bitmap << false << true;
    QTest::newRow("text") << QByteArray("pas une image\r\n") << false << false;
    QTest::newRow("empty file") << QByteArray() << false << false;
    QTest::newRow("bitmap cut short") << bitmap.left(30) << false << false;
    QTest::newRow("folder of that name") << QByteArray() << true << false;
}

void TestPupilPhoto::onlyAReadablePictureIsLoaded()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, folder);
    QFETCH(bool, loaded);
    Sandbox sandbox;
    const QString path = sandbox.path("Martin-Léa.bmp");
    if (folder)
        QVERIFY(QDir(sandbox.folder()).mkdir("Martin-Léa.bmp"));
    else
        sandbox.writeFile("Martin-Léa.bmp", content);
    const QImage image = loadPupilPhoto(path);
    QCOMPARE(!image.isNull(), loaded);
    if (loaded)
        QCOMPARE(image.size(), QSize(3, 2));
}

void TestPupilPhoto::windowShowsThePhotographStretchedWithABorder()
{
    Sandbox sandbox;
    QTemporaryDir pictures;
    setPupil("Martin", "Léa");
    Store::Write(Store::Configuration, Store::SectionFichier, Store::Eleves, pictures.path());
    // A small picture of two colours, left and right, stretched over the whole 87 x 105 frame.
    QImage image(2, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(255, 0, 0));
    image.setPixel(1, 0, qRgb(0, 0, 255));
    QVERIFY(image.save(pictures.filePath("Martin-Léa.bmp"), "BMP"));

    frmMain window;
    PictureBox *box = photo(window);
    QVERIFY(box->hasPicture());
    QVERIFY(box->hasBorder());
    QCOMPARE(box->size(), QSize(87, 105));
    const QImage shown = box->grab().toImage();
    QCOMPARE(QColor(shown.pixel(5, 52)), QColor(255, 0, 0));
    QCOMPARE(QColor(shown.pixel(81, 52)), QColor(0, 0, 255));
    QCOMPARE(QColor(shown.pixel(20, 100)), QColor(255, 0, 0));
}

// Each call looks again: a photograph removed, replaced by a file that is not a picture, or belonging to a
// pupil named meanwhile by the other program is taken as it is at the time of the call.
void TestPupilPhoto::eachCallTakesThePhotographAsItIsThen()
{
    Sandbox sandbox;
    setPupil("Martin", "Léa");
    writeBitmap(sandbox.path("Martin-Léa.bmp"), Qt::red);
    frmMain window;
    PictureBox *box = photo(window);
    QVERIFY(box->hasPicture() && box->hasBorder());

    QVERIFY(QFile::remove(sandbox.path("Martin-Léa.bmp")));
    window.ChargeImage();
    QVERIFY(!box->hasPicture() && !box->hasBorder());

    setPupil("Petit", "Tom");
    writeBitmap(sandbox.path("Petit-Tom.bmp"), Qt::blue);
    window.ChargeImage();
    QVERIFY(box->hasPicture() && box->hasBorder());

    sandbox.writeFile("Petit-Tom.bmp", "BM pas vraiment une image");
    window.ChargeImage();
    QVERIFY(!box->hasPicture() && !box->hasBorder());
}

FRAPPIN_TEST_MAIN(TestPupilPhoto)
#include "tst_pupilphoto.moc"
