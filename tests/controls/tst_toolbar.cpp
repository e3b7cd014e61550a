#include <QHelpEvent>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QVBoxLayout>

#include "controls/ucToolbar.h"

using namespace qb;

namespace {

const QColor kMask(255, 0, 255);
const QColor kBack(192, 192, 192);
const QColor kHighlight(255, 255, 255); // kBack + 63, clamped
const QColor kShadow(128, 128, 128); // kBack - 64

// A strip of count square images: each a solid colour with magenta corners.
QPixmap strip(int count, int size)
{
    QImage image(count * size, size, QImage::Format_RGB32);
    image.fill(kMask);
    QPainter painter(&image);
    for (int i = 0; i < count; ++i)
        painter.fillRect(
            i * size + 2, 2, size - 4, size - 4, QColor::fromHsv(i * 40 % 360, 255, 255));
    return QPixmap::fromImage(image);
}

struct Bar
{
    ucToolbar bar;
    Bar(const QString& mask, int images = 7, int size = 16)
    {
        bar.setBackColor(kBack);
        bar.BuildToolbar(strip(images, size), kMask, size, mask);
        bar.resize(bar.sizeHint().expandedTo(QSize(300, 0)));
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
    }
    QPoint centre(int index) const { return bar.buttonRect(index).center(); }
    // Moves the mouse over a point (by way of the corner, because a move to
    // where the mouse already is sends nothing).
    void hover(const QPoint& pos)
    {
        QTest::mouseMove(&bar, QPoint(0, 0));
        QTest::mouseMove(&bar, pos);
    }
    void click(int index, Qt::MouseButton button = Qt::LeftButton)
    {
        hover(centre(index));
        QTest::mouseClick(&bar, button, {}, centre(index));
    }
    QImage image() { return bar.grab().toImage(); }
};

QColor pixel(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y);
}

} // namespace

class TestToolbar : public QObject
{
    Q_OBJECT

private slots:
    void emptyMaskGivesOnePlainButtonPerImage();
    void maskLayout();
    void mainWindowMask();
    void verticalBar();
    void noPictureNoButtons();
    void clicksReportButtonAndCorner();
    void releaseOutsideIsNoClick();
    void checkButtonToggles();
    void optionGroupsEndAtSeparators();
    void checkButtonFromCode();
    void enablingButtons();
    void hoverRaisesAndLeavingFlattens();
    void toolTipsFollowHotButton();
    void checkedButtonShowsPattern();
    void pressedAndSeparatorLook();
    void disabledButtonIsGreyed();
    void barEdgeFrame();
    void doubleClickActsAsTwoClicks();
};

void TestToolbar::emptyMaskGivesOnePlainButtonPerImage()
{
    Bar b {QString()};
    QCOMPARE(b.bar.ButtonsCount(), 7);
    for (int i = 1; i <= 7; ++i)
        QCOMPARE(b.bar.buttonKind(i), int(ucToolbar::Plain));
    // 16-pixel images make 23-pixel buttons: one pixel in, 23 across, 22 down.
    QCOMPARE(b.bar.buttonRect(1), QRect(1, 1, 23, 22));
    QCOMPARE(b.bar.buttonRect(7), QRect(6 * 23 + 1, 1, 23, 22));
    QCOMPARE(b.bar.sizeHint(), QSize(7 * 23 + 2, 24));
}

void TestToolbar::maskLayout()
{
    // Lower case counts as upper case; other letters, blanks and a leading "|" are skipped.
    Bar b(QStringLiteral("|nN|c xO|o"));
    QCOMPARE(b.bar.ButtonsCount(), 5);
    QCOMPARE(b.bar.buttonKind(1), int(ucToolbar::Plain));
    QCOMPARE(b.bar.buttonKind(2), int(ucToolbar::Plain));
    QCOMPARE(b.bar.buttonKind(3), int(ucToolbar::Check));
    QCOMPARE(b.bar.buttonKind(4), int(ucToolbar::Option));
    QCOMPARE(b.bar.buttonKind(5), int(ucToolbar::Option));
    QCOMPARE(b.bar.buttonRect(3).left(), 2 * 23 + 6 + 1);
    QCOMPARE(b.bar.buttonRect(5).left(), 4 * 23 + 12 + 1);
    // The separator line sits 4 pixels right of the inner rectangle, over its height.
    QCOMPARE(b.bar.separatorRect(2), QRect(49, 3, 1, 18));
    QVERIFY(b.bar.separatorRect(1).isNull());
    QVERIFY(b.bar.separatorRect(3).isNull());
    QVERIFY(!b.bar.separatorRect(4).isNull());
}

