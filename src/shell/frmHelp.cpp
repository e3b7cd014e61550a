#include "shell/frmHelp.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHash>
#include <QShortcut>
#include <QStyle>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "store/Utilities.h"

namespace qb {

QString frmHelp::HelpFile()
{
    return ProgramDataFolder() + QStringLiteral("/help/index.html");
}

QString frmHelp::TopicOf(const QWidget* window)
{
    static const QHash<QString, QString> topics {
        {QStringLiteral("qb::frmTrans"), QStringLiteral("entry")},
        {QStringLiteral("qb::frmSearch"), QStringLiteral("search")},
        {QStringLiteral("qb::frmImport"), QStringLiteral("import")},
        {QStringLiteral("qb::frmLedger"), QStringLiteral("reports")},
        {QStringLiteral("qb::frmTransSummary"), QStringLiteral("reports")},
        {QStringLiteral("qb::frmAcMaster"), QStringLiteral("accounts")},
        {QStringLiteral("qb::frmGroupMaster"), QStringLiteral("accounts")},
        {QStringLiteral("qb::frmDeleted"), QStringLiteral("undo")},
        {QStringLiteral("qb::ReconcileWindow"), QStringLiteral("reconcile")},
    };
    // By class name: the shell knows the windows only as widgets.
    return window ? topics.value(QString::fromLatin1(window->metaObject()->className()))
                  : QString();
}

frmHelp::frmHelp(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Quillbrook Help"));
    if (parent)
        setWindowIcon(parent->windowIcon());

    txtHelp = new QTextBrowser(this);
    txtHelp->setObjectName(QStringLiteral("txtHelp"));
    txtHelp->setOpenExternalLinks(true);

    auto button = [this](QStyle::StandardPixmap icon, const QString& tip) {
        auto* b = new QToolButton(this);
        b->setIcon(style()->standardIcon(icon));
        b->setToolTip(tip);
        b->setAutoRaise(true);
        return b;
    };
    QToolButton* back = button(QStyle::SP_ArrowBack, QStringLiteral("Back"));
    QToolButton* forward = button(QStyle::SP_ArrowForward, QStringLiteral("Forward"));
    QToolButton* home = button(QStyle::SP_DirHomeIcon, QStringLiteral("Contents"));
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(back, &QToolButton::clicked, txtHelp, &QTextBrowser::backward);
    connect(forward, &QToolButton::clicked, txtHelp, &QTextBrowser::forward);
    connect(home, &QToolButton::clicked, txtHelp, &QTextBrowser::home);
    connect(txtHelp, &QTextBrowser::backwardAvailable, back, &QToolButton::setEnabled);
    connect(txtHelp, &QTextBrowser::forwardAvailable, forward, &QToolButton::setEnabled);

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(4, 2, 4, 2);
    bar->addWidget(back);
    bar->addWidget(forward);
    bar->addWidget(home);
    bar->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(bar);
    layout->addWidget(txtHelp);
    resize(720, 560);
    // Esc closes the help, as it closes a dialog.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

bool frmHelp::showPage(const QString& fileName, const QString& anchor)
{
    if (!QFileInfo(fileName).isReadable())
        return false;
    QUrl url = QUrl::fromLocalFile(fileName);
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    txtHelp->setSource(url);
    return true;
}

} // namespace qb
