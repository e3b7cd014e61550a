#include <QTest>
#include <QVBoxLayout>

#include "controls/ucIconInfo.h"

using namespace qb;

namespace {

// A main window with the strip along its bottom edge.
struct Host
{
    QWidget window;
    ucIconInfo* strip = new ucIconInfo(&window);

    explicit Host(int width = 800)
    {
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addStretch();
        layout->addWidget(strip);
        window.resize(width, 300);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
};

// Whether any pixel of the rectangle differs from the background colour (text was drawn).
bool hasInk(const QImage& image, const QRect& r, QRgb background)
{
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            if (image.pixel(x, y) != background)
                return true;
        }
    }
    return false;
}

const QString kLongPath
    = QStringLiteral("/home/user/Documents/Accounts/Household/2013/household books.qbf");

} // namespace

class TestStatusStrip : public QObject
{
    Q_OBJECT

private slots:
    void compactPath_data();
    void compactPath();
    void compactPathFitsWidth();
    void layoutWithGrip();
    void maximisedWindowHasNoGrip();
    void narrowStripHasNoPathRoom();
    void textShowsOnlyAfterRefresh();
    void longPathDrawnShortened();
    void gripResizesWindow();
};

void TestStatusStrip::compactPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("room"); // in widths of the file name part "/household books.qbf"
    QTest::addColumn<QString>("expectedStart");
    QTest::addColumn<QString>("expectedEnd");

    QTest::newRow("fits whole") << kLongPath << 100 << kLongPath << kLongPath;
    QTest::newRow("middle gives way")
        << kLongPath << 2 << QStringLiteral("/home/") << QStringLiteral(".../household books.qbf");
    QTest::newRow("no separator") << QStringLiteral("(No File is open)") << 100
                                  << QStringLiteral("(No File is open)")
                                  << QStringLiteral("(No File is open)");
}

void TestStatusStrip::compactPath()
{
    QFETCH(QString, path);
    QFETCH(int, room);
    QFETCH(QString, expectedStart);
    QFETCH(QString, expectedEnd);
    const QFontMetrics fm(QFont(QStringLiteral("DejaVu Sans"), 9));
    const int width = room * fm.horizontalAdvance(QStringLiteral("/household books.qbf"));
    const QString shown = CompactPath(path, fm, width);
    QVERIFY2(shown.startsWith(expectedStart), qPrintable(shown));
    QVERIFY2(shown.endsWith(expectedEnd), qPrintable(shown));
    QVERIFY(fm.horizontalAdvance(shown) <= width);
}

void TestStatusStrip::compactPathFitsWidth()
{
    const QFontMetrics fm(QFont(QStringLiteral("DejaVu Sans"), 9));
    const int full = fm.horizontalAdvance(kLongPath);
    QString previous = kLongPath;
    // Ever narrower: the result always fits, keeps the root while it can,
    // and keeps the file name while that fits beside "...".
    for (int width = full; width > 0; width -= 7) {
        const QString shown = CompactPath(kLongPath, fm, width);
        QVERIFY2(fm.horizontalAdvance(shown) <= width, qPrintable(shown));
        if (width < full && !shown.isEmpty())
            QVERIFY2(shown.contains(QStringLiteral("...")), qPrintable(shown));
        if (fm.horizontalAdvance(QStringLiteral("/.../household books.qbf")) <= width)
            QVERIFY2(shown.startsWith(QLatin1Char('/'))
                    && shown.endsWith(QStringLiteral("/household books.qbf")),
                qPrintable(shown));
        else if (fm.horizontalAdvance(QStringLiteral(".../household books.qbf")) <= width)
            QCOMPARE(shown, QStringLiteral(".../household books.qbf"));
        QVERIFY(shown.size() <= previous.size());
        previous = shown;
    }
    QCOMPARE(CompactPath(kLongPath, fm, 0), QString());
    QCOMPARE(CompactPath(QStringLiteral("/x.qbf"), fm, 1000), QStringLiteral("/x.qbf"));
}

void TestStatusStrip::layoutWithGrip()
{
    Host host(800);
    ucIconInfo* s = host.strip;
    QCOMPARE(s->height(), 18);
    QCOMPARE(s->width(), 800);
    QCOMPARE(s->gripRect(), QRect(782, 0, 18, 18));
    QCOMPARE(s->panelRect(1), QRect(0, 0, 800 - 18 - 411, 18));
    QCOMPARE(s->panelRect(2), QRect(800 - 18 - 409, 0, 409, 18));
    QVERIFY(s->panelRect(3).isEmpty());
    QVERIFY(s->panelRect(4).isEmpty());
    QCOMPARE(s->textRect(1), QRect(4, 2, 800 - 18 - 411 - 8, 16));
    QCOMPARE(s->pvTextFileWidth(), 800 - 18 - 419);
    // The strip stays 18 pixels high whatever the host asks.
    s->resize(800, 40);
    QCOMPARE(s->height(), 18);
}

