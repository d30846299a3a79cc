// Where the notebook comes from when it first opens: the module beside the program or in the installed
// place, and a calm nothing when no whole module is there.

#include "../play/fakes.h"
#include "ui/notebookloader.h"

#include <QDockWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace ingranix;

class NotebookLoaderTest : public QObject {
    Q_OBJECT

private slots:
    void notebookFromItsModule_data() {
        QTest::addColumn<QString>("place"); // where the built module lies; empty: nowhere
        QTest::newRow("beside the program") << QStringLiteral("ingranix-notebook.so");
        QTest::newRow("installed") << QStringLiteral("../lib/ingranix/ingranix-notebook.so");
        QTest::newRow("none") << QString();
    }
    void notebookFromItsModule() {
        QFETCH(QString, place);
        const bool whole = !place.isEmpty();
        // A program folder "bin" in a scratch prefix, with the built module at `place`.
        QTemporaryDir prefix;
        const QString bin = prefix.filePath(QStringLiteral("bin")), target = QDir(bin).filePath(place);
        QDir().mkpath(QFileInfo(target).path());
        QVERIFY(!whole ||
                QFile::copy(QCoreApplication::applicationDirPath() + "/ingranix-notebook.so", target));
        NotebookLoader loader(bin);
        fakes::Rig rig;
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