void TestToolbar::mainWindowMask()
{
    ucToolbar bar;
    bar.BuildToolbar(strip(11, 32), kMask, 32, QStringLiteral("NNN|NN|NN|NN|N|N|"));
    QCOMPARE(bar.ButtonsCount(), 11);
    QList<int> withSeparator;
    for (int i = 1; i <= 11; ++i) {
        QCOMPARE(bar.buttonRect(i).width(), 39);
        if (!bar.separatorRect(i).isNull())
            withSeparator.append(i);
    }
    QCOMPARE(withSeparator, (QList<int> {3, 5, 7, 9, 10, 11}));
    QCOMPARE(bar.sizeHint(), QSize(11 * 39 + 6 * 6 + 2, 40));

    // In a window's layout the bar keeps its thickness and spans the width.
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* inLayout = new ucToolbar(&window);
    inLayout->BuildToolbar(strip(10, 32), kMask, 32, QStringLiteral("NN|NN|NN|NN|N|N|"));
    layout->addWidget(inLayout);
    layout->addWidget(new QWidget(&window));
    window.resize(800, 600);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(inLayout->height(), 40);
    QVERIFY(inLayout->width() > 700);
}

void TestToolbar::verticalBar()
{
    ucToolbar bar;
    bar.setBarOrientation(1);
    bar.BuildToolbar(strip(3, 16), kMask, 16, QStringLiteral("N|NN"));
    QCOMPARE(bar.buttonRect(1), QRect(1, 1, 22, 23));
    QCOMPARE(bar.buttonRect(2), QRect(1, 23 + 6 + 1, 22, 23));
    QCOMPARE(bar.separatorRect(1), QRect(3, 26, 18, 1));
    QCOMPARE(bar.sizeHint(), QSize(24, 3 * 23 + 6 + 2));
}

void TestToolbar::noPictureNoButtons()
{
    ucToolbar bar;
    bar.BuildToolbar(strip(3, 16), kMask, 16, QStringLiteral("NNN"));
    QCOMPARE(bar.ButtonsCount(), 3);
    bar.BuildToolbar(QPixmap(), kMask, 16, QStringLiteral("NNN"));
    QCOMPARE(bar.ButtonsCount(), 0);
    // A strip narrower than one image holds no image either.
    bar.BuildToolbar(strip(1, 16), kMask, 32, QString());
    QCOMPARE(bar.ButtonsCount(), 0);
    QVERIFY(!bar.IsButtonEnabled(1));
    QVERIFY(!bar.IsButtonChecked(1));
}

void TestToolbar::clicksReportButtonAndCorner()
{
    Bar b(QStringLiteral("NN|N"));
    QSignalSpy clicks(&b.bar, &ucToolbar::ButtonClick);
    b.click(3);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(clicks.last(), (QList<QVariant> {3, 1, b.bar.buttonRect(3).left(), 1}));
    QCOMPARE(b.bar.buttonLook(3), int(ucToolbar::Raised));

    // Right and middle clicks are reported too and change no look.
    b.hover(b.centre(1));
    QCOMPARE(b.bar.buttonLook(1), int(ucToolbar::Raised));
    QTest::mousePress(&b.bar, Qt::RightButton, {}, b.centre(1));
    QCOMPARE(b.bar.buttonLook(1), int(ucToolbar::Raised));
    QTest::mouseRelease(&b.bar, Qt::RightButton, {}, b.centre(1));
    QCOMPARE(clicks.last(), (QList<QVariant> {1, 2, 1, 1}));
    QCOMPARE(b.bar.buttonLook(1), int(ucToolbar::Raised));
    b.click(2, Qt::MiddleButton);
    QCOMPARE(clicks.last(), (QList<QVariant> {2, 4, 24, 1}));
    QCOMPARE(clicks.count(), 3);

    // A click beside the buttons is no click.
    QTest::mouseClick(&b.bar, Qt::LeftButton, {}, QPoint(b.bar.width() - 2, 5));
    QCOMPARE(clicks.count(), 3);
}

