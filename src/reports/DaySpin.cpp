#include "DaySpin.h"

#include <QDateEdit>
#include <QScrollBar>
#include <QSignalBlocker>

namespace qb {

QScrollBar* MakeDaySpinBar(QWidget* parent, const char* objectName)
{
    auto* bar = new QScrollBar(Qt::Vertical, parent);
    bar->setObjectName(QString::fromLatin1(objectName));
    bar->setRange(0, 2);
    bar->setPageStep(1);
    bar->setValue(1);
    bar->setFocusPolicy(Qt::NoFocus);
    bar->setFixedWidth(17);
    bar->setToolTip(QStringLiteral("Next day / previous day"));
    return bar;
}

void ConnectDaySpinBar(QScrollBar* bar, QDateEdit* date, std::function<void()> stepped)
{
    QObject::connect(
        bar, &QScrollBar::valueChanged, date, [bar, date, stepped = std::move(stepped)](int value) {
            if (value == 1)
                return;
            {
                const QSignalBlocker block(bar);
                bar->setValue(1);
            }
            date->setDate(date->date().addDays(value == 0 ? 1 : -1));
            if (stepped)
                stepped();
        });
}

} // namespace qb
