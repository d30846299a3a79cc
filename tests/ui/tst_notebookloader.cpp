// Where the notebook comes from when it first opens: the module beside the program or in the installed
// place, and a calm nothing when no whole module is there.

#include "../play/fakes.h"
#include "ui/notebookloader.h"

#include <QDockWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace ingranix;
using ingranix::fakes::Rig;

class NotebookLoaderTest : public QObject {
    Q_OBJECT

    // A program folder "bin" in a scratch prefix, with the built module copied to `place` (empty: none)
    // relative to it, or a text file there when `whole` is false.
    static QString programFolder(const QTemporaryDir &prefix, const QString &place, bool whole) {
        const QString bin = prefix.filePath(QStringLiteral("bin"));
        QDir().mkpath(bin);
        if (place.isEmpty())
            return bin;
        const QString target = QDir(bin).filePath(place);
        QDir().mkpath(QFileInfo(target).path());
        if (whole)
            QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/ingranix-notebook.so"),
                        target);
        else if (QFile file(target); file.open(QIODevice::WriteOnly))
            file.write("not a library\n");
        return bin;
    }

private slots:
    void notebookFromItsModule_data() {
        QTest::addColumn<QString>("place");
        QTest::addColumn<bool>("whole");
        QTest::newRow("beside the program") << QStringLiteral("ingranix-notebook.so") << true;
        QTest::newRow("installed") << QStringLiteral("../lib/ingranix/ingranix-notebook.so") << true;
        QTest::newRow("none") << QString() << false;
        QTest::newRow("a text file by its name") << QStringLiteral("ingranix-notebook.so") << false;
        QTest::newRow("an installed text file")
            << QStringLiteral("../lib/ingranix/ingranix-notebook.so") << false;
    }
    void notebookFromItsModule() {
        QFETCH(QString, place);
        QFETCH(bool, whole);
        QTemporaryDir prefix;
        QVERIFY(prefix.isValid());
        NotebookLoader loader(programFolder(prefix, place, whole));
        Rig rig;
        QWidget window;
        // Each opening looks again while no module is found, and says so each time; the game goes on.
        for (int opening = 0; opening < 2; ++opening) {
            if (!whole)
                QTest::ignoreMessage(
                    QtWarningMsg, "the notebook's module is missing: the game goes on without its notebook");
            const std::unique_ptr<NotebookPanel> notebook = loader.create(rig.game, rig.world, &window);
            QCOMPARE(bool(notebook), whole);
            if (notebook)
                QVERIFY(notebook->dock()->parentWidget() == &window &&
                        notebook->dock()->objectName() == QStringLiteral("quadernoDock"));
        }
        QVERIFY(window.findChildren<QDockWidget *>().isEmpty()); // a notebook let go takes its dock away
    }
};

QTEST_MAIN(NotebookLoaderTest)
#include "tst_notebookloader.moc"