void TestToolbar::releaseOutsideIsNoClick()
{
    Bar b(QStringLiteral("NN"));
    QSignalSpy clicks(&b.bar, &ucToolbar::ButtonClick);
    b.hover(b.centre(1));
    QTest::mousePress(&b.bar, Qt::LeftButton, {}, b.centre(1));
    QCOMPARE(b.bar.buttonLook(1), int(ucToolbar::Pressed));
    b.hover(b.centre(2));
    QCOMPARE(b.bar.buttonLook(1), int(ucToolbar::Flat));
    QTest::mouseRelease(&b.bar, Qt::LeftButton, {}, b.centre(2));
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(b.bar.buttonLook(2), int(ucToolbar::Flat));
}

void TestToolbar::checkButtonToggles()
{
    Bar b(QStringLiteral("NC"));
    QSignalSpy checks(&b.bar, &ucToolbar::ButtonCheck);
    QSignalSpy clicks(&b.bar, &ucToolbar::ButtonClick);
    b.click(2);
    QVERIFY(b.bar.IsButtonChecked(2));
    QCOMPARE(b.bar.buttonLook(2), int(ucToolbar::Pressed));
    QCOMPARE(checks.count(), 1);
    QCOMPARE(checks.last(), (QList<QVariant> {2, 24, 1}));
    // Clicking a checked check button clears it without any event.
    b.click(2);
    QVERIFY(!b.bar.IsButtonChecked(2));
    QCOMPARE(b.bar.buttonLook(2), int(ucToolbar::Flat));
    QCOMPARE(checks.count(), 1);
    QCOMPARE(clicks.count(), 0);
    // A right click does not check.
    b.click(2, Qt::RightButton);
    QVERIFY(!b.bar.IsButtonChecked(2));
    QCOMPARE(checks.count(), 1);
}

void TestToolbar::optionGroupsEndAtSeparators()
{
    Bar b(QStringLiteral("OCO|OO"));
    QSignalSpy checks(&b.bar, &ucToolbar::ButtonCheck);
    b.click(1);
    b.click(2);
    b.click(4);
    QVERIFY(b.bar.IsButtonChecked(1));
    QVERIFY(b.bar.IsButtonChecked(2));
    QVERIFY(b.bar.IsButtonChecked(4));
    b.click(3);
    QVERIFY(!b.bar.IsButtonChecked(1)); // same run: cleared
    QCOMPARE(b.bar.buttonLook(1), int(ucToolbar::Flat));
    QVERIFY(b.bar.IsButtonChecked(2)); // a check button is passed over
    QVERIFY(b.bar.IsButtonChecked(3));
    QVERIFY(b.bar.IsButtonChecked(4)); // beyond the separator
    QCOMPARE(checks.count(), 4);
    // Clicking a checked option button keeps it checked and raises nothing.
    b.click(3);
    QVERIFY(b.bar.IsButtonChecked(3));
    QCOMPARE(checks.count(), 4);
    b.click(5);
    QVERIFY(!b.bar.IsButtonChecked(4));
    QVERIFY(b.bar.IsButtonChecked(3));
}

void TestToolbar::checkButtonFromCode()
{
    Bar b(QStringLiteral("NOO|C"));
    QSignalSpy checks(&b.bar, &ucToolbar::ButtonCheck);
    b.bar.CheckButton(0);
    b.bar.CheckButton(5);
    b.bar.CheckButton(1); // plain
    QCOMPARE(checks.count(), 0);
    b.bar.CheckButton(2);
    QCOMPARE(checks.count(), 1);
    QCOMPARE(checks.last().at(0).toInt(), 2);
    QCOMPARE(b.bar.hotButton(), 2);
    b.bar.CheckButton(2); // already checked
    QCOMPARE(checks.count(), 1);
    b.bar.CheckButton(3);
    QVERIFY(!b.bar.IsButtonChecked(2));
    QCOMPARE(b.bar.buttonLook(3), int(ucToolbar::Pressed));
    b.bar.CheckButton(4);
    QVERIFY(b.bar.IsButtonChecked(3));
    QVERIFY(b.bar.IsButtonChecked(4));
    QCOMPARE(checks.count(), 3);
}

