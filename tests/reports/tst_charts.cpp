// The charts as users and scripts meet them: qbtool chart's pictures, the
// Period Summary's and the transaction list's Table / Chart switch driven by
// keys, hover and choice of a balance point, saving and printing a chart.

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QScatterSeries>
#include <QStackedWidget>
#include <QtTest>

#include "ChartTestBook.h"
#include "TestBook.h"
#include "TestSupport.h"
#include "WidgetTestSupport.h"
#include "charts/ChartPanel.h"
#include "charts/Charts.h"
#include "engine/ShortDate.h"
#include "reports/frmLedger.h"
#include "reports/frmTransSummary.h"
#include "windows/HtmlView.h"
#include "windows/Openers.h"
#include "windows/WindowHost.h"

using namespace qb;
using namespace qb::test;

namespace {

// Prints into a PDF file instead of showing the print dialog.
class PdfPrintDialogs final : public PrintDialogs
{
public:
    explicit PdfPrintDialogs(QString file)
        : m_file(std::move(file))
    {
        PrintDialogs::install(this);
    }
    ~PdfPrintDialogs() override { PrintDialogs::install(nullptr); }
    bool setup(QPrinter* printer, QWidget*) override
    {
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(m_file);
        return true;
    }

private:
    QString m_file;
};

// How many pixels of the image are near this colour.
int pixelsOf(const QImage& image, const QColor& colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green())
                    + std::abs(c.blue() - colour.blue())
                < 24;
        }
    }
    return n;
}

QStringList noticesOf(QChart* chart)
{
    QStringList texts;
    for (QGraphicsItem* item : chart->childItems()) {
        if (auto* text = dynamic_cast<QGraphicsSimpleTextItem*>(item))
            texts << text->text();
    }
    return texts;
}

} // namespace

class TestCharts : public QObject
{
    Q_OBJECT

    ChartTestBook m_book;
    std::unique_ptr<TestBook> env;
    std::unique_ptr<RecordingPrompt> prompt;
    std::unique_ptr<ScriptedPopupMenus> menus;

    struct Run
    {
        int code;
        QByteArray err;
    };
    Run qbtool(const QStringList& args)
    {
        QProcess p;
        p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/qbtool"),
            QStringList {QStringLiteral("chart")} + args);
        p.waitForFinished(60000);
        return {p.exitCode(), p.readAllStandardError()};
    }

