#include "widgets/FlexGrid.h"
#include "widgets/FormControls.h"
#include "widgets/Twips.h"

#include <QDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

int captionWidth(const QLabel& label)
{
    return QFontMetrics(label.font()).horizontalAdvance(label.text());
}

// A label in the default family at `points`, placed at `twips`.
QLabel* captionLabel(QWidget* form, const QString& caption, double points, const QRect& twips,
                     bool wrapped = false)
{
    QLabel* label = FormControls::label(form, QStringLiteral("lblCaption"), caption);
    label->setFont(FormControls::font(label->font().family(), points));
    label->setWordWrap(wrapped);
    Twips::place(label, twips.x(), twips.y(), twips.width(), twips.height());
    return label;
}

} // namespace

class tst_FormControls : public QObject
{
    Q_OBJECT

private slots:
    void controlsCarryTheirNamesAndTwipsPlaces();
    void buttonsNeverTakeEnter();
    void enterIsReturnOrKeypadEnterWithoutCtrlOrAlt();
    void onEnterRunsTheActionAndLeavesTheKeyToTheBox();
    void longCaptionShrinksUntilItFits();
    void shortCaptionKeepsItsFont();
    void wrappedCaptionFitsItsBox();
    void fittingStopsAtSixPoints();
};

void tst_FormControls::controlsCarryTheirNamesAndTwipsPlaces()
{
    QWidget form;
    QCOMPARE(FormControls::indexed("txtMealEntry", 0), QStringLiteral("txtMealEntry(0)"));
    QCOMPARE(FormControls::indexed("lblCounter", 12), QStringLiteral("lblCounter(12)"));

    auto* box =
        FormControls::control<QLineEdit>(&form, QStringLiteral("txtSearch"), 120, 240, 3135, 500);
    QCOMPARE(box->objectName(), QStringLiteral("txtSearch"));
    QCOMPARE(box->parentWidget(), &form);
    QCOMPARE(box->geometry(), Twips::rect(120, 240, 3135, 500));

    QLabel* label =
        FormControls::label(&form, QStringLiteral("lblCode(0)"), QStringLiteral("Name:"));
    QCOMPARE(label->objectName(), QStringLiteral("lblCode(0)"));
    QCOMPARE(label->text(), QStringLiteral("Name:"));

    QGroupBox* frame = FormControls::frame(&form, QStringLiteral("fraSearch"));
    QCOMPARE(frame->objectName(), QStringLiteral("fraSearch"));
    QVERIFY(frame->title().isEmpty());

    QCOMPARE(FormControls::textBox(frame, QStringLiteral("txtCode"))->parentWidget(), frame);
    QCOMPARE(FormControls::grid(frame, QStringLiteral("mshList"))->objectName(),
             QStringLiteral("mshList"));

    QPushButton* picture = FormControls::pictureButton(&form, QStringLiteral("cmdSearchType"));
    QVERIFY(picture->text().isEmpty());
    QVERIFY(!picture->icon().isNull());

    const QFont font = FormControls::font(QStringLiteral("Britannic Bold"), 8.25, true);
    QCOMPARE(font.family(), QStringLiteral("Britannic Bold"));
    QCOMPARE(font.pointSizeF(), 8.25);
    QVERIFY(font.bold());
    QVERIFY(!FormControls::font(QStringLiteral("MS Sans Serif"), 12).bold());
}

void tst_FormControls::buttonsNeverTakeEnter()
{
    // In a dialog a button would otherwise become the default and answer Enter typed in a box.
    QDialog dialog;
    QLineEdit* box = FormControls::textBox(&dialog, QStringLiteral("txtCode"));
    QPushButton* save =
        FormControls::button(&dialog, QStringLiteral("cmdSave"), QStringLiteral("Save"));
    QCOMPARE(save->text(), QStringLiteral("Save"));
    QVERIFY(!save->autoDefault());
    QVERIFY(!save->isDefault());

    int pressed = 0;
    connect(save, &QPushButton::clicked, this, [&pressed] { ++pressed; });
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClick(box, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(pressed, 0);
    QVERIFY(dialog.isVisible());
}

void tst_FormControls::enterIsReturnOrKeypadEnterWithoutCtrlOrAlt()
{
    const auto press = [](int key, Qt::KeyboardModifiers modifiers) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        return FormControls::isEnterKey(&event);
    };
    QVERIFY(press(Qt::Key_Return, Qt::NoModifier));
    QVERIFY(press(Qt::Key_Enter, Qt::KeypadModifier));
    QVERIFY(press(Qt::Key_Return, Qt::ShiftModifier));
    QVERIFY(!press(Qt::Key_Return, Qt::ControlModifier));
    QVERIFY(!press(Qt::Key_Enter, Qt::KeypadModifier | Qt::AltModifier));
    QVERIFY(!press(Qt::Key_Tab, Qt::NoModifier));
    QVERIFY(!press(Qt::Key_Space, Qt::NoModifier));

    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QVERIFY(!FormControls::isEnterKey(&release));
    QEvent other(QEvent::FocusIn);
    QVERIFY(!FormControls::isEnterKey(&other));
}