void TestStatusStrip::maximisedWindowHasNoGrip()
{
    Host host(800);
    host.window.showMaximized();
    QTRY_VERIFY(host.window.isMaximized());
    QTRY_VERIFY(host.strip->gripRect().width() == 0);
    const int w = host.strip->width();
    QCOMPARE(host.strip->panelRect(2).right(), w - 1);
    QCOMPARE(host.strip->pvTextFileWidth(), w - 419);
    host.window.showNormal();
    QTRY_COMPARE(host.strip->gripRect().width(), 18);
}

void TestStatusStrip::narrowStripHasNoPathRoom()
{
    Host host(437); // W - G = 419
    QCOMPARE(host.strip->pvTextFileWidth(), 0);
    host.strip->setTextFile(kLongPath);
    host.strip->Refresh();
    const QImage image = host.strip->grab().toImage();
    const QRgb face = host.strip->palette().color(QPalette::Button).rgb();
    // Panel 1 is 8 pixels wide: its edge is drawn, nothing inside it.
    QVERIFY(!hasInk(image, QRect(1, 3, 6, 12), face));

    host.window.resize(438, 300);
    QTRY_COMPARE(host.strip->pvTextFileWidth(), 1);
}

void TestStatusStrip::textShowsOnlyAfterRefresh()
{
    Host host(800);
    ucIconInfo* s = host.strip;
    const QRgb face = s->palette().color(QPalette::Button).rgb();
    const QRect path = s->textRect(1).adjusted(0, 0, 0, -1);
    const QRect info = s->textRect(2).adjusted(0, 0, 0, -1);
    QVERIFY(!hasInk(s->grab().toImage(), path, face));

    s->setTextFile(QStringLiteral("(No File is open)"));
    s->setTextInfo1(QStringLiteral("Ready"));
    QCOMPARE(s->TextFile(), QStringLiteral("(No File is open)"));
    QImage image = s->grab().toImage();
    QVERIFY(!hasInk(image, path, face));
    QVERIFY(!hasInk(image, info, face));

    s->Refresh();
    image = s->grab().toImage();
    QVERIFY(hasInk(image, path, face));
    QVERIFY(hasInk(image, info, face));
    QCOMPARE(s->shownTextFile(), QStringLiteral("(No File is open)"));

    // Panels 3 and 4 have no room: their texts are kept but never seen.
    s->setTextInfo2(QStringLiteral("hidden"));
    s->Refresh();
    QCOMPARE(s->TextInfo2(), QStringLiteral("hidden"));

    // The text ends at a NUL character.
    s->setTextFile(QStringLiteral("/data/a.qbf") + QChar(0) + QStringLiteral("junk"));
    s->Refresh();
    QCOMPARE(s->shownTextFile(), QStringLiteral("/data/a.qbf"));
}

void TestStatusStrip::longPathDrawnShortened()
{
    Host host(700);
    ucIconInfo* s = host.strip;
    s->setTextFile(kLongPath + QStringLiteral("/") + kLongPath);
    s->Refresh();
    const QImage image = s->grab().toImage();
    const QRgb face = s->palette().color(QPalette::Button).rgb();
    const QRect text = s->textRect(1);
    // Ink reaches close to the end of the path's room but never beyond it.
    QVERIFY(hasInk(image, QRect(text.right() - 60, text.top(), 60, 12), face));
    QVERIFY(!hasInk(image, QRect(text.right() + 1, 3, 3, 12), face));
    const QString shown = CompactPath(s->shownTextFile(), s->fontMetrics(), s->pvTextFileWidth());
    QVERIFY(shown.contains(QStringLiteral("...")));
    QVERIFY(shown.endsWith(QStringLiteral("/household books.qbf")));
}

void TestStatusStrip::gripResizesWindow()
{
    Host host(800);
    ucIconInfo* s = host.strip;
    const QPoint grip = s->gripRect().center();
    QTest::mouseMove(s, QPoint(10, 9));
    QCOMPARE(s->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseMove(s, grip);
    QCOMPARE(s->cursor().shape(), Qt::SizeFDiagCursor);

    const QSize before = host.window.size();
    QTest::mousePress(s, Qt::LeftButton, {}, grip);
    QTest::mouseMove(s, grip + QPoint(40, 30));
    QTest::mouseRelease(s, Qt::LeftButton, {}, grip + QPoint(40, 30));
    QTRY_COMPARE(host.window.size(), before + QSize(40, 30));
    QCOMPARE(s->width(), 840);
    QCOMPARE(s->gripRect(), QRect(822, 0, 18, 18));

    // A press away from the grip resizes nothing.
    QTest::mousePress(s, Qt::LeftButton, {}, QPoint(100, 9));
    QTest::mouseMove(s, QPoint(150, 9));
    QTest::mouseRelease(s, Qt::LeftButton, {}, QPoint(150, 9));
    QCOMPARE(host.window.size(), before + QSize(40, 30));
}

QTEST_MAIN(TestStatusStrip)
#include "tst_statusstrip.moc"
