#include "shell/frmPanel.h"

#include <QGridLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QVBoxLayout>

#include "shell/Artwork.h"
#include "store/DataStore.h"

namespace qb {

frmPanel::frmPanel(const QTime& loggedOn, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmPanel"));
    buildUi(loggedOn);
}

void frmPanel::buildUi(const QTime& loggedOn)
{
    setWindowTitle(QStringLiteral("Quillbrook"));
    setWindowIcon(ProgramIcon());

    auto* logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("imgLogo"));
    logo->setPixmap(ProgramLogo(72));
    logo->setFixedSize(72, 72);

    auto* product = new QLabel(QStringLiteral("Quillbrook"), this);
    product->setObjectName(QStringLiteral("lblProduct"));
    QFont big = product->font();
    big.setPointSizeF(big.pointSizeF() * 2.0);
    big.setBold(true);
    product->setFont(big);
    product->setStyleSheet(QStringLiteral("color: #0E4536;"));

    auto* tagline = new QLabel(QStringLiteral("Personal accounting software"), this);
    tagline->setObjectName(QStringLiteral("lblTagline"));
    QFont italic = tagline->font();
    italic.setItalic(true);
    italic.setPointSizeF(italic.pointSizeF() * 1.15);
    tagline->setFont(italic);
    tagline->setStyleSheet(QStringLiteral("color: #2F5A4C;"));

    lblVersion = new QLabel(QStringLiteral("Version ") + VersionText(3), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lbluser = new QLabel(QStringLiteral("Logged on: ") + loggedOn.toString(QStringLiteral("HH:mm"))
            + QStringLiteral(" hrs"),
        this);
    lbluser->setObjectName(QStringLiteral("lbluser"));
    for (QLabel* l : {lblVersion, lbluser})
        l->setStyleSheet(QStringLiteral("color: #46564F;"));

    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setPixmap(PanelPicture(200, 150));
    Picture1->setFixedSize(200, 150);

    auto* text = new QVBoxLayout;
    text->setSpacing(2);
    text->addWidget(product);
    text->addWidget(tagline);
    text->addSpacing(14);
    text->addWidget(lblVersion);
    text->addWidget(lbluser);
    text->addStretch();
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(18, 18, Picture1->width() + 12, 14);
    grid->setHorizontalSpacing(16);
    grid->addWidget(logo, 0, 0, Qt::AlignTop);
    grid->addLayout(text, 0, 1);
    grid->setColumnStretch(1, 1);
    // Inside a small frame (tiling) the panel is clipped, never squeezed
    // until its texts are cut or run under the picture.
    setMinimumSize(minimumSizeHint());
    resize(560, 190);
}

void frmPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The picture keeps its right edge on the window's right edge.
    Picture1->move(width() - Picture1->width(), std::max(0, (height() - Picture1->height()) / 2));
}

void frmPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QLinearGradient g(0, 0, width(), height());
    g.setColorAt(0, QColor(0xFB, 0xFC, 0xF8));
    g.setColorAt(1, QColor(0xE3, 0xEE, 0xE6));
    p.fillRect(rect(), g);
    p.setPen(QColor(0x1F, 0x7A, 0x5C));
    p.drawLine(18, height() - 8, width() - Picture1->width() - 8, height() - 8);
}

} // namespace qb