void tst_FormControls::onEnterRunsTheActionAndLeavesTheKeyToTheBox()
{
    QWidget form;
    QLineEdit* box = FormControls::textBox(&form, QStringLiteral("txtSearch"));
    QStringList seen;
    FormControls::onEnter(box, [&seen, box] { seen.append(box->text()); });
    int returned = 0;
    connect(box, &QLineEdit::returnPressed, this, [&returned] { ++returned; });
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    QTest::keyClicks(box, QStringLiteral("Smi"));
    QVERIFY(seen.isEmpty());
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClick(box, Qt::Key_H);
    QTest::keyClick(box, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(box, Qt::Key_Return, Qt::ControlModifier);
    // The action sees the text as typed so far, and the box still gets every key.
    QCOMPARE(seen, QStringList({QStringLiteral("Smi"), QStringLiteral("Smih")}));
    QCOMPARE(box->text(), QStringLiteral("Smih"));
    QCOMPARE(returned, 3);

    // Once the box is gone, nothing is left watching for it.
    delete box;
    QVERIFY(form.findChildren<QObject*>().isEmpty());
}

void tst_FormControls::longCaptionShrinksUntilItFits()
{
    QWidget form;
    QLabel* label = captionLabel(&form, QStringLiteral("List of Employees Entered"), 20.25,
                                 {150, 120, 3495, 495});
    const QRect designed = label->geometry();
    QVERIFY2(captionWidth(*label) > label->width(), "the caption should start too wide");

    FormControls::fitText(label);

    QCOMPARE(label->geometry(), designed);
    QVERIFY(label->font().pointSizeF() < 20.25);
    QVERIFY(label->font().pointSizeF() >= 6.0);
    QVERIFY(captionWidth(*label) <= label->contentsRect().width());
    QVERIFY(QFontMetrics(label->font()).height() <= label->contentsRect().height());
    // Only as small as needed: half a point larger would not have fitted.
    QFont larger = label->font();
    larger.setPointSizeF(larger.pointSizeF() + 0.5);
    const QFontMetrics largerMetrics(larger);
    QVERIFY(largerMetrics.horizontalAdvance(label->text()) > label->width() ||
            largerMetrics.height() > label->height());
}

void tst_FormControls::shortCaptionKeepsItsFont()
{
    QWidget form;
    QLabel* label = captionLabel(&form, QStringLiteral("ID:"), 8.25, {120, 240, 1855, 375});
    const QFont before = label->font();

    FormControls::fitText(label);
    QCOMPARE(label->font(), before);
    QCOMPARE(label->geometry(), Twips::rect(120, 240, 1855, 375));

    // A label with no caption yet (filled in later) is left as it is.
    QLabel* empty = captionLabel(&form, QString(), 14, {0, 0, 15, 15});
    const QFont emptyBefore = empty->font();
    FormControls::fitText(empty);
    QCOMPARE(empty->font(), emptyBefore);
}

void tst_FormControls::wrappedCaptionFitsItsBox()
{
    QWidget form;
    QLabel* label = captionLabel(&form,
                                 QStringLiteral("Double Click to Change    N - No Access        "
                                                "           Y - With Access"),
                                 14, {120, 5640, 1815, 615}, true);
    QVERIFY(label->heightForWidth(label->width()) > label->height());

    FormControls::fitText(label);

    QVERIFY(label->wordWrap());
    QCOMPARE(label->geometry(), Twips::rect(120, 5640, 1815, 615));
    QVERIFY(label->font().pointSizeF() < 14);
    QVERIFY(label->heightForWidth(label->width()) <= label->height());
}

void tst_FormControls::fittingStopsAtSixPoints()
{
    QWidget form;
    QLabel* label = captionLabel(&form, QStringLiteral("A caption no box this small can hold"),
                                 14.25, {0, 0, 300, 375});

    FormControls::fitText(label);
    QCOMPARE(label->font().pointSizeF(), 6.0);
    QCOMPARE(label->geometry(), Twips::rect(0, 0, 300, 375));
}

QTEST_MAIN(tst_FormControls)
#include "tst_FormControls.moc"
