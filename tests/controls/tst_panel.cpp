#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "controls/sesPanel.h"

using namespace qb;

namespace {

QRgb pixelAt(sesPanel& panel, const QPointF& p)
{
    return panel.grab().toImage().pixel(p.toPoint());
}

} // namespace

class TestPanel : public QObject
{
    Q_OBJECT

private slots:
    void defaults();
    void borderAndCaptionLinesInMillimetres();
    void etchedLinesAreDrawn();
    void emptyCaptionLeavesOnlyBorder();
    void footerLines();
    void alignmentOnlyAlignsText();
    void fontResizesLabel();
    void childrenSitBelowCaption();

private:
    static QLabel* lbl(sesPanel& panel) { return panel.findChild<QLabel*>(QStringLiteral("lbl")); }
};

void TestPanel::defaults()
{
    sesPanel panel;
    QCOMPARE(panel.Caption(), QStringLiteral("Panel Caption"));
    QCOMPARE(panel.CaptionHeight(), 10.0f);
    QCOMPARE(panel.Alignment(), 2);
    QCOMPARE(panel.FooterHeight(), 0.0f);
    QVERIFY(lbl(panel));
    QCOMPARE(lbl(panel)->text(), QStringLiteral("Panel Caption"));
    QVERIFY(lbl(panel)->alignment() & Qt::AlignHCenter);
}

void TestPanel::borderAndCaptionLinesInMillimetres()
{
    sesPanel panel;
    panel.show();
    panel.resize(400, 300);
    const double px = panel.logicalDpiX() / 25.4; // pixels per millimetre
    const double py = panel.logicalDpiY() / 25.4;
    const double w = 400 / px;
    const double h = 300 / py;

    QCOMPARE(panel.line(QStringLiteral("LineTop")), QLineF(0, 0, qRound((w - 0.5) * px), 0));
    QCOMPARE(panel.line(QStringLiteral("LineBottom")).y1(), double(qRound((h - 0.5) * py)));
    QCOMPARE(panel.line(QStringLiteral("LineLeft")).x1(), 0.0);
    QCOMPARE(panel.line(QStringLiteral("LineRight")).x1(), double(qRound((w - 0.5) * px)));

    const QLineF caption1 = panel.line(QStringLiteral("LineCaptionBorder1"));
    QCOMPARE(
        caption1, QLineF(qRound(2 * px), qRound(10 * py), qRound((w - 2.5) * px), qRound(10 * py)));
    const QLineF caption2 = panel.line(QStringLiteral("LineCaptionBorder2"));
    QCOMPARE(caption2.y1(), double(qRound(10.3 * py)));
    QVERIFY(caption2.y1() > caption1.y1());
    QVERIFY(panel.line(QStringLiteral("LineFooterBorder1")).isNull());
    QVERIFY(panel.line(QStringLiteral("LinefooterBorder2")).isNull());

    // The label is one text line high, centred in the caption strip, 2 mm in.
    const QRect label = lbl(panel)->geometry();
    QCOMPARE(label.height(), QFontMetrics(lbl(panel)->font()).height());
    QCOMPARE(label.top(), (qRound(10 * py) - label.height()) / 2);
    QCOMPARE(label.left(), qRound(2 * px));
    QCOMPARE(label.width(), qRound((w - 4.5) * px));

    // The layout follows the size.
    panel.resize(200, 100);
    QCOMPARE(panel.line(QStringLiteral("LineRight")).x1(), double(qRound((200 / px - 0.5) * px)));
}

void TestPanel::etchedLinesAreDrawn()
{
    sesPanel panel;
    panel.show();
    panel.resize(300, 200);
    const QColor dark = panel.palette().color(QPalette::Dark);
    const QColor light = panel.palette().color(QPalette::Light);
    const QColor back = panel.palette().color(QPalette::Window);
    QVERIFY(dark != light && dark != back);
    const QLineF caption1 = panel.line(QStringLiteral("LineCaptionBorder1"));
    const QLineF caption2 = panel.line(QStringLiteral("LineCaptionBorder2"));
    const QImage image = panel.grab().toImage();
    QCOMPARE(image.pixel(150, int(caption1.y1())), dark.rgb());
    QCOMPARE(image.pixel(150, int(caption2.y1())), light.rgb());
    QCOMPARE(image.pixel(0, 100), dark.rgb()); // left border
    QCOMPARE(image.pixel(150, 0), dark.rgb()); // top border
    QCOMPARE(image.pixel(150, 100), back.rgb()); // plain inside
}

