// Photographs the real window at the moments the README shows: start-up, an experiment at each
// level, the about panel and the guide speaking; with "quaderno", the notebook beside the machine.
// With "adatta" or "adatta-quaderno", the same fitted to the screen, as on a whiteboard.
// The whole screen is taken, so that the guide's own windows appear too.
// Usage: screenshots <output folder> [quaderno|adatta|adatta-quaderno]
#include "guide/guideagent.h"
#include "play/game.h"
#include "ui/mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTest>

#include <cstdio>

using namespace ingranix;

namespace {

bool shoot(const QString &folder, const QString &name) {
    QTest::qWait(400); // let the movie and the lights draw
    const QPixmap picture = QGuiApplication::primaryScreen()->grabWindow(0);
    const QString path = folder + u'/' + name + QStringLiteral(".png");
    const bool saved = picture.save(path, "PNG", 9);
    std::printf("%s %s\n", saved ? "saved" : "FAILED", qPrintable(path));
    return saved;
}

template <typename T> T *control(MainWindow &window, const char *name) {
    return window.findChild<T *>(QString::fromLatin1(name));
}

// A few experiments at Level 1, some with another colour, and a model that explains most of them.
bool shootNotebook(MainWindow &window, const QString &folder, const QString &name) {
    auto *in1 = control<QLineEdit>(window, "in1");
    auto experiment = [in1](const QString &input) {
        in1->setText(input);
        QTest::keyClick(in1, Qt::Key_Return);
    };
    auto chooseColour = [&window](int index) {
        auto *colour = control<QComboBox>(window, "Combo2");
        colour->setCurrentIndex(index);
        emit colour->activated(index);
    };
    auto *level = control<QComboBox>(window, "Combo1");
    level->setCurrentIndex(0);
    emit level->activated(0);
    control<QAction>(window, "Nascondi")->trigger();
    chooseColour(0);
    for (const char *input : {"3", "8"})
        experiment(QString::fromLatin1(input));
    chooseColour(1); // verde: a subtraction, "?" where it cannot be done
    const int k = window.game().mechanismConstants().at(1, 2);
    for (const QString &input : {QStringLiteral("9"), QStringLiteral("4"), QStringLiteral("12"),
                                 QString::number(k), QStringLiteral("20"), QStringLiteral("6,5")})
        experiment(input);
    control<QAction>(window, "quaderno")->trigger();
    // Nearly right: at x = k the machine says "?", the model 0.
    auto *model = control<QLineEdit>(window, "modello");
    QTest::keyClicks(model, QStringLiteral("se(x < %1; ?; x - %1)").arg(k));
    // The player's own predictions beside the model's: two the machine wrote, one it did not.
    auto *mine = control<QLineEdit>(window, "miaPrevisione");
    for (const auto &[input, prediction] :
         {std::pair{15, QString::number(15 - k)}, std::pair{30, QString::number(30 - k)},
          std::pair{2, QStringLiteral("0")}}) {
        mine->setText(prediction);
        experiment(QString::number(input));
    }
    in1->setText(QStringLiteral("17"));
    QTest::qWait(1500);
    return shoot(folder, name);
}

// An experiment and the about panel, fitted to the screen.
bool shootFitted(MainWindow &window, const QString &folder) {
    control<QAction>(window, "Nascondi")->trigger();
    auto *in1 = control<QLineEdit>(window, "in1");
    in1->setText(QStringLiteral("12"));
    QTest::keyClick(in1, Qt::Key_Return);
    QTest::qWait(1500);
    bool ok = shoot(folder, QStringLiteral("adatta"));
    control<QAction>(window, "informazioni")->trigger();
    ok = shoot(folder, QStringLiteral("adatta-informazioni")) && ok;
    control<QWidget>(window, "Frame4")->hide();
    return ok;
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs/screenshots");
    QDir().mkpath(folder);

    MainWindow window(QCoreApplication::applicationDirPath());
    // No window manager under Xvfb: the window takes the screen's room itself.
    window.setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    for (int i = 0; i < 200 && !window.game().started(); ++i)
        QTest::qWait(50);
    window.game().setDecimalSeparator(QStringLiteral(","));
    const QByteArray mode = argc > 2 ? QByteArray(argv[2]) : QByteArray();
    if (mode.startsWith("adatta"))
        window.setFitToWindow(true);
    if (mode == "quaderno" || mode == "adatta-quaderno")
        return shootNotebook(window, folder, QString::fromLatin1(mode)) ? 0 : 1;
    if (mode == "adatta")
        return shootFitted(window, folder) ? 0 : 1;
    QTest::qWait(1500);
    bool ok = shoot(folder, QStringLiteral("avvio"));

    const QStringList colours = {QStringLiteral("rosso"), QStringLiteral("verde"), QStringLiteral("blu"),
                                 QStringLiteral("grigio")};
    const QStringList inputs = {QStringLiteral("7"), QStringLiteral("12"), QStringLiteral("5"),
                                QStringLiteral("20")};
    auto *level = control<QComboBox>(window, "Combo1");
    auto *colour = control<QComboBox>(window, "Combo2");
    auto *in1 = control<QLineEdit>(window, "in1");
    for (int i = 0; i < 4; ++i) {
        level->setCurrentIndex(i);
        emit level->activated(i);
        colour->setCurrentIndex(i);
        emit colour->activated(i);
        for (const QString &input : {inputs.at(i), QString::number(i + 2)}) {
            in1->setText(input);
            QTest::keyClick(in1, Qt::Key_Return);
        }
        QTest::qWait(800);
        ok = shoot(folder, QStringLiteral("livello%1").arg(i + 1)) && ok;
    }

    control<QAction>(window, "informazioni")->trigger();
    ok = shoot(folder, QStringLiteral("informazioni")) && ok;
    control<QWidget>(window, "Frame4")->hide();

    control<QAction>(window, "Mostra")->trigger();
    control<QAction>(window, "obiettivo")->trigger();
    for (int i = 0; i < 300 && window.guide().balloonText().isEmpty(); ++i)
        QTest::qWait(50);
    QTest::qWait(1500);
    ok = shoot(folder, QStringLiteral("assistente")) && ok;
    return ok ? 0 : 1;
}