private slots:
    void init()
    {
        env = std::make_unique<TestBook>(QDate(2025, 3, 1));
        prompt = std::make_unique<RecordingPrompt>();
        menus = std::make_unique<ScriptedPopupMenus>();
        QVERIFY(env->open(m_book.xml()));
        Openers::setBook(env->context());
        Openers::registerFactory(WindowKind::TransactionList,
            [](const BookContext& book) { return new frmLedger(book); });
        Openers::registerFactory(WindowKind::PeriodSummary,
            [](const BookContext& book) { return new frmTransSummary(book); });
    }

    void cleanup()
    {
        for (QWidget* w : WindowHost::current().childWindows())
            delete w;
        Openers::registerFactory(WindowKind::TransactionList, {});
        Openers::registerFactory(WindowKind::PeriodSummary, {});
        Openers::clearBook();
        menus.reset();
        prompt.reset();
        env.reset();
    }

    void qbtoolDrawsPictures_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QColor>("colour"); // drawn when the chart has figures
        QTest::addColumn<bool>("empty");
        const QStringList leapYear {QStringLiteral("--from"), QStringLiteral("2024-01-01"),
            QStringLiteral("--to"), QStringLiteral("20241231")};
        QTest::newRow("summary of every account")
            << (QStringList {QStringLiteral("summary")} + leapYear) << QSize(900, 600)
            << ChartInColour() << false;
        QTest::newRow("summary of a group, small")
            << (QStringList {
                    QStringLiteral("summary"), QStringLiteral("--group"), QStringLiteral("money")}
                       + leapYear
                   << QStringLiteral("--width") << QStringLiteral("320")
                   << QStringLiteral("--height") << QStringLiteral("200"))
            << QSize(320, 200) << ChartOutColour() << false;
        QTest::newRow("months of one account")
            << (QStringList {
                    QStringLiteral("summary"), QStringLiteral("--account"), QStringLiteral("4")}
                       + leapYear
                   << QStringLiteral("--width") << QStringLiteral("1200"))
            << QSize(1200, 600) << ChartInColour() << false;
        QTest::newRow("balance line") << (QStringList {QStringLiteral("balance"),
                                              QStringLiteral("--account"), QStringLiteral("1")}
            + leapYear) << QSize(900, 600)
                                      << ChartBalanceColour() << false;
        QTest::newRow("group balance") << (QStringList {QStringLiteral("group"),
                                               QStringLiteral("--group"), QStringLiteral("Money")}
                + leapYear
            << QStringLiteral("--height") << QStringLiteral("700"))
                                       << QSize(900, 700) << ChartBalanceColour() << false;
        QTest::newRow("empty period")
            << QStringList {QStringLiteral("summary"), QStringLiteral("--from"),
                   QStringLiteral("20300101"), QStringLiteral("--to"), QStringLiteral("20301231")}
            << QSize(900, 600) << ChartInColour() << true;
    }

    // The picture has the size asked for, is not blank, and draws the
    // chart's colour exactly when there are figures.
    void qbtoolDrawsPictures()
    {
        QFETCH(QStringList, args);
        QFETCH(QSize, size);
        QFETCH(QColor, colour);
        QFETCH(bool, empty);
        const QString png = env->path(QStringLiteral("chart.png"));
        const Run run
            = qbtool(QStringList {env->file} + args + QStringList {QStringLiteral("-o"), png});
        QVERIFY2(run.code == 0, run.err.constData());
        QImage image;
        QVERIFY(image.load(png, "PNG"));
        QCOMPARE(image.size(), size);
        QVERIFY(pixelsOf(image, Qt::white) < size.width() * size.height());
        QVERIFY(pixelsOf(image, Qt::black) > 50); // the title and labels
        // The legend's marker alone is a few dozen pixels.
        QCOMPARE(pixelsOf(image, colour) > 300, !empty);
    }

    void qbtoolRefuses_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        const QStringList period {QStringLiteral("--from"), QStringLiteral("20240101"),
            QStringLiteral("--to"), QStringLiteral("20241231")};
        QTest::newRow("unknown kind")
            << (QStringList {QStringLiteral("BOOK"), QStringLiteral("pie"), QStringLiteral("-o"),
                    QStringLiteral("OUT")}
                   + period)
            << 2 << QStringLiteral("summary, balance, group");
        QTest::newRow("balance without account")
            << (QStringList {QStringLiteral("BOOK"), QStringLiteral("balance"),
                    QStringLiteral("-o"), QStringLiteral("OUT")}
                   + period)
            << 2 << QStringLiteral("--account CODE");
        QTest::newRow("no such account")
            << (QStringList {QStringLiteral("BOOK"), QStringLiteral("balance"),
                    QStringLiteral("--account"), QStringLiteral("99"), QStringLiteral("-o"),
                    QStringLiteral("OUT")}
                   + period)
            << 2 << QStringLiteral("no account with code 99");
        QTest::newRow("no such group")
            << (QStringList {QStringLiteral("BOOK"), QStringLiteral("group"),
                    QStringLiteral("--group"), QStringLiteral("Nope"), QStringLiteral("-o"),
                    QStringLiteral("OUT")}
                   + period)
            << 2 << QStringLiteral("no group named Nope");
        QTest::newRow("width too small")
            << (QStringList {QStringLiteral("BOOK"), QStringLiteral("summary"),
                    QStringLiteral("--width"), QStringLiteral("99"), QStringLiteral("-o"),
                    QStringLiteral("OUT")}
                   + period)
            << 2 << QStringLiteral("100 to 8000");
        QTest::newRow("from after to")
            << QStringList {QStringLiteral("BOOK"), QStringLiteral("summary"), QStringLiteral("-o"),
                   QStringLiteral("OUT"), QStringLiteral("--from"), QStringLiteral("20240102"),
                   QStringLiteral("--to"), QStringLiteral("20240101")}
            << 2 << QStringLiteral("--from is after --to");
        QTest::newRow("missing book")
            << (QStringList {QStringLiteral("MISSING"), QStringLiteral("summary"),
                    QStringLiteral("-o"), QStringLiteral("OUT")}
                   + period)
            << 3 << QString();
        QTest::newRow("output folder missing")
            << (QStringList {QStringLiteral("BOOK"), QStringLiteral("summary"),
                    QStringLiteral("-o"), QStringLiteral("NOFOLDER")}
                   + period)
            << 3 << QStringLiteral("could not be written");
    }

    void qbtoolRefuses()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, message);
        args.replaceInStrings(QStringLiteral("BOOK"), env->file);
        args.replaceInStrings(QStringLiteral("MISSING"), env->path(QStringLiteral("missing.qbf")));
        args.replaceInStrings(
            QStringLiteral("NOFOLDER"), env->path(QStringLiteral("no/such/x.png")));
        args.replaceInStrings(
            QRegularExpression(QStringLiteral("^OUT$")), env->path(QStringLiteral("out.png")));
        const Run run = qbtool(args);
        QCOMPARE(run.code, code);
        QVERIFY2(QString::fromUtf8(run.err).contains(message), run.err.constData());
        if (code == 2)
            QVERIFY(!QFileInfo::exists(env->path(QStringLiteral("out.png"))));
    }

    // An amount that cannot be read: the picture is written, exit code 3.
    void qbtoolTroubleIsNoSuccess()
    {
        ChartTestBook book;
        book.transactions.append({QDate(2024, 5, 31), 1, 20, 0, QStringLiteral("12.5.3")});
        const QString file = env->path(QStringLiteral("bad.qbf"));
        QVERIFY(writeDataFile(file, book.xml()));
        const QString png = env->path(QStringLiteral("bad.png"));
        const Run run = qbtool({file, QStringLiteral("balance"), QStringLiteral("--account"),
            QStringLiteral("20"), QStringLiteral("--from"), QStringLiteral("20240101"),
            QStringLiteral("--to"), QStringLiteral("20241231"), QStringLiteral("-o"), png});
        QCOMPARE(run.code, 3);
        QVERIFY(run.err.contains("cannot be given"));
        QVERIFY(QImage(png).width() == 900);
    }

    // The Period Summary: the switch by its keys, the bars of the page's
    // figures, the group's balance, an empty period, save and print.
    // Names are drawn as the letters they hold: a tag in an account name is
    // neither followed (a picture, a file) nor obeyed (bold), wherever the
    // name stands: the title, a bar's label, a month chart's title.
    void namesAreDrawnAsPlainText()
    {
        const QString picture = QStringLiteral("<img src=\"/dev/zero\">");
        const QString bold = QStringLiteral("<b>x</b>");
        InOutChartData bars;
        bars.title = QStringLiteral("Money in and out - '") + bold + QLatin1Char('\'');
        bars.bars = {{picture, Money::fromUnits(10000), std::nullopt},
            {bold, Money::fromUnits(20000), Money::fromUnits(500)}};
        bars.empty = false;
        BalanceChartData line;
        line.title = QStringLiteral("Balance - ") + picture;
        line.from = QDate(2024, 1, 1);
        line.to = QDate(2024, 1, 31);
        line.points = {{QDate(2023, 12, 31), Money::fromUnits(0), true},
            {QDate(2024, 1, 31), Money::fromUnits(10000), false}};
        line.empty = false;
        const std::unique_ptr<QChart> barChart(MakeInOutChart(bars));
        const std::unique_ptr<QChart> lineChart(MakeBalanceChart(line));
        for (const auto& [chart, names] :
            {std::pair {barChart.get(), QStringList {bars.title, picture, bold}},
                std::pair {lineChart.get(), QStringList {line.title}}}) {
            QVERIFY(!RenderChart(chart, QSize(900, 600)).isNull());
            QStringList drawn;
            QList<QGraphicsItem*> items = chart->childItems();
            while (!items.isEmpty()) {
                QGraphicsItem* item = items.takeFirst();
                items += item->childItems();
                if (auto* text = dynamic_cast<QGraphicsTextItem*>(item))
                    drawn << text->toPlainText();
            }
            for (const QString& name : names)
                QVERIFY2(drawn.contains(name), qPrintable(drawn.join(QLatin1Char('|'))));
        }
    }

    void periodSummaryChart()
    {
        auto* w = qobject_cast<frmTransSummary*>(OpenPeriodSummary(0, QString()));
        QVERIFY(w);
        w->setFromDate(QDate(2024, 1, 1));
        w->setToDate(QDate(2024, 12, 31));
        w->SelectAccount(0);
        QVERIFY(activate(w));
        auto* stack = w->findChild<QStackedWidget*>(QStringLiteral("pageStack"));
        auto* panel = w->findChild<ChartPanel*>();
        auto* balanceButton = w->findChild<QPushButton*>(QStringLiteral("cmdChart2"));
        QVERIFY(stack && panel && balanceButton);
        QCOMPARE(stack->currentWidget(), static_cast<QWidget*>(w->WebBrowser1));
        QVERIFY(!balanceButton->isEnabled()); // all accounts have no balance over time

        pressKey(Qt::Key_2, Qt::ControlModifier);
        QCOMPARE(stack->currentWidget(), static_cast<QWidget*>(panel));
        QCOMPARE(w->viewMode(), 1);
        auto* bars = qobject_cast<QHorizontalBarSeries*>(panel->chart()->series().value(0));
        QVERIFY(bars);
        QCOMPARE(bars->count(), 2);
        // Largest at the top: the sets run from the bottom up; 15 accounts and Other.
        const QBarSet* in = bars->barSets().at(0);
        const QBarSet* out = bars->barSets().at(1);
        QCOMPARE(in->count(), kChartTopAccounts + 1);
        qint64 inSum = 0, outSum = 0;
        for (int code = 1; code <= ChartTestBook::kAccounts; ++code) {
            const auto [i, o] = m_book.inOut(code, QDate(2024, 1, 1), QDate(2024, 12, 31));
            inSum += i;
            outSum += o;
        }
        double drawnIn = 0, drawnOut = 0;
        for (int i = 0; i < in->count(); ++i) {
            drawnIn += in->at(i);
            drawnOut += out->at(i);
            if (i > 1) // "Other" stands at the bottom whatever its size
                QVERIFY(std::max(in->at(i), out->at(i)) >= std::max(in->at(i - 1), out->at(i - 1)));
        }
        QVERIFY(qAbs(drawnIn - double(inSum) / 100) < 0.005
            && qAbs(drawnOut - double(outSum) / 100) < 0.005);
        QVERIFY(panel->chart()->title().startsWith(
            QStringLiteral("Money in and out - All accounts - From ")));
        // Hovering the two bars of the top account names it with its figure.
        const auto* names
            = qobject_cast<QBarCategoryAxis*>(panel->chart()->axes(Qt::Vertical).value(0));
        QVERIFY(names);
        const int top = in->count() - 1;
        auto figure
            = [](double v) { return Money::fromUnits(std::llround(v * 10000)).formatGrouped(); };
        QStringList hovered;
        // In is the lower bar of a category, Out the upper one.
        for (const QPointF& middle :
            {QPointF(in->at(top) / 2, top - 0.125), QPointF(out->at(top) / 2, top + 0.125)}) {
            const QPointF inChart = panel->chart()->mapToPosition(middle, bars);
            const QPoint at = panel->mapFromScene(panel->chart()->mapToScene(inChart));
            QTest::mouseMove(panel->viewport(), at);
            QTRY_VERIFY(!panel->pointText().isEmpty() && !hovered.contains(panel->pointText()));
            hovered.append(panel->pointText());
        }
        hovered.sort();
        QCOMPARE(hovered,
            (QStringList {names->at(top) + QStringLiteral(": In ") + figure(in->at(top)),
                names->at(top) + QStringLiteral(": Out ") + figure(out->at(top))}));

        // The page is still there, unchanged, when the switch goes back.
        const QString page = w->WebBrowser1->pageText();
        pressKey(Qt::Key_1, Qt::ControlModifier);
        QCOMPARE(stack->currentWidget(), static_cast<QWidget*>(w->WebBrowser1));
        QCOMPARE(w->WebBrowser1->pageText(), page);

        // A group: its balance at each month end.
        w->SelectGroup(QStringLiteral("Money"));
        QVERIFY(balanceButton->isEnabled());
        pressKey(Qt::Key_3, Qt::ControlModifier);
        QCOMPARE(w->viewMode(), 2);
        QScatterSeries* markers = BalanceMarkers(panel->chart());
        QVERIFY(markers);
        QCOMPARE(markers->count(), 13); // the opening balance and twelve month ends
        QVERIFY(
            qAbs(markers->at(12).y() - double(m_book.balance({1, 2, 3}, QDate(2024, 12, 31))) / 100)
            < 0.005);
        QCOMPARE(panel->markedPoints().at(2).date, QDate(2024, 2, 29));

        // Back to all accounts: the balance chart is not available, its key
        // does nothing, the page shows.
        w->SelectAccount(0);
        pressKey(Qt::Key_3, Qt::ControlModifier);
        QCOMPARE(w->viewMode(), 0);
        QVERIFY(!balanceButton->isEnabled());

        // An empty period says so on the chart.
        pressKey(Qt::Key_2, Qt::ControlModifier);
        QCOMPARE(w->viewMode(), 1);
        w->setFromDate(QDate(2030, 1, 1));
        w->setToDate(QDate(2030, 12, 31));
        w->RefreshReport();
        QCOMPARE(w->viewMode(), 1);
        QCOMPARE(noticesOf(panel->chart()),
            QStringList {QStringLiteral("No transactions in this period")});

        // Save Chart... through the program's file dialog, then Print.
        RecordingFileDialogs dialogs;
        dialogs.answer(env->path(QStringLiteral("saved")));
        pressKey(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(dialogs.requests.size(), 1);
        QCOMPARE(dialogs.requests.at(0).filter, QStringLiteral("PNG picture (*.png)"));
        QImage saved(env->path(QStringLiteral("saved.png")));
        QCOMPARE(saved.size(), panel->size());
        const QString pdf = env->path(QStringLiteral("chart.pdf"));
        PdfPrintDialogs printer(pdf);
        w->findChild<QPushButton*>(QStringLiteral("cmdPrint"))->click();
        QVERIFY(fileBytes(pdf).startsWith("%PDF"));
        QCOMPARE(prompt->count(), 0);
    }

    // A balance line's axes: dates labelled at month ends (every second one
    // over a year), or spread over a short period; room beyond the first and
    // last point; no values below zero unless a balance is.
    void balanceAxes_data()
    {
        QTest::addColumn<QList<QDate>>("days");
        QTest::addColumn<QList<int>>("balances");
        QTest::addColumn<bool>("steps");
        QTest::addColumn<QList<QDate>>("ticks");
        QList<QDate> monthEnds {QDate(2023, 12, 31)};
        QList<int> rising {0};
        for (int m = 1; m <= 12; ++m) {
            monthEnds.append(QDate(2024, m, 1).addMonths(1).addDays(-1));
            rising.append(m * 100);
        }
        QTest::newRow("a year of month ends from zero")
            << monthEnds << rising << false
            << QList<QDate> {QDate(2023, 12, 31), QDate(2024, 2, 29), QDate(2024, 4, 30),
                   QDate(2024, 6, 30), QDate(2024, 8, 31), QDate(2024, 10, 31),
                   QDate(2024, 12, 31)};
        QTest::newRow("ten days over a leap day, below zero")
            << QList<QDate> {QDate(2024, 2, 25), QDate(2024, 2, 29), QDate(2024, 3, 5)}
            << QList<int> {10, -5, 3} << true
            << QList<QDate> {QDate(2024, 2, 25), QDate(2024, 2, 27), QDate(2024, 2, 29),
                   QDate(2024, 3, 2), QDate(2024, 3, 4), QDate(2024, 3, 5)};
        QTest::newRow("two month ends")
            << QList<QDate> {QDate(2024, 1, 15), QDate(2024, 3, 10)} << QList<int> {5, 7} << true
            << QList<QDate> {QDate(2024, 1, 31), QDate(2024, 2, 29)};
    }
    void balanceAxes()
    {
        QFETCH(QList<QDate>, days);
        QFETCH(QList<int>, balances);
        QFETCH(bool, steps);
        QFETCH(QList<QDate>, ticks);
        BalanceChartData data;
        data.from = days.first();
        data.to = days.constLast();
        data.steps = steps;
        data.empty = false;
        for (qsizetype i = 0; i < days.size(); ++i)
            data.points.append({days.at(i), Money::fromUnits(balances.at(i) * Money::kScale)});
        std::unique_ptr<QChart> chart(MakeBalanceChart(data));
        auto* dates = qobject_cast<QCategoryAxis*>(chart->axes(Qt::Horizontal).value(0));
        auto* values = qobject_cast<QCategoryAxis*>(chart->axes(Qt::Vertical).value(0));
        QVERIFY(dates && values);
        QList<qint64> at;
        for (const QString& label : dates->categoriesLabels())
            at.append(qint64(dates->endValue(label)));
        QList<qint64> expected;
        for (const QDate& day : ticks)
            expected.append(day.startOfDay().toMSecsSinceEpoch());
        QCOMPARE(at, expected);
        const qint64 halfDay = 12LL * 3600 * 1000;
        QVERIFY(dates->min() <= days.first().startOfDay().toMSecsSinceEpoch() - halfDay);
        QVERIFY(dates->max() >= days.constLast().startOfDay().toMSecsSinceEpoch() + halfDay);
        const int low = *std::min_element(balances.cbegin(), balances.cend());
        const int high = *std::max_element(balances.cbegin(), balances.cend());
        QVERIFY(values->min() <= low && values->max() >= high);
        QCOMPARE(values->min() >= 0, low >= 0);
    }

    // The transaction list's balance line: a point per day after the
    // opening balance; Left/Right show them, Enter opens the date's menu.
    void ledgerBalanceLine()
    {
        const QDate from(2024, 3, 31), to(2024, 6, 30);
        auto* w = qobject_cast<frmLedger*>(OpenTransactionList(4, from, to));
        QVERIFY(w);
        QVERIFY(activate(w));
        pressKey(Qt::Key_2, Qt::ControlModifier);
        auto* panel = w->findChild<ChartPanel*>();
        QCOMPARE(w->findChild<QStackedWidget*>()->currentWidget(), static_cast<QWidget*>(panel));
        QList<QDate> days;
        for (const auto& t : m_book.transactions) {
            if (t.day >= from && t.day <= to && (t.from == 4 || t.to == 4) && !days.contains(t.day))
                days.append(t.day);
        }
        std::sort(days.begin(), days.end());
        QVERIFY(days.size() >= 2 && days.first() == from);
        const QList<BalancePoint>& points = panel->markedPoints();
        QCOMPARE(points.size(), days.size() + 1);
        QCOMPARE(BalanceMarkers(panel->chart())->count(), points.size());

        // Tab reaches the chart from the switch (the hidden page is passed over).
        w->findChild<QPushButton*>(QStringLiteral("cmdSaveChart"))->setFocus();
        pressKey(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(panel));
        QCOMPARE(w->findChild<QLabel*>(QStringLiteral("lblChartPoint"))->text(),
            QStringLiteral("Left, Right: the days; Enter: open the day"));
        pressKey(Qt::Key_Right);
        QCOMPARE(panel->pointText(),
            QStringLiteral("Opening balance: ")
                + Money::fromUnits(m_book.balance({4}, from.addDays(-1)) * 100).formatGrouped());
        pressKey(Qt::Key_Right);
        QCOMPARE(panel->pointText(),
            ShortDateText(days.at(0)) + QStringLiteral(": ")
                + Money::fromUnits(m_book.balance({4}, days.at(0)) * 100).formatGrouped());
        pressKey(Qt::Key_End);
        QVERIFY(panel->pointText().startsWith(ShortDateText(days.constLast())));
        QVERIFY(w->findChild<QLabel*>(QStringLiteral("lblChartPoint"))->isVisible());

        // Enter on a day: the date link's menu for that day (dismissed here).
        menus->answer(0);
        pressKey(Qt::Key_Return);
        QCOMPARE(menus->shown.size(), 1);
        bool named = false;
        for (const MenuItem& item : menus->shown.at(0))
            named = named || item.text.contains(ShortDateText(days.constLast()));
        QVERIFY(named);

        // The mouse: hovering a marker shows it, clicking it opens the menu.
        menus->answer(0);
        const QPoint at = panel->pointPosition(1);
        QTest::mouseMove(panel->viewport(), at);
        QTest::mouseClick(panel->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(panel->pointText().section(QLatin1Char(':'), 0, 0), ShortDateText(days.at(0)));
        QCOMPARE(menus->shown.size(), 2);
    }
};

QTEST_MAIN(TestCharts)
#include "tst_charts.moc"