void TestPanel::emptyCaptionLeavesOnlyBorder()
{
    sesPanel panel;
    panel.show();
    panel.resize(300, 200);
    panel.show();
    const QLineF caption1 = panel.line(QStringLiteral("LineCaptionBorder1"));
    panel.setCaption(QString());
    QVERIFY(!lbl(panel)->isVisible());
    QVERIFY(panel.line(QStringLiteral("LineCaptionBorder1")).isNull());
    QVERIFY(panel.line(QStringLiteral("LineCaptionBorder2")).isNull());
    QVERIFY(!panel.line(QStringLiteral("LineTop")).isNull());
    const QColor back = panel.palette().color(QPalette::Window);
    QCOMPARE(pixelAt(panel, QPointF(150, caption1.y1())), back.rgb());
    QCOMPARE(pixelAt(panel, QPointF(0, 100)), panel.palette().color(QPalette::Dark).rgb());

    panel.setCaption(QStringLiteral("Loading data. Please wait ..."));
    QVERIFY(lbl(panel)->isVisible());
    QCOMPARE(lbl(panel)->text(), QStringLiteral("Loading data. Please wait ..."));
    QCOMPARE(panel.line(QStringLiteral("LineCaptionBorder1")), caption1);
}

void TestPanel::footerLines()
{
    sesPanel panel;
    panel.show();
    panel.resize(300, 200);
    panel.setCaption(QString());
    panel.setFooterHeight(5);
    const double py = panel.logicalDpiY() / 25.4;
    const double h = 200 / py;
    const QLineF footer1 = panel.line(QStringLiteral("LineFooterBorder1"));
    const QLineF footer2 = panel.line(QStringLiteral("LinefooterBorder2"));
    QCOMPARE(footer1.y1(), double(qRound((h - 5) * py)));
    QCOMPARE(footer2.y1(), double(qRound((h - 4.7) * py)));
    const QImage image = panel.grab().toImage();
    QCOMPARE(image.pixel(150, int(footer1.y1())), panel.palette().color(QPalette::Dark).rgb());
    QCOMPARE(image.pixel(150, int(footer2.y1())), panel.palette().color(QPalette::Light).rgb());

    panel.setFooterHeight(0);
    QVERIFY(panel.line(QStringLiteral("LineFooterBorder1")).isNull());
}

void TestPanel::alignmentOnlyAlignsText()
{
    sesPanel panel;
    panel.show();
    panel.resize(300, 200);
    const QRect before = lbl(panel)->geometry();
    panel.setAlignment(0);
    QCOMPARE(panel.Alignment(), 0);
    QVERIFY(lbl(panel)->alignment() & Qt::AlignLeft);
    QCOMPARE(lbl(panel)->geometry(), before);
    panel.setAlignment(1);
    QVERIFY(lbl(panel)->alignment() & Qt::AlignRight);
    QCOMPARE(lbl(panel)->geometry(), before);
}

void TestPanel::fontResizesLabel()
{
    sesPanel panel;
    panel.show();
    panel.resize(300, 200);
    QFont big = panel.Font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    panel.setFont(big);
    QVERIFY(panel.Font().bold());
    QCOMPARE(lbl(panel)->font(), big);
    QCOMPARE(lbl(panel)->height(), QFontMetrics(big).height());
    panel.setCaptionHeight(20);
    const double py = panel.logicalDpiY() / 25.4;
    QCOMPARE(lbl(panel)->y(), (qRound(20 * py) - QFontMetrics(big).height()) / 2);
}

void TestPanel::childrenSitBelowCaption()
{
    sesPanel panel;
    panel.show();
    panel.resize(300, 200);
    panel.setFooterHeight(8);
    auto* button = new QPushButton(QStringLiteral("OK"), &panel);
    const QRect area = panel.contentsRectBelowCaption();
    button->setGeometry(area);
    QVERIFY(area.top() > panel.line(QStringLiteral("LineCaptionBorder2")).y1());
    QVERIFY(area.bottom() < panel.line(QStringLiteral("LineFooterBorder1")).y1());
    QVERIFY(area.left() > 0);
    QVERIFY(area.right() < panel.line(QStringLiteral("LineRight")).x1());
    panel.setCaption(QString());
    QCOMPARE(panel.contentsRectBelowCaption().top(), 1);
}

QTEST_MAIN(TestPanel)
#include "tst_panel.moc"
