#pragma once

// The background panel inside the main window: logo, product name, version
// and the time the user started. It stays open while the program runs;
// opening or closing a file leaves it in place.

#include <QTime>
#include <QWidget>

class QLabel;

namespace qb {

class frmPanel final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmPanel)

public:
    explicit frmPanel(const QTime& loggedOn = QTime::currentTime(), QWidget* parent = nullptr);

    QLabel* Picture1 = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lbluser = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void buildUi(const QTime& loggedOn);
};

} // namespace qb
