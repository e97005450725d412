#include "data/DbError.h"
#include "widgets/QtMessageService.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

namespace {

struct SeenBox
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QWidget* parent = nullptr;
};

// Waits for the message box to come up, notes what it shows and presses `answer`.
void answerNextBox(SeenBox& seen, QMessageBox::StandardButton answer)
{
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [&seen, answer, poll] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            QTimer::singleShot(10, *poll);
            return;
        }
        seen = {box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
                box->parentWidget()};
        box->button(answer)->click();
    };
    QTimer::singleShot(0, *poll);
}

} // namespace

class tst_QtMessageService : public QObject
{
    Q_OBJECT

private slots:
    void informationUnderTheProgramsTitle();
    void questionIsTrueOnlyForYes();
    void databaseErrorShowsNumberAndText_data();
    void databaseErrorShowsNumberAndText();
};

void tst_QtMessageService::informationUnderTheProgramsTitle()
{
    QWidget owner;
    owner.show();
    QApplication::setActiveWindow(&owner);
    SeenBox seen;
    answerNextBox(seen, QMessageBox::Ok);

    QtMessageService().info(QStringLiteral("Done."));

    QCOMPARE(seen.title, QStringLiteral("Talodesk"));
    QCOMPARE(seen.text, QStringLiteral("Done."));
    QCOMPARE(seen.icon, QMessageBox::Information);
    QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(seen.parent, &owner);
}

void tst_QtMessageService::questionIsTrueOnlyForYes()
{
    const QString question = QStringLiteral("Are you sure you want to REMOVE the selected items?");
    SeenBox seen;
    answerNextBox(seen, QMessageBox::Yes);
    QVERIFY(QtMessageService().ask(question, QStringLiteral("Confirmation")));
    QCOMPARE(seen.title, QStringLiteral("Confirmation"));
    QCOMPARE(seen.icon, QMessageBox::Question);
    QCOMPARE(seen.buttons, QMessageBox::Yes | QMessageBox::No);

    answerNextBox(seen, QMessageBox::No);
    QVERIFY(!QtMessageService().ask(question, QStringLiteral("Confirmation")));
}

void tst_QtMessageService::databaseErrorShowsNumberAndText_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("icon");
    // A procedure's refusal: its text alone, as a warning.
    QTest::newRow("refusal") << 50000 << QStringLiteral("Unknown employee.")
                             << int(QMessageBox::Warning);
    QTest::newRow("missing object")
        << 208 << QStringLiteral("Error 208: Unknown employee.") << int(QMessageBox::Critical);
    QTest::newRow("busy") << 5 << QStringLiteral("Error 5: Unknown employee.")
                          << int(QMessageBox::Critical);
}

void tst_QtMessageService::databaseErrorShowsNumberAndText()
{
    QFETCH(int, number);
    QFETCH(QString, shown);
    QFETCH(int, icon);
    SeenBox seen;
    answerNextBox(seen, QMessageBox::Ok);

    QtMessageService().error(DbError(number, QStringLiteral("Unknown employee.")));

    QCOMPARE(seen.title, QStringLiteral("Talodesk"));
    QCOMPARE(seen.text, shown);
    QCOMPARE(int(seen.icon), icon);
}

QTEST_MAIN(tst_QtMessageService)
#include "tst_QtMessageService.moc"
