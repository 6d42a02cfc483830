// The pupil's photograph: found under the untrimmed names in the pictures folder of the store, shown
// stretched with a border, and gone (picture and border) when the file is missing, removed, hidden, a folder,
// or not a readable picture. Files that are not pictures, or claim a huge size, are taken in tst_badinput.

#include "common/picturebox.h"
#include "exercise/frmmain.h"
#include "settings/pupilphoto.h"
#include "settings/store.h"
#include "support/sandbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTest>

namespace {

void setPupil(const QString &nom, const QString &prenom)
{
    if (!nom.isNull())
        Store::Write(Store::Frappin, Store::Demarrage, Store::Nom, nom);
    if (!prenom.isNull())
        Store::Write(Store::Frappin, Store::Demarrage, Store::Prenom, prenom);
}

void writeBitmap(const QString &path, QSize size = QSize(4, 5))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(path, "BMP"));
}

} // namespace

class TestPupilPhoto : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void photographIsLookedForUnderTheUntrimmedNames_data()
    {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QString>("prenom");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("found");
        // clang-format off
        QTest::newRow("family name first")   << "Martin"        << "Léa" << "Martin-Léa.bmp" << true;
        QTest::newRow("names unset")         << QString()       << QString() << "-.bmp" << true;
        QTest::newRow("trailing blank kept") << "Martin"        << "Léa " << "Martin-Léa .bmp" << true;
        QTest::newRow("file named decomposed") << "Martin"      << "Léa" << QString("Martin-Le\u0301a.bmp") << true;
        QTest::newRow("case counts")         << "martin"        << "léa" << "Martin-Léa.bmp" << false;
        QTest::newRow("hidden file")         << ".Martin"       << "Léa" << ".Martin-Léa.bmp" << false;
        QTest::newRow("name with a slash")   << "photos/Martin" << "Léa" << "photos/Martin-Léa.bmp" << false;
        // clang-format on
    }
    // The photograph is the ordinary file "<Nom>-<Prenom>.bmp" of the names as stored.
    void photographIsLookedForUnderTheUntrimmedNames()
    {
        QFETCH(QString, nom);
        QFETCH(QString, prenom);
        QFETCH(QString, file);
        QFETCH(bool, found);
        Sandbox sandbox;
        setPupil(nom, prenom);
        QVERIFY(QDir(sandbox.folder()).mkpath(QFileInfo(file).path()));
        writeBitmap(sandbox.path(file));
        QCOMPARE(!loadPupilPhoto(currentPupilPhotoPath()).isNull(), found);
    }

    void picturesFolderComesFromTheStore_data()
    {
        QTest::addColumn<QString>("eleves");
        QTest::addColumn<QString>("subfolder");
        // clang-format off
        QTest::newRow("absolute folder")         << "<absolute>"  << "photos";
        QTest::newRow("relative to the program") << "classe"      << "classe";
        QTest::newRow("trailing slash")          << "<absolute>/" << "photos";
        // clang-format on
    }
    // The photograph is looked for in the folder "Eleves" names, absolute or relative to the program's.
    void picturesFolderComesFromTheStore()
    {
        QFETCH(QString, eleves);
        QFETCH(QString, subfolder);
        Sandbox sandbox;
        setPupil("Martin", "Léa");
        QDir folder(sandbox.folder());
        QVERIFY(folder.mkdir(subfolder) && folder.cd(subfolder));
        // A photograph of the same name in the program's folder is not taken.
        writeBitmap(sandbox.path("Martin-Léa.bmp"), QSize(7, 7));
        Store::Write(Store::Configuration, Store::SectionFichier, Store::Eleves,
                     QString(eleves).replace("<absolute>", folder.path()));
        writeBitmap(folder.filePath("Martin-Léa.bmp"));
        QCOMPARE(QFileInfo(currentPupilPhotoPath()).canonicalFilePath(),
                 QFileInfo(folder.filePath("Martin-Léa.bmp")).canonicalFilePath());
        QCOMPARE(loadPupilPhoto(currentPupilPhotoPath()).size(), QSize(4, 5));
    }

    // Each call shows the photograph as it is then, stretched with a border, or neither.
    void eachCallTakesThePhotographAsItIsThen()
    {
        Sandbox sandbox;
        setPupil("Martin", "Léa");
        // A small picture of two colours, left and right, stretched over the whole 87 x 105 frame.
        QImage image(2, 1, QImage::Format_RGB32);
        image.setPixel(0, 0, qRgb(255, 0, 0));
        image.setPixel(1, 0, qRgb(0, 0, 255));
        QVERIFY(image.save(sandbox.path("Martin-Léa.bmp"), "BMP"));
        frmMain window;
        PictureBox *box = window.findChild<PictureBox *>(QStringLiteral("FrappinPhoto"));
        QVERIFY(box->hasPicture() && box->hasBorder());
        QCOMPARE(box->size(), QSize(87, 105));
        const QImage shown = box->grab().toImage();
        QCOMPARE(QColor(shown.pixel(5, 52)), QColor(255, 0, 0));
        QCOMPARE(QColor(shown.pixel(81, 52)), QColor(0, 0, 255));
        QCOMPARE(QColor(shown.pixel(20, 100)), QColor(255, 0, 0));

        QVERIFY(QFile::remove(sandbox.path("Martin-Léa.bmp")));
        window.ChargeImage();
        QVERIFY(!box->hasPicture() && !box->hasBorder());

        setPupil("Petit", "Tom");
        writeBitmap(sandbox.path("Petit-Tom.bmp"));
        window.ChargeImage();
        QVERIFY(box->hasPicture() && box->hasBorder());

        sandbox.writeFile("Petit-Tom.bmp", "BM pas vraiment une image");
        window.ChargeImage();
        QVERIFY(!box->hasPicture() && !box->hasBorder());
        QVERIFY(loadPupilPhoto(sandbox.folder()).isNull());
    }
};

FRAPPIN_TEST_MAIN(TestPupilPhoto)
#include "tst_pupilphoto.moc"