void TestToolbar::enablingButtons()
{
    Bar b(QStringLiteral("NNN"));
    QSignalSpy clicks(&b.bar, &ucToolbar::ButtonClick);
    b.bar.EnableButton(0, false);
    b.bar.EnableButton(4, false);
    for (int i = 1; i <= 3; ++i)
        QVERIFY(b.bar.IsButtonEnabled(i));
    b.bar.EnableButton(2, false);
    QVERIFY(!b.bar.IsButtonEnabled(2));
    b.click(2);
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(b.bar.hotButton(), 0);
    b.bar.EnableButton(2, true);
    b.click(2);
    QCOMPARE(clicks.count(), 1);

    b.bar.setEnabled(false);
    for (int i = 1; i <= 3; ++i)
        QVERIFY(!b.bar.IsButtonEnabled(i));
    b.bar.setEnabled(true);
    for (int i = 1; i <= 3; ++i)
        QVERIFY(b.bar.IsButtonEnabled(i));
}

void TestToolbar::hoverRaisesAndLeavingFlattens()
{
    Bar b(QStringLiteral("NC"));
    b.hover(b.centre(1));
    QCOMPARE(b.bar.hotButton(), 1);
    QCOMPARE(b.bar.buttonLook(1), int(ucToolbar::Raised));
    b.hover(b.centre(2));
    QCOMPARE(b.bar.buttonLook(1), int(ucToolbar::Flat));
    QCOMPARE(b.bar.buttonLook(2), int(ucToolbar::Raised));
    b.click(2);
    QCOMPARE(b.bar.buttonLook(2), int(ucToolbar::Pressed));
    // Leaving the bar flattens the hot button unless it is checked.
    b.hover(b.centre(1));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&b.bar, &leave);
    QCOMPARE(b.bar.buttonLook(1), int(ucToolbar::Flat));
    QCOMPARE(b.bar.buttonLook(2), int(ucToolbar::Pressed));
}

