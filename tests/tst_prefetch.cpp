// Our own pictures: decoded ahead at start-up they must be the very pictures the window would have decoded
// itself, a picture the prefetch could not give must still load, and reading them must not load Qt's image
// plugins (each one costs start-up time and memory).
#include "common/pictures.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTest>

namespace {

QImage decodedByQt(const QString& path)
{
    return QImage(path).convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestPrefetch : public QObject
{
    Q_OBJECT

private slots:
    // First of the suite: the other tests decode with Qt's plain reader, which loads every plugin.
    void ourPicturesLoadNoImagePlugin()
    {
        const auto pluginsMapped = [] {
            QFile maps(QStringLiteral("/proc/self/maps"));
            return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/imageformats/");
        };
        QVERIFY(!pluginsMapped());
        QVERIFY(!Pictures::load(QStringLiteral(":/sprites/disc_large.png")).isNull());
        QVERIFY(!Pictures::loadKeyed(QStringLiteral(":/frame/title_main.bmp")).isNull());
        QVERIFY(!Pictures::fromFile(QStringLiteral(":/sprites/icon_256.png")).isNull());
        {
            const Pictures::Prefetch prefetch({QStringLiteral(":/pictures/field.jpg")});
            QVERIFY(!Pictures::load(QStringLiteral(":/pictures/field.jpg")).isNull());
        }
        QVERIFY(!pluginsMapped());
    }

    void loadGivesWhatQtWouldDecode_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("picture");
        QTest::newRow("the playing field, a JPEG") << QStringLiteral(":/pictures/field.jpg") << true;
        QTest::newRow("a landscape") << QStringLiteral(":/CUSTOM/105") << true;
        QTest::newRow("a sprite, no JPEG: decoded by Qt") << QStringLiteral(":/sprites/disc_large.png") << true;
        QTest::newRow("no such picture") << QStringLiteral(":/pictures/none.jpg") << false;
    }

    void loadGivesWhatQtWouldDecode()
    {
        QFETCH(QString, path);
        QFETCH(bool, picture);
        const Pictures::Prefetch prefetch({path, QStringLiteral(":/CUSTOM/101")});
        const QPixmap first = Pictures::load(path);
        QCOMPARE(!first.isNull(), picture);
        if (picture)
            QCOMPARE(first.toImage().convertToFormat(QImage::Format_RGB32), decodedByQt(path));
        // Taken once: a second load decodes again, the same picture.
        const QPixmap second = Pictures::load(path);
        QCOMPARE(second.toImage(), first.toImage());
    }

    // Pictures nobody asked for are dropped with the prefetch; loads after it decode as usual.
    void endsCleanlyWithPicturesNotTaken()
    {
        {
            const Pictures::Prefetch prefetch(
                {QStringLiteral(":/CUSTOM/101"), QStringLiteral(":/CUSTOM/102"), QStringLiteral(":/CUSTOM/103")});
        }
        QCOMPARE(Pictures::load(QStringLiteral(":/CUSTOM/102")).toImage().convertToFormat(QImage::Format_RGB32),
                 decodedByQt(QStringLiteral(":/CUSTOM/102")));
    }

    // A path asked for before its turn in the queue waits for it, and gets its own picture, not a neighbour's.
    void eachPathGetsItsOwnPicture()
    {
        const QStringList paths{QStringLiteral(":/CUSTOM/106"), QStringLiteral(":/CUSTOM/107"),
                                QStringLiteral(":/pictures/field.jpg")};
        const Pictures::Prefetch prefetch(paths);
        for (auto it = paths.crbegin(); it != paths.crend(); ++it)
            QCOMPARE(Pictures::load(*it).toImage().convertToFormat(QImage::Format_RGB32), decodedByQt(*it));
    }
};

QTEST_MAIN(TestPrefetch)
#include "tst_prefetch.moc"
