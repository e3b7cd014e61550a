#include "shell/frmSplash.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "shell/Artwork.h"
#include "shell/MDIForm1.h"
#include "store/DataStore.h"
#include "store/UiServices.h"
#include "store/Utilities.h"

namespace qb {

frmSplash::frmSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("Quillbrook"));

    auto* logo = new QLabel(this);
    logo->setPixmap(ProgramLogo(112));
    logo->setFixedSize(112, 112);

    auto* product = new QLabel(QStringLiteral("Quillbrook"), this);
    QFont big = product->font();
    big.setPointSizeF(big.pointSizeF() * 2.6);
    big.setBold(true);
    product->setFont(big);

    auto* tagline = new QLabel(QStringLiteral("Personal accounting software"), this);
    QFont italic = tagline->font();
    italic.setItalic(true);
    italic.setPointSizeF(italic.pointSizeF() * 1.2);
    tagline->setFont(italic);

    lblVersion = new QLabel(QStringLiteral("Version ") + VersionText(3), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    auto* loading = new QLabel(QStringLiteral("Loading..."), this);
    loading->setObjectName(QStringLiteral("lblLoading"));

    for (QLabel* l : {product, tagline, lblVersion, loading})
        l->setStyleSheet(QStringLiteral("color: white; background: transparent;"));

    auto* text = new QVBoxLayout;
    text->setSpacing(4);
    text->addStretch();
    text->addWidget(product);
    text->addWidget(tagline);
    text->addSpacing(12);
    text->addWidget(lblVersion);
    text->addStretch();
    auto* top = new QHBoxLayout;
    top->setSpacing(24);
    top->addWidget(logo, 0, Qt::AlignVCenter);
    top->addLayout(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(32, 28, 32, 18);
    layout->addLayout(top, 1);
    layout->addWidget(loading, 0, Qt::AlignRight);
    setFixedSize(500, 280);
}

void frmSplash::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QLinearGradient g(0, 0, width(), height());
    g.setColorAt(0, QColor(0x1F, 0x7A, 0x5C));
    g.setColorAt(1, QColor(0x0B, 0x36, 0x2B));
    p.fillRect(rect(), g);
    p.setPen(QColor(0xD8, 0x9A, 0x1C));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.drawLine(32, height() - 44, width() - 32, height() - 44);
}

std::unique_ptr<MDIForm1> frmSplash::Startup(const BookContext& book, const StartupOptions& options)
{
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    repaint();
    if (options.splashMilliseconds > 0) {
        QEventLoop wait;
        QTimer::singleShot(options.splashMilliseconds, &wait, &QEventLoop::quit);
        wait.exec();
    }
    close();

    auto main = std::make_unique<MDIForm1>(book);
    Error error;
    if (!main->Load(options.commandLine, &error)) {
        MsgBox(QString::number(error.number) + QStringLiteral(": ") + error.description,
            MsgIcon::Information, QStringLiteral("Load Error"));
        return main;
    }
    return main;
}

} // namespace qb