void TestToolbar::toolTipsFollowHotButton()
{
    Bar b(QStringLiteral("NNN"));
    b.bar.SetToolTips(QStringLiteral("New file|Open file"));
    auto tipAt = [&b](int index) {
        b.hover(b.centre(index));
        QHelpEvent help(QEvent::ToolTip, b.centre(index), b.bar.mapToGlobal(b.centre(index)));
        QCoreApplication::sendEvent(&b.bar, &help);
        return help.isAccepted() && QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    QCOMPARE(tipAt(1), QStringLiteral("New file"));
    QCOMPARE(tipAt(2), QStringLiteral("Open file"));
    // A button without an entry keeps the tooltip shown before.
    QCOMPARE(tipAt(3), QStringLiteral("Open file"));
    QCOMPARE(b.bar.toolTipOf(3), QString());
    // Beside the buttons there is none.
    b.hover(QPoint(b.bar.width() - 2, 5));
    QHelpEvent help(QEvent::ToolTip, QPoint(b.bar.width() - 2, 5), QPoint());
    QCoreApplication::sendEvent(&b.bar, &help);
    QVERIFY(!help.isAccepted());
}

void TestToolbar::checkedButtonShowsPattern()
{
    Bar b(QStringLiteral("CN"));
    b.click(1);
    b.hover(b.centre(2)); // the mouse is no longer inside
    QVERIFY(b.bar.IsButtonChecked(1));
    const QImage image = b.image();
    const QRect inner = b.bar.buttonRect(1).adjusted(2, 2, -2, -2);
    // Two pixels inside the frame, left of the image: a checkerboard of background and highlight.
    for (int y = inner.top(); y < inner.top() + 4; ++y) {
        for (int x = inner.left(); x < inner.left() + 2; ++x) {
            const QColor expected = (x + y) % 2 == 0 ? kBack : kHighlight;
            QCOMPARE(pixel(image, x, y), expected);
        }
    }
    // The unchecked neighbour has a plain background.
    const QRect other = b.bar.buttonRect(2).adjusted(2, 2, -2, -2);
    QCOMPARE(pixel(image, other.left(), other.top()), kBack);
    QCOMPARE(pixel(image, other.left() + 1, other.top()), kBack);
}

void TestToolbar::pressedAndSeparatorLook()
{
    Bar b(QStringLiteral("N|N"));
    b.hover(b.centre(1));
    QTest::mousePress(&b.bar, Qt::LeftButton, {}, b.centre(1));
    QImage image = b.image();
    const QRect r = b.bar.buttonRect(1);
    // Sunken: shadow on top and left, highlight at bottom and right.
    QCOMPARE(pixel(image, r.left() + 5, r.top()), kShadow);
    QCOMPARE(pixel(image, r.left(), r.top() + 5), kShadow);
    QCOMPARE(pixel(image, r.left() + 5, r.bottom()), kHighlight);
    QCOMPARE(pixel(image, r.right(), r.top() + 5), kHighlight);
    // The image moves to 4 pixels from the corner while pressed: its magenta corner is transparent.
    QCOMPARE(pixel(image, r.left() + 4, r.top() + 4), kBack);
    QVERIFY(pixel(image, r.left() + 6, r.top() + 6) != kBack);
    QTest::mouseRelease(&b.bar, Qt::LeftButton, {}, b.centre(1));
    image = b.image();
    // Raised after the click.
    QCOMPARE(pixel(image, r.left() + 5, r.top()), kHighlight);
    QCOMPARE(pixel(image, r.right(), r.top() + 5), kShadow);

    const QRect s = b.bar.separatorRect(1);
    QCOMPARE(pixel(image, s.left(), s.top() + 3), kShadow);
    QCOMPARE(pixel(image, s.left() + 1, s.top() + 3), kHighlight);
    QCOMPARE(pixel(image, s.left() - 1, s.top() + 3), kBack);
}

void TestToolbar::disabledButtonIsGreyed()
{
    Bar b(QStringLiteral("NN"));
    const QRect r = b.bar.buttonRect(2);
    const QPoint inImage = r.topLeft() + QPoint(3 + 8, 3 + 8);
    const QColor enabled = pixel(b.image(), inImage.x(), inImage.y());
    QVERIFY(enabled.saturation() > 200);
    b.bar.EnableButton(2, false);
    const QImage image = b.image();
    const QColor disabled = pixel(image, inImage.x(), inImage.y());
    QVERIFY2(disabled != enabled, qPrintable(disabled.name()));
    QVERIFY2(disabled.saturation() < 60, qPrintable(disabled.name()));
    // The transparent corner stays transparent.
    QCOMPARE(pixel(image, r.left() + 3, r.top() + 3), kBack);
}

void TestToolbar::barEdgeFrame()
{
    Bar b(QStringLiteral("N"));
    QCOMPARE(pixel(b.image(), 0, 0), kBack);
    b.bar.setBarEdge(true);
    const QImage image = b.image();
    QCOMPARE(pixel(image, 0, 0), kHighlight);
    QCOMPARE(pixel(image, b.bar.width() - 1, 10), kShadow);
    QCOMPARE(pixel(image, 10, 23), kShadow);
}

void TestToolbar::doubleClickActsAsTwoClicks()
{
    Bar b(QStringLiteral("CN"));
    QSignalSpy clicks(&b.bar, &ucToolbar::ButtonClick);
    // A double click comes as press, release, double click, release.
    auto doubleClick = [&b](int index) {
        b.hover(b.centre(index));
        QTest::mouseClick(&b.bar, Qt::LeftButton, {}, b.centre(index));
        QTest::mouseDClick(&b.bar, Qt::LeftButton, {}, b.centre(index));
        QTest::mouseRelease(&b.bar, Qt::LeftButton, {}, b.centre(index));
    };
    doubleClick(2);
    QCOMPARE(clicks.count(), 2);
    doubleClick(1);
    QVERIFY(!b.bar.IsButtonChecked(1)); // checked and cleared again
}

QTEST_MAIN(TestToolbar)
#include "tst_toolbar.moc"
